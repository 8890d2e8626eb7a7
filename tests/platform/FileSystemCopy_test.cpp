// The file copy, the directory creation and sync of the file-system layer, with the
// failure-injection seam making single operations fail.
#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "platform/FaultyFiles.h"
#include "platform/FileSystem.h"

namespace platform {
namespace {

using testing_support::FaultyFiles;
using testing_support::TestDir;

std::string bigContent() {
  std::string s;
  s.reserve((size_t{1} << 20) * 2 + 7);
  for (size_t i = 0; i < s.capacity(); ++i) s.push_back(static_cast<char>((i * 131) % 251));
  return s;
}

TEST(FileSystemCopy, CopiesEveryByteAndReplacesTheTarget) {
  TestDir dir;
  const std::string big = bigContent();  // more than one copy buffer
  dir.write("from", big);
  dir.write("to", "old content");
  copyFile(dir / "from", dir / "to");
  EXPECT_EQ(dir.read("to"), big);
  EXPECT_FALSE(exists(dir / "to.part"));

  dir.write("empty", "");
  copyFile(dir / "empty", dir / "to");
  EXPECT_EQ(dir.read("to"), "");
}

TEST(FileSystemCopy, AMissingSourceLeavesTheTargetAlone) {
  TestDir dir;
  dir.write("to", "kept");
  EXPECT_THROW(copyFile(dir / "missing", dir / "to"), base::IOError);
  EXPECT_EQ(dir.read("to"), "kept");
  EXPECT_FALSE(exists(dir / "to.part"));
  dir.mkdir("sub");
  EXPECT_THROW(copyFile(dir / "sub", dir / "to"), base::IOError);
  EXPECT_EQ(dir.read("to"), "kept");
}

TEST(FileSystemCopy, AFailedWriteOrRenameLeavesTheTargetAndNoPart) {
  TestDir dir;
  dir.write("from", "new");
  dir.write("to", "kept");
  {
    FaultyFiles faults;
    faults.fail(FileFaults::Op::kWrite, "/to.part");
    try {
      copyFile(dir / "from", dir / "to");
      ADD_FAILURE() << "the copy should fail";
    } catch (const base::IOError& e) {
      EXPECT_NE(std::string(e.what()).find("cannot write"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(dir.read("to"), "kept");
  EXPECT_FALSE(exists(dir / "to.part"));
  {
    FaultyFiles faults;
    faults.fail(FileFaults::Op::kRename, "/to.part");
    try {
      copyFile(dir / "from", dir / "to");
      ADD_FAILURE() << "the copy should fail";
    } catch (const base::IOError& e) {
      EXPECT_EQ(std::string(e.what()), "cannot create " + (dir / "to"));
    }
  }
  EXPECT_EQ(dir.read("to"), "kept");
  EXPECT_FALSE(exists(dir / "to.part"));
}

TEST(FileSystemSync, FailuresThrowWithTheDirectory) {
  TestDir dir;
  EXPECT_NO_THROW(syncDirectory(dir.path()));
  EXPECT_NO_THROW(syncDirectory(""));
  EXPECT_THROW(syncDirectory(dir / "missing"), base::IOError);
  dir.write("file", "x");
  EXPECT_THROW(syncDirectory(dir / "file"), base::IOError);
  FaultyFiles faults;
  faults.fail(FileFaults::Op::kSyncDirectory, dir.path());
  try {
    syncDirectory(dir.path());
    ADD_FAILURE() << "the sync should fail";
  } catch (const base::IOError& e) {
    EXPECT_NE(std::string(e.what()).find(dir.path()), std::string::npos);
  }
}

TEST(FileSystemEnsureDirectory, MakesOneLevelAcceptsAnExistingOneAndRefusesAFile) {
  TestDir dir;
  EXPECT_NO_THROW(ensureDirectory(dir / "new"));
  EXPECT_TRUE(isDirectory(dir / "new"));
  EXPECT_NO_THROW(ensureDirectory(dir / "new"));
  dir.write("file", "x");
  EXPECT_THROW(ensureDirectory(dir / "file"), base::IOError);
  EXPECT_EQ(dir.read("file"), "x");
  try {
    ensureDirectory(dir / "missing/deeper");
    ADD_FAILURE() << "a missing parent should fail";
  } catch (const base::IOError& e) {
    EXPECT_NE(std::string(e.what()).find(dir / "missing/deeper"), std::string::npos);
  }
}

TEST(FileFaultInjection, OnlyTheChosenOperationFailsAndOnlyWhileInstalled) {
  TestDir dir;
  dir.write("a", "1");
  dir.write("b", "2");
  {
    FaultyFiles faults;
    faults.fail(FileFaults::Op::kRemove, "/a", 1);
    EXPECT_FALSE(removePath(dir / "a"));
    EXPECT_TRUE(exists(dir / "a"));
    EXPECT_TRUE(removePath(dir / "b"));  // another path
    EXPECT_TRUE(removePath(dir / "a"));  // the one failure is spent
    EXPECT_EQ(faults.injected(), 1);
    dir.write("a", "1");
    faults.fail(FileFaults::Op::kWrite, "/a");
    EXPECT_THROW(writeFile(dir / "a", "x"), base::IOError);
    EXPECT_THROW(writeFileDurable(dir / "a", "x"), base::IOError);
  }
  writeFile(dir / "a", "x");
  EXPECT_EQ(dir.read("a"), "x");
  EXPECT_TRUE(removePath(dir / "a"));
}

}  // namespace
}  // namespace platform
