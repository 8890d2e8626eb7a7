// The launcher's parts: the argument rule, the login address, the client
// check, the installer search and the window's message handling.
#include <filesystem>
#include <map>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestDir.h"
#include "platform/Clock.h"
#include "platform/FakeClock.h"
#include "platform/FakeDialogs.h"
#include "platform/MemoryRegistry.h"
#include "zephgo/ClientCheck.h"
#include "zephgo/InstallerSearch.h"
#include "zephgo/LoginAddress.h"
#include "zephgo/SystemServices.h"
#include "zephgo/Window.h"

namespace zephgo {
namespace {

// Writes a file, making the folders on its way.
std::string put(const testing_support::TestDir& d, const std::string& name,
                const std::string& data) {
  std::filesystem::create_directories(std::filesystem::path(d / name).parent_path());
  return d.write(name, data);
}

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
    client_ = put(dir_, "zeph client/client.bin", "x");
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
  put(dir_, "cd/b/zeph0001.exe", "x");
  std::string deep = put(dir_, "cd/a/b/zeph0003.exe", "x");
  EXPECT_EQ(findInstaller(root_), deep) << "depth first, in name order";
  std::string top = put(dir_, "cd/zeph0009.exe", "x");
  EXPECT_EQ(findInstaller(root_), top) << "the root's files before its subdirectories";
}

TEST_F(ZephgoInstallerSearchTest, SkippedEntries) {
  put(dir_, "cd/.hidden/zeph0001.exe", "x");
  put(dir_, "cd/Recycled/zeph0002.exe", "x");
  dir_.mkdir("cd/zeph0003.exe");  // a directory, not an installer
  EXPECT_EQ(findInstaller(root_), std::nullopt);
  std::string inside = put(dir_, "cd/zeph0003.exe/zeph0004.exe", "x");
  EXPECT_EQ(findInstaller(root_), inside);
  EXPECT_EQ(findInstaller(dir_ / "missing"), std::nullopt);
  EXPECT_EQ(findInstaller(inside), std::nullopt) << "a file as root";
}

TEST_F(ZephgoInstallerSearchTest, LinksAndDeepTrees) {
  namespace fs = std::filesystem;
  dir_.mkdir("cd/a/b");
  fs::create_directory_symlink("..", dir_ / "cd/a/b/up");
  fs::create_directory_symlink(root_, dir_ / "cd/a/root");
  fs::create_symlink(dir_ / "nowhere", dir_ / "cd/a/dangling");
  EXPECT_EQ(findInstaller(root_), std::nullopt) << "looping links end";
  // A link to a folder elsewhere is followed.
  std::string outside = put(dir_, "other/zeph7777.exe", "x");
  fs::create_directory_symlink(dir_ / "other", dir_ / "cd/a/b/other");
  EXPECT_EQ(findInstaller(root_), dir_ / "cd/a/b/other/zeph7777.exe");
  // 300 levels deep.
  std::string path = "deep";
  for (int i = 0; i < 300; ++i) path += "/d";
  std::string bottom = put(dir_, path + "/zeph0001.exe", "x");
  EXPECT_EQ(findInstaller(dir_ / "deep"), bottom);
}

TEST_F(ZephgoInstallerSearchTest, UnreadableDirectoryIsPassedOver) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every directory";
  put(dir_, "cd/a/zeph0001.exe", "x");
  std::string found = put(dir_, "cd/b/zeph0002.exe", "x");
  std::filesystem::permissions(dir_ / "cd/a", std::filesystem::perms::none);
  EXPECT_EQ(findInstaller(root_), found);
  std::filesystem::permissions(dir_ / "cd/a", std::filesystem::perms::owner_all);
}

// A tree deeper than a path can name (made and removed through directory
// descriptors): the part that cannot be opened is passed over.
TEST_F(ZephgoInstallerSearchTest, TreeDeeperThanAPathCanName) {
  std::vector<int> fds{::open(dir_.mkdir("cd/a").c_str(), O_RDONLY | O_DIRECTORY)};
  const std::string name(200, 'd');
  for (int i = 0; i < 25 && fds.back() >= 0; ++i) {  // 5000 characters
    ::mkdirat(fds.back(), name.c_str(), 0755);
    fds.push_back(::openat(fds.back(), name.c_str(), O_RDONLY | O_DIRECTORY));
  }
  ASSERT_GE(fds.back(), 0);
  ::close(::openat(fds.back(), "zeph0001.exe", O_CREAT | O_WRONLY, 0644));
  std::string reachable = put(dir_, "cd/b/zeph0002.exe", "x");
  EXPECT_EQ(findInstaller(root_), reachable);
  ::unlinkat(fds.back(), "zeph0001.exe", 0);
  for (size_t i = fds.size() - 1; i > 0; --i) {
    ::close(fds[i]);
    ::unlinkat(fds[i - 1], name.c_str(), AT_REMOVEDIR);
  }
  ::close(fds[0]);
}

TEST_F(ZephgoInstallerSearchTest, DrivesInOrder) {
  std::string second = put(dir_, "cd2/sub/zeph0002.exe", "x");
  platform::FakeCdDrives drives({dir_ / "none", root_, dir_ / "cd2"});
  EXPECT_EQ(searchDrives(drives), second);
  std::string first = put(dir_, "cd/zeph0001.exe", "x");
  EXPECT_EQ(searchDrives(drives), first);
  platform::FakeCdDrives empty;
  EXPECT_EQ(searchDrives(empty), std::nullopt);
}

TEST(ZephgoWindowTest, MessageHandling) {
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
