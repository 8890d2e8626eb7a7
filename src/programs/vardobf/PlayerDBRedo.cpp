// PlayerDB's redo file and commit: the pending writes of a run written as
// one checked file, and applied to the database from it.
#include <algorithm>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "programs/vardobf/PlayerDBInternal.h"

namespace programs::vardobf {
namespace detail {

namespace format = playerdb;

std::vector<uint8_t> encodeRedo(const Overlay& pending) {
  size_t total = format::kRedoHeaderBytes + format::kRedoTrailerBytes;
  for (const auto& [offset, data] : pending.extents())
    total += format::kRedoRecordHeaderBytes + data.size();
  util::ByteWriter out(total);
  out.putBytes(format::kRedoMagic);
  out.putInt32(format::kRedoFormat);
  out.putInt64(static_cast<int64_t>(total));
  out.putInt64(pending.base());
  out.putInt64(pending.length());
  out.putInt32(static_cast<int32_t>(pending.extents().size()));
  for (const auto& [offset, data] : pending.extents()) {
    out.putInt64(offset);
    out.putInt32(static_cast<int32_t>(data.size()));
    out.putBytes(data);
  }
  out.putUInt32(util::crc32(out.bytes()));
  return out.take();
}

Redo decodeRedo(std::span<const uint8_t> bytes, const std::string& path) {
  auto damaged = [&](const std::string& why) {
    return base::FormatError(path + " is incomplete or damaged (" + why + ")");
  };
  if (bytes.size() < format::kRedoHeaderBytes + format::kRedoTrailerBytes)
    throw damaged("too short");
  const size_t body = bytes.size() - format::kRedoTrailerBytes;
  util::ByteReader in(bytes.first(body));
  auto magic = in.readBytes(format::kRedoMagic.size());
  if (!std::equal(magic.begin(), magic.end(), format::kRedoMagic.begin()))
    throw damaged("no redo file");
  if (in.readInt32() != format::kRedoFormat) throw damaged("unknown format");
  if (in.readInt64() != static_cast<int64_t>(bytes.size())) throw damaged("wrong length");
  if (util::crc32(bytes.first(body)) != static_cast<uint32_t>(util::loadInt32(&bytes[body])))
    throw damaged("wrong checksum");
  Redo redo;
  redo.base = in.readInt64();
  redo.length = in.readInt64();
  if (redo.base < 0 || redo.length < redo.base || redo.length > format::kMaxFileLength)
    throw damaged("bad file length");
  const int32_t count = in.readInt32();
  if (count < 0 || static_cast<size_t>(count) > in.remaining() / format::kRedoRecordHeaderBytes)
    throw damaged("bad record count");
  redo.records.reserve(static_cast<size_t>(count));
  // The records are the pending extents in file order: each non-empty,
  // inside the target length, and after the one before it.
  int64_t end = 0;
  for (int32_t i = 0; i < count; ++i) {
    const int64_t offset = in.readInt64();
    const int32_t n = in.readInt32();
    if (n <= 0 || static_cast<size_t>(n) > in.remaining() || offset < end ||
        offset > redo.length - n)
      throw damaged("bad record");
    redo.records.emplace_back(offset, in.readBytes(static_cast<size_t>(n)));
    end = offset + n;
  }
  if (!in.atEnd()) throw damaged("bytes after the records");
  return redo;
}

ApplyResult applyRedoFile(const std::string& dbPath, const std::string& redoPath) {
  const std::string text = platform::os().readFile(redoPath);
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  Redo redo;
  try {
    redo = decodeRedo(bytes, redoPath);
  } catch (const base::FormatError& e) {
    trace("Error PlayerDB.applyRedo: " + e.text());
    return ApplyResult::kRefused;
  }
  platform::File db = platform::os().open(dbPath, platform::File::Mode::kReadWrite);
  // The writes were made against a file of `base` bytes; applying them (and
  // again after a crash part-way) never shortens it below that. A shorter
  // file is another database: extending it would read its missing players
  // as zeros.
  const int64_t size = db.size();
  if (size < redo.base) {
    trace("Error PlayerDB.applyRedo: " + dbPath + " has " + std::to_string(size) +
          " bytes, fewer than the " + std::to_string(redo.base) + " that " + redoPath +
          " was written for");
    return ApplyResult::kRefused;
  }
  // Back to the file the writes were made against, so that applying twice,
  // or again after a crash part-way, gives the same content.
  if (size > redo.base) db.truncate(redo.base);
  db.truncate(redo.length);
  for (const auto& [offset, data] : redo.records) db.writeAt(offset, data);
  db.sync();
  db.close();
  platform::os().syncDirectory(directoryOf(dbPath));
  return ApplyResult::kApplied;
}

void removeDurably(const std::string& path) {
  if (!platform::os().exists(path)) return;
  if (!platform::os().removePath(path)) throw base::IOError("cannot delete " + path);
  platform::os().syncDirectory(directoryOf(path));
}

void recoverRedo(const std::string& f) {
  const std::string redo = f + format::kRedoSuffix;
  if (!platform::os().exists(redo)) return;
  if (applyRedoFile(f, redo) == ApplyResult::kApplied)
    trace("Player DB: completed the save of an interrupted run");
  else
    trace("Player DB: dropped the unfinished save of an interrupted run");
  removeDurably(redo);
}

}  // namespace detail

using namespace detail;
namespace format = playerdb;

// ---- Commit --------------------------------------------------------------

bool PlayerDB::writeRedo(const std::string& redoPath) {
  State& st = state();
  try {
    requireOpen();
    util::ByteWriter count;
    count.putInt32(st.numEntries);
    st.pending.write(format::kNumEntriesOffset, count.bytes());
    const std::vector<uint8_t> bytes = encodeRedo(st.pending);
    platform::File out = platform::os().open(redoPath, platform::File::Mode::kTruncate);
    out.writeAt(0, bytes);
    out.sync();
    out.close();
    platform::os().syncDirectory(directoryOf(redoPath));
    return true;
  } catch (const std::exception& e) {
    error("writeRedo", e);
    return false;
  }
}

bool PlayerDB::applyRedo(const std::string& dbPath, const std::string& redoPath) {
  try {
    return applyRedoFile(dbPath, redoPath) == ApplyResult::kApplied;
  } catch (const std::exception& e) {
    error("applyRedo", e);
    return false;
  }
}

}  // namespace programs::vardobf
