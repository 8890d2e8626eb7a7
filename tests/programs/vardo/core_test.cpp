#include "programs/vardo/core.h"

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "platform/Clock.h"
#include "platform/FakeClock.h"
#include "platform/FaultyFiles.h"
#include "platform/FileSystem.h"
#include "platform/HostInfo.h"
#include "platform/MemoryHome.h"
#include "platform/Os.h"
#include "platform/Process.h"
#include "platform/System.h"
#include "platform/TickingClock.h"
#include "programs/vardo/RunLock.h"
#include "programs/vardo/SiteFiles.h"
#include "programs/vardo/config.h"
#include "util/Debug.h"

namespace {

using programs::vardo::config;
using programs::vardo::core;
using testing_support::StderrCapture;
using testing_support::StdoutCapture;
using testing_support::TestDir;
using testing_support::TickingClock;
using util::Debug;

// The system's separator, which the run puts between the folders it makes.
const std::string kSep(1, platform::kSeparator);

// A match described by its log text: "time;server;map" or "invalid".
class FakeGame : public games::Game {
 public:
  explicit FakeGame(const std::string& text) {
    size_t a = text.find(';');
    valid_ = a != std::string::npos;
    if (!valid_) return;
    size_t b = text.find(';', a + 1);
    time_ = std::stoll(text.substr(0, a));
    server_ = text.substr(a + 1, b - a - 1);
    map_ = text.substr(b + 1);
  }
  int64_t theTime() const override { return time_; }
  bool isValid() const override { return valid_; }
  std::string getServerName() const override { return server_; }
  std::string getMap() const override { return map_; }

 private:
  int64_t time_ = 0;
  bool valid_ = false;
  std::string server_, map_;
};

class FakeCreator : public games::GameCreator {
 public:
  std::unique_ptr<games::Game> newGame(const std::optional<std::string>& log, bool) override {
    texts.push_back(log);
    if (log && *log == "throw") throw base::FormatError("broken log");
    return std::make_unique<FakeGame>(log.value_or(""));
  }
  std::vector<std::optional<std::string>> texts;
};

// Totals that remember what they were asked; `high` and `recent` name the
// matches that are flagged.
class FakeTotals : public programs::vardo::Totals {
 public:
  void settleSave() override {
    ++settles;
    if (failSettle) throw base::IOError("marker unreadable");
  }
  bool hasSavedMatches() override { return !list.empty(); }
  void readDBs() override { ++reads; }
  bool isNewGame(const games::Game& g) override { return known.count(g.theTime()) == 0; }
  void update(const games::Game& g) override {
    if (failUpdate) throw base::FormatError("update failed");
    known.insert(g.theTime());
    list.insert(list.begin(), g.theTime());
    modified = true;
  }
  bool isPrintableGame(const games::Game& g, int32_t) override {
    return printable.count(g.theTime()) == 0 || printable[g.theTime()];
  }
  bool isHighGame(const games::Game& g) override { return high.count(g.theTime()) != 0; }
  bool isRecentGame(const games::Game& g) override { return recent.count(g.theTime()) != 0; }
  bool isModified() override { return modified; }
  void sortPlayers() override { ++sorts; }
  void writeDBs() override {
    ++writes;
    if (failSave) throw base::IOError("disk full");
  }
  int32_t gListSize() override { return static_cast<int32_t>(list.size()); }
  int64_t gListElement(int32_t i) override { return list.at(static_cast<size_t>(i)); }

