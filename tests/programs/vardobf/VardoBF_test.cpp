#include "programs/vardobf/VardoBF.h"

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"

namespace {

using programs::vardobf::VardoBF;
using testing_support::StdoutCapture;

const char* const kUsage =
    "\nUsage: VardoBF [-c <configfile>] [-v] <logfile1> ...<logfileN>\n\n"
    "The default directory is '.'\nThe default config file is './VardoBF.cfg'\n\n";

TEST(VardoBFOptions, ValuesVerbosityAndLogPaths) {
  auto o = VardoBF::parseOptions(
      {"-v", "-verbose", "-c", "my.cfg", "-l", "one", "-b", "T", "-j", "/home", "two", "-v"});
  EXPECT_EQ(o.verbosity, 2);
  EXPECT_EQ(o.configFile, "my.cfg");
  EXPECT_EQ(o.home, "/home");
  EXPECT_EQ(o.browser, true);
  EXPECT_EQ(o.logPaths, (std::vector<std::string>{"one", "two", "-v"}));
}

TEST(VardoBFOptions, DefaultLogPathAndBrowserValues) {
  auto o = VardoBF::parseOptions({});
  EXPECT_EQ(o.logPaths, std::vector<std::string>{"../../Logs"});
  EXPECT_FALSE(o.browser.has_value());
  EXPECT_EQ(VardoBF::parseOptions({"-b", "true"}).browser, true);
  EXPECT_EQ(VardoBF::parseOptions({"-b", "yes"}).browser, false);
  EXPECT_EQ(VardoBF::parseOptions({"-bx", "t"}).browser, true);
}

TEST(VardoBFOptions, OptionWithoutValueDoesNothing) {
  auto o = VardoBF::parseOptions({"-l", "a", "-c"});
  EXPECT_FALSE(o.configFile.has_value());
  EXPECT_EQ(o.logPaths, std::vector<std::string>{"a"});
}

TEST(VardoBFOptions, UnknownOptionPrintsUsageAndParsingGoesOn) {
  StdoutCapture out;
  auto o = VardoBF::parseOptions({"-x", "-v", "log"});
  EXPECT_EQ(out.text(), std::string("Invalid option encountered:-x\n") + kUsage);
  EXPECT_EQ(o.verbosity, 1);
  EXPECT_EQ(o.logPaths, std::vector<std::string>{"log"});
}

TEST(VardoBFOptions, QuitStopsAtOnceAndBareDashIsAFailure) {
  EXPECT_TRUE(VardoBF::parseOptions({"-u", "-x"}).quit);
  EXPECT_EQ(VardoBF::main({"-v", "-u"}), 0);
  EXPECT_THROW(VardoBF::parseOptions({"-v", "-"}), base::Failure);
  StdoutCapture out;
  EXPECT_EQ(VardoBF::main({"-"}), -1);
  EXPECT_EQ(out.text(), "OptionError: an option letter must follow \"-\"\n");
}

TEST(VardoBFOptions, HelpAndVersionEndTheParseWhereAnOptionIsRead) {
  StdoutCapture out;
  auto o = VardoBF::parseOptions({"-v", "--version", "-x", "log"});
  EXPECT_EQ(o.info, base::InfoRequest::kVersion);
  EXPECT_EQ(o.verbosity, 1);
  EXPECT_TRUE(o.logPaths.empty());
  EXPECT_EQ(VardoBF::parseOptions({"--help"}).info, base::InfoRequest::kHelp);
  // A value, or a log path after the options, is read as before.
  o = VardoBF::parseOptions({"-c", "--help", "log", "--version"});
  EXPECT_EQ(o.info, base::InfoRequest::kNone);
  EXPECT_EQ(o.configFile, "--help");
  EXPECT_EQ(o.logPaths, (std::vector<std::string>{"log", "--version"}));
  // Near misses are unknown options, and the parse goes on.
  o = VardoBF::parseOptions({"--helpme", "-help"});
  EXPECT_EQ(o.info, base::InfoRequest::kNone);
  EXPECT_EQ(out.text(), std::string("Invalid option encountered:--helpme\n") + kUsage +
                            "Invalid option encountered:-help\n" + kUsage);
}

}  // namespace
