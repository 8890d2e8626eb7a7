#include "programs/vardobf/PlayerDB.h"

#include <algorithm>

#include "base/Failure.h"
#include "games/bf/GameData.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "programs/vardobf/PlayerDBInternal.h"
#include "util/Debug.h"

// PlayerDB's module state, opening and closing, and the players; the entry
// codec, the redo file and the version-1 conversion have their own sources.
namespace programs::vardobf {
namespace detail {

namespace format = playerdb;

void trace(const std::string& text) { util::Debug::print(text, 0); }

void error(const char* op, const std::exception& e) {
  trace(std::string("Error PlayerDB.") + op + ": " + base::failureText(e));
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.find_last_of(platform::kSeparators);
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

State& state() {
  static State s;
  return s;
}

void resetState() {
  State& st = state();
  st.db = platform::File();
  st.path.clear();
  st.len = 0;
  st.num = 0;
  st.entrySize = format::kEntrySize;
  st.numEntries = 0;
  st.pos = 0;
  st.pending.reset(0);
}

void requireOpen() {
  if (!state().db.isOpen()) throw base::IOError("no player database is open");
}

}  // namespace detail

namespace {

using games::bf::Player;
using namespace detail;
namespace format = playerdb;

}  // namespace

// ---- Opening and closing -------------------------------------------------

bool PlayerDB::open(const std::string& f, bool seek, int32_t numPlayers, bool intToLong) {
  State& st = state();
  try {
    if (st.db.isOpen()) close();
    resetState();
    recoverRedo(f);
    st.canSeek = seek;
    st.db = platform::os().open(f, platform::File::Mode::kReadWrite);
    st.path = f;
    const int64_t length = st.db.size();
    if (length > format::kMaxFileLength)
      throw base::FormatError(f + " is longer than " + std::to_string(format::kMaxFileLength) +
                              " bytes");
    st.pending.reset(length);
    st.len = static_cast<int32_t>(length);
    st.entrySize = format::kEntrySize;
    st.num = st.len / st.entrySize + (st.len % st.entrySize != 0 ? 1 : 0);
    if (st.len <= 0) {
      if (!st.canSeek) st.pending.writeZeros(0, int64_t{format::kNewFileSlots} * st.entrySize);
      const uint8_t version = format::kDBVersion;
      st.pending.write(format::kVersionOffset, std::span<const uint8_t>(&version, 1));
      st.numEntries = 0;
      return true;
    }
    // A header cut short reads its missing bytes as zero.
    uint8_t header[5];
    st.pending.read(st.db, format::kVersionOffset, header);
    const auto v = static_cast<int8_t>(header[0]);
    if (v > format::kDBVersion) {
      trace("Error PlayerDB.open: Invalid DB Version");
      trace("    DB Version = " + std::to_string(v));
      resetState();
      return false;
    }
    if (v == format::kDBVersionNoEntryVersion) {
      trace("Updating Player DB from Version 1 to Version 2...");
      trace("Please Be Patient :-D");
      resetState();  // nothing is pending; the conversion reads the file itself
      if (!convertV1V2(f, numPlayers, intToLong)) {
        trace("Conversion Failed! send email to " +
              std::string(games::bf::GameData::kSupportAddress));
        resetState();
        return false;
      }
      trace("Conversion Successful! Resuming updates...");
      return true;
    }
    st.numEntries = util::loadInt32(header + format::kNumEntriesOffset);
    trace("Player DB is Version " + std::to_string(v));
    return true;
  } catch (const std::exception& e) {
    error("open", e);
    resetState();
    return false;
  }
}

void PlayerDB::close() {
  State& st = state();
  if (!st.db.isOpen()) return;
  try {
    const std::string redo = st.path + format::kRedoSuffix;
    if (writeRedo(redo)) {
      if (applyRedoFile(st.path, redo) != ApplyResult::kApplied)
        throw base::IOError("the redo file " + redo + " did not read back");
      removeDurably(redo);
    }
  } catch (const std::exception& e) {
    error("close", e);
  }
  resetState();
}

void PlayerDB::discard() { resetState(); }

bool PlayerDB::isOpen() { return state().db.isOpen(); }
int32_t PlayerDB::numEntries() { return state().numEntries; }
int32_t PlayerDB::num() { return state().num; }
int64_t PlayerDB::length() { return state().pending.length(); }

// ---- Players ---------------------------------------------------------------

std::optional<Player> PlayerDB::getPlayer(int32_t uid) {
  State& st = state();
  try {
    const int64_t loc = int64_t{uid} + format::kUidToSlot;
    if (st.num > loc && loc > 0) {
      requireOpen();
      std::vector<uint8_t> b(static_cast<size_t>(st.entrySize));
      st.pending.read(st.db, int64_t{st.entrySize} * loc, b);
      Player p = bytesToPlayer(b, 0, false);
      p.uid = uid;
      return p;
    }
    if (loc > 0 && loc < format::kUidToSlot) return std::nullopt;
    trace("Error PlayerDB.getPlayer: Invalid Player Requested");
    trace("      loc=" + std::to_string(loc));
    trace("      num=" + std::to_string(st.num));
    return std::nullopt;
  } catch (const std::exception& e) {
    error("getPlayer", e);
    return std::nullopt;
  }
}

bool PlayerDB::putPlayer(const Player& p) {
  State& st = state();
  try {
    requireOpen();
    const int64_t loc = int64_t{p.uid} + format::kUidToSlot;
    // The first player of a file that has no player slots yet.
    if (st.num < format::kUidToSlot && loc == format::kUidToSlot) st.num = format::kUidToSlot;
    // Slot 0 is the header: never written with an entry.
    if ((st.num < loc && loc > format::kUidToSlot) || loc <= 0) {
      trace("Error PlayerDB.putPlayer: loc>num");
      trace("      loc=" + std::to_string(loc));
      trace("      num=" + std::to_string(st.num));
      return false;
    }
    const std::vector<uint8_t> bytes = encodePlayer(p);
    const int64_t offset = int64_t{st.entrySize} * loc;
    const bool grow = loc == st.num && st.num % format::kGrowSlots == format::kGrowRemainder;
    const int64_t grownLength = int64_t{st.entrySize} * (int64_t{st.num} + format::kGrowSlots);
    if (offset + static_cast<int64_t>(bytes.size()) > format::kMaxFileLength ||
        (grow && grownLength + 4 > format::kMaxFileLength))
      throw base::FormatError("slot " + std::to_string(loc) + " lies beyond the largest file of " +
                              std::to_string(format::kMaxFileLength) + " bytes");
    if (grow) {
      st.len = static_cast<int32_t>(grownLength);
      if (st.canSeek)
        st.pending.writeZeros(grownLength, 4);
      else
        st.pending.writeZeros(int64_t{st.entrySize} * st.num,
                              int64_t{format::kGrowSlots} * st.entrySize);
    }
    if (loc == st.num) st.num += 1;
    // The header counts the slots up to the highest player stored, also
    // when a player lands in a preallocated slot after a reopen.
    if (p.uid >= 0) st.numEntries = std::max(st.numEntries, p.uid + 1);
    st.pending.write(offset, bytes);
    return true;
  } catch (const std::exception& e) {
    error("putPlayer", e);
    return false;
  }
}

void PlayerDB::seek(int64_t offset) { state().pos = offset; }

std::optional<Player> PlayerDB::getNextPlayer(int32_t version, bool intToLong) {
  State& st = state();
  try {
    requireOpen();
    if (st.pos < 0 || st.pos >= st.pending.length())
      throw base::FormatError("no slot at offset " + std::to_string(st.pos) +
                              ": the file ends at " + std::to_string(st.pending.length()));
    std::vector<uint8_t> b(static_cast<size_t>(st.entrySize));
    st.pending.read(st.db, st.pos, b);
    st.pos += st.entrySize;
    bool ok = false;
    Player p = bytesToPlayer(b, version, intToLong, &ok);
    if (!ok) return std::nullopt;
    return p;
  } catch (const std::exception& e) {
    error("getNextPlayer", e);
    return std::nullopt;
  }
}

}  // namespace programs::vardobf
