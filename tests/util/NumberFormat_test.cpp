#include "util/NumberFormat.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberFormatting, OneFractionDigitAndAtMostEightIntegerDigits) {
  util::NumberFormat f(platform::NumberGrouping{});
  EXPECT_EQ(f.format(0.0), "0.0");
  EXPECT_EQ(f.format(int32_t{7}), "7.0");
  EXPECT_EQ(f.format(0.04), "0.0");
  EXPECT_EQ(f.format(-0.04), "-0.0");
  EXPECT_EQ(f.format(0.25), "0.2");  // ties go to the even digit
  EXPECT_EQ(f.format(0.75), "0.8");
  EXPECT_EQ(f.format(0.35 * 100), "35.0");
  EXPECT_EQ(f.format(100.0 / 3), "33.3");
  EXPECT_EQ(f.format(-12.96), "-13.0");
  EXPECT_EQ(f.format(123456789.5), "23456789.5");  // the ninth digit is dropped
}

TEST(NumberFormatting, GroupingAndDecimalSignOfThePlatform) {
  util::NumberFormat f(platform::NumberGrouping{'.', 3, ','});
  EXPECT_EQ(f.format(1234567.25), "1.234.567,2");
  EXPECT_EQ(f.format(999.0), "999,0");
  EXPECT_EQ(f.format(-1000.0), "-1.000,0");
}

}  // namespace
