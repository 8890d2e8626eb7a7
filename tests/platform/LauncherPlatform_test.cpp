// The platform pieces of the launcher: CD drives, terminal and desktop
// dialogs, the browser, child processes and the event loop.
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "platform/Browser.h"
#include "platform/CdDrives.h"
#include "platform/ChildProcess.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/FakeClock.h"
#include "platform/FileSystem.h"
#include "platform/TerminalDialogs.h"
#include "platform/ZenityDialogs.h"

namespace platform {
namespace {

using testing_support::FakeClock;
using testing_support::TestDir;
using Answer = Dialogs::Answer;

std::string script(const TestDir& dir, const std::string& name, const std::string& body) {
  std::string p = dir.write(name, "#!/bin/sh\n" + body);
  ::chmod(p.c_str(), 0755);
  return p;
}

// Waits (boundedly) for a file that a started program writes.
std::string awaitFile(const std::string& path) {
  for (int i = 0; i < 1000 && !exists(path); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return exists(path) ? readFile(path) : "";
}

TEST(ZephgoCdDrivesTest, OpticalMountsInMountOrder) {
  const char* table =
      "/dev/sda1 / ext4 rw,relatime 0 0\n"
      "/dev/sr0 /media/cdrom iso9660 ro,nosuid 0 0\n"
      "proc /proc proc rw 0 0\n"
      "/dev/sr1 /media/My\\040Disc udf ro 0 0\n"
      "short line\n"
      "\n"
      "/dev/loop0 /mnt/a\\134b\\0 iso9660 ro 0 0";
  EXPECT_EQ(SystemCdDrives::opticalMounts(table),
            (std::vector<std::string>{"/media/cdrom", "/media/My Disc", "/mnt/a\\b\\0"}));
  TestDir dir;
  SystemCdDrives fromFile(nullptr, dir.write("mounts", table));
  EXPECT_EQ(fromFile.roots().size(), 3u);
  SystemCdDrives noTable(nullptr, dir / "missing");
  EXPECT_TRUE(noTable.roots().empty());
}

TEST(ZephgoCdDrivesTest, OverrideList) {
  EXPECT_EQ(SystemCdDrives("/a:/b c::/d:", "/nonexistent").roots(),
            (std::vector<std::string>{"/a", "/b c", "/d"}));
  EXPECT_TRUE(SystemCdDrives("", "/proc/self/mounts").roots().empty())
      << "set but empty: no drives";
}

// A terminal's two ends: what the dialogs write, and what they read.
class ZephgoTerminalDialogsTest : public ::testing::Test {
 protected:
  ZephgoTerminalDialogsTest() : out_(std::tmpfile()), in_(std::tmpfile()) {}
  ~ZephgoTerminalDialogsTest() override {
    std::fclose(out_);
    std::fclose(in_);
  }
  void input(const std::string& s) {
    std::fputs(s.c_str(), in_);
    std::rewind(in_);
  }
  std::string output() {
    std::fflush(out_);
    std::rewind(out_);
    std::string s;
    int c;
    while ((c = std::fgetc(out_)) != EOF) s += static_cast<char>(c);
    return s;
  }
  std::FILE* out_;
  std::FILE* in_;
};

TEST_F(ZephgoTerminalDialogsTest, BoxesAndNotices) {
  TerminalDialogs d(out_, in_, false);
  d.message("Look for installer at http://zeph.example/", "INSTALLER NOT FOUND");
  d.message("Unexpected error[1].  Something's seriously wrong with \nthe system.", "zephgo");
  { auto n = d.notice("Starting default web browser to ZEPH"); }
  { auto n = d.notice("Starting default web browser to ZEPH"); }
  EXPECT_EQ(d.okCancel("Please put CD with ZEPH installer in CD drive", "INSTALLER NOT FOUND"),
            Answer::Cancel)
      << "no terminal: Cancel";
  { auto n = d.notice("Starting default web browser to ZEPH"); }
  EXPECT_EQ(output(),
            "[INSTALLER NOT FOUND] Look for installer at http://zeph.example/\n"
            "[zephgo] Unexpected error[1].  Something's seriously wrong with \nthe system.\n"
            "Starting default web browser to ZEPH\n"
            "[INSTALLER NOT FOUND] Please put CD with ZEPH installer in CD drive\n"
            "OK or Cancel? Cancel\n"
            "Starting default web browser to ZEPH\n");
}

TEST_F(ZephgoTerminalDialogsTest, ScriptedAnswers) {
  TerminalDialogs d(out_, in_, true, std::string("OK, cancel,maybe,Ok"));
  input("ok\n");  // never read: the script answers
  EXPECT_EQ(d.okCancel("t", "c"), Answer::Ok);
  EXPECT_EQ(d.okCancel("t", "c"), Answer::Cancel);
  EXPECT_EQ(d.okCancel("t", "c"), Answer::Cancel) << "not an answer: Cancel";
  EXPECT_EQ(d.okCancel("t", "c"), Answer::Ok);
  EXPECT_EQ(d.okCancel("t", "c"), Answer::Cancel) << "used up";
  EXPECT_NE(output().find("[c] t\nOK or Cancel? OK\n[c] t\nOK or Cancel? Cancel\n"),
            std::string::npos);
  TerminalDialogs empty(out_, in_, true, std::string(""));
  EXPECT_EQ(empty.okCancel("t", "c"), Answer::Ok) << "an empty answer is the default button";
}

TEST_F(ZephgoTerminalDialogsTest, QuestionOnTheTerminal) {
  input("perhaps\n  Y \n" + std::string(5000, 'x') + "\nc\n\n");
  TerminalDialogs d(out_, in_, true);
  EXPECT_EQ(d.okCancel("t", "c"), Answer::Ok);
  EXPECT_EQ(d.okCancel("t", "c"), Answer::Cancel) << "a long line is asked again";
  EXPECT_EQ(d.okCancel("t", "c"), Answer::Ok) << "Enter: OK";
  EXPECT_EQ(d.okCancel("t", "c"), Answer::Cancel) << "end of input";
  EXPECT_EQ(TerminalDialogs::parseAnswer("CANCEL"), Answer::Cancel);
  EXPECT_EQ(TerminalDialogs::parseAnswer("okay"), std::nullopt);
}

class ZephgoZenityDialogsTest : public ::testing::Test {
 protected:
  ZephgoZenityDialogsTest()
      : out_(std::tmpfile()), in_(std::tmpfile()), fallback_(out_, in_, false) {}
  ~ZephgoZenityDialogsTest() override {
    std::fclose(out_);
    std::fclose(in_);
  }
  // A dialog program that logs its arguments and exits with `status`.
  std::string fake(int status) {
    return script(dir_, "zenity" + std::to_string(status),
                  "for a in \"$@\"; do printf '%s|' \"$a\"; done >> " + dir_ / "log" +
                      "\necho >> " + dir_ / "log" + "\nexit " + std::to_string(status) + "\n");
  }
  std::string fallbackText() {
    std::fflush(out_);
    std::rewind(out_);
    char buf[256] = {0};
    size_t n = std::fread(buf, 1, sizeof buf - 1, out_);
    return std::string(buf, n);
  }
  TestDir dir_;
  std::FILE* out_;
  std::FILE* in_;
  TerminalDialogs fallback_;
};

TEST_F(ZephgoZenityDialogsTest, AnswersAndCommandLines) {
  ZenityDialogs ok(fake(0), fallback_);
  ok.message("Look for installer at http://zeph.example/", "INSTALLER NOT FOUND");
  EXPECT_EQ(ok.okCancel("Please put CD", "INSTALLER NOT FOUND"), Answer::Ok);
  ZenityDialogs cancel(fake(1), fallback_);
  EXPECT_EQ(cancel.okCancel("Please put CD", "INSTALLER NOT FOUND"), Answer::Cancel);
  std::string p0 = dir_ / "zenity0";
  std::string p1 = dir_ / "zenity1";
  EXPECT_EQ(readFile(dir_ / "log"),
            "--info|--no-markup|--title=INSTALLER NOT FOUND|--text=Look for installer at "
            "http://zeph.example/|\n"
            "--question|--no-markup|--title=INSTALLER NOT FOUND|--text=Please put CD|--ok-label=OK|"
            "--cancel-label=Cancel|\n"
            "--question|--no-markup|--title=INSTALLER NOT FOUND|--text=Please put CD|--ok-label=OK|"
            "--cancel-label=Cancel|\n");
  EXPECT_EQ(fallbackText(), "");
}

TEST_F(ZephgoZenityDialogsTest, FallsBackWhenItCannotShowTheBox) {
  ZenityDialogs broken(fake(5), fallback_);
  broken.message("m", "C");
  EXPECT_EQ(broken.okCancel("q", "C"), Answer::Cancel);
  ZenityDialogs missing(dir_ / "no-such-program", fallback_);
  missing.message("m2", "C");
  { auto n = missing.notice("Looking for ZEPH installer..."); }
  EXPECT_EQ(fallbackText(),
            "[C] m\n[C] q\nOK or Cancel? Cancel\n[C] m2\nLooking for ZEPH installer...\n");
}

TEST_F(ZephgoZenityDialogsTest, NoticeEndsItsProgram) {
  std::string marker = dir_ / "started";
  ZenityDialogs d(script(dir_, "zenity-notice", "touch " + marker + "\nexec sleep 60\n"),
                  fallback_);
  auto n = d.notice("Looking for ZEPH installer...");
  awaitFile(marker);
  EXPECT_TRUE(exists(marker));
  n.reset();  // returns only once the program has ended (it would sleep a minute)
}

TEST(ZephgoBrowserTest, CommandLines) {
  const std::string url = "http://zeph.example/login?game_id=1";
  using Lines = std::vector<std::vector<std::string>>;
  EXPECT_EQ(SystemBrowser(nullptr).commandsFor(url), (Lines{{"xdg-open", url}}));
  EXPECT_EQ(SystemBrowser(" : ").commandsFor(url), (Lines{{"xdg-open", url}}));
  EXPECT_EQ(SystemBrowser("firefox --new-tab:lynx %s:w3m -o x=%s%s").commandsFor(url),
            (Lines{{"firefox", "--new-tab", url}, {"lynx", url}, {"w3m", "-o", "x=" + url + url}}));
}

TEST(ZephgoBrowserTest, StartsTheFirstThatCanStart) {
  TestDir dir;
  std::string b = script(dir, "browser", "printf '%s' \"$1\" > " + dir / "opened" + "\n");
  std::string list = (dir / "missing-browser") + ":" + b;
  SystemBrowser browser(list.c_str());
  EXPECT_TRUE(browser.open("http://zeph.example/login?game_id=3"));
  EXPECT_EQ(awaitFile(dir / "opened"), "http://zeph.example/login?game_id=3");
  EXPECT_FALSE(SystemBrowser((dir / "missing-browser").c_str()).open("http://x/"));
  EXPECT_FALSE(SystemBrowser("no-such-browser-anywhere-zephgo").open("http://x/"));
}

TEST(ZephgoChildProcessTest, StatusesAndFailures) {
  TestDir dir;
  ChildProcess::Options quiet;
  quiet.nullOutput = true;
  EXPECT_EQ(ChildProcess::start({script(dir, "three", "exit 3\n")}, quiet).wait(), 3);
  EXPECT_EQ(ChildProcess::start({script(dir, "killed", "kill -9 $$\n")}, quiet).wait(), 128 + 9);
  EXPECT_THROW(ChildProcess::start({dir / "missing"}, quiet), base::IOError);
  std::string plain = dir.write("plain.exe", "MZ not a program");
  EXPECT_THROW(ChildProcess::start({plain}, quiet), base::IOError) << "not executable";
  ::chmod(plain.c_str(), 0755);
  EXPECT_THROW(ChildProcess::start({plain}, quiet), base::IOError) << "not a program";
  ChildProcess::Options search = quiet;
  search.searchPath = true;
  EXPECT_EQ(ChildProcess::start({"true"}, search).wait(), 0);
  ChildProcess sleeper = ChildProcess::start({"/bin/sleep", "60"}, quiet);
  ChildProcess moved = std::move(sleeper);
  EXPECT_EQ(sleeper.wait(), -1) << "moved from: holds nothing";
  moved.terminate();
  EXPECT_EQ(moved.wait(), -1);
}

TEST(ZephgoEventLoopTest, TimersRunOnThePlatformClock) {
  FakeClock clock(500);
  ScopedClock scoped(clock);
  EventLoop loop;
  std::vector<std::pair<int64_t, int64_t>> fired;  // (time, timer id)
  loop.setTimer(7, 1000);
  loop.setTimer(8, 2500);
  int code = loop.run([&](const LoopMessage& m) {
    ASSERT_EQ(m.id, EventLoop::kTimerMessage);
    fired.emplace_back(clock.currentTimeMillis(), m.param);
    if (m.param == 8) {
      loop.killTimer(7);
      loop.setTimer(9, 100);
    }
    if (m.param == 9) loop.quit(42);
  });
  EXPECT_EQ(code, 42);
  EXPECT_EQ(fired,
            (std::vector<std::pair<int64_t, int64_t>>{{1500, 7}, {2500, 7}, {3000, 8}, {3100, 9}}));
  EXPECT_TRUE(loop.hasTimer(8)) << "timers repeat until killed";
  EXPECT_FALSE(loop.hasTimer(7));
}

TEST(ZephgoEventLoopTest, MessagesFromAnotherThreadInOrder) {
  EventLoop loop;
  std::vector<int64_t> seen;
  std::thread poster([&] {
    for (int i = 0; i < 1000; ++i) loop.post(LoopMessage{1, i});
    loop.post(LoopMessage{2, 0});
  });
  int code = loop.run([&](const LoopMessage& m) {
    if (m.id == 2)
      loop.quit(static_cast<int>(seen.size()));
    else
      seen.push_back(m.param);
  });
  poster.join();
  EXPECT_EQ(code, 1000);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(seen[static_cast<size_t>(i)], i);
}

TEST(ZephgoEventLoopTest, PostedMessagesComeBeforeDueTimers) {
  FakeClock clock(0);
  ScopedClock scoped(clock);
  EventLoop loop;
  loop.setTimer(1, 10);
  clock.advance(50);
  loop.post(LoopMessage{5, 0});
  std::vector<uint32_t> order;
  loop.run([&](const LoopMessage& m) {
    order.push_back(m.id);
    if (m.id == EventLoop::kTimerMessage) loop.quit(0);
  });
  EXPECT_EQ(order, (std::vector<uint32_t>{5, EventLoop::kTimerMessage}));
}

}  // namespace
}  // namespace platform
