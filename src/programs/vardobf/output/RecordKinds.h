#pragma once

// The per-weapon and per-cause record holders as the totals pages and the
// site's data list them: named kinds, and those held, by score.

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "games/bf/Specs.h"
#include "programs/vardobf/Records.h"
#include "programs/vardobf/Sorts.h"
#include "programs/vardobf/output/GameTablesDetail.h"

namespace programs::vardobf::output {

template <class R>
using RecordKinds = std::vector<std::pair<std::string, const R*>>;

// One kind per weapon row, named as the pages name weapons.
template <class R, size_t N>
RecordKinds<R> perWeapon(const std::array<R, N>& records) {
  RecordKinds<R> out;
  for (size_t w = 0; w < N && w < games::bf::Specs::kWeapons; ++w)
    out.emplace_back(detail::weaponName(w), &records[w]);
  return out;
}

// The weapons, then the causes of suicide that are no weapon.
template <class R, size_t W, size_t S>
RecordKinds<R> perSuicide(const std::array<R, W>& weapons, const std::array<R, S>& causes) {
  RecordKinds<R> out = perWeapon(weapons);
  for (size_t c = 0; c < S && c < games::bf::Specs::kSuicides; ++c)
    out.emplace_back(games::bf::Specs::suicides[c], &causes[c]);
  return out;
}

// The rows of "Career Highs", as the pages label them: the records before
// "Highest FPH" (which is no stored record) and those after it.
inline RecordKinds<CareerRecord> careerHighsBeforeFph(const Records& r) {
  return {{"Most Frags", &r.cMostFrags},     {"Most Kills", &r.cMostKills},
          {"Most Deaths", &r.cMostDeaths},   {"Most Suicides", &r.cMostSuicides},
          {"Most Head Shots", &r.cMostHS},   {"Most First Blood", &r.cMostFB},
          {"Most Double Kills", &r.cMostDK}, {"Most Multi Kills", &r.cMostMuK},
          {"Most Ultra Kills", &r.cMostUK},  {"Most Monster Kills", &r.cMostMoK}};
}
inline RecordKinds<CareerRecord> careerHighsAfterFph(const Records& r) {
  return {{"Most Flag Captures", &r.cMostFCaptures},        {"Most Flag Kills", &r.cMostFKills},
          {"Most Flag Assists", &r.cMostFAssists},          {"Most Flag Saves", &r.cMostFReturns},
          {"Most Control<br>Point Captures", &r.cMostCPCs}, {"Most Wins", &r.cMostWins}};
}

// The rows of "Highs - From a Single Game", as the pages label them.
inline RecordKinds<GameRecord> matchHighs(const Records& r) {
  return {{"Most Frags", &r.gMostFrags},
          {"Most Kills", &r.gMostKills},
          {"Most Deaths", &r.gMostDeaths},
          {"Most Suicides", &r.gMostSuicides},
          {"Most Flag<br>Captures", &r.gMostFCaptures},
          {"Most Flag<br>Returns", &r.gMostFReturns},
          {"Most Control<br>Point Captures", &r.gMostCPCs}};
}

// The kinds whose record has a score above 0, highest first (the quick sort
// of the rankings, ties as it leaves them).
template <class R>
RecordKinds<R> heldByScore(const RecordKinds<R>& kinds) {
  std::vector<SortInt> order;
  for (size_t k = 0; k < kinds.size(); ++k)
    if (kinds[k].second->score > 0)
      order.push_back({kinds[k].second->score, static_cast<int32_t>(k)});
  detail::sortAll<SortInt::By>(order);
  RecordKinds<R> out;
  for (const SortInt& s : order) out.push_back(kinds[static_cast<size_t>(s.num)]);
  return out;
}

}  // namespace programs::vardobf::output
