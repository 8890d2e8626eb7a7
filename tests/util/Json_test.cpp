#include "util/Json.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

std::string allBytes() {
  std::string s;
  for (int c = 1; c < 256; ++c) s += static_cast<char>(c);
  return s;
}

TEST(Latin1ToUtf8, EveryByteBecomesTheCharacterOfItsCode) {
  EXPECT_EQ(util::latin1ToUtf8("Plain [ASCII] 09~"), "Plain [ASCII] 09~");
  EXPECT_EQ(util::latin1ToUtf8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");  // été
  EXPECT_EQ(util::latin1ToUtf8("\x80\xBF\xC0\xFF"), "\xC2\x80\xC2\xBF\xC3\x80\xC3\xBF");
  EXPECT_EQ(util::latin1ToUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(util::latin1ToUtf8(""), "");
}

TEST(Latin1ToUtf8, ReadsBackAsTheSameCodesThroughTheLibrary) {
  // The library's parser checks the UTF-8 and unescapes; each character read
  // back must be the byte we started from.
  const std::string bytes = allBytes();
  util::Json back = util::Json::parse(util::jsonDump(util::jsonText(bytes)));
  const std::string utf8 = back.get<std::string>();
  std::string decoded;
  for (size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x80) {
      ASSERT_TRUE(c == 0xC2 || c == 0xC3) << i;
      c = static_cast<unsigned char>(((c & 0x03) << 6) |
                                     (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    }
    decoded += static_cast<char>(c);
  }
  EXPECT_EQ(decoded, bytes);
}

TEST(JsonText, QuotesAndControlCharactersAreEscapedAndNothingThrows) {
  EXPECT_EQ(util::jsonDump(util::jsonText("say \"hi\"\\\n\x01")),
            "\"say \\\"hi\\\"\\\\\\n\\u0001\"");
  EXPECT_EQ(util::jsonDump(util::jsonText("\xFF\xFE")), "\"\xC3\xBF\xC3\xBE\"");
  EXPECT_NO_THROW(util::jsonDump(util::jsonText(allBytes())));
}

TEST(JsonText, AbsentTextsAndListsOfTexts) {
  EXPECT_TRUE(util::jsonTextOrNull(std::nullopt).is_null());
  EXPECT_EQ(util::jsonTextOrNull(std::string("\xE9")), "\xC3\xA9");
  EXPECT_EQ(util::jsonTextOrNull(std::string()), "");
  EXPECT_EQ(util::jsonDump(util::jsonTexts({"a", "\xE0", ""})), "[\"a\",\"\xC3\xA0\",\"\"]");
  EXPECT_EQ(util::jsonDump(util::jsonTexts({})), "[]");
}

TEST(JsonDump, RawBytesThatAreNotUtf8AreRefused) {
  // A text that bypassed the helpers is an error, never a corrupt file.
  EXPECT_THROW(util::jsonDump(util::Json(std::string("\xE9"))), nlohmann::json::exception);
}

TEST(JsonNumber, NonFiniteDoublesAreNullAndOthersRoundTrip) {
  EXPECT_TRUE(util::jsonNumber(std::nan("")).is_null());
  EXPECT_TRUE(util::jsonNumber(std::numeric_limits<double>::infinity()).is_null());
  EXPECT_TRUE(util::jsonNumber(-std::numeric_limits<double>::infinity()).is_null());
  for (double v : {0.1, 1.0 / 3.0, -2.5, 1e300, 5e-324, 0.0}) {
    util::Json back = util::Json::parse(util::jsonDump(util::jsonNumber(v)));
    EXPECT_EQ(back.get<double>(), v);
  }
}

TEST(JsonDump, KeysKeepTheirOrderAndTheTextIsCompact) {
  util::Json o = util::Json::object();
  o["zeta"] = 1;
  o["alpha"] = util::jsonText("x");
  o["mid"] = util::Json::array({int64_t{9007199254740993}, true, nullptr});
  EXPECT_EQ(util::jsonDump(o), "{\"zeta\":1,\"alpha\":\"x\",\"mid\":[9007199254740993,true,null]}");
}

}  // namespace
