#pragma once

#include "programs/vardo/Totals.h"

namespace programs::vardo {

// The totals-page writer.
class TotalsHtml {
 public:
  virtual ~TotalsHtml() = default;
  // Rewrites all totals pages from `t`.
  virtual void writeTotals(Totals& t) = 0;
};

}  // namespace programs::vardo
