#pragma once

// The orders of the player summaries on the totals pages. They are kept
// together because each is a few lines and they are always read side by side.

#include <cmath>
#include <cstdint>

#include "programs/vardobf/HashEntry.h"
#include "util/Comp.h"

namespace programs::vardobf {

// Humans before bots; within each, names in ascending byte order.
class SortName : public util::Comp<HashEntry> {
 public:
  int32_t compare(const HashEntry& a, const HashEntry& b) const override {
    if (a.isABot != b.isABot) return a.isABot ? -1 : 1;
    int c = a.name.compare(b.name);  // std::string compares bytes as unsigned char
    return c < 0 ? 1 : (c > 0 ? -1 : 0);
  }
};

// More frags first, then fewer deaths, then fewer suicides (all game types).
class SortFDS : public util::Comp<HashEntry> {
 public:
  int32_t compare(const HashEntry& a, const HashEntry& b) const override {
    return order(a.a_frags, a.a_deaths, a.a_suicides, b.a_frags, b.a_deaths, b.a_suicides);
  }
  static int32_t order(int32_t f1, int32_t d1, int32_t s1, int32_t f2, int32_t d2, int32_t s2) {
    if (f1 != f2) return f1 > f2 ? 1 : -1;
    if (d1 != d2) return d1 < d2 ? 1 : -1;
    if (s1 != s2) return s1 < s2 ? 1 : -1;
    return 0;
  }
};

// The same on the DeathMatch counters.
class SortFDSb : public util::Comp<HashEntry> {
 public:
  int32_t compare(const HashEntry& a, const HashEntry& b) const override {
    return SortFDS::order(a.dm_frags, a.dm_deaths, a.dm_suicides, b.dm_frags, b.dm_deaths,
                          b.dm_suicides);
  }
};

// A value with the index of its summary in the unsorted array; larger first.
struct SortInt {
  int32_t val = 0;
  int32_t num = 0;
  struct By : util::Comp<SortInt> {
    int32_t compare(const SortInt& a, const SortInt& b) const override {
      return a.val > b.val ? 1 : (a.val < b.val ? -1 : 0);
    }
  };
};

// Larger first; values that cannot be compared are equal.
struct SortDouble {
  double val = 0.0;
  int32_t num = 0;
  struct By : util::Comp<SortDouble> {
    int32_t compare(const SortDouble& a, const SortDouble& b) const override {
      if (a.val > b.val) return 1;
      if (a.val < b.val) return -1;
      return 0;
    }
  };
};

// More wins first, then fewer losses.
struct SortWonLost {
  int32_t won = 0;
  int32_t lost = 0;
  int32_t num = 0;
  struct By : util::Comp<SortWonLost> {
    int32_t compare(const SortWonLost& a, const SortWonLost& b) const override {
      if (a.won != b.won) return a.won > b.won ? 1 : -1;
      if (a.lost != b.lost) return a.lost < b.lost ? 1 : -1;
      return 0;
    }
  };
};

}  // namespace programs::vardobf
