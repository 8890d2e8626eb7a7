// The launcher's parts: the argument rule, the login address, the client
// check, the installer search and the window's message handling.
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/Clock.h"
#include "platform/EventLoop.h"
#include "platform/FakeClock.h"
#include "platform/FakeDialogs.h"
#include "platform/MemoryRegistry.h"
#include "platform/System.h"
#include "zephgo/ClientCheck.h"
#include "zephgo/InstallerSearch.h"
#include "zephgo/LoginAddress.h"
#include "zephgo/SystemServices.h"
#include "zephgo/Window.h"

namespace zephgo {
namespace {

// The window's 20-second timers run at once on a fake clock where timers
// follow the platform clock (Linux). On Windows they are the system's, and
// the checks of zephgo.exe under Wine run them in real time.
#define SKIP_WHERE_TIMERS_ARE_THE_SYSTEMS()                 \
  if (!platform::EventLoop::timersFollowThePlatformClock()) \
  GTEST_SKIP() << "the window's timers are the system's here (20 s of real time)"

TEST(ZephgoArgumentTest, NumericRule) {
  for (const char* yes :
       {"0", "00", "0abc", "12", "12abc", " 7", "-3", "+4", "99999999999999999999"})
    EXPECT_TRUE(isNumericArgument(yes)) << yes;
  for (const char* no : {"", "abc", " 0", "-0", "+", " ", "x12"})
    EXPECT_FALSE(isNumericArgument(no)) << no;
}

TEST(ZephgoArgumentTest, LoginAddress) {
  EXPECT_EQ(loginAddress("123"), "http://zeph.example/login?game_id=123");
  EXPECT_EQ(loginAddress("a/b?c"), "http://zeph.example/login?game_id=a%2Fb%3Fc");
  EXPECT_EQ(loginAddress(std::string("\xff\x01", 2)), "http://zeph.example/login?game_id=%FF%01");
  // 34 characters before the id leave room for 989.
  EXPECT_TRUE(loginAddress(std::string(989, '9')));
  EXPECT_FALSE(loginAddress(std::string(990, '9')));
  EXPECT_FALSE(loginAddress(std::string(330, '&')));  // 990 once encoded
}

constexpr const char* kSpi = "HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi";
constexpr const char* kCommand =
    "HKEY_LOCAL_MACHINE\\Software\\Classes\\Zeph.Client\\Shell\\Open\\command";

class ZephgoClientCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    client_ = dir_.put("zeph client/client.bin", "x");
    reg_.setString(kSpi, "", "Zeph.Client");
  }
  testing_support::TestDir dir_;
  platform::MemoryRegistry reg_;
  std::string client_;
};

TEST_F(ZephgoClientCheckTest, QuotesAndPercentOneAreRemoved) {
  for (std::string cmd :
       {"\"" + client_ + "\" \"%1\"", client_ + " %1", "%1" + client_, "\"" + client_ + "\""}) {
    reg_.setString(kCommand, "", cmd);
    EXPECT_EQ(clientProgram(reg_), client_) << cmd;
    EXPECT_TRUE(clientInstalled(reg_)) << cmd;
  }
  // Key and value names are not case-sensitive.
  platform::MemoryRegistry other;
  other.setString("hkey_local_machine\\SOFTWARE\\classes\\.SPI", "", "Zeph.Client");
  other.setString("HKEY_LOCAL_MACHINE\\Software\\Classes\\zeph.client\\shell\\open\\Command", "",
                  client_);
  EXPECT_TRUE(clientInstalled(other));
}

