// The launcher driven through the platform doubles: the texts shown, the
// exit status, and what was touched on the way.
#include "zephgo/Zephgo.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/FakeClock.h"
#include "platform/FakeDialogs.h"
#include "platform/MemoryRegistry.h"
#include "zephgo/Messages.h"

namespace zephgo {
namespace {

// The window's 20-second timers run at once on a fake clock where timers
// follow the platform clock (Linux). On Windows they are the system's, and
// the checks of zephgo.exe under Wine run them in real time.
#define SKIP_WHERE_TIMERS_ARE_THE_SYSTEMS()                 \
  if (!platform::EventLoop::timersFollowThePlatformClock()) \
  GTEST_SKIP() << "the window's timers are the system's here (20 s of real time)"

using platform::Dialogs;
using testing_support::FakeDialogs;
using Kind = FakeDialogs::Event::Kind;

constexpr const char* kSpiKey = "HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi";
constexpr const char* kCommandKey =
    "HKEY_LOCAL_MACHINE\\Software\\Classes\\ZephClient\\Shell\\Open\\command";

class ZephgoRunTest : public ::testing::Test {
 protected:
  ZephgoRunTest() : clock_(1000000), scoped_(clock_), drives_({dir_.mkdir("cd")}) {}

  // What an installer leaves behind: the client's program and its keys.
  void installClient() {
    std::string client = dir_.put("client/zephclient", "#!/bin/sh\n");
    registry_.setString(kSpiKey, "", "ZephClient");
    registry_.setString(kCommandKey, "", "\"" + client + "\" \"%1\"");
  }

  int run(const std::vector<std::string>& args) {
    Services s{registry_,
               drives_,
               dialogs_,
               browser_,
               autoPlay_,
               programs_,
               [this](const std::string& n) { notes_.push_back(n); },
               startThread_};
    return zephgo::run(args, s);
  }

  std::string box(const std::string& caption, const std::string& text) {
    return caption + ": " + text;
  }

  int64_t elapsed() { return clock_.currentTimeMillis() - 1000000; }

  testing_support::TestDir dir_;
  testing_support::FakeClock clock_;
  platform::ScopedClock scoped_;
  platform::MemoryRegistry registry_;
  platform::FakeCdDrives drives_;
  FakeDialogs dialogs_;
  platform::FakeBrowser browser_;
  platform::FakeAutoPlay autoPlay_;
  platform::FakeProgramRunner programs_;
  std::vector<std::string> notes_;
  std::function<std::thread(std::function<void()>)> startThread_;
};

TEST_F(ZephgoRunTest, ArgumentCountOtherThanOneGivesTwo) {
  installClient();
  EXPECT_EQ(run({}), 2);
  EXPECT_EQ(run({"12", "13"}), 2);
  std::string expected = box("INVALID ARGUMENT COUNT", "Format is: zephgo.exe <game_class_id>");
  EXPECT_EQ(dialogs_.boxes(), (std::vector<std::string>{expected, expected}));
  EXPECT_TRUE(browser_.opened.empty());
  EXPECT_EQ(drives_.calls(), 0);
}

TEST_F(ZephgoRunTest, NumericArguments) {
  SKIP_WHERE_TIMERS_ARE_THE_SYSTEMS();
  installClient();
  EXPECT_EQ(run({"abc"}), 3);
  EXPECT_EQ(dialogs_.boxes(),
            (std::vector<std::string>{box("NON NUMERIC ARGUMENT",
                                          "First argument must be a number (the game class id)")}));
  EXPECT_EQ(run({"0"}), 0);
  EXPECT_EQ(run({"12abc"}), 0);
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{"http://zeph.example/login?game_id=0",
                                                       "http://zeph.example/login?game_id=12abc"}));
  EXPECT_EQ(dialogs_.boxes().size(), 1u);
}

