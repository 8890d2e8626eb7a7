// Fuzz entry point of the player database's redo file: its decoder, its
// application to a database file, and the recovery on open. The first byte
// holds flags: bit 0 sets the redo's length field and checksum right (so that
// the bounds checks behind them are reached), bits 1-3 choose the length of
// the database file it is applied to. The rest is the redo file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "FuzzSetup.h"
#include "ScratchDir.h"
#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "programs/vardobf/PlayerDBInternal.h"
#include "util/ByteIO.h"

namespace {

namespace format = programs::vardobf::playerdb;
namespace detail = programs::vardobf::detail;
using programs::vardobf::PlayerDB;

// Applying a redo file sets the database's length; longer targets are only
// decoded, so that a run never writes large files.
constexpr int64_t kMaxAppliedLength = int64_t{1} << 20;

const std::string& scratchFile() {
  static const std::string path =
      (fuzz_support::scratchDir("playerdb_redo_fuzz") / "bf_player.db").string();
  return path;
}

std::string text(std::span<const uint8_t> b) {
  return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// The database as applying `redo` to `db` must leave it.
std::string expected(std::string db, const detail::Redo& redo) {
  db.resize(std::min(db.size(), static_cast<size_t>(redo.base)));
  db.resize(static_cast<size_t>(redo.length), '\0');
  for (const auto& [offset, data] : redo.records)
    std::copy(data.begin(), data.end(), db.begin() + offset);
  return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::setUpCatalogOnce();
  if (size == 0) return 0;
  std::vector<uint8_t> redo(data + 1, data + size);
  if ((data[0] & 1) != 0 && redo.size() >= format::kRedoHeaderBytes + format::kRedoTrailerBytes) {
    util::ByteWriter total;
    total.putInt64(static_cast<int64_t>(redo.size()));
    std::copy(total.bytes().begin(), total.bytes().end(), redo.begin() + 12);
    const size_t body = redo.size() - format::kRedoTrailerBytes;
    util::storeInt32(&redo[body],
                     static_cast<int32_t>(util::crc32(std::span<const uint8_t>(redo).first(body))));
  }
  const std::string db(static_cast<size_t>((data[0] >> 1) & 7) * 4096, 'x');

  detail::Redo decoded;
  bool ok = true;
  try {
    decoded = detail::decodeRedo(redo, "r");
  } catch (const base::FormatError&) {
    ok = false;
  }
  if (ok) {
    // Everything the decoder lets through lies inside the target file.
    if (decoded.base < 0 || decoded.length < decoded.base ||
        decoded.length > format::kMaxFileLength)
      std::abort();
    int64_t end = 0;
    for (const auto& [offset, bytes] : decoded.records) {
      if (offset < end || bytes.empty() ||
          offset > decoded.length - static_cast<int64_t>(bytes.size()))
        std::abort();
      end = offset + static_cast<int64_t>(bytes.size());
    }
  }
  if (ok && decoded.length > kMaxAppliedLength) return 0;

  // Applied directly, and then again by an open that finds it beside the
  // database: both give the same file, and the open leaves no redo file.
  const std::string& path = scratchFile();
  const std::string redoPath = path + format::kRedoSuffix;
  try {
    platform::writeFile(path, db);
    platform::writeFile(redoPath, text(redo));
    const bool applied = PlayerDB::applyRedo(path, redoPath);
    if (applied != (ok && decoded.base <= static_cast<int64_t>(db.size()))) std::abort();
    const std::string want = applied ? expected(db, decoded) : db;
    if (platform::readFile(path) != want) std::abort();
    platform::writeFile(path, db);
    if (PlayerDB::open(path, true, 0, true)) PlayerDB::discard();
    if (platform::exists(redoPath)) std::abort();
    // (A database of version 1 is converted by the open.)
    const bool converted = !want.empty() && want[0] == format::kDBVersionNoEntryVersion;
    if (!converted && platform::readFile(path) != want) std::abort();
  } catch (const base::IOError&) {
    std::abort();  // the scratch directory is always writable
  }
  return 0;
}
