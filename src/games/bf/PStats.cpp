#include "games/bf/PStats.h"

#include "util/WrapAround.h"

namespace games::bf {
namespace {

// Sums of stored records wrap around instead of overflowing.
void add(int32_t& to, int32_t from) { to = util::wrapAdd(to, from); }
void add(int64_t& to, int64_t from) { to = util::wrapAdd(to, from); }

template <size_t N>
void addArray(std::array<int32_t, N>& to, const std::array<int32_t, N>& from) {
  for (size_t i = 0; i < N; ++i) add(to[i], from[i]);
}

}  // namespace

PStats::PStats(std::string d) : desc(std::move(d)) {}

void PStats::addAt(std::optional<std::vector<int32_t>>& list, int32_t i) {
  if (i < 0) return;
  if (!list) list.emplace();
  auto at = static_cast<size_t>(i);
  if (list->size() < at + 1) list->resize(at + 1, 0);
  (*list)[at] += 1;
}

void PStats::stop(const char* reason, double time) {
  if (desc == "all") return;
  stopTime = time;
  totalTime = stopTime - startTime;
  reasonStopped = reason;
}

void PStats::gotItem(int32_t iType) {
  itemGets.at(static_cast<size_t>(iType)) += 1;
  items += 1;
}

void PStats::suicided(int32_t type, int32_t wType, double time) {
  suicides += 1;
  frags -= 1;
  if (type >= 0) {
    mySuicides.at(static_cast<size_t>(type)) += 1;
  } else {
    myWSuicides.at(static_cast<size_t>(wType)) += 1;
    myFrags.at(static_cast<size_t>(wType)) -= 1;
  }
  stop("Suicide", time);
}

void PStats::teamKiller(int32_t, int32_t, int32_t victimIndex) {
  frags -= 1;
  tkills += 1;
  addAt(playerKills, victimIndex);
}

void PStats::killer(int32_t kWeapon, int32_t vWeapon, int32_t victimIndex, double time) {
  frags += 1;
  kills += 1;
  myFrags.at(static_cast<size_t>(kWeapon)) += 1;
  myKills.at(static_cast<size_t>(kWeapon)) += 1;
  myFragsOppW.at(static_cast<size_t>(vWeapon)) += 1;
  myKillsOppW.at(static_cast<size_t>(vWeapon)) += 1;
  addAt(playerKills, victimIndex);

  // The multi-kill chain: each chain is counted once, under its final length.
  if (time - killTime > 3.0) {
    killLevel = 1;
  } else {
    switch (killLevel) {
      case 1:
        killLevel = 2;
        dKills += 1;
        break;
      case 2:
        killLevel = 3;
        dKills -= 1;
        muKills += 1;
        break;
      case 3:
        killLevel = 4;
        muKills -= 1;
        uKills += 1;
        break;
      case 4:
        killLevel = 5;
        uKills -= 1;
        moKills += 1;
        break;
      default:
        break;
    }
  }
  killTime = time;
}

void PStats::teamVictim(int32_t, int32_t, int32_t killerIndex, double time) {
  tdeaths += 1;
  addAt(playerDeaths, killerIndex);
  stop("Team Death", time);
}

void PStats::victim(int32_t kWeapon, int32_t vWeapon, int32_t killerIndex, double time) {
  deaths += 1;
  myDeaths.at(static_cast<size_t>(vWeapon)) += 1;
  myDeathsOppW.at(static_cast<size_t>(kWeapon)) += 1;
  addAt(playerDeaths, killerIndex);
  stop("Killed", time);
}

void PStats::started(double time) { startTime = time; }

void PStats::stopped(const std::string& reason, double time) {
  reasonStopped = reason;
  stopTime = time;
  if (time < startTime) return;
  if (desc == "all")
    totalTime += stopTime - startTime;
  else
    totalTime = stopTime - startTime;
}

void PStats::addPing(int32_t ping) {
  pingTime += ping;
  pingNum += 1;
}

void PStats::update(const PStats& p) {
  add(uses, 1);
  totalTime += p.totalTime;
  add(frags, p.frags);
  add(kills, p.kills);
  add(deaths, p.deaths);
  add(suicides, p.suicides);
  add(items, p.items);
  add(pingTime, p.pingTime);
  add(pingNum, p.pingNum);
  addArray(myFrags, p.myFrags);
  addArray(myFragsOppW, p.myFragsOppW);
  addArray(myKills, p.myKills);
  addArray(myKillsOppW, p.myKillsOppW);
  addArray(myDeaths, p.myDeaths);
  addArray(myDeathsOppW, p.myDeathsOppW);
  addArray(myWSuicides, p.myWSuicides);
  addArray(mySuicides, p.mySuicides);
  addArray(itemGets, p.itemGets);
  startTime = 0.0;
  stopTime = 0.0;
  playerKills.reset();
  playerDeaths.reset();
  add(teamWins, p.teamWins);
  add(teamLosses, p.teamLosses);
  add(flagCaptures, p.flagCaptures);
  add(flagDrops, p.flagDrops);
  add(flagPickups, p.flagPickups);
  add(flagReturns, p.flagReturns);
  add(flagAssists, p.flagAssists);
  add(flagKills, p.flagKills);
  add(controlPointCaptures, p.controlPointCaptures);
  add(tkills, p.tkills);
  add(tdeaths, p.tdeaths);
  add(flagTakens, p.flagTakens);
  add(headShots, p.headShots);
  add(dKills, p.dKills);
  add(muKills, p.muKills);
  add(uKills, p.uKills);
  add(moKills, p.moKills);
  add(firstBlood, p.firstBlood);
  add(blink, p.blink);
  add(blinkThrow, p.blinkThrow);
  add(blinkFail, p.blinkFail);
  score += p.score;
}

}  // namespace games::bf