TEST_F(ZephgoRunTest, InstalledClientOpensThePageWithoutLookingAtDrives) {
  SKIP_WHERE_TIMERS_ARE_THE_SYSTEMS();
  installClient();
  EXPECT_EQ(run({"42"}), 0);
  EXPECT_EQ(drives_.calls(), 0);
  EXPECT_EQ(autoPlay_.suppressed, 0);
  EXPECT_TRUE(programs_.runs.empty());
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{"http://zeph.example/login?game_id=42"}));
  EXPECT_TRUE(dialogs_.boxes().empty());
  // The browser notice while starting it, then the one that closes itself
  // after 18 s; the window closes 20 s after the start.
  auto ev = dialogs_.events();
  ASSERT_EQ(ev.size(), 4u);
  for (const auto& e : ev) EXPECT_EQ(e.text, "Starting default web browser to ZEPH");
  EXPECT_EQ(ev[0].kind, Kind::NoticeShown);
  EXPECT_EQ(ev[1].kind, Kind::NoticeClosed);
  EXPECT_EQ(ev[2].kind, Kind::NoticeShown);
  EXPECT_EQ(ev[3].kind, Kind::NoticeClosed);
  EXPECT_EQ(ev[3].time - ev[2].time, 18000);
  EXPECT_GE(elapsed(), 20000);
  EXPECT_LT(elapsed(), 20000 + 2 * platform::EventLoop::kPollMillis);
}

TEST_F(ZephgoRunTest, InstallerInASubdirectoryIsRunAndThePageOpened) {
  SKIP_WHERE_TIMERS_ARE_THE_SYSTEMS();
  std::string installer = dir_.put("cd/disk1/setup/ZEPH0100.EXE", "x");
  int noticesDuringInstall = -1;
  programs_ = platform::FakeProgramRunner([&](const std::vector<std::string>&) {
    noticesDuringInstall = dialogs_.openNotices();
    installClient();
    return 0;
  });
  EXPECT_EQ(run({"7"}), 0);
  EXPECT_EQ(programs_.runs, (std::vector<std::vector<std::string>>{{installer}}));
  EXPECT_EQ(noticesDuringInstall, 0) << "the search notice closes before the installer runs";
  EXPECT_EQ(autoPlay_.suppressed, 1);
  EXPECT_EQ(autoPlay_.restored, 1);
  EXPECT_EQ(browser_.opened, (std::vector<std::string>{"http://zeph.example/login?game_id=7"}));
  EXPECT_TRUE(dialogs_.boxes().empty());
  auto ev = dialogs_.events();
  ASSERT_FALSE(ev.empty());
  EXPECT_EQ(ev[0].text, "Looking for ZEPH installer...");
}

TEST_F(ZephgoRunTest, NotFoundAndCancelGivesOne) {
  EXPECT_EQ(run({"7"}), 1);
  EXPECT_EQ(dialogs_.boxes(),
            (std::vector<std::string>{
                box("INSTALLER NOT FOUND", "Please put CD with ZEPH installer in CD drive"),
                box("INSTALLER NOT FOUND", "Look for installer at http://zeph.example/")}));
  EXPECT_EQ(autoPlay_.suppressed, 1);
  EXPECT_EQ(autoPlay_.restored, 1);
  EXPECT_TRUE(browser_.opened.empty());
  EXPECT_EQ(elapsed(), 0) << "a failure closes the window at once";
}

TEST_F(ZephgoRunTest, OkSearchesAgainAndAClientStillMissingGivesFour) {
  dialogs_.setAnswers({Dialogs::Answer::Ok});
  dialogs_.onOkCancel([this] { dir_.put("cd/zeph2000.exe", "x"); });
  EXPECT_EQ(run({"7"}), 4);
  EXPECT_EQ(drives_.calls(), 2);
  EXPECT_EQ(programs_.runs.size(), 1u);
  EXPECT_EQ(dialogs_.boxes(),
            (std::vector<std::string>{
                box("INSTALLER NOT FOUND", "Please put CD with ZEPH installer in CD drive"),
                box("INSTALL FAILURE", "Installation failed or was cancelled")}));
  EXPECT_TRUE(browser_.opened.empty());
}

TEST_F(ZephgoRunTest, InstallerOutcomes) {
  SKIP_WHERE_TIMERS_ARE_THE_SYSTEMS();
  dir_.put("cd/zeph2000.exe", "x");
  // One that cannot be started counts as not installed.
  programs_ = platform::FakeProgramRunner([](const std::vector<std::string>&) -> int {
    throw base::IOError("Cannot run program: Exec format error");
  });
  EXPECT_EQ(run({"7"}), 4);
  ASSERT_EQ(notes_.size(), 1u);
  EXPECT_NE(notes_[0].find("could not be started"), std::string::npos);
  // One that fails but has installed the client: the client check decides.
  programs_ = platform::FakeProgramRunner([this](const std::vector<std::string>&) {
    installClient();
    return 3;
  });
  EXPECT_EQ(run({"7"}), 0);
  EXPECT_NE(notes_.back().find("ended with status 3"), std::string::npos);
}

