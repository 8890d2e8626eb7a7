// The match-page writer: which pages and images a match gets, in which
// directories, and what its bodies and graphs show.
#include "programs/vardobf/output/GameHtml.h"

#include <gtest/gtest.h>

#include "TestDir.h"
#include "games/bf/Specs.h"
#include "output/PageFixture.h"
#include "platform/FileSystem.h"
#include "util/Gif.h"

namespace programs::vardobf::output {
namespace {

using games::bf::Game;
using games::bf::Specs;
using testing_support::Log;
using testing_support::TestDir;

class GameHtmlTest : public testing_support::PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    writer.setGraphs(small, large);
  }
  std::vector<std::string> write(const Game& g, bool graph = true,
                                 std::vector<std::string> names = {"1"}) {
    std::vector<std::string> dirs;
    for (const std::string& n : names) dirs.push_back(dir / n);
    writer.writeGame(g, g.getServerName() + " " + g.getMap(), dirs, 1, graph);
    return dirs;
  }
  static Log deathMatch(int players) {
    Log l;
    l("0|info|Server_ServerName|Deck")("0|game|GameName|Arena DeathMatch");
    for (int i = 1; i <= players; ++i) l.connect(i, "P" + std::to_string(i));
    l("0|game_start");
    for (int i = 1; i <= players; ++i) l.kill(i, i, i % players + 1);
    return l("100|game_end|timelimit");
  }
  TestDir dir;
  util::LineGraph small{500, 160};
  util::LineGraph large{500, 500};
  GameHtml writer;
};

TEST_F(GameHtmlTest, EveryDirectoryOfTheListGetsTheSameFiles) {
  auto g = replay(deathMatch(3));
  auto dirs = write(*g, true, {"1767348000000", "Highest_Score", "Last_Game"});
  const std::vector<std::string> files = {"index.html", "highLow.html", "0.html",
                                          "1.html",     "2.html",       "scoreVsTime.gif"};
  for (const std::string& f : files) {
    ASSERT_TRUE(platform::isFile(dirs[0] + "/" + f)) << f;
    EXPECT_EQ(platform::readFile(dirs[0] + "/" + f), platform::readFile(dirs[1] + "/" + f)) << f;
    EXPECT_EQ(platform::readFile(dirs[0] + "/" + f), platform::readFile(dirs[2] + "/" + f)) << f;
  }
  // Three players in DeathMatch: no large graph and no page for it.
  EXPECT_FALSE(platform::exists(dirs[0] + "/gameGraphs.html"));
  EXPECT_FALSE(platform::exists(dirs[0] + "/bigScoreVsTime.gif"));
  EXPECT_FALSE(platform::exists(dirs[0] + "/3.html"));
}

TEST_F(GameHtmlTest, BodiesSeparateTheirBlocksAndCloseTheirRow) {
  auto g = replay(deathMatch(3));
  auto dirs = write(*g, false);
  const std::string index = platform::readFile(dirs[0] + "/index.html");
  // The ranking note and the colour legend are two blocks.
  EXPECT_TRUE(has(index,
                  "coin flip&quot;</span></p>\n<br>\n<div align=center><table border=0 "
                  "cellpadding=0><tr><td class=r"))
      << index;
  // The player page ends its body with the return link.
  const std::string player = platform::readFile(dirs[0] + "/0.html");
  EXPECT_TRUE(has(player,
                  "Click here to return to game index.</a></p>\n</td></tr>\n<tr><td "
                  "align=center valign=top height=173>"))
      << player;
}

TEST_F(GameHtmlTest, NinePlayersInDeathMatchGetTheLargeGraph) {
  auto eight = replay(deathMatch(8));
  auto nine = replay(deathMatch(9));
  EXPECT_FALSE(GameHtml::wantsBigGraph(*eight));
  EXPECT_TRUE(GameHtml::wantsBigGraph(*nine));
  EXPECT_EQ(GameHtml::smallGraphLines(*nine).size(), 8u);
  EXPECT_EQ(GameHtml::bigGraphLines(*nine).size(), 9u);
  auto dirs = write(*nine);
  EXPECT_TRUE(platform::isFile(dirs[0] + "/gameGraphs.html"));
  EXPECT_TRUE(platform::isFile(dirs[0] + "/bigScoreVsTime.gif"));
  std::string index = platform::readFile(dirs[0] + "/index.html");
  EXPECT_TRUE(has(index, "Frags vs Time For Top 8 Players"));
  EXPECT_TRUE(
      has(index,
          "<a href=\"gameGraphs.html\"><img src=\"scoreVsTime.gif\" alt=\"Graph of Frags vs Time\" "
          "border=0 width=500 height=160></a>"));
  std::string page = platform::readFile(dirs[0] + "/gameGraphs.html");
  EXPECT_TRUE(has(page, "<tr><td class=s colspan=4>Legend</td></tr>"));
  EXPECT_TRUE(has(page, "Click here to return to game index."));
  // Both graphs decode and have their sizes.
  util::Gif gif;
  std::string bytes = platform::readFile(dirs[0] + "/bigScoreVsTime.gif");
  ASSERT_TRUE(gif.decode({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}));
  EXPECT_EQ(gif.width, 500);
  EXPECT_EQ(gif.height, 500);
}

