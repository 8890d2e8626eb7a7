// Fuzz entry point of the player database reader. The first input byte
// picks the database version and the 32-bit flag; the rest is decoded as one
// entry, which must re-encode to a full entry that decodes to the same bytes.
// The same bytes, used as a database file, are opened and every slot read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "FuzzSetup.h"
#include "ScratchDir.h"
#include "platform/FileSystem.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/PlayerDBFormat.h"

using programs::vardobf::PlayerDB;

namespace {

const std::string& scratchFile() {
  static const std::string path =
      (fuzz_support::scratchDir("playerdb_fuzz") / "bf_player.db").string();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::setUpCatalogOnce();
  if (size == 0) return 0;
  const int32_t version = data[0] & 1;  // 0: current, 1: database version 1
  const bool intToLong = (data[0] & 2) != 0;
  const std::span<const uint8_t> entry(data + 1, size - 1);

  bool ok = false;
  games::bf::Player p = PlayerDB::bytesToPlayer(entry, version, intToLong, &ok);
  const auto bytes = PlayerDB::playerToBytes(p);
  if (bytes.size() != programs::vardobf::playerdb::kEntryBytes) std::abort();
  games::bf::Player q = PlayerDB::bytesToPlayer(bytes, 0, false, &ok);
  if (!ok || PlayerDB::playerToBytes(q) != bytes) std::abort();

  // Small inputs as a whole database file (larger ones would only repeat
  // the decoder above on zero slots).
  if (size <= 4 * static_cast<size_t>(programs::vardobf::playerdb::kEntrySize)) {
    const std::string& path = scratchFile();
    if (platform::exists(path + ".redo") && !platform::removePath(path + ".redo")) std::abort();
    platform::writeFile(
        path, std::string_view(reinterpret_cast<const char*>(entry.data()), entry.size()));
    if (PlayerDB::open(path, false, 0, intToLong)) {
      for (int32_t uid = -3; uid < PlayerDB::num(); ++uid) PlayerDB::getPlayer(uid);
      p.uid = PlayerDB::num() - 4;
      PlayerDB::putPlayer(p);
      PlayerDB::discard();
    }
  }
  return 0;
}
