#include "programs/vardobf/output/TotalsHtml.h"

#include <algorithm>
#include <exception>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/output/FrameHtml.h"
#include "programs/vardobf/output/SiteData.h"
#include "programs/vardobf/output/TableHtml.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf::output {

using games::bf::Player;
using programs::vardo::config;
using util::Debug;

namespace {

void spaced(std::string& w, const std::optional<Table>& t,
            const std::optional<std::string>& title) {
  w += "<p align=center>&nbsp;</p>\n";
  if (t) TableHtml::createTable(w, *t, title, std::nullopt);
  w += "</center><center>\n";
}

std::string navLink(const char* target, const char* text) {
  return std::string("<tr><td class=w><a href=\"") + target + "\" class=w>" + text +
         "</a></td></tr>\n";
}

}  // namespace

TotalsHtml::TotalsHtml() { FrameHtml::init(); }

void TotalsHtml::writeTotals(programs::vardo::Totals& t) {
  const auto* totals = dynamic_cast<const Totals*>(&t);
  if (totals == nullptr) {
    util::traceError("TotalsHtml", "writeTotals", "not the Brimfall totals");
    return;
  }
  writeTotals(*totals, {});
}

void TotalsHtml::writeTotals(const Totals& t, TotalsTables::PlayerSource players) {
  Debug::print("I TotalsHtml.writeTotals", 2);
  try {
    theTotals_ = &t;
    MainDir = config::vdHtmlDir();
    NumRecentGames = config::numGamesToSave();
    tables = std::make_unique<TotalsTables>(t, players);
    writeMain();
    writeRecent();
    writeRecords();
    writeRankings();
    writePlayerList();
    for (int32_t uid : {-3, -2, -1}) writePlayerTotals(nullptr, uid);
    for (const HashEntry* h : t.sortedByFDS)
      if (h->modified) writePlayerTotals(h, h->uid);
    if (siteData_ != nullptr && SiteData::enabled()) siteData_->writeTotals(players);
  } catch (const std::exception& e) {
    util::traceFailure("TotalsHtml", "writeTotals", e);
  }
  Debug::print("O TotalsHtml.writeTotals", 2);
}

template <class Body>
void TotalsHtml::writePage(const char* op, const std::string& dir, const std::string& file,
                           const std::string& title, int32_t level, Body body) {
  Debug::print(std::string("I TotalsHtml.") + op, 2);
  try {
    std::string w;
    w.reserve(64 * 1024);
    FrameHtml::writeHeader(w, title, level);
    FrameHtml::writeSidebar(w, title, level);
    FrameHtml::writeTop(w, title, level);
    body(w);
    FrameHtml::writeFooter(w, title, level);
    if (!dir.empty()) platform::os().ensureDirectory(dir);
    platform::os().writeFile(dir + file, w);
  } catch (const std::exception& e) {
    util::traceFailure("TotalsHtml", op, e);
  }
  Debug::print(std::string("O TotalsHtml.") + op, 2);
}

void TotalsHtml::writeMain() {
  writePage("writeMain", MainDir, "Vardo_Main.html", "Main", 0,
            [&](std::string& w) { writeMainBody(w); });
}

void TotalsHtml::writeRecent() {
  writePage("writeRecent", MainDir + GamesDir + "/", "Recent_Index.html", "Most Recent", 1,
            [&](std::string& w) { writeRecentBody(w); });
}

void TotalsHtml::writeRecords() {
  writePage("writeRecords", MainDir + TotalsDir + "/", "Total_Index.html", "All Players Combined",
            1, [&](std::string& w) { writeRecordsBody(w); });
}

void TotalsHtml::writeRankings() {
  writePage("writeRankings", MainDir + TotalsDir + "/", "Rankings.html", "Rankings", 1,
            [&](std::string& w) { writeRankingsBody(w); });
}

