// The installer search where only POSIX file systems can set the scene:
// symbolic links, a folder its owner cannot read, and a tree deeper than a
// path can name.
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestDir.h"
#include "zephgo/InstallerSearch.h"

namespace zephgo {
namespace {

class ZephgoInstallerSearchTest : public ::testing::Test {
 protected:
  testing_support::TestDir dir_;
  std::string root_ = dir_.mkdir("cd");
};

TEST_F(ZephgoInstallerSearchTest, Links) {
  namespace fs = std::filesystem;
  dir_.mkdir("cd/a/b");
  fs::create_directory_symlink("..", dir_ / "cd/a/b/up");
  fs::create_directory_symlink(root_, dir_ / "cd/a/root");
  fs::create_symlink(dir_ / "nowhere", dir_ / "cd/a/dangling");
  EXPECT_EQ(findInstaller(root_), std::nullopt) << "looping links end";
  // A link to a folder elsewhere is followed.
  std::string outside = dir_.put("other/zeph7777.exe", "x");
  fs::create_directory_symlink(dir_ / "other", dir_ / "cd/a/b/other");
  EXPECT_EQ(findInstaller(root_), dir_ / "cd/a/b/other/zeph7777.exe");
}

TEST_F(ZephgoInstallerSearchTest, UnreadableDirectoryIsPassedOver) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every directory";
  dir_.put("cd/a/zeph0001.exe", "x");
  std::string found = dir_.put("cd/b/zeph0002.exe", "x");
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
  std::string reachable = dir_.put("cd/b/zeph0002.exe", "x");
  EXPECT_EQ(findInstaller(root_), reachable);
  ::unlinkat(fds.back(), "zeph0001.exe", 0);
  for (size_t i = fds.size() - 1; i > 0; --i) {
    ::close(fds[i]);
    ::unlinkat(fds[i - 1], name.c_str(), AT_REMOVEDIR);
  }
  ::close(fds[0]);
}

}  // namespace
}  // namespace zephgo
