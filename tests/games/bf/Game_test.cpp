#include "games/bf/Game.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include "TestDir.h"
#include "games/bf/Comparators.h"
#include "games/bf/GameCreator.h"
#include "games/bf/LogBuilder.h"
#include "games/bf/Specs.h"
#include "util/Debug.h"
#include "util/QuickSort.h"

namespace games::bf {
namespace {

using testing_support::Log;
using testing_support::StdoutCapture;

class GameTest : public testing_support::ReplayTest {
 protected:
  static std::unique_ptr<Game> replay(const Log& log) {
    return std::make_unique<Game>(std::optional<std::string>(log.text()));
  }
  static Player& named(Game& g, const std::string& name) {
    for (Player* p : g.playersByUID)
      if (p->name == name) return *p;
    throw std::runtime_error("no player " + name);
  }
};

TEST_F(GameTest, SamplesAreTakenBeforeTheEventThatReachesThem) {
  Log log;
  log("0|game|GameName|Arena DeathMatch").connect(1, "A").connect(2, "B")("100|game_start");
  log.kill(109.5, 1, 2);  // before the first sampling point
  log.kill(110.0, 1, 2);  // takes sample 1 first
  log.kill(200.0, 2, 1);
  log("489|game_end|fraglimit");
  auto g = replay(log);
  ASSERT_TRUE(g->isValid());
  EXPECT_DOUBLE_EQ(g->gameInt, 389 * Game::kSampleFraction);
  Player& a = named(*g, "A");
  EXPECT_EQ(a.sot[0], 0.0);
  EXPECT_EQ(a.sot[1], 1.0);
  EXPECT_EQ(a.sot[39], 2.0);
  EXPECT_EQ(*g->endType, "fraglimit");
  EXPECT_DOUBLE_EQ(g->gameLength, 389.0);
}

TEST_F(GameTest, ConnectionsBeforeTheStartCountFromTheStart) {
  Log log;
  log.connect(1, "A").connect(2, "B")("30|game_start");
  log.kill(40, 1, 2);
  log("200|game_end|timelimit");
  auto g = replay(log);
  EXPECT_DOUBLE_EQ(named(*g, "A").all.totalTime, 170.0);
}

TEST_F(GameTest, ReturningPlayersAreKnownByNameAndSecret) {
  Log log;
  log.connect(1, "A", "x").connect(2, "B")("1|game_start");
  log.kill(10, 1, 2)("20|player|Disconnect|1");
  log("30|player|Connect|A|7|False|x");
  log.kill(40, 7, 2)("50|player|Disconnect|7");
  log("60|player|Connect|A|8|False|other");
  log.kill(70, 8, 2)("80|game_end|timelimit");
  auto g = replay(log);
  ASSERT_EQ(g->playersByUID.size(), 3u);
  EXPECT_EQ(g->playersByUID[0]->all.kills, 2);
  EXPECT_EQ(g->playersByUID[2]->name, "A");
  EXPECT_EQ(g->playersByUID[2]->all.kills, 1);
}

TEST_F(GameTest, TeamChangesSplitAndResumeEntries) {
  Log log;
  log("0|game|GameName|Arena Team Game")("0|game|TeamGame|True");
  log.connect(1, "A").connect(2, "B").connect(3, "C");
  log("0|player|TeamName|1|Red")("0|player|Team|1|1")("0|player|TeamName|2|Blue")(
      "0|player|Team|2|0")("0|player|Team|3|1")("1|game_start");
  log.kill(10, 1, 2)("20|player|Teamchange|1|0");
  log.kill(30, 1, 3)("40|player|Teamchange|1|1");
  log.kill(50, 1, 2)("60|game_end|timelimit");
  auto g = replay(log);
  ASSERT_EQ(g->plist.size(), 4u);
  Player* first = g->plist[0].get();
  Player* second = g->plist[3].get();
  EXPECT_EQ(first->name, "A");
  EXPECT_EQ(second->name, "A");
  EXPECT_EQ(first->team, 1);
  EXPECT_EQ(second->team, 0);
  EXPECT_EQ(first->all.kills, 2);  // the third change resumed the first entry
  EXPECT_EQ(second->all.tkills + second->all.kills, 1);
  EXPECT_EQ(*first->teamName, "Red");
  EXPECT_EQ(*second->teamName, "Blue");
  ASSERT_EQ(g->teamTotals.size(), 2u);
  EXPECT_EQ(g->teamTotals[0]->name, "Blue");  // colour order
  EXPECT_EQ(g->winningTeam, 1);
}

TEST_F(GameTest, CaptureTheFlagTeamKillsFlagKillsAndAssists) {
  Log log;
  log("0|game|GameName|Capture the Flag")("0|game|TeamGame|True");
  log.connect(1, "A").connect(2, "B").connect(3, "C").connect(4, "D");
  log("0|player|Team|1|0")("0|player|Team|2|0")("0|player|Team|3|1")("0|player|Team|4|1");
  log("1|game_start");
  log("10|flag_taken|1|1")("12|flag_dropped|1|1");
  log.kill(12, 3, 1);  // the drop just before, same time: a flag kill for C
  log("14|flag_pickedup|2|1")("20|flag_captured|2|1");
  log.kill(25, 3, 4, "teamkill");
  log("30|game_end|timelimit");
  auto g = replay(log);
  Player& a = named(*g, "A");
  Player& b = named(*g, "B");
  Player& c = named(*g, "C");
  EXPECT_EQ(b.all.flagCaptures, 1);
  EXPECT_EQ(b.all.flagAssists, 0);
  EXPECT_EQ(a.all.flagAssists, 1);
  EXPECT_EQ(c.all.flagKills, 1);
  EXPECT_EQ(c.all.frags, 1);  // the team kill cost no frag
  EXPECT_EQ(c.all.tkills, 1);
  EXPECT_DOUBLE_EQ(c.all.score, 1 + 4.0);
  EXPECT_DOUBLE_EQ(b.all.score, 7.0);
  EXPECT_EQ(g->winningTeam, 0);
  EXPECT_EQ(b.all.teamWins, 1);
  EXPECT_EQ(c.all.teamLosses, 1);
  // World-stats scores: human kills and team kills, less suicides and team
  // kills, plus flag kills and captures.
  EXPECT_DOUBLE_EQ(c.vsHumans.score, 2 - 1 + 4.0);
  EXPECT_DOUBLE_EQ(b.vsHumans.score, 7.0);
}

TEST_F(GameTest, NoGameEndAndTeamKillsOutsideTeamGames) {
  Log log;
  log.connect(1, "A").connect(2, "B").connect(3, "Idle")("5|game_start");
  log("6|item_get|Health Pack|3");
  log.kill(10, 1, 2, "teamkill");
  log.kill(20, 2, 1);
  auto g = replay(log);
  EXPECT_EQ(*g->endType, "Incomplete");
  EXPECT_DOUBLE_EQ(g->gameLength, 15.0);
  ASSERT_EQ(g->playersByUID.size(), 2u);  // the idle player is gone
  Player& a = named(*g, "A");
  EXPECT_EQ(a.all.kills, 1);
  EXPECT_EQ(a.all.firstBlood, 1);
  EXPECT_EQ(g->firstBlood, 0);
  EXPECT_FALSE(g->assaultSucceeded);
}

TEST_F(GameTest, IdlePlayersLeaveNoColumnAndFirstBloodMovesDown) {
  Log log;
  log.connect(1, "Idle").connect(2, "A").connect(3, "B")("1|game_start");
  log.kill(10, 2, 3);
  log.kill(11, 3, 2);
  log("20|game_end|timelimit");
  auto g = replay(log);
  ASSERT_EQ(g->playersByUID.size(), 2u);
  EXPECT_EQ(g->firstBlood, 0);
  Player& a = named(*g, "A");
  EXPECT_EQ(a.all.playerKills, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(a.all.playerDeaths, (std::vector<int32_t>{0, 1}));
}

TEST_F(GameTest, DominationKeepsScoreAcrossReconnections) {
  Log log;
  log("0|game|GameName|Domination")("0|game|TeamGame|True");
  log.connect(1, "A", "x").connect(2, "B")("0|player|Team|1|0")("0|player|Team|2|1");
  log("1|game_start")("5|controlpoint_capture|Alpha|1")("6|controlpoint_capture|Beta|1");
  log("7|controlpoint_capture|Alpha|2");
  log("10|dom_playerscore_update|1|12")("20|player|Disconnect|1");
  log("30|player|Connect|A|5|False|x")("31|player|Team|5|0");
  log("40|dom_playerscore_update|5|5")("41|dom_score_update|0|120")("42|dom_score_update|1|80");
  log.kill(45, 5, 2);
  log("50|game_end|timelimit");
  auto g = replay(log);
  Player& a = named(*g, "A");
  EXPECT_DOUBLE_EQ(a.all.score, 17.0);
  EXPECT_EQ(a.cpc, (std::vector<int32_t>{1, 1}));
  EXPECT_EQ(g->cpName, (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(g->winningTeam, 0);
  ASSERT_EQ(g->teamTotals.size(), 2u);
  EXPECT_DOUBLE_EQ(g->teamTotals[0]->all.score, 120.0);  // the logged team score
}

TEST_F(GameTest, LastManStandingEliminationListAndRanking) {
  Log log;
  log("0|game|GameName|Last Man Standing");
  log.connect(1, "A").connect(2, "B").connect(3, "C")("1|game_start");
  log.kill(10, 1, 3);
  log.kill(20, 1, 3);
  log("30|player|Disconnect|3");
  log.kill(40, 1, 2);
  log.kill(50, 2, 1);
  log("60|game_end|lastman");
  auto g = replay(log);
  EXPECT_EQ(g->lmsDeaths, (std::vector<int32_t>{2, 1, 2, 2, 2, -1, 1, 1, 0, 1}));
  EXPECT_EQ(g->lmsLimit, 2);
  EXPECT_EQ(g->fraglimit, "2");
  // A and B both lost one life; A's standing was set later, so A ranks
  // first; C is out.
  EXPECT_EQ(g->playersByRank[0]->name, "A");
  EXPECT_EQ(g->playersByRank[1]->name, "B");
  EXPECT_EQ(g->playersByRank[2]->name, "C");
  EXPECT_EQ(g->playersByRank[0]->all.teamWins, 1);
}

// A survivor who never died ranked below one who died twice.
TEST_F(GameTest, LastManStandingSurvivorWithFewerLivesLostRanksFirst) {
  SortLMS s;
  EXPECT_GT(s.compare({0, 0, 0}, {2, 8, 1}), 0);
  EXPECT_GT(s.compare({2, 4, 0}, {-1, 8, 1}), 0);
  EXPECT_GT(s.compare({-1, 9, 0}, {-1, 8, 1}), 0);
  EXPECT_GT(s.compare({1, 9, 0}, {1, 8, 1}), 0);
  EXPECT_EQ(s.compare({1, 9, 0}, {1, 9, 1}), 0);
}

TEST_F(GameTest, RankingComparatorsAndSort) {
  Player a(0.0), b(0.0), c(0.0);
  a.all.frags = 10;
  a.all.deaths = 3;
  b.all.frags = 10;
  b.all.deaths = 5;
  c.all.frags = 15;
  c.all.score = 20;
  a.all.score = 30;
  EXPECT_GT(SortFDS().compare(&a, &b), 0);
  EXPECT_LT(SortFDS().compare(&a, &c), 0);
  EXPECT_GT(SortSFDS().compare(&a, &c), 0);
  std::vector<Player*> v = {&b, &c, &a};
  util::QuickSort::quickSort(v, 0, 2, SortFDS());
  EXPECT_EQ(v, (std::vector<Player*>{&c, &a, &b}));
}

TEST_F(GameTest, DatesAreReadOnTheTwentyFourHourClock) {
  Log log;
  auto g = replay(log);
  EXPECT_EQ(g->niceDate("2001.03.04.10.20.30.400.-5"), "Sun, Mar 04  2001 at 10:20:30 AM -5");
  EXPECT_EQ(g->time, 983701230400 + 5 * 3600000);
  EXPECT_EQ(g->niceDate("2001.03.04.10.20.30.400.+1"), "Sun, Mar 04  2001 at 10:20:30 AM +1");
  EXPECT_EQ(g->time, 983701230400 - 3600000);
  EXPECT_EQ(g->niceDate("2001.03.04.10.20.30.400.GMT"), "Sun, Mar 04  2001 at 10:20:30 AM GMT");
  EXPECT_EQ(g->time, 983701230400);
  EXPECT_EQ(g->niceDate("2001.03.04.00.05.00.000.+0"), "Sun, Mar 04  2001 at 12:05:00 AM +0");
  EXPECT_EQ(g->niceDate("2001.03.04.11.05.00.000.+0"), "Sun, Mar 04  2001 at 11:05:00 AM +0");
  EXPECT_EQ(g->niceDate("2001.03.04.12.05.00.000.+0"), "Sun, Mar 04  2001 at 12:05:00 PM +0");
  EXPECT_EQ(g->time, 983707500000);
  EXPECT_EQ(g->niceDate("2001.03.04.13.05.00.000.+0"), "Sun, Mar 04  2001 at 1:05:00 PM +0");
  EXPECT_EQ(g->niceDate("2001.03.04.23.05.00.000.-5.5"), "Sun, Mar 04  2001 at 11:05:00 PM -5.5");
  EXPECT_EQ(g->time, 983747100000 + 19800000);
  int64_t before = g->time;
  EXPECT_EQ(g->niceDate("yesterday.-5"), "Bad Date Format");
  EXPECT_EQ(g->time, before);
  EXPECT_EQ(g->niceDate("2001.03.04.10.20.30.400.-x"), "Bad Date Format");
  EXPECT_EQ(g->time, 983701230400);  // the read local time stays
}

TEST_F(GameTest, SettingsAndVerdict) {
  Log log;
  log("0|game|TeamGame|Nein")("0|game|WeaponsStay|0")("0|game|UseBlinker|False");
  log("0|game|GameMutator|Brimfall.JumpMatch")("0|game|GameMutator|Odd.Pack.Thing");
  log("0|game|GameMutator|NoDot")("0|game|GameMutator|Trailing.");
  log("0|game|GameClass|Brimfall.ArenaDeathMatch")("0|game|GameVersion|348");
  log("0|game|GameName|Domination")("0|game|GameName|Assault");
  log("0|info|Server_ServerName|My <Server>")("0|info|Server_Port|7777")("0|map|Title|Deck");
  log.connect(1, "A").connect(2, "B").kill(5, 1, 2);
  auto g = replay(log);
  EXPECT_FALSE(g->teamGame);
  EXPECT_EQ(g->weaponsStay, "yes");
  EXPECT_EQ(g->useBlinker, "disabled");
  EXPECT_EQ(g->gameMutator,
            (std::vector<std::string>{"JumpMatch", "Pack.Thing", "NoDot", "Trailing."}));
  EXPECT_EQ(g->gameType, Specs::kAssault);
  EXPECT_EQ(g->getServerName(), "My <Server>");
  EXPECT_EQ(*g->port, "7777");
  EXPECT_EQ(g->getMap(), "Deck");
  EXPECT_TRUE(g->validClass);
  EXPECT_FALSE(g->validMutator);
  EXPECT_TRUE(g->validVersion);
  EXPECT_FALSE(g->date.has_value());
  EXPECT_EQ(g->time, 0);
}

TEST_F(GameTest, HighScoresAndEfficiency) {
  PStats s("all");
  s.kills = 10;
  s.deaths = 5;
  s.suicides = 3;
  s.tkills = 2;
  EXPECT_DOUBLE_EQ(HighScores::efficiency(s), 50.0);
  s.kills = 0;
  EXPECT_DOUBLE_EQ(HighScores::efficiency(s), 0.0);

  Player a(0.0), b(0.0), c(0.0);
  a.uid = 0;
  b.uid = 1;
  c.uid = 2;
  a.all.kills = 1;
  a.all.deaths = 1;
  b.all.kills = 3;
  b.all.deaths = 1;
  c.all.kills = 3;
  c.all.deaths = 1;
  b.all.myKills[Specs::kRocketLauncher] = 1;
  c.all.myKills[Specs::kRocketLauncher] = 1;
  a.all.itemGets[3] = 2;
  c.all.itemGets[3] = 1;
  HighScores hs({&a, &b, &c});
  EXPECT_EQ(hs.HighEff, (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(hs.LowEff, (std::vector<int32_t>{0}));
  EXPECT_EQ(hs.MostFC, (std::vector<int32_t>{0, 1, 2}));  // best 0 is still a record
  EXPECT_EQ(hs.KillsHoldingWeapon[Specs::kRocketLauncher], (std::vector<int32_t>{1, 2}));
  EXPECT_TRUE(hs.KillsHoldingWeapon[Specs::kPistol].empty());
  EXPECT_EQ(hs.ItemsByType[3], 3);
}

TEST_F(GameTest, LogsWithoutKillsAreInvalidAndAbsentLogsAreHandled) {
  Log log;
  log.connect(1, "A")("5|item_get|Health Pack|1");
  EXPECT_FALSE(replay(log)->isValid());
  GameCreator creator;
  EXPECT_FALSE(creator.newGame(std::nullopt, false)->isValid());
  EXPECT_FALSE(creator.newGame(std::string("\x01\x02 not a log"), false)->isValid());
}

}  // namespace
}  // namespace games::bf
