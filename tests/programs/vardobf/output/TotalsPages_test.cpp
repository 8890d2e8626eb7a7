// The totals pages: the tables built from small totals, the player index
// forms, the rankings' limits and early ends, and the pages' texts.
#include <map>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "games/bf/Specs.h"
#include "output/PageFixture.h"
#include "platform/FileSystem.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/output/TotalsHtml.h"

namespace programs::vardobf::output {
namespace {

using games::bf::Player;
using games::bf::Specs;
using programs::vardo::config;
using testing_support::TestDir;

// Totals made by hand: summaries in the sorted lists and the players the
// tables read, without a player database.
class TotalsPagesTest : public testing_support::PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    config::resetToDefaults();
    config::home = home.path();
    config::os = "Linux";
  }
  void TearDown() override {
    config::resetToDefaults();
    PageTest::TearDown();
  }
  // A player with `games` matches of DeathMatch and `dom` of Domination.
  HashEntry& add(const std::string& name, bool bot, int32_t games, int32_t dom = 0) {
    HashEntry& h = entries[name];
    h.name = name;
    h.isABot = bot;
    h.uid = static_cast<int32_t>(entries.size()) - 1;
    Player p(0.0);
    p.name = name;
    p.isABot = bot;
    p.all.uses = games + dom;
    p.all.frags = 10 * games;
    p.all.kills = 10 * games;
    p.all.totalTime = 600.0 * games;
    p.games[Specs::kDeathMatch].uses = games;
    p.games[Specs::kDeathMatch].frags = 10 * games;
    p.games[Specs::kDomination].uses = dom;
    p.games[Specs::kDomination].teamWins = dom;
    players.emplace(h.uid, p);
    return h;
  }
  // The summaries in insertion order in every sorted list.
  void sortAll() {
    std::vector<const HashEntry*> order;
    for (const auto& [name, h] : entries) order.push_back(&h);
    std::sort(order.begin(), order.end(),
              [](const HashEntry* a, const HashEntry* b) { return a->uid < b->uid; });
    for (auto* list : {&t.sortedByName, &t.sortedByFDS, &t.sortedD, &t.sortedCTF, &t.sortedTT,
                       &t.sortedA, &t.sortedTD, &t.sortedFPH, &t.sortedLMS})
      *list = order;
  }
  TotalsTables::PlayerSource source() {
    return [this](int32_t uid) -> std::optional<Player> {
      auto it = players.find(uid);
      if (it == players.end()) return std::nullopt;
      return it->second;
    };
  }
  std::string write() {
    sortAll();
    writer.writeTotals(t, source());
    return home.path() + "/html/";
  }
  TestDir home;
  Totals t;
  std::map<std::string, HashEntry> entries;
  std::map<int32_t, Player> players;
  TotalsHtml writer;
};

TEST_F(TotalsPagesTest, HundredPlayersFitOneListPage) {
  for (int i = 0; i < 100; ++i) add("P" + std::to_string(1000 + i), i % 3 == 0, 1);
  std::string dir = write() + "Total_Game_Stats/";
  std::string list = platform::readFile(dir + "Player_Index.html");
  EXPECT_TRUE(has(list, "<tr> <td width=400 class=\"r\">Player Name</td> </tr>"));
  EXPECT_TRUE(has(list, "<tr> <td class=al><a class=al href=\"0.html\">P1000</a></td></tr>"));
  EXPECT_TRUE(has(list, "<tr> <td class=am><a class=am href=\"98.html\">P1098</a></td></tr>"));
  EXPECT_FALSE(platform::exists(dir + "Player_Index_0.html"));
}

TEST_F(TotalsPagesTest, HundredAndOnePlayersGetIndexPages) {
  for (int i = 0; i < 101; ++i) add("P" + std::to_string(1000 + i), false, 1);
  std::string dir = write() + "Total_Game_Stats/";
  std::string index = platform::readFile(dir + "Player_Index.html");
  EXPECT_TRUE(has(index, "Player Indexes (100 players each)"));
  EXPECT_TRUE(has(index, "href=\"Player_Index_0.html\">P1000&nbsp;&nbsp;TO&nbsp;&nbsp;P1099</a>"));
  EXPECT_TRUE(has(index, "href=\"Player_Index_1.html\">P1100&nbsp;&nbsp;TO&nbsp;&nbsp;P1100</a>"));
  EXPECT_TRUE(has(platform::readFile(dir + "Player_Index_1.html"), "href=\"100.html\">P1100</a>"));
  EXPECT_FALSE(has(platform::readFile(dir + "Player_Index_0.html"), "href=\"100.html\""));
  EXPECT_FALSE(platform::exists(dir + "Player_Index_2.html"));
}

