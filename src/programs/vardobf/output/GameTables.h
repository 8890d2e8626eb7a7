#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "games/bf/Game.h"
#include "programs/vardobf/output/TableEntry.h"
#include "util/NumberFormat.h"

namespace programs::vardobf::output {

// Every table of one match's pages, built in the constructor. A table that
// is not built (not this game type, or its builder failed before it began)
// is none; a builder that fails part way leaves the rows built so far.
// Per-player tables are indexed by the player's number in the match (his
// uid, his index in plist and playersByUID).
class GameTables {
 public:
  // `g` must outlive the object; `graph` says whether the pages carry graphs.
  GameTables(const games::bf::Game& g, bool graph, int32_t type);

  std::optional<Table> gameSummary, gameTotals, gameInfo, killsMatchUp, CTFSummary, highs, lows,
      teamTable, gameWeapons, gameSummaryB, killsHoldingWeapon, deathsByWeapon, deathsHoldingWeapon,
      suicides, sprees, pickups, items, misc;
  std::vector<Table> playerSummary, playerWeapons, playerSuicides, playerPlayer, playerSpree,
      playerPickup, playerItem, playerCTF, playerCPC, playerMisc;

  // "dm", "ctf", "dom", "ass", "team", "lms" or "all".
  std::string GT;
  int32_t OutputType;

  // The image of graph colour n (1 to 32), the legend heading image and the
  // image of a player without a line.
  static std::string colourImage(int32_t n);
  static std::string legendImage();
  static std::string noLineImage();

 private:
  void mGameSummary(bool graph);
  // The steps of the game summary: its two heading rows, the value cells
  // shared by player rows (type 1) and totals rows (type 9), and one section
  // of ranked players with their totals row.
  // A value column of the game summary: its heading, the headings of its
  // parts in the second heading row (none: the heading spans both rows), and
  // its values for a player (a zero shown as a blank where `hide`).
  struct SummaryColumn {
    const char* heading;
    std::vector<const char*> under;
    std::function<std::vector<std::string>(const games::bf::Player&, bool hide)> values;
  };
  // The value columns of this match's game summary, in order.
  std::vector<SummaryColumn> summaryColumns() const;
  void summaryHeadings(Table& t, bool graph) const;
  void summaryValues(Row& r, const games::bf::Player& p, int32_t type, bool hide) const;
  void summarySection(Table& t, const std::vector<const games::bf::Player*>& players,
                      const games::bf::Player& totals, int32_t teamIndex, bool graph) const;
  void mGameSummaryB();
  void mCTFSummary();
  void mGameTotals();
  void mGameInfo();
  void mKillsMatchUp();
  void mHighs();
  void mLows();
  void mKillsHoldingWeapon();
  void mDeathsByWeapon();
  void mDeathsHoldingWeapon();
  void mSuicides();
  void mSprees();
  void mPickups();
  void mItems();
  void mMisc();
  void mTeam();
  void mPlayerSummary();
  void mPlayerWeapons();
  void mPlayerSuicides();
  void mPlayerPlayer();
  void mPlayerSpree();
  void mPlayerPickup();
  void mPlayerItem();
  void mPlayerMisc();
  void mPlayerCPC();
  void mPlayerCTF();

  // Runs builder `name` with its trace lines and failure handling.
  void build(const char* name, const std::function<void()>& body);

  // Shared pieces of the builders.
  TableEntry nameEntry(const games::bf::Player& p) const;
  Cell holders(const std::vector<int32_t>& uids) const;
  using PlayerText = std::function<std::string(const games::bf::Player&)>;
  using PlayerTest = std::function<bool(const games::bf::Player&)>;
  // A row of a records table: the label, a cell with one name per holder,
  // and the value of the last holder (`fromLast`) or of the first. Nothing
  // when there are no holders or the first holder fails `shown`.
  void holderRow(Table& t, const std::string& label, const std::vector<int32_t>& uids,
                 const PlayerText& value, bool fromLast, const PlayerTest& shown) const;
  // The per-kind records table: one row per kind with holders, in the order
  // of the first holders' values, larger first.
  Table kindTable(const char* kindHeading, const char* valueHeading,
                  const std::vector<std::string>& names,
                  const std::vector<const std::vector<int32_t>*>& holderLists,
                  const std::function<int64_t(const games::bf::Player&, size_t kind)>& valueOf,
                  bool sorted) const;
  const games::bf::Player* byUid(int32_t uid) const;
  std::string score(const games::bf::Player& p) const;
  std::string efficiency(const games::bf::PStats& s) const;
  Table miscTable(const games::bf::PStats& s, const Cell& firstBlood) const;
  Table episodeTable(const games::bf::Player& p, bool spreeEpisodes) const;
  std::string reasonText(const games::bf::PStats& e) const;
  // The team records in display order that have at least one ranked player.
  std::vector<const games::bf::Player*> teamsWithPlayers() const;
  std::vector<const games::bf::Player*> rankedOf(const games::bf::Player& team) const;

  bool isCTF() const;
  bool isDom() const;
  bool isLMS() const;

  const games::bf::Game& g_;
  util::NumberFormat fmt;
};

}  // namespace programs::vardobf::output
