// What every system's side of the platform layer promises, checked through
// the interfaces alone, so that the same tests run on Linux and, cross-built,
// on Windows: files and directories (names outside ASCII included), files
// written at offsets, appending, the clock, sockets on the loopback address,
// the process table and detached processes.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Failure.h"
#include "platform/AppendFile.h"
#include "platform/Clock.h"
#include "platform/DetachedProcess.h"
#include "platform/FaultyFiles.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "platform/Os.h"
#include "platform/OutputFile.h"
#include "platform/ProcessTable.h"
#include "platform/RandomAccessFile.h"
#include "platform/Socket.h"
#include "platform/System.h"

namespace platform {
namespace {

using testing_support::FaultyFiles;

// A fresh directory under the system's temporary folder, removed with its
// content at the end. Its paths are joined with the platform's separator.
class ScratchDir {
 public:
  ScratchDir() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
      root_ = std::filesystem::temp_directory_path() /
              ("brim-platform-" + std::to_string(seed()) + "-" + std::to_string(attempt));
      if (std::filesystem::create_directory(root_)) break;
    }
    const std::u8string u = root_.u8string();
    path_.assign(u.begin(), u.end());
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + kSeparator + name; }

 private:
  std::filesystem::path root_;
  std::string path_;
};

std::vector<uint8_t> bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

// Names in UTF-8: Latin-1 letters, a letter of no Western code page, a
// character beyond the 16-bit range.
const std::string kLatin = "caf\xc3\xa9";
const std::string kGreek = "\xce\xb1\xce\xb2\xce\xb3";
const std::string kBeyond = "note-\xf0\x9f\x8e\xb5";

// --- Files and directories ---------------------------------------------------

TEST(PlatformFiles, NamesOutsideAsciiAreWrittenFoundListedAndReadBack) {
  ScratchDir dir;
  const std::string sub = dir / kGreek;
  ASSERT_TRUE(makeDirectory(sub));
  EXPECT_TRUE(isDirectory(sub));
  writeFile(sub + kSeparator + kLatin + ".txt", "one");
  writeFile(sub + kSeparator + kBeyond + ".log", std::string("two\0bytes", 9));
  writeFile(sub + kSeparator + "plain", "");

  EXPECT_TRUE(exists(sub + kSeparator + kLatin + ".txt"));
  EXPECT_TRUE(isFile(sub + kSeparator + kLatin + ".txt"));
  EXPECT_FALSE(isFile(sub));
  EXPECT_EQ(readFile(sub + kSeparator + kBeyond + ".log"), std::string("two\0bytes", 9));
  EXPECT_EQ(fileSize(sub + kSeparator + kBeyond + ".log"), 9);
  // Byte order of the UTF-8 names, whatever order the system keeps them in.
  EXPECT_EQ(listDirectory(sub),
            (std::vector<std::string>{kLatin + ".txt", kBeyond + ".log", "plain"}));
  EXPECT_EQ(listDirectory(dir.path()), std::vector<std::string>{kGreek});
  EXPECT_EQ(baseName(sub + kSeparator + kLatin + ".txt"), kLatin + ".txt");
}

TEST(PlatformFiles, WhatIsMissingOrOfTheWrongKindFails) {
  ScratchDir dir;
  writeFile(dir / "file", "x");
  EXPECT_FALSE(exists(dir / "missing"));
  EXPECT_FALSE(exists(""));
  EXPECT_FALSE(isDirectory(dir / "file"));
  EXPECT_THROW(readFile(dir / "missing"), base::IOError);
  EXPECT_THROW(readFile(dir.path()), base::IOError);
  EXPECT_THROW(listDirectory(dir / "missing"), base::IOError);
  EXPECT_THROW(listDirectory(dir / "file"), base::IOError);
  EXPECT_THROW(fileSize(dir / "missing"), base::IOError);
  EXPECT_THROW(writeFile(dir / "missing" + kSeparator + "x", "y"), base::IOError);
  EXPECT_EQ(lastModifiedMillis(dir / "missing"), 0);
  EXPECT_TRUE(canWrite(dir / "file"));
  EXPECT_TRUE(canWrite(dir.path()));
  EXPECT_FALSE(canWrite(dir / "missing"));
}

TEST(PlatformFiles, RenamesReplaceOnlyWhenAskedTo) {
  ScratchDir dir;
  writeFile(dir / "a", "A");
  writeFile(dir / "b", "B");
  EXPECT_FALSE(renameNoReplace(dir / "a", dir / "b"));
  EXPECT_EQ(readFile(dir / "a"), "A");
  EXPECT_EQ(readFile(dir / "b"), "B");
  EXPECT_TRUE(renameNoReplace(dir / "a", dir / kLatin));
  EXPECT_FALSE(exists(dir / "a"));
  EXPECT_EQ(readFile(dir / kLatin), "A");

  EXPECT_TRUE(replaceFile(dir / kLatin, dir / "b"));
  EXPECT_FALSE(exists(dir / kLatin));
  EXPECT_EQ(readFile(dir / "b"), "A");
  EXPECT_TRUE(replaceFile(dir / "b", dir / "c"));  // a missing target is no obstacle
  EXPECT_EQ(readFile(dir / "c"), "A");
  EXPECT_FALSE(replaceFile(dir / "b", dir / "c"));
  EXPECT_FALSE(renameNoReplace(dir / "b", dir / "d"));
}