TEST_F(GameHtmlTest, GraphsOffLeaveNoImageCaptionOrLegend) {
  auto g = replay(generated(Specs::kCaptureTheFlag, 8));
  auto dirs = write(*g, false);
  std::string index = platform::readFile(dirs[0] + "/index.html");
  EXPECT_FALSE(has(index, "scoreVsTime.gif"));
  EXPECT_FALSE(has(index, "Score vs Time For All Teams"));
  EXPECT_FALSE(has(index, "g_legend.gif"));
  EXPECT_FALSE(platform::exists(dirs[0] + "/scoreVsTime.gif"));
  EXPECT_FALSE(platform::exists(dirs[0] + "/gameGraphs.html"));
  EXPECT_TRUE(has(index, "Flag Event Summary"));
}

TEST_F(GameHtmlTest, QuietMatchShowsTheNotices) {
  auto g = replay(quietMatch());
  auto dirs = write(*g);
  std::string hl = platform::readFile(dirs[0] + "/highLow.html");
  for (const char* notice :
       {"There Were No Sprees", "There Were No Kills with a Pickup",
        "There Were No Kills with a Weapon", "There Were No Deaths by a Weapon",
        "There Were No Deaths While Holding a Weapon"})
    EXPECT_TRUE(has(hl, std::string("<table><tr><td valign=middle width=250 class=s>") + notice +
                            "</td></tr></table>"))
        << notice;
  std::string index = platform::readFile(dirs[0] + "/index.html");
  EXPECT_TRUE(has(index, "There Were No Weapons Used"));
  EXPECT_FALSE(has(index, "There Were No Items Picked Up"));
  std::string player = platform::readFile(dirs[0] + "/0.html");
  EXPECT_TRUE(has(player, "<tr><td class=aa>Individual Game Stats for Ann</td></tr>\n<tr><td>\n"));
  EXPECT_TRUE(has(player, "There Were No Player Specific Kills or Deaths"));
  EXPECT_TRUE(has(player, "There Were No Pickups Used"));
}

TEST_F(GameHtmlTest, AnIncompleteLogGetsTheNoteUnderTheHeading) {
  Log l = deathMatch(2);
  std::string text = l.text();
  text.erase(text.find("100\tgame_end"));
  auto g = replay(text);
  auto dirs = write(*g);
  EXPECT_TRUE(
      has(platform::readFile(dirs[0] + "/index.html"),
          "<br><span class=ak>Note: This Game's Logfile Was Incomplete See <a "
          "href=\"../../Help_Using_Vardo.html#logfile\" class=ak>Help</a> for details.</span>"));
}

TEST_F(GameHtmlTest, RankingNotesFollowTheGameType) {
  auto lms = replay(generated(Specs::kLastManStanding, 6));
  auto dirs = write(*lms);
  std::string index = platform::readFile(dirs[0] + "/index.html");
  EXPECT_TRUE(has(index, "then  whoever had the most lives left"));
  EXPECT_TRUE(has(index, "Lives vs Time For All Players"));
  EXPECT_TRUE(has(index, "alt=\"Graph of Lives vs Time\""));
  EXPECT_EQ(GameHtml::smallGraphLabel(*lms), 2);
}

TEST_F(GameHtmlTest, LastManStandingGraphsShowLivesLeft) {
  auto g = replay(generated(Specs::kLastManStanding, 4));
  ASSERT_GT(g->lmsLimit, 0);
  auto lines = GameHtml::bigGraphLines(*g);
  ASSERT_EQ(lines.size(), g->playersByRank.size());
  for (size_t k = 0; k < lines.size(); ++k) {
    const auto& p = *g->playersByRank[k];
    for (size_t i = 0; i < 40; ++i) {
      EXPECT_DOUBLE_EQ(lines[k][2 * i], static_cast<double>(i) * g->gameInt / 60);
      EXPECT_DOUBLE_EQ(lines[k][2 * i + 1], p.sot[i] == -1.0 ? 0.0 : g->lmsLimit - p.sot[i]);
    }
  }
}