TEST_F(ZephgoClientCheckTest, NotInstalled) {
  EXPECT_FALSE(clientInstalled(reg_)) << "no command";
  for (std::string cmd :
       std::vector<std::string>{"", "\"\" \"%1\"", "  %1%1 ", dir_ / "missing.bin",
                                dir_ / "zeph client" /* a directory */}) {
    reg_.setString(kCommand, "", cmd);
    EXPECT_FALSE(clientInstalled(reg_)) << cmd;
  }
  // A command too long for its buffer is not cut to something that exists.
  reg_.setString(kCommand, "", client_ + std::string(1024 - client_.size(), ' '));
  EXPECT_FALSE(clientInstalled(reg_));
  reg_.setString(kCommand, "", client_ + std::string(1023 - client_.size(), ' '));
  EXPECT_TRUE(clientInstalled(reg_));
  // A value of another type names nothing.
  platform::RegistryValue dword{platform::RegistryValue::Type::Dword, std::string(4, '\0'), 0};
  reg_.set(kCommand, "", dword);
  EXPECT_FALSE(clientInstalled(reg_));
  reg_.setString(kCommand, "", client_);
  reg_.setString(kSpi, "", "");
  EXPECT_FALSE(clientInstalled(reg_)) << "empty class";
}

TEST(ZephgoInstallerNameTest, Pattern) {
  for (const char* yes : {"zeph1234.exe", "ZEPH0100.EXE", "Zeph_ab!.ExE", "zeph    .exe"})
    EXPECT_TRUE(isInstallerName(yes)) << yes;
  for (const char* no : {"zeph123.exe", "zeph12345.exe", "xeph1234.exe", "zeph1234.ex_",
                         "zeph1234.exe.txt", "azeph1234.exe", ""})
    EXPECT_FALSE(isInstallerName(no)) << no;
}

class ZephgoInstallerSearchTest : public ::testing::Test {
 protected:
  testing_support::TestDir dir_;
  std::string root_ = dir_.mkdir("cd");
};

TEST_F(ZephgoInstallerSearchTest, OrderOfTheSearch) {
  EXPECT_EQ(findInstaller(root_), std::nullopt);
  dir_.put("cd/b/zeph0001.exe", "x");
  std::string deep = dir_.put("cd/a/b/zeph0003.exe", "x");
  EXPECT_EQ(findInstaller(root_), deep) << "depth first, in name order";
  std::string top = dir_.put("cd/zeph0009.exe", "x");
  EXPECT_EQ(findInstaller(root_), top) << "the root's files before its subdirectories";
}

TEST_F(ZephgoInstallerSearchTest, SkippedEntries) {
  dir_.put("cd/.hidden/zeph0001.exe", "x");
  dir_.put("cd/Recycled/zeph0002.exe", "x");
  dir_.mkdir("cd/zeph0003.exe");  // a directory, not an installer
  EXPECT_EQ(findInstaller(root_), std::nullopt);
  std::string inside = dir_.put("cd/zeph0003.exe/zeph0004.exe", "x");
  EXPECT_EQ(findInstaller(root_), inside);
  EXPECT_EQ(findInstaller(dir_ / "missing"), std::nullopt);
  EXPECT_EQ(findInstaller(inside), std::nullopt) << "a file as root";
}

TEST_F(ZephgoInstallerSearchTest, DeepTrees) {
  std::string path = "deep";
  for (int i = 0; i < 300; ++i) path += "/d";
  std::string bottom = dir_.put(path + "/zeph0001.exe", "x");
  EXPECT_EQ(findInstaller(dir_ / "deep"), bottom) << "300 levels deep";
}

TEST_F(ZephgoInstallerSearchTest, DrivesInOrder) {
  std::string second = dir_.put("cd2/sub/zeph0002.exe", "x");
  platform::FakeCdDrives drives({dir_ / "none", root_, dir_ / "cd2"});
  EXPECT_EQ(searchDrives(drives), second);
  std::string first = dir_.put("cd/zeph0001.exe", "x");
  EXPECT_EQ(searchDrives(drives), first);
  platform::FakeCdDrives empty;
  EXPECT_EQ(searchDrives(empty), std::nullopt);
}

