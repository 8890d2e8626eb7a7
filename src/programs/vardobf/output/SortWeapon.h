#pragma once

#include <cstdint>

#include "games/bf/PStats.h"
#include "util/Comp.h"

namespace programs::vardobf::output {

// One weapon row of a weapon table: frags, kills, deaths and suicides with
// weapon `num`, and the efficiency kills * 100 / (kills + deaths + suicides).
struct SortWeapon {
  SortWeapon(const games::bf::PStats& record, int32_t w);

  int32_t num;
  int32_t frags;
  int32_t kills;
  int32_t deaths;
  int32_t suicides;
  double eff;

  // More frags first, then fewer deaths.
  struct By : util::Comp<SortWeapon> {
    int32_t compare(const SortWeapon& a, const SortWeapon& b) const override;
  };
};

}  // namespace programs::vardobf::output
