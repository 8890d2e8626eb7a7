#include "programs/vardo/config.h"

#include <gtest/gtest.h>

#include "TestDir.h"
#include "util/Debug.h"

namespace {

using programs::vardo::config;
using testing_support::StdoutCapture;
using testing_support::TestDir;
using util::Debug;

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Debug::reset();
    config::resetToDefaults();
    config::home = dir.path();
  }
  void TearDown() override {
    Debug::reset();
    config::resetToDefaults();
  }
  // Reads `text` as the settings file and returns the trace it wrote.
  std::string readSettings(const std::string& text) {
    dir.write("VardoBF.cfg", text);
    StdoutCapture out;
    config::set("VardoBF", std::nullopt);
    return out.text();
  }
  TestDir dir;
};

TEST_F(ConfigTest, DefaultsWithoutAFile) {
  StdoutCapture out;
  config::set("VardoBF", std::nullopt);
  EXPECT_EQ(out.text(),
            "Warning: Bad Config file '" + dir.inside("VardoBF.cfg") + "'\tUsing default values\n");
  EXPECT_EQ(Debug::type(), Debug::kBoth);
  EXPECT_EQ(dir.read("VardoDebug.txt"),
            "Warning: Bad Config file '" + dir.inside("VardoBF.cfg") + "'\tUsing default values\n");
  EXPECT_EQ(config::program, "VardoBF");
  EXPECT_EQ(config::vdDBDir(), dir.inside("data/"));
  EXPECT_EQ(config::vdHtmlDir(), dir.inside("html/"));
  EXPECT_EQ(config::vdSaveDir(), dir.inside("processedLogs/"));
  EXPECT_EQ(config::vdLogHandling(), "save");
  EXPECT_EQ(config::numGamesToSave(), 15);
  EXPECT_TRUE(config::logTmpFiles());
  EXPECT_TRUE(config::createGraphs());
  EXPECT_TRUE(config::spawnBrowser());
  EXPECT_FALSE(config::tcsMode);
  EXPECT_EQ(config::tcsHtml, "/usr/local/apache/htdocs/");
  EXPECT_FALSE(config::tcsTDir.has_value());
  EXPECT_EQ(config::tcsDBport, 10002);
  EXPECT_EQ(config::getRankAll(), 20);
  EXPECT_EQ(config::getRank1v1(), 20);
}

TEST_F(ConfigTest, NamedFileIsReadAndMissingNamedFileIsReported) {
  dir.write("other.cfg", "Max_Most_Recent\t7\n");
  config::set("VardoBF", dir / "other.cfg");
  EXPECT_EQ(config::numGamesToSave(), 7);
  StdoutCapture out;
  config::set("VardoBF", dir / "none.cfg");
  EXPECT_EQ(out.text(),
            "Warning: Bad Config file '" + dir / "none.cfg" + "'\tUsing default values\n");
}

TEST_F(ConfigTest, EveryKeyReachesItsField) {
  readSettings(
      "Directory\tABS\nDBDir\t/db\nHTMLDirectory\t/www\nSaveDir\t/keep\nLogFileHandling\tmove\n"
      "Max_Most_Recent\t30\nDelay\t5\nLogTmpFiles\tfalse\nSpawnBrowser\tno\nCreateGraphs\tFALSE\n"
      "tcsMode\ttrue\ntcsHtml\t/t\ntcsTDir\tsub\ntcsDBhost\th\ntcsDBport\t99\ntcsDBpass\tpw\n"
      "tcsDBrecord\tr\ntcsVerify\t/v\ntcsAbsPath\tTrue\nRankAllGames\t1\nRankDeathMatch\t2\n"
      "RankTeamGame\t3\nRankCTF\t4\nRankDomination\t5\nRankAssault\t6\nRankInstaGib\t7\n"
      "RankLastManStanding\t8\nRank1v1\t9\n");
  EXPECT_EQ(config::vdDir(), "ABS");
  EXPECT_EQ(config::vdDBDir(), "/db/");
  EXPECT_EQ(config::vdHtmlDir(), "/www/");
  EXPECT_EQ(config::vdSaveDir(), "/keep/");
  EXPECT_EQ(config::vdLogHandling(), "move");
  EXPECT_EQ(config::numGamesToSave(), 30);
  EXPECT_EQ(config::delay, 5);
  EXPECT_FALSE(config::logTmpFiles());
  EXPECT_FALSE(config::spawnBrowser());
  EXPECT_FALSE(config::createGraphs());
  EXPECT_TRUE(config::tcsMode);
  EXPECT_EQ(config::tcsHtml, "/t/");
  EXPECT_EQ(config::tcsTDir, "sub/");
  EXPECT_EQ(config::tcsDBhost, "h");
  EXPECT_EQ(config::tcsDBport, 99);
  EXPECT_EQ(config::tcsDBpass, "pw");
  EXPECT_EQ(config::tcsDBrecord, "r");
  EXPECT_EQ(config::tcsVerify, "/v/");
  EXPECT_TRUE(config::tcsAbsPath);
  EXPECT_EQ(config::getRankAll(), 1);
  EXPECT_EQ(config::getRankDM(), 2);
  EXPECT_EQ(config::getRankTG(), 3);
  EXPECT_EQ(config::getRankCTF(), 4);
  EXPECT_EQ(config::getRankDom(), 5);
  EXPECT_EQ(config::getRankA(), 6);
  EXPECT_EQ(config::getRankIG(), 7);
  EXPECT_EQ(config::getRankLMS(), 8);
  EXPECT_EQ(config::getRank1v1(), 9);
}

