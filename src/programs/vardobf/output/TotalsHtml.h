#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "programs/vardo/TotalsHtml.h"
#include "programs/vardobf/HashEntry.h"
#include "programs/vardobf/Totals.h"
#include "programs/vardobf/output/PlayerHtml.h"
#include "programs/vardobf/output/TotalsTables.h"

namespace programs::vardobf::output {

class SiteData;

// The totals-page writer: the main page, the recent matches, the all-time
// high scores, the rankings, the player index and the career pages of the
// aggregates and of every player the run changed.
class TotalsHtml : public programs::vardo::TotalsHtml {
 public:
  TotalsHtml();

  // The site data written with the totals pages; none: no data.
  void setSiteData(SiteData* data) { siteData_ = data; }

  // `t` must be a programs::vardobf::Totals; any other is traced and skipped.
  void writeTotals(programs::vardo::Totals& t) override;
  // The same with a source of players other than the player database.
  void writeTotals(const Totals& t, TotalsTables::PlayerSource players);

  void writeMain();
  void writeRecent();
  void writeRecords();
  void writeRankings();
  void writePlayerList();
  // uid -3, -2, -1: the aggregates; otherwise the player of entry `h`.
  void writePlayerTotals(const HashEntry* h, int32_t uid);

  void writeMainBody(std::string& w);
  void writeRecentBody(std::string& w);
  void writeRecordsBody(std::string& w);
  void writeRankingsBody(std::string& w);
  void writePlayerListBody(std::string& w, int32_t firstPlayer, int32_t maxPlayers,
                           bool isPlayerList);

  std::string MainDir;
  std::string GamesDir = "Individual_Game_Stats";
  std::string TotalsDir = "Total_Game_Stats";
  int32_t NumRecentGames = 0;
  std::unique_ptr<TotalsTables> tables;
  PlayerHtml pHtml;

 private:
  // Writes frame and body to `file`, creating its directory (one level).
  template <class Body>
  void writePage(const char* op, const std::string& dir, const std::string& file,
                 const std::string& title, int32_t level, Body body);

  const Totals* theTotals_ = nullptr;
  SiteData* siteData_ = nullptr;
};

}  // namespace programs::vardobf::output
