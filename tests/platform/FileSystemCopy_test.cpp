// The file copy, the directory creation and sync of the file-system layer, and
// the system that makes single operations of it fail.
#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "platform/FaultyFiles.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"

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
    faults.fail(FaultyOs::Op::kWrite, "/to.part");
    try {
      os().copyFile(dir / "from", dir / "to");
      ADD_FAILURE() << "the copy should fail";
    } catch (const base::IOError& e) {
      EXPECT_NE(std::string(e.what()).find("cannot write"), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(dir.read("to"), "kept");
  EXPECT_FALSE(exists(dir / "to.part"));
  {
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kRename, "/to.part");
    try {
      os().copyFile(dir / "from", dir / "to");
      ADD_FAILURE() << "the copy should fail";
    } catch (const base::IOError& e) {
      EXPECT_EQ(std::string(e.what()), "cannot create " + (dir / "to"));
    }
  }
  EXPECT_EQ(dir.read("to"), "kept");
  EXPECT_FALSE(exists(dir / "to.part"));

  // The system's own refusal of the rename: the target is a directory that
  // is not empty.
  dir.mkdir("full");
  dir.write("full/x", "1");
  EXPECT_THROW(copyFile(dir / "from", dir / "full"), base::IOError);
  EXPECT_EQ(dir.read("full/x"), "1");
  EXPECT_FALSE(exists(dir / "full.part"));
}

TEST(FileSystemSync, FailuresThrowWithTheDirectory) {
  TestDir dir;
  EXPECT_NO_THROW(syncDirectory(dir.path()));
  EXPECT_NO_THROW(syncDirectory(""));
  EXPECT_THROW(syncDirectory(dir / "missing"), base::IOError);
  dir.write("file", "x");
  EXPECT_THROW(syncDirectory(dir / "file"), base::IOError);
  FaultyFiles faults;
  faults.fail(FaultyOs::Op::kSyncDirectory, dir.path());
  try {
    os().syncDirectory(dir.path());
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

TEST(FaultyOs, OnlyTheChosenOperationFailsAndOnlyWhileInForce) {
  TestDir dir;
  dir.write("a", "1");
  dir.write("b", "2");
  {
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kRemove, "/a", 1);
    EXPECT_FALSE(os().removePath(dir / "a"));
    EXPECT_TRUE(exists(dir / "a"));
    EXPECT_TRUE(os().removePath(dir / "b"));  // another path
    EXPECT_TRUE(os().removePath(dir / "a"));  // the one failure is spent
    EXPECT_EQ(faults.injected(), 1);
    dir.write("a", "1");
    faults.fail(FaultyOs::Op::kWrite, "/a");
    EXPECT_THROW(os().writeFile(dir / "a", "x"), base::IOError);
    EXPECT_THROW(os().writeFileDurable(dir / "a", "x"), base::IOError);
    EXPECT_EQ(dir.read("a"), "");  // created, as a write that fails leaves it
    writeFile(dir / "a", "y");     // the real system behind it fails nothing
    EXPECT_EQ(dir.read("a"), "y");
    File f = os().open(dir / "a", File::Mode::kReadWrite);
    EXPECT_THROW(f.writeAt(0, std::vector<uint8_t>{'z'}), base::IOError);
    EXPECT_EQ(dir.read("a"), "y");
  }
  os().writeFile(dir / "a", "x");
  EXPECT_EQ(dir.read("a"), "x");
  EXPECT_TRUE(removePath(dir / "a"));
}

}  // namespace
}  // namespace platform
