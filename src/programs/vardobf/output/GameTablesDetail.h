#pragma once

// Small pieces shared by the table builders of GameTables.

#include <cstdint>
#include <string>
#include <vector>

#include "programs/vardobf/output/TableEntry.h"

namespace programs::vardobf::output::detail {

inline std::string num(int64_t v) { return std::to_string(v); }
// A count cell that hides zero.
inline std::string hideZero(int64_t v) { return v == 0 ? "&nbsp" : std::to_string(v); }
inline TableEntry heading(const std::string& text) { return TableEntry(text, 2); }
inline TableEntry label(const std::string& text) { return TableEntry(text, 3); }
inline TableEntry value(const std::string& text) { return TableEntry(text, 1); }
inline TableEntry teamColour(int32_t team, int32_t width, int32_t height) {
  return TableEntry("&nbsp;", 20 + team, 1, 1, width, height);
}
// "a", "b", "c" as "a, b, <br>c": a line break after every second name.
std::string joinMutators(const std::vector<std::string>& names);
// A number as the settings of a log write it, with surrounding blanks
// allowed; the whole text must be the number. Throws util::Failure
// ("NumberFormatException") otherwise.
double parseNumber(const std::string& text);

}  // namespace programs::vardobf::output::detail
