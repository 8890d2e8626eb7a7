#include "programs/vardo/SiteFiles.h"

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "platform/FileSystem.h"

namespace {

using programs::vardo::SiteFiles;
using testing_support::TestDir;

class SiteFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.mkdir("inst/share/vardobf/html/skins");
    dir.mkdir("inst/share/vardobf/html/graphics");
    dir.write("inst/share/vardobf/html/processing.html", "installed processing");
    dir.write("inst/share/vardobf/html/skins/skin.css", "installed skin");
    dir.write("inst/share/vardobf/html/graphics/g1.gif", "GIF89a");
  }
  std::string from() { return dir / "inst/share/vardobf/html"; }
  TestDir dir;
};

TEST_F(SiteFilesTest, InstalledDirIsBesideTheBinFolder) {
  dir.mkdir("inst/bin");
  EXPECT_EQ(SiteFiles::installedDir(dir / "inst/bin"), from());
  EXPECT_EQ(SiteFiles::installedDir(dir / "inst/bin/"), from());
  EXPECT_EQ(SiteFiles::installedDir(dir / "none/bin"), dir / "none/bin/../share/vardobf/html");
}

TEST_F(SiteFilesTest, CopiesOnlyMissingFilesAndNeverReplacesTheUsersOnes) {
  dir.mkdir("site/skins");
  dir.write("site/skins/skin.css", "my own skin");
  EXPECT_EQ(SiteFiles::layInto(from(), dir / "site/"), 2);
  EXPECT_EQ(dir.read("site/skins/skin.css"), "my own skin");
  EXPECT_EQ(dir.read("site/processing.html"), "installed processing");
  EXPECT_EQ(dir.read("site/graphics/g1.gif"), "GIF89a");
  EXPECT_EQ(platform::listDirectory(dir / "site/graphics"), std::vector<std::string>{"g1.gif"});

  // A second lay-in finds everything there; a deleted file comes back.
  dir.write("site/processing.html", "changed by the user");
  EXPECT_EQ(SiteFiles::layInto(from(), dir / "site"), 0);
  EXPECT_EQ(dir.read("site/processing.html"), "changed by the user");
  ASSERT_TRUE(platform::removePath(dir / "site/graphics/g1.gif"));
  EXPECT_EQ(SiteFiles::layInto(from(), dir / "site"), 1);
}

TEST_F(SiteFilesTest, AnEntryOfAnotherKindInTheSiteIsLeftAlone) {
  dir.mkdir("site/processing.html");  // a folder where a file would go
  dir.write("site/graphics", "a file where a folder would go");
  EXPECT_THROW(SiteFiles::layInto(from(), dir / "site"), base::IOError);
  EXPECT_TRUE(platform::isDirectory(dir / "site/processing.html"));
  EXPECT_EQ(dir.read("site/graphics"), "a file where a folder would go");
}

TEST_F(SiteFilesTest, MissingSourceIsAnError) {
  EXPECT_THROW(SiteFiles::layInto(dir / "nowhere", dir / "site"), base::IOError);
}

TEST_F(SiteFilesTest, MakeDirectoriesCreatesEveryMissingLevel) {
  SiteFiles::makeDirectories(dir / "a/b/c/");
  EXPECT_TRUE(platform::isDirectory(dir / "a/b/c"));
  SiteFiles::makeDirectories(dir / "a/b/c");  // already there
  dir.write("file", "x");
  EXPECT_THROW(SiteFiles::makeDirectories(dir / "file/sub"), base::IOError);
  EXPECT_THROW(SiteFiles::makeDirectories(dir / "file"), base::IOError);
}

}  // namespace
