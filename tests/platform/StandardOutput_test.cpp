#include "platform/StandardOutput.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "TestDir.h"

namespace {

using testing_support::StderrCapture;
using testing_support::StdoutCapture;

TEST(StandardOutput, PrintsGoToStandardErrorAndWritesToTheOldStandardOutput) {
  StderrCapture err;
  StdoutCapture out;
  std::printf("before\n");  // still buffered: the diversion flushes it first
  auto diverted = platform::StandardOutput::divertToStandardError();
  ASSERT_NE(diverted, nullptr);
  std::printf("trace\n");
  std::fflush(stdout);
  ASSERT_TRUE(diverted->write("{\"json\": 1}\n"));
  ASSERT_TRUE(diverted->close());
  EXPECT_FALSE(diverted->write("late"));
  EXPECT_EQ(out.text(), "before\n{\"json\": 1}\n");
  EXPECT_EQ(err.text(), "trace\n");
}

}  // namespace