TEST_F(ZephgoRunTest, BrowserThatCannotStartGivesFive) {
  installClient();
  browser_ = platform::FakeBrowser(false);
  EXPECT_EQ(run({"9"}), 5);
  EXPECT_EQ(dialogs_.boxes(),
            (std::vector<std::string>{box("ShellExecute() error",
                                          "Couldn't launch default web browser to ZEPH.  Please "
                                          "browse to\nhttp://zeph.example/login?game_id=9")}));
  auto ev = dialogs_.events();
  ASSERT_EQ(ev.size(), 3u);
  EXPECT_EQ(ev[0].kind, Kind::NoticeShown);
  EXPECT_EQ(ev[1].kind, Kind::Message);
  EXPECT_EQ(ev[2].kind, Kind::NoticeClosed);
  EXPECT_EQ(elapsed(), 0);
}

TEST_F(ZephgoRunTest, RecycledFolderIsSkipped) {
  dir_.put("cd/Recycled/zeph0001.exe", "x");
  EXPECT_EQ(run({"7"}), 1);
  EXPECT_TRUE(programs_.runs.empty());
}

TEST_F(ZephgoRunTest, AddressLimitAndUnsafeCharacters) {
  SKIP_WHERE_TIMERS_ARE_THE_SYSTEMS();
  installClient();
  const size_t room = kMaxAddressLength - std::string("http://zeph.example/login?game_id=").size();
  EXPECT_EQ(run({std::string(room, '1')}), 0);
  ASSERT_EQ(browser_.opened.size(), 1u);
  EXPECT_EQ(browser_.opened[0].size(), kMaxAddressLength);
  // One more character: refused before anything else happens.
  EXPECT_EQ(run({std::string(room + 1, '1')}), 3);
  EXPECT_EQ(dialogs_.boxes(), (std::vector<std::string>{box("INVALID ARGUMENT", kTooLongText)}));
  EXPECT_EQ(browser_.opened.size(), 1u);
  // A very long argument is refused the same way.
  EXPECT_EQ(run({"5" + std::string(100000, 'x')}), 3);
  // Characters that would change the query are encoded.
  EXPECT_EQ(run({"12&admin=1 #x"}), 0);
  EXPECT_EQ(browser_.opened.back(), "http://zeph.example/login?game_id=12%26admin%3D1%20%23x");
}

TEST_F(ZephgoRunTest, ThreadThatCannotStartEndsWithSix) {
  installClient();
  startThread_ = [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
  EXPECT_EQ(run({"7"}), 6);
  EXPECT_EQ(dialogs_.boxes(),
            (std::vector<std::string>{box("zephgo",
                                          "Unexpected error[3].  Something's seriously wrong "
                                          "with \nthe system.  Try restarting Windows.")}));
  EXPECT_TRUE(browser_.opened.empty());
}

// A registry that fails in a way nothing expects, from its `failAt`-th
// lookup on (each client check looks once when nothing is installed).
class BrokenRegistry : public platform::Registry {
 public:
  explicit BrokenRegistry(int failAt = 1) : failAt_(failAt) {}
  std::optional<platform::RegistryValue> value(std::string_view, std::string_view) const override {
    if (++calls_ >= failAt_) throw std::runtime_error("broken");
    return std::nullopt;
  }

 private:
  int failAt_;
  mutable int calls_ = 0;
};

TEST_F(ZephgoRunTest, UnexpectedFailureInTheWorkerEndsWithSix) {
  BrokenRegistry broken;
  Services s{broken,
             drives_,
             dialogs_,
             browser_,
             autoPlay_,
             programs_,
             [this](const std::string& n) { notes_.push_back(n); },
             nullptr};
  EXPECT_EQ(zephgo::run({"7"}, s), 6);
  ASSERT_EQ(notes_.size(), 1u);
  EXPECT_NE(notes_[0].find("broken"), std::string::npos);
}

TEST_F(ZephgoRunTest, AutoPlayComesBackAfterAnUnexpectedFailure) {
  dir_.put("cd/zeph0001.exe", "x");
  BrokenRegistry failsAfterInstall(2);
  Services s{failsAfterInstall,
             drives_,
             dialogs_,
             browser_,
             autoPlay_,
             programs_,
             [this](const std::string& n) { notes_.push_back(n); },
             nullptr};
  EXPECT_EQ(zephgo::run({"7"}, s), 6);
  EXPECT_EQ(programs_.runs.size(), 1u);
  EXPECT_EQ(autoPlay_.suppressed, 1);
  EXPECT_EQ(autoPlay_.restored, 1);
}

}  // namespace
}  // namespace zephgo
