#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "games/bf/Player.h"
#include "programs/vardobf/output/PlayerTables.h"

namespace programs::vardobf::output {

// The career page writer: everything the statistics database knows about
// one player, or about one of the three aggregates of the totals. The page
// sits one level below the html directory.
class PlayerHtml {
 public:
  PlayerHtml();

  // The career page text of `thePlayer` (type 1: a real player, whose page
  // marks "Player List"; type 2: an aggregate, whose escaped name marks its
  // own sidebar link); gType is the number of game-type rows (7). Returns
  // what was written so far when a failure stops it.
  std::string getHtml(const games::bf::Player& thePlayer, int32_t type, int32_t gType);

  // The whole page of the current player, appended to `w`.
  void writePlayerTotals(std::string& w);
  // The page body; `name` is the markup-safe player name.
  void writePlayerTotalsBody(std::string& w, const std::string& name);

  std::string defaultFont;
  // The tables and the player of the last page; each getHtml replaces both.
  std::unique_ptr<PlayerTables> tables;
  std::optional<games::bf::Player> p;
  int32_t OutputType = 1;
  int32_t GameType = 0;
};

}  // namespace programs::vardobf::output
