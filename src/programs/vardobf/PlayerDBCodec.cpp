// PlayerDB's entry codec: the players and their statistics blocks as stored.
#include <utility>

#include "base/Failure.h"
#include "games/bf/Specs.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "programs/vardobf/PlayerDBInternal.h"
#include "util/WrapAround.h"

namespace programs::vardobf {
namespace detail {

using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using util::wrapAdd;
using util::wrapSub;
namespace format = playerdb;

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
    throw base::FormatError("player " + std::to_string(p.uid) +
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

}  // namespace detail

using games::bf::Player;
using games::bf::PStats;
using namespace detail;

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

}  // namespace programs::vardobf
