// Runs the built tessaly, uploadstarter and collector on 127.0.0.1 and
// checks that no log is ever lost: after every kind of fault the log
// directory holds each unacknowledged log unchanged and the collector's
// store a byte-identical copy of each acknowledged one.
#include <algorithm>
#include <filesystem>
#include <map>
#include <random>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "e2e/CollectorProcess.h"
#include "e2e/Run.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Socket.h"

namespace {

using testing_support::BackgroundProcess;
using testing_support::binDir;
using testing_support::CollectorProcess;
using testing_support::runProgram;
using testing_support::RunResult;
using testing_support::TestDir;

constexpr int64_t kHour = 3600 * 1000;

std::string tessaly() { return binDir() + "/tessaly"; }

// Text that looks like a log and compresses like one.
std::string logText(size_t size, unsigned seed) {
  static const char* words[] = {"kill",   "Rocket Launcher", "Pistol", "flag",
                                "player", "Connect",         "team",   "0.00",
                                "12.50",  "game_start",      "\r\n",   "\t"};
  std::mt19937 rng(seed);
  std::string s;
  while (s.size() < size) s += words[rng() % 12];
  s.resize(size);
  return s;
}

std::vector<std::string> logsIn(const std::string& dir, const std::string& suffix = ".log") {
  std::vector<std::string> out;
  for (const auto& n : platform::listDirectory(dir))
    if (n.size() > suffix.size() && n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
      out.push_back(n);
  return out;
}

// Dead endpoints: bound, not listening, so a connect is refused at once.
struct DeadPorts {
  std::vector<platform::Socket> sockets;
  std::string list(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) {
      platform::BindFailure f;
      sockets.push_back(platform::bindLocalPort(0, &f));
      s += (i ? "," : "") + std::string("127.0.0.1:") + std::to_string(sockets.back().localPort());
    }
    return s;
  }
};

class TessalyE2E : public ::testing::Test {
 protected:
  TessalyE2E() {
    logDir_ = work_.mkdir("logs");
    store_ = work_.mkdir("store");
    store2_ = work_.mkdir("store2");
  }

  void addLog(const std::string& name, const std::string& content) {
    platform::writeFile(logDir_ + "/" + name, content);
    originals_[name] = content;
  }
  void addLogs(int n, size_t size = 5000) {
    for (int i = 0; i < n; ++i)
      addLog("match" + std::to_string(i) + ".log", logText(size + 977 * i, 100 + i));
  }
  void makeOld() {
    for (const auto& [name, content] : originals_)
      ASSERT_TRUE(platform::setLastModifiedMillis(
          logDir_ + "/" + name, platform::clock().currentTimeMillis() - 3 * kHour));
  }
  RunResult run(const std::string& collectors, std::vector<std::string> args = {}) {
    if (args.empty()) args = {"-v", "-d", logDir_};
    return runProgram(work_.path(), tessaly(), args, "TESSALY_COLLECTORS=" + collectors);
  }
  // A verbose run over the log directory that is given at most `seconds`:
  // one that has not ended by then is stopped, and `*ended` is false.
  RunResult runWithin(int seconds, const std::string& collectors, bool* ended) {
    std::string output = work_ / ("tessaly-" + std::to_string(++runs_) + ".out");
    BackgroundProcess p({tessaly(), "-v", "-d", logDir_}, output,
                        {"TESSALY_COLLECTORS=" + collectors});
    for (int i = 0; i < seconds * 50 && p.running(); ++i) platform::clock().sleepMillis(20);
    *ended = !p.running();
    p.stop();
    RunResult r;
    if (*ended && WIFEXITED(p.status())) r.status = WEXITSTATUS(p.status());
    r.output = platform::readFile(output);
    return r;
  }

