#include "programs/vardobf/Records.h"

#include <type_traits>

#include "base/Failure.h"
#include "programs/vardobf/DbText.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf {
namespace {

using games::bf::Player;
using util::Debug;

// Every game and career record starts with its holder's uid.
constexpr size_t kUidBytes = 4;

// Runs one operation with its entry, exit and failure lines.
// The entry and exit lines are only composed when the trace level shows
// them: these operations run for every player of every match.
template <class F>
void traced(const char* op, F&& f) {
  util::traced("Records", op, 1, util::ExitLine::kOnSuccess, std::forward<F>(f));
}

}  // namespace

// The one place that fixes the order of the records in the file (after the
// newest map and date): `suicideTypes` pairs of suicide records are visited,
// all other records always.
template <class Self, class OnGame, class OnCareer>
void Records::inFileOrder(Self& r, size_t suicideTypes, OnGame onGame, OnCareer onCareer) {
  for (auto* g : {&r.gMostFrags, &r.gMostKills, &r.gMostDeaths, &r.gMostSuicides}) onGame(*g);
  for (auto* c : {&r.cMostFrags, &r.cMostKills, &r.cMostDeaths, &r.cMostSuicides}) onCareer(*c);
  for (size_t w = 0; w < W; ++w) {
    onGame(r.gKillsHoldingWeapon[w]);
    onGame(r.gDeathsByWeapon[w]);
    onGame(r.gDeathsHoldingWeapon[w]);
    onGame(r.gWeaponSuicides[w]);
    onCareer(r.cKillsHoldingWeapon[w]);
    onCareer(r.cDeathsByWeapon[w]);
    onCareer(r.cDeathsHoldingWeapon[w]);
    onCareer(r.cWeaponSuicides[w]);
  }
  for (size_t k = 0; k < suicideTypes; ++k) {
    onGame(r.gSuicides[k]);
    onCareer(r.cSuicides[k]);
  }
  for (auto* g : {&r.gMostFCaptures, &r.gMostFReturns, &r.gMostCPCs}) onGame(*g);
  for (auto* c :
       {&r.cMostFCaptures, &r.cMostFReturns, &r.cMostCPCs, &r.cMostWins, &r.cMostFAssists,
        &r.cMostFKills, &r.cMostHS, &r.cMostFB, &r.cMostDK, &r.cMostMuK, &r.cMostUK, &r.cMostMoK})
    onCareer(*c);
}

Records::Records() {
  Debug::print("I Records", 1);
  Debug::print("O Records", 1);
}

Records::Records(util::ByteReader& in, int32_t version) {
  Debug::print("I Records.new", 1);
  try {
    RecentGameMap = readText(in);
    RecentGameDate = readText(in);
    // A record with not even its uid left marks a block cut short: it is
    // reported once, and it and the records after it keep their defaults,
    // which is all that reading each of them would give.
    bool cut = false;
    auto readOne = [&](auto& r) {
      if (cut) return;
      cut = in.remaining() < kUidBytes;
      r = std::remove_reference_t<decltype(r)>::read(in);
    };
    inFileOrder(*this, version == 1 ? kSuicidesV1 : S, readOne, readOne);
    Debug::print("O Records.new", 1);
  } catch (const std::exception& e) {
    util::traceFailure("Records", "new", e);
  }
}

void Records::writeDB(util::ByteWriter& out) const {
  writeText(out, RecentGameMap);
  writeText(out, RecentGameDate);
  inFileOrder(
      *this, S, [&](const GameRecord& r) { r.writeDB(out); },
      [&](const CareerRecord& r) { r.writeDB(out); });
}

void Records::addRecentGame(const games::bf::Game& g) {
  traced("addRecentGame", [&] {
    RecentGameMap = g.map.value_or("");
    RecentGameDate = g.date.value_or("");
  });
}

void Records::career(CareerRecord& holder, const Player& c, int32_t v) const {
  if (v > holder.score)
    holder = CareerRecord(c.uid, c.name, c.isABot, v, c.all.uses, c.all.totalTime);
}

void Records::game(GameRecord& holder, const Player& p, const Match& m, int32_t v) const {
  if (v > holder.score)
    holder = GameRecord(getCareerUID(p, m.plist), p.name, p.isABot, v, m.g.map.value_or(""),
                        m.g.date.value_or(""), p.all.totalTime);
}

void Records::updateCareerRecords(const Player& c) {
  traced("updateCareerRecords", [&] {
    utHighs(c);
    utKills(c);
    utDeaths(c);
    utDeathsOppW(c);
    utWSuicides(c);
    utSuicides(c);
  });
}

