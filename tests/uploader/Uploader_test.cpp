// Whole runs of the uploader against a scripted network and a fake process
// table: the instance lock and its recovery, the per-file outcomes, the exit
// codes and the exit-code log.
#include "uploader/Uploader.h"

#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/Clock.h"
#include "platform/FakeNetwork.h"
#include "platform/FakeProcessTable.h"
#include "platform/FileSystem.h"

namespace uploader {
namespace {

using testing_support::FakeNetwork;
using testing_support::FakeProcessTable;
using testing_support::ScriptedConnection;
using testing_support::TestDir;

constexpr int64_t kHour = 3600 * 1000;
// The separator the uploader puts after the log folder's name.
const std::string kSep(1, platform::kSeparator);

class TessalyRun : public ::testing::Test {
 protected:
  TessalyRun() : out_(&text_) {}

  int run(std::vector<std::string> args, bool verbose = true) {
    Environment env;
    env.network = &net_;
    env.processes = &processes_;
    env.out = &out_;
    env.home = home_.path();
    env.collectors = collectors_.c_str();
    env.lockPort = lockPort_;
    if (failRemove_) env.remove = [](const std::string&) { return false; };
    if (verbose) args.insert(args.begin(), "-v");
    return Uploader(std::move(env)).run(args);
  }
  std::vector<std::string> inDir() { return {"-d", dir_.path()}; }
  void makeOld(const std::string& name) {
    ASSERT_TRUE(platform::setLastModifiedMillis(dir_ / name,
                                                platform::clock().currentTimeMillis() - 3 * kHour));
  }
  bool has(const std::string& s) const { return text_.find(s) != std::string::npos; }

