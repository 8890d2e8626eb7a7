#include "programs/vardobf/output/GameHtml.h"

#include <algorithm>
#include <exception>

#include "base/Failure.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "programs/vardobf/output/FrameHtml.h"
#include "programs/vardobf/output/GameTablesDetail.h"
#include "programs/vardobf/output/SiteData.h"
#include "programs/vardobf/output/TableHtml.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf::output {

using games::bf::Game;
using games::bf::Player;
using games::bf::Specs;
using util::Debug;

namespace {

constexpr const char* kReturnLink =
    "<br><p align=center><a class=\"j\" href=\"./index.html\">Click here to return to game "
    "index.</a></p>\n";

using detail::isScored;
bool isLMS(const Game& g) { return detail::isLastManStanding(g); }

// Renders `table` under `title`, or the notice when it has no more than its
// heading row (or was not built).
void tableOrNotice(std::string& w, const Table* table, const std::string& title,
                   const std::string& notice) {
  if (table != nullptr && table->size() > 1) {
    TableHtml::createTable(w, *table, title, std::nullopt);
  } else {
    w += "<table><tr><td valign=middle width=250 class=s>" + notice + "</td></tr></table>\n";
  }
}

void tableOrNotice(std::string& w, const std::optional<Table>& table, const std::string& title,
                   const std::string& notice) {
  tableOrNotice(w, table ? &*table : nullptr, title, notice);
}

void tableIf(std::string& w, const Table* table, const std::optional<std::string>& title,
             const std::optional<std::string>& width = std::nullopt) {
  if (table != nullptr) TableHtml::createTable(w, *table, title, width);
}

void tableIf(std::string& w, const std::optional<Table>& table,
             const std::optional<std::string>& title,
             const std::optional<std::string>& width = std::nullopt) {
  tableIf(w, table ? &*table : nullptr, title, width);
}

// Player x's table, or null.
const Table* at(const std::vector<Table>& tables, int32_t x) {
  if (x < 0 || static_cast<size_t>(x) >= tables.size()) return nullptr;
  return &tables[static_cast<size_t>(x)];
}

void colourLegend(std::string& w) {
  w += "<div align=center><table border=0 cellpadding=0><tr><td class=r align=right colspan=2><p "
       "align=center>Player Color Legend</span></td></tr>\n";
  w += "<tr><td class=z align=center width=120>Human Player</td>\n";
  w += "<td class=t align=center width=120>Bot</td>\n";
  w += "</tr></table></div>\n";
}

// The 40 samples of a line as (minutes, value) pairs.
std::vector<double> samples(const Game& g, const Player& p) {
  std::vector<double> pts;
  pts.reserve(2 * Player::kSamples);
  for (size_t i = 0; i < Player::kSamples; ++i) {
    double v = p.sot[i];
    if (isLMS(g)) v = v == -1.0 ? 0.0 : g.lmsLimit - v;
    pts.push_back(static_cast<double>(i) * g.gameInt / 60);
    pts.push_back(v);
  }
  return pts;
}

// Whether one of `dirs` is the match's own page directory, named by its time
// stamp (the other copies are Last_Game and Highest_Score).
bool isKeptDirectory(const std::vector<std::string>& dirs, int64_t time) {
  const std::string name = std::to_string(time);
  return std::any_of(dirs.begin(), dirs.end(), [&](const std::string& d) {
    return d.size() > name.size() && d.compare(d.size() - name.size(), name.size(), name) == 0 &&
           (d[d.size() - name.size() - 1] == '/' || d[d.size() - name.size() - 1] == '\\');
  });
}

}  // namespace

GameHtml::GameHtml() { FrameHtml::init(); }

void GameHtml::setGraphs(util::LineGraph& small, util::LineGraph& large) {
  smallGraph_ = &small;
  largeGraph_ = &large;
}

bool GameHtml::wantsBigGraph(const Game& g) {
  return (g.gameType != Specs::kDeathMatch && !isLMS(g)) || g.plist.size() > 8;
}

