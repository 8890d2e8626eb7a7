// The system behind platform::os(): the real one and the one held in memory
// answer every call alike, so that a test may use either.
#include "platform/Os.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/MemoryOs.h"

namespace platform {
namespace {

using testing_support::TestDir;

// A folder of one system to work in.
class Place {
 public:
  virtual ~Place() = default;
  virtual Os& system() = 0;
  // The folder's path + the system's separator + name.
  virtual std::string at(const std::string& name) = 0;
};

class RealPlace : public Place {
 public:
  Os& system() override { return systemOs(); }
  std::string at(const std::string& name) override { return dir_ / name; }

 private:
  TestDir dir_;
};

class MemoryPlace : public Place {
 public:
  MemoryPlace() { system_.ensureDirectory(std::string(1, kSeparator) + "home"); }
  Os& system() override { return system_; }
  std::string at(const std::string& name) override {
    std::string p = std::string(1, kSeparator) + "home" + kSeparator + name;
    for (char& c : p)
      if (c == '/') c = kSeparator;
    return p;
  }

 private:
  MemoryOs system_;
};

class OsContract : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam())
      place_ = std::make_unique<MemoryPlace>();
    else
      place_ = std::make_unique<RealPlace>();
  }
  Os& os() { return place_->system(); }
  std::string at(const std::string& name) { return place_->at(name); }

 private:
  std::unique_ptr<Place> place_;
};

TEST_P(OsContract, FilesAreWrittenReadAndExamined) {
  EXPECT_FALSE(os().exists(at("a")));
  EXPECT_THROW(os().readFile(at("a")), base::IOError);
  EXPECT_THROW(os().fileSize(at("a")), base::IOError);
  os().writeFile(at("a"), std::string("x\0y", 3));
  EXPECT_TRUE(os().exists(at("a")));
  EXPECT_TRUE(os().isFile(at("a")));
  EXPECT_FALSE(os().isDirectory(at("a")));
  EXPECT_EQ(os().readFile(at("a")), std::string("x\0y", 3));
  EXPECT_EQ(os().fileSize(at("a")), 3);
  os().writeFileDurable(at("a"), "shorter");
  EXPECT_EQ(os().readFile(at("a")), "shorter");
  EXPECT_THROW(os().writeFile(at("missing/a"), "x"), base::IOError);
  EXPECT_FALSE(os().exists(at("missing")));
}

TEST_P(OsContract, DirectoriesAreMadeOneLevelAtATimeAndListedInOrder) {
  EXPECT_FALSE(os().makeDirectory(at("x/y")));
  EXPECT_TRUE(os().makeDirectory(at("x")));
  EXPECT_FALSE(os().makeDirectory(at("x")));
  EXPECT_NO_THROW(os().ensureDirectory(at("x")));
  EXPECT_NO_THROW(os().ensureDirectory(at("x/y")));
  os().writeFile(at("x/b"), "1");
  os().writeFile(at("x/a"), "2");
  EXPECT_EQ(os().listDirectory(at("x")), (std::vector<std::string>{"a", "b", "y"}));
  EXPECT_THROW(os().listDirectory(at("none")), base::IOError);
  EXPECT_THROW(os().ensureDirectory(at("x/a")), base::IOError);
  EXPECT_NO_THROW(os().syncDirectory(at("x")));
  EXPECT_THROW(os().syncDirectory(at("none")), base::IOError);

  EXPECT_FALSE(os().removePath(at("x")));  // not empty
  EXPECT_TRUE(os().removePath(at("x/y")));
  EXPECT_TRUE(os().removePath(at("x/a")));
  EXPECT_TRUE(os().removePath(at("x/b")));
  EXPECT_TRUE(os().removePath(at("x")));
  EXPECT_FALSE(os().removePath(at("x")));
}

TEST_P(OsContract, RenamesReplaceOnlyWhenAskedTo) {
  os().writeFile(at("a"), "new");
  os().writeFile(at("b"), "old");
  EXPECT_FALSE(os().renameNoReplace(at("a"), at("b")));
  EXPECT_EQ(os().readFile(at("b")), "old");
  EXPECT_TRUE(os().replaceFile(at("a"), at("b")));
  EXPECT_FALSE(os().exists(at("a")));
  EXPECT_EQ(os().readFile(at("b")), "new");
  EXPECT_TRUE(os().renameNoReplace(at("b"), at("c")));
  EXPECT_EQ(os().readFile(at("c")), "new");
  EXPECT_FALSE(os().replaceFile(at("none"), at("c")));
  EXPECT_FALSE(os().renameNoReplace(at("c"), at("missing/c")));
  EXPECT_EQ(os().readFile(at("c")), "new");

  // A directory moves with what it holds.
  ASSERT_TRUE(os().makeDirectory(at("d")));
  os().writeFile(at("d/f"), "in d");
  EXPECT_TRUE(os().renameNoReplace(at("d"), at("e")));
  EXPECT_FALSE(os().exists(at("d")));
  EXPECT_EQ(os().readFile(at("e/f")), "in d");
}