void Records::utHighs(const Player& c) {
  traced("utHighs", [&] {
    const auto& a = c.all;
    career(cMostFrags, c, a.frags);
    career(cMostKills, c, a.kills);
    career(cMostDeaths, c, a.deaths);
    career(cMostSuicides, c, a.suicides);
    career(cMostWins, c, a.teamWins);
    career(cMostFCaptures, c, a.flagCaptures);
    career(cMostFReturns, c, a.flagReturns);
    career(cMostFKills, c, a.flagKills);
    career(cMostFAssists, c, a.flagAssists);
    career(cMostCPCs, c, a.controlPointCaptures);
    career(cMostHS, c, a.headShots);
    career(cMostFB, c, a.firstBlood);
    career(cMostDK, c, a.dKills);
    career(cMostMuK, c, a.muKills);
    career(cMostUK, c, a.uKills);
    career(cMostMoK, c, a.moKills);
  });
}

void Records::utKills(const Player& c) {
  traced("utKills", [&] {
    for (size_t w = 0; w < W; ++w) career(cKillsHoldingWeapon[w], c, c.all.myKills[w]);
  });
}

void Records::utDeaths(const Player& c) {
  traced("utDeaths", [&] {
    for (size_t w = 0; w < W; ++w) career(cDeathsHoldingWeapon[w], c, c.all.myDeaths[w]);
  });
}

void Records::utDeathsOppW(const Player& c) {
  traced("utDeathsOppW", [&] {
    for (size_t w = 0; w < W; ++w) career(cDeathsByWeapon[w], c, c.all.myDeathsOppW[w]);
  });
}

void Records::utWSuicides(const Player& c) {
  traced("utWSuicides", [&] {
    for (size_t w = 0; w < W; ++w) career(cWeaponSuicides[w], c, c.all.myWSuicides[w]);
  });
}

void Records::utSuicides(const Player& c) {
  traced("utSuicides", [&] {
    for (size_t s = 0; s < S; ++s) career(cSuicides[s], c, c.all.mySuicides[s]);
  });
}

void Records::updateGameRecords(const games::bf::Game& g, const PlayerMap& plist) {
  traced("updateGameRecords", [&] {
    const Match m{g, plist};
    for (const Player* p : g.playersByUID) {
      ugHighs(*p, m);
      ugKills(*p, m);
      ugDeaths(*p, m);
      ugDeathsOppW(*p, m);
      ugWSuicides(*p, m);
      ugSuicides(*p, m);
    }
  });
}

void Records::ugHighs(const Player& p, const Match& m) {
  traced("ugHighs", [&] {
    const auto& a = p.all;
    game(gMostFrags, p, m, a.frags);
    game(gMostKills, p, m, a.kills);
    game(gMostDeaths, p, m, a.deaths);
    game(gMostSuicides, p, m, a.suicides);
    game(gMostFCaptures, p, m, a.flagCaptures);
    game(gMostFReturns, p, m, a.flagReturns);
    game(gMostCPCs, p, m, a.controlPointCaptures);
  });
}

void Records::ugKills(const Player& p, const Match& m) {
  traced("ugKills", [&] {
    for (size_t w = 0; w < W; ++w) game(gKillsHoldingWeapon[w], p, m, p.all.myKills[w]);
  });
}

void Records::ugDeaths(const Player& p, const Match& m) {
  traced("ugDeaths", [&] {
    for (size_t w = 0; w < W; ++w) game(gDeathsHoldingWeapon[w], p, m, p.all.myDeaths[w]);
  });
}

void Records::ugDeathsOppW(const Player& p, const Match& m) {
  traced("ugDeathsOppW", [&] {
    for (size_t w = 0; w < W; ++w) game(gDeathsByWeapon[w], p, m, p.all.myDeathsOppW[w]);
  });
}

void Records::ugWSuicides(const Player& p, const Match& m) {
  traced("ugWSuicides", [&] {
    for (size_t w = 0; w < W; ++w) game(gWeaponSuicides[w], p, m, p.all.myWSuicides[w]);
  });
}

void Records::ugSuicides(const Player& p, const Match& m) {
  traced("ugSuicides", [&] {
    for (size_t s = 0; s < S; ++s) game(gSuicides[s], p, m, p.all.mySuicides[s]);
  });
}

int32_t Records::getCareerUID(const Player& p, const PlayerMap& plist) {
  const HashEntry* e = plist.find(HashEntry::key(p.name, p.isABot));
  if (e == nullptr) throw base::FormatError("player '" + p.name + "' is not in the totals");
  return e->uid;
}

}  // namespace programs::vardobf