TEST(PlatformFiles, DirectoriesAreMadeOnceAndRemovedWhenEmpty) {
  ScratchDir dir;
  const std::string d = dir / "d";
  EXPECT_TRUE(makeDirectory(d));
  EXPECT_FALSE(makeDirectory(d));
  ensureDirectory(d);  // already there: fine
  writeFile(dir / "f", "x");
  EXPECT_THROW(ensureDirectory(dir / "f"), base::IOError);
  writeFile(d + kSeparator + "inside", "x");
  EXPECT_FALSE(removePath(d));
  EXPECT_TRUE(removePath(d + kSeparator + "inside"));
  EXPECT_TRUE(removePath(d));
  EXPECT_FALSE(exists(d));
  EXPECT_TRUE(removePath(dir / "f"));
  EXPECT_FALSE(removePath(dir / "f"));
  syncDirectory(dir.path());
  EXPECT_THROW(syncDirectory(dir / "missing"), base::IOError);
}

TEST(PlatformFiles, ModificationTimesKeepTheirMilliseconds) {
  ScratchDir dir;
  writeFile(dir / "f", "x");
  const int64_t when = 1700000000123;  // 2023-11-14
  ASSERT_TRUE(setLastModifiedMillis(dir / "f", when));
  EXPECT_EQ(lastModifiedMillis(dir / "f"), when);
  EXPECT_FALSE(setLastModifiedMillis(dir / "missing", when));

  writeFile(dir / "now", "x");
  const int64_t now = clock().currentTimeMillis();
  EXPECT_LT(std::llabs(lastModifiedMillis(dir / "now") - now), 60 * 1000);
}

TEST(PlatformFiles, CanonicalPathsResolveDotsAndAreAbsolute) {
  ScratchDir dir;
  ASSERT_TRUE(makeDirectory(dir / "sub"));
  writeFile(dir / "f", "x");
  const std::string direct = canonicalPath(dir / "f");
  const std::string s(1, kSeparator);
  EXPECT_EQ(canonicalPath(dir.path() + s + "sub" + s + ".." + s + "." + s + "f"), direct);
  EXPECT_EQ(baseName(direct), "f");
  EXPECT_TRUE(isFile(direct));
  // Something missing: resolved in the text alone.
  EXPECT_EQ(canonicalPath(dir.path() + s + "sub" + s + ".." + s + "new"),
            canonicalPath(dir.path()) + s + "new");
}

TEST(PlatformFiles, CopiesAreAllOrNothing) {
  ScratchDir dir;
  std::string big(3 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131) % 251);
  writeFile(dir / "from", big);
  writeFile(dir / kGreek, "old");
  copyFile(dir / "from", dir / kGreek);
  EXPECT_EQ(readFile(dir / kGreek), big);
  EXPECT_FALSE(exists(dir / (kGreek + ".part")));

  FaultyFiles faults;
  faults.fail(FaultyOs::Op::kWrite, ".part");
  writeFile(dir / "to", "kept");
  EXPECT_THROW(os().copyFile(dir / "from", dir / "to"), base::IOError);
  EXPECT_EQ(readFile(dir / "to"), "kept");
  EXPECT_FALSE(exists(dir / "to.part"));
}

// --- Files written at offsets, appended, created ------------------------------

