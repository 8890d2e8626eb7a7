#include "util/Timer.h"

#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/Clock.h"
#include "platform/FakeClock.h"

namespace {

using platform::NumberGrouping;
using util::Timer;

TEST(TimerFormat, SixDigitsArePaddedOrCut) {
  NumberGrouping none{0, 3};
  EXPECT_EQ(Timer::format(1234, none, true), "001234");
  EXPECT_EQ(Timer::format(0, none, true), "000000");
  EXPECT_EQ(Timer::format(1234567, none, true), "234567");
  EXPECT_EQ(Timer::format(-12, none, true), "-000012");
  EXPECT_EQ(Timer::format(1234567, none, false), "1234567");
}

TEST(TimerFormat, LocaleGroupingApplies) {
  NumberGrouping comma{',', 3};
  EXPECT_EQ(Timer::format(1234, comma, true), "001,234");
  EXPECT_EQ(Timer::format(5, comma, true), "000,005");
  NumberGrouping dot{'.', 3};
  EXPECT_EQ(Timer::format(987654321, dot, true), "654.321");
}

TEST(TimerMark, PrintsElapsedMillisAndLabelThenRestarts) {
  testing_support::FakeClock clock(1000000);
  platform::ScopedClock use(clock);
  Timer::init();
  testing_support::StdoutCapture out;
  Timer t;
  clock.advance(1234);
  t.mark("first");
  clock.advance(5);
  t.mark("second");
  std::string text = out.text();
  // The grouping is the environment's; the digits are fixed.
  std::string digits;
  for (char c : text)
    if ((c >= '0' && c <= '9') || c == '\n') digits += c;
  EXPECT_EQ(digits, "001234\n000005\n");
  EXPECT_NE(text.find(" ms first\n"), std::string::npos);
  EXPECT_NE(text.find(" ms second\n"), std::string::npos);
}

}  // namespace
