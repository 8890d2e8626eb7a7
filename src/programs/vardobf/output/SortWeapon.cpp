#include "programs/vardobf/output/SortWeapon.h"

#include "util/WrapAround.h"

namespace programs::vardobf::output {

SortWeapon::SortWeapon(const games::bf::PStats& record, int32_t w) : num(w) {
  const auto i = static_cast<size_t>(w);
  kills = record.myKills.at(i);
  suicides = record.myWSuicides.at(i);
  // Stored counters wrap around; so does their difference.
  frags = util::wrapSub(kills, suicides);
  deaths = record.myDeaths.at(i);
  eff = kills > 0
            ? kills * 100.0 / (static_cast<double>(kills) + static_cast<double>(deaths) + suicides)
            : 0.0;
}

int32_t SortWeapon::By::compare(const SortWeapon& a, const SortWeapon& b) const {
  if (a.frags != b.frags) return a.frags > b.frags ? 1 : -1;
  if (a.deaths != b.deaths) return a.deaths < b.deaths ? 1 : -1;
  return 0;
}

}  // namespace programs::vardobf::output