void TotalsHtml::writePlayerList() {
  const auto n = static_cast<int32_t>(theTotals_->sortedByName.size());
  const int32_t pages = (n - 1) / 100;
  const std::string dir = MainDir + TotalsDir + "/";
  if (pages != 0) {
    for (int32_t i = 0; i <= pages; ++i)
      writePage("writePlayerList", dir, "Player_Index_" + std::to_string(i) + ".html",
                "By Player Name", 1,
                [&](std::string& w) { writePlayerListBody(w, i * 100, 100, true); });
    writePage("writePlayerList", dir, "Player_Index.html", "By Player Name", 1,
              [&](std::string& w) { writePlayerListBody(w, 0, n, false); });
  } else {
    writePage("writePlayerList", dir, "Player_Index.html", "By Player Name", 1,
              [&](std::string& w) { writePlayerListBody(w, 0, n, true); });
  }
}

void TotalsHtml::writePlayerTotals(const HashEntry* h, int32_t uid) {
  Debug::print("I TotalsHtml.writePlayerTotals: " + std::to_string(uid), 2);
  try {
    const Totals& t = *theTotals_;
    std::string file;
    std::optional<Player> player;
    const Player* aggregate = nullptr;
    if (uid == -3) {
      aggregate = &t.allStats;
      file = "All_Totals.html";
    } else if (uid == -2) {
      aggregate = &t.humanStats;
      file = "Human_Totals.html";
    } else if (uid == -1) {
      aggregate = &t.botStats;
      file = "Bot_Totals.html";
    } else {
      if (h == nullptr)
        throw base::Failure("IllegalArgumentException", "no entry for uid " + std::to_string(uid));
      player = tables->playerOf(*h);
      if (!player)
        throw base::Failure("IOException",
                            "player " + std::to_string(uid) + " is not in the database");
      file = std::to_string(uid) + ".html";
    }
    const Player& p = aggregate != nullptr ? *aggregate : *player;
    const std::string text = pHtml.getHtml(p, aggregate != nullptr ? 2 : 1, 7);
    const std::string dir = MainDir + TotalsDir + "/";
    platform::os().ensureDirectory(dir);
    platform::os().writeFile(dir + file, text);
  } catch (const std::exception& e) {
    util::traceFailure("TotalsHtml", "writePlayerTotals", e);
  }
}

void TotalsHtml::writeMainBody(std::string& w) {
  const Totals& t = *theTotals_;
  w += "<tr><td valign=middle></td></tr>\n";
  w += "<tr><td height=342><center>\n";
  w += "<center><span class=i>Total Frags Logged to Date:<br><br></span>\n";
  w += "<table border=0 cellpadding=0 cellspacing=0><tr>\n";
  w += "<td class=ab>" + std::to_string(t.allStats.all.frags) + "</td></tr><tr>\n";
  w += "<td class=i>And Still Counting!</td></tr></table></center>\n";
  w += "<br>\n";
  // The newest match's cell gets the table its closing tags end.
  w += "<table border=0 cellpadding=0 cellspacing=0><tr>";
  w += "<td valign=middle align=center class=vv>Last Game Logged<br>\n";
  w += "<a href=\"Individual_Game_Stats/Last_Game/index.html\" class=s>" +
       TableHtml::htmlText(t.rec.RecentGameMap) + "<br>" +
       TableHtml::htmlText(t.rec.RecentGameDate) + "</a>\n";
  w += "</td></tr></table><br><br>\n";
  w += "<table width=330 border=0 cellpadding=0 cellspacing=0>\n";
  w += "<tr><td class=w>Choose to view<br>Individual Game Stats<br>by</td></tr>\n";
  w += navLink("Individual_Game_Stats/Last_Game/index.html", "Last Game Logged");
  w += navLink("Individual_Game_Stats/Recent_Index.html", "Most Recent Games Logged");
  w += navLink("Individual_Game_Stats/Highest_Score/index.html",
               "The Single Highest Scoring Game of All Time");
  w += "<tr><td class=w>&nbsp;</td></tr>\n";
  w += "<tr><td class=w>Choose to view<br>All-Time Game Stats<br>by</td></tr>\n";
  w += navLink("Total_Game_Stats/All_Totals.html", "All Totals");
  w += navLink("Total_Game_Stats/Human_Totals.html", "Human Totals");
  w += navLink("Total_Game_Stats/Bot_Totals.html", "Bot Totals");
  w += navLink("Total_Game_Stats/Rankings.html", "Rankings");
  w += navLink("Total_Game_Stats/Total_Index.html", "High Scores");
  w += navLink("Total_Game_Stats/Player_Index.html", "Player List");
  // The explorer, which reads the site's data, where the data is written and
  // the page is there.
  if (siteData_ != nullptr && SiteData::enabled() &&
      platform::os().isFile(MainDir + "Explorer.html"))
    w += navLink("Explorer.html", "Explorer");
  w += "</table>\n";
  w += "<br><span class=i>Thanks for playing Brimfall and using </span>";
  w += "<span class=a>Var</span><span class=c>do</span>";
  w += "<span class=i><br><br>Have Fun and Happy Fraggin!<br><br></td></tr>\n";
}

