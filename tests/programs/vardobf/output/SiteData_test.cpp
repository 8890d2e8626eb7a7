// The site's data: one value written as JSON and as a script, texts kept as
// text, the player list rewritten only where a run changed it (unless the
// files belong to another state of the database), the times a player was
// seen, the kept matches and their samples.
#include "programs/vardobf/output/SiteData.h"

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "games/bf/Specs.h"
#include "output/PageFixture.h"
#include "platform/FileSystem.h"
#include "programs/vardo/config.h"

namespace programs::vardobf::output {
namespace {

using games::bf::Player;
using games::bf::Specs;
using programs::vardo::config;
using testing_support::TestDir;
using Json = SiteData::Json;
namespace fs = std::filesystem;

class SiteDataTest : public testing_support::PageTest {
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
  // A player of `frags` frags in one DeathMatch, changed by this run.
  HashEntry& add(const std::string& name, bool bot, int32_t frags) {
    HashEntry h(name, bot, static_cast<int32_t>(t.plist.size()));
    h.modified = true;
    keys.push_back(HashEntry::key(name, bot));
    HashEntry& e = t.plist.put(keys.back(), h);
    setFrags(e.uid, frags);
    return e;
  }
  void setFrags(int32_t uid, int32_t frags) {
    Player p(0.0);
    p.all.uses = 1;
    p.all.frags = frags;
    p.all.kills = frags;
    p.all.deaths = 10;
    p.all.totalTime = 1800.0;
    p.games[Specs::kDeathMatch].uses = 1;
    p.games[Specs::kDeathMatch].frags = frags;
    players.insert_or_assign(uid, p);
  }
  // A run that counted `matches` matches.
  void write(int32_t matches) {
    t.totalGamesPlayed += matches;
    t.matchesThisRun = matches;
    data.writeTotals([this](int32_t uid) -> std::optional<Player> {
      auto it = players.find(uid);
      if (it == players.end()) return std::nullopt;
      return it->second;
    });
  }
  // The start of the next run: nothing changed yet.
  void nextRun() {
    for (const std::string& k : keys) t.plist.find(k)->modified = false;
    t.seenThisRun.clear();
    t.matchesThisRun = 0;
  }
  std::string dir() const { return home.path() + "/html/data/"; }
  Json read(const std::string& name) const {
    return Json::parse(platform::readFile(dir() + name + ".json"));
  }
  // The row of player `uid` in the list.
  Json row(int32_t uid) const {
    const Json chunk = read("players-" + std::to_string(uid / SiteData::kChunkSize));
    for (const Json& r : chunk["players"])
      if (r["uid"] == uid) return r;
    return nullptr;
  }
  // Sets every data file's time far back, so that a rewrite shows.
  void ageFiles() const {
    for (const auto& f : fs::recursive_directory_iterator(dir()))
      if (f.is_regular_file()) fs::last_write_time(f.path(), old());
  }
  fs::file_time_type old() const { return old_; }
  bool rewritten(const std::string& file) const {
    return fs::last_write_time(dir() + file) != old();
  }