  std::set<int64_t> known, high, recent;
  std::map<int64_t, bool> printable;
  std::vector<int64_t> list;
  bool modified = false, failSave = false, failUpdate = false, failSettle = false;
  int settles = 0, reads = 0, writes = 0, sorts = 0;
};

struct PageCall {
  int64_t time;
  std::string name;
  std::vector<std::string> dirs;
};

class FakeGameHtml : public programs::vardo::GameHtml {
 public:
  void setGraphs(util::LineGraph& small, util::LineGraph& large) override {
    smallSize = {small.width(), small.height()};
    largeSize = {large.width(), large.height()};
  }
  void writeGame(const games::Game& gm, const std::string& name,
                 const std::vector<std::string>& dirs, int32_t type, bool) override {
    EXPECT_EQ(type, 1);
    calls.push_back({gm.theTime(), name, dirs});
  }
  std::vector<PageCall> calls;
  std::pair<int32_t, int32_t> smallSize, largeSize;
};

class FakeTotalsHtml : public programs::vardo::TotalsHtml {
 public:
  void writeTotals(programs::vardo::Totals&) override { ++writes; }
  int writes = 0;
};

std::string utf16(const std::string& s) {
  std::string out;
  for (char c : s) {
    out += c;
    out += '\0';
  }
  return out;
}

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Debug::reset();
    config::resetToDefaults();
    config::home = home.path();
    home.write("VardoBF.cfg", "SpawnBrowser\tfalse\n");
    home.mkdir("data");
    home.mkdir("html");
    home.mkdir("processedLogs");
    home.mkdir("logs");
  }
  void TearDown() override {
    Debug::reset();
    config::resetToDefaults();
  }
  void stage(const std::string& name, const std::string& text) {
    home.write("data/" + name, utf16(text));
  }
  // Runs the driver over the logs folder and returns standard output.
  std::string run(int verbosity = 0) {
    Debug::setLevel(verbosity);
    StdoutCapture out;
    core c;
    c.go("VardoBF", {home / "logs"}, std::nullopt, pages, totals, totalPages, creator);
    return out.text();
  }
  // Runs the driver, which must end through RunExit; returns its status and
  // leaves standard output in `out`.
  int runExpectingExit(std::string& out) {
    StdoutCapture capture;
    core c;
    int status = -1;
    try {
      c.go("VardoBF", {home / "logs"}, std::nullopt, pages, totals, totalPages, creator);
      ADD_FAILURE() << "the run did not end through RunExit";
    } catch (const programs::vardo::RunExit& e) {
      status = e.status;
    }
    out = capture.text();
    return status;
  }
  std::vector<std::string> entries(const std::string& dir) {
    return platform::listDirectory(home / dir);
  }
  std::string gameDir(const std::string& leaf) {
    return home.inside("html/Individual_Game_Stats") + kSep + leaf;
  }

  TestDir home;
  // On Windows a run works in its installation home.
  platform::ScopedInstallationHome useHome{home.path()};
  TickingClock clock{1700000000000};
  platform::ScopedClock useClock{clock};
  FakeGameHtml pages;
  FakeTotals totals;
  FakeTotalsHtml totalPages;
  FakeCreator creator;
};

TEST_F(CoreTest, OneLogWritesItsOwnHighScoreAndLastGamePagesAtOnce) {
  stage("a.log", "100;Srv;Map");
  totals.high = {100};
  totals.recent = {100};
  std::string out = run();
  ASSERT_EQ(pages.calls.size(), 1u);
  EXPECT_EQ(pages.calls[0].name, "Srv Map");
  EXPECT_EQ(pages.calls[0].dirs, (std::vector<std::string>{gameDir("100"), gameDir("Highest_Score"),
                                                           gameDir("Last_Game")}));
  EXPECT_EQ(pages.smallSize, (std::pair<int32_t, int32_t>{500, 160}));
  EXPECT_EQ(pages.largeSize, (std::pair<int32_t, int32_t>{500, 500}));
  EXPECT_EQ(totals.reads, 1);
  EXPECT_EQ(totals.writes, 1);
  EXPECT_EQ(totals.sorts, 1);
  EXPECT_EQ(totalPages.writes, 1);
  EXPECT_TRUE(entries("data").empty());  // log processed and deleted, lock removed
  EXPECT_NE(out.find("Now Processing log 1 of 1: a.log\n"), std::string::npos);
  EXPECT_EQ(clock.slept, 3000);
  ASSERT_EQ(creator.texts.size(), 1u);
  EXPECT_EQ(creator.texts[0], "100;Srv;Map");
}

