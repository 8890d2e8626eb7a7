#include "programs/vardobf/output/SortVs.h"

namespace programs::vardobf::output {
namespace {

int32_t entry(const std::optional<std::vector<int32_t>>& list, int32_t o) {
  if (!list || o < 0 || static_cast<size_t>(o) >= list->size()) return 0;
  return (*list)[static_cast<size_t>(o)];
}

}  // namespace

SortVs::SortVs(const games::bf::PStats& record, int32_t o)
    : num(o), kills(entry(record.playerKills, o)), deaths(entry(record.playerDeaths, o)) {
  eff = kills > 0 ? kills * 100.0 / (static_cast<double>(kills) + deaths) : 0.0;
}

int32_t SortVs::By::compare(const SortVs& a, const SortVs& b) const {
  if (a.kills != b.kills) return a.kills > b.kills ? 1 : -1;
  if (a.deaths != b.deaths) return a.deaths < b.deaths ? 1 : -1;
  return 0;
}

}  // namespace programs::vardobf::output