TEST_F(ConfigTest, ResetRestoresEveryField) {
  readSettings(
      "Directory\tABS\nDBDir\t/db\nHTMLDirectory\t/www\nSaveDir\t/keep\nLogFileHandling\tmove\n"
      "DebugType\tNone\nMax_Most_Recent\t30\nDelay\t5\nLogTmpFiles\tfalse\nSpawnBrowser\tno\n"
      "CreateGraphs\tFALSE\ntcsMode\ttrue\ntcsHtml\t/t\ntcsTDir\tsub\ntcsDBhost\th\n"
      "tcsDBport\t99\ntcsDBpass\tpw\ntcsDBrecord\tr\ntcsVerify\t/v\ntcsAbsPath\tTrue\n"
      "RankAllGames\t1\nRankDeathMatch\t2\nRankTeamGame\t3\nRankCTF\t4\nRankDomination\t5\n"
      "RankAssault\t6\nRankInstaGib\t7\nRankLastManStanding\t8\nRank1v1\t9\n");
  config::setVersion(std::string("9.9"));
  config::os = "Linux";
  config::orBrowser(true);
  config::resetToDefaults();

  EXPECT_EQ(config::dir, "RELATIVE");
  EXPECT_EQ(config::dbDir, "data/");
  EXPECT_EQ(config::htmlDir, "html/");
  EXPECT_EQ(config::saveDir, "processedLogs/");
  EXPECT_EQ(config::logHandling, "save");
  EXPECT_EQ(config::debugType, "StdOut");
  EXPECT_EQ(config::numGames, 15);
  EXPECT_EQ(config::delay, 0);
  EXPECT_TRUE(config::logTmp);
  EXPECT_TRUE(config::browser);
  EXPECT_TRUE(config::graph);
  EXPECT_FALSE(config::tcsMode);
  EXPECT_EQ(config::tcsHtml, "/usr/local/apache/htdocs/");
  EXPECT_FALSE(config::tcsTDir.has_value());
  EXPECT_EQ(config::tcsDBhost, "127.0.0.1");
  EXPECT_EQ(config::tcsDBport, 10002);
  EXPECT_EQ(config::tcsDBpass, "xx");
  EXPECT_EQ(config::tcsDBrecord, "a");
  EXPECT_EQ(config::tcsVerify, "/usr/local/tcs/logs/games.verify/");
  EXPECT_FALSE(config::tcsAbsPath);
  for (int32_t rank :
       {config::RankAll, config::RankDM, config::RankTG, config::RankCTF, config::RankDom,
        config::RankA, config::RankIG, config::RankLMS, config::Rank1v1})
    EXPECT_EQ(rank, 20);
  EXPECT_EQ(config::program, "");
  EXPECT_EQ(config::version, "0.0");
  EXPECT_EQ(config::home, "");
  EXPECT_EQ(config::os, "");
  EXPECT_EQ(config::browserOverride, 2);
}

