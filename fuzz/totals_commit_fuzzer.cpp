// Fuzz entry point of the save's commit and its recovery over a database
// directory of damaged files. The input holds a flag byte, then up to seven
// files, each as a 16-bit little-endian length and its bytes: the commit
// marker, the three ".new" files, the player database's redo file, the game
// database and the player database. Flag bit i keeps file i; bit 7 replaces
// the marker by one that names the files as written (with made-up sums for
// those left out), so that the finishing path is reached.
//
// A recovery that succeeds leaves no file of the save behind, and a second
// one changes nothing; the databases it leaves are then read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "FuzzSetup.h"
#include "ScratchDir.h"
#include "platform/FileSystem.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Totals.h"
#include "util/ByteIO.h"

namespace {

using programs::vardobf::PlayerDB;
using programs::vardobf::Totals;

const char* const kFiles[] = {Totals::kCommitMarker, "bf_game.db.new",    "bf_records.db.new",
                              "bf_hash.db.new",      Totals::kPlayerRedo, Totals::kGameDB,
                              Totals::kPlayerDB};
constexpr size_t kSaveFiles = 5;  // the marker and the files it may name

// The database directory, emptied.
std::string freshDir() {
  static const std::filesystem::path home = fuzz_support::scratchDir("totals_commit_fuzz");
  static const bool made = [] {
    std::filesystem::create_directories(home / "data");
    programs::vardo::config::home = home.string();
    return true;
  }();
  (void)made;
  const std::filesystem::path dir = home / "data";
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec))
    std::filesystem::remove_all(e.path(), ec);
  return dir.string() + "/";
}

std::map<std::string, std::string> snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : platform::listDirectory(dir))
    files[name] = platform::readFile(dir + name);
  return files;
}

uint32_t crcOf(const std::string& s) {
  return util::crc32(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(s.data()), s.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::setUpCatalogOnce();
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  size_t at = 1;
  std::vector<std::string> content(std::size(kFiles));
  for (std::string& c : content) {
    if (size - at < 2) break;
    const size_t n = std::min<size_t>(data[at] | (size_t{data[at + 1]} << 8), size - at - 2);
    c.assign(reinterpret_cast<const char*>(data + at + 2), n);
    at += 2 + n;
  }
  if ((flags & 0x80) != 0) {
    std::string marker = "commit 2\n";
    for (size_t i = 1; i < kSaveFiles; ++i) {
      const bool kept = (flags & (1u << i)) != 0;
      marker += std::string(kFiles[i]) + " " + std::to_string(kept ? content[i].size() : 7) + " " +
                std::to_string(kept ? crcOf(content[i]) : 7u) + "\n";
    }
    content[0] = marker + "end\n";
  }

  const std::string dir = freshDir();
  for (size_t i = 0; i < std::size(kFiles); ++i)
    if ((flags & (1u << i)) != 0 || (i == 0 && (flags & 0x80) != 0))
      platform::writeFile(dir + kFiles[i], content[i]);

  try {
    Totals::recover(dir);
  } catch (const std::exception&) {
    return 0;  // refused loudly (a redo that cannot be applied); nothing to check
  }
  for (size_t i = 0; i < kSaveFiles; ++i)
    if (platform::exists(dir + kFiles[i])) std::abort();
  const auto settled = snapshot(dir);
  try {
    Totals::recover(dir);
  } catch (const std::exception&) {
    std::abort();
  }
  if (snapshot(dir) != settled) std::abort();
  // The next run reads what is left.
  Totals t;
  try {
    t.readDBs();
  } catch (const std::exception&) {
    std::abort();
  }
  PlayerDB::discard();
  return 0;
}
