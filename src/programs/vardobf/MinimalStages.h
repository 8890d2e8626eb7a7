#pragma once

// Minimal totals and totals-page stages that let the run driver work end to
// end until the totals pages replace them: matches are counted and
// remembered for the run, and the writer leaves one small main page.
// Nothing here is stored between runs.

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "games/Game.h"
#include "programs/vardo/Totals.h"
#include "programs/vardo/TotalsHtml.h"

namespace programs::vardobf {

// Remembers the matches of this run, newest first.
class MinimalTotals : public programs::vardo::Totals {
 public:
  void readDBs() override {}
  bool isNewGame(const games::Game& g) override { return seen_.count(g.theTime()) == 0; }
  void update(const games::Game& g) override;
  bool isPrintableGame(const games::Game& g, int32_t n) override;
  bool isHighGame(const games::Game& g) override;
  bool isRecentGame(const games::Game& g) override;
  bool isModified() override { return !games_.empty(); }
  void sortPlayers() override {}
  void writeDBs() override {}
  int32_t gListSize() override { return static_cast<int32_t>(games_.size()); }
  int64_t gListElement(int32_t i) override { return games_.at(static_cast<size_t>(i)); }

 private:
  std::set<int64_t> seen_;
  std::vector<int64_t> games_;  // newest first
};

// Writes "Vardo_Main.html" with the number of matches of the run.
class MinimalTotalsHtml : public programs::vardo::TotalsHtml {
 public:
  void writeTotals(programs::vardo::Totals& t) override;
};

}  // namespace programs::vardobf
