// The platform's pieces under the test helpers (tests/TestDir.h): temporary
// folders and standard streams sent into a file.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/StreamRedirect.h"
#include "platform/TemporaryDirectory.h"

namespace {

using platform::StandardStream;
using platform::StreamRedirect;
using testing_support::StderrCapture;
using testing_support::StdoutCapture;
using testing_support::TestDir;

TEST(TemporaryDirectory, EachIsNewEmptyAndNamedWithThePrefix) {
  std::set<std::string> seen;
  for (int i = 0; i < 5; ++i) {
    const std::string dir = platform::createTemporaryDirectory("brimtest");
    EXPECT_TRUE(platform::isDirectory(dir)) << dir;
    EXPECT_TRUE(platform::listDirectory(dir).empty()) << dir;
    const std::string name = std::filesystem::path(dir).filename().string();
    EXPECT_EQ(name.substr(0, 8), "brimtest") << dir;
    EXPECT_GT(name.size(), 8u) << dir;
    EXPECT_TRUE(seen.insert(dir).second) << "made twice: " << dir;
    platform::writeFile(dir + "/f", "x");
    EXPECT_EQ(platform::readFile(dir + "/f"), "x");
  }
  for (const auto& dir : seen) {
    EXPECT_TRUE(platform::removeDirectoryTree(dir)) << dir;
    EXPECT_FALSE(platform::exists(dir)) << dir;
  }
}

TEST(TemporaryDirectory, RemovingTakesNestedAndWriteProtectedEntries) {
  const std::string dir = platform::createTemporaryDirectory("brimtest");
  platform::ensureDirectory(dir + "/a");
  platform::ensureDirectory(dir + "/a/b");
  platform::writeFile(dir + "/a/b/deep", "1");
  platform::writeFile(dir + "/a/locked", "2");
  platform::writeFile(dir + "/top", "3");
  namespace fs = std::filesystem;
  fs::permissions(dir + "/a/locked", fs::perms::owner_read, fs::perm_options::replace);
  fs::permissions(dir + "/top", fs::perms::owner_read, fs::perm_options::replace);
  // A folder left unreadable and unwritable (on Windows: read-only).
  fs::permissions(dir + "/a/b", fs::perms::none, fs::perm_options::replace);
  EXPECT_TRUE(platform::removeDirectoryTree(dir));
  EXPECT_FALSE(platform::exists(dir));
  // Nothing there: nothing to do.
  EXPECT_TRUE(platform::removeDirectoryTree(dir));
}

TEST(TemporaryDirectory, TestDirMakesNestedFoldersAndRemovesItsOwn) {
  std::string path;
  {
    TestDir d;
    path = d.path();
    const std::string deep = d.mkdir("x/y/z");
    EXPECT_TRUE(platform::isDirectory(deep));
    EXPECT_EQ(d.mkdir("x/y/z"), deep);  // there already: no failure
    d.write("x/y/z/f.txt", "data");
    EXPECT_EQ(d.read("x/y/z/f.txt"), "data");
  }
  EXPECT_FALSE(platform::exists(path));
}

TEST(StreamRedirect, EveryWayOfWritingReachesTheFileUntilRestored) {
  TestDir d;
  StdoutCapture before;  // where standard output went before
  {
    StreamRedirect r(StandardStream::output, d / "out");
    std::printf("printf\n");
    std::fputs("fputs\n", stdout);
    std::cout << "cout" << std::endl;
    std::fwrite("a\r\nb\n", 1, 5, stdout);  // bytes as written, no line ends added
    r.restore();
    std::printf("after\n");
    r.restore();  // a second call does nothing
    std::cout << "later" << std::endl;
  }
  EXPECT_EQ(d.read("out"), "printf\nfputs\ncout\na\r\nb\n");
  EXPECT_EQ(before.text(), "after\nlater\n");
}

TEST(StreamRedirect, StandardErrorApartFromStandardOutput) {
  TestDir d;
  {
    StreamRedirect out(StandardStream::output, d / "out");
    StreamRedirect err(StandardStream::error, d / "err");
    std::fprintf(stderr, "to err\n");
    std::cerr << "cerr\n";
    std::printf("to out\n");
  }
  EXPECT_EQ(d.read("out"), "to out\n");
  EXPECT_EQ(d.read("err"), "to err\ncerr\n");
}

TEST(StreamRedirect, AFileThatCannotBeCreatedThrows) {
  TestDir d;
  EXPECT_THROW(StreamRedirect(StandardStream::output, d / "missing/out"), base::IOError);
  // The stream was left alone.
  StdoutCapture cap;
  std::printf("still\n");
  EXPECT_EQ(cap.text(), "still\n");
}

TEST(StreamRedirect, CapturesNestAndEachGetsItsOwnText) {
  StdoutCapture outer;
  std::printf("one\n");
  {
    StdoutCapture inner;
    std::printf("two\n");
    EXPECT_EQ(inner.text(), "two\n");
  }
  std::printf("three\n");
  StderrCapture err;
  std::fprintf(stderr, "four\n");
  EXPECT_EQ(err.text(), "four\n");
  EXPECT_EQ(outer.text(), "one\nthree\n");
}

}  // namespace