TEST_P(OsContract, CopiesReplaceTheTargetAndLeaveTheSource) {
  os().writeFile(at("from"), "content");
  os().writeFile(at("to"), "old");
  os().copyFile(at("from"), at("to"));
  EXPECT_EQ(os().readFile(at("to")), "content");
  EXPECT_EQ(os().readFile(at("from")), "content");
  EXPECT_FALSE(os().exists(at("to.part")));
  EXPECT_THROW(os().copyFile(at("none"), at("to")), base::IOError);
  EXPECT_EQ(os().readFile(at("to")), "content");
}

TEST_P(OsContract, FilesAtOffsetsReadWriteAndTruncate) {
  EXPECT_THROW(os().open(at("db"), File::Mode::kReadOnly), base::IOError);
  File f = os().open(at("db"), File::Mode::kReadWrite);
  ASSERT_TRUE(f.isOpen());
  EXPECT_EQ(f.size(), 0);
  const std::vector<uint8_t> abc{'a', 'b', 'c'};
  f.writeAt(4, abc);  // the gap reads as zeros
  EXPECT_EQ(f.size(), 7);
  std::vector<uint8_t> out(10, 0xff);
  EXPECT_EQ(f.readAt(0, out), 7u);
  EXPECT_EQ(std::string(out.begin(), out.begin() + 7), std::string("\0\0\0\0abc", 7));
  EXPECT_EQ(f.readAt(9, out), 0u);
  f.truncate(5);
  f.sync();
  f.close();
  EXPECT_FALSE(f.isOpen());
  EXPECT_EQ(os().readFile(at("db")), std::string("\0\0\0\0a", 5));

  File g = os().open(at("db"), File::Mode::kReadWrite);  // kept as it is
  EXPECT_EQ(g.size(), 5);
  g.close();
  File h = os().open(at("db"), File::Mode::kTruncate);  // emptied
  EXPECT_EQ(h.size(), 0);
  h.close();
  EXPECT_EQ(os().fileSize(at("db")), 0);
  EXPECT_THROW((void)File().size(), base::IOError);
}

INSTANTIATE_TEST_SUITE_P(RealAndInMemory, OsContract, ::testing::Values(false, true),
                         [](const auto& param) { return param.param ? "Memory" : "Real"; });

TEST(MemoryOs, TimeMovesOnlyWhenSleptAndStampsWrites) {
  MemoryOs m(1000);
  EXPECT_EQ(m.currentTimeMillis(), 1000);
  m.writeFile("/a", "x");
  m.sleepMillis(250);
  m.sleepMillis(-5);
  EXPECT_EQ(m.currentTimeMillis(), 1250);
  EXPECT_EQ(m.lastModifiedMillis("/a"), 1000);
  m.writeFile("/a", "y");
  EXPECT_EQ(m.lastModifiedMillis("/a"), 1250);
  EXPECT_EQ(m.lastModifiedMillis("/none"), 0);
}

TEST(MemoryOs, PathsAreReadAsTheSystemWritesThem) {
  MemoryOs m;
  const std::string s(1, kSeparator);
  ASSERT_TRUE(m.makeDirectory(s + "d"));
  m.writeFile(s + "d" + s + s + "f", "x");  // a doubled separator counts once
  EXPECT_TRUE(m.isFile(s + "d" + s + "f"));
  EXPECT_TRUE(m.isDirectory(s + "d" + s));
  EXPECT_TRUE(m.isDirectory(s));
  EXPECT_EQ(m.canonicalPath(s + "d" + s + "." + s + "x" + s + ".." + s + "f"), s + "d" + s + "f");
  // A directory never moves into itself.
  EXPECT_FALSE(m.renameNoReplace(s + "d", s + "d" + s + "e"));
  EXPECT_TRUE(m.isFile(s + "d" + s + "f"));
}

TEST(ScopedOs, PutsASystemInForceAndTheClockWithIt) {
  MemoryOs m(42);
  {
    ScopedOs inForce(m);
    EXPECT_EQ(&platform::os(), &m);
    EXPECT_EQ(platform::clock().currentTimeMillis(), 42);
  }
  EXPECT_EQ(&platform::os(), &systemOs());
}

}  // namespace
}  // namespace platform