std::vector<std::vector<double>> GameHtml::smallGraphLines(const Game& g) {
  std::vector<std::vector<double>> lines;
  if (g.gameType == Specs::kDeathMatch || isLMS(g)) {
    size_t n = std::min<size_t>(8, g.playersByRank.size());
    for (size_t i = 0; i < n; ++i) lines.push_back(samples(g, *g.playersByRank[i]));
  } else {
    for (const auto& t : g.teamTotals) lines.push_back(samples(g, *t));
  }
  return lines;
}

std::vector<std::vector<double>> GameHtml::bigGraphLines(const Game& g) {
  std::vector<std::vector<double>> lines;
  for (const Player* p : g.playersByRank) lines.push_back(samples(g, *p));
  return lines;
}

int32_t GameHtml::smallGraphLabel(const Game& g) {
  if (g.gameType == Specs::kDeathMatch) return 0;
  if (isLMS(g)) return 2;
  return g.gameType == Specs::kAssault || g.gameType == Specs::kTeamGame ? 0 : 1;
}

int32_t GameHtml::bigGraphLabel(const Game& g) {
  if (g.gameType == Specs::kDeathMatch || g.gameType == Specs::kAssault ||
      g.gameType == Specs::kTeamGame)
    return 0;
  return isLMS(g) ? 2 : 1;
}

void GameHtml::writeGame(const games::Game& gm, const std::string& name,
                         const std::vector<std::string>& dirs, int32_t type, bool graph) {
  Debug::print("I GameHtml.writeGame", 2);
  try {
    const auto* g = dynamic_cast<const Game*>(&gm);
    if (g == nullptr) throw base::Failure("IllegalArgumentException", "not a Brimfall match");
    Dirs = dirs;
    frameTitle_.reset();
    OutputType = type;
    Graph = graph;
    tables = std::make_unique<GameTables>(*g, graph, type);
    bigGraph = wantsBigGraph(*g);
    writeGameIndex(*g, name);
    writeGameHighLow(*g, name);
    if (graph) {
      writeGameGraph(*g);
      if (bigGraph) {
        writeBigGameGraph(*g);
        writeBigGamePage(*g, name);
      }
    }
    for (size_t x = 0; x < g->plist.size(); ++x) writePlayer(*g, name, static_cast<int32_t>(x));
    if (siteData_ != nullptr && SiteData::enabled() && isKeptDirectory(dirs, g->time))
      siteData_->addMatch(*g);
  } catch (const std::exception& e) {
    util::traceFailure("GameHtml", "writeGame", e);
  }
  Debug::print("O GameHtml.writeGame", 2);
}

void GameHtml::writeBytes(const std::string& file, const std::string& bytes) {
  for (const std::string& d : Dirs) platform::os().writeFile(d + "/" + file, bytes);
}

template <class Body>
void GameHtml::writePage(const char* op, const char* errorName, const std::string& title,
                         const std::string& file, bool create, Body body) {
  Debug::print(std::string("I GameHtml.") + op, 2);
  try {
    // Every page of a match has the same title, so the frame is written once
    // per match and copied into each page.
    if (!frameTitle_ || *frameTitle_ != title) {
      frameHead_.clear();
      frameFoot_.clear();
      FrameHtml::writeHeader(frameHead_, title, 2);
      FrameHtml::writeSidebar(frameHead_, title, 2);
      FrameHtml::writeTop(frameHead_, title, 2);
      FrameHtml::writeFooter(frameFoot_, title, 2);
      frameTitle_ = title;
    }
    std::string w;
    w.reserve(64 * 1024);
    w += frameHead_;
    body(w);
    w += frameFoot_;
    for (const std::string& d : Dirs) {
      if (create) platform::os().ensureDirectory(d);
      platform::os().writeFile(d + "/" + file, w);
    }
  } catch (const std::exception& e) {
    util::traceFailure("GameHtml", errorName, e);
  }
  Debug::print(std::string("O GameHtml.") + op, 2);
}