TEST_F(TotalsPagesTest, RankingsListEveryPlayerOnceAndStopAtTheFirstWithoutAMatchOfTheType) {
  add("Ann", false, 3, 2);
  add("Bo", false, 2, 0);  // never played Domination: ends that table
  add("Cy", false, 1, 1);
  config::RankAll = 64;
  write();
  TotalsTables tables(t, source());
  ASSERT_TRUE(tables.totalsRanking);
  EXPECT_EQ(tables.totalsRanking->size(), 2u + 3u);  // title, headings, every player once
  const auto& dom = tables.ranking[Specs::kDomination];
  ASSERT_TRUE(dom);
  ASSERT_EQ(dom->size(), 2u + 1u);
  EXPECT_EQ((*dom)[2][1][0].val, "Ann");
  // Nobody played Assault: only the title and the headings.
  EXPECT_EQ(tables.ranking[Specs::kAssault]->size(), 2u);
  config::RankAll = 2;
  TotalsTables two(t, source());
  EXPECT_EQ(two.totalsRanking->size(), 2u + 2u);
}

// The rankings divided by a zero number of ping samples.
// A player without a ping now shows "N/A" as the match tables do.
TEST_F(TotalsPagesTest, APlayerWithoutPingSamplesShowsNotAvailable) {
  add("Ann", false, 1);
  sortAll();
  TotalsTables tables(t, source());
  std::string w;
  TableHtml::createTable(w, *tables.totalsRanking, std::nullopt, std::nullopt);
  EXPECT_TRUE(has(w, "&nbsp;N/A&nbsp")) << w;
  TableHtml::createTable(w, *tables.ranking[Specs::kDeathMatch], std::nullopt, std::nullopt);
  EXPECT_TRUE(has(w, "&nbsp;N/A&nbsp"));
}

TEST_F(TotalsPagesTest, RecordsWithoutAHolderLinkNowhere) {
  add("Ann", false, 1);
  std::string records = platform::readFile(write() + "Total_Game_Stats/Total_Index.html");
  EXPECT_FALSE(has(records, "href=\"-1.html\""));
  EXPECT_TRUE(has(records, "Total Games Played by Type"));
  EXPECT_TRUE(has(records, "Most Career Suicides"));
}

TEST_F(TotalsPagesTest, TheRecentListShowsAtMostTheKeptMatches) {
  add("Ann", false, 1);
  for (int i = 0; i < 20; ++i) {
    t.gameList.push_back(1000 + i);
    t.gameDateList.push_back("Day <" + std::to_string(i) + ">");
    t.gameMapList.push_back("Map & " + std::to_string(i));
    t.gameTypeList.push_back("Arena DeathMatch");
  }
  config::numGames = 5;
  std::string recent = platform::readFile(write() + "Individual_Game_Stats/Recent_Index.html");
  EXPECT_TRUE(has(recent, "colspan=3>5 Most Recent<br>"));
  EXPECT_TRUE(has(recent, "href=\"1004/index.html\">&nbsp;Day &lt;4&gt;&nbsp;</a>"));
  EXPECT_FALSE(has(recent, "1005/index.html"));
  // The map name is table text: its blanks are kept from breaking.
  EXPECT_TRUE(has(recent, "<td class=\"w\" >&nbsp;Map&nbsp;&amp;&nbsp;0&nbsp;</td>"));
}

TEST_F(TotalsPagesTest, MainPageCountsFragsAndNamesTheNewestMatch) {
  add("Ann", false, 1);
  t.allStats.all.frags = 1234;
  t.rec.RecentGameMap = "Deck <1>";
  t.rec.RecentGameDate = "Tue";
  std::string main = platform::readFile(write() + "Vardo_Main.html");
  EXPECT_TRUE(has(main, "<td class=ab>1234</td>"));
  EXPECT_TRUE(has(main, "class=s>Deck &lt;1&gt;<br>Tue</a>"));
  EXPECT_TRUE(has(main, "<title>Vardo for Brimfall Main</title>"));
  EXPECT_TRUE(has(main, "<a href=\"./Vardo_Main.html\" class=\"b\">Main</a>"));
}

TEST_F(TotalsPagesTest, OnlyChangedPlayersGetTheirCareerPagesWritten) {
  add("Ann", false, 1).modified = true;
  add("Bo", false, 1);
  std::string dir = write() + "Total_Game_Stats/";
  EXPECT_TRUE(platform::isFile(dir + "0.html"));
  EXPECT_FALSE(platform::exists(dir + "1.html"));
  for (const char* f : {"All_Totals.html", "Human_Totals.html", "Bot_Totals.html", "Rankings.html"})
    EXPECT_TRUE(platform::isFile(dir + f)) << f;
}

}  // namespace
}  // namespace programs::vardobf::output
