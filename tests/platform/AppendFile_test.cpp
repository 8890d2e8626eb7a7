#include "platform/AppendFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "TestDir.h"
#include "platform/FileSystem.h"

namespace {

using platform::AppendFile;
using testing_support::TestDir;

TEST(AppendFile, WritesGoToTheEndAndAreOnDiskAtOnce) {
  TestDir dir;
  dir.write("t.txt", "old\n");
  std::string error;
  auto f = AppendFile::open(dir / "t.txt", false, error);
  ASSERT_NE(f, nullptr) << error;
  ASSERT_TRUE(f->write("one\n"));
  // Read back while the file is still open: nothing waits in a buffer.
  EXPECT_EQ(dir.read("t.txt"), "old\none\n");
  ASSERT_TRUE(f->write(""));
  ASSERT_TRUE(f->write("two\n"));
  EXPECT_TRUE(f->close());
  EXPECT_EQ(dir.read("t.txt"), "old\none\ntwo\n");
}

TEST(AppendFile, FreshEmptiesAnExistingFileAndMissingOnesAreCreated) {
  TestDir dir;
  dir.write("t.txt", "old\n");
  std::string error;
  auto f = AppendFile::open(dir / "t.txt", true, error);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(platform::fileSize(dir / "t.txt"), 0);
  auto g = AppendFile::open(dir / "new.txt", false, error);
  ASSERT_NE(g, nullptr);
  EXPECT_TRUE(platform::isFile(dir / "new.txt"));
}

TEST(AppendFile, FailuresGiveTheSystemsReason) {
  TestDir dir;
  std::string error;
  EXPECT_EQ(AppendFile::open(dir / "missing/t.txt", false, error), nullptr);
  EXPECT_EQ(error, "No such file or directory");
  error.clear();
  EXPECT_EQ(AppendFile::open("", false, error), nullptr);
  EXPECT_FALSE(error.empty());
  dir.mkdir("sub");
  EXPECT_EQ(AppendFile::open(dir / "sub", false, error), nullptr);
  EXPECT_EQ(error, "Is a directory");

  auto full = AppendFile::open("/dev/full", false, error);
  ASSERT_NE(full, nullptr);
  EXPECT_FALSE(full->write("line\n"));
  EXPECT_EQ(full->error(), "No space left on device");
}

TEST(AppendFile, AClosedFileRefusesWrites) {
  TestDir dir;
  std::string error;
  auto f = AppendFile::open(dir / "t.txt", false, error);
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->close());
  EXPECT_TRUE(f->close());
  EXPECT_FALSE(f->write("late\n"));
  EXPECT_FALSE(f->error().empty());
  EXPECT_EQ(dir.read("t.txt"), "");
}

}  // namespace