TEST_F(GameHtmlTest, NamesWithMarkupAreEscapedInHeadingsTitlesAndLinks) {
  Log l;
  l("0|info|Server_ServerName|<b>Deck\"</b>")("0|game|GameName|Arena DeathMatch");
  l.connect(1, "<script>alert(1)</script>").connect(2, "Jos\xE9 & \"Ren\xE9\"")("0|game_start");
  l.kill(5, 1, 2).kill(6, 2, 1)("10|game_end|timelimit");
  auto g = replay(l);
  auto dirs = write(*g);
  for (const std::string f : {"index.html", "highLow.html", "0.html", "1.html"}) {
    std::string page = platform::readFile(dirs[0] + "/" + f);
    EXPECT_FALSE(has(page, "<script>")) << f;
    EXPECT_FALSE(has(page, "<b>Deck")) << f;
    EXPECT_TRUE(has(page, "&lt;b&gt;Deck&quot;&lt;/b&gt;")) << f;
    EXPECT_TRUE(has(page, "<title>Vardo for Brimfall &lt;b&gt;Deck&quot;&lt;/b&gt; </title>")) << f;
  }
  EXPECT_TRUE(has(platform::readFile(dirs[0] + "/1.html"),
                  "Individual Game Stats for Jos\xE9&nbsp;&amp;&nbsp;&quot;Ren\xE9&quot;</td>"));
}

// The team records of a single-player match played in teams added their
// members' frags up at every sample, so a team's totals row showed the sum
// over all samples (-31 for one member ending at -1 frags).
TEST_F(GameHtmlTest, SinglePlayerTeamsHoldTheSumOfTheirMembers) {
  Log l;
  l("0|game|GameName|SinglePlayer")("0|game|TeamGame|True");
  l.connect(1, "Ann").connect(2, "Bo");
  l("0|player|TeamName|1|Red")("0|player|Team|1|1")("0|player|TeamName|2|Blue")(
      "0|player|Team|2|0");
  l("1|game_start")("2|suicide|1|Rocket Launcher|RocketBlast|self")("400|game_end|timelimit");
  auto g = replay(l);
  ASSERT_EQ(g->gameType, Specs::kSinglePlayer);
  ASSERT_EQ(g->teamTotals.size(), 2u);
  for (const auto& t : g->teamTotals) {
    int32_t sum = 0;
    for (const auto& p : g->plist)
      if (p->team == t->uid) sum += p->all.frags;
    EXPECT_EQ(t->all.frags, sum) << t->name;
    for (double s : t->sot) EXPECT_GE(s, std::min(sum, 0)) << t->name;
  }
}

// A graph drawn without lines kept the ranges and scales of the match drawn
// before it, so an idle match showed the previous match's axes.
TEST_F(GameHtmlTest, AnIdleMatchDrawsTheAxesOfANewGraph) {
  Log idle;
  idle("0|game|GameName|SinglePlayer").connect(1, "Ann")("1|game_start")("400|game_end|timelimit");
  auto busy = replay(deathMatch(4));
  auto quiet = replay(idle);
  ASSERT_TRUE(GameHtml::smallGraphLines(*quiet).empty());
  write(*busy, true, {"busy"});
  auto reused = write(*quiet, true, {"reused"});
  GameHtml fresh;
  util::LineGraph s2{500, 160}, l2{500, 500};
  fresh.setGraphs(s2, l2);
  fresh.writeGame(*quiet, "x", {dir / "fresh"}, 1, true);
  EXPECT_EQ(platform::readFile(reused[0] + "/scoreVsTime.gif"),
            platform::readFile(dir / "fresh" + "/scoreVsTime.gif"));
}

TEST_F(GameHtmlTest, AFailingDirectoryKeepsThePagesOfTheOnesBeforeIt) {
  auto g = replay(deathMatch(2));
  std::vector<std::string> dirs = {dir / "ok", dir / "missing/parent/deep"};
  writer.writeGame(*g, "x", dirs, 1, true);
  EXPECT_TRUE(platform::isFile(dirs[0] + "/index.html"));
  EXPECT_TRUE(platform::isFile(dirs[0] + "/1.html"));
  EXPECT_FALSE(platform::exists(dirs[1]));
}

}  // namespace
}  // namespace programs::vardobf::output
