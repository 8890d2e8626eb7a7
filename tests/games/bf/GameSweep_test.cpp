// Replays generated logs of every game type and hostile logs, and checks what
// must hold of every judged match.
#include <numeric>

#include <gtest/gtest.h>
#include <stdlib.h>

#include "TestDir.h"
#include "games/bf/Game.h"
#include "games/bf/GameCreator.h"
#include "games/bf/LogBuilder.h"
#include "games/bf/Specs.h"
#include "tools/loggen/LogGenerator.h"
#include "util/Debug.h"

namespace games::bf {
namespace {

using testing_support::Log;

class GameSweep : public testing_support::ReplayTest {};

void expectInvariants(const Game& g, const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_TRUE(g.isValid());
  const size_t n = g.playersByUID.size();
  int64_t kills = 0;
  std::vector<int32_t> ranks;
  for (size_t i = 0; i < n; ++i) {
    const Player& p = *g.playersByUID[i];
    EXPECT_EQ(p.uid, static_cast<int32_t>(i));
    ranks.push_back(p.rank);
    kills += p.all.kills;
    int32_t expected = p.all.kills - p.all.suicides - p.all.tkills;
    if (g.gameType == Specs::kCaptureTheFlag) expected += p.all.tkills;  // team kills cost no frag
    EXPECT_EQ(p.all.frags, expected) << p.name;
    for (const PStats* s : {&p.all, &p.vsHumans, &p.vsBots}) {
      EXPECT_LE(s->playerKills->size(), n) << p.name;
      EXPECT_LE(s->playerDeaths->size(), n) << p.name;
    }
    EXPECT_EQ(p.sot[0], 0.0);
  }
  EXPECT_EQ(kills, g.gameTotals.all.kills);
  std::sort(ranks.begin(), ranks.end());
  std::vector<int32_t> oneToN(n);
  std::iota(oneToN.begin(), oneToN.end(), 1);
  EXPECT_EQ(ranks, oneToN);
  ASSERT_EQ(g.playersByRank.size(), n);
  for (size_t k = 0; k < n; ++k) EXPECT_EQ(g.playersByRank[k]->rank, static_cast<int32_t>(k) + 1);
}

TEST_F(GameSweep, GeneratedLogsOfEveryType) {
  for (int32_t type = 0; type < static_cast<int32_t>(Specs::kGames); ++type) {
    for (uint64_t seed : {1u, 2u, 3u}) {
      tools::loggen::LogOptions o;
      o.gameType = type;
      o.seed = seed;
      o.players = 4 + static_cast<int32_t>(seed) * 4;
      o.minutes = 5;
      o.unknownWeaponRate = 0.003;
      Game g{std::optional<std::string>(tools::loggen::LogGenerator(o).text())};
      expectInvariants(g, "type " + std::to_string(type) + " seed " + std::to_string(seed));
    }
  }
}

TEST_F(GameSweep, PlayersWhoNeverConnectedAndSelfTeamKills) {
  Log log;
  log.connect(1, "A").connect(2, "B")("1|game_start");
  log.kill(5, 9, 2).kill(6, 1, 9).kill(7, 1, 2);
  log("8|teamkill|1|Pistol|1|Pistol|Shot");  // himself, in a match without teams
  log("9|headshot|1|77")("10|flag_taken|55|0")("11|player|Disconnect|42");
  log("20|game_end|timelimit");
  util::Debug::setType("StdOut", ".");
  testing_support::StdoutCapture out;
  Game g{std::optional<std::string>(log.text())};
  std::string text = out.text();
  EXPECT_NE(text.find("Error: Kill\nError: Kill\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Error in Game.hHeadShot "), std::string::npos) << text;
  expectInvariants(g, "hostile");
  EXPECT_EQ(g.playersByUID[0]->all.kills, 2);  // one kill and the kill of himself
}

TEST_F(GameSweep, FortyTeamChanges) {
  Log log;
  log("0|game|GameName|Arena Team Game")("0|game|TeamGame|True");
  log.connect(1, "A").connect(2, "B")("0|player|Team|1|0")("0|player|Team|2|1")("1|game_start");
  for (int i = 0; i < 40; ++i) {
    log("0" + std::to_string(i + 2) + "|player|Teamchange|1|" + std::to_string((i + 1) % 2));
    log.kill(2.5 + i, 1, 2);
  }
  log("100|game_end|timelimit");
  Game g{std::optional<std::string>(log.text())};
  expectInvariants(g, "team changes");
  EXPECT_EQ(g.plist.size(), 3u);  // A on each team, B
}

TEST_F(GameSweep, MatchesThatEndBeforeTheyStartOrHaveNoStartOrEnd) {
  Log backwards;
  backwards.connect(1, "A").connect(2, "B")("50|game_start");
  for (int i = 0; i < 60; ++i) backwards.kill(60 + i, 1 + i % 2, 2 - i % 2);
  backwards("40|game_end|timelimit");
  Game g1{std::optional<std::string>(backwards.text())};
  EXPECT_LE(g1.gameInt, 0.0);
  expectInvariants(g1, "ends before it starts");

  Log bare;
  bare.connect(1, "A").connect(2, "B").kill(3, 1, 2).kill(4, 2, 1);
  Game g2{std::optional<std::string>(bare.text())};
  expectInvariants(g2, "no start, no end");
  EXPECT_EQ(*g2.endType, "Incomplete");
  EXPECT_DOUBLE_EQ(g2.gameStart, 0.0);
}

TEST_F(GameSweep, TenThousandPlayers) {
  Log log;
  for (int i = 1; i <= 10000; ++i) log.connect(i, "P" + std::to_string(i));
  log("1|game_start");
  // The first and the last players fight; everybody else stays idle.
  for (int i = 1; i < 40; i += 2) log.kill(2 + i * 0.01, i, i + 1);
  log.kill(3, 10000, 1).kill(4, 9999, 10000);
  log("500|game_end|timelimit");
  Game g{std::optional<std::string>(log.text())};
  expectInvariants(g, "ten thousand");
  ASSERT_EQ(g.playersByUID.size(), 42u);
  // The columns of the idle players are gone from the lists.
  const Player& last = *g.playersByUID[40];
  EXPECT_EQ(last.name, "P9999");
  std::vector<int32_t> expected(42, 0);
  expected[41] = 1;  // the last player, P10000
  EXPECT_EQ(last.all.playerKills, expected);
}

TEST_F(GameSweep, DatesOfEveryMalformedShape) {
  Game g{std::optional<std::string>(Log().text())};
  for (const char* bad :
       {"", ".", ".-5", ".+", "2001", "2001.03.04", "a.b.c.d.e.f.g.-1", "2001.03.04.10.20.30.400.-",
        "2001.03.04.10.20.30.400.+x", "2001.03.04.10.20.30.-5", "99999999999999.1.1.1.1.1.1.+0",
        "2001.03.04.10.20.30.400.-99999999999999999999", "2001..04.10.20.30.400.-5"}) {
    std::string shown = g.niceDate(bad);
    EXPECT_EQ(shown, "Bad Date Format") << "'" << bad << "'";
  }
  // Lenient reading carries over: month 13 is January of the next year.
  EXPECT_EQ(g.niceDate("2001.13.01.00.00.00.000.+0"), "Tue, Jan 01  2002 at 12:00:00 AM +0");
}

TEST_F(GameSweep, FactoryNeverFailsOnAnyText) {
  GameCreator creator;
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk += static_cast<char>((i * 7919) % 256);
  for (const std::string& text :
       {junk, std::string("0\tkill\t1\tx\t2\ty\tz\n", 14), std::string(1, '\0'), std::string()}) {
    auto g = creator.newGame(text, false);
    ASSERT_NE(g, nullptr);
  }
}

}  // namespace
}  // namespace games::bf
