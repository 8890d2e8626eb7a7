#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "games/bf/Player.h"
#include "games/bf/Specs.h"
#include "programs/vardobf/CareerRecord.h"
#include "programs/vardobf/GameRecord.h"
#include "programs/vardobf/HashEntry.h"
#include "programs/vardobf/Totals.h"
#include "programs/vardobf/output/TableEntry.h"
#include "util/NumberFormat.h"

namespace programs::vardobf::output {

// The tables of the totals pages, built in the constructor from the totals,
// their record holders and the player database. A builder that fails part
// way leaves the rows built so far.
class TotalsTables {
 public:
  // Reads players through `player`, which answers none for a uid it does not
  // know; the default reads the player database.
  using PlayerSource = std::function<std::optional<games::bf::Player>(int32_t uid)>;
  explicit TotalsTables(const Totals& t, PlayerSource player = {});

  std::optional<Table> totalsLogged, totalsRanking, cHighs, cKills, cDeaths, cDeathsb, cSuicides,
      gHighs, gKills, gDeaths, gDeathsb, gSuicides, gamesPlayed;
  std::array<std::optional<Table>, games::bf::Specs::kGames> ranking;

  // The player of entry `h` from the player database, with the entry's name
  // and bot flag; none when the database does not have it.
  std::optional<games::bf::Player> playerOf(const HashEntry& h) const;

 private:
  void mTotalsLogged();
  void mTotalsRanking();
  void mCHighs();
  void mCKills();
  void mCDeaths();
  void mCDeathsb();
  void mCSuicides();
  void mGHighs();
  void mGKills();
  void mGDeaths();
  void mGDeathsb();
  void mGSuicides();
  void mGamesPlayed();
  void mRanking(int32_t row);

  void build(const char* name, const std::function<void()>& body);
  // A record holder's name cell; without a holder an empty cell.
  static TableEntry holder(const std::string& name, int32_t uid, bool bot);
  Table careerKinds(const char* kind, const char* value,
                    const std::vector<std::pair<std::string, const CareerRecord*>>& kinds) const;
  Table gameKinds(const char* value,
                  const std::vector<std::pair<std::string, const GameRecord*>>& kinds) const;
  Row careerRow(const std::string& label, const CareerRecord& r) const;
  Row gameRow(const std::string& label, const GameRecord& r) const;

  const Totals& t_;
  PlayerSource player_;
  util::NumberFormat fmt;
};

}  // namespace programs::vardobf::output
