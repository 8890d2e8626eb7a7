#include "programs/vardobf/PlayerDB.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "games/bf/GameData.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "platform/RandomAccessFile.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "util/Debug.h"
#include "util/Failure.h"
#include "util/WrapAround.h"

namespace programs::vardobf {
namespace {

using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using platform::RandomAccessFile;
using util::wrapAdd;
using util::wrapSub;
namespace format = playerdb;

void trace(const std::string& text) { util::Debug::print(text, 0); }

void error(const char* op, const std::exception& e) {
  trace(std::string("Error PlayerDB.") + op + ": " + util::failureText(e));
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file as it will be once the pending writes are applied: the bytes of
// the file as opened (its first `base` bytes), written extents on top, and
// zeros everywhere else up to `length`. Zeros written beyond `base` are not
// kept: applying truncates the file to `base` before extending it.
class Overlay {
 public:
  void reset(int64_t base) {
    extents_.clear();
    base_ = base;
    length_ = base;
  }
  int64_t base() const { return base_; }
  int64_t length() const { return length_; }
  const std::map<int64_t, std::vector<uint8_t>>& extents() const { return extents_; }

  void write(int64_t offset, std::span<const uint8_t> data) {
    if (data.empty()) return;
    const int64_t end = offset + static_cast<int64_t>(data.size());
    erase(offset, end);
    extents_.emplace(offset, std::vector<uint8_t>(data.begin(), data.end()));
    length_ = std::max(length_, end);
  }

  void writeZeros(int64_t offset, int64_t count) {
    if (count <= 0) return;
    const int64_t end = offset + count;
    if (offset < base_) {
      const int64_t stored = std::min(end, base_) - offset;
      write(offset, std::vector<uint8_t>(static_cast<size_t>(stored), 0));
    }
    if (end > base_) erase(std::max(offset, base_), end);
    length_ = std::max(length_, end);
  }

  // Bytes from `offset` on; those at or beyond the length read as zero.
  void read(const RandomAccessFile& file, int64_t offset, std::span<uint8_t> out) const {
    std::fill(out.begin(), out.end(), uint8_t{0});
    const int64_t end = offset + static_cast<int64_t>(out.size());
    const int64_t fromFile = std::min({end, base_, length_}) - offset;
    if (fromFile > 0) file.readAt(offset, out.first(static_cast<size_t>(fromFile)));
    for (auto it = first(offset); it != extents_.end() && it->first < end; ++it) {
      const int64_t from = std::max(offset, it->first);
      const int64_t to = std::min(end, it->first + static_cast<int64_t>(it->second.size()));
      std::copy(it->second.begin() + (from - it->first), it->second.begin() + (to - it->first),
                out.begin() + (from - offset));
    }
  }

 private:
  using Map = std::map<int64_t, std::vector<uint8_t>>;

  // The first extent that ends after `offset`.
  template <typename M>
  static auto firstOf(M& map, int64_t offset) {
    auto it = map.upper_bound(offset);
    if (it != map.begin()) {
      auto prev = std::prev(it);
      if (prev->first + static_cast<int64_t>(prev->second.size()) > offset) return prev;
    }
    return it;
  }
  Map::iterator first(int64_t offset) { return firstOf(extents_, offset); }
  Map::const_iterator first(int64_t offset) const { return firstOf(extents_, offset); }

  // Removes [from, to) from the extents, keeping the parts outside.
  void erase(int64_t from, int64_t to) {
    auto it = first(from);
    while (it != extents_.end() && it->first < to) {
      const int64_t start = it->first;
      std::vector<uint8_t> data = std::move(it->second);
      const int64_t end = start + static_cast<int64_t>(data.size());
      it = extents_.erase(it);
      if (start < from)
        extents_.emplace(start, std::vector<uint8_t>(data.begin(), data.begin() + (from - start)));
      if (end > to)
        extents_.emplace(to, std::vector<uint8_t>(data.begin() + (to - start), data.end()));
    }
  }

  Map extents_;
  int64_t base_ = 0;
  int64_t length_ = 0;
};

// The module state.
struct State {
  RandomAccessFile db;
  std::string path;
  int32_t len = 0;
  int32_t num = 0;
  int32_t entrySize = format::kEntrySize;
  bool canSeek = false;
  int32_t numEntries = 0;
  int64_t pos = 0;
  Overlay pending;
};

State& state() {
  static State s;
  return s;
}

void resetState() {
  State& st = state();
  st.db = RandomAccessFile();
  st.path.clear();
  st.len = 0;
  st.num = 0;
  st.entrySize = format::kEntrySize;
  st.numEntries = 0;
  st.pos = 0;
  st.pending.reset(0);
}

void requireOpen() {
  if (!state().db.isOpen()) throw util::IOError("no player database is open");
}

// ---- Entries ---------------------------------------------------------------

void writePStats(const PStats& s, util::ByteWriter& out, bool ctf) {
  out.putDouble(s.totalTime);
  out.putInt32(s.kills);
  out.putInt32(s.deaths);
  out.putInt32(s.tkills);
  out.putInt32(s.tdeaths);
  out.putInt32(s.suicides);
  out.putInt64(s.items);
  out.putInt64(s.pingTime);
  for (int32_t v :
       {s.pingNum, s.uses, s.teamWins, s.teamLosses, s.controlPointCaptures, s.headShots, s.dKills,
        s.muKills, s.uKills, s.moKills, s.firstBlood, s.blink, s.blinkThrow, s.blinkFail})
    out.putInt32(v);
  out.putDouble(s.score);
  for (size_t w = 0; w < Specs::kWeapons; ++w) {
    out.putInt32(s.myKills[w]);
    out.putInt32(s.myKillsOppW[w]);
    out.putInt32(s.myDeaths[w]);
    out.putInt32(s.myDeathsOppW[w]);
    out.putInt32(s.myWSuicides[w]);
  }
  for (int32_t v : s.mySuicides) out.putInt32(v);
  for (int32_t v : s.itemGets) out.putInt32(v);
  if (ctf) {
    for (int32_t v : {s.flagCaptures, s.flagDrops, s.flagPickups, s.flagReturns, s.flagAssists,
                      s.flagKills, s.flagTakens})
      out.putInt32(v);
  }
}

// Fields are set as they are read, so a block cut short keeps what came
// before the cut.
void readPStats(PStats& s, util::ByteReader& in, bool ctf, int32_t pv) {
  s.totalTime = in.readDouble();
  s.kills = in.readInt32();
  s.deaths = in.readInt32();
  s.tkills = in.readInt32();
  s.tdeaths = in.readInt32();
  s.suicides = in.readInt32();
  if (pv == format::kEntryVersionInt32Items) {
    s.items = in.readInt32();
    s.pingTime = in.readInt32();
  } else {
    s.items = in.readInt64();
    s.pingTime = in.readInt64();
  }
  for (int32_t* field : {&s.pingNum, &s.uses, &s.teamWins, &s.teamLosses, &s.controlPointCaptures,
                         &s.headShots, &s.dKills, &s.muKills, &s.uKills, &s.moKills, &s.firstBlood,
                         &s.blink, &s.blinkThrow, &s.blinkFail})
    *field = in.readInt32();
  s.score = in.readDouble();
  s.frags = wrapSub(wrapSub(s.kills, s.suicides), s.tkills);
  for (size_t w = 0; w < Specs::kWeapons; ++w) {
    s.myKills[w] = in.readInt32();
    s.myKillsOppW[w] = in.readInt32();
    s.myDeaths[w] = in.readInt32();
    s.myDeathsOppW[w] = in.readInt32();
    s.myWSuicides[w] = in.readInt32();
    s.myFrags[w] = wrapSub(s.myKills[w], s.myWSuicides[w]);
    s.myFragsOppW[w] = s.myKillsOppW[w];
  }
  const size_t causes = pv <= 2 ? format::kOldSuicideTypes : Specs::kSuicides;
  for (size_t c = 0; c < causes; ++c) s.mySuicides[c] = in.readInt32();
  for (int32_t& v : s.itemGets) v = in.readInt32();
  if (ctf) {
    // The stored score is kept as it is: it already holds the game's score
    // (the Capture the Flag formula where that applies), and recomputing it
    // here would replace a Domination or team score by a frag count.
    for (int32_t* field : {&s.flagCaptures, &s.flagDrops, &s.flagPickups, &s.flagReturns,
                           &s.flagAssists, &s.flagKills, &s.flagTakens})
      *field = in.readInt32();
  }
}

void writeCounters(const PStats& s, util::ByteWriter& out) {
  out.putDouble(s.totalTime);
  out.putInt32(s.uses);
  out.putInt32(s.kills);
  out.putInt32(s.deaths);
  out.putInt32(s.suicides);
}

void readCounters(PStats& s, util::ByteReader& in) {
  s.totalTime = in.readDouble();
  s.uses = in.readInt32();
  s.kills = in.readInt32();
  s.deaths = in.readInt32();
  s.suicides = in.readInt32();
}

std::vector<uint8_t> encodePlayer(const Player& p) {
  if (p.games.size() != Specs::kGames || p.pickups.size() != Specs::kPickups ||
      p.sprees.size() != Specs::kSprees)
    throw util::FormatError("player " + std::to_string(p.uid) +
                            " does not have one record per game type, pickup and spree");
  util::ByteWriter out(static_cast<size_t>(format::kEntrySize));
  out.putInt32(format::kEntryVersion);
  writePStats(p.all, out, true);
  writePStats(p.vsHumans, out, true);
  writePStats(p.vsBots, out, true);
  for (size_t g = 0; g < Specs::kGames; ++g)
    writePStats(p.games[g], out, g == static_cast<size_t>(Specs::kCaptureTheFlag));
  for (const PStats& s : p.pickups) writeCounters(s, out);
  for (const PStats& s : p.sprees) writeCounters(s, out);
  return out.take();
}

void decodePlayer(Player& p, std::span<const uint8_t> b, int32_t version, bool intToLong) {
  util::ByteReader in(b);
  int32_t pv;
  if (version != format::kDBVersionNoEntryVersion)
    pv = in.readInt32();
  else
    pv = intToLong ? 1 : 2;
  readPStats(p.all, in, true, pv);
  readPStats(p.vsHumans, in, true, pv);
  readPStats(p.vsBots, in, true, pv);
  for (size_t g = 0; g < Specs::kGames; ++g) {
    if (pv <= 2 && g == format::kFoldedGameBlock) {
      // The sixth block of the old entries belongs to a game type now
      // counted as DeathMatch: folded into games[0], use counts summed.
      PStats folded(Specs::games[g]);
      readPStats(folded, in, false, pv);
      p.games[0].update(folded);
      p.games[0].uses = wrapAdd(p.games[0].uses, wrapSub(folded.uses, 1));
    }
    readPStats(p.games[g], in, g == static_cast<size_t>(Specs::kCaptureTheFlag), pv);
  }
  for (PStats& s : p.pickups) readCounters(s, in);
  for (PStats& s : p.sprees) readCounters(s, in);
  // A Capture the Flag team kill does not cost a frag.
  PStats& ctf = p.games[Specs::kCaptureTheFlag];
  ctf.frags = wrapAdd(ctf.frags, ctf.tkills);
  p.all.frags = wrapAdd(p.all.frags, ctf.tkills);
}

// ---- Redo files ----------------------------------------------------------

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

struct Redo {
  int64_t base = 0;
  int64_t length = 0;
  std::vector<std::pair<int64_t, std::span<const uint8_t>>> records;
};

// Checks the whole redo file before anything is applied. Throws
// util::FormatError for an incomplete or damaged one.
Redo decodeRedo(std::span<const uint8_t> bytes, const std::string& path) {
  auto damaged = [&](const std::string& why) {
    return util::FormatError(path + " is incomplete or damaged (" + why + ")");
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
  for (int32_t i = 0; i < count; ++i) {
    const int64_t offset = in.readInt64();
    const int32_t n = in.readInt32();
    if (offset < 0 || n < 0 || static_cast<size_t>(n) > in.remaining() || offset + n > redo.length)
      throw damaged("bad record");
    redo.records.emplace_back(offset, in.readBytes(static_cast<size_t>(n)));
  }
  if (!in.atEnd()) throw damaged("bytes after the records");
  return redo;
}

enum class ApplyResult { kApplied, kRefused };

// Applies a complete redo file; a damaged one is refused before the database
// is touched. I/O failures throw.
ApplyResult applyRedoFile(const std::string& dbPath, const std::string& redoPath) {
  const std::string text = platform::readFile(redoPath);
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  Redo redo;
  try {
    redo = decodeRedo(bytes, redoPath);
  } catch (const util::FormatError& e) {
    trace("Error PlayerDB.applyRedo: " + e.text());
    return ApplyResult::kRefused;
  }
  RandomAccessFile db = RandomAccessFile::open(dbPath, RandomAccessFile::Mode::kReadWrite);
  // Back to the file the writes were made against, so that applying twice,
  // or again after a crash part-way, gives the same content.
  if (db.size() > redo.base) db.truncate(redo.base);
  db.truncate(redo.length);
  for (const auto& [offset, data] : redo.records) db.writeAt(offset, data);
  db.sync();
  db.close();
  platform::syncDirectory(directoryOf(dbPath));
  return ApplyResult::kApplied;
}

void removeDurably(const std::string& path) {
  if (!platform::exists(path)) return;
  if (!platform::removePath(path)) throw util::IOError("cannot delete " + path);
  platform::syncDirectory(directoryOf(path));
}

// Finishes or drops the commit of a run that was killed inside close().
void recoverRedo(const std::string& f) {
  const std::string redo = f + format::kRedoSuffix;
  if (!platform::exists(redo)) return;
  if (applyRedoFile(f, redo) == ApplyResult::kApplied)
    trace("Player DB: completed the save of an interrupted run");
  else
    trace("Player DB: dropped the unfinished save of an interrupted run");
  removeDurably(redo);
}

}  // namespace

// ---- Opening and closing -------------------------------------------------

bool PlayerDB::open(const std::string& f, bool seek, int32_t numPlayers, bool intToLong) {
  State& st = state();
  try {
    if (st.db.isOpen()) close();
    resetState();
    recoverRedo(f);
    st.canSeek = seek;
    st.db = RandomAccessFile::open(f, RandomAccessFile::Mode::kReadWrite);
    st.path = f;
    const int64_t length = st.db.size();
    if (length > format::kMaxFileLength)
      throw util::FormatError(f + " is longer than " + std::to_string(format::kMaxFileLength) +
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
        throw util::IOError("the redo file " + redo + " did not read back");
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
      throw util::FormatError("slot " + std::to_string(loc) + " lies beyond the largest file of " +
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
      throw util::FormatError("no slot at offset " + std::to_string(st.pos) +
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

// ---- Encoding ------------------------------------------------------------

std::vector<uint8_t> PlayerDB::playerToBytes(const Player& p) {
  try {
    return encodePlayer(p);
  } catch (const std::exception& e) {
    error("playerToBytes", e);
    return {};
  }
}

Player PlayerDB::bytesToPlayer(std::span<const uint8_t> b, int32_t version, bool intToLong,
                               bool* ok) {
  Player p(0.0);
  if (ok != nullptr) *ok = false;
  try {
    decodePlayer(p, b, version, intToLong);
    if (ok != nullptr) *ok = true;
  } catch (const std::exception& e) {
    error("bytesToPlayer", e);
  }
  return p;
}

void PlayerDB::pstatsToBytes(const PStats& s, util::ByteWriter& out, bool ctf) {
  try {
    writePStats(s, out, ctf);
  } catch (const std::exception& e) {
    error("pstatsToBytes", e);
  }
}

void PlayerDB::bytesToPStats(PStats& s, util::ByteReader& in, bool ctf, int32_t playerVersion) {
  try {
    readPStats(s, in, ctf, playerVersion);
  } catch (const std::exception& e) {
    error("bytesToPStats", e);
  }
}

void PlayerDB::pickupsToBytes(const PStats& s, util::ByteWriter& out) {
  try {
    writeCounters(s, out);
  } catch (const std::exception& e) {
    error("pickupsToBytes", e);
  }
}

void PlayerDB::bytesToPickups(PStats& s, util::ByteReader& in, int32_t /*playerVersion*/) {
  try {
    readCounters(s, in);
  } catch (const std::exception& e) {
    error("bytesToPickups", e);
  }
}

// ---- Conversion ----------------------------------------------------------

bool PlayerDB::convertV1V2(const std::string& f, int32_t numPlayers, bool intToLong) {
  State& st = state();
  const bool seekable = st.canSeek;
  const std::string dir = directoryOf(f);
  const std::string newPath = dir + format::kConvertName;
  const std::string oldPath = dir + format::kBackupName;
  try {
    if (st.db.isOpen()) close();
    st.db = RandomAccessFile::open(f, RandomAccessFile::Mode::kReadOnly);
    st.path = f;
    st.pending.reset(st.db.size());

    RandomAccessFile out = RandomAccessFile::open(newPath, RandomAccessFile::Mode::kTruncate);
    out.writeAt(0, std::vector<uint8_t>(static_cast<size_t>(format::kEntrySize), 0));
    util::ByteWriter header;
    header.putInt8(format::kDBVersion);
    header.putInt32(numPlayers);
    out.writeAt(format::kVersionOffset, header.bytes());
    const int64_t last = int64_t{numPlayers} + 3;
    for (int64_t x = 1; x <= last; ++x) {
      if (x % 100 == 0)
        trace("Updating player " + std::to_string(x) + " of " + std::to_string(last));
      const int64_t at = int64_t{format::kEntrySize} * x;
      seek(at);
      std::optional<Player> p = getNextPlayer(format::kDBVersionNoEntryVersion, intToLong);
      if (!p) {
        trace("Error retrieving player " + std::to_string(x) + ", aborting...");
        out = RandomAccessFile();
        resetState();
        platform::removePath(newPath);
        return false;
      }
      out.writeAt(at, encodePlayer(*p));
    }
    out.sync();
    out.close();
    resetState();
    // The old content is copied to the backup before the new file replaces
    // `f` in one rename: at every moment `f` is a whole database.
    platform::copyFile(f, oldPath);
    if (!platform::replaceFile(newPath, f))
      throw util::IOError("cannot rename " + newPath + " to " + f);
    platform::syncDirectory(dir);
  } catch (const std::exception& e) {
    error("convertV1V2", e);
    resetState();
    platform::removePath(newPath);
    return false;
  }
  return open(f, seekable, 0, false);
}

// ---- Commit --------------------------------------------------------------

bool PlayerDB::writeRedo(const std::string& redoPath) {
  State& st = state();
  try {
    requireOpen();
    util::ByteWriter count;
    count.putInt32(st.numEntries);
    st.pending.write(format::kNumEntriesOffset, count.bytes());
    const std::vector<uint8_t> bytes = encodeRedo(st.pending);
    RandomAccessFile out = RandomAccessFile::open(redoPath, RandomAccessFile::Mode::kTruncate);
    out.writeAt(0, bytes);
    out.sync();
    out.close();
    platform::syncDirectory(directoryOf(redoPath));
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
