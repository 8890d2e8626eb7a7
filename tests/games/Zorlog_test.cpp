#include "games/Zorlog.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "util/Debug.h"

namespace {

using games::Zorlog;
using testing_support::StdoutCapture;
using util::Debug;
using Lines = std::vector<std::vector<std::string>>;

// The tokenizer's rules written as plainly as possible, character by
// character, to check the fast one against on arbitrary input.
Lines reference(const std::string& text) {
  Lines out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty() || line[0] == '\r' || line[0] == '#') continue;
    std::vector<std::string> fields;
    size_t from = 0;
    for (;;) {
      size_t tab = line.find('\t', from);
      size_t stop = tab == std::string::npos ? line.size() : tab;
      size_t cr = line.find('\r', from);
      if (cr != std::string::npos && cr < stop) stop = cr;
      fields.push_back(line.substr(from, stop - from));
      if (tab == std::string::npos) break;
      from = stop + 1;
    }
    out.push_back(fields);
  }
  return out;
}

Lines parse(const std::string& text) { return Zorlog::parse(text); }

class ZorlogTest : public ::testing::Test {
 protected:
  void SetUp() override { Debug::reset(); }
  void TearDown() override { Debug::reset(); }
};

TEST_F(ZorlogTest, SplitsLinesAtLfAndFieldsAtTab) {
  EXPECT_EQ(parse("1.5\tkill\t3\n"), (Lines{{"1.5", "kill", "3"}}));
  EXPECT_EQ(parse("1.5\tkill\t3\r\n"), (Lines{{"1.5", "kill", "3"}}));
  EXPECT_EQ(parse("1.5\tkill\t3\t\r\n"), (Lines{{"1.5", "kill", "3", ""}}));
  EXPECT_EQ(parse("1.5\tkill\t3\t\n"), (Lines{{"1.5", "kill", "3", ""}}));
  EXPECT_EQ(parse("a\t\tb\n"), (Lines{{"a", "", "b"}}));
  EXPECT_EQ(parse("\t\n"), (Lines{{"", ""}}));
  EXPECT_EQ(parse("a\nb\tc"), (Lines{{"a"}, {"b", "c"}}));  // last line without LF
  EXPECT_EQ(parse(" x \t y\n"), (Lines{{" x ", " y"}}));    // not trimmed
}

TEST_F(ZorlogTest, SkipsEmptyCrOnlyAndCommentLines) {
  EXPECT_EQ(parse("# head\r\n\r\n\n1\ta\n\n#\t2\tb\n\r\t3\n \t#\n"),
            (Lines{{"1", "a"}, {" ", "#"}}));
  EXPECT_EQ(parse("\n\n\r\n#"), Lines{});
}

TEST_F(ZorlogTest, CrEndsAFieldBeforeTheLastTabAndTheLineAfterIt) {
  EXPECT_EQ(parse("a\rb\tc\n"), (Lines{{"a", "b", "c"}}));
  EXPECT_EQ(parse("a\tb\rc\n"), (Lines{{"a", "b"}}));
  EXPECT_EQ(parse("a\tb\rc\td\re\r\n"), (Lines{{"a", "b", "c", "d"}}));
  EXPECT_EQ(parse("a\r\tb\n"), (Lines{{"a", "", "b"}}));
  EXPECT_EQ(parse("a\r\r\rb\n"), (Lines{{"a"}}));
  EXPECT_EQ(parse("a\rb\rc\td"), (Lines{{"a", "b", "c", "d"}}));
  EXPECT_EQ(parse("a\t\r"), (Lines{{"a", ""}}));
}

TEST_F(ZorlogTest, TracesEntryAndExitAtLevelOne) {
  {
    StdoutCapture out;
    parse("1\tkill\n");
    EXPECT_EQ(out.text(), "");
  }
  Debug::setLevel(1);
  {
    StdoutCapture out;
    parse("1\tkill\n");
    EXPECT_EQ(out.text(), "I Zorlog.parse\nO Zorlog.parse\n");
  }
  {
    StdoutCapture out;
    EXPECT_TRUE(parse("").empty());
    EXPECT_EQ(out.text(), "I Zorlog.parse\n");  // no exit trace for an empty text
  }
}

TEST_F(ZorlogTest, AbsentTextIsAnErrorWithAnEmptyResult) {
  Debug::setLevel(1);
  StdoutCapture out;
  EXPECT_TRUE(Zorlog::parse(std::nullopt).empty());
  EXPECT_EQ(out.text(),
            "I Zorlog.parse\n"
            "Error in Zorlog.parse: IOError: no log text (the log could not be read)\n"
            "O Zorlog.parse\n");
}

// Hostile input: whatever the bytes, no field holds a TAB, CR or LF, and the
// result is the one the plain rules give.
TEST_F(ZorlogTest, HostileInput) {
  std::string nul("a\0b\tk\0\n", 7);
  EXPECT_EQ(parse(nul), (Lines{{std::string("a\0b", 3), std::string("k\0", 2)}}));
  EXPECT_EQ(parse("\r\r\r\r"), Lines{});
  EXPECT_EQ(parse(std::string(1, '\0')), (Lines{{std::string(1, '\0')}}));

  std::string many;
  for (int i = 0; i < 100000; ++i) many += std::to_string(i) + '\t';
  Lines wide = parse(many + "\r\n");
  ASSERT_EQ(wide.size(), 1u);
  ASSERT_EQ(wide[0].size(), 100001u);
  EXPECT_EQ(wide[0][99999], "99999");
  EXPECT_EQ(wide[0][100000], "");

  std::string huge(1 << 20, 'x');
  Lines longLine = parse("1\tkill\t" + huge + "\r\n2\tend");
  ASSERT_EQ(longLine.size(), 2u);
  EXPECT_EQ(longLine[0][2], huge);
  EXPECT_EQ(longLine[1], (std::vector<std::string>{"2", "end"}));

  // Many CRs before one TAB: each CR ends a field, none rescans the line.
  std::string crs;
  for (int i = 0; i < 100000; ++i) crs += "a\r";
  Lines split = parse(crs + "\tz\n");
  ASSERT_EQ(split.size(), 1u);
  ASSERT_EQ(split[0].size(), 100002u);
  EXPECT_EQ(split[0][99999], "a");
  EXPECT_EQ(split[0][100000], "");
  EXPECT_EQ(split[0][100001], "z");

  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
  EXPECT_EQ(parse(binary), reference(binary));
}

TEST_F(ZorlogTest, AgreesWithThePlainRulesOnRandomText) {
  // Few distinct bytes, so that TABs, CRs, LFs and comment marks meet at
  // every offset, including both sides of each 8-byte step of the scanner.
  const char alphabet[] = {'a', 'b', '\t', '\r', '\n', '#', '\0', '\xff', ' '};
  std::mt19937 rng(20240611);
  for (int round = 0; round < 3000; ++round) {
    std::string text(rng() % 64, ' ');
    for (char& c : text) c = alphabet[rng() % sizeof alphabet];
    ASSERT_EQ(parse(text), reference(text)) << "round " << round;
  }
}

}  // namespace