void GameHtml::writeGameIndex(const Game& g, const std::string& name) {
  const std::string title = TableHtml::htmlText(name);
  writePage("writeGameIndex", "writeGameIndex", title, "index.html", true,
            [&](std::string& w) { writeGameBody(w, title, g); });
}

void GameHtml::writeGameHighLow(const Game& g, const std::string& name) {
  const std::string title = TableHtml::htmlText(name);
  writePage("writeGameHighLow", "writeGameHighLow", title, "highLow.html", false,
            [&](std::string& w) { writeHLBody(w, title, g); });
}

void GameHtml::writeBigGamePage(const Game& g, const std::string& name) {
  const std::string title = TableHtml::htmlText(name);
  writePage("writeBigGamePage", "writeGamePage", title, "gameGraphs.html", false,
            [&](std::string& w) { writeGraphBody(w, title, g); });
}

void GameHtml::writePlayer(const Game& g, const std::string& name, int32_t x) {
  const std::string title = TableHtml::htmlText(name);
  writePage("writePlayer", "writePlayer", title, std::to_string(x) + ".html", false,
            [&](std::string& w) { writePlayerBody(w, title, g, x); });
}

void GameHtml::drawGraph(util::LineGraph& graph, const std::vector<std::vector<double>>& lines,
                         int32_t label, const std::string& file) {
  // Each image starts from the state of a new graph, so that a match without
  // lines does not show the axes of the match before it.
  graph.resetScales();
  graph.initGraph();
  graph.setLabel(label);
  for (const std::vector<double>& l : lines) graph.addLine(l, 0, 0);
  graph.drawGraph();
  std::vector<uint8_t> gif;
  gif.reserve(80000);
  if (!graph.writeToGif(gif)) throw base::Failure("IOException", "the graph could not be encoded");
  writeBytes(file, std::string(gif.begin(), gif.end()));
}

void GameHtml::writeGameGraph(const Game& g) {
  Debug::print("I GameHtml.writeGameGraph", 2);
  try {
    if (smallGraph_ == nullptr) throw base::Failure("IllegalStateException", "no graph");
    drawGraph(*smallGraph_, smallGraphLines(g), smallGraphLabel(g), "scoreVsTime.gif");
  } catch (const std::exception& e) {
    util::traceFailure("GameHtml", "writeGameGraph", e);
  }
  Debug::print("O GameHtml.writeGameGraph", 2);
}

void GameHtml::writeBigGameGraph(const Game& g) {
  Debug::print("I GameHtml.writeBigGameGraph", 2);
  try {
    if (largeGraph_ == nullptr) throw base::Failure("IllegalStateException", "no graph");
    drawGraph(*largeGraph_, bigGraphLines(g), bigGraphLabel(g), "bigScoreVsTime.gif");
  } catch (const std::exception& e) {
    util::traceFailure("GameHtml", "writeBigGameGraph", e);
  }
  Debug::print("O GameHtml.writeBigGameGraph", 2);
}