  FakeNetwork net_;
  FakeProcessTable processes_;
  std::string text_;
  Output out_;
  TestDir dir_;
  TestDir home_;
  std::string collectors_ = "c0:9000";
  std::optional<uint16_t> lockPort_;
  bool failRemove_ = false;
};

// --- Outcomes per file ------------------------------------------------------

TEST_F(TessalyRun, AcknowledgedLogsAreDeletedAndTheRunEndsWith50) {
  dir_.write("a.log", "first");
  dir_.write("b.log", "second");
  dir_.write("c.txt", "other");
  ScriptedConnection& c = net_.add("c0:9000");
  c.pieces = {"READY\n", "ACK\n", "READY\n", "ACK\n"};
  EXPECT_EQ(run(inDir()), 50);
  EXPECT_FALSE(platform::exists(dir_ / "a.log"));
  EXPECT_FALSE(platform::exists(dir_ / "b.log"));
  EXPECT_TRUE(platform::exists(dir_ / "c.txt"));
  EXPECT_EQ(c.sends[0].substr(0, 9), "HELLO\t1.5");
  EXPECT_NE(c.sends[0].find("\t5\t2\n"), std::string::npos);  // size and count listed
  EXPECT_EQ(c.sends[2], "NEXTFILE\t6\n");
  EXPECT_TRUE(has("File: a.log (5)\nFile: b.log (6)\n----------------\n 2 logs found.\n"));
  EXPECT_TRUE(has("\n ----> Batch complete (2 files processed) <----\n\n\n"));
  EXPECT_EQ(dir_.read("batch_info.txt"), "Exit code: 50 (fd_count = 2)\n");
}

TEST_F(TessalyRun, TooLargeBecomesBigAndTheNextFileFollowsWithNextFile) {
  dir_.write("a.log", "huge");
  dir_.write("b.log", "fine");
  ScriptedConnection& c = net_.add("c0:9000");
  c.pieces = {"FILE_TOO_LARGE\n", "READY\n", "ACK\n"};
  EXPECT_EQ(run(inDir()), 50);
  EXPECT_EQ(dir_.read("a.log.big"), "huge");
  EXPECT_FALSE(platform::exists(dir_ / "b.log"));
  EXPECT_EQ(c.sends[1], "NEXTFILE\t4\n");
  EXPECT_TRUE(has("[W00]: --- Renaming \"" + dir_.path() + kSep + "a.log\" to \"" + dir_.path() +
                  kSep + "a.log.big\"\n\n\n"));
}

TEST_F(TessalyRun, AcknowledgedButUndeletableBecomesSent) {
  dir_.write("a.log", "data");
  net_.add("c0:9000").pieces = {"READY\n", "ACK\n"};
  failRemove_ = true;
  EXPECT_EQ(run(inDir()), 50);
  EXPECT_EQ(dir_.read("a.log.sent"), "data");
  EXPECT_FALSE(platform::exists(dir_ / "a.log"));
  EXPECT_TRUE(has("[E35]: Couldn't delete \"" + dir_.path() + kSep + "a.log\" (error=0)\n"));
}

TEST_F(TessalyRun, RedirectStartsTheListingAgainWithHello) {
  dir_.write("a.log", "one");
  dir_.write("b.log", "two");
  net_.add("c0:9000").pieces = {"REDIRECT\tother:7000\n"};
  ScriptedConnection& b = net_.add("other:7000");
  b.pieces = {"READY\n", "ACK\n", "READY\n", "ACK\n"};
  EXPECT_EQ(run(inDir()), 50);
  ASSERT_GE(b.sends.size(), 1u);
  EXPECT_EQ(b.sends[0].substr(0, 6), "HELLO\t");
  EXPECT_NE(b.sends[0].find("\t3\t2\n"), std::string::npos);
  EXPECT_EQ(dir_.read("batch_info.txt"), "Exit code: 50 (fd_count = 2)\n");
}

TEST_F(TessalyRun, AbortLeavesEveryLogAndOldLogsTurnTheCodePositive) {
  dir_.write("a.log", "one");
  dir_.write("b.log", "two");
  dir_.write("c.log", "three");
  for (auto n : {"a.log", "b.log", "c.log"}) makeOld(n);
  net_.add("c0:9000").pieces = {"READY\n", "ACK\n", "READY\n", "ACK\n",
                                "FILE_TOO_LARGE\tSYNTAX_ERROR\n"};
  EXPECT_EQ(run(inDir()), 108);
  EXPECT_EQ(dir_.read("c.log"), "three");
  EXPECT_TRUE(has("[E36]: Old logs still present in logdir!\n\n\n"));
  EXPECT_EQ(dir_.read("batch_info.txt"), "Exit code: 108 (fd_count = 3)\n");
}

TEST_F(TessalyRun, AbortOnTheFirstReplyStillCountsTheFile) {
  dir_.write("a.log", "one");
  makeOld("a.log");
  net_.add("c0:9000").pieces = {"garbage\n"};
  EXPECT_EQ(run(inDir()), 108);
  EXPECT_EQ(dir_.read("a.log"), "one");
}

TEST_F(TessalyRun, NoCollectorIsMinus117AndTouchesNothing) {
  dir_.write("a.log", "one");
  EXPECT_EQ(run(inDir()), -117);
  EXPECT_EQ(net_.attempts.size(), 10u);
  EXPECT_EQ(dir_.read("a.log"), "one");
  EXPECT_EQ(dir_.read("batch_info.txt"), "Exit code: -117 (fd_count = 0)\n");
}

// --- Directory states -------------------------------------------------------

TEST_F(TessalyRun, MissingEmptyAndOnlyEmptyLogs) {
  EXPECT_EQ(run({"-d", dir_ / "missing"}), -100);
  EXPECT_TRUE(has("[E34]: *** Invalid logfile path \"" + (dir_ / "missing") + kSep + "*.log\""));
  EXPECT_EQ(run(inDir()), 2);
  EXPECT_TRUE(has("[E01]: *** No log files found, exiting..."));
  dir_.write("a.log", "");
  dir_.write("b.log", "");
  EXPECT_EQ(run(inDir()), 2);
  EXPECT_FALSE(platform::exists(dir_ / "a.log"));
  EXPECT_TRUE(net_.attempts.empty());
  EXPECT_EQ(dir_.read("batch_info.txt"),
            "Exit code: 2 (fd_count = 0)\nExit code: 2 (fd_count = 0)\n");
}

TEST_F(TessalyRun, ExitCodeLogCanBeSwitchedOff) {
  EXPECT_EQ(run({"-l", "-d", dir_.path()}), 2);
  EXPECT_FALSE(platform::exists(dir_ / "batch_info.txt"));
  EXPECT_EQ(run({"-d", dir_.path(), "-version"}), 5);
  EXPECT_EQ(dir_.read("batch_info.txt"), "Exit code: 5 (fd_count = 0)\n");
}

TEST_F(TessalyRun, BadCollectorTableIsAnError) {
  dir_.write("a.log", "one");
  collectors_ = "c0:9000,broken";
  EXPECT_EQ(run(inDir(), false), Uploader::kBadCollectorTable);
  EXPECT_EQ(text_,
            "[E42]: *** Bad collector table: TESSALY_COLLECTORS: collector entry \"broken\" is "
            "not host:port\n");
  EXPECT_TRUE(net_.attempts.empty());
}

// --- Test mode --------------------------------------------------------------

TEST_F(TessalyRun, TestMode) {
  dir_.write("a.log", "one");
  ScriptedConnection& c = net_.add("c0:9000");
  c.pieces = {"CONN_TEST_OK\n"};
  EXPECT_EQ(run({"-t", "-d", dir_.path()}), 6);
  EXPECT_EQ(c.sends[0].substr(0, 10), "CONN_TEST\t");
  EXPECT_EQ(dir_.read("a.log"), "one");
  EXPECT_TRUE(has("Test successful!\n\n"));
  makeOld("a.log");
  net_.add("c0:9000").pieces = {"CONN_TEST_OK\n"};
  EXPECT_EQ(run({"-t", "-d", dir_.path()}), -114);
  ScriptedConnection& f = net_.add("c0:9000");
  f.failWhenEmpty = true;
  EXPECT_EQ(run({"-t", "-d", dir_.path()}), -112);
}

// --- The instance lock ------------------------------------------------------

class TessalyLock : public TessalyRun {
 protected:
  TessalyLock() {
    platform::BindFailure f;
    holder_ = platform::bindLocalPort(0, &f);
    lockPort_ = holder_.localPort();
    processes_.own = {100, "/opt/bin/tessaly"};
    processes_.processes = {{100, "/opt/bin/tessaly"}, {200, "/opt/bin/tessaly"}};
  }
  platform::Socket holder_;
};

TEST_F(TessalyLock, HeldLockWithoutOldLogsEndsWith10AndTouchesNothing) {
  dir_.write("a.log", "one");
  EXPECT_EQ(run(inDir()), 10);
  EXPECT_TRUE(has("[E00]: *** Another \"tessaly\" client is running (-1000)"));
  EXPECT_TRUE(processes_.terminated.empty());
  EXPECT_TRUE(net_.attempts.empty());
  EXPECT_EQ(dir_.read("a.log"), "one");
}

TEST_F(TessalyLock, StuckUploaderIsTerminatedAndTheRunGoesOn) {
  dir_.write("a.log", "one");
  makeOld("a.log");
  processes_.onTerminate = [this](int) { holder_.close(); };
  net_.add("c0:9000").pieces = {"READY\n", "ACK\n"};
  EXPECT_EQ(run(inDir()), 50);
  EXPECT_EQ(processes_.terminated, std::vector<int>{200});
  EXPECT_TRUE(has("[E40]: Old logs still present and a batcher is running (stuck batcher)"));
  EXPECT_FALSE(platform::exists(dir_ / "a.log"));
}

TEST_F(TessalyLock, LockStillTakenAfterTwoRounds) {
  dir_.write("a.log", "one");
  makeOld("a.log");
  EXPECT_EQ(run(inDir()), -103);
  EXPECT_EQ(processes_.terminated.size(), 2u);
  EXPECT_TRUE(has("[E41]: Couldn't grab lock port after batcher kills\n\n\n"));
}

TEST_F(TessalyLock, RecoveryFailures) {
  dir_.write("a.log", "one");
  makeOld("a.log");
  processes_.listable = false;
  EXPECT_EQ(run(inDir()), 10);
  processes_.listable = true;
  processes_.openFails = true;
  EXPECT_EQ(run(inDir()), -106);
  processes_.openFails = false;
  processes_.terminateFails = true;
  EXPECT_EQ(run(inDir()), -105);
  EXPECT_EQ(dir_.read("a.log"), "one");
}

}  // namespace
}  // namespace uploader
