#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "games/bf/Game.h"
#include "programs/vardo/GameHtml.h"
#include "programs/vardobf/output/GameTables.h"
#include "util/LineGraph.h"

namespace programs::vardobf::output {

class SiteData;

// The match-page writer: the index page, the high and low page, a page per
// player, the small score graph and, for larger or team matches, the large
// graph with its page. Every page and image is built once in memory and
// written into each directory of the match in turn.
class GameHtml : public programs::vardo::GameHtml {
 public:
  GameHtml();

  void setGraphs(util::LineGraph& small, util::LineGraph& large) override;
  // The site data that gets every kept match (its pages in the directory
  // named by its time stamp); none: no data.
  void setSiteData(SiteData* data) { siteData_ = data; }
  // `gm` must be a games::bf::Game; any other match is traced and skipped.
  void writeGame(const games::Game& gm, const std::string& name,
                 const std::vector<std::string>& dirs, int32_t type, bool graph) override;

  // The pages and images of the current match (after writeGame() set it up).
  void writeGameIndex(const games::bf::Game& g, const std::string& name);
  void writeGameHighLow(const games::bf::Game& g, const std::string& name);
  void writeGameGraph(const games::bf::Game& g);
  void writeBigGameGraph(const games::bf::Game& g);
  void writeBigGamePage(const games::bf::Game& g, const std::string& name);
  void writePlayer(const games::bf::Game& g, const std::string& name, int32_t x);

  // The bodies; `title` is the markup-safe page heading.
  void writeGameBody(std::string& w, const std::string& title, const games::bf::Game& g);
  void writeHLBody(std::string& w, const std::string& title, const games::bf::Game& g);
  void writeGraphBody(std::string& w, const std::string& title, const games::bf::Game& g);
  void writePlayerBody(std::string& w, const std::string& title, const games::bf::Game& g,
                       int32_t x);

  // Whether the match gets the large graph: every type but DeathMatch and
  // Last Man Standing, and those with more than 8 players.
  static bool wantsBigGraph(const games::bf::Game& g);
  // The lines of the small and the large graph, as (minutes, value) pairs,
  // with the label kind of each graph.
  static std::vector<std::vector<double>> smallGraphLines(const games::bf::Game& g);
  static std::vector<std::vector<double>> bigGraphLines(const games::bf::Game& g);
  static int32_t smallGraphLabel(const games::bf::Game& g);
  static int32_t bigGraphLabel(const games::bf::Game& g);

  std::vector<std::string> Dirs;
  std::unique_ptr<GameTables> tables;
  int32_t OutputType = 1;
  bool bigGraph = false;
  bool Graph = false;

 private:
  // Writes a page: frame, body, frame, then the text to d + "/" + file for
  // every directory d, creating the directories first when `create`.
  template <class Body>
  void writePage(const char* op, const char* errorName, const std::string& title,
                 const std::string& file, bool create, Body body);
  void writeBytes(const std::string& file, const std::string& bytes);
  // Draws one graph image and writes it into every directory.
  void drawGraph(util::LineGraph& graph, const std::vector<std::vector<double>>& lines,
                 int32_t label, const std::string& file);

  std::optional<std::string> frameTitle_;
  std::string frameHead_, frameFoot_;
  util::LineGraph* smallGraph_ = nullptr;
  util::LineGraph* largeGraph_ = nullptr;
  SiteData* siteData_ = nullptr;
};

}  // namespace programs::vardobf::output
