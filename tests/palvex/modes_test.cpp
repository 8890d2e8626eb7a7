#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "palvex/files/ImageFiles.h"
#include "palvex/modes/FilePass.h"
#include "palvex/testing/Fixtures.h"
#include "platform/FileSystem.h"

namespace palvex {
namespace {

using modes::FilePass;
using testing_support::StdoutCapture;
using testing_support::TestDir;

std::string text(const testing::Bytes& b) { return std::string(b.begin(), b.end()); }

// A batch of 2 × 1 BMP files named after `names`; a name starting with "-"
// is queued but has no file. Each output is the input name with ".out", and
// the steps log what they were called for.
struct Pass {
  TestDir dir;
  std::vector<Image> records;
  std::vector<std::string> log;
  FilePass::Steps steps;

  explicit Pass(const std::vector<std::string>& names) {
    for (const std::string& n : names) {
      Image im;
      im.inputName = dir / n;
      if (n[0] != '-') dir.write(n, text(testing::bmp24(2, 1, {1, 2, 3, 4, 5, 6})));
      records.push_back(im);
    }
    steps.announce = [this](const Image& im) { log.push_back("announce " + base(im)); };
    steps.name = [](const Image& im) { return im.inputName + ".out"; };
    steps.map = [this](Image& im) {
      log.push_back("map " + base(im));
      return true;
    };
    steps.write = [this](const Image& im) {
      log.push_back("write " + base(im));
      return files::ImageFiles::writeTrueColour(im, im.outputName);
    };
  }
  std::string base(const Image& im) const {
    return im.inputName.substr(im.inputName.find_last_of(platform::kSeparator) + 1);
  }
  std::vector<Image*> files() {
    std::vector<Image*> f;
    for (Image& im : records) f.push_back(&im);
    return f;
  }
  bool run() {
    StdoutCapture quiet;
    return FilePass::run(files(), steps);
  }
  bool hasOutput(const std::string& n) const { return platform::isFile(dir / (n + ".out")); }
};

using Log = std::vector<std::string>;

TEST(PalvexFilePass, AFailedLoadEndsThePassOrSkipsOnlyThatFile) {
  Pass stop({"a.bmp", "-b.bmp", "c.bmp"});
  stop.steps.stopOnFailedLoad = true;
  EXPECT_FALSE(stop.run());
  EXPECT_EQ(stop.log, (Log{"announce a.bmp", "map a.bmp", "write a.bmp", "announce -b.bmp"}));
  EXPECT_TRUE(stop.records[0].written);
  EXPECT_TRUE(stop.hasOutput("a.bmp"));
  // The file after the failure is neither named nor created.
  EXPECT_FALSE(stop.records[2].written);
  EXPECT_TRUE(stop.records[2].outputName.empty());
  EXPECT_FALSE(stop.hasOutput("c.bmp"));

  Pass skip({"a.bmp", "-b.bmp", "c.bmp"});
  EXPECT_TRUE(skip.run());
  EXPECT_EQ(skip.log.back(), "write c.bmp");
  EXPECT_FALSE(skip.records[1].written);
  EXPECT_FALSE(skip.hasOutput("-b.bmp"));
  EXPECT_TRUE(skip.records[2].written);
}

TEST(PalvexFilePass, TheLoadFailureLineNamesTheFile) {
  Pass p({"-gone.bmp"});
  p.steps.loadFailed = "+ image file:  ";
  StdoutCapture cap;
  FilePass::run(p.files(), p.steps);
  EXPECT_NE(cap.text().find("+ image file:  " + p.records[0].inputName + " \n"), std::string::npos);
}

TEST(PalvexFilePass, TheCheckSkipsOrEndsBeforeAnythingIsNamed) {
  Pass p({"a.bmp", "b.bmp", "c.bmp"});
  p.steps.check = [&](Image& im) {
    return p.base(im) == "a.bmp" ? FilePass::Next::kSkip : FilePass::Next::kStop;
  };
  EXPECT_FALSE(p.run());
  EXPECT_EQ(p.log, (Log{"announce a.bmp", "announce b.bmp"}));
  for (const char* n : {"a.bmp", "b.bmp", "c.bmp"}) EXPECT_FALSE(p.hasOutput(n)) << n;
}

TEST(PalvexFilePass, AnOutputThatMayNotBeReplacedIsNeitherMappedNorWritten) {
  Pass p({"a.bmp"});
  p.dir.write("a.bmp.out", "keep");
  EXPECT_TRUE(p.run());
  EXPECT_EQ(p.log, (Log{"announce a.bmp"}));
  EXPECT_EQ(p.dir.read("a.bmp.out"), "keep");
  EXPECT_FALSE(p.records[0].written);

  p.log.clear();
  p.steps.overwrite = true;
  EXPECT_TRUE(p.run());
  EXPECT_TRUE(p.records[0].written);
  EXPECT_NE(p.dir.read("a.bmp.out"), "keep");
}

TEST(PalvexFilePass, AnOutputNotMadeLeavesNoFileAndAFailedWriteIsNotCounted) {
  Pass none({"a.bmp", "b.bmp"});
  none.steps.map = [&](Image& im) { return none.base(im) == "b.bmp"; };
  int reported = 0;
  none.steps.written = [&](const Image&) { ++reported; };
  EXPECT_TRUE(none.run());
  EXPECT_FALSE(none.hasOutput("a.bmp"));
  EXPECT_FALSE(none.records[0].written);
  EXPECT_TRUE(none.records[1].written);
  EXPECT_EQ(reported, 1);

  Pass failing({"a.bmp"});
  failing.steps.write = [](const Image&) { return false; };
  failing.steps.written = [&](const Image&) { ++reported; };
  EXPECT_TRUE(failing.run());
  EXPECT_FALSE(failing.records[0].written);
  EXPECT_EQ(reported, 1);
}

TEST(PalvexFilePass, EachFileIsLoadedForItsStepsAndReleasedAfterwards) {
  Pass p({"a.bmp", "b.bmp"});
  p.steps.map = [](Image& im) {
    EXPECT_EQ(im.width, 2);
    EXPECT_EQ(im.pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    im.output.width = 2;
    im.output.height = 1;
    im.output.indices = {0, 1};
    return true;
  };
  p.run();
  for (const Image& im : p.records) {
    EXPECT_TRUE(im.written);
    EXPECT_TRUE(im.pixels.empty());
    EXPECT_TRUE(im.output.indices.empty());
  }
}

TEST(PalvexSourcePicture, APalettedFileGivesItsOwnPalette) {
  TestDir dir;
  Image pcx;
  pcx.inputName = dir.write("p.pcx", text(testing::pcxFile(2, 1, {0xC2, 7})));
  StdoutCapture quiet;
  ASSERT_TRUE(files::ImageFiles::load(pcx, false));
  ASSERT_TRUE(pcx.hasPalette());
  const Palette p = pcx.palette();
  EXPECT_EQ(p.size, 256);
  EXPECT_EQ(p.entries[0], (std::array<uint8_t, 4>{0, 255, 0, 0}));
  EXPECT_EQ(p.entries[200], (std::array<uint8_t, 4>{200, 55, 100, 0}));
  EXPECT_EQ(p.entries[255], (std::array<uint8_t, 4>{255, 0, 127, 0}));

  Image bmp;
  bmp.inputName = dir.write("t.bmp", text(testing::bmp24(1, 1, {9, 9, 9})));
  ASSERT_TRUE(files::ImageFiles::load(bmp, false));
  EXPECT_FALSE(bmp.hasPalette());
}

}  // namespace
}  // namespace palvex
