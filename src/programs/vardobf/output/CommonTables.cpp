#include "programs/vardobf/output/CommonTables.h"

#include "games/bf/Specs.h"
#include "programs/vardobf/Sorts.h"
#include "programs/vardobf/output/GameTablesDetail.h"
#include "programs/vardobf/output/SortWeapon.h"
#include "util/QuickSort.h"

namespace programs::vardobf::output {

using games::bf::PStats;
using games::bf::Specs;
using namespace detail;

Table CommonTables::weaponTable(const PStats& record, const util::NumberFormat& fmt) {
  std::vector<SortWeapon> rows;
  for (size_t w = 0; w < Specs::kWeapons; ++w) rows.emplace_back(record, static_cast<int32_t>(w));
  sortAll<SortWeapon::By>(rows);
  Table t;
  t.push_back({{heading("Weapon")},
               {heading("Frags")},
               {heading("Kills")},
               {heading("Deaths")},
               {heading("Suicides")},
               {heading("Efficiency")}});
  for (const SortWeapon& r : rows) {
    if (r.frags == 0 && r.kills == 0 && r.deaths == 0) continue;
    t.push_back({{label(weaponName(static_cast<size_t>(r.num)))},
                 {value(num(r.frags))},
                 {value(num(r.kills))},
                 {value(num(r.deaths))},
                 {value(num(r.suicides))},
                 {value(fmt.format(r.eff) + "%")}});
  }
  return t;
}

Table CommonTables::suicideTable(const PStats& record) {
  std::vector<SortInt> rows;
  for (size_t w = 0; w < Specs::kWeapons; ++w)
    if (record.myWSuicides[w] > 0) rows.push_back({record.myWSuicides[w], static_cast<int32_t>(w)});
  for (size_t c = 0; c < Specs::kSuicides; ++c)
    if (record.mySuicides[c] > 0)
      rows.push_back({record.mySuicides[c], static_cast<int32_t>(Specs::kWeapons + c)});
  sortAll<SortInt::By>(rows);
  Table t{{{heading("Type")}, {heading("Suicides")}}};
  for (const SortInt& r : rows) {
    const auto k = static_cast<size_t>(r.num);
    const std::string name =
        k < Specs::kWeapons ? weaponName(k) : Specs::suicides[k - Specs::kWeapons];
    t.push_back({{label(name)}, {value(num(r.val))}});
  }
  return t;
}

Table CommonTables::itemTable(const std::vector<int32_t>& counts) {
  std::vector<SortInt> order;
  for (size_t i = 0; i < counts.size() && i < Specs::kItems; ++i)
    if (counts[i] != 0) order.push_back({counts[i], static_cast<int32_t>(i)});
  sortAll<SortInt::By>(order);
  std::vector<std::pair<std::string, Cell>> pairs;
  for (const SortInt& s : order)
    pairs.emplace_back(Specs::items[static_cast<size_t>(s.num)], Cell{value(num(s.val))});
  return pairTable("Item Type", "No.", pairs);
}

Table CommonTables::pairTable(const std::string& labelHeading, const std::string& valueHeading,
                              const std::vector<std::pair<std::string, Cell>>& pairs) {
  Table t;
  t.push_back({{heading(labelHeading)},
               {heading(valueHeading)},
               {heading(labelHeading)},
               {heading(valueHeading)},
               {heading(labelHeading)},
               {heading(valueHeading)}});
  for (size_t i = 0; i < pairs.size(); i += 3) {
    Row r;
    for (size_t j = i; j < i + 3; ++j) {
      if (j < pairs.size()) {
        r.push_back({label(pairs[j].first)});
        r.push_back(pairs[j].second);
      } else {
        r.push_back({label("&nbsp;")});
        r.push_back({value("&nbsp;")});
      }
    }
    t.push_back(std::move(r));
  }
  return t;
}

}  // namespace programs::vardobf::output
