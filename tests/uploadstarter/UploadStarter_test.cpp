// The starter's command line; its runs of the uploader are tested end to
// end with the real programs.
#include "uploadstarter/UploadStarter.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/FakeClock.h"

namespace uploadstarter {
namespace {

std::string runStarter(const std::vector<std::string>& args, int* code) {
  std::FILE* f = std::tmpfile();
  *code = UploadStarter::run(args, "uploadstarter", f);
  std::rewind(f);
  std::string out;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

TEST(UploadStarterArgs, Delay) {
  EXPECT_EQ(UploadStarter::parseDelay("0"), 0);
  EXPECT_EQ(UploadStarter::parseDelay("15"), 15);
  EXPECT_EQ(UploadStarter::parseDelay("86400"), 86400);
  for (const char* bad : {"", "-1", "+3", "3s", " 3", "86401", "99999999999"})
    EXPECT_FALSE(UploadStarter::parseDelay(bad)) << bad;
}

TEST(UploadStarterArgs, UsageAndBadDelayStartNothing) {
  testing_support::FakeClock clock(0);
  platform::ScopedClock use(clock);
  int code = 0;
  EXPECT_EQ(runStarter({}, &code), "Usage: uploadstarter <logdir> [delay (def=15s)]\n");
  EXPECT_EQ(code, -1);
  EXPECT_EQ(runStarter({"logs", "-5"}, &code),
            "Bad delay \"-5\" (seconds, 0 to 86400)\n"
            "Usage: uploadstarter <logdir> [delay (def=15s)]\n");
  EXPECT_EQ(code, -1);
  EXPECT_EQ(clock.slept(), 0);
}

}  // namespace
}  // namespace uploadstarter
