// Runs the built vardobf over generated logs of every game type and checks
// every page and image each match gets.
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "e2e/Run.h"
#include "platform/FileSystem.h"
#include "util/Gif.h"

namespace {

using testing_support::binDir;
using testing_support::runProgram;
using testing_support::RunResult;
using testing_support::TestDir;

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The local pages and images a page links to, relative to its directory.
std::set<std::string> localTargets(const std::string& page) {
  std::set<std::string> out;
  static const std::regex ref("(?:href|src|HREF)=\"([^\"#:]+)[\"#]");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), ref); it != std::sregex_iterator();
       ++it)
    out.insert((*it)[1].str());
  return out;
}

util::Gif decodeFile(const std::string& path) {
  util::Gif g;
  std::string bytes = platform::readFile(path);
  EXPECT_TRUE(g.decode({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()})) << path;
  return g;
}

class MatchPages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    home = std::make_unique<TestDir>();
    for (const char* d : {"data", "html", "processedLogs", "logs"}) home->mkdir(d);
    home->write("VardoBF.cfg", "SpawnBrowser\tfalse\nDebugType\tNone\nMax_Most_Recent\t50\n");
    RunResult gen = runProgram(
        home->path(), binDir() + "/loggen",
        {"--type", "all", "--count", "7", "--seed", "11", "--players", "10", "--minutes", "4",
         "--date", "2026-03-01T20:00", "--unknown-weapons", "0.003", "--out", "logs"});
    ASSERT_EQ(gen.status, 0) << gen.output;
    run = runProgram(home->path(), binDir() + "/vardobf", {"-j", home->path(), "logs"});
  }
  static void TearDownTestSuite() { home.reset(); }
  static std::string games() { return *home / "html/Individual_Game_Stats"; }
  static std::vector<std::string> matchDirs() {
    std::vector<std::string> out;
    for (const std::string& e : platform::listDirectory(games()))
      if (e != "Last_Game" && e != "Highest_Score" && platform::isDirectory(games() + "/" + e))
        out.push_back(e);
    return out;
  }
  static inline std::unique_ptr<TestDir> home;
  static inline RunResult run;
};

TEST_F(MatchPages, EveryMatchOfEveryTypeHasAllItsPages) {
  ASSERT_EQ(run.status, 0) << run.output;
  auto dirs = matchDirs();
  ASSERT_EQ(dirs.size(), 7u);
  std::set<std::string> types;
  for (const std::string& d : dirs) {
    const std::string dir = games() + "/" + d;
    const std::string index = platform::readFile(dir + "/index.html");
    ASSERT_EQ(index.rfind("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                          "charset=iso-8859-1\">",
                          0),
              0u);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(index, m,
                                  std::regex("Game Type&nbsp</td><td class=w>&nbsp;([^&]+)&nbsp")));
    types.insert(m[1].str());
    for (const char* f : {"highLow.html", "scoreVsTime.gif"})
      EXPECT_TRUE(platform::isFile(dir + "/" + f)) << d << f;
    // Every page a page links to in its own directory exists, player pages
    // included; the large graph page exactly when the index links to it.
    std::set<std::string> seen;
    std::vector<std::string> todo = {"index.html"};
    while (!todo.empty()) {
      std::string page = todo.back();
      todo.pop_back();
      if (!seen.insert(page).second) continue;
      const std::string text = platform::readFile(dir + "/" + page);
      EXPECT_TRUE(contains(text, "</tr> </table> </body> </html>")) << d << "/" << page;
      for (const std::string& t : localTargets(text)) {
        if (t.find('/') != std::string::npos) continue;  // the frame's links lead out of the match
        std::string target = t.substr(0, 2) == "./" ? t.substr(2) : t;
        EXPECT_TRUE(platform::isFile(dir + "/" + target)) << d << "/" << page << " -> " << t;
        if (target.size() > 5 && target.substr(target.size() - 5) == ".html")
          todo.push_back(target);
      }
    }
    const auto players = std::count_if(seen.begin(), seen.end(), [](const std::string& p) {
      return std::regex_match(p, std::regex("[0-9]+\\.html"));
    });
    EXPECT_GE(players, 2) << d;
    EXPECT_EQ(platform::isFile(dir + "/gameGraphs.html"),
              contains(index, "href=\"gameGraphs.html\""))
        << d;
    util::Gif small = decodeFile(dir + "/scoreVsTime.gif");
    EXPECT_EQ(small.width, 500);
    EXPECT_EQ(small.height, 160);
    if (platform::isFile(dir + "/bigScoreVsTime.gif")) {
      util::Gif big = decodeFile(dir + "/bigScoreVsTime.gif");
      EXPECT_EQ(big.height, 500);
    }
  }
  // The single-player log is one human against bots in one of the other types.
  EXPECT_EQ(types.size(), 6u);
}

TEST_F(MatchPages, LastGameAndHighestScoreAreCopiesOfMatchDirectories) {
  ASSERT_EQ(run.status, 0) << run.output;
  for (const char* copy : {"Last_Game", "Highest_Score"}) {
    const std::string dir = games() + "/" + copy;
    ASSERT_TRUE(platform::isFile(dir + "/index.html")) << copy;
    const std::string index = platform::readFile(dir + "/index.html");
    // The copy holds exactly the files of the match it copies.
    std::string source;
    for (const std::string& d : matchDirs())
      if (platform::readFile(games() + "/" + d + "/index.html") == index) source = d;
    ASSERT_FALSE(source.empty()) << copy;
    EXPECT_EQ(platform::listDirectory(dir), platform::listDirectory(games() + "/" + source))
        << copy;
  }
  // The newest log is the last game.
  EXPECT_EQ(platform::readFile(games() + "/Last_Game/index.html"),
            platform::readFile(games() + "/" + matchDirs().back() + "/index.html"));
}

}  // namespace
