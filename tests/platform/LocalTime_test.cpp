#include "platform/LocalTime.h"

#include <climits>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <time.h>

namespace {

// Sets the machine's time zone for one test and puts the old one back.
class LocalTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
  }
  void TearDown() override {
    if (saved_)
      ::setenv("TZ", saved_->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }
  static void zone(const char* tz) {
    ::setenv("TZ", tz, 1);
    ::tzset();
  }
  static std::tm civil(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return tm;
  }

 private:
  std::optional<std::string> saved_;
};

TEST_F(LocalTimeTest, BrokenDownTimeOfAPointInTheZoneInForce) {
  zone("UTC");
  std::tm tm{};
  ASSERT_TRUE(platform::localTime(0, tm));
  EXPECT_EQ(tm.tm_year, 70);
  EXPECT_EQ(tm.tm_mon, 0);
  EXPECT_EQ(tm.tm_mday, 1);
  EXPECT_EQ(tm.tm_hour, 0);
  EXPECT_EQ(tm.tm_wday, 4);  // a Thursday
  ASSERT_TRUE(platform::localTime(951782400, tm));
  EXPECT_EQ(tm.tm_mon, 1);
  EXPECT_EQ(tm.tm_mday, 29);

  zone("XYZ-5:30");  // half an hour off the full hours, east of UTC
  ASSERT_TRUE(platform::localTime(0, tm));
  EXPECT_EQ(tm.tm_hour, 5);
  EXPECT_EQ(tm.tm_min, 30);
}

TEST_F(LocalTimeTest, PointOfALocalTimeRoundTrips) {
  zone("XYZ-5:30");
  std::tm tm = civil(2026, 12, 1, 18, 0, 0);
  const std::time_t t = platform::fromLocalTime(tm);
  EXPECT_EQ(t, 1796148000 - 5 * 3600 - 30 * 60);  // 2026-12-01 18:00 UTC, less the offset
  std::tm back{};
  ASSERT_TRUE(platform::localTime(t, back));
  EXPECT_EQ(back.tm_year, 126);
  EXPECT_EQ(back.tm_mon, 11);
  EXPECT_EQ(back.tm_mday, 1);
  EXPECT_EQ(back.tm_hour, 18);
  EXPECT_EQ(back.tm_min, 0);
}

TEST_F(LocalTimeTest, DaylightSavingTimeIsDecidedByTheZoneRules) {
  zone("EST5EDT,M3.2.0,M11.1.0");
  std::tm winter = civil(2026, 1, 15, 12, 0, 0);
  std::tm summer = civil(2026, 7, 15, 12, 0, 0);
  zone("UTC");
  std::tm winterUtc = civil(2026, 1, 15, 12, 0, 0);
  std::tm summerUtc = civil(2026, 7, 15, 12, 0, 0);
  const std::time_t wu = platform::fromLocalTime(winterUtc);
  const std::time_t su = platform::fromLocalTime(summerUtc);
  zone("EST5EDT,M3.2.0,M11.1.0");
  EXPECT_EQ(platform::fromLocalTime(winter) - wu, 5 * 3600);
  EXPECT_EQ(platform::fromLocalTime(summer) - su, 4 * 3600);
  EXPECT_EQ(winter.tm_isdst, 0);
  EXPECT_GT(summer.tm_isdst, 0);
}

TEST_F(LocalTimeTest, FieldsOutOfRangeAreNormalised) {
  zone("UTC");
  std::tm tm = civil(2025, 13, 1, 23, 59, 60);  // a 13th month, a 61st second
  const std::time_t t = platform::fromLocalTime(tm);
  EXPECT_EQ(t, 1767312000);  // 2026-01-02 00:00:00
  EXPECT_EQ(tm.tm_year, 126);
  EXPECT_EQ(tm.tm_mon, 0);
  EXPECT_EQ(tm.tm_mday, 2);
  EXPECT_EQ(tm.tm_hour, 0);
  EXPECT_EQ(tm.tm_min, 0);
  EXPECT_EQ(tm.tm_sec, 0);
  EXPECT_EQ(tm.tm_wday, 5);  // a Friday
}

// -1 is both the failure and a real point; the normalised year tells them
// apart, which is what the match replay relies on.
TEST_F(LocalTimeTest, MinusOneIsAPointAndAFailure) {
  zone("UTC");
  std::tm lastSecond = civil(1969, 12, 31, 23, 59, 59);
  EXPECT_EQ(platform::fromLocalTime(lastSecond), -1);
  EXPECT_EQ(lastSecond.tm_year, 69);

  std::tm tooLate = civil(2000, 1, 1, 0, 0, 0);
  tooLate.tm_year = INT_MAX;
  tooLate.tm_mon = 24;  // two years past the largest year an int holds
  EXPECT_EQ(platform::fromLocalTime(tooLate), -1);
}

TEST_F(LocalTimeTest, AnUnrepresentablePointLeavesTheResultAsItWas) {
  zone("UTC");
  std::tm tm{};
  tm.tm_mday = 17;
  EXPECT_FALSE(platform::localTime(std::numeric_limits<std::time_t>::max(), tm));
  EXPECT_EQ(tm.tm_mday, 17);
  EXPECT_EQ(tm.tm_year, 0);
}

}  // namespace
