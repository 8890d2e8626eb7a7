// Runs the built vardobf in temporary home directories and checks the files
// and lines it leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestDir.h"
#include "e2e/Run.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace {

using testing_support::binDir;
using testing_support::runProgram;
using testing_support::RunResult;
using testing_support::TestDir;
using testing_support::utf16le;

std::string vardobf() { return binDir() + "/vardobf"; }

std::string matchLog(const std::string& server, const std::string& date) {
  return utf16le("0.00\tinfo\tAbsolute_Time\t" + date + "\r\n0.00\tinfo\tServer_ServerName\t" +
                 server +
                 "\r\n0.00\tmap\tTitle\tDeck\r\n"
                 "0.00\tplayer\tConnect\tAnn\t1\tFalse\ta1\r\n"
                 "0.00\tplayer\tConnect\tBo\t2\tFalse\tb2\r\n"
                 "0.00\tgame_start\r\n"
                 "5.00\tkill\t1\tRocket Launcher\t2\tPistol\tRocketBlast\r\n"
                 "9.00\tgame_end\ttimelimit\r\n");
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class VardobfRun : public ::testing::Test {
 protected:
  void SetUp() override {
    home.mkdir("data");
    home.mkdir("html");
    home.mkdir("processedLogs");
    home.mkdir("logs");
  }
  TestDir home;
};

TEST_F(VardobfRun, StagesProcessesAndCleansUpWithDefaultSettings) {
  home.write("logs/one.log", matchLog("Alpha <b>", "2026.01.02.10.00.00.000.+1"));
  home.write("logs/two.log", matchLog("Beta", "2026.01.03.10.00.00.000.+1"));
  RunResult r =
      runProgram(home.path(), vardobf(), {"-j", home.path(), "logs"}, "DISPLAY= WAYLAND_DISPLAY=");
  EXPECT_EQ(r.status, 0) << r.output;
  const std::string warning =
      "Warning: Bad Config file '" + home.path() + "/VardoBF.cfg'\tUsing default values\n";
  EXPECT_TRUE(contains(r.output, warning)) << r.output;
  // No launcher in the home directory: the one installed beside the program
  // is started.
  EXPECT_TRUE(contains(r.output, "Page: " + home.path() + "/html/processing.html\n")) << r.output;
  EXPECT_TRUE(contains(r.output, "Now Processing log 1 of 2: one.log\n"));
  EXPECT_TRUE(contains(r.output, "Now Processing log 2 of 2: two.log\n"));
  EXPECT_TRUE(contains(r.output, " ms Entire Program\n"));
  EXPECT_FALSE(contains(r.output, "no logs to process"));
  // Without a settings file the trace also goes to the trace file.
  std::string trace = home.read("VardoDebug.txt");
  EXPECT_EQ(trace.rfind(warning, 0), 0u) << trace;
  EXPECT_FALSE(contains(trace, " ms "));  // stopwatch lines only on standard output
  // Save mode: the sources stay, the staged copies are gone after the save.
  EXPECT_EQ(platform::listDirectory(home / "logs"),
            (std::vector<std::string>{"one.log", "two.log"}));
  // The staged copies and the run lock are gone; the databases are there.
  EXPECT_EQ(
      platform::listDirectory(home / "data"),
      (std::vector<std::string>{"bf_game.db", "bf_hash.db", "bf_player.db", "bf_records.db"}));
  EXPECT_TRUE(platform::isFile(home / "html/Vardo_Main.html"));
  auto games = platform::listDirectory(home / "html/Individual_Game_Stats");
  // Two matches, Highest_Score, Last_Game and the list of recent matches.
  EXPECT_EQ(games.size(), 5u);
  // The server name "Alpha <b>" reaches the pages escaped.
  EXPECT_FALSE(contains(home.read("html/Individual_Game_Stats/Recent_Index.html"), "<b>"));
  size_t alpha = 0;
  for (const std::string& d : games) {
    if (!platform::isFile(home / ("html/Individual_Game_Stats/" + d + "/index.html"))) continue;
    const std::string index = home.read("html/Individual_Game_Stats/" + d + "/index.html");
    EXPECT_FALSE(contains(index, "<b>")) << d;
    if (contains(index, "Alpha &lt;b&gt;")) ++alpha;
  }
  EXPECT_GE(alpha, 1u);
}

TEST_F(VardobfRun, LauncherBesideTheProgramIsStartedAndVerboseTracesShow) {
  platform::writeFile(home / "spawnBrowser.exe",
                      platform::readFile(binDir() + "/spawnBrowser.exe"));
  ASSERT_EQ(::chmod((home / "spawnBrowser.exe").c_str(), 0755), 0);
  home.write("VardoBF.cfg", "DebugType\tNone\r\nLogFileHandling\tmove\r\n");
  home.write("logs/one.log", matchLog("Alpha", "2026.01.02.10.00.00.000.+1"));
  RunResult r = runProgram(home.path(), vardobf(), {"-v", "-j", home.path(), "logs"}, "DISPLAY=");
  EXPECT_EQ(r.status, 0);
  // DebugType None silences the trace; the launcher and stopwatch still print.
  EXPECT_TRUE(contains(r.output, "Page: " + home.path() + "/html/processing.html\n")) << r.output;
  EXPECT_FALSE(contains(r.output, "Now Processing"));
  EXPECT_TRUE(contains(r.output, " ms moveLogFiles\n"));
  EXPECT_FALSE(platform::exists(home / "VardoDebug.txt"));
  EXPECT_EQ(platform::listDirectory(home / "processedLogs"), std::vector<std::string>{"one.log"});
  EXPECT_TRUE(platform::listDirectory(home / "logs").empty());
}

TEST_F(VardobfRun, CommandLineEdges) {
  RunResult quit = runProgram(home.path(), vardobf(), {"-v", "-u", "-x"});
  EXPECT_EQ(quit.status, 0);
  EXPECT_EQ(quit.output, "");
  RunResult bare = runProgram(home.path(), vardobf(), {"-"});
  EXPECT_EQ(bare.status, 255);
  EXPECT_EQ(bare.output, "OptionError: an option letter must follow \"-\"\n");
  home.write("VardoBF.cfg", "SpawnBrowser\tfalse\n");
  RunResult args = runProgram(home.path(), vardobf(), {"-x", "-v", "-j", home.path(), "nowhere"});
  EXPECT_EQ(args.status, 0);
  EXPECT_EQ(args.output.rfind("Invalid option encountered:-x\n\nUsage: VardoBF", 0), 0u);
  EXPECT_TRUE(contains(args.output, "arg[0]=-x=\narg[1]=-v=\narg[2]=-j=\n"));
  EXPECT_TRUE(contains(args.output, "File from Vector: nowhere\nO core.moveLogFiles\n"));
}

// A run that found no log at all ended with status 0 and said nothing about
// it, so a wrong log path went unnoticed.
TEST_F(VardobfRun, NothingToDoIsSaidOnStandardErrorWithStatusZero) {
  home.write("VardoBF.cfg", "SpawnBrowser\tfalse\nDebugType\tBoth\n");
  using testing_support::shellQuote;
  RunResult r = runProgram(home.path(), "/bin/sh",
                           {"-c", "exec " + shellQuote(vardobf()) + " -j " +
                                      shellQuote(home.path()) + " logs nowhere 2>err.txt"});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(home.read("err.txt"),
            "VardoBF: no logs to process in logs, nowhere or " + home.path() + "/data/\n");
  EXPECT_FALSE(contains(r.output, "no logs to process"));
  // The trace file is as before: the line is not in it.
  EXPECT_FALSE(contains(home.read("VardoDebug.txt"), "no logs to process"));
}

TEST_F(VardobfRun, DefaultLogPathAndHomeIsTheWorkingDirectory) {
  home.mkdir("srv/Logs");
  home.mkdir("srv/System/vardo/data");
  home.mkdir("srv/System/vardo/processedLogs");
  home.write("srv/System/vardo/VardoBF.cfg", "SpawnBrowser\tfalse\nLogFileHandling\tdelete\n");
  home.write("srv/Logs/match.log", matchLog("Alpha", "2026.01.02.10.00.00.000.+1"));
  home.write("srv/Logs/old.tmp", "still being written");
  RunResult r = runProgram(home / "srv/System/vardo", vardobf(), {});
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(contains(r.output, "Now Processing log 1 of 1: match.log\n")) << r.output;
  EXPECT_EQ(platform::listDirectory(home / "srv/Logs"), std::vector<std::string>{"old.tmp"});
  EXPECT_TRUE(platform::isFile(home / "srv/System/vardo/html/Vardo_Main.html"));
}

TEST_F(VardobfRun, LiveLockHandsTheLogsToTheRunningRun) {
  home.write("VardoBF.cfg", "SpawnBrowser\tfalse\n");
  int64_t now = platform::clock().currentTimeMillis();
  home.write("data/" + std::to_string(now) + ".lock", "");
  home.write("logs/one.log", matchLog("Alpha", "2026.01.02.10.00.00.000.+1"));
  RunResult r = runProgram(home.path(), vardobf(), {"-j", home.path(), "logs"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r.output, "Another Vardo is running, now exiting...\n")) << r.output;
  EXPECT_FALSE(contains(r.output, "Entire Program"));
  EXPECT_TRUE(platform::isFile(home / "data/one.log"));
}

TEST_F(VardobfRun, BadSettingsLinesAreReportedAndTheRunGoesOn) {
  home.write("VardoBF.cfg", "SpawnBrowser\tfalse\r\nno tab here\r\nDelay\tsoon\r\nDBDir\tx\r\n");
  home.write("logs/one.log", matchLog("Alpha", "2026.01.02.10.00.00.000.+1"));
  RunResult r = runProgram(home.path(), vardobf(), {"-j", home.path(), "logs"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(contains(r.output,
                       "bad line in config file, ignoring:\nno tab here\n\n"
                       "Error in vdsConfig.setNumberFormatError: For input string: \"soon\"\n"))
      << r.output;
  // The DBDir line after the failure was not read: the default is in force.
  EXPECT_TRUE(contains(r.output, "Now Processing log 1 of 1: one.log\n"));
}

}  // namespace

// The site's data and its explorer: on by default, with a link on the main
// page; with ExportData false neither data nor explorer, and the main page as
// designed.
TEST_F(VardobfRun, SiteDataAndExplorerFollowTheExportSetting) {
  for (const bool exported : {true, false}) {
    SCOPED_TRACE(exported ? "ExportData true" : "ExportData false");
    TestDir site;
    site.mkdir("logs");
    site.write("logs/one.log", matchLog("Alpha", "2026.01.02.10.00.00.000.+1"));
    site.write("VardoBF.cfg", std::string("SpawnBrowser\tfalse\nDebugType\tNone\nExportData\t") +
                                  (exported ? "true" : "false") + "\n");
    RunResult r = runProgram(site.path(), vardobf(), {"-j", site.path(), "logs"});
    ASSERT_EQ(r.status, 0) << r.output;
    const std::string main = site.read("html/Vardo_Main.html");
    EXPECT_EQ(platform::isFile(site / "html/data/totals.json"), exported);
    EXPECT_EQ(platform::isFile(site / "html/data/totals.js"), exported);
    EXPECT_EQ(platform::isDirectory(site / "html/data"), exported);
    for (const char* file : {"Explorer.html", "explorer.js", "explorer.css"})
      EXPECT_EQ(platform::isFile(site / (std::string("html/") + file)), exported) << file;
    EXPECT_EQ(contains(main, "<a href=\"Explorer.html\" class=w>Explorer</a>"), exported);
  }
}
