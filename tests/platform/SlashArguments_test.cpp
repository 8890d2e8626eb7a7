// On this system "/" starts every absolute path, so an argument starting
// with "/" is a switch only when it cannot be a path.
#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/ProgramArguments.h"

namespace {

using platform::slashArgumentIsSwitch;
using testing_support::TestDir;

TEST(SlashArguments, PathsWhenTheyExistOrHoldASecondSlash) {
  TestDir dir;
  const std::string file = dir.write("in.bmp", "x");
  EXPECT_FALSE(slashArgumentIsSwitch(file));
  EXPECT_FALSE(slashArgumentIsSwitch(dir / "missing/out.pcx"));
  EXPECT_FALSE(slashArgumentIsSwitch(dir.path() + "/"));
  // Existing names at the root, a file and a directory.
  EXPECT_FALSE(slashArgumentIsSwitch("/tmp"));
  EXPECT_FALSE(slashArgumentIsSwitch("//"));
  EXPECT_FALSE(slashArgumentIsSwitch("/"));
}

TEST(SlashArguments, SwitchesWhenNothingOfThatNameExists) {
  EXPECT_TRUE(slashArgumentIsSwitch("/?"));
  EXPECT_TRUE(slashArgumentIsSwitch("/o"));
  EXPECT_TRUE(slashArgumentIsSwitch("/colors"));
}

}  // namespace
