#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "games/Game.h"
#include "util/LineGraph.h"

namespace programs::vardo {

// The match-page writer.
class GameHtml {
 public:
  virtual ~GameHtml() = default;
  // Called once per run before the first match; the writer draws its graphs
  // into these two objects, which outlive every writeGame() call.
  virtual void setGraphs(util::LineGraph& small, util::LineGraph& large) = 0;
  // Writes the pages of `gm` into every directory of `dirs` (full paths
  // without a trailing separator, created when missing). `name` is the page
  // heading, `type` is always 1, `graph` says whether pages carry graphs.
  virtual void writeGame(const games::Game& gm, const std::string& name,
                         const std::vector<std::string>& dirs, int32_t type, bool graph) = 0;
};

}  // namespace programs::vardo
