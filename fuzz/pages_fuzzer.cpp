// Fuzz entry point: the match pages of any text, built in memory: replay,
// every table, every page body and both graphs (written nowhere).
#include <cstdint>
#include <string>

#include "FuzzSetup.h"
#include "games/bf/Game.h"
#include "programs/vardobf/output/GameHtml.h"
#include "util/LineGraph.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_support::setUpCatalogOnce();
  static util::LineGraph small(500, 160), large(500, 500);
  static programs::vardobf::output::GameHtml html;
  html.setGraphs(small, large);
  games::bf::Game g(
      std::optional<std::string>(std::string(reinterpret_cast<const char*>(data), size)));
  html.writeGame(g, g.getServerName() + " " + g.getMap(), {}, 1, (size & 1) == 0);
  return 0;
}
