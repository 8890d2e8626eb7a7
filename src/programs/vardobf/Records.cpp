#include "programs/vardobf/Records.h"

#include "programs/vardobf/DbText.h"
#include "util/Debug.h"
#include "util/Failure.h"

namespace programs::vardobf {
namespace {

using games::bf::Player;
using util::Debug;

// Runs one operation with its entry, exit and failure lines.
template <class F>
void traced(const std::string& op, F&& f) {
  Debug::print("I Records." + op, 1);
  try {
    f();
    Debug::print("O Records." + op, 1);
  } catch (const std::exception& e) {
    Debug::print("Error in Records." + op + ": " + util::failureText(e), 0);
  }
}

}  // namespace

Records::Records() {
  Debug::print("I Records", 1);
  Debug::print("O Records", 1);
}

Records::Records(util::ByteReader& in, int32_t version) {
  Debug::print("I Records.new", 1);
  try {
    RecentGameMap = readText(in);
    RecentGameDate = readText(in);
    gMostFrags = GameRecord::read(in);
    gMostKills = GameRecord::read(in);
    gMostDeaths = GameRecord::read(in);
    gMostSuicides = GameRecord::read(in);
    cMostFrags = CareerRecord::read(in);
    cMostKills = CareerRecord::read(in);
    cMostDeaths = CareerRecord::read(in);
    cMostSuicides = CareerRecord::read(in);
    for (size_t w = 0; w < W; ++w) {
      gKillsHoldingWeapon[w] = GameRecord::read(in);
      gDeathsByWeapon[w] = GameRecord::read(in);
      gDeathsHoldingWeapon[w] = GameRecord::read(in);
      gWeaponSuicides[w] = GameRecord::read(in);
      cKillsHoldingWeapon[w] = CareerRecord::read(in);
      cDeathsByWeapon[w] = CareerRecord::read(in);
      cDeathsHoldingWeapon[w] = CareerRecord::read(in);
      cWeaponSuicides[w] = CareerRecord::read(in);
    }
    size_t types = version == 1 ? kSuicidesV1 : S;
    for (size_t s = 0; s < types; ++s) {
      gSuicides[s] = GameRecord::read(in);
      cSuicides[s] = CareerRecord::read(in);
    }
    gMostFCaptures = GameRecord::read(in);
    gMostFReturns = GameRecord::read(in);
    gMostCPCs = GameRecord::read(in);
    for (CareerRecord* r :
         {&cMostFCaptures, &cMostFReturns, &cMostCPCs, &cMostWins, &cMostFAssists, &cMostFKills,
          &cMostHS, &cMostFB, &cMostDK, &cMostMuK, &cMostUK, &cMostMoK})
      *r = CareerRecord::read(in);
    Debug::print("O Records.new", 1);
  } catch (const std::exception& e) {
    Debug::print("Error in Records.new: " + util::failureText(e), 0);
  }
}

void Records::writeDB(util::ByteWriter& out) const {
  writeText(out, RecentGameMap);
  writeText(out, RecentGameDate);
  for (const GameRecord* r : {&gMostFrags, &gMostKills, &gMostDeaths, &gMostSuicides})
    r->writeDB(out);
  for (const CareerRecord* r : {&cMostFrags, &cMostKills, &cMostDeaths, &cMostSuicides})
    r->writeDB(out);
  for (size_t w = 0; w < W; ++w) {
    gKillsHoldingWeapon[w].writeDB(out);
    gDeathsByWeapon[w].writeDB(out);
    gDeathsHoldingWeapon[w].writeDB(out);
    gWeaponSuicides[w].writeDB(out);
    cKillsHoldingWeapon[w].writeDB(out);
    cDeathsByWeapon[w].writeDB(out);
    cDeathsHoldingWeapon[w].writeDB(out);
    cWeaponSuicides[w].writeDB(out);
  }
  for (size_t s = 0; s < S; ++s) {
    gSuicides[s].writeDB(out);
    cSuicides[s].writeDB(out);
  }
  for (const GameRecord* r : {&gMostFCaptures, &gMostFReturns, &gMostCPCs}) r->writeDB(out);
  for (const CareerRecord* r :
       {&cMostFCaptures, &cMostFReturns, &cMostCPCs, &cMostWins, &cMostFAssists, &cMostFKills,
        &cMostHS, &cMostFB, &cMostDK, &cMostMuK, &cMostUK, &cMostMoK})
    r->writeDB(out);
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

void Records::game(GameRecord& holder, const Player& p, int32_t v) const {
  if (v > holder.score)
    holder = GameRecord(getCareerUID(p), p.name, p.isABot, v, g_->map.value_or(""),
                        g_->date.value_or(""), p.all.totalTime);
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
    g_ = &g;
    plist_ = &plist;
    for (const Player* p : g.playersByUID) {
      ugHighs(*p);
      ugKills(*p);
      ugDeaths(*p);
      ugDeathsOppW(*p);
      ugWSuicides(*p);
      ugSuicides(*p);
    }
  });
}

void Records::ugHighs(const Player& p) {
  traced("ugHighs", [&] {
    const auto& a = p.all;
    game(gMostFrags, p, a.frags);
    game(gMostKills, p, a.kills);
    game(gMostDeaths, p, a.deaths);
    game(gMostSuicides, p, a.suicides);
    game(gMostFCaptures, p, a.flagCaptures);
    game(gMostFReturns, p, a.flagReturns);
    game(gMostCPCs, p, a.controlPointCaptures);
  });
}

void Records::ugKills(const Player& p) {
  traced("ugKills", [&] {
    for (size_t w = 0; w < W; ++w) game(gKillsHoldingWeapon[w], p, p.all.myKills[w]);
  });
}

void Records::ugDeaths(const Player& p) {
  traced("ugDeaths", [&] {
    for (size_t w = 0; w < W; ++w) game(gDeathsHoldingWeapon[w], p, p.all.myDeaths[w]);
  });
}

void Records::ugDeathsOppW(const Player& p) {
  traced("ugDeathsOppW", [&] {
    for (size_t w = 0; w < W; ++w) game(gDeathsByWeapon[w], p, p.all.myDeathsOppW[w]);
  });
}

void Records::ugWSuicides(const Player& p) {
  traced("ugWSuicides", [&] {
    for (size_t w = 0; w < W; ++w) game(gWeaponSuicides[w], p, p.all.myWSuicides[w]);
  });
}

void Records::ugSuicides(const Player& p) {
  traced("ugSuicides", [&] {
    for (size_t s = 0; s < S; ++s) game(gSuicides[s], p, p.all.mySuicides[s]);
  });
}

int32_t Records::getCareerUID(const Player& p) const {
  const HashEntry* e = plist_ == nullptr ? nullptr : plist_->find(HashEntry::key(p.name, p.isABot));
  if (e == nullptr) throw util::FormatError("player '" + p.name + "' is not in the totals");
  return e->uid;
}

}  // namespace programs::vardobf
