#include "games/bf/Player.h"

#include <gtest/gtest.h>

#include "games/bf/Specs.h"

namespace games::bf {
namespace {

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override { Specs::init(); }
  static constexpr int32_t kRocket = Specs::kRocketLauncher;
};

TEST_F(PlayerTest, MultiKillChainsCountOnceUnderTheirFinalLength) {
  PStats s("all");
  s.killer(kRocket, 0, 1, 10.0);
  s.killer(kRocket, 0, 1, 12.5);
  s.killer(kRocket, 0, 1, 15.5);  // 3.0 seconds still continue the chain
  EXPECT_EQ(s.muKills, 1);
  EXPECT_EQ(s.dKills, 0);
  s.killer(kRocket, 0, 1, 19.0);  // 3.5 seconds start a new one
  EXPECT_EQ(s.killLevel, 1);
  EXPECT_EQ(s.muKills, 1);

  PStats t("all");
  for (int i = 0; i < 6; ++i) t.killer(kRocket, 0, 2, 100.0 + i);
  EXPECT_EQ(t.moKills, 1);
  EXPECT_EQ(t.dKills + t.muKills + t.uKills, 0);
  EXPECT_EQ(t.killLevel, 5);
  EXPECT_EQ(t.playerKills, (std::vector<int32_t>{0, 0, 6}));
}

TEST_F(PlayerTest, SpreesAreNamedByKillsAndKeptWhenTheyEnd) {
  Player p(0.0);
  for (int i = 0; i < 5; ++i) p.killer(kRocket, 0, 1, false, 10.0 * i);
  EXPECT_EQ(p.preSpree.desc, "Killing Spree");
  for (int i = 5; i < 10; ++i) p.killer(kRocket, 0, 1, false, 10.0 * i);
  EXPECT_EQ(p.preSpree.desc, "Rampage");
  for (int i = 10; i < 12; ++i) p.killer(kRocket, 0, 1, false, 10.0 * i);
  p.victim(kRocket, 0, 1, 200.0, false);
  ASSERT_EQ(p.itemInfo.size(), 1u);
  EXPECT_EQ(p.itemInfo[0].desc, "Rampage");
  EXPECT_EQ(p.itemInfo[0].kills, 12);
  EXPECT_EQ(p.itemInfo[0].reasonStopped, "Killed");
  EXPECT_EQ(p.preSpree.desc, "preSpree");
  EXPECT_EQ(p.preSpree.startTime, 200.0);
  p.summarize();
  EXPECT_EQ(p.sprees[1].uses, 1);
  EXPECT_EQ(p.sprees[1].kills, 12);
  EXPECT_EQ(p.hsprees[1].uses, 1);
}

TEST_F(PlayerTest, DeathByABotKeepsTheHumanSpreeAndEndsHumanEpisodesAsDeactivated) {
  Player p(0.0);
  for (int i = 0; i < 6; ++i) p.killer(kRocket, 0, 1, false, 10.0 * i);
  p.actItem("Damage Amplifier", 70.0);
  p.killer(kRocket, 0, 1, false, 75.0);
  p.victim(kRocket, 0, 2, 80.0, true);
  EXPECT_EQ(p.preHSpree.kills, 7);  // still running
  EXPECT_EQ(p.preSpree.kills, 0);
  ASSERT_EQ(p.itemHInfo.size(), 1u);
  EXPECT_EQ(p.itemHInfo[0].reasonStopped, "Deactivated");
  EXPECT_EQ(p.itemHInfo[0].totalTime, 10.0);
  ASSERT_EQ(p.itemInfo.size(), 2u);  // the pickup episode, then the spree
  EXPECT_EQ(p.itemInfo[0].reasonStopped, "Killed");
  EXPECT_EQ(p.itemInfo[0].kills, 1);
  EXPECT_EQ(p.itemInfo[1].desc, "Killing Spree");
  EXPECT_TRUE(p.activeItemInfo.empty());
  EXPECT_TRUE(p.activeItemHInfo.empty());
}

TEST_F(PlayerTest, SuicidesTeamKillsAndItems) {
  Player p(0.0);
  p.suicided(-1, kRocket, 5.0);
  EXPECT_EQ(p.all.frags, -1);
  EXPECT_EQ(p.all.myFrags[kRocket], -1);
  EXPECT_EQ(p.all.myWSuicides[kRocket], 1);
  p.suicided(Specs::kFell, 0, 6.0);
  EXPECT_EQ(p.all.frags, -2);
  EXPECT_EQ(p.all.mySuicides[Specs::kFell], 1);
  EXPECT_EQ(p.all.myFrags[0], 0);
  EXPECT_EQ(p.vsBots.suicides, 2);

  Player k(0.0);
  k.killer(kRocket, 0, 3, false, 1.0);
  k.teamKiller(kRocket, 0, 2, true);
  EXPECT_EQ(k.all.frags, 0);
  EXPECT_EQ(k.all.tkills, 1);
  EXPECT_EQ(k.vsBots.tkills, 1);
  EXPECT_EQ(k.all.playerKills, (std::vector<int32_t>{0, 0, 1, 1}));
  EXPECT_EQ(k.preSpree.kills, 1);  // the spree goes on

  k.deactItem("Invisibility", 3.0);  // nothing running: nothing happens
  EXPECT_TRUE(k.itemInfo.empty());
  k.gotItem(4);
  EXPECT_EQ(k.all.items, 1);
  EXPECT_EQ(k.preSpree.itemGets[4], 1);
}

TEST_F(PlayerTest, ConnectedTimeAddsUpAcrossReconnections) {
  Player p(40.0);
  p.playerDisconnect(100.0);
  p.playerReconnect(130.0);
  p.gameEnd(200.0);
  EXPECT_DOUBLE_EQ(p.all.totalTime, 130.0);
  EXPECT_EQ(p.all.reasonStopped, "GameEnd");
  p.all.stopped("x", 10.0);  // an end before the start changes nothing
  EXPECT_DOUBLE_EQ(p.all.totalTime, 130.0);
}

TEST_F(PlayerTest, MergingCountsEpisodesNotMerges) {
  Player a(0.0), b(0.0);
  a.sprees[0].uses = 2;
  b.sprees[0].uses = 3;
  b.all.kills = 4;
  b.all.score = 2.5;
  a.update(b);
  EXPECT_EQ(a.sprees[0].uses, 5);
  EXPECT_EQ(a.all.uses, 1);
  EXPECT_EQ(a.all.kills, 4);
  EXPECT_DOUBLE_EQ(a.all.score, 2.5);
  EXPECT_FALSE(a.all.playerKills.has_value());
  EXPECT_TRUE(a.modified);
}

TEST_F(PlayerTest, TextForm) {
  Player p(0.0);
  p.name = "Ann";
  p.secret = "s1";
  EXPECT_EQ(p.toString(), "n=Ann s=s1 b=false l=-1 u=-1 tn=null t=-1 ig=0");
  p.teamName = "Red";
  p.isABot = true;
  EXPECT_EQ(p.toString(), "n=Ann s=s1 b=true l=-1 u=-1 tn=Red t=-1 ig=0");
}

}  // namespace
}  // namespace games::bf
