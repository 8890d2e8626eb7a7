// Runs the built vardobf over generated logs and checks the statistics
// database it leaves: the same logs give the same database however they are
// grouped into runs, repeats are recognised across runs, and a run killed at
// any moment leaves a database that the next run can read.
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestDir.h"
#include "e2e/Run.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/Totals.h"
#include "util/Debug.h"

namespace {

namespace fs = std::filesystem;
using testing_support::binDir;
using testing_support::runProgram;
using testing_support::RunResult;
using testing_support::TestDir;

const char* const kFiles[] = {"bf_player.db", "bf_game.db", "bf_records.db", "bf_hash.db"};

// Nine logs in processing order: one of each game type and two repeats.
std::vector<std::string> makeLogs(const TestDir& dir) {
  std::string gen = dir.mkdir("gen");
  RunResult r =
      runProgram(dir.path(), binDir() + "/loggen",
                 {"--type", "all", "--count", "7", "--seed", "77", "--players", "6", "--minutes",
                  "4", "--date", "2026-05-01T20:00", "--unknown-weapons", "0.003", "--out", gen});
  EXPECT_EQ(r.status, 0) << r.output;
  std::vector<std::string> names = platform::listDirectory(gen);
  EXPECT_EQ(names.size(), 7u);
  std::vector<std::string> logs;
  int n = 0;
  auto add = [&](const std::string& from) {
    char name[32];
    std::snprintf(name, sizeof name, "m%02d.log", n++);
    logs.push_back(dir.write(name, platform::readFile(gen + "/" + from)));
  };
  for (size_t i = 0; i < names.size(); ++i) {
    add(names[i]);
    if (i == 2 || i == 5) add(names[i - 1]);  // the same match again, under another name
  }
  return logs;
}

// A home directory for vardobf with its settings file.
std::string makeHome(const TestDir& dir, const std::string& name) {
  std::string home = dir.mkdir(name);
  fs::create_directories(home + "/data");
  fs::create_directories(home + "/html");
  fs::create_directories(home + "/processedLogs");
  platform::writeFile(home + "/VardoBF.cfg", "SpawnBrowser\tfalse\nDebugType\tNone\n");
  return home;
}

// One run of vardobf over the given log files (copied into a fresh folder).
RunResult runOver(const std::string& home, const std::vector<std::string>& logs) {
  std::string in = home + "/in";
  fs::remove_all(in);
  fs::create_directories(in);
  for (const auto& l : logs) fs::copy_file(l, in + "/" + fs::path(l).filename().string());
  return runProgram(home, binDir() + "/vardobf", {"in"});
}

std::string dbFile(const std::string& home, const char* name) {
  return platform::readFile(home + "/data/" + name);
}

class DatabaseRuns : public ::testing::Test {
 protected:
  void SetUp() override { logs = makeLogs(dir); }
  // The database of one run over every log.
  std::string reference() {
    std::string home = makeHome(dir, "reference");
    RunResult r = runOver(home, logs);
    EXPECT_EQ(r.status, 0) << r.output;
    return home;
  }
  void expectSameDatabase(const std::string& a, const std::string& b) {
    for (const char* f : kFiles) EXPECT_TRUE(dbFile(a, f) == dbFile(b, f)) << f << " differs";
  }
  TestDir dir;
  std::vector<std::string> logs;
};

TEST_F(DatabaseRuns, OneRunPerLogGivesTheSameDatabaseAsOneRun) {
  std::string ref = reference();
  std::string home = makeHome(dir, "each");
  for (const auto& l : logs) ASSERT_EQ(runOver(home, {l}).status, 0);
  expectSameDatabase(ref, home);
}

TEST_F(DatabaseRuns, RunsOfSeveralLogsGiveTheSameDatabaseAsOneRun) {
  std::string ref = reference();
  std::string home = makeHome(dir, "groups");
  for (size_t i = 0; i < logs.size(); i += 4)
    ASSERT_EQ(runOver(home, std::vector<std::string>(
                                logs.begin() + static_cast<long>(i),
                                logs.begin() + static_cast<long>(std::min(i + 4, logs.size()))))
                  .status,
              0);
  expectSameDatabase(ref, home);

  // The dump tool reads the result: nine logs, two of them repeats.
  RunResult dump = runProgram(home, binDir() + "/dbdump", {"data"});
  ASSERT_EQ(dump.status, 0) << dump.output;
  EXPECT_NE(dump.output.find("\"totalGamesPlayed\":7"), std::string::npos);
  EXPECT_NE(dump.output.find("\"numUIDs\":7"), std::string::npos);
}

TEST_F(DatabaseRuns, ASecondRunCountsOnlyItsNewMatch) {
  std::string home = makeHome(dir, "two");
  ASSERT_EQ(runOver(home, {logs[0], logs[1]}).status, 0);
  RunResult second = runOver(home, {logs[4], logs[0]});  // one new, one repeat
  ASSERT_EQ(second.status, 0);
  RunResult dump = runProgram(home, binDir() + "/dbdump", {"data"});
  ASSERT_EQ(dump.status, 0) << dump.output;
  EXPECT_NE(dump.output.find("\"totalGamesPlayed\":3"), std::string::npos) << dump.output;
}

// Kills a run at many moments; the next reading must find either the
// database before the run or the one after it.
TEST_F(DatabaseRuns, AKilledRunLeavesTheOldOrTheNewDatabase) {
  std::vector<std::string> first(logs.begin(), logs.begin() + 3);
  std::vector<std::string> second(logs.begin() + 3, logs.end());
  std::string before = makeHome(dir, "before");
  ASSERT_EQ(runOver(before, first).status, 0);
  std::string after = makeHome(dir, "after");
  ASSERT_EQ(runOver(after, first).status, 0);
  ASSERT_EQ(runOver(after, second).status, 0);

  games::bf::Specs::init();
  int sawOld = 0, sawNew = 0;
  for (int delayMs = 0; delayMs <= 720; delayMs += 30) {
    std::string home = makeHome(dir, "killed" + std::to_string(delayMs));
    for (const char* f : kFiles) fs::copy_file(before + "/data/" + f, home + "/data/" + f);
    std::string in = home + "/in";
    fs::create_directories(in);
    for (const auto& l : second) fs::copy_file(l, in + "/" + fs::path(l).filename().string());

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (::chdir(home.c_str()) != 0) ::_exit(127);
      int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      std::string prog = binDir() + "/vardobf";
      ::execl(prog.c_str(), prog.c_str(), "in", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);

    // What the next run does before reading: finish or drop a save.
    programs::vardobf::Totals::recover(home + "/data/");
    bool same = true, sameNew = true;
    for (const char* f : kFiles) {
      same = same && dbFile(home, f) == dbFile(before, f);
      sameNew = sameNew && dbFile(home, f) == dbFile(after, f);
    }
    EXPECT_TRUE(same || sameNew) << "killed after " << delayMs << " ms";
    sawOld += same ? 1 : 0;
    sawNew += sameNew ? 1 : 0;
  }
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
}

}  // namespace
