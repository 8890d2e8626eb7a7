#pragma once

// The rankings of a match's players. They are kept together because each is
// a few lines and they are always read side by side.

#include <array>
#include <cmath>
#include <cstdint>

#include "games/bf/Player.h"
#include "util/Comp.h"

namespace games::bf {

// Lower `rank` first.
class SortRank : public util::Comp<Player*> {
 public:
  int32_t compare(Player* const& a, Player* const& b) const override {
    if (a->rank < b->rank) return 1;
    if (a->rank > b->rank) return -1;
    return 0;
  }
};

// More frags first, then fewer deaths, then fewer suicides.
class SortFDS : public util::Comp<Player*> {
 public:
  int32_t compare(Player* const& a, Player* const& b) const override {
    return byFDS(a->all, b->all);
  }
  static int32_t byFDS(const PStats& a, const PStats& b) {
    if (a.frags > b.frags) return 1;
    if (a.frags < b.frags) return -1;
    if (a.deaths < b.deaths) return 1;
    if (a.deaths > b.deaths) return -1;
    if (a.suicides < b.suicides) return 1;
    if (a.suicides > b.suicides) return -1;
    return 0;
  }
};

// Higher score first (skipped when either is not a number), then as SortFDS.
class SortSFDS : public util::Comp<Player*> {
 public:
  int32_t compare(Player* const& a, Player* const& b) const override {
    double x = a->all.score;
    double y = b->all.score;
    if (!std::isnan(x) && !std::isnan(y)) {
      if (x > y) return 1;
      if (x < y) return -1;
    }
    return SortFDS::byFDS(a->all, b->all);
  }
};

// A Last Man Standing row: [0] lives lost so far, or -1 once out; [1] the
// position in the elimination list of the pair that last set [0]; [2] the
// player's index. Players still in rank before players who are out; among
// those still in, fewer lives lost first, then the later position; among
// those out, the one eliminated later first.
using LMSRow = std::array<int32_t, 3>;

class SortLMS : public util::Comp<LMSRow> {
 public:
  int32_t compare(const LMSRow& a, const LMSRow& b) const override {
    bool aIn = a[0] != -1;
    bool bIn = b[0] != -1;
    if (aIn != bIn) return aIn ? 1 : -1;
    if (aIn) {
      if (a[0] < b[0]) return 1;
      if (a[0] > b[0]) return -1;
    }
    if (a[1] > b[1]) return 1;
    if (a[1] < b[1]) return -1;
    return 0;
  }
};

}  // namespace games::bf