void GameHtml::writeGameBody(std::string& w, const std::string& title, const Game& g) {
  try {
    const GameTables& t = *tables;
    w += "<tr><td class=aa>Game Index for " + title;
    if (g.endType && *g.endType == "Incomplete")
      w += "<br><span class=ak>Note: This Game's Logfile Was Incomplete See <a "
           "href=\"../../Help_Using_Vardo.html#logfile\" class=ak>Help</a> for details.</span>";
    w += "</td></tr>\n<tr><td valign=top align=center>\n";
    w += "<center><br>\n";
    if (g.teamGame && t.teamTable) {
      tableIf(w, t.teamTable, std::nullopt);
      w += "<br>\n";
    }
    tableIf(w, t.gameTotals, "Totals for This Game");
    w += "<br>\n";
    tableIf(w, t.gameInfo, "Match Information");
    w += "</center><center><hr noshade width=75%><span class=i>You may click on a player's name "
         "anywhere "
         "below<br>to view their individual stats</span>\n";
    if (g.gameType == Specs::kCaptureTheFlag) {
      w += "<br>\n";
      tableIf(w, t.CTFSummary, "Flag Event Summary");
    }
    if (Graph) {
      std::string caption;
      if (isScored(g))
        caption = "Score vs Time For All Teams";
      else if (isLMS(g))
        caption = g.plist.size() > 8 ? "Lives vs Time For Top 8 Players"
                                     : "Lives vs Time For All Players";
      else if (g.gameType != Specs::kDeathMatch)
        caption = "Frags vs Time For All Teams";
      else
        caption = g.plist.size() > 8 ? "Frags vs Time For Top 8 Players"
                                     : "Frags vs Time For All Players";
      w += "<br>\n<table width=500><tr><td class=s>" + caption + "</td></tr></table>\n";
      if (bigGraph) w += "<a href=\"gameGraphs.html\">";
      const char* what = isScored(g) ? "Score" : isLMS(g) ? "Lives" : "Frags";
      w += std::string("<img src=\"scoreVsTime.gif\" alt=\"Graph of ") + what + " vs Time\"" +
           " border=0 width=500 height=160>";
      if (bigGraph)
        w += "</a><br><span class=i>Click on the graph to display a plot of all players</span>";
      w += "\n";
    }
    w += "<br>\n";
    tableIf(w, t.gameSummary, "Game Summary");
    if (isScored(g))
      w += "<p align=center><span class=\"h\">Rank is based on the highest score.<br> Tie breakers "
           "are in "
           "order of<br>Most Frags, Least Deaths, Least Suicides, then &quot;coin "
           "flip&quot;</span></p>\n";
    else if (isLMS(g))
      w += "<p align=center><span class=\"h\">Rank is based on the order of when a player loses "
           "all of "
           "his/her lives<br>if a game ends prematurely, then  whoever had the most lives left for "
           "the "
           "longest period of time wins</span></p>\n";
    else
      w +=
          "<p align=center><span class=\"h\">Rank is based on the highest number of Frags.<br> Tie "
          "breakers are in order of, Least Deaths, Least Suicides, then &quot;coin "
          "flip&quot;</span></p>\n";
    w += "<br>\n";
    colourLegend(w);
    w += "<br>\n";
    tableIf(w, t.misc, "Special Events");
    w += "<br>\n";
    tableIf(w, t.killsMatchUp, "Kills Match Up", "100%");
    w += "<br>\n";
    tableOrNotice(w, t.gameWeapons, "Weapon Specific Information", "There Were No Weapons Used");
    w += "<br>\n";
    tableOrNotice(w, t.items, "Total Items Picked up by Type", "There Were No Items Picked Up");
    w += "<br><p align=center><a class=ac href=\"./highLow.html\">View High and Low "
         "Scores.</a></p>\n";
    w += "</center><br><br>\n";
    w += "</td></tr>\n";
  } catch (const std::exception& e) {
    util::traceFailure("GameHtml", "writeGameBody", e);
  }
}

void GameHtml::writeHLBody(std::string& w, const std::string& title, const Game&) {
  try {
    const GameTables& t = *tables;
    w += "<tr><td class=aa>High and Low Scores for " + title + "</td></tr>\n";
    w += "<tr><td valign=top align=center>\n<br><center>\n";
    w += "<table border=0 width=100% valign=top><tr><td valign=top><center>\n";
    const char* cellSep = "<br>&nbsp;</center></td><td valign=top><center>\n";
    const char* rowSep = "<br>&nbsp;</center></td></tr><tr><td valign=top><center>\n";
    tableIf(w, t.highs, "Highs");
    w += cellSep;
    tableIf(w, t.lows, "Lows");
    w += rowSep;
    tableOrNotice(w, t.sprees, "Most Killing Sprees by Type", "There Were No Sprees");
    w += cellSep;
    tableOrNotice(w, t.pickups, "Most Kills with a Pickup", "There Were No Kills with a Pickup");
    w += rowSep;
    tableOrNotice(w, t.killsHoldingWeapon, "Most Kills with a Weapon",
                  "There Were No Kills with a Weapon");
    w += cellSep;
    tableOrNotice(w, t.suicides, "Most Suicides by Type", "There Were No Suicides");
    w += rowSep;
    tableOrNotice(w, t.deathsByWeapon, "Most Deaths by Weapon Type",
                  "There Were No Deaths by a Weapon");
    w += cellSep;
    tableOrNotice(w, t.deathsHoldingWeapon, "Most Deaths While Holding a Weapon",
                  "There Were No Deaths While Holding a Weapon");
    w += "</center></td></tr></table>\n";
    w += kReturnLink;
    w += "</td></tr>\n";
  } catch (const std::exception& e) {
    util::traceFailure("GameHtml", "writeGameBody", e);
  }
}