void TotalsHtml::writeRecentBody(std::string& w) {
  const Totals& t = *theTotals_;
  w += "<tr><td class=aa>Most Recent Games Logged<br></td></tr>\n";
  const auto n =
      std::min<int64_t>(static_cast<int64_t>(t.gameList.size()), std::max(NumRecentGames, 0));
  w += "<tr><td><center>\n";
  w += "<table border=\"0\" cellpadding=\"0\"> <tr> <td  align=\"right\" class=\"s\" colspan=3>" +
       std::to_string(n) +
       " Most Recent<br><span class=\"r\"> (Click below to view a game)</span></td> </tr>\n";
  w += "<tr> <td class=\"r\">Date</td> \n<td class=\"r\">Game Type</td> \n<td class=\"r\">Map</td> "
       "\n</tr>\n";
  auto at = [](const std::vector<std::string>& list, int64_t i) {
    return static_cast<size_t>(i) < list.size() ? TableHtml::htmlText(list[static_cast<size_t>(i)])
                                                : std::string();
  };
  for (int64_t i = 0; i < n; ++i) {
    w += "<tr> <td class=\"y\"><a class=\"y\" href=\"" +
         std::to_string(t.gameList[static_cast<size_t>(i)]) + "/index.html\">&nbsp;" +
         at(t.gameDateList, i) + "&nbsp;</a></td>\n";
    w += "<td class=\"w\" >&nbsp;" + at(t.gameTypeList, i) + "&nbsp;</td>\n";
    // The map name escaped as table text: its blanks do not break.
    const auto m = static_cast<size_t>(i);
    w += "<td class=\"w\" >&nbsp;" +
         (m < t.gameMapList.size() ? TableHtml::cleanString(t.gameMapList[m]) : std::string()) +
         "&nbsp;</td> </tr>\n";
  }
  w += "</table></center>\n";
  w += "<center><p align=center>&nbsp;</p><span class=\"h\">See <a "
       "href=\"../Help_Using_Vardo.html\" class=\"h\">Help "
       "Using Vardo</a> for details on how to increase the max number of games kept at one "
       "time.<br></span></center>"
       "</td></tr>\n";
}

void TotalsHtml::writeRecordsBody(std::string& w) {
  const TotalsTables& t = *tables;
  w += "<tr><td class=aa valign=middle>All Time High Scores</td></tr>\n<tr><td>\n<center>\n";
  spaced(w, t.totalsLogged, "Totals Logged");
  spaced(w, t.gamesPlayed, std::nullopt);
  spaced(w, t.cHighs, "Career Highs");
  spaced(w, t.cKills, "Most Career Kills with a Weapon");
  spaced(w, t.cDeaths, "Most Career Deaths by a Weapon");
  spaced(w, t.cDeathsb, "Most Career Deaths While Holding a Weapon");
  spaced(w, t.cSuicides, "Most Career Suicides");
  spaced(w, t.gHighs, "Highs - From a Single Game");
  spaced(w, t.gKills, "Most Kills with a Weapon - From a Single Game");
  spaced(w, t.gDeaths, "Most Deaths by a Weapon - From a Single Game");
  spaced(w, t.gDeathsb, "Most Deaths While Holding a Weapon - From a Single Game");
  spaced(w, t.gSuicides, "Most Suicides - From a Single Game");
  w += "</center></td></tr>\n";
}

