// The tables of the match pages, built from small replayed matches.
#include "programs/vardobf/output/GameTables.h"

#include <gtest/gtest.h>

#include "games/bf/Specs.h"
#include "output/PageFixture.h"

namespace programs::vardobf::output {
namespace {

using games::bf::Game;
using games::bf::Specs;
using testing_support::Log;

class GameTablesTest : public testing_support::PageTest {};

TEST_F(GameTablesTest, AMatchWithoutKillsHasNoFirstBloodAndEmptyRecordTables) {
  auto g = replay(quietMatch());
  GameTables t(*g, true, 1);
  EXPECT_TRUE(has(html(t.misc), "&nbsp;No Kills&nbsp"));
  // Only the heading rows: the pages show the notices instead.
  ASSERT_TRUE(t.gameWeapons && t.items && t.sprees && t.pickups && t.suicides);
  EXPECT_EQ(t.gameWeapons->size(), 1u);
  EXPECT_EQ(t.items->size(), 2u);  // the health packs
  EXPECT_EQ(t.sprees->size(), 1u);
  EXPECT_EQ(t.killsHoldingWeapon->size(), 1u);
  // "Least Deaths" needs a value above 0; "Most Frags" is always shown.
  EXPECT_FALSE(has(html(t.highs), "Least Deaths"));
  EXPECT_TRUE(has(html(t.highs), "Most Frags"));
  EXPECT_FALSE(has(html(t.lows), "Lowest Efficiency"));
  EXPECT_FALSE(t.CTFSummary.has_value());
  EXPECT_FALSE(t.teamTable.has_value());
  EXPECT_EQ(t.GT, "dm");
}

TEST_F(GameTablesTest, GameSummaryOfAnOrdinaryMatch) {
  Log log = quietMatch();
  Log l;
  l("0|game|GameName|Arena DeathMatch").connect(1, "Ann").connect(2, "Bo")("0|game_start");
  l.kill(10, 1, 2).kill(20, 1, 2).kill(30, 2, 1);
  l("40|suicide|2|Rocket Launcher|RocketBlast|self")("120|game_end|timelimit");
  auto g = replay(l);
  GameTables t(*g, true, 1);
  std::string s = html(t.gameSummary, "Game Summary");
  // Ann: 2 kills in 120 s, 1 death: efficiency 66.7 %, 60 frags an hour,
  // 120 / (1 + 0 + 0 + 1) = 60 s to live, 2 minutes played.
  EXPECT_TRUE(
      has(s,
          "<td class=y>&nbsp;1&nbsp</td><td class=y nowrap>&nbsp;<a href=\"0.html\" class=z>Ann</a>"
          "&nbsp;</td><td class=w>&nbsp;<img src=\"../../graphics/g1.gif\" border=0 width=16 "
          "height=16>&nbsp</td><td class=w>&nbsp;2&nbsp</td><td class=w>&nbsp;2&nbsp</td><td "
          "class=w>&nbsp;1&nbsp</td><td class=w>&nbsp;0&nbsp</td><td class=w>&nbsp;66.7%&nbsp</td>"
          "<td class=w>&nbsp;60.0&nbsp</td><td class=w>&nbsp;60.0&nbsp</td><td "
          "class=w>&nbsp;N/A&nbsp</td><td class=w>&nbsp;2.0&nbsp</td>"))
      << s;
  // The totals row is the whole match, zeros shown.
  EXPECT_TRUE(
      has(s,
          "<td colspan=2 class=y>&nbsp;Totals&nbsp</td><td class=ad>&nbsp;&nbsp;&nbsp</td><td "
          "class=ad>&nbsp;2&nbsp</td><td class=ad>&nbsp;3&nbsp</td>"))
      << s;
  EXPECT_TRUE(has(s, "<td class=ad>&nbsp;0&nbsp</td></tr>"));
  // Without graphs the heading image column goes.
  GameTables off(*g, false, 1);
  ASSERT_TRUE(off.gameSummary);
  EXPECT_EQ(off.gameSummary->front().size() + 1, t.gameSummary->front().size());
  EXPECT_FALSE(has(html(off.gameSummary), "g_legend.gif"));
  EXPECT_FALSE(off.gameSummaryB.has_value());
}

TEST_F(GameTablesTest, CaptureTheFlagHasFlagTablesAndFlagRecords) {
  auto g = replay(generated(Specs::kCaptureTheFlag, 8));
  ASSERT_EQ(g->gameType, Specs::kCaptureTheFlag);
  GameTables t(*g, true, 1);
  ASSERT_TRUE(t.CTFSummary);
  EXPECT_TRUE(has(html(t.CTFSummary), "Flag<br>Captures"));
  EXPECT_EQ(t.playerCTF.size(), g->plist.size());
  EXPECT_TRUE(t.playerCPC.empty());
  // Flag records appear only for values above zero.
  bool anyCapture = false;
  for (const auto& p : g->plist) anyCapture |= p->all.flagCaptures > 0;
  EXPECT_EQ(has(html(t.highs), "Most Flag Captures"), anyCapture);
  EXPECT_TRUE(has(html(t.gameSummary), "class=v>&nbsp;Team: "));
  EXPECT_TRUE(has(html(t.gameSummary), "colspan=20 class=v"));
  EXPECT_EQ(t.GT, "ctf");
}

TEST_F(GameTablesTest, DominationListsEveryControlPoint) {
  auto g = replay(generated(Specs::kDomination, 6));
  ASSERT_EQ(g->gameType, Specs::kDomination);
  ASSERT_FALSE(g->cpName.empty());
  GameTables t(*g, true, 1);
  ASSERT_EQ(t.playerCPC.size(), g->plist.size());
  for (const Table& cp : t.playerCPC) EXPECT_EQ(cp.size(), g->cpName.size() + 1);
  EXPECT_TRUE(has(html(t.gameTotals), "Control Point Captures"));
  EXPECT_TRUE(has(html(t.gameSummary), "colspan=21 class=v"));
}

TEST_F(GameTablesTest, TeamResultLinesByGameType) {
  auto ctf = replay(generated(Specs::kCaptureTheFlag, 6));
  GameTables t(*ctf, true, 1);
  ASSERT_TRUE(t.teamTable);
  EXPECT_TRUE(has(html(t.teamTable), " Team is Victorious with ")) << html(t.teamTable);
  auto assault = replay(generated(Specs::kAssault, 6));
  GameTables a(*assault, true, 1);
  ASSERT_TRUE(a.teamTable);
  EXPECT_TRUE(has(html(a.teamTable), " minutes")) << html(a.teamTable);
  EXPECT_TRUE(has(html(a.gameInfo), "Assault Info"));
}

TEST_F(GameTablesTest, MatchInformationPairsAndDefaults) {
  Log l;
  l("0|info|Absolute_Time|2026.01.02.10.00.00.000.+1")("0|info|Server_ServerName|Deck & <Co>");
  l("0|game|GameName|Arena DeathMatch")("0|game|AirControl|0.35")("0|game|TournamentMode|False");
  l.connect(1, "Ann").connect(2, "Bo")("0|game_start").kill(5, 1, 2)("9|game_end|timelimit");
  auto g = replay(l);
  GameTables t(*g, true, 1);
  std::string s = html(t.gameInfo);
  EXPECT_TRUE(has(s, "&nbsp;Air Control&nbsp</td><td class=w>&nbsp;35.0%(default)&nbsp")) << s;
  EXPECT_TRUE(has(s, "&nbsp;Match Name&nbsp</td><td class=w>&nbsp;Deck &amp; &lt;Co&gt;&nbsp"))
      << s;
  EXPECT_FALSE(has(s, "Tournament Mode"));
  // An odd number of pairs completes its last row with blanks.
  EXPECT_EQ(t.gameInfo->back().size(), 4u);
}

TEST_F(GameTablesTest, KillsMatchUpCountsKillsAndSuicidesOnTheDiagonal) {
  Log l;
  l("0|game|GameName|Arena DeathMatch").connect(1, "Ann").connect(2, "Bo")("0|game_start");
  l.kill(10, 1, 2).kill(
      20, 1, 2)("30|suicide|2|Rocket Launcher|RocketBlast|self")("40|game_end|timelimit");
  auto g = replay(l);
  GameTables t(*g, true, 1);
  ASSERT_TRUE(t.killsMatchUp);
  const Table& k = *t.killsMatchUp;
  ASSERT_EQ(k.size(), 4u);  // victim heading, names, two killers
  EXPECT_EQ(k[0][1][0].colspan, 2);
  EXPECT_EQ(k[2][0][0].val, "Killer");
  EXPECT_EQ(k[2][0][0].rowspan, 2);
  // Ann killed Bo twice; Bo killed himself once.
  EXPECT_EQ(k[2][3][0].val, "2");
  EXPECT_EQ(k[3][1][0].val, "&nbsp;");
  EXPECT_EQ(k[3][2][0].val, "1");
  EXPECT_EQ(k[3][2][0].type, 9);
}

TEST_F(GameTablesTest, OpponentsAreTakenInRankOrderBeforeTheSort) {
  // Ann killed Bo and Cy once each; Cy outranks Bo with his frags on Di.
  // The sort is not stable: from the ranking (Cy, Ann, Bo, Di) it puts Bo
  // before Cy, where the order of player numbers gave Cy before Bo.
  Log l;
  l("0|game|GameName|Arena DeathMatch").connect(1, "Ann").connect(2, "Bo").connect(3, "Cy");
  l.connect(4, "Di")("0|game_start");
  l.kill(10, 1, 2).kill(20, 1, 3).kill(30, 3, 4).kill(40, 3, 4).kill(50, 3, 4);
  l("60|game_end|timelimit");
  auto g = replay(l);
  ASSERT_EQ(g->playersByRank[0]->name, "Cy");
  ASSERT_EQ(g->playersByRank[2]->name, "Bo");
  GameTables t(*g, false, 1);
  const std::string s = html(t.playerPlayer.at(0));
  const size_t cy = s.find(">Cy<"), bo = s.find(">Bo<");
  ASSERT_NE(cy, std::string::npos) << s;
  ASSERT_NE(bo, std::string::npos) << s;
  EXPECT_LT(bo, cy) << s;
}

TEST_F(GameTablesTest, AWeaponTheCatalogDoesNotKnowIsShownAsUnknown) {
  Log l;
  l("0|game|GameName|Arena DeathMatch").connect(1, "Ann").connect(2, "Bo")("0|game_start");
  l("10|kill|1|Zap Gun|2|Pistol|Vaporized")("20|game_end|timelimit");
  auto g = replay(l);
  GameTables t(*g, false, 1);
  EXPECT_TRUE(has(html(t.gameWeapons), "<td class=y>&nbsp;Unknown&nbsp</td>"))
      << html(t.gameWeapons);
  EXPECT_FALSE(has(html(t.gameWeapons), "<td class=y>&nbsp;&nbsp</td>"));
  EXPECT_TRUE(has(html(t.killsHoldingWeapon), "&nbsp;Unknown&nbsp")) << html(t.killsHoldingWeapon);
}

TEST_F(GameTablesTest, HoldersOfATieShareOneCell) {
  Log l;
  l("0|game|GameName|Arena DeathMatch").connect(1, "Ann").connect(2, "Bo")("0|game_start");
  l.kill(10, 1, 2).kill(20, 2, 1)("40|game_end|timelimit");
  auto g = replay(l);
  GameTables t(*g, true, 1);
  std::string s = html(t.highs);
  EXPECT_TRUE(has(s, "Ann</a>&nbsp;<br>&nbsp;<a href=\"1.html\" class=z>Bo</a>")) << s;
}

TEST_F(GameTablesTest, ThirtyThreePlayersFillTheLegendWithTheTop32) {
  Log l;
  l("0|game|GameName|Arena DeathMatch");
  for (int i = 1; i <= 33; ++i) l.connect(i, "P" + std::to_string(i));
  l("0|game_start");
  for (int i = 1; i <= 33; ++i) l.kill(i, i, i % 33 + 1);
  l("100|game_end|timelimit");
  auto g = replay(l);
  ASSERT_EQ(g->playersByRank.size(), 33u);
  GameTables t(*g, true, 1);
  ASSERT_TRUE(t.gameSummaryB);
  // Headings, 32 players, the two legend rows.
  EXPECT_EQ(t.gameSummaryB->size(), 1u + 32u + 2u);
  // Rows past the eighth show the no-line image.
  EXPECT_TRUE(has(html(t.gameSummary), "g_no.gif"));
}

TEST_F(GameTablesTest, EpisodesNameHowTheyEnded) {
  Log l;
  l("0|game|GameName|Arena DeathMatch").connect(1, "Ann").connect(2, "Bo")("0|game_start");
  for (int i = 0; i < 5; ++i) l.kill(10 + i, 1, 2);
  l.kill(30, 2, 1)("60|game_end|timelimit");
  auto g = replay(l);
  GameTables t(*g, true, 1);
  std::string s = html(t.playerSpree.at(0));
  EXPECT_TRUE(has(s, "&nbsp;Killing Spree&nbsp")) << s;
  EXPECT_TRUE(has(s, "&nbsp;Killed by Bo with a Rocket Launcher&nbsp")) << s;
}

TEST_F(GameTablesTest, LogTextIsEscapedEverywhereItIsWritten) {
  const std::string evil = "<script>x</script>\"&\xE9";
  std::string text = generated(Specs::kCaptureTheFlag, 6);
  // Every name of the generated players that starts the connect lines.
  auto g0 = replay(text);
  std::string first = g0->plist.at(0)->name;
  size_t at = 0;
  while ((at = text.find(first, at)) != std::string::npos) {
    text.replace(at, first.size(), evil);
    at += evil.size();
  }
  auto g = replay(text);
  GameTables t(*g, true, 1);
  for (const auto* table :
       {&t.gameSummary, &t.killsMatchUp, &t.highs, &t.lows, &t.misc, &t.CTFSummary}) {
    std::string s = html(*table);
    EXPECT_FALSE(has(s, "<script>")) << s;
    EXPECT_FALSE(has(s, "\"&")) << s;
  }
  for (size_t x = 0; x < g->plist.size(); ++x)
    EXPECT_FALSE(has(html(t.playerPlayer[x]) + html(t.playerSpree[x]), "<script>"));
}

}  // namespace
}  // namespace programs::vardobf::output
