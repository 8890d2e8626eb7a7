// The JSON of the dump tools: texts made UTF-8, key order, values that JSON
// cannot hold, and absent database files.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "games/bf/Game.h"
#include "games/bf/Specs.h"
#include "tools/dbdump/DbDump.h"
#include "tools/loggen/LogGenerator.h"
#include "tools/matchdump/MatchDump.h"
#include "util/Json.h"

namespace {

using testing_support::TestDir;
using util::Json;

std::vector<std::string> keys(const Json& object) {
  std::vector<std::string> out;
  for (const auto& item : object.items()) out.push_back(item.key());
  return out;
}

class MatchDumpTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { games::bf::Specs::init(); }

  static std::string log(int32_t type) {
    tools::loggen::LogOptions o;
    o.gameType = type;
    o.seed = 11;
    o.players = 6;
    o.minutes = 3;
    return tools::loggen::LogGenerator(o).text();
  }
};

TEST_F(MatchDumpTest, IsOneLineOfJsonWithTheModelsKeysInOrder) {
  games::bf::Game g{std::optional<std::string>(log(1))};
  ASSERT_TRUE(g.validGame);
  const std::string text = tools::matchToJson(g);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\n'), text.size() - 1);
  const Json j = Json::parse(text);
  const std::vector<std::string> k = keys(j);
  ASSERT_EQ(k.size(), 48u);
  EXPECT_EQ(k.front(), "validGame");
  EXPECT_EQ(k[5], "time");
  EXPECT_EQ(k.back(), "hs");
  EXPECT_EQ(j["time"], g.time);
  ASSERT_EQ(j["playersByUID"].size(), g.playersByUID.size());
  for (size_t i = 0; i < g.playersByUID.size(); ++i) {
    const Json& p = j["playersByUID"][i];
    EXPECT_EQ(p["uid"], g.playersByUID[i]->uid);
    EXPECT_EQ(p["sot"].size(), games::bf::Player::kSamples);
    EXPECT_EQ(keys(p["all"]).size(), 49u);
    EXPECT_FALSE(p.contains("nameAbsent"));  // team records only
  }
  ASSERT_EQ(j["teamTotals"].size(), g.teamTotals.size());
  for (const Json& t : j["teamTotals"]) EXPECT_TRUE(t.contains("nameAbsent"));
  EXPECT_EQ(j["playersByRank"].size(), g.playersByRank.size());
}

TEST_F(MatchDumpTest, LatinOneNamesBecomeUtf8AndNonFiniteNumbersNull) {
  games::bf::Game g{std::optional<std::string>(log(0))};
  ASSERT_FALSE(g.playersByUID.empty());
  games::bf::Player& p = *g.playersByUID[0];
  p.name = "Ren\xE9 \"\\\xFF";
  p.sot[3] = std::nan("");
  p.all.score = INFINITY;
  g.map = std::nullopt;
  const Json j = Json::parse(tools::matchToJson(g));
  const Json& first = j["playersByUID"][0];
  EXPECT_EQ(first["name"], "Ren\xC3\xA9 \"\\\xC3\xBF");
  EXPECT_TRUE(first["sot"][3].is_null());
  EXPECT_TRUE(first["sot"][2].is_number());
  EXPECT_TRUE(first["all"]["score"].is_null());
  EXPECT_TRUE(j["map"].is_null());
}

TEST(DbDump, MissingFilesAreNullAndAnEmptyFileDecodesToNothing) {
  TestDir dir;
  const std::string folder = dir.path() + "/";
  Json j = Json::parse(tools::dumpDatabase(folder));
  EXPECT_EQ(keys(j), (std::vector<std::string>{"game", "totals", "hash", "player"}));
  for (const auto& item : j.items()) EXPECT_TRUE(item.value().is_null()) << item.key();

  dir.write("bf_player.db", "");
  j = Json::parse(tools::dumpDatabase(folder));
  ASSERT_TRUE(j["player"].is_object());
  EXPECT_EQ(j["player"]["length"], 0);
  EXPECT_TRUE(j["player"]["allStats"].is_null());
  EXPECT_EQ(j["player"]["players"], Json::array());
}

}  // namespace
