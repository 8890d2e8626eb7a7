#include "programs/vardobf/Totals.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "games/bf/LogBuilder.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/DbHomeTest.h"
#include "programs/vardobf/DbText.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Sorts.h"
#include "util/Debug.h"

namespace programs::vardobf {
namespace {

using games::bf::Game;
using games::bf::Specs;
using programs::vardo::config;
using testing_support::Log;
using testing_support::StdoutCapture;
using testing_support::TestDir;

// A two-player match at the given date ("2026.01.02.10.00.00.000.+0" form).
Log match(const std::string& date, const std::string& type = "Arena DeathMatch",
          const std::string& a = "Ann", const std::string& b = "Bo",
          const std::string& extraHeader = "") {
  Log log;
  if (!date.empty()) log("0|info|Absolute_Time|" + date);
  log("0|info|Server_ServerName|Srv")("0|map|Title|Deck")("0|game|GameName|" + type);
  if (!extraHeader.empty()) log(extraHeader);
  log.connect(1, a).connect(2, b)("1|game_start");
  log.kill(10, 1, 2).kill(20, 1, 2).kill(30, 2, 1);
  log("40|game_end|timelimit");
  return log;
}

std::unique_ptr<Game> replay(const Log& log) {
  return std::make_unique<Game>(std::optional<std::string>(log.text()));
}

class TotalsTest : public testing_support::DbHomeTest {
 protected:
  TotalsTest() : DbHomeTest("None") {}
  // One run: read, fold the matches in, sort, save.
  void run(const std::vector<const Game*>& games) {
    Totals t;
    t.readDBs();
    for (const Game* g : games)
      if (t.isNewGame(*g)) t.update(*g);
    if (t.isModified()) t.sortPlayers();
    t.writeDBs();
  }
  std::string db(const std::string& name) { return home.read("data/" + name); }
};

TEST_F(TotalsTest, FirstRunCountsEveryMatchAndGivesUidsInOrder) {
  auto g1 = replay(match("2026.01.02.10.00.00.000.+0"));
  auto g2 = replay(match("2026.01.03.10.00.00.000.+0", "Arena DeathMatch", "Ann", "Cy"));
  Totals t;
  t.readDBs();
  ASSERT_TRUE(t.isNewGame(*g1));
  t.update(*g1);
  ASSERT_TRUE(t.isNewGame(*g2));
  t.update(*g2);
  EXPECT_FALSE(t.isNewGame(*g1));
  EXPECT_EQ(t.totalGamesPlayed, 2);
  EXPECT_EQ(t.gamesPlayed[Specs::kDeathMatch], 2);
  EXPECT_EQ(t.gameList, (std::vector<int64_t>{g2->time, g1->time}));
  ASSERT_EQ(t.plist.size(), 3u);
  EXPECT_EQ(t.plist.find("Annf")->uid, 0);
  EXPECT_EQ(t.plist.find("Bof")->uid, 1);
  EXPECT_EQ(t.plist.find("Cyf")->uid, 2);
  EXPECT_EQ(t.plist.find("Annf")->a_frags, 4);  // 2 + 2 over her two matches
  EXPECT_EQ(t.allStats.all.uses, 2);
  EXPECT_EQ(t.allStats.all.kills, 6);
  EXPECT_TRUE(t.isRecentGame(*g2));
  EXPECT_EQ(t.rec.cMostKills.name, "Ann");
  EXPECT_EQ(t.rec.cMostKills.score, 4);
  t.writeDBs();

  // The next run reads it all back and recognises the repeats.
  Totals again;
  again.readDBs();
  EXPECT_FALSE(again.isNewGame(*g2));
  EXPECT_EQ(again.totalGamesPlayed, 2);
  EXPECT_EQ(again.plist.size(), 3u);
  EXPECT_EQ(again.allStats.all.kills, 6);
  EXPECT_EQ(again.allStats.name, "All Players (Humans and Bots)");
  EXPECT_EQ(again.encodeGameDB(), db("bf_game.db"));
  EXPECT_EQ(again.encodeRecordsDB(), db("bf_records.db"));
  EXPECT_EQ(again.encodeHashDB(), db("bf_hash.db"));
  again.writeDBs();
}

TEST_F(TotalsTest, OlderMatchesGoToTheEndAndArePrintableOnlyWhileFew) {
  config::numGames = 2;
  auto newest = replay(match("2026.01.05.10.00.00.000.+0"));
  auto middle = replay(match("2026.01.04.10.00.00.000.+0"));
  auto oldest = replay(match("2026.01.01.10.00.00.000.+0"));
  Totals t;
  t.readDBs();
  t.update(*newest);
  t.update(*oldest);
  EXPECT_TRUE(t.isPrintableGame(*oldest, 2));
  t.update(*middle);
  EXPECT_EQ(t.gameList, (std::vector<int64_t>{newest->time, middle->time, oldest->time}));
  EXPECT_FALSE(t.isPrintableGame(*oldest, 2));
  EXPECT_TRUE(t.isPrintableGame(*middle, 2));
  EXPECT_FALSE(t.isPrintableGame(*middle, 0));
  EXPECT_EQ(t.gameDateList.size(), 2u);
  EXPECT_EQ(t.gameTypeList[0], "Arena DeathMatch");
  EXPECT_TRUE(t.isRecentGame(*newest));
  t.writeDBs();
}

TEST_F(TotalsTest, HumanAndBotOfTheSameNameAreTwoPlayers) {
  Log log = match("2026.01.02.10.00.00.000.+0", "Arena DeathMatch", "Rex", "Rex");
  log("0|player|IsABot|2|True");
  // The bot flag must come before the kills: rebuild with the flag line first.
  Log ordered;
  ordered("0|info|Absolute_Time|2026.01.02.10.00.00.000.+0")("0|game|GameName|Arena DeathMatch");
  ordered.connect(1, "Rex", "a").connect(2, "Rex", "")("0|player|IsABot|2|True")("1|game_start");
  ordered.kill(10, 1, 2).kill(20, 2, 1)("40|game_end|timelimit");
  auto g = replay(ordered);
  Totals t;
  t.readDBs();
  t.update(*g);
  ASSERT_EQ(t.plist.size(), 2u);
  EXPECT_FALSE(t.plist.find("Rexf")->isABot);
  EXPECT_TRUE(t.plist.find("Rext")->isABot);
  t.writeDBs();
}

// Bot pings were subtracted from the all-players average by count only, so
// the average ping of all players came out wrong.
TEST_F(TotalsTest, BotPingsLeaveTheAllPlayersAverageWhole) {
  Log log;
  log("0|info|Absolute_Time|2026.01.02.10.00.00.000.+0")("0|game|GameName|Arena DeathMatch");
  log.connect(1, "Ann").connect(2, "Bot", "")("0|player|IsABot|2|True")("1|game_start");
  log("2|player|Ping|1|50")("2|player|Ping|2|10")("3|player|Ping|2|30");
  log.kill(10, 1, 2)("40|game_end|timelimit");
  auto g = replay(log);
  Totals t;
  t.readDBs();
  t.update(*g);
  EXPECT_EQ(t.allStats.all.pingNum, 1);
  EXPECT_EQ(t.allStats.all.pingTime, 50);
  EXPECT_EQ(t.botStats.all.pingNum, 2);
  EXPECT_EQ(t.botStats.all.pingTime, 40);
  t.writeDBs();
}

// A match of the single-player type that was also marked as a single-player
// match was counted twice.
TEST_F(TotalsTest, SinglePlayerMatchesCountOnce) {
  Log ladder = match("2026.01.02.10.00.00.000.+0", "Arena DeathMatch", "Ann", "Bo",
                     "0|game|NetMode|SinglePlayer");
  Log sp = match("2026.01.03.10.00.00.000.+0", Specs::games[Specs::kSinglePlayer], "Ann", "Bo",
                 "0|game|NetMode|SinglePlayer");
  auto g1 = replay(ladder);
  auto g2 = replay(sp);
  ASSERT_EQ(g2->gameType, Specs::kSinglePlayer);
  Totals t;
  t.readDBs();
  t.update(*g1);
  t.update(*g2);
  EXPECT_EQ(t.totalGamesPlayed, 2);
  EXPECT_EQ(t.gamesPlayed[Specs::kDeathMatch], 1);
  EXPECT_EQ(t.gamesPlayed[Specs::kSinglePlayer], 2);
  EXPECT_EQ(t.allStats.games[Specs::kSinglePlayer].uses, 2);
  EXPECT_EQ(t.plist.find("Annf")->uid, 0);
  t.writeDBs();
}

// A log without date, map and server lines left absent texts that could not
// be stored, so the game list was not saved while players and records were.
TEST_F(TotalsTest, LogsWithoutHeaderLinesAreStoredWithEmptyTexts) {
  Log log;
  log.connect(1, "Ann").connect(2, "Bo")("1|game_start");
  log.kill(10, 1, 2)("40|game_end|timelimit");
  auto g = replay(log);
  run({g.get()});
  Totals t;
  t.readDBs();
  EXPECT_EQ(t.gameList, std::vector<int64_t>{0});
  EXPECT_EQ(t.gameDateList, std::vector<std::string>{""});
  EXPECT_EQ(t.gameMapList, std::vector<std::string>{""});
  EXPECT_EQ(t.rec.gMostKills.name, "Ann");
  EXPECT_EQ(t.rec.gMostKills.map, "");
  t.writeDBs();
}

TEST_F(TotalsTest, SavingKeepsTheNewestFiftyThousandMatches) {
  Totals t;
  for (int64_t i = 60000; i > 0; --i) t.gameList.push_back(i);
  std::string bytes = t.encodeGameDB();
  util::ByteReader in(bytes);
  Totals back;
  back.decodeGameDB(in);
  ASSERT_EQ(back.gameList.size(), 50000u);
  EXPECT_EQ(back.gameList.front(), 60000);
  EXPECT_EQ(back.gameList.back(), 10001);
}

TEST_F(TotalsTest, RecordsRiseStrictlyAndCutTheirDates) {
  GameRecord r(3, "Ann", false, 5, "Deck", "Sun, Mar 04  2001 at 10:20:30 AM -5", 1.0);
  EXPECT_EQ(r.date, "Sun, Mar 04  2001");
  EXPECT_EQ(GameRecord(3, "A", false, 5, "m", " at noon", 1.0).date, " at noon");

  Log even;
  even("0|info|Absolute_Time|2026.01.02.10.00.00.000.+0")("0|map|Title|Deck");
  even.connect(1, "Ann").connect(2, "Bo")("1|game_start").kill(10, 1, 2).kill(20, 2, 1);
  even("40|game_end|timelimit");
  auto g = replay(even);
  Totals t;
  t.readDBs();
  t.update(*g);
  // Ann and Bo both died once: the first one processed keeps the record.
  EXPECT_EQ(t.rec.gMostDeaths.name, "Ann");
  EXPECT_EQ(t.rec.gMostDeaths.score, 1);
  EXPECT_EQ(t.rec.cMostDeaths.name, "Ann");
  EXPECT_EQ(t.rec.gMostSuicides.uid, -1);  // nobody had one: still empty
  EXPECT_EQ(t.rec.gMostFrags.date, "Fri, Jan 02  2026");
  EXPECT_EQ(t.rec.RecentGameMap, "Deck");
  t.writeDBs();
}

TEST_F(TotalsTest, OldVersionsAreRead) {
  // A version-1 records file: eight game-type counts, nine suicide types.
  util::ByteWriter w;
  w.putInt32(1);
  w.putInt32(10);
  w.putInt32(40);
  w.putInt64(777);
  for (int32_t n : {1, 2, 3, 4, 5, 6, 7, 8}) w.putInt32(n);
  Records empty;
  util::ByteWriter block;
  empty.writeDB(block);
  // The same block with 9 instead of 12 suicide pairs: every empty game
  // record takes 29 bytes and every empty career record 25, and the pairs
  // stand just before the last 3 game and 12 career records.
  std::string full = bytesOf(block);
  const size_t tail = 3 * 29 + 12 * 25;
  full.erase(full.size() - tail - 3 * (29 + 25), 3 * (29 + 25));
  Totals t;
  std::string file = bytesOf(w) + full;
  util::ByteReader in(file);
  util::Debug::setType("StdOut", ".");
  StdoutCapture out;
  t.decodeRecordsDB(in);
  EXPECT_EQ(out.text(), "");  // every record read cleanly
  EXPECT_EQ(in.remaining(), 0u);
  EXPECT_EQ(t.gamesPlayed[0], 1 + 6);
  EXPECT_EQ(t.gamesPlayed[5], 7);
  EXPECT_EQ(t.gamesPlayed[6], 8);
  EXPECT_EQ(t.highGameUID, 777);

  // A version-1 hash record has three more counters after the DeathMatch ones.
  util::ByteWriter h;
  h.putInt32(1);
  h.putInt32(1);
  h.putString("Ann");
  h.putUInt8(0);
  h.putInt32(7);
  h.putDouble(12.5);
  for (int32_t v = 1; v <= 6 + 3 + 8; ++v) h.putInt32(v);
  Totals u;
  std::string hb = bytesOf(h);
  util::ByteReader hin(hb);
  u.decodeHashDB(hin);
  const HashEntry* e = u.plist.find("Annf");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->uid, 7);
  EXPECT_EQ(e->dm_suicides, 6);
  EXPECT_EQ(e->t_wins, 10);
  EXPECT_EQ(e->dom, 16);
  EXPECT_EQ(e->ctf, 17);
}

TEST_F(TotalsTest, DamagedFilesAreReportedAndNeverOverread) {
  auto g = replay(match("2026.01.02.10.00.00.000.+0"));
  run({g.get()});
  const std::string game = db("bf_game.db");
  const std::string hash = db("bf_hash.db");
  const std::string records = db("bf_records.db");
  struct Case {
    const char* file;
    std::string bytes;
    const char* line;
  };
  std::string hugeCount = hash;
  hugeCount[4] = 0x7F;  // the entry count
  std::string hugeText = hash;
  hugeText[8] = 0x7F;  // the first name's length
  std::vector<Case> cases = {
      {"bf_game.db", game.substr(0, game.size() - 3), "Error in Totals.readGameDB: "},
      {"bf_game.db", std::string("\0\0\0\1\x7F\xFF\xFF\xFF", 8), "Error in Totals.readGameDB: "},
      {"bf_hash.db", hugeCount, "Error in Totals.readHashDB: "},
      {"bf_hash.db", hugeText, "Error in HashEntry.new: "},
      {"bf_records.db", records.substr(0, 30), "Error in Totals.readRecordsDB: "},
      {"bf_records.db", records.substr(0, 60), "Error in Records.new: "},
      {"bf_records.db", "", "Error in Totals.readRecordsDB: "},
  };
  for (const Case& c : cases) {
    home.write(std::string("data/") + c.file, c.bytes);
    util::Debug::setType("StdOut", ".");
    StdoutCapture out;
    Totals t;
    t.readGameDB();
    t.readRecordsDB();
    t.readHashDB();
    std::string text = out.text();
    EXPECT_NE(text.find(c.line), std::string::npos) << c.file << ": " << text;
    home.write(std::string("data/") + c.file,
               std::string(c.file) == "bf_game.db"
                   ? game
                   : (std::string(c.file) == "bf_hash.db" ? hash : records));
  }
}

// A game database cut inside a date/map/type triple left the three lists of
// different lengths, and the next save read past the end of the shorter ones.
TEST_F(TotalsTest, AGameDatabaseCutInsideATripleKeepsItsListsParallel) {
  util::ByteWriter w;
  for (int32_t v : {1, 1, 1, 20}) w.putInt32(v);
  w.putInt64(42);
  w.putString("Sun, Mar 04  2001");  // then the map is missing
  std::string bytes = bytesOf(w);
  Totals t;
  util::ByteReader in(bytes);
  EXPECT_THROW(t.decodeGameDB(in), base::Failure);
  EXPECT_EQ(t.gameDateList.size(), t.gameMapList.size());
  EXPECT_EQ(t.gameList, std::vector<int64_t>{42});
  std::string again = t.encodeGameDB();
  EXPECT_EQ(again.size(), 4u * 4 + 8);
}

TEST_F(TotalsTest, AnInterruptedSaveIsCompletedOrDropped) {
  auto g1 = replay(match("2026.01.02.10.00.00.000.+0"));
  run({g1.get()});
  const std::string before = db("bf_game.db");

  // Unfinished files without a commit marker are dropped.
  home.write("data/bf_game.db.new", "half");
  Totals::recover(home / "data/");
  EXPECT_FALSE(platform::exists(home / "data/bf_game.db.new"));
  EXPECT_EQ(db("bf_game.db"), before);

  // With the marker, the save is completed.
  Totals t;
  t.readDBs();
  auto g2 = replay(match("2026.01.03.10.00.00.000.+0"));
  t.update(*g2);
  std::string after = t.encodeGameDB();
  home.write("data/bf_game.db.new", after);
  home.write("data/bf_commit", "commit\n");
  PlayerDB::discard();
  Totals::recover(home / "data/");
  EXPECT_EQ(db("bf_game.db"), after);
  EXPECT_FALSE(platform::exists(home / "data/bf_commit"));
}

TEST_F(TotalsTest, RankingsOfThePlayerSummaries) {
  Totals t;
  HashEntry a("bob", false, 0), b("Al", false, 1), c("Zed", true, 2);
  a.update(0.0, 10, 3, 0, 1, 1, 1, 2, 1, 0, 0, 0, 0, 5, 9);
  b.update(3600.0, 10, 3, 1, 2, 0, 0, 2, 0, 0, 0, 0, 0, 7, 1);
  c.update(1800.0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  t.plist.put("bobf", a);
  t.plist.put("Alf", b);
  t.plist.put("Zedt", c);
  t.sortPlayers();
  auto names = [](const std::vector<const HashEntry*>& v) {
    std::string s;
    for (const HashEntry* e : v) s += e->name + " ";
    return s;
  };
  EXPECT_EQ(names(t.sortedByName), "Al bob Zed ");
  EXPECT_EQ(names(t.sortedByFDS), "bob Al Zed ");
  EXPECT_EQ(names(t.sortedFPH), "Al Zed bob ");  // no playing time: 0 per hour
  EXPECT_EQ(names(t.sortedD), "Al bob Zed ");
  EXPECT_EQ(names(t.sortedCTF), "bob Al Zed ");
  EXPECT_EQ(names(t.sortedTT), "Al bob Zed ");
}

}  // namespace
}  // namespace programs::vardobf
