#include "util/Debug.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/FileSizeLimit.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryDirectory.h"

namespace {

using testing_support::StdoutCapture;
using testing_support::TestDir;
using util::Debug;

class DebugTest : public ::testing::Test {
 protected:
  void SetUp() override { Debug::reset(); }
  void TearDown() override { Debug::reset(); }
  TestDir dir;
};

TEST_F(DebugTest, LevelDecidesWhichLinesAreWritten) {
  StdoutCapture out;
  Debug::print("x", 1);
  Debug::print("y", 0);
  Debug::setLevel(2);
  Debug::print("z", 2);
  Debug::print("w", 3);
  Debug::setLevel(-1);  // ignored
  Debug::print("v", 2);
  EXPECT_EQ(out.text(), "y\nz\nv\n");
  EXPECT_EQ(Debug::level(), 2);
}

TEST_F(DebugTest, TargetNamesIgnoreCaseAndUnknownNamesChangeNothing) {
  Debug::setType("both", dir.path());
  EXPECT_EQ(Debug::type(), Debug::kBoth);
  EXPECT_TRUE(Debug::isOpen());
  Debug::setType("Screen", dir.path());
  EXPECT_EQ(Debug::type(), Debug::kBoth);
  Debug::setType("STDOUT", dir.path());
  EXPECT_EQ(Debug::type(), Debug::kStdOut);
  EXPECT_FALSE(Debug::isOpen());
}

TEST_F(DebugTest, BothWritesStandardOutputAndFileNoneWritesNothing) {
  StdoutCapture out;
  Debug::setType("Both", dir.path());
  Debug::print("first", 0);
  Debug::setType("File", dir.path());
  Debug::print("second", 0);
  Debug::setType("None", dir.path());
  Debug::print("third", 0);
  Debug::print("fourth", -5);
  EXPECT_EQ(out.text(), "first\n");
  EXPECT_EQ(dir.read("VardoDebug.txt"), "first\nsecond\n");
}

TEST_F(DebugTest, FileIsOpenedOnceAndAppendedTo) {
  dir.write("VardoDebug.txt", "old\n");
  Debug::setType("File", dir.path());
  Debug::setType("File", dir.path());
  Debug::print("new", 0);
  Debug::close();
  EXPECT_EQ(dir.read("VardoDebug.txt"), "old\nnew\n");
}

TEST_F(DebugTest, FileOfExactlyTheLimitIsKeptOneByteMoreIsEmptied) {
  dir.write("VardoDebug.txt", std::string(1000000, 'a'));
  Debug::open(dir.path());
  Debug::setType("File", dir.path());
  Debug::print("b", 0);
  Debug::close();
  EXPECT_EQ(platform::fileSize(dir / "VardoDebug.txt"), 1000002);

  dir.write("VardoDebug.txt", std::string(1000001, 'a'));
  Debug::open(dir.path());
  Debug::print("c", 0);
  Debug::close();
  EXPECT_EQ(dir.read("VardoDebug.txt"), "c\n");
}

TEST_F(DebugTest, MissingDirectoryUsesTheWorkingDirectory) {
  const std::filesystem::path old = std::filesystem::current_path();
  ASSERT_NO_THROW(std::filesystem::current_path(dir.path()));
  Debug::setType("File", dir / "does-not-exist");
  Debug::print("here", 0);
  Debug::close();
  ASSERT_NO_THROW(std::filesystem::current_path(old));
  EXPECT_EQ(dir.read("VardoDebug.txt"), "here\n");
}

TEST_F(DebugTest, UnwritableDirectoryCostsOnlyTheFileLines) {
  if (!platform::directoryWriteProtectionApplies()) {
    // Root (or Windows) writes anywhere: make the trace file's place a
    // directory instead.
    dir.mkdir("VardoDebug.txt");
  } else {
    using std::filesystem::perms;
    ASSERT_NO_THROW(
        std::filesystem::permissions(dir.path(), perms::owner_read | perms::owner_exec));
  }
  StdoutCapture out;
  Debug::setType("Both", dir.path());
  Debug::print("still here", 0);
  std::string text = out.text();
  EXPECT_NE(text.find("Debug.open : IOError: "), std::string::npos) << text;
  EXPECT_NE(text.find("still here\n"), std::string::npos);
  EXPECT_FALSE(Debug::isOpen());
}

TEST_F(DebugTest, ClosedFileIsOpenedAnewByALaterSetType) {
  Debug::setType("File", dir.path());
  Debug::close();
  EXPECT_FALSE(Debug::isOpen());
  Debug::setType("File", dir.path());
  EXPECT_TRUE(Debug::isOpen());
}

TEST_F(DebugTest, AFailedWriteIsReportedAndLaterLinesAreTriedAgain) {
  // A trace file on a full disk: the file opens, every write fails.
  const char* full = platform::fullDevicePath();
  if (full == nullptr) GTEST_SKIP() << "this system has no device on which every write fails";
  ASSERT_NO_THROW(std::filesystem::create_symlink(full, dir / "VardoDebug.txt"));
  StdoutCapture out;
  Debug::setType("Both", dir.path());
  EXPECT_TRUE(Debug::isOpen());
  Debug::print("lost", 0);
  Debug::print("lost too", 0);
  EXPECT_EQ(out.text(),
            "lost\nDebug.print : IOError: cannot write the trace file (No space left on device)\n"
            "lost too\nDebug.print : IOError: cannot write the trace file (No space left on "
            "device)\n");
  EXPECT_TRUE(Debug::isOpen());
}

TEST_F(DebugTest, EachLineIsInTheFileAsSoonAsItIsPrinted) {
  Debug::setType("File", dir.path());
  Debug::print("one", 0);
  EXPECT_EQ(dir.read("VardoDebug.txt"), "one\n");
  Debug::print("two", 0);
  EXPECT_EQ(dir.read("VardoDebug.txt"), "one\ntwo\n");
}

}  // namespace