TEST(PlatformFiles, RandomAccessFilesReadAndWriteAtOffsets) {
  ScratchDir dir;
  const std::string p = dir / (kLatin + ".db");
  EXPECT_THROW(RandomAccessFile::open(p, RandomAccessFile::Mode::kReadOnly), base::IOError);
  RandomAccessFile f = RandomAccessFile::open(p, RandomAccessFile::Mode::kReadWrite);
  ASSERT_TRUE(f.isOpen());
  EXPECT_EQ(f.size(), 0);
  const auto abc = bytes("abc");
  f.writeAt(5, abc);  // the gap reads as zeros
  EXPECT_EQ(f.size(), 8);
  std::vector<uint8_t> out(16, 0xff);
  EXPECT_EQ(f.readAt(0, out), 8u);
  EXPECT_EQ(std::string(out.begin(), out.begin() + 8), std::string("\0\0\0\0\0abc", 8));
  EXPECT_EQ(f.readAt(6, std::span<uint8_t>(out.data(), 1)), 1u);
  EXPECT_EQ(out[0], 'b');
  EXPECT_EQ(f.readAt(100, out), 0u);

  f.truncate(6);
  EXPECT_EQ(f.size(), 6);
  f.truncate(10);
  EXPECT_EQ(f.readAt(0, out), 10u);
  EXPECT_EQ(std::string(out.begin(), out.begin() + 10), std::string("\0\0\0\0\0a\0\0\0\0", 10));
  f.sync();
  f.close();
  EXPECT_FALSE(f.isOpen());
  EXPECT_THROW(f.size(), base::IOError);

  RandomAccessFile again = RandomAccessFile::open(p, RandomAccessFile::Mode::kReadWrite);
  EXPECT_EQ(again.size(), 10);  // kept
  RandomAccessFile emptied = RandomAccessFile::open(p, RandomAccessFile::Mode::kTruncate);
  EXPECT_EQ(emptied.size(), 0);
  EXPECT_THROW(RandomAccessFile::open(dir.path(), RandomAccessFile::Mode::kReadOnly),
               base::IOError);
}

