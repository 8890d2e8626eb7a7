#include "util/Text.h"

#include <gtest/gtest.h>

#include "base/Failure.h"

namespace {

TEST(ParseInt, AcceptsOptionalMinusAndDigitsWithinRange) {
  EXPECT_EQ(util::parseInt32("0"), 0);
  EXPECT_EQ(util::parseInt32("-17"), -17);
  EXPECT_EQ(util::parseInt32("2147483647"), 2147483647);
  EXPECT_EQ(util::parseInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(util::parseInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(util::parseInt64("-9223372036854775808"), INT64_MIN);
}

TEST(ParseInt, RejectsEverythingElseNamingTheText) {
  for (const char* bad : {"", "-", "+5", " 5", "5 ", "ten", "2147483648", "-2147483649", "1e3",
                          "0x10", "99999999999999999999"}) {
    try {
      util::parseInt32(bad);
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const base::NumberFormatError& e) {
      EXPECT_EQ(e.text(), std::string("NumberFormatError: For input string: \"") + bad + "\"");
    }
  }
  EXPECT_THROW(util::parseInt64("9223372036854775808"), base::NumberFormatError);
}

TEST(TextHelpers, SuffixesAndCase) {
  EXPECT_TRUE(util::endsWith("a.log", ".log"));
  EXPECT_FALSE(util::endsWith("a.LOG", ".log"));
  EXPECT_FALSE(util::endsWith("og", ".log"));
  EXPECT_TRUE(util::equalsIgnoreCase("StdOut", "stdout"));
  EXPECT_FALSE(util::equalsIgnoreCase("StdOut", "stdou"));
}

TEST(LowBytes, KeepsTheLowByteOfEachUnitAndDropsAnOddLastByte) {
  using namespace std::string_literals;
  EXPECT_EQ(util::lowBytes(""), "");
  EXPECT_EQ(util::lowBytes("A"), "");
  EXPECT_EQ(util::lowBytes("A\0B\0"s), "AB");
  EXPECT_EQ(util::lowBytes("A\0B\0C"s), "AB");
  // High bytes are dropped whatever they hold; a zero low byte is kept.
  EXPECT_EQ(util::lowBytes("\xe9\x01\0\xff\n\0"s), "\xe9\0\n"s);
}

}  // namespace