TEST_F(ConfigTest, CapsAndLimits) {
  readSettings("Max_Most_Recent\t5000\nRankCTF\t100\nRankDomination\t-3\nDelay\t600\n");
  EXPECT_EQ(config::numGamesToSave(), 1000);
  EXPECT_EQ(config::getRankCTF(), 64);
  EXPECT_EQ(config::getRankDom(), -3);
  EXPECT_EQ(config::delay, 600);
  readSettings("Delay\t601\n");
  EXPECT_EQ(config::delay, 0);
  readSettings("Delay\t-1\n");
  EXPECT_EQ(config::delay, 0);
}

TEST_F(ConfigTest, PathsGetATrailingSlashAndRelativeOnesTheHome) {
  readSettings("DBDir\tstats\nHTMLDirectory\thtml/ \nSaveDir\tsaved/\n");
  EXPECT_EQ(config::vdDBDir(), dir.inside("stats/"));
  EXPECT_EQ(config::vdHtmlDir(), dir.inside("html/ /"));
  EXPECT_EQ(config::vdSaveDir(), dir.inside("saved/"));
}

TEST_F(ConfigTest, BooleansAreTrueOnlyForTrueInAnyCase) {
  readSettings("SpawnBrowser\tTRUE\nCreateGraphs\tyes\nLogTmpFiles\t true\n");
  EXPECT_TRUE(config::browser);
  EXPECT_FALSE(config::graph);
  EXPECT_FALSE(config::logTmp);
}

TEST_F(ConfigTest, CommandLineOverrideBeatsTheFile) {
  readSettings("SpawnBrowser\tfalse\n");
  config::orBrowser(true);
  EXPECT_TRUE(config::spawnBrowser());
  config::orBrowser(false);
  readSettings("SpawnBrowser\ttrue\n");
  EXPECT_FALSE(config::spawnBrowser());
}

TEST_F(ConfigTest, LineEndingsCommentsAndBadLines) {
  std::string trace = readSettings(
      "# comment\n\r\n\nDBDir\tcr\r\nkeyonly\nSaveDir\t\nHTMLDirectory\t\r\n  DBDir\tx\n"
      "LogFileHandling\tdelete\tsecond tab\nUnknownKey\tv\nRankCTF\t9");
  EXPECT_EQ(trace,
            "bad line in config file, ignoring:\nkeyonly\n\n"
            "bad line in config file, ignoring:\nSaveDir\t\n\n");
  EXPECT_EQ(config::dbDir, "cr/");
  EXPECT_EQ(config::htmlDir, "/");  // empty value, then the slash
  EXPECT_EQ(config::saveDir, "processedLogs/");
  EXPECT_EQ(config::logHandling, "delete\tsecond tab");
  EXPECT_EQ(config::getRankCTF(), 9);  // last line without a line end
}

TEST_F(ConfigTest, LaterLineWins) {
  readSettings("Max_Most_Recent\t3\nMax_Most_Recent\t4\n");
  EXPECT_EQ(config::numGamesToSave(), 4);
}

TEST_F(ConfigTest, BadIntegerStopsReadingAndSkipsTheCaps) {
  std::string trace =
      readSettings("Max_Most_Recent\t5000\nDBDir\tfirst\nDelay\tten\nDBDir\tsecond\n");
  EXPECT_EQ(trace, "Error in vdsConfig.setNumberFormatError: For input string: \"ten\"\n");
  EXPECT_EQ(config::numGamesToSave(), 5000);
  EXPECT_EQ(config::dbDir, "first");  // no slash: the caps step did not run
  readSettings("RankCTF\t+5\n");
  EXPECT_EQ(config::getRankCTF(), 20);
  readSettings("RankCTF\t99999999999\n");
  EXPECT_EQ(config::getRankCTF(), 20);
}

TEST_F(ConfigTest, DebugTypeTakesEffectAtItsLine) {
  std::string trace = readSettings("bad1\nDebugType\tfile\nbad2\n");
  EXPECT_EQ(trace, "bad line in config file, ignoring:\nbad1\n\n");
  EXPECT_EQ(Debug::type(), Debug::kFile);
  Debug::close();
  EXPECT_EQ(dir.read("VardoDebug.txt"), "bad line in config file, ignoring:\nbad2\n\n");
}

TEST_F(ConfigTest, VersionIsKeptUnlessNone) {
  EXPECT_EQ(config::getVersion(), "0.0");
  config::setVersion(std::string("1.2"));
  config::setVersion(std::nullopt);
  EXPECT_EQ(config::getVersion(), "1.2");
}

}  // namespace
