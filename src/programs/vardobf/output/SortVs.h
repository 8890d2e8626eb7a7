#pragma once

#include <cstdint>

#include "games/bf/PStats.h"
#include "util/Comp.h"

namespace programs::vardobf::output {

// One opponent row of a player page: the kills of opponent `num` and the
// deaths at his hand, and the efficiency kills * 100 / (kills + deaths).
struct SortVs {
  SortVs(const games::bf::PStats& record, int32_t o);

  int32_t num;
  int32_t kills;
  int32_t deaths;
  double eff;

  // More kills first, then fewer deaths.
  struct By : util::Comp<SortVs> {
    int32_t compare(const SortVs& a, const SortVs& b) const override;
  };
};

}  // namespace programs::vardobf::output
