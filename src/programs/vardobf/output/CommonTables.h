#pragma once

#include <string>
#include <utility>
#include <vector>

#include "games/bf/PStats.h"
#include "programs/vardobf/output/TableEntry.h"
#include "util/NumberFormat.h"

namespace programs::vardobf::output {

// The tables that the match pages and the career pages show alike, built
// from one statistics record.
class CommonTables {
 public:
  // "Weapon", "Frags", "Kills", "Deaths", "Suicides", "Efficiency": one row
  // per weapon, more frags first, then fewer deaths; weapons without frags,
  // kills and deaths are left out.
  static Table weaponTable(const games::bf::PStats& record, const util::NumberFormat& fmt);
  // "Type", "Suicides": the weapons and then the other causes with a count
  // above 0, larger counts first.
  static Table suicideTable(const games::bf::PStats& record);
  // Three "Item Type"/"No." pairs per row: the items with a count other than
  // 0, larger counts first.
  static Table itemTable(const std::vector<int32_t>& counts);
  // Label/value pairs laid out three to a row under the headings repeated
  // three times; a last short row is completed with "&nbsp;" pairs.
  static Table pairTable(const std::string& labelHeading, const std::string& valueHeading,
                         const std::vector<std::pair<std::string, Cell>>& pairs);
};

}  // namespace programs::vardobf::output
