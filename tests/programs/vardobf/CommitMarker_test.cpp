#include "programs/vardobf/CommitMarker.h"

#include <gtest/gtest.h>

#include "platform/MemoryOs.h"

namespace programs::vardobf {
namespace {

const std::vector<std::string> kNames = {"a.new", "b.commit"};

// The files of a commit in a folder of the system held in memory.
class CommitMarkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system.ensureDirectory("/data");
    write("a.new", "alpha");
    write("b.commit", "beta beta");
  }
  static std::string path() { return "/data/"; }
  void write(const std::string& name, const std::string& content) {
    system.writeFile(path() + name, content);
  }

  platform::MemoryOs system;
  platform::ScopedOs inForce{system};
};

TEST_F(CommitMarkerTest, DescribesItsFilesAndReadsBack) {
  const CommitMarker m = CommitMarker::describe(path(), kNames);
  const std::string text = m.encode();
  EXPECT_EQ(text.rfind("commit 2\na.new 5 ", 0), 0u) << text;
  auto back = CommitMarker::decode(text, kNames);
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->legacy());
  ASSERT_EQ(back->files().size(), 2u);
  EXPECT_EQ(back->files()[1].name, "b.commit");
  EXPECT_EQ(back->files()[1].size, 9);
  EXPECT_EQ(back->files()[1].crc, m.files()[1].crc);
  EXPECT_EQ(back->encode(), text);
  EXPECT_TRUE(back->matches(path()));
}

TEST_F(CommitMarkerTest, FilesPutInPlaceStillMatchOthersDoNot) {
  const CommitMarker m = CommitMarker::describe(path(), kNames);
  ASSERT_TRUE(system.removePath(path() + "a.new"));
  EXPECT_TRUE(m.matches(path()));
  write("a.new", "alphA");  // same size, other content
  EXPECT_FALSE(m.matches(path()));
  write("a.new", "alpha!");
  EXPECT_FALSE(m.matches(path()));
  write("a.new", "alpha");
  EXPECT_TRUE(m.matches(path()));
}

TEST_F(CommitMarkerTest, TheFirstFormNamesNoFilesAndMatchesAnything) {
  auto m = CommitMarker::decode("commit\n", kNames);
  ASSERT_TRUE(m);
  EXPECT_TRUE(m->legacy());
  EXPECT_TRUE(m->files().empty());
  EXPECT_TRUE(m->matches(path()));
  EXPECT_EQ(m->encode(), "commit\n");
}

// Every damage makes the marker unusable, never a marker with other files.
TEST_F(CommitMarkerTest, DamagedMarkersAreRefused) {
  const std::string good = CommitMarker::describe(path(), kNames).encode();
  const std::vector<std::string> damaged = {
      "",
      "commit",
      "commit 2\n",
      good.substr(0, good.size() - 1),             // cut inside the end line
      good.substr(0, good.find("end")),            // no end line
      "commit 3\na.new 1 2\nb.commit 1 2\nend\n",  // unknown form
      "commit 2\na.new 1 2\nend\n",                // a file missing
      "commit 2\na.new 1 2\na.new 1 2\nend\n",     // a file twice
      "commit 2\n../a.new 1 2\nb.commit 1 2\nend\n",
      "commit 2\na.new -1 2\nb.commit 1 2\nend\n",
      "commit 2\na.new 1 4294967296\nb.commit 1 2\nend\n",
      "commit 2\na.new 1 x\nb.commit 1 2\nend\n",
      "commit 2\na.new 1\nb.commit 1 2\nend\n",
      "commit 2\na.new 1 2 3\nb.commit 1 2\nend\n",
      "commit 2\na.new 1 2\nb.commit 1 2\nend\nmore\n",
  };
  for (const std::string& text : damaged) EXPECT_FALSE(CommitMarker::decode(text, kNames)) << text;
}

}  // namespace
}  // namespace programs::vardobf