  TestDir home;
  Totals t;
  std::map<int32_t, Player> players;
  std::vector<std::string> keys;
  SiteData data{t};
  const fs::file_time_type old_ =
      std::chrono::time_point_cast<std::chrono::seconds>(fs::file_time_type::clock::now()) -
      std::chrono::hours(24 * 365);
};

TEST_F(SiteDataTest, EverySetIsWrittenAsJsonAndAsAScriptOfTheSameText) {
  add("Ann", false, 30);
  write(1);
  int sets = 0;
  for (const auto& f : fs::recursive_directory_iterator(dir())) {
    if (f.path().extension() != ".json") continue;
    ++sets;
    const std::string json = platform::readFile(f.path().string());
    std::string name = fs::relative(f.path(), dir()).replace_extension().generic_string();
    std::string id = name;
    std::replace(id.begin(), id.end(), '/', '_');
    std::replace(id.begin(), id.end(), '-', '_');
    fs::path script = f.path();
    script.replace_extension(".js");
    EXPECT_EQ(platform::readFile(script.string()), "var brimfall_" + id + " = " + json + ";\n")
        << name;
    EXPECT_EQ(Json::parse(json)["format"], 1) << name;
  }
  // totals, records, matches, one chunk of the list and one player.
  EXPECT_EQ(sets, 5);
  EXPECT_TRUE(platform::exists(dir() + "player/0.js"));
}

TEST_F(SiteDataTest, TextsAreStoredAsTextAndFiguresAsPlainNumbers) {
  add("<b>Jos\xE9 & \"Ren\xE9\"</b>", true, 30);
  players.at(0).all.totalTime = 0.0;
  players.at(0).all.suicides = 5;
  write(1);
  const Json r = row(0);
  EXPECT_EQ(r["name"], "<b>Jos\xC3\xA9 & \"Ren\xC3\xA9\"</b>");
  EXPECT_EQ(r["bot"], true);
  EXPECT_DOUBLE_EQ(r["efficiency"].get<double>(), 30.0 * 100 / (30 + 10 + 5));
  EXPECT_EQ(r["fragsPerHour"], 0.0);  // no time played
  EXPECT_EQ(r["matchesByType"], Json::parse("[1,0,0,0,0,0,0]"));
  EXPECT_EQ(r["firstSeen"], nullptr);
  const Json career = read("player/0");
  EXPECT_EQ(career["name"], r["name"]);
  EXPECT_EQ(career["byType"].size(), Specs::kGames);
  EXPECT_EQ(career["all"]["frags"], 30);
}

TEST_F(SiteDataTest, ARunRewritesOnlyThePartsOfTheListItChanged) {
  for (int i = 0; i <= SiteData::kChunkSize; ++i) add("P" + std::to_string(i), i % 2 == 0, i);
  write(3);
  ASSERT_EQ(read("totals")["players"]["chunks"], 2);
  ageFiles();

  nextRun();
  t.plist.find(HashEntry::key("P1000", true))->modified = true;
  setFrags(1000, 5000);
  // Changed in the database without the run knowing: a changed list would
  // show it.
  setFrags(5, 999);
  write(1);
  EXPECT_EQ(row(1000)["frags"], 5000);
  EXPECT_TRUE(rewritten("players-1.json"));
  EXPECT_TRUE(rewritten("player/1000.js"));
  EXPECT_FALSE(rewritten("players-0.json"));
  EXPECT_FALSE(rewritten("player/5.json"));
  EXPECT_EQ(row(5)["frags"], 5);
  EXPECT_EQ(read("totals")["matchesCounted"], 4);
}

TEST_F(SiteDataTest, ARunThatCountsNothingNewWritesNothing) {
  add("Ann", false, 30);
  add("Bo", true, 20);
  write(2);
  ageFiles();
  nextRun();
  write(0);
  for (const auto& f : fs::recursive_directory_iterator(dir())) {
    if (f.is_regular_file()) {
      EXPECT_EQ(f.last_write_time(), old()) << f.path();
    }
  }
}

TEST_F(SiteDataTest, FilesOfAnotherStateOfTheDatabaseAreWrittenAnewFromIt) {
  add("Ann", false, 30);
  add("Bo", true, 20);
  t.seenThisRun[1] = {2000, 3000};
  write(2);
  ageFiles();

  // Two matches counted while the data was switched off changed Bo.
  nextRun();
  t.totalGamesPlayed += 2;
  setFrags(1, 77);
  t.plist.find(HashEntry::key("Ann", false))->modified = true;
  t.seenThisRun[0] = {5000, 5000};
  write(1);
  EXPECT_EQ(row(1)["frags"], 77);
  EXPECT_TRUE(rewritten("player/1.json"));
  // The times seen survive the rebuild.
  EXPECT_EQ(row(1)["firstSeen"], 2000);
  EXPECT_EQ(row(1)["lastSeen"], 3000);
  EXPECT_EQ(row(0)["firstSeen"], 5000);
}

TEST_F(SiteDataTest, TheTimesSeenWidenWithEveryRun) {
  add("Ann", false, 30);
  t.seenThisRun[0] = {2000, 4000};
  write(2);
  nextRun();
  t.plist.find(HashEntry::key("Ann", false))->modified = true;
  t.seenThisRun[0] = {1000, 3000};  // an older log, counted late
  write(1);
  EXPECT_EQ(row(0)["firstSeen"], 1000);
  EXPECT_EQ(row(0)["lastSeen"], 4000);
  EXPECT_EQ(read("player/0")["firstSeen"], 1000);
}

TEST_F(SiteDataTest, DamagedFilesOfAnEarlierRunAreWrittenAnew) {
  add("Ann", false, 30);
  write(1);
  platform::writeFile(dir() + "players-0.json", "{\"format\":1,\"players\":[{\"uid\":");
  platform::writeFile(dir() + "totals.json", "[]");
  nextRun();
  write(0);
  EXPECT_EQ(row(0)["frags"], 30);
  EXPECT_EQ(read("totals")["matchesCounted"], 1);
}

TEST_F(SiteDataTest, KeptMatchesAreListedNewestFirstWithTheirSamples) {
  std::unique_ptr<games::bf::Game> dm = replay(generated(Specs::kDeathMatch, 6, 3));
  std::unique_ptr<games::bf::Game> ctf = replay(generated(Specs::kCaptureTheFlag, 8, 4));
  ctf->servername = "<script>alert(1)</script>";
  for (const auto* g : {dm.get(), ctf.get()})
    for (const auto& p : g->plist)
      if (!t.plist.find(HashEntry::key(p->name, p->isABot))) add(p->name, p->isABot, 1);
  // The game list: a match newer than both without data, the two, and one
  // beyond the kept number.
  config::numGames = 3;
  ctf->time = 3000000;
  dm->time = 2000000;
  t.gameList = {4000000, ctf->time, dm->time, 1000000};
  t.gameDateList = {"D0", "D1", "D2"};
  t.gameMapList = {"M0", "M1", "M2"};
  t.gameTypeList = {"T0", "T1", "T2"};
  data.addMatch(*ctf);
  data.addMatch(*dm);
  platform::writeFile(dir() + "match/1000000.json", "{}");  // a match no longer kept
  platform::writeFile(dir() + "match/notes.txt", "mine");
  write(2);

  const Json list = read("matches")["matches"];
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]["map"], "M0");  // from the game database only
  EXPECT_EQ(list[0]["players"].size(), 0u);
  EXPECT_EQ(list[1]["time"], ctf->time);
  EXPECT_EQ(list[1]["server"], "<script>alert(1)</script>");
  EXPECT_EQ(list[1]["teams"].size(), 2u);
  EXPECT_EQ(list[1]["players"].size(), ctf->playersByRank.size());
  EXPECT_EQ(list[2]["winner"]["name"], dm->playersByRank.front()->name);
  const Json& first = list[2]["players"][0];
  EXPECT_EQ(first["uid"], t.plist
                              .find(HashEntry::key(dm->playersByRank.front()->name,
                                                   dm->playersByRank.front()->isABot))
                              ->uid);
  EXPECT_EQ(first["frags"], dm->playersByRank.front()->all.frags);