TEST(ZephgoWindowTest, MessageHandling) {
  SKIP_WHERE_TIMERS_ARE_THE_SYSTEMS();
  testing_support::FakeClock clock(0);
  platform::ScopedClock scoped(clock);
  testing_support::FakeDialogs dialogs;
  Window w(dialogs);
  EXPECT_EQ(w.handle({Window::kQueryCancelAutoPlay, 0}), 0);
  w.setAutoPlayState(Window::kAutoPlaySuppressed);
  EXPECT_EQ(w.handle({Window::kQueryCancelAutoPlay, 0}), 1);
  w.setAutoPlayState(Window::kAutoPlayNormal);
  EXPECT_EQ(w.handle({12345, 0}), 0);
  // The result as it is when the window is destroyed is the loop's code.
  w.setResult(0);
  w.post(Window::kBrowserStarted);
  EXPECT_EQ(w.run(), 0);
  EXPECT_EQ(clock.currentTimeMillis(), 20000);
  EXPECT_TRUE(w.destroyed());
  EXPECT_FALSE(w.noticeShown());
  auto ev = dialogs.events();
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[0].time, 0);
  EXPECT_EQ(ev[1].time, 18000);
}

TEST(ZephgoWindowTest, CloseEndsAtOnceWithTheStoredResult) {
  testing_support::FakeClock clock(0);
  platform::ScopedClock scoped(clock);
  testing_support::FakeDialogs dialogs;
  Window fresh(dialogs);
  fresh.close();
  EXPECT_EQ(fresh.run(), 6) << "the initial result";
  Window w(dialogs);
  w.post(Window::kBrowserStarted);
  w.setResult(4);
  w.close();
  EXPECT_EQ(w.run(), 4);
  EXPECT_EQ(clock.currentTimeMillis(), 0);
  EXPECT_FALSE(w.noticeShown()) << "the notice goes with the window";
}

// The environment SystemServices sees, one per test.
struct Environment {
  explicit Environment(std::map<std::string, std::string> v) : vars(std::move(v)) {
    current = this;
  }
  ~Environment() { current = nullptr; }
  static const char* get(const char* name) {
    if (current == nullptr) return nullptr;
    auto it = current->vars.find(name);
    return it == current->vars.end() ? nullptr : it->second.c_str();
  }
  std::map<std::string, std::string> vars;
  static inline Environment* current = nullptr;
};

TEST(ZephgoSystemServicesTest, SetUpFromTheEnvironment) {
  if (platform::osName() != "Linux")
    GTEST_SKIP() << "the Linux layer's set-up; on Windows the services are the system's own";
  {
    Environment env({{"ZEPHGO_REGISTRY", "/r.reg"}, {"DISPLAY", ":0"}, {"HOME", "/home/u"}});
    SystemServices s(&Environment::get);
    EXPECT_EQ(s.registryPath(), "/r.reg");
    EXPECT_TRUE(s.desktopDialogs());
  }
  {
    Environment env({{"ZEPHGO_REGISTRY", ""},
                     {"WAYLAND_DISPLAY", "w"},
                     {"ZEPHGO_ANSWERS", ""},
                     {"HOME", "/home/u"}});
    SystemServices s(&Environment::get);
    EXPECT_EQ(s.registryPath(), "/home/u/.config/zephgo/registry.reg");
    EXPECT_FALSE(s.desktopDialogs()) << "scripted answers go to the terminal";
  }
  {
    Environment env({{"DISPLAY", ""}, {"XDG_CONFIG_HOME", "/cfg"}, {"ZEPHGO_CDROMS", "/a:/b"}});
    SystemServices s(&Environment::get);
    EXPECT_EQ(s.registryPath(), "/cfg/zephgo/registry.reg");
    EXPECT_FALSE(s.desktopDialogs());
    EXPECT_EQ(s.services().drives.roots(), (std::vector<std::string>{"/a", "/b"}));
  }
}

}  // namespace
}  // namespace zephgo
