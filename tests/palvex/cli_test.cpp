// The command line, the batch list and the output names.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "help/palvex.h"
#include "palvex/cli/BatchList.h"
#include "palvex/cli/CommandLine.h"
#include "palvex/modes/OutputNames.h"
#include "platform/FileSystem.h"

namespace palvex::cli {
namespace {

using testing_support::StdoutCapture;
using testing_support::TestDir;

std::string keywordOf(const std::string& text) {
  const int e = CommandLine::match(text);
  return e < 0 ? "" : std::string(CommandLine::keyword(e));
}

Settings parseQuietly(const std::vector<std::string>& args, std::string* printed = nullptr) {
  StdoutCapture cap;
  Settings s = CommandLine::parse(args);
  if (printed != nullptr) *printed = cap.text();
  return s;
}

TEST(PalvexSwitches, PrefixesMatchInTableOrderFromTheirMinimumLength) {
  EXPECT_EQ(keywordOf("c"), "colors");
  EXPECT_EQ(keywordOf("COLOURS"), "colours");
  EXPECT_EQ(keywordOf("d"), "");
  EXPECT_EQ(keywordOf("de"), "depth");
  EXPECT_EQ(keywordOf("debu"), "");
  EXPECT_EQ(keywordOf("debug"), "debug");
  EXPECT_EQ(keywordOf("di"), "dither");
  EXPECT_EQ(keywordOf("fa"), "fast");
  EXPECT_EQ(keywordOf("fat"), "fatmask");
  EXPECT_EQ(keywordOf("pal"), "palette");
  EXPECT_EQ(keywordOf("pals"), "palsmooth");
  EXPECT_EQ(keywordOf("gre"), "grey");
  EXPECT_EQ(keywordOf("greym"), "greymask");
  EXPECT_EQ(keywordOf("graym"), "graymask");
  EXPECT_EQ(keywordOf("o"), "overwrite");
  EXPECT_EQ(keywordOf("outm"), "outmask");
  EXPECT_EQ(keywordOf("?"), "?");
  EXPECT_EQ(keywordOf("??"), "");
  EXPECT_EQ(keywordOf(""), "");
  EXPECT_EQ(keywordOf("colorsx"), "");
}

TEST(PalvexSwitches, TheEightBitKeywordMatchesOnlyAbbreviated) {
  for (const char* t : {"8", "8b", "8bi", "8bit"}) EXPECT_EQ(keywordOf(t), "8bitOK") << t;
  EXPECT_EQ(keywordOf("8bitOK"), "");
  EXPECT_EQ(keywordOf("8bitok"), "");
}

TEST(PalvexSwitches, ValuesAndMessages) {
  std::string out;
  Settings s = parseQuietly({"-c", "64", "/d", "=rgb", "-dither", "x7"}, &out);
  EXPECT_EQ(s.colours, 64);
  EXPECT_TRUE(s.rgb);
  EXPECT_EQ(s.dither, 0);  // not a number
  EXPECT_EQ(out, " Unrecognized command line argument encountered: [d] \n");
  s = parseQuietly({"-colors", "300"}, &out);
  EXPECT_EQ(s.colours, 300);
  EXPECT_EQ(out, "Target number of colors should be in the range [1..256] \n");
  s = parseQuietly({"-bins", "12abc", "-method"});
  EXPECT_EQ(s.binLimit, 12);
  EXPECT_EQ(s.method, 0);  // missing value
}

TEST(PalvexSwitches, ColourMaskIsBlueGreenRed) {
  const Settings s = parseQuietly({"-colmask", "10", "20", "300"});
  EXPECT_EQ(s.forced, (std::array<uint8_t, 3>{255, 20, 10}));
  EXPECT_TRUE(s.masking);
  EXPECT_FLOAT_EQ(s.tolerance, 0.0f);  // forced colour without -mask
  const Settings m = parseQuietly({"-colmask", "10", "20", "30", "-mask", "7"});
  EXPECT_EQ(m.forced, (std::array<uint8_t, 3>{30, 20, 10}));
  EXPECT_FLOAT_EQ(m.tolerance, 1.0f);  // clamped
}

TEST(PalvexSwitches, ScaleAlwaysTakesTwoArguments) {
  Settings s = parseQuietly({"-scale", "0.5", "tex.tga", "out.pcx"});
  EXPECT_FLOAT_EQ(s.scaleX, 0.5f);
  EXPECT_FLOAT_EQ(s.scaleY, 0.5f);
  EXPECT_EQ(s.input, "out.pcx");
  EXPECT_EQ(s.output, "");
  s = parseQuietly({"-sc", "0", "0.25", "a", "b", "c"});
  EXPECT_FLOAT_EQ(s.scaleX, 1.0f);
  EXPECT_FLOAT_EQ(s.scaleY, 0.25f);
  EXPECT_EQ(s.input, "a");
  EXPECT_EQ(s.output, "b");
  s = parseQuietly({"-scale", "nan", "inf"});
  EXPECT_FLOAT_EQ(s.scaleX, 1.0f);
  EXPECT_TRUE(std::isinf(s.scaleY));
}

TEST(PalvexSwitches, DepthDigitsAreClamped) {
  const Settings s = parseQuietly({"-depth", "9a7", "-predepth", "3"});
  EXPECT_EQ(s.depths, (std::array<int, 3>{8, 5, 7}));
  EXPECT_EQ(s.preDepths, (std::array<int, 3>{5, 5, 5}));
}

TEST(PalvexSwitches, RulesAfterParsing) {
  Settings s = parseQuietly({"-best", "-bins", "9000"});
  EXPECT_EQ(s.binLimit, 14000);
  EXPECT_EQ(s.depths, (std::array<int, 3>{8, 7, 7}));
  s = parseQuietly({"-fa", "-best"});
  EXPECT_EQ(s.binLimit, 3500);
  s = parseQuietly({"-pinkm"});
  EXPECT_EQ(s.colours, 255);
  EXPECT_TRUE(s.black);
  EXPECT_EQ(s.forced, (std::array<uint8_t, 3>{255, 0, 255}));
  s = parseQuietly({"-bl", "-c", "255"});
  EXPECT_EQ(s.colours, 255);
  s = parseQuietly({"-pinks"});
  EXPECT_FLOAT_EQ(s.tolerance, 0.69f);
  s = parseQuietly({"-common", "-auto", "3"});
  EXPECT_TRUE(s.common);
  EXPECT_FALSE(s.autoGiven);
  s = parseQuietly({"-tga", "-bmp", "-pcx", "-tga"});
  EXPECT_EQ(s.format, files::OutputFormat::kTga);
  s = parseQuietly({"-fatmask", "2", "-bump", "-5", "-stream", "5000"});
  EXPECT_FLOAT_EQ(s.fatMask, 1.0f);
  EXPECT_TRUE(s.masking);
  EXPECT_FLOAT_EQ(s.bump, 0.0f);
  EXPECT_FLOAT_EQ(s.stream, 1024.0f);
}

TEST(PalvexSwitches, UsageText) {
  StdoutCapture cap;
  CommandLine::printUsage();
  const std::string u = cap.text();
  EXPECT_EQ(u.find(" Usage:   PALVEX  [switches] in_pic (out_pic/outpath)  [switches] \n \n"), 0u);
  EXPECT_NE(u.find("prepend to all output files. \n\n * Switches *\n Parameters: \n"),
            std::string::npos);
  EXPECT_NE(u.find("  -bump\tX        output a bumpmap, bias X  \n  Please read the manual"),
            std::string::npos);
  // -refine, added later, comes after the designed text.
  EXPECT_NE(u.find("non-ambiguous size. \n  -refine "), std::string::npos);
  EXPECT_EQ(std::count(u.begin(), u.end(), '\n'), 39);
}

// --- names ---

TEST(PalvexOutputNames, TheLastThreeLettersBecomeTheExtension) {
  Settings s;
  Image im;
  im.inputName = "dir/a.tga";
  im.spareName = "a.tga";
  s.output = "outfile";
  EXPECT_EQ(modes::OutputNames::make(im, s, false, "pcx"), "outfpcx");
  s.output = "pal_";
  EXPECT_EQ(modes::OutputNames::make(im, s, true, "pcx"), "pal_a.pcx");
  s.output = "";
  EXPECT_EQ(modes::OutputNames::make(im, s, false, "bmp"), "dir/a.bmp");
  EXPECT_EQ(modes::OutputNames::make(im, s, true, "tga"), "a.tga");
  s.output = "x.pc";
  EXPECT_EQ(modes::OutputNames::make(im, s, false, "bmp"), "x.pc");
}

TEST(PalvexOutputNames, AnExistingFileIsKeptWithoutOverwrite) {
  TestDir dir;
  const std::string f = dir.write("out.pcx", "keep me");
  {
    StdoutCapture cap;
    EXPECT_FALSE(modes::OutputNames::mayWrite(f, false));
    EXPECT_EQ(cap.text(), "Failed creating file:  " + f +
                              " \nCannot overwrite existing file. Use -o option to override. \n");
  }
  EXPECT_EQ(dir.read("out.pcx"), "keep me");
  EXPECT_TRUE(modes::OutputNames::mayWrite(f, true));
  EXPECT_EQ(dir.read("out.pcx"), "");
  EXPECT_TRUE(modes::OutputNames::mayWrite(dir / "new.pcx", false));
  StdoutCapture cap;
  EXPECT_FALSE(modes::OutputNames::mayWrite(dir / "none/x.pcx", true));
  EXPECT_EQ(cap.text(), "Failed creating file:  " + (dir / "none/x.pcx") + " \n");
}

TEST(PalvexBatch, WildcardsMatchWithoutRegardToCase) {
  EXPECT_TRUE(BatchList::wildcardMatch("*.tga", "a.TGA"));
  EXPECT_TRUE(BatchList::wildcardMatch("a?c*", "abc"));
  EXPECT_TRUE(BatchList::wildcardMatch("*", ""));
  EXPECT_FALSE(BatchList::wildcardMatch("*.tga", "a.tgax"));
  EXPECT_FALSE(BatchList::wildcardMatch("a?c", "ac"));
  EXPECT_TRUE(BatchList::wildcardMatch("*a*b*", "xxaxxbxx"));
}

TEST(PalvexBatch, FilesAreQueuedInListingOrder) {
  TestDir dir;
  for (const char* n : {"b.tga", "a.tga", "c.bmp"}) dir.write(n, "x");
  dir.mkdir("d.tga");
  Settings s;
  s.input = dir / "*.tga";
  Batch batch;
  StdoutCapture cap;
  ASSERT_TRUE(BatchList::collect(s, batch));
  ASSERT_EQ(batch.records.size(), 2u);
  EXPECT_TRUE(batch.batchMode);
  EXPECT_EQ(batch.records[0].inputName, dir / "a.tga");
  EXPECT_EQ(batch.records[0].spareName, "a.tga");
  EXPECT_EQ(cap.text(),
            " Starting batch processing: \nQueued for processing: 0 a.tga  \n"
            "Queued for processing: 1 b.tga  \nStarting processing of 2 files.\n");
}

TEST(PalvexBatch, NoMatchEndsAndTheTableHolds1024) {
  TestDir dir;
  Settings s;
  s.input = dir / "*.pcx";
  {
    Batch none;
    StdoutCapture cap;
    EXPECT_FALSE(BatchList::collect(s, none));
    EXPECT_NE(cap.text().find("Sorry, no files match the wildcard specifications. \n"),
              std::string::npos);
  }
  for (int i = 0; i < 1030; ++i) dir.write("f" + std::to_string(10000 + i) + ".pcx", "");
  Batch many;
  StdoutCapture cap;
  ASSERT_TRUE(BatchList::collect(s, many));
  EXPECT_EQ(many.records.size(), 1024u);
  EXPECT_EQ(many.records.back().spareName, "f11023.pcx");
  EXPECT_NE(cap.text().find(" Too many files: 1030 match, only the first 1024 are processed. \n"),
            std::string::npos);
}

TEST(PalvexBatch, ASingleNameTakesTheListedSpelling) {
  TestDir dir;
  Settings s;
  s.input = dir / "missing.tga";
  Batch missing;
  ASSERT_TRUE(BatchList::collect(s, missing));
  EXPECT_EQ(missing.records[0].inputName, dir / "missing.tga");
  dir.write("Stone.TGA", "x");
  if (platform::isFile(dir / "stone.tga"))
    GTEST_SKIP() << "the file system finds names in any case: the given name reaches the file";
  s.input = dir / "stone.tga";
  Batch batch;
  ASSERT_TRUE(BatchList::collect(s, batch));
  EXPECT_FALSE(batch.batchMode);
  EXPECT_EQ(batch.records[0].inputName, dir / "Stone.TGA");
}

// The switches of the manual page (help/palvex.h, from docs/man/palvex.txt),
// written "-mip[s]": the shortest form before the brackets.
std::vector<std::string> documentedSwitches() {
  std::vector<std::string> out;
  const std::string text = help::kPalvex;
  const size_t options = text.find("\nOPTIONS\n");
  const size_t end = text.find("\nEXIT STATUS\n");
  std::istringstream lines(text.substr(options, end - options));
  std::string line;
  while (std::getline(lines, line)) {
    // Tags: indented by 4, starting with "-".
    if (line.rfind("    -", 0) != 0) continue;
    std::istringstream words(line);
    std::string w;
    while (words >> w) {
      if (!w.empty() && w.back() == ',') w.pop_back();
      if (w.size() > 1 && w[0] == '-' && w[1] != '-') out.push_back(w);
    }
  }
  return out;
}

TEST(PalvexSwitches, TheManualPageNamesEverySwitchWithItsShortestForm) {
  std::set<int> documented;
  for (const std::string& form : documentedSwitches()) {
    SCOPED_TRACE(form);
    const size_t bracket = form.find('[');
    const std::string shortest =
        form.substr(1, bracket == std::string::npos ? std::string::npos : bracket - 1);
    std::string full = form.substr(1);
    full.erase(
        std::remove_if(full.begin(), full.end(), [](char c) { return c == '[' || c == ']'; }),
        full.end());
    const int entry = CommandLine::match(full);
    ASSERT_GE(entry, 0);
    // The full form names the keyword (8bit abbreviates "8bitOK").
    std::string keyword(CommandLine::keyword(entry));
    std::transform(keyword.begin(), keyword.end(), keyword.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_EQ(keyword.rfind(full, 0), 0u);
    // The shortest form selects the same switch, one letter less does not.
    EXPECT_EQ(CommandLine::match(shortest), entry);
    if (shortest.size() > 1) {
      EXPECT_NE(CommandLine::match(shortest.substr(0, shortest.size() - 1)), entry);
    }
    documented.insert(entry);
  }
  EXPECT_EQ(documented.size(), static_cast<size_t>(CommandLine::entries()));
}

TEST(PalvexSwitches, HelpAndVersionOnlyWhereASwitchIsRead) {
  using base::InfoRequest;
  EXPECT_EQ(CommandLine::infoRequest({"--help"}), InfoRequest::kHelp);
  EXPECT_EQ(CommandLine::infoRequest({"in.tga", "-o", "--version", "--help"}),
            InfoRequest::kVersion);
  // A switch's value, however it looks.
  EXPECT_EQ(CommandLine::infoRequest({"-palette", "--help"}), InfoRequest::kNone);
  EXPECT_EQ(CommandLine::infoRequest({"-scale", "2", "--version"}), InfoRequest::kNone);
  // Only the whole words.
  EXPECT_EQ(CommandLine::infoRequest({"--helpme", "-help", "--Version"}), InfoRequest::kNone);
  // Asking prints nothing, not even the complaints parse() prints.
  StdoutCapture cap;
  CommandLine::infoRequest({"-nosuchswitch", "-colors", "999"});
  EXPECT_EQ(cap.text(), "");
}

}  // namespace
}  // namespace palvex::cli