  const Json samples = read("match/" + std::to_string(ctf->time));
  EXPECT_EQ(samples["label"], "Score");
  ASSERT_EQ(samples["lines"].size(), ctf->playersByRank.size());
  EXPECT_EQ(samples["lines"][0]["values"].size(), Player::kSamples);
  EXPECT_EQ(samples["teams"].size(), 2u);
  EXPECT_FALSE(platform::exists(dir() + "match/1000000.json"));
  EXPECT_TRUE(platform::exists(dir() + "match/notes.txt"));

  // The next run keeps the entries of the earlier one beside its own.
  t.gameList.insert(t.gameList.begin(), 5000000);
  t.gameDateList.insert(t.gameDateList.begin(), "D-new");
  t.gameMapList.insert(t.gameMapList.begin(), "M-new");
  t.gameTypeList.insert(t.gameTypeList.begin(), "T-new");
  config::numGames = 4;
  SiteData later(t);
  later.writeTotals([](int32_t) { return std::optional<Player>(Player(0.0)); });
  const Json next = read("matches")["matches"];
  ASSERT_EQ(next.size(), 4u);
  EXPECT_EQ(next[0]["date"], "D-new");
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(next[i + 1], list[i]) << i;
}

}  // namespace
}  // namespace programs::vardobf::output