  // Every original log is either still in the log directory, unchanged, or
  // in one of the stores exactly once; the stores hold nothing else.
  // Returns the number delivered.
  size_t checkNothingLost() {
    std::multiset<std::string> stored;
    for (const std::string& s : {store_, store2_}) {
      for (const auto& n : platform::listDirectory(s)) {
        EXPECT_TRUE(n.size() > 4 && n.substr(n.size() - 4) == ".log") << "stray file " << n;
        stored.insert(platform::readFile(s + "/" + n));
      }
    }
    size_t delivered = 0;
    for (const auto& [name, content] : originals_) {
      std::string p = logDir_ + "/" + name;
      if (platform::exists(p)) {
        EXPECT_EQ(platform::readFile(p), content) << name << " changed";
        EXPECT_EQ(stored.count(content), 0u) << name << " both kept and delivered";
        continue;
      }
      auto it = stored.find(content);
      EXPECT_NE(it, stored.end()) << name << " is gone but was not delivered";
      if (it != stored.end()) stored.erase(it);
      ++delivered;
    }
    EXPECT_TRUE(stored.empty()) << stored.size() << " stored logs that were never sent";
    return delivered;
  }

  TestDir work_;
  std::string logDir_;
  std::string store_;
  std::string store2_;
  std::map<std::string, std::string> originals_;
  int runs_ = 0;
};

// --- Delivery --------------------------------------------------------------

TEST_F(TessalyE2E, DeliversEveryLogByteForByte) {
  addLogs(4);
  addLog("exact.log", logText(64000, 1));
  addLog("oneMore.log", logText(64001, 2));
  addLog("tiny.log", "x");
  addLog("empty.log", "");
  CollectorProcess c(store_);
  ASSERT_GT(c.port(), 0);
  RunResult r = run(c.endpoint());
  EXPECT_EQ(r.status, 50) << r.output;
  EXPECT_FALSE(platform::exists(logDir_ + "/empty.log"));
  originals_.erase("empty.log");
  EXPECT_EQ(checkNothingLost(), originals_.size());
  EXPECT_TRUE(logsIn(logDir_).empty());
  EXPECT_EQ(platform::readFile(logDir_ + "/batch_info.txt"), "Exit code: 50 (fd_count = 7)\n");
  EXPECT_NE(r.output.find("  [ Sent "), std::string::npos);
}

TEST_F(TessalyE2E, TooLargeIsSetAsideAndTheRestDelivered) {
  addLog("big.log", logText(5000, 1));
  addLog("small.log", logText(500, 2));
  CollectorProcess c(store_, {"--max-size", "1000"});
  RunResult r = run(c.endpoint());
  EXPECT_EQ(r.status, 50) << r.output;
  EXPECT_EQ(platform::readFile(logDir_ + "/big.log.big"), originals_["big.log"]);
  originals_.erase("big.log");
  EXPECT_EQ(checkNothingLost(), 1u);
  EXPECT_NE(r.output.find("Received: FILE_TOO_LARGE\n"), std::string::npos);
  EXPECT_NE(r.output.find("Sent INFO: NEXTFILE\t500\n"), std::string::npos);
}

TEST_F(TessalyE2E, RedirectToASecondCollector) {
  addLogs(3);
  CollectorProcess b(store2_);
  CollectorProcess a(store_, {"--redirect", b.endpoint()});
  RunResult r = run(a.endpoint());
  EXPECT_EQ(r.status, 50) << r.output;
  EXPECT_EQ(checkNothingLost(), 3u);
  EXPECT_TRUE(platform::listDirectory(store_).empty());
  EXPECT_EQ(platform::listDirectory(store2_).size(), 3u);
  EXPECT_NE(r.output.find("---> Received REDIRECT to " + b.endpoint()), std::string::npos);
}

TEST_F(TessalyE2E, FailoverAcrossDeadEntries) {
  addLogs(2);
  CollectorProcess c(store_);
  DeadPorts dead;
  RunResult r = run(dead.list(3) + "," + c.endpoint());
  EXPECT_EQ(r.status, 50) << r.output;
  EXPECT_EQ(checkNothingLost(), 2u);
}

TEST_F(TessalyE2E, AllTenDeadIsMinus117) {
  addLogs(2);
  DeadPorts dead;
  RunResult r = run(dead.list(10));
  EXPECT_EQ(r.status, 256 - 117) << r.output;
  size_t failed = 0;
  for (size_t p = 0; (p = r.output.find("... failed\n", p)) != std::string::npos; ++p) ++failed;
  EXPECT_EQ(failed, 10u);
  EXPECT_NE(r.output.find("[E02]: *** Couldn't connect any known collector."), std::string::npos);
  EXPECT_EQ(checkNothingLost(), 0u);
}

TEST_F(TessalyE2E, ConnectionTestMode) {
  addLogs(1);
  CollectorProcess c(store_);
  RunResult r = run(c.endpoint(), {"-v", "-t", "-d", logDir_});
  EXPECT_EQ(r.status, 6) << r.output;
  EXPECT_NE(r.output.find("Received: CONN_TEST_OK\n"), std::string::npos);
  EXPECT_EQ(checkNothingLost(), 0u);
}

TEST_F(TessalyE2E, CommandLineStatusesAsTheShellSeesThem) {
  EXPECT_EQ(run("x:1", {"-version"}).status, 9);
  EXPECT_EQ(run("x:1", {"-v", "-version"}).status, 5);
  EXPECT_EQ(run("x:1", {"-e"}).status, 7);
  EXPECT_EQ(run("x:1", {"-g", "bf", "-d"}).status, 256 - 102);
  EXPECT_EQ(run("x:1", {"-bogus"}).status, 256 - 101);
  EXPECT_EQ(run("x:1", {"-d", work_ / "missing"}).status, 256 - 100);
  EXPECT_EQ(run("x:1", {"-d", logDir_}).status, 2);
  EXPECT_EQ(run("bad", {"-d", logDir_}).status, 256 - 120);
}

// --- Faults: every log stays for the next run ------------------------------

struct Fault {
  const char* name;
  std::vector<std::string> options;
  // What the uploader says about it (a reset may hit a send or the wait for
  // the ACK, depending on timing).
  std::vector<std::string> clientLines;
};

void PrintTo(const Fault& f, std::ostream* os) { *os << f.name; }

class TessalyFaults : public TessalyE2E, public ::testing::WithParamInterface<Fault> {};

TEST_P(TessalyFaults, NothingLostAndTheNextRunDelivers) {
  addLogs(3, 40000);
  {
    CollectorProcess bad(store_, GetParam().options);
    RunResult r = run(bad.endpoint());
    // Aborted exchanges still end as a complete run while no log is old.
    EXPECT_EQ(r.status, 50) << r.output;
    const auto& lines = GetParam().clientLines;
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
      return r.output.find(l) != std::string::npos;
    })) << r.output;
    EXPECT_EQ(checkNothingLost(), 0u);
  }
  CollectorProcess good(store2_);
  RunResult r = run(good.endpoint());
  EXPECT_EQ(r.status, 50) << r.output;
  EXPECT_EQ(checkNothingLost(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TessalyFaults,
    ::testing::Values(
        Fault{"ResetMidFile",
              {"--drop-after", "1000"},
              {"[E05]: ** Error reading ACK", "[E09]: *** Error sending file"}},
        Fault{"Garbage", {"--fault", "garbage"}, {"[E08]: *** ERROR server response"}},
        Fault{"NoAck", {"--fault", "no-ack"}, {"[E04]: *** Unknown response \"DONE\""}},
        Fault{"FullDisk", {"--fault", "full-disk"}, {"Unknown response \"STORE_FAILED\""}},
        Fault{"ResetInHello", {"--drop-after", "10"}, {"[E04]: *** Error reading HELLO"}}),
    [](const auto& p) { return std::string(p.param.name); });

// --- Replies as a faulty collector sends them ---------------------------------

// Every reply without its LF, on a connection that stays open: each is
// taken once the collector falls quiet, and both logs are delivered over
// the one connection.
TEST_F(TessalyE2E, RepliesWithoutLineFeedOnAnOpenConnection) {
  addLogs(2);
  CollectorProcess c(store_, {"--fault", "no-newline"});
  bool ended = false;
  RunResult r = runWithin(60, c.endpoint(), &ended);
  ASSERT_TRUE(ended) << "tessaly waits for ever for a reply without LF\n" << r.output;
  EXPECT_EQ(r.status, 50) << r.output;
  EXPECT_EQ(checkNothingLost(), 2u);
  EXPECT_NE(r.output.find("Received: READYSending: "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Received:  ACK\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Sent INFO: NEXTFILE"), std::string::npos) << r.output;
}

// READY and ACK in one piece, before the file: the ACK is no answer to the
// file, so when the collector then hangs up without one the logs stay, and
// a later run delivers them.
TEST_F(TessalyE2E, AnAckBeforeTheFileLeavesTheLogs) {
  addLogs(2);
  {
    CollectorProcess early(store_, {"--fault", "early-ack"});
    bool ended = false;
    RunResult r = runWithin(60, early.endpoint(), &ended);
    ASSERT_TRUE(ended) << r.output;
    EXPECT_EQ(r.status, 50) << r.output;
    EXPECT_EQ(checkNothingLost(), 0u);
    EXPECT_NE(r.output.find("Ignored 4 bytes received before the file was sent\n"),
              std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("[E04]: *** Unknown response \"\" waiting for ACK"), std::string::npos)
        << r.output;
    // The file went out whole before the collector hung up.
    EXPECT_NE(early.log().find("log received, not stored (fault)"), std::string::npos)
        << early.log();
  }
  CollectorProcess good(store2_);
  bool ended = false;
  RunResult r = runWithin(60, good.endpoint(), &ended);
  ASSERT_TRUE(ended) << r.output;
  EXPECT_EQ(r.status, 50) << r.output;
  EXPECT_EQ(checkNothingLost(), 2u);
}

TEST_F(TessalyE2E, RedirectLoopEndsWithTheLogsKept) {
  addLogs(2);
  // Two collectors that send every HELLO to each other: the second learns
  // the first's port only once it runs, so the first points at a port the
  // second is then started on.
  DeadPorts reserve;
  reserve.list(1);
  int portB = reserve.sockets[0].localPort();
  reserve.sockets.clear();
  CollectorProcess a(store_,
                     {"--redirect", "127.0.0.1:" + std::to_string(portB), "--redirect-all"});
  testing_support::BackgroundProcess b(
      {binDir() + "/collector", "--listen", "127.0.0.1:" + std::to_string(portB), "--store",
       store2_, "--redirect", a.endpoint(), "--redirect-all"},
      work_ / "b.out");
  for (int i = 0; i < 500 && !platform::exists(work_ / "b.out"); ++i)
    platform::clock().sleepMillis(10);
  platform::clock().sleepMillis(200);
  RunResult r = run(a.endpoint());
  EXPECT_EQ(r.status, 50) << r.output;
  EXPECT_NE(r.output.find("[E07]: *** Too many REDIRECTs (10) ... aborting"), std::string::npos)
      << r.output;
  EXPECT_EQ(checkNothingLost(), 0u);
}

// --- The instance lock and a stuck uploader ---------------------------------

// A stand-in for a hung uploader: a program file named like ours that holds
// the lock port and sleeps.
class FakeStuckUploader {
 public:
  explicit FakeStuckUploader(const TestDir& dir) {
    std::string d = dir.mkdir("other");
    std::filesystem::copy_file(binDir() + "/fake_stuck_uploader", d + "/tessaly");
    process_ =
        std::make_unique<BackgroundProcess>(std::vector<std::string>{d + "/tessaly"}, d + "/out");
    // Wait until it holds the port.
    for (int i = 0; i < 1000; ++i) {
      platform::BindFailure f;
      platform::Socket probe = platform::bindLocalPort(19273, &f);
      if (!probe.isOpen()) return;
      probe.close();
      platform::clock().sleepMillis(10);
    }
  }
  BackgroundProcess& process() { return *process_; }

 private:
  std::unique_ptr<BackgroundProcess> process_;
};

TEST_F(TessalyE2E, LockHeldByAnotherProcess) {
  addLogs(2);
  FakeStuckUploader stuck(work_);
  RunResult r = run("127.0.0.1:1");
  EXPECT_EQ(r.status, 10) << r.output;
  EXPECT_NE(r.output.find("client is running (-1000)"), std::string::npos);
  EXPECT_TRUE(stuck.process().running());
  EXPECT_EQ(checkNothingLost(), 0u);
}

TEST_F(TessalyE2E, StuckUploaderIsTerminatedOnceLogsAreOld) {
  addLogs(2);
  makeOld();
  FakeStuckUploader stuck(work_);
  CollectorProcess c(store_);
  RunResult r = run(c.endpoint());
  EXPECT_EQ(r.status, 50) << r.output;
  EXPECT_NE(r.output.find("[W50a]: Found another batcher process running (" +
                          std::to_string(stuck.process().pid()) + ")"),
            std::string::npos)
      << r.output;
  EXPECT_FALSE(stuck.process().running());
  EXPECT_EQ(checkNothingLost(), 2u);
}

// --- uploadstarter -----------------------------------------------------------

class UploadStarterE2E : public TessalyE2E {
 protected:
  UploadStarterE2E() {
    cwd_ = work_.mkdir("cwd");
    std::filesystem::create_symlink(tessaly(), cwd_ + "/tessaly");
  }
  RunResult start(const std::string& collectors, const std::vector<std::string>& args) {
    return runProgram(cwd_, binDir() + "/uploadstarter", args, "TESSALY_COLLECTORS=" + collectors);
  }
  // The uploader's process id from the starter's output.
  static int pidOf(const RunResult& r) {
    size_t p = r.output.find("(PID: ");
    return p == std::string::npos ? -1 : std::atoi(r.output.c_str() + p + 6);
  }
  std::string cwd_;
};

TEST_F(UploadStarterE2E, FinishedWithTheUploadersCode) {
  // A directory name with a percent sign reaches the uploader unchanged.
  logDir_ = work_.mkdir("logs%s%d");
  addLogs(2);
  CollectorProcess c(store_);
  RunResult r = start(c.endpoint(), {logDir_, "4"});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("cmd: ./tessaly -d " + logDir_ + " -g ProcessTest\n"), std::string::npos);
  EXPECT_NE(r.output.find("Waiting 4 seconds for process to finish\n"), std::string::npos);
  EXPECT_NE(r.output.find("Batcher finished with exit code: 50\n"), std::string::npos) << r.output;
  EXPECT_EQ(checkNothingLost(), 2u);
  EXPECT_NE(c.log().find("HELLO ProcessTest"), std::string::npos);
}

TEST_F(UploadStarterE2E, MissingUploaderAndUsage) {
  std::filesystem::remove(cwd_ + "/tessaly");
  RunResult r = start("x:1", {logDir_, "0"});
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.output.find("Error in creating process: 2\n"), std::string::npos) << r.output;
  r = start("x:1", {});
  EXPECT_EQ(r.status, 255);
  EXPECT_NE(r.output.find("<logdir> [delay (def=15s)]\n"), std::string::npos);
  r = start("x:1", {logDir_, "-5"});
  EXPECT_EQ(r.status, 255);
}

// A stalled collector blocks the uploader (no time-outs): the starter
// reports it still running and leaves it; a later run, once the logs are
// old, terminates it and delivers.
TEST_F(UploadStarterE2E, StalledCollectorThenRecovery) {
  addLogs(2);
  makeOld();
  CollectorProcess stall(store_, {"--fault", "stall"});
  RunResult r = start(stall.endpoint(), {logDir_, "1"});
  int pid = pidOf(r);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Batcher is still running after 1 seconds.\n"), std::string::npos)
      << r.output;
  ASSERT_GT(pid, 0);
  EXPECT_EQ(::kill(pid, 0), 0) << "the starter must not stop the uploader";

  CollectorProcess good(store2_);
  RunResult later = run(good.endpoint());
  EXPECT_EQ(later.status, 50) << later.output;
  EXPECT_NE(later.output.find("[I50a]: Stuck batcher process killed."), std::string::npos);
  EXPECT_EQ(checkNothingLost(), 2u);
  // Whatever happened above, leave no uploader behind.
  for (int i = 0; i < 100 && ::kill(pid, 0) == 0; ++i) {
    if (i == 50) ::kill(pid, SIGKILL);
    platform::clock().sleepMillis(20);
  }
}

}  // namespace
