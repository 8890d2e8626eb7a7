#include "games/bf/HighScores.h"

#include "util/Debug.h"
#include "util/Trace.h"

namespace games::bf {
namespace {

using util::Debug;

// A record with its best value so far. `more` records keep the largest value,
// the others the smallest; a tie adds the player to the holders.
template <class V>
struct Best {
  V value;
  bool more;
  HighScores::Holders* holders;
  void offer(V v, int32_t uid) {
    if (more ? v > value : v < value) {
      value = v;
      holders->assign(1, uid);
    } else if (v == value) {
      holders->push_back(uid);
    }
  }
};

}  // namespace

double HighScores::efficiency(const PStats& s) {
  if (s.kills <= 0) return 0.0;
  double all = static_cast<double>(s.kills) + s.deaths + s.suicides + s.tkills;
  return 100.0 * s.kills / all;
}

HighScores::HighScores(const std::vector<Player*>& players) {
  Debug::print("I HighScores", 1);
  try {
    compute(players);
    Debug::print("O HighScores", 1);
  } catch (const std::exception& e) {
    util::traceFailure("HighScores", e);
  }
}

void HighScores::compute(const std::vector<Player*>& players) {
  Debug::print("I HighScores.compute", 1);
  try {
    constexpr int32_t kLow = -1000000;
    constexpr int32_t kHigh = 1000000;
    Best<int32_t> mostFrags{kLow, true, &MostFrags}, mostKills{kLow, true, &MostKills},
        leastDeaths{kHigh, false, &LeastDeaths}, leastSuicides{kHigh, false, &LeastSuicides},
        mostCPCs{kLow, true, &MostCPCs}, mostFC{kLow, true, &MostFC}, mostFR{kLow, true, &MostFR},
        mostFD{kLow, true, &MostFD}, mostFP{kLow, true, &MostFP}, mostFK{kLow, true, &MostFK},
        mostFA{kLow, true, &MostFA}, mostHS{kLow, true, &MostHS},
        leastFrags{kHigh, false, &LeastFrags}, leastKills{kHigh, false, &LeastKills},
        mostDeaths{kLow, true, &MostDeaths}, mostSuicides{kLow, true, &MostSuicides};
    Best<double> highEff{-1.0, true, &HighEff}, lowEff{100.0, false, &LowEff};

    auto rows = [](auto& holders) {
      std::vector<Best<int32_t>> out;
      for (auto& h : holders) out.push_back({1, true, &h});
      return out;
    };
    auto killsHolding = rows(KillsHoldingWeapon);
    auto deathsBy = rows(DeathsByWeapon);
    auto deathsHolding = rows(DeathsHoldingWeapon);
    auto suicides = rows(Suicides);
    auto weaponSuicides = rows(WeaponSuicides);
    auto spreeRows = rows(Sprees);
    auto pickupRows = rows(Pickups);

    for (Player* p : players) {
      const PStats& a = p->all;
      int32_t u = p->uid;
      mostFrags.offer(a.frags, u);
      mostKills.offer(a.kills, u);
      leastDeaths.offer(a.deaths, u);
      leastSuicides.offer(a.suicides, u);
      highEff.offer(efficiency(a), u);
      mostCPCs.offer(a.controlPointCaptures, u);
      mostFC.offer(a.flagCaptures, u);
      mostFR.offer(a.flagReturns, u);
      mostFD.offer(a.flagDrops, u);
      mostFP.offer(a.flagPickups + a.flagTakens, u);
      mostFK.offer(a.flagKills, u);
      mostFA.offer(a.flagAssists, u);
      mostHS.offer(a.headShots, u);
      leastFrags.offer(a.frags, u);
      leastKills.offer(a.kills, u);
      mostDeaths.offer(a.deaths, u);
      mostSuicides.offer(a.suicides, u);
      lowEff.offer(efficiency(a), u);
      for (size_t w = 0; w < Specs::kWeapons; ++w) {
        killsHolding[w].offer(a.myKills[w], u);
        deathsBy[w].offer(a.myDeathsOppW[w], u);
        deathsHolding[w].offer(a.myDeaths[w], u);
        weaponSuicides[w].offer(a.myWSuicides[w], u);
      }
      for (size_t c = 0; c < Specs::kSuicides; ++c) suicides[c].offer(a.mySuicides[c], u);
      for (size_t s = 0; s < Specs::kSprees && s < p->sprees.size(); ++s)
        spreeRows[s].offer(p->sprees[s].uses, u);
      for (size_t k = 0; k < Specs::kPickups && k < p->pickups.size(); ++k)
        pickupRows[k].offer(p->pickups[k].kills, u);
      for (size_t i = 0; i < Specs::kItems; ++i) ItemsByType[i] += a.itemGets[i];
    }
    Debug::print("O HighScores.compute", 1);
  } catch (const std::exception& e) {
    util::traceFailure("HighScores", "compute", e);
  }
}

}  // namespace games::bf
