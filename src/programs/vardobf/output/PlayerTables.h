#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "games/bf/PStats.h"
#include "games/bf/Player.h"
#include "programs/vardobf/output/TableEntry.h"
#include "util/NumberFormat.h"

namespace programs::vardobf::output {

// Every table of one career page, built in the constructor from a player's
// cumulative records. A builder that fails leaves its table as far as it got
// (none when it failed before it began).
class PlayerTables {
 public:
  // The long label of the single-player game type.
  static constexpr const char* kSinglePlayerLabel = "Brimfall Single-Player Ladder";

  // `thePlayer` must outlive the object. `type` is the page form: 1 a real
  // player, 2 an aggregate of the totals; `gType` the number of game-type
  // rows (the catalog's, 7).
  PlayerTables(const games::bf::Player& thePlayer, int32_t type, int32_t gType);

  const games::bf::Player& p;
  int32_t OutputType;
  // The number of game-type rows the tables cover.
  int32_t GameType;
  util::NumberFormat fmt;

  std::optional<Table> pWeapon, pSuicide, pSprees, pPickups, pItems, pMisc, pCTF;
  // One per game-type row (only the single-player row is built for pages 1
  // and 2), and at index GameType the career summary of all types.
  std::vector<std::optional<Table>> pSummary;

  // "DeathMatch", "CTF", "Domination", "Assault", "TeamGame", "LMS" for the
  // rows 0 to 5, "Mods" for other rows, "Totals" for the index `rows`.
  static std::string rowLabel(int32_t k, int32_t rows);

 private:
  void mPSummaryAll();
  void mPSummary(int32_t gNum);
  void mPWeapon();
  void mPSuicide();
  void mPSprees();
  void mPPickups();
  void mPItems();
  void mPMisc();
  void mPCTF();

  // Runs builder `name`, tracing its failure.
  void build(const char* name, const std::function<void()>& body);
  bool isPlayer() const { return OutputType == 1; }
  // The record of game-type row k (a zero record for a row the player has no
  // record of), or the all-types record for the index GameType.
  const games::bf::PStats& record(int32_t k) const;
  // The summary cells shared by the career summary and the single-type
  // summaries; `row` decides the "-" cells.
  std::string score(const games::bf::PStats& s, int32_t row) const;
  std::string teamCount(int32_t v, int32_t row) const;
  std::string efficiency(const games::bf::PStats& s) const;
  std::string fragsPerHour(const games::bf::PStats& s) const;
  std::string timeToLive(const games::bf::PStats& s) const;
  std::string ping(const games::bf::PStats& s) const;

  games::bf::PStats none_{"none"};
};

}  // namespace programs::vardobf::output
