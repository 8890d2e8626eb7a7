#pragma once

// Small pieces shared by the table builders of GameTables.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "games/bf/Game.h"
#include "games/bf/Specs.h"
#include "programs/vardobf/output/TableEntry.h"
#include "util/Comp.h"
#include "util/QuickSort.h"

namespace programs::vardobf::output::detail {

inline std::string num(int64_t v) { return std::to_string(v); }
// A count cell that hides zero.
inline std::string hideZero(int64_t v) { return v == 0 ? "&nbsp" : std::to_string(v); }
// The kinds of match whose pages and data differ: scored by points (Capture
// the Flag, Domination) and counted in lives (Last Man Standing).
inline bool isScored(const games::bf::Game& g) {
  return g.gameType == games::bf::Specs::kCaptureTheFlag ||
         g.gameType == games::bf::Specs::kDomination;
}
inline bool isLastManStanding(const games::bf::Game& g) {
  return g.gameType == games::bf::Specs::kLastManStanding;
}

inline TableEntry heading(const std::string& text) { return TableEntry(text, render::kHeading); }
inline TableEntry label(const std::string& text) { return TableEntry(text, render::kRowLabel); }
inline TableEntry value(const std::string& text) { return TableEntry(text, render::kValue); }
// The name of weapon row w as the pages show it. The catalog's row 0 takes
// every weapon the log names that the catalog does not know; its name is
// empty, so the pages call it "Unknown".
inline std::string weaponName(size_t w) {
  const std::string& name = games::bf::Specs::weapons[w];
  return name.empty() ? "Unknown" : name;
}
inline std::vector<std::string> weaponNames() {
  std::vector<std::string> out;
  for (size_t w = 0; w < games::bf::Specs::kWeapons; ++w) out.push_back(weaponName(w));
  return out;
}
inline TableEntry teamColour(int32_t team, int32_t width, int32_t height) {
  return TableEntry("&nbsp;", render::kTeam1 + team, 1, 1, width, height);
}
// "a", "b", "c" as "a, b, <br>c": a line break after every second name.
std::string joinMutators(const std::vector<std::string>& names);
// Sorts the whole of `v` with comparator C (ranking first at the front).
template <class C, class T>
void sortAll(std::vector<T>& v) {
  if (!v.empty()) util::QuickSort::quickSort(v, 0, static_cast<int32_t>(v.size()) - 1, C());
}

// Runs table builder `name` of `owner` ("GameTables", ...): a failure is
// traced as "Error in <owner>.<name>: " and leaves the table as far as
// built; with `traced` the builder's entry and exit lines are written too.
void runBuilder(const char* owner, const char* name, bool traced,
                const std::function<void()>& body);

// kills * 100 / (kills + deaths + suicides), 0 without a kill (the career
// and ranking efficiency, which leaves team kills out).
inline double careerEfficiency(int64_t kills, int64_t deaths, int64_t suicides) {
  const double all =
      static_cast<double>(kills) + static_cast<double>(deaths) + static_cast<double>(suicides);
  return kills > 0 && all != 0.0 ? static_cast<double>(kills) * 100.0 / all : 0.0;
}

// A number as the settings of a log write it, with surrounding blanks
// allowed; the whole text must be the number. Throws base::Failure
// ("NumberFormatException") otherwise.
double parseNumber(const std::string& text);

}  // namespace programs::vardobf::output::detail