void TotalsHtml::writeRankingsBody(std::string& w) {
  const TotalsTables& t = *tables;
  w += "<tr><td class=aa valign=middle>Career Rankings</td></tr>\n<tr><td>\n<center>\n";
  spaced(w, t.totalsRanking, std::nullopt);
  for (int32_t row : {games::bf::Specs::kCaptureTheFlag, games::bf::Specs::kDeathMatch,
                      games::bf::Specs::kDomination, games::bf::Specs::kAssault,
                      games::bf::Specs::kTeamGame, games::bf::Specs::kLastManStanding})
    spaced(w, t.ranking[static_cast<size_t>(row)], std::nullopt);
  w += "</center></td></tr>\n";
}

void TotalsHtml::writePlayerListBody(std::string& w, int32_t firstPlayer, int32_t maxPlayers,
                                     bool isPlayerList) {
  const auto& names = theTotals_->sortedByName;
  const auto n = static_cast<int32_t>(names.size());
  w += "<tr><td class=\"aa\">All-Time Total Game Stats by Player Name</td></tr>\n";
  w += "<tr><td height=342 >\n<p align=\"center\">&nbsp;</p>\n";
  w += "<center><table border=\"0\" cellpadding=\"0\"> <tr> <td class=\"s\" colspan=\"2\">Detailed "
       "Player "
       "Statistics<br> <span class=\"r\">(Click below to view a player)</span></td> </tr>\n";
  if (isPlayerList) {
    w += "<tr> <td width=400 class=\"r\">Player Name</td> </tr>\n";
    const int32_t end = std::min(n, firstPlayer + maxPlayers);
    for (int32_t i = std::max(firstPlayer, 0); i < end; ++i) {
      const HashEntry& h = *names[static_cast<size_t>(i)];
      const char* c = h.isABot ? "al" : "am";
      w += std::string("<tr> <td class=") + c + "><a class=" + c + " href=\"" +
           std::to_string(h.uid) + ".html\">" + TableHtml::cleanString(h.name) + "</a></td></tr>\n";
    }
    w += "</table>\n<p align=\"center\">&nbsp;</p>\n";
    w += "<table border=0 cellpadding=0><tr><td class=\"r\" colspan=2>Player Color "
         "Legend</td></tr>\n";
    w += "<tr><td class=\"am\" width=120>Human Player</td>\n<td class=\"al\" "
         "width=120>Bot</td></tr></table></center>\n";
  } else {
    w += "<tr> <td width=400 class=\"r\">Player Indexes (100 players each)</td> </tr>\n";
    const int32_t pages = (n - 1) / 100;
    for (int32_t i = 0; i <= pages; ++i) {
      const HashEntry& first = *names[static_cast<size_t>(i * 100)];
      const HashEntry& last = *names[static_cast<size_t>(std::min(i * 100 + 99, n - 1))];
      w += "<tr> <td class=\"am\" width=400><a class=\"am\" href=\"Player_Index_" +
           std::to_string(i) + ".html\">" + TableHtml::cleanString(first.name) +
           "&nbsp;&nbsp;TO&nbsp;&nbsp;" + TableHtml::cleanString(last.name) + "</a></td></tr>\n";
    }
    w += "</table>\n";
  }
  w += "<p align=\"center\">&nbsp;</p>\n</td></tr>\n";
}

}  // namespace programs::vardobf::output
