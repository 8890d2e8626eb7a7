// Whole runs of the statistics generator in which one file operation in the
// database directory fails, for every such operation in turn and in each log
// handling mode: the databases stay one whole save (the one before the run
// or the one after it), and the next run counts every match, ending with the
// database of runs that never failed.
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "games/bf/LogBuilder.h"
#include "platform/FakeClock.h"
#include "platform/FaultyOs.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "platform/System.h"
#include "programs/vardobf/DbHomeTest.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Totals.h"
#include "programs/vardobf/VardoBF.h"
#include "util/Debug.h"
#include "util/Text.h"

namespace programs::vardobf {
namespace {

namespace fs = std::filesystem;
using testing_support::TestDir;

const char* const kDatabases[] = {Totals::kGameDB, Totals::kRecordsDB, Totals::kHashDB,
                                  Totals::kPlayerDB};

// The server's log of one match on a January day, as 16-bit text.
std::string matchLog(const std::string& day, const std::string& other) {
  const testing_support::Log log = testing_support::dayMatch(day, other);
  std::string wide;
  for (char c : log.text()) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

// Fails the n-th file operation (counting from 1) on a path in `dir`.
class NthOperationFails : public platform::FaultyOs {
 public:
  NthOperationFails(std::string dir, int n)
      : FaultyOs(platform::os()), dir_(std::move(dir)), n_(n), inForce_(*this) {}
  NthOperationFails(const NthOperationFails&) = delete;
  NthOperationFails& operator=(const NthOperationFails&) = delete;
  bool fails(Op, const std::string& path) override {
    if (path.rfind(dir_, 0) != 0) return false;
    return ++seen_ == n_;
  }
  int seen() const { return seen_; }

 private:
  std::string dir_;
  int n_;
  int seen_ = 0;
  platform::ScopedOs inForce_;
};

class FailedRuns : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    util::Debug::reset();
    platform::setProcessTimeZone("UTC");
  }
  void TearDown() override {
    PlayerDB::discard();
    util::Debug::reset();
    programs::vardo::config::resetToDefaults();
  }

  // A run home in `dir` whose database holds the first match.
  std::string makeHome(const std::string& name) {
    std::string home = dir.mkdir(name);
    for (const char* sub : {"/data", "/html", "/processedLogs", "/in"})
      fs::create_directories(home + sub);
    platform::writeFile(home + "/VardoBF.cfg",
                        std::string("SpawnBrowser\tfalse\nDebugType\tNone\nCreateGraphs\tfalse\n"
                                    "LogFileHandling\t") +
                            GetParam() + "\n");
    offer(home, {{"a.log", matchLog("02", "Bo")}});
    EXPECT_EQ(run(home), 0);
    return home;
  }
  static void offer(const std::string& home,
                    const std::vector<std::pair<std::string, std::string>>& logs) {
    for (const auto& [name, text] : logs) platform::writeFile(home + "/in/" + name, text);
  }
  // The second batch: three new matches and one repeat under another name.
  static void offerSecondBatch(const std::string& home) {
    offer(home, {{"b.log", matchLog("03", "Cy")},
                 {"c.log", matchLog("04", "Bo")},
                 {"d.log", matchLog("02", "Bo")},
                 {"e.log", matchLog("05", "Di")}});
  }
  int run(const std::string& home) {
    util::Debug::reset();
    programs::vardo::config::resetToDefaults();
    PlayerDB::discard();
    testing_support::StdoutCapture out;
    testing_support::StderrCapture err;
    return VardoBF::main({"-j", home, home + "/in"});
  }
  static std::vector<std::string> databases(const std::string& dataDir) {
    std::vector<std::string> files;
    for (const char* name : kDatabases) {
      std::string path = dataDir + "/" + name;
      files.push_back(platform::exists(path) ? platform::readFile(path) : "(none)");
    }
    return files;
  }

  TestDir dir;
  testing_support::FakeClock clock{1800000000000};
  platform::ScopedClock useClock{clock};
};

TEST_P(FailedRuns, AFailureAtAnyFileOperationLosesNoMatch) {
  if (platform::osName() == "Windows")
    GTEST_SKIP() << "on Windows a run's home is the program's own folder (-j has no effect): "
                    "the runs cannot each have a home of their own";
  const std::string beforeHome = makeHome("before");
  const auto before = databases(beforeHome + "/data");
  const std::string afterHome = makeHome("after");
  offerSecondBatch(afterHome);
  ASSERT_EQ(run(afterHome), 0);
  const auto after = databases(afterHome + "/data");
  ASSERT_NE(before, after);
  const auto savedAfter = platform::listDirectory(afterHome + "/processedLogs");

  // How many operations an undisturbed second run makes in the database
  // directory.
  int operations = 0;
  {
    const std::string home = makeHome("count");
    offerSecondBatch(home);
    NthOperationFails none(home + "/data/", 0);
    ASSERT_EQ(run(home), 0);
    operations = none.seen();
  }
  ASSERT_GT(operations, 20);

  int failedRuns = 0;
  for (int n = 1; n <= operations; ++n) {
    SCOPED_TRACE("operation " + std::to_string(n) + " of " + std::to_string(operations));
    const std::string home = makeHome("run" + std::to_string(n));
    offerSecondBatch(home);
    int status = 0;
    {
      NthOperationFails faults(home + "/data/", n);
      status = run(home);
    }
    failedRuns += status != 0 ? 1 : 0;

    // What any reader sees once the save is settled: one whole save.
    const std::string copy = home + "/settled";
    fs::copy(home + "/data", copy);
    Totals::recover(copy + "/");
    const auto settled = databases(copy);
    EXPECT_TRUE(settled == before || settled == after);
    if (settled != after) {
      EXPECT_NE(status, 0) << "a run that saved nothing reported success";
    }

    // The next run counts what is missing.
    ASSERT_EQ(run(home), 0);
    EXPECT_EQ(databases(home + "/data"), after);
    EXPECT_TRUE(Totals::unfinishedSaveFiles(home + "/data/").empty());
    for (const std::string& left : platform::listDirectory(home + "/data"))
      EXPECT_FALSE(util::endsWith(left, ".log") || util::endsWith(left, ".del")) << left;
    EXPECT_EQ(platform::listDirectory(home + "/processedLogs"), savedAfter);
    EXPECT_TRUE(platform::exists(home + "/html/Vardo_Main.html"));
  }
  EXPECT_GT(failedRuns, 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, FailedRuns, ::testing::Values("save", "delete", "move"));

}  // namespace
}  // namespace programs::vardobf