TEST_F(CoreTest, SeveralLogsDeferTheHighScoreAndLastGamePages) {
  stage("a.log", "1;S;M");
  stage("b.log", "2;S;M");
  stage("c.log", "3;S;M");
  totals.high = {1, 2};
  totals.recent = {1, 2, 3};
  std::string out = run();
  ASSERT_EQ(pages.calls.size(), 5u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(pages.calls[static_cast<size_t>(i)].dirs,
              std::vector<std::string>{gameDir(std::to_string(i + 1))});
  EXPECT_EQ(pages.calls[3].time, 2);
  EXPECT_EQ(pages.calls[3].dirs, std::vector<std::string>{gameDir("Highest_Score")});
  EXPECT_EQ(pages.calls[4].time, 3);
  EXPECT_EQ(pages.calls[4].dirs, std::vector<std::string>{gameDir("Last_Game")});
  EXPECT_NE(out.find("Now Processing log 1 of 3: a.log\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Now Processing log 2 of 3: b.log\n"), std::string::npos);
  EXPECT_NE(out.find("Now Processing log 3 of 3: c.log\n"), std::string::npos);
}

TEST_F(CoreTest, RepeatsAreSkippedButTotalsAreStillSavedAndPruned) {
  stage("a.log", "7;S;M");
  totals.known = {7};
  totals.list = {7};
  home.mkdir("html/Individual_Game_Stats/6");
  std::string out = run(1);
  EXPECT_NE(out.find("7 is a Repeat Game, removing...\n"), std::string::npos);
  EXPECT_NE(out.find("O core.createTotalsHtml: Nothing to update\n"), std::string::npos);
  EXPECT_TRUE(pages.calls.empty());
  EXPECT_EQ(totals.reads, 1);
  EXPECT_EQ(totals.writes, 1);
  EXPECT_EQ(totals.sorts, 0);
  EXPECT_EQ(totalPages.writes, 0);
  EXPECT_EQ(entries("html/Individual_Game_Stats"), std::vector<std::string>{});
  EXPECT_TRUE(entries("data").empty());
}

TEST_F(CoreTest, NoValidMatchNeverOpensTheTotalsAndStillDeletesTheLogs) {
  stage("a.log", "invalid");
  stage("b.log", "throw");
  std::string out = run();
  EXPECT_EQ(totals.reads, 0);
  EXPECT_EQ(totals.writes, 0);
  EXPECT_EQ(totalPages.writes, 0);
  EXPECT_TRUE(entries("data").empty());
  EXPECT_NE(out.find("Error in core.getGameStats: FormatError: broken log\n"), std::string::npos);
}

TEST_F(CoreTest, LogsAreDecodedFromSixteenBitUnits) {
  home.write("data/odd.log", std::string("\xFF\xFE"
                                         "1\0;\0S\0;\0M\0X",
                                         13));
  run();
  ASSERT_EQ(creator.texts.size(), 1u);
  // The byte-order mark is not recognised; the odd last byte is dropped.
  EXPECT_EQ(creator.texts[0], std::string("\xFF"
                                          "1;S;M"));
}

TEST_F(CoreTest, OnlyNamesEndingInLogAreTakenAndEachOnlyOnce) {
  stage("a.log", "1;S;M");
  stage("notes.txt", "2;S;M");
  // A processed entry that can be neither moved away nor replaced, so that
  // ".del" cannot be appended to a.log.
  home.mkdir("data/a.log.del");
  home.write("data/a.log.del/keep", "x");
  home.mkdir("processedLogs/a.log.del");
  home.write("processedLogs/a.log.del/keep", "x");
  std::string out = run();
  EXPECT_EQ(creator.texts.size(), 1u);
  EXPECT_EQ(out.find("Now Processing log 2"), std::string::npos);
  EXPECT_EQ(entries("data"), (std::vector<std::string>{"a.log", "a.log.del", "notes.txt"}));
}

TEST_F(CoreTest, FailedRenameToDelIsTraced) {
  // A processed log that could not be renamed to ".del" was left silently,
  // to be read again by the next run; the failure is now traced.
  stage("a.log", "1;S;M");
  home.mkdir("data/a.log.del");
  home.write("data/a.log.del/keep", "x");
  home.mkdir("processedLogs/a.log.del");
  home.write("processedLogs/a.log.del/keep", "x");
  std::string out = run();
  std::string log = home.inside("data/a.log");
  EXPECT_NE(out.find("Error in core.markProcessed: IOError: cannot rename " + log + " to " + log +
                     ".del\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(totals.writes, 1);  // the run goes on and saves
  EXPECT_EQ(entries("data"), (std::vector<std::string>{"a.log", "a.log.del"}));

  // Once the obstacle is gone, the next run finds the match known and
  // marks the log.
  std::filesystem::remove_all(home / "data/a.log.del");
  std::filesystem::remove_all(home / "processedLogs/a.log.del");
  pages.calls.clear();
  out = run();
  EXPECT_EQ(out.find("Error in core.markProcessed"), std::string::npos) << out;
  EXPECT_TRUE(pages.calls.empty());
  EXPECT_TRUE(entries("data").empty());
}

TEST_F(CoreTest, FailedSaveEndsWithTheFailureStatusAndTheNextRunTakesTheLogsAgain) {
  // A failed save used to end with status 0, and the next run moved the
  // processed logs into the save directory uncounted.
  stage("a.log", "1;S;M");
  totals.failSave = true;
  home.mkdir("html/Individual_Game_Stats/99");
  StderrCapture err;
  std::string out;
  EXPECT_EQ(runExpectingExit(out), core::kFailureStatus);
  EXPECT_NE(out.find("Error in core.putTotalsIntoDB: IOError: disk full\n"), std::string::npos);
  EXPECT_EQ(err.text(),
            "VardoBF: the totals could not be saved (IOError: disk full); the "
            "processed logs stay in " +
                home.inside("data/") + " and are counted by the next run\n");
  EXPECT_EQ(entries("data"), std::vector<std::string>{"a.log.del"});
  EXPECT_EQ(entries("html/Individual_Game_Stats"), std::vector<std::string>{"99"});

  // The next run reads the processed log again and, saved, deletes it.
  totals.failSave = false;
  totals.known.clear();  // the failed save kept nothing
  pages.calls.clear();
  run();
  EXPECT_EQ(creator.texts.size(), 2u);
  EXPECT_EQ(totals.writes, 2);
  ASSERT_EQ(pages.calls.size(), 1u);
  EXPECT_EQ(pages.calls[0].time, 1);
  EXPECT_TRUE(entries("data").empty());
  EXPECT_TRUE(entries("processedLogs").empty());
}

TEST_F(CoreTest, ProcessedLogsOfAnEarlierRunAreTakenAgainInTheOrderOfTheirNames) {
  // Left by a run that ended before its save: a.log and c.log were taken,
  // b.log was not; c.log is offered again (save mode copies it anew).
  stage("a.log.del", "1;S;M");
  stage("c.log.del", "3;S;M");
  stage("b.log", "2;S;M");
  stage("c.log", "3;S;M");
  stage("notes.del", "4;S;M");
  home.mkdir("data/d.log.del");  // not a file: never read
  std::string out = run();
  std::vector<std::optional<std::string>> expected = {"1;S;M", "2;S;M", "3;S;M", "3;S;M"};
  EXPECT_EQ(creator.texts, expected);
  EXPECT_NE(out.find("Now Processing log 1 of 4: a.log.del\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Now Processing log 3 of 4: c.log.del\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Now Processing log 4 of 4: c.log\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("Error in core.markProcessed"), std::string::npos) << out;
  EXPECT_EQ(totals.list, (std::vector<int64_t>{3, 2, 1}));  // the repeat is not counted twice
  EXPECT_TRUE(entries("data").empty());
  EXPECT_TRUE(entries("processedLogs").empty());
}

TEST_F(CoreTest, EveryRunSettlesAnEarlierSaveFirstAndStopsWhenItCannot) {
  run();
  EXPECT_EQ(totals.settles, 1);  // also a run without logs
  EXPECT_EQ(totals.reads, 0);

  stage("a.log", "1;S;M");
  totals.failSettle = true;
  StderrCapture err;
  std::string out;
  EXPECT_EQ(runExpectingExit(out), core::kFailureStatus);
  EXPECT_NE(out.find("Error in core.settleEarlierSave: IOError: marker unreadable\n"),
            std::string::npos);
  EXPECT_EQ(err.text(), "VardoBF: the unfinished save of an earlier run in " +
                            home.inside("data/") +
                            " could not be settled (IOError: marker unreadable); nothing "
                            "was changed\n");
  EXPECT_EQ(entries("data"), std::vector<std::string>{"a.log"});
  EXPECT_EQ(totals.reads, 0);
  EXPECT_TRUE(creator.texts.empty());
}

TEST_F(CoreTest, AMissingMainPageIsWrittenWhenTheDatabaseHoldsMatches) {
  run();  // nothing saved yet: no pages
  EXPECT_EQ(totalPages.writes, 0);
  EXPECT_EQ(totals.reads, 0);

  totals.list = {5};
  run();
  EXPECT_EQ(totals.reads, 1);
  EXPECT_EQ(totals.sorts, 1);
  EXPECT_EQ(totalPages.writes, 1);
  EXPECT_EQ(totals.writes, 0);  // nothing changed: nothing saved

  home.write("html/Vardo_Main.html", "page");
  run();
  EXPECT_EQ(totalPages.writes, 1);
}

TEST_F(CoreTest, FailureInsideTheRunStopsItAndLeavesLockAndLogs) {
  // A run that stopped before its end used to exit with status 0, reported
  // as a success; it now ends with the failure status and says why.
  stage("a.log", "1;S;M");
  totals.failUpdate = true;
  StderrCapture err;
  std::string out;
  EXPECT_EQ(runExpectingExit(out), core::kFailureStatus);
  EXPECT_NE(out.find("Error in vdsToplvl.go: FormatError: update failed\n"), std::string::npos);
  EXPECT_EQ(err.text(), "VardoBF: the run stopped before its end (FormatError: update failed)\n");
  auto left = entries("data");
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].substr(left[0].size() - 5), ".lock");
  EXPECT_EQ(left[1], "a.log");
  EXPECT_EQ(totals.writes, 0);
}

TEST_F(CoreTest, MissingDirectoriesAreCreated) {
  // A run in an empty folder used to find no database, page or save
  // directory, fail on staging and its lock, and still exit with status 0.
  home.write("VardoBF.cfg",
             "SpawnBrowser\tfalse\nDBDir\tdeep/db\nHTMLDirectory\tsite\nSaveDir\tkept\n");
  home.write("logs/a.log", utf16("5;S;M"));
  std::string out = run(1);
  EXPECT_NE(out.find("Created directory " + home.inside("deep/db/") + "\n"), std::string::npos)
      << out;
  EXPECT_TRUE(platform::isDirectory(home / "site"));
  EXPECT_TRUE(platform::isDirectory(home / "kept"));
  ASSERT_EQ(pages.calls.size(), 1u);
  EXPECT_EQ(pages.calls[0].dirs[0], home.inside("site/Individual_Game_Stats") + kSep + "5");
  EXPECT_EQ(totals.writes, 1);
}

TEST_F(CoreTest, LogsThatCannotBeStagedEndTheRunWithTheFailureStatus) {
  // The database directory cannot be made: a file stands where it should be.
  home.write("VardoBF.cfg", "SpawnBrowser\tfalse\nDBDir\tVardoBF.cfg/db\n");
  home.write("logs/a.log", utf16("5;S;M"));
  StderrCapture err;
  std::string out;
  EXPECT_EQ(runExpectingExit(out), core::kFailureStatus);
  EXPECT_NE(out.find("Error in core.makeRunDirectories: IOError: "), std::string::npos) << out;
  EXPECT_NE(out.find("Error in core.moveLogFiles: IOError: "), std::string::npos) << out;
  std::string message = err.text();
  EXPECT_EQ(message.rfind("VardoBF: the logs could not be staged in " +
                              home.inside("VardoBF.cfg/db/") + " (IOError: ",
                          0),
            0u)
      << message;
  EXPECT_TRUE(creator.texts.empty());
  EXPECT_EQ(totals.reads, 0);
  EXPECT_TRUE(platform::isFile(home / "logs/a.log"));  // the source is kept
}

TEST_F(CoreTest, RunLockThatCannotBeCreatedEndsTheRunWithTheFailureStatus) {
  // A database directory that can be listed but takes no new files.
  home.write("VardoBF.cfg",
             "SpawnBrowser\tfalse\nDirectory\tas written\nDBDir\t/proc/self\n"
             "HTMLDirectory\t" +
                 home / "html" + "\nSaveDir\t" + home / "processedLogs" + "\n");
  StderrCapture err;
  std::string out;
  EXPECT_EQ(runExpectingExit(out), core::kFailureStatus);
  std::string message = err.text();
  EXPECT_EQ(message.rfind("VardoBF: the run stopped before its end (IOError: the run lock could "
                          "not be created: ",
                          0),
            0u)
      << message;
  EXPECT_EQ(totals.reads, 0);
}

TEST_F(CoreTest, RunLaysTheInstalledPageFilesIntoThePageDirectory) {
  if (platform::osName() != "Linux")
    GTEST_SKIP() << "on Windows a run works in its installation home, which this test moves to "
                    "its own folder; the end-to-end check of vardobf.exe lays the installed "
                    "files";
  // The test program lives in the build tree's bin folder, beside the
  // mirrored share/vardobf/html of the installed files.
  platform::ScopedInstallationHome buildTree{platform::detail::executableFolder()};
  const std::string installed =
      programs::vardo::SiteFiles::installedDir(platform::installationHome());
  ASSERT_TRUE(platform::isFile(installed + "/skins/skin.css")) << installed;
  home.write("html/processing.html", "my own page");
  run();
  EXPECT_EQ(home.read("html/skins/skin.css"), platform::readFile(installed + "/skins/skin.css"));
  EXPECT_TRUE(platform::isFile(home / "html/graphics/graph_back_Vardo_big.gif"));
  EXPECT_TRUE(platform::isFile(home / "html/Help_Using_Vardo.html"));
  EXPECT_EQ(home.read("html/processing.html"), "my own page");
}

TEST_F(CoreTest, LiveLockEndsTheProcessAfterStagingAndStaleLocksAreDeleted) {
  home.write("logs/x.log", "data");
  home.write("data/" + std::to_string(clock.now_ - 299000) + ".lock", "");
  Debug::setLevel(1);
  StdoutCapture out;
  core c;
  EXPECT_THROW(c.go("VardoBF", {home / "logs"}, std::nullopt, pages, totals, totalPages, creator),
               programs::vardo::RunExit);
  std::string text = out.text();
  EXPECT_NE(text.find("Another Vardo is running, now exiting...\nO core.moveLogFiles\n"),
            std::string::npos);
  EXPECT_TRUE(platform::exists(home / "data/x.log"));  // left for the live run
}

TEST_F(CoreTest, LockOfExactlyFiveMinutesIsStaleAndAFutureLockIsLive) {
  std::string stale = std::to_string(clock.now_ - 300000) + ".lock";
  home.write("data/" + stale, "");
  stage("a.log", "1;S;M");
  run();
  EXPECT_FALSE(platform::exists(home / ("data/" + stale)));
  EXPECT_EQ(creator.texts.size(), 1u);

  home.write("data/" + std::to_string(clock.now_ + 60000) + ".lock", "");
  core c;
  StdoutCapture out;
  EXPECT_THROW(c.go("VardoBF", {home / "logs"}, std::nullopt, pages, totals, totalPages, creator),
               programs::vardo::RunExit);
}

TEST_F(CoreTest, DelaySleepsBeforeStaging) {
  home.write("VardoBF.cfg", "SpawnBrowser\tfalse\nDelay\t2\n");
  std::string out = run();
  EXPECT_NE(out.find("Now Sleeping 2 seconds\n"), std::string::npos);
  EXPECT_EQ(clock.slept, 5000);
}

TEST_F(CoreTest, TcsModeWritesThreeServerDirectoriesAndNeverPrunes) {
  home.mkdir("tcs/tourney");
  home.mkdir("tcs/ffa");
  home.mkdir("tcs/inet/T");
  home.write("VardoBF.cfg",
             "SpawnBrowser\tfalse\ntcsMode\ttrue\ntcsHtml\t" + home / "tcs" + "\ntcsTDir\tT\n");
  home.mkdir("tcs/tourney/T");
  home.mkdir("tcs/ffa/T");
  stage("a.log", "1;Srv/..;M");
  stage("b.log", "2;S;M");
  totals.printable[2] = false;
  totals.high = {1, 2};
  home.mkdir("html/Individual_Game_Stats/5");
  run();
  ASSERT_EQ(pages.calls.size(), 1u);
  EXPECT_EQ(pages.calls[0].name, "Srv/..");
  std::string tcs = home / "tcs";
  EXPECT_EQ(pages.calls[0].dirs,
            (std::vector<std::string>{tcs + "/tourney/T/Individual_Game_Stats" + kSep + "Srv_..",
                                      tcs + "/ffa/T/Individual_Game_Stats" + kSep + "Srv_..",
                                      tcs + "/inet/T/Individual_Game_Stats" + kSep + "Srv_.."}));
  EXPECT_TRUE(platform::isDirectory(tcs + "/inet/T/Individual_Game_Stats"));
  EXPECT_TRUE(platform::isDirectory(home / "html/Individual_Game_Stats/5"));
}

TEST_F(CoreTest, PruningKeepsRecentMatchesAndTheFixedEntries) {
  for (const char* d : {"10", "11", "12", "Highest_Score", "Last_Game", "odd"})
    home.mkdir(std::string("html/Individual_Game_Stats/") + d);
  home.write("html/Individual_Game_Stats/12/index.html", "x");
  home.write("html/Individual_Game_Stats/Recent_Index.html", "x");
  home.write("html/Individual_Game_Stats/stray.txt", "x");
  home.write("VardoBF.cfg", "SpawnBrowser\tfalse\nMax_Most_Recent\t2\n");
  stage("a.log", "13;S;M");
  totals.list = {12, 11, 10};
  run();
  EXPECT_EQ(entries("html/Individual_Game_Stats"),
            (std::vector<std::string>{"12", "Highest_Score", "Last_Game", "Recent_Index.html",
                                      "stray.txt"}));
}

}  // namespace

namespace {

using programs::vardo::config;
using programs::vardo::core;
using testing_support::StdoutCapture;
using testing_support::TestDir;
using util::Debug;

// Staging of the offered logs into the database directory, on the system
// held in memory.
class StagingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Debug::reset();
    config::resetToDefaults();
    config::home = home.path();
    home.mkdir("data");
    home.mkdir("processedLogs");
    home.mkdir("logs");
  }
  void TearDown() override {
    Debug::reset();
    config::resetToDefaults();
  }
  std::string stage(int verbosity = 0) {
    Debug::setLevel(verbosity);
    StdoutCapture out;
    core c;
    c.moveLogFiles({home / "logs"});
    return out.text();
  }
  std::vector<std::string> entries(const std::string& dir) {
    return platform::os().listDirectory(home / dir);
  }
  testing_support::MemoryHome home{1800000000000};
  platform::Clock& clock = home.system();
};

TEST_F(StagingTest, SaveModeCopiesAndLeavesTheSource) {
  home.write("logs/a.log", "one");
  home.write("logs/notes.txt", "two");
  stage();
  EXPECT_EQ(entries("data"), (std::vector<std::string>{"a.log", "notes.txt"}));
  EXPECT_EQ(entries("logs"), (std::vector<std::string>{"a.log", "notes.txt"}));
  home.write("logs/a.log", "changed");
  stage();  // the same log again replaces the staged copy
  EXPECT_EQ(home.read("data/a.log"), "changed");
}

TEST_F(StagingTest, DeleteAndMoveModes) {
  config::logHandling = "delete";
  home.write("logs/a.log", "one");
  stage();
  EXPECT_EQ(entries("data"), std::vector<std::string>{"a.log"});
  EXPECT_TRUE(entries("logs").empty());

  config::logHandling = "move";
  home.write("logs/b.log", "two");
  stage();
  EXPECT_EQ(entries("data"), (std::vector<std::string>{"a.log", "b.log"}));
  EXPECT_EQ(entries("processedLogs"), std::vector<std::string>{"b.log"});
  EXPECT_TRUE(entries("logs").empty());
}

TEST_F(StagingTest, LogsStillBeingWrittenWaitTwoHours) {
  int64_t now = clock.currentTimeMillis();
  home.write("logs/young.tmp", "x");
  home.write("logs/old.tmp", "y");
  ASSERT_TRUE(home.touch("logs/young.tmp", now - 7199999));
  ASSERT_TRUE(home.touch("logs/old.tmp", now - 7200000));
  stage();
  EXPECT_EQ(entries("logs"), (std::vector<std::string>{"old.log", "young.tmp"}));
  EXPECT_EQ(entries("data"), std::vector<std::string>{"old.log"});

  // Without LogTmpFiles the old one only gets its new name.
  config::logTmp = false;
  home.write("logs/later.tmp", "z");
  ASSERT_TRUE(home.touch("logs/later.tmp", now - 8000000));
  stage();
  EXPECT_TRUE(platform::os().exists(home / "logs/later.log"));
  EXPECT_FALSE(platform::os().exists(home / "data/later.log"));
}

TEST_F(StagingTest, OversizedLogsAreSetAside) {
  home.write("logs/fits.log", std::string(1300000, 'a'));
  home.write("logs/huge.log.old", std::string(1300001, 'b'));
  std::string out = stage();
  EXPECT_NE(out.find("Logfile too large(1300001):" + (home / "logs/huge.log.old") + "\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(entries("logs"), (std::vector<std::string>{"fits.log", "huge.big"}));
  EXPECT_EQ(entries("data"), std::vector<std::string>{"fits.log"});
}

TEST_F(StagingTest, MissingPathsAndSubdirectories) {
  Debug::setLevel(1);
  StdoutCapture out;
  core c;
  c.moveLogFiles({home / "nowhere"});
  EXPECT_EQ(out.text(), "I core.moveLogFiles\nFile from Vector: " + home / "nowhere" +
                            "\nO core.moveLogFiles\n");
  home.mkdir("logs/sub");
  std::string text = stage();
  EXPECT_NE(text.find("Error in core.moveLogFiles: IOError: "), std::string::npos) << text;
}

TEST_F(StagingTest, LockAgesAndBadLockNames) {
  int64_t now = clock.currentTimeMillis();
  home.write("data/" + std::to_string(now - 300000) + ".lock", "");
  stage();
  EXPECT_TRUE(entries("data").empty());  // stale: deleted
  home.write("data/" + std::to_string(now - 299999) + ".lock", "");
  core c;
  StdoutCapture out;
  EXPECT_THROW(c.moveLogFiles({}), programs::vardo::RunExit);
  out.text();
  ASSERT_TRUE(platform::os().removePath(home / ("data/" + std::to_string(now - 299999) + ".lock")));
  home.write("data/soon.lock", "");
  std::string text = stage();
  EXPECT_NE(text.find("Error in core.moveLogFiles: NumberFormatError: For input string: \"soon\""),
            std::string::npos)
      << text;
}

TEST_F(StagingTest, AMoveThatMustCopyNeverLeavesAPartialLogUnderItsName) {
  // A rename that fails (as across file systems) falls back to a copy. The
  // copy used to be written straight to the log's name, where a full disk
  // left a short log for the next run to count.
  config::logHandling = "delete";
  home.write("logs/a.log", "whole log");
  {
    testing_support::FaultyFiles faults;
    faults.fail(platform::FaultyOs::Op::kRename, "/logs/a.log");
    faults.fail(platform::FaultyOs::Op::kWrite, "/data/a.log.part");
    faults.fail(platform::FaultyOs::Op::kWrite, "/data/a.log");
    std::string out = stage();
    EXPECT_NE(out.find("Error in core.moveLogFiles: IOError: "), std::string::npos) << out;
  }
  EXPECT_TRUE(entries("data").empty());
  EXPECT_EQ(home.read("logs/a.log"), "whole log");
  {
    testing_support::FaultyFiles faults;
    faults.fail(platform::FaultyOs::Op::kRename, "/logs/a.log");
    stage();
  }
  EXPECT_EQ(entries("data"), std::vector<std::string>{"a.log"});
  EXPECT_EQ(home.read("data/a.log"), "whole log");
  EXPECT_TRUE(entries("logs").empty());
}

TEST_F(StagingTest, ALockOfARunThatIsGoneOnThisHostIsStaleAtOnce) {
  // A killed run's lock used to block every run for five minutes.
  int child = 0;
  ASSERT_NO_THROW(child = platform::endedChildProcessId());
  ASSERT_GT(child, 0);
  const std::string host = platform::hostName().value();
  const std::string young = std::to_string(clock.currentTimeMillis() - 1000) + ".lock";
  home.write("data/" + young, std::to_string(child) + " " + host + "\n");
  stage();
  EXPECT_TRUE(entries("data").empty());

  // Alive: a running process on this host, a gone one of another host, or
  // a lock of an older version (empty) or of another shape.
  for (const std::string& owner : {std::to_string(platform::parentProcessId()) + " " + host + "\n",
                                   std::to_string(child) + " elsewhere\n", std::string(),
                                   std::to_string(child) + " " + host}) {
    home.write("data/" + young, owner);
    core c;
    StdoutCapture out;
    EXPECT_THROW(c.moveLogFiles({}), programs::vardo::RunExit) << owner;
    ASSERT_TRUE(platform::os().removePath(home / ("data/" + young)));
  }
}

TEST(RunLockTest, OwnerLines) {
  using programs::vardo::RunLock;
  const std::string own = RunLock::ownerText();
  const auto owner = RunLock::ownerOf(own);
  ASSERT_TRUE(owner.has_value()) << own;
  EXPECT_EQ(owner->pid, platform::currentProcessId());
  EXPECT_EQ(owner->host, platform::hostName().value());
  for (const char* bad : {"", "\n", "12\n", " host\n", "12 \n", "x2 host\n", "12 host",
                          "12 two words\n", "99999999999 host\n", "0 host\n", "012 host\n"})
    EXPECT_FALSE(RunLock::ownerOf(bad).has_value()) << bad;
  // This process has written no lock: one under its id is an earlier one's.
  EXPECT_FALSE(RunLock::alive("1000.lock", own, 1001));
  EXPECT_TRUE(RunLock::alive("1000.lock", std::nullopt, 1001));
  EXPECT_TRUE(RunLock::alive("5000.lock", std::nullopt, 1000));  // in the future
  EXPECT_FALSE(RunLock::alive("-9223372036854775807.lock", std::nullopt, 1000));
  EXPECT_THROW(RunLock::alive("soon.lock", std::nullopt, 1000), base::NumberFormatError);
}

TEST_F(StagingTest, TwoOfferedLogsOfOneNameNeverReplaceEachOther) {
  // Two offered logs that came to one staged name (two folders, or a log and
  // a finished ".tmp" of its name) replaced each other unread and were lost.
  config::logHandling = "delete";
  home.mkdir("other");
  home.write("logs/a.log", "first");
  home.write("other/a.log", "second");
  core c;
  StdoutCapture out;
  c.moveLogFiles({home / "logs", home / "other"});
  std::string text = out.text();
  EXPECT_NE(text.find("Logfile waits for the next run, one of its name is staged already:" +
                      home / "other/a.log\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(home.read("data/a.log"), "first");
  EXPECT_EQ(home.read("other/a.log"), "second");

  config::logHandling = "move";
  home.write("logs/b.log", "log");
  home.write("logs/b.tmp", "finished");
  ASSERT_TRUE(home.touch("logs/b.tmp", clock.currentTimeMillis() - 7200000));
  stage();
  EXPECT_EQ(home.read("data/b.log"), "log");
  EXPECT_EQ(home.read("processedLogs/b.log"), "log");
  EXPECT_EQ(home.read("logs/b.tmp"), "finished");  // staged by a later run
  ASSERT_TRUE(platform::os().removePath(home / "data/b.log"));
  stage();
  EXPECT_EQ(home.read("data/b.log"), "finished");
}

}  // namespace
