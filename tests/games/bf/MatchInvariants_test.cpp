// The guarantees of a finished match, checked over generated and hostile
// logs, and each check shown to notice the damage it is about.
#include "games/bf/MatchInvariants.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "games/bf/Game.h"
#include "games/bf/LogBuilder.h"
#include "games/bf/Specs.h"
#include "tools/loggen/LogGenerator.h"

namespace games::bf {
namespace {

using testing_support::Log;

class MatchInvariants : public testing_support::ReplayTest {
 protected:
  static std::unique_ptr<Game> generated(int32_t type, uint64_t seed, int32_t players) {
    tools::loggen::LogOptions o;
    o.gameType = type;
    o.seed = seed;
    o.players = players;
    o.minutes = 6;
    o.unknownWeaponRate = 0.01;
    return std::make_unique<Game>(
        std::optional<std::string>(tools::loggen::LogGenerator(o).text()));
  }
  // What the check says of a generated match of `type` after `damage`.
  static std::string afterDamage(int32_t type, const std::function<void(Game&)>& damage) {
    auto g = generated(type, 3, 10);
    EXPECT_EQ(brokenInvariant(*g), std::nullopt);
    damage(*g);
    return brokenInvariant(*g).value_or("<nothing broken>");
  }
};

TEST_F(MatchInvariants, GeneratedLogsOfEveryTypeKeepThem) {
  for (int32_t type = 0; type < static_cast<int32_t>(Specs::kGames); ++type)
    for (uint64_t seed : {1u, 2u, 3u, 4u}) {
      auto g = generated(type, seed, 3 + static_cast<int32_t>(seed) * 5);
      ASSERT_TRUE(g->isValid());
      EXPECT_EQ(brokenInvariant(*g), std::nullopt) << "type " << type << " seed " << seed;
    }
}

TEST_F(MatchInvariants, HostileLogsKeepThem) {
  Log strangers;
  strangers.connect(1, "A").connect(2, "B")("1|game_start");
  strangers.kill(5, 9, 2).kill(6, 1, 9).kill(7, 1, 2)("8|teamkill|1|Pistol|1|Pistol|Shot");
  strangers("9|flag_taken|55|0")("11|player|Disconnect|42")("20|game_end|timelimit");

  Log teams;
  teams("0|game|GameName|Arena Team Game")("0|game|TeamGame|True");
  teams.connect(1, "A").connect(2, "B").connect(3, "C");
  teams("0|player|Team|1|0")("0|player|Team|2|1")("0|player|Team|3|1")("1|game_start");
  for (int i = 0; i < 12; ++i) {
    teams("0" + std::to_string(i + 2) + "|player|Teamchange|1|" + std::to_string((i + 1) % 2));
    teams.kill(2.5 + i, 1 + i % 3, 1 + (i + 1) % 3);
  }
  teams("20|teamkill|2|Pistol|3|Pistol|Shot")("21|suicide|3|Pistol|Fell|None");
  teams("22|player|Disconnect|2")("30|game_end|teamscorelimit");

  for (const Log* log : {&strangers, &teams}) {
    Game g{std::optional<std::string>(log->text())};
    ASSERT_TRUE(g.isValid());
    EXPECT_EQ(brokenInvariant(g), std::nullopt);
  }
}

TEST_F(MatchInvariants, EachCheckNoticesItsDamage) {
  const int32_t dm = Specs::kDeathMatch, ctf = Specs::kCaptureTheFlag;
  EXPECT_EQ(afterDamage(dm, [](Game& g) { g.playersByUID.pop_back(); }),
            "playersByUID does not list every player");
  EXPECT_EQ(afterDamage(dm,
                        [](Game& g) {
                          std::swap(g.playersByRank[0], g.playersByRank[1]);
                          std::swap(g.playersByRank[0]->rank, g.playersByRank[1]->rank);
                        }),
            "the ranking breaks the game type's ranking rule");
  EXPECT_EQ(afterDamage(dm, [](Game& g) { g.playersByRank[1] = g.playersByRank[0]; }),
            "playersByRank is not a permutation of the players");
  EXPECT_EQ(afterDamage(dm, [](Game& g) { g.plist[0]->all.deaths += 1; }),
            "the per-weapon deaths do not add up to the deaths");
  EXPECT_EQ(afterDamage(dm, [](Game& g) { g.plist[1]->vsBots.blink = -1; }),
            "a counter is negative");
  EXPECT_EQ(afterDamage(dm,
                        [](Game& g) {
                          PStats& h = g.plist[0]->vsHumans;
                          h.kills += 1;
                          h.myKills[3] += 1;
                          h.myKillsOppW[3] += 1;
                        }),
            "the records against humans and bots do not add up to the overall record");
  EXPECT_EQ(afterDamage(dm,
                        [](Game& g) {
                          // A column moved: the sums stay, the cells no longer agree.
                          for (auto& p : g.plist) {
                            auto& list = *p->all.playerKills;
                            if (list.size() < 2 || list[0] == list[1]) continue;
                            std::swap(list[0], list[1]);
                            return;
                          }
                        }),
            "a killer's and his victim's per-opponent lists disagree");
  EXPECT_EQ(afterDamage(dm, [](Game& g) { g.gameTotals.all.suicides += 1; }),
            "the match totals are not the sums of the players'");
  EXPECT_EQ(afterDamage(dm, [](Game& g) { g.playersByRank[0]->all.teamWins = 0; }),
            "the first ranked player has not won");
  EXPECT_EQ(afterDamage(dm, [](Game& g) { g.firstBlood = -1; }),
            "first blood drawn by nobody named");
  EXPECT_EQ(afterDamage(ctf, [](Game& g) { g.teamTotals[0]->all.tdeaths += 1; }),
            "a team record is not the sum of its members'");
  EXPECT_EQ(afterDamage(ctf, [](Game& g) { g.winningTeam = 77; }),
            "the winning team is none of the team records");
  EXPECT_EQ(afterDamage(ctf,
                        [](Game& g) {
                          for (auto& t : g.teamTotals)
                            if (t->uid != g.winningTeam) t->all.flagCaptures += 1000;
                        }),
            "a team is ahead of the winning team");
}

}  // namespace
}  // namespace games::bf