TEST(PlatformFiles, AppendedWritesGoToTheEnd) {
  ScratchDir dir;
  const std::string p = dir / (kBeyond + ".trace");
  std::string error;
  auto a = AppendFile::open(p, false, error);
  ASSERT_NE(a, nullptr) << error;
  ASSERT_TRUE(a->write("one\n"));
  EXPECT_EQ(readFile(p), "one\n");  // nothing waits in a buffer
  ASSERT_TRUE(a->close());
  auto b = AppendFile::open(p, false, error);
  ASSERT_NE(b, nullptr) << error;
  ASSERT_TRUE(b->write("two\n"));
  b.reset();
  EXPECT_EQ(readFile(p), "one\ntwo\n");
  auto c = AppendFile::open(p, true, error);
  ASSERT_NE(c, nullptr) << error;
  ASSERT_TRUE(c->write("three\n"));
  c.reset();
  EXPECT_EQ(readFile(p), "three\n");

  error.clear();
  EXPECT_EQ(AppendFile::open(dir / "missing" + kSeparator + "t", false, error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST(PlatformFiles, OutputFilesReplaceOrInsistOnANewName) {
  ScratchDir dir;
  const std::string p = dir / kGreek;
  auto f = OutputFile::open(p, OutputFile::Mode::kCreateNew);
  ASSERT_NE(f, nullptr);
  const auto data = bytes("first, longer");
  ASSERT_TRUE(f->write(data.data(), data.size()));
  ASSERT_TRUE(f->close());
  EXPECT_EQ(OutputFile::open(p, OutputFile::Mode::kCreateNew), nullptr);
  EXPECT_EQ(readFile(p), "first, longer");
  auto g = OutputFile::open(p, OutputFile::Mode::kReplace);
  ASSERT_NE(g, nullptr);
  const auto second = bytes("second");
  ASSERT_TRUE(g->write(second.data(), second.size()));
  g.reset();
  EXPECT_EQ(readFile(p), "second");
  EXPECT_EQ(OutputFile::open("", OutputFile::Mode::kReplace), nullptr);
}

// --- Time ----------------------------------------------------------------------

TEST(PlatformTime, TheClockIsTheWallClockAndSleepsAtLeastAsLong) {
  const int64_t system = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
  const int64_t before = clock().currentTimeMillis();
  EXPECT_LT(std::llabs(before - system), 1000);
  clock().sleepMillis(60);
  EXPECT_GE(clock().currentTimeMillis() - before, 55);
}

TEST(PlatformTime, LocalTimeAndBackGiveTheSamePoint) {
  for (std::time_t t : {std::time_t{172800}, std::time_t{951782400}, std::time_t{1700000000}}) {
    std::tm tm{};
    ASSERT_TRUE(localTime(t, tm));
    tm.tm_isdst = -1;
    EXPECT_EQ(fromLocalTime(tm), t);
  }
}

// --- Sockets on the loopback address --------------------------------------------

TEST(PlatformSockets, BytesTravelBothWaysAndTheEndIsSeen) {
  std::string error;
  Listener listener = Listener::open("127.0.0.1", 0, &error);
  ASSERT_TRUE(listener.isOpen()) << error;
  ASSERT_GT(listener.port(), 0);
  std::unique_ptr<Connection> client = systemNetwork().connect("127.0.0.1", listener.port());
  ASSERT_NE(client, nullptr);
  Socket server = listener.accept();
  ASSERT_TRUE(server.isOpen());
  EXPECT_EQ(server.peerText().rfind("127.0.0.1:", 0), 0u) << server.peerText();

  EXPECT_EQ(server.waitReadable(0), Connection::Readiness::kQuiet);
  ASSERT_EQ(client->sendOnce("hello", 5), 5);
  ASSERT_EQ(server.waitReadable(5000), Connection::Readiness::kReadable);
  char buf[16];
  ASSERT_EQ(server.receive(buf, sizeof buf), 5);
  EXPECT_EQ(std::string(buf, 5), "hello");
  ASSERT_TRUE(server.sendAll("ACK\n", 4));
  ASSERT_EQ(client->receive(buf, sizeof buf), 4);
  EXPECT_EQ(std::string(buf, 4), "ACK\n");

  ASSERT_TRUE(server.setReceiveTimeout(100));
  EXPECT_EQ(server.receive(buf, sizeof buf), -1);  // nothing came in time
  client.reset();
  EXPECT_EQ(server.waitReadable(5000), Connection::Readiness::kReadable);
  EXPECT_EQ(server.receive(buf, sizeof buf), 0);
}

TEST(PlatformSockets, ABoundPortLocksOutEveryOtherSocket) {
  BindFailure failure = BindFailure::kNone;
  Socket first = bindLocalPort(0, &failure);
  ASSERT_EQ(failure, BindFailure::kNone);
  const uint16_t port = first.localPort();
  ASSERT_GT(port, 0);
  Socket second = bindLocalPort(port, &failure);
  EXPECT_EQ(failure, BindFailure::kInUse);
  EXPECT_FALSE(second.isOpen());
  std::string error;
  Listener listener = Listener::open("127.0.0.1", port, &error);
  EXPECT_FALSE(listener.isOpen());  // not even with address reuse
  first.close();
  Socket third = bindLocalPort(port, &failure);
  EXPECT_EQ(failure, BindFailure::kNone);
  EXPECT_TRUE(third.isOpen());
}

TEST(PlatformSockets, NamesAndAddresses) {
  EXPECT_EQ(resolveIPv4("127.0.0.1"), std::optional<uint32_t>(0x7F000001u));
  EXPECT_EQ(resolveIPv4(""), std::nullopt);
  EXPECT_EQ(dottedQuad(0x7F000001u), "127.0.0.1");
  std::optional<std::string> name = localHostName();
  ASSERT_TRUE(name.has_value());
  EXPECT_FALSE(name->empty());
  // Nobody listens on a port that was only bound.
  BindFailure failure;
  Socket bound = bindLocalPort(0, &failure);
  ASSERT_TRUE(bound.isOpen());
  EXPECT_EQ(systemNetwork().connect("127.0.0.1", bound.localPort()), nullptr);
}

// --- Processes -----------------------------------------------------------------

TEST(PlatformProcesses, TheTableShowsThisProgramWithItsExecutable) {
  ProcessTable& table = systemProcessTable();
  const std::string own = table.ownExecutable();
  ASSERT_FALSE(own.empty());
  EXPECT_TRUE(isFile(own));
  EXPECT_EQ(own.substr(0, own.rfind(kSeparator)), installationHome());
  std::optional<std::vector<ProcessEntry>> list = table.list();
  ASSERT_TRUE(list.has_value());
  bool found = false;
  for (const ProcessEntry& e : *list) {
    if (e.pid == table.ownPid()) {
      found = true;
      EXPECT_EQ(e.executable, own);
    }
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(table.open(0), nullptr);
}

// Run by the test below in a process of its own; skipped otherwise.
TEST(PlatformProcesses, DISABLED_EndsWithSeven) { std::exit(7); }

TEST(PlatformProcesses, ADetachedProgramRunsOnAndItsExitCodeIsRead) {
  const std::string self = systemProcessTable().ownExecutable();
  DetachedProcess p = DetachedProcess::start(
      {self, "--gtest_also_run_disabled_tests", "--gtest_filter=*DISABLED_EndsWithSeven"});
  ASSERT_GT(p.pid(), 0) << p.error();
  int code = DetachedProcess::kStillActive;
  int error = 0;
  for (int i = 0; i < 3000 && code == DetachedProcess::kStillActive; ++i) {
    ASSERT_TRUE(p.exitCode(&code, &error)) << error;
    if (code == DetachedProcess::kStillActive) clock().sleepMillis(10);
  }
  EXPECT_EQ(code, 7);
  ASSERT_TRUE(p.exitCode(&code, &error));  // read again once it ended
  EXPECT_EQ(code, 7);
}

TEST(PlatformProcesses, AMissingProgramIsAnErrorNumber) {
  ScratchDir dir;
  DetachedProcess p = DetachedProcess::start({dir / "missing", "x"});
  EXPECT_EQ(p.pid(), -1);
  EXPECT_NE(p.error(), 0);
  int code = 0;
  int error = 0;
  EXPECT_FALSE(p.exitCode(&code, &error));
  EXPECT_NE(error, 0);
  EXPECT_EQ(DetachedProcess::start({}).pid(), -1);
}

}  // namespace
}  // namespace platform