void GameHtml::writeGraphBody(std::string& w, const std::string& title, const Game& g) {
  try {
    const GameTables& t = *tables;
    w += "<tr><td class=aa>" + title + "</td></tr>\n<tr><td valign=top align=center>\n";
    w += "<center><br>\n<table><tr><td>\n";
    w += "<img src=\"bigScoreVsTime.gif\" alt=\"Graph of Score vs Time\" border=0 width=500 "
         "height=500>\n";
    w += "</td><td>\n";
    tableIf(w, t.gameSummaryB, g.playersByRank.size() > 32 ? "Legend (Top 32 Players)" : "Legend");
    w += "</td></tr></table></center><center>\n";
    w += "<br><p align=center><a class=j href=\"./index.html\">Click here to return to game "
         "index.</a></p>\n";
    w += "</center><br>\n";
    w += "</td></tr>\n";
  } catch (const std::exception& e) {
    util::traceFailure("GameHtml", "writeGraphBody", e);
  }
}

void GameHtml::writePlayerBody(std::string& w, const std::string&, const Game& g, int32_t x) {
  try {
    const GameTables& t = *tables;
    const Player* p = x >= 0 && static_cast<size_t>(x) < g.playersByUID.size()
                          ? g.playersByUID[static_cast<size_t>(x)]
                          : nullptr;
    if (p == nullptr)
      throw base::Failure("IndexOutOfBoundsException", "no player " + std::to_string(x));
    w += "<tr><td class=aa>Individual Game Stats for " + TableHtml::cleanString(p->name) +
         "</td></tr>\n";
    w += "<tr><td>\n<br><center>\n";
    tableIf(w, t.gameInfo, "Match Information");
    w += "<br>\n";
    if (g.gameType == Specs::kCaptureTheFlag) {
      tableIf(w, at(t.playerCTF, x), "Flag Event Summary");
      w += "<br>\n";
    }
    tableIf(w, at(t.playerSummary, x), "Game Summary");
    w += "<br>\n";
    if (g.gameType == Specs::kDomination) {
      tableIf(w, at(t.playerCPC, x), "Control Point Captures");
      w += "<br>\n";
    }
    tableIf(w, at(t.playerMisc, x), "Special Events");
    w += "<br>\n";
    tableOrNotice(w, at(t.playerWeapons, x), "Weapon Specific Information",
                  "There Were No Weapons Used");
    w += "<br>\n";
    tableOrNotice(w, at(t.playerSuicides, x), "Suicide Breakdown", "There Were No Suicides");
    w += "<br>\n";
    colourLegend(w);
    w += "<br></center><center>\n";
    tableOrNotice(w, at(t.playerPlayer, x), "Player Specific Kills and Deaths",
                  "There Were No Player Specific Kills or Deaths");
    w += "<br>\n";
    tableOrNotice(w, at(t.playerSpree, x), "Killing Sprees by Type", "There Were No Sprees");
    w += "<br>\n";
    tableOrNotice(w, at(t.playerPickup, x), "Pickups", "There Were No Pickups Used");
    w += "<br>\n";
    tableOrNotice(w, at(t.playerItem, x), "Total Items Picked Up By Type",
                  "There Were No Items Picked Up");
    w += kReturnLink;
    w += "</td></tr>\n";
  } catch (const std::exception& e) {
    util::traceFailure("GameHtml", "writePlayerBody", e);
  }
}

}  // namespace programs::vardobf::output
