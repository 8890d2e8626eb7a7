// Runs the built vardobf in an empty folder on generated logs of every game
// type, as a user does after installing, and checks the site it leaves: the
// installed files are laid in, every local link and image exists, every page
// has sound table structure (our own check and the HTML checker tidy), and a
// match index renders in headless Chromium with its style sheet and images
// at desktop and phone widths. The checks walk every page there is.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <set>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "e2e/Run.h"
#include "platform/FileSystem.h"

namespace {

namespace fs = std::filesystem;
using testing_support::binDir;
using testing_support::runProgram;
using testing_support::RunResult;
using testing_support::shellQuote;
using testing_support::TestDir;
using testing_support::utf16le;

const char* const kTidy = "/usr/bin/tidy";
const char* const kChromium = "/usr/bin/chromium";

std::string sourceDir() {
  const char* d = std::getenv("BRIM_SOURCE_DIR");
  return d != nullptr ? d : BRIM_DEFAULT_SOURCE_DIR;
}

// A match whose server, map and player names are Latin-1 (one byte each).
const std::string kServer = "Caf\xE9 Mu\xF1oz";
const std::string kMap =
    "Stra\xDF"
    "e";
std::string latin1Log() {
  return utf16le(
      "0.00\tinfo\tAbsolute_Time\t2026.02.03.20.00.00.000.+1\r\n"
      "0.00\tinfo\tServer_ServerName\t" +
      kServer + "\r\n0.00\tmap\tTitle\t" + kMap +
      "\r\n"
      "0.00\tplayer\tConnect\tJos\xE9\t1\tFalse\ta1\r\n"
      "0.00\tplayer\tConnect\tGro\xDF\t2\tFalse\tb2\r\n"
      "0.00\tgame_start\r\n"
      "5.00\tkill\t1\tRocket Launcher\t2\tPistol\tRocketBlast\r\n"
      "7.00\tkill\t2\tRocket Launcher\t1\tPistol\tRocketBlast\r\n"
      "9.00\tgame_end\ttimelimit\r\n");
}

// ---- HTML helpers ----------------------------------------------------------

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The problems of the table structure of a page: every <tr> directly inside
// an open <table>, every <td>/<th> inside an open <tr>, every table, row and
// cell closed by its own end tag in the right order, nothing left open.
std::vector<std::string> tableStructureProblems(const std::string& html) {
  std::vector<std::string> problems, open;  // open: "table", "tr", "td"
  static const std::regex tag(R"(<(/?)(table|tr|td|th)(?=[\s>/]))", std::regex::icase);
  for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator();
       ++it) {
    const bool closing = (*it)[1].length() > 0;
    std::string name = lower((*it)[2].str());
    if (name == "th") name = "td";
    const std::string where = " at byte " + std::to_string(it->position());
    const std::string parent = name == "tr" ? "table" : name == "td" ? "tr" : "";
    if (!closing) {
      if (!parent.empty() && (open.empty() || open.back() != parent))
        problems.push_back("<" + name + "> outside a <" + parent + ">" + where);
      if (name == "table" && !open.empty() && open.back() != "td")
        problems.push_back("<table> directly inside a <" + open.back() + ">" + where);
      open.push_back(name);
    } else if (open.empty() || open.back() != name) {
      problems.push_back("</" + name + "> while " +
                         (open.empty() ? std::string("nothing") : "<" + open.back() + ">") +
                         " is open" + where);
      auto found = std::find(open.rbegin(), open.rend(), name);
      if (found != open.rend()) open.erase(std::prev(found.base()), open.end());
    } else {
      open.pop_back();
    }
  }
  for (const auto& name : open) problems.push_back("<" + name + "> never closed");
  return problems;
}

// Every local href and src of a page, with any "#fragment" kept.
std::vector<std::string> localLinks(const std::string& html) {
  std::vector<std::string> out;
  static const std::regex attr(R"re(\s(?:href|src)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re",
                               std::regex::icase);
  for (auto it = std::sregex_iterator(html.begin(), html.end(), attr); it != std::sregex_iterator();
       ++it) {
    std::string v = (*it)[1].matched   ? (*it)[1].str()
                    : (*it)[2].matched ? (*it)[2].str()
                                       : (*it)[3].str();
    std::string l = lower(v);
    if (v.empty() || v[0] == '#' || l.rfind("http:", 0) == 0 || l.rfind("https:", 0) == 0 ||
        l.rfind("mailto:", 0) == 0)
      continue;
    out.push_back(v);
  }
  return out;
}

bool hasAnchor(const std::string& html, const std::string& id) {
  const std::regex anchor("\\s(?:id|name)\\s*=\\s*[\"']?" + id + "[\"'\\s>]", std::regex::icase);
  return std::regex_search(html, anchor);
}

// What tidy says about a page, its own lines only.
std::string tidyMessages(const std::string& page) {
  std::string cmd =
      std::string(kTidy) + " -errors -q --show-warnings yes " + shellQuote(page) + " 2>&1";
  std::string out;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> p(::popen(cmd.c_str(), "r"), ::pclose);
  char buf[4096];
  size_t n;
  while (p && (n = std::fread(buf, 1, sizeof buf, p.get())) > 0) out.append(buf, n);
  return out;
}

// The tidy lines that mean broken table structure. The pages' fixed markup
// has harmless oddities tidy also reports (a "&nbsp" without its semicolon, a
// stray "</span>", "nowrap" and other attributes): those pass.
std::vector<std::string> tidyTableFaults(const std::string& messages) {
  std::vector<std::string> out;
  static const std::regex table(R"(</?(table|tr|td|th|tbody)>)", std::regex::icase);
  static const std::regex implied(R"(missing </(\w+)> before </(table|tr|td|th)>)",
                                  std::regex::icase);
  static const std::regex tableElement("table|tr|td|th|tbody", std::regex::icase);
  size_t start = 0;
  while (start < messages.size()) {
    size_t end = messages.find('\n', start);
    if (end == std::string::npos) end = messages.size();
    std::string line = messages.substr(start, end - start);
    start = end + 1;
    if (line.find("attribute") != std::string::npos) continue;
    // An inline element left open in a cell ends with the cell: harmless.
    std::smatch m;
    if (std::regex_search(line, m, implied) && !std::regex_match(m[1].str(), tableElement))
      continue;
    if (std::regex_search(line, table)) out.push_back(line);
  }
  return out;
}

TEST(SiteChecks, TableStructureCheckFindsBrokenTables) {
  EXPECT_TRUE(tableStructureProblems("<table><tr><td>a</td></tr></table>").empty());
  EXPECT_TRUE(tableStructureProblems(
                  "<TABLE border=0><tr><td nowrap><table><tr><td>x</span>&nbsp</td></tr></table>"
                  "</td></tr></table>")
                  .empty());
  EXPECT_FALSE(tableStructureProblems("<table><tr><td>a</td></tr>").empty());     // no </table>
  EXPECT_FALSE(tableStructureProblems("<table><tr><td>a</td></table>").empty());  // no </tr>
  EXPECT_FALSE(tableStructureProblems("<table><tr><td>a</tr></table>").empty());  // no </td>
  EXPECT_FALSE(tableStructureProblems("<tr><td>a</td></tr>").empty());  // row outside a table
  EXPECT_FALSE(tableStructureProblems("<table><td>a</td></table>").empty());
  EXPECT_FALSE(tableStructureProblems("<table><tr><td>a</td></tr></table></table>").empty());
}

TEST(SiteChecks, TidyFilterFailsOnTablesButNotOnTheMarkupsOddities) {
  if (!platform::isFile(kTidy)) GTEST_SKIP() << "tidy is not installed (scripts/install-deps.sh)";
  TestDir dir;
  auto faults = [&](const std::string& body) {
    dir.write("p.html", "<html><head><title>t</title></head><body>" + body + "</body></html>");
    return tidyTableFaults(tidyMessages(dir / "p.html"));
  };
  EXPECT_TRUE(
      faults("<table border=0><tr><td class=r nowrap>a</span>&nbsp b</td></tr></table>").empty());
  EXPECT_TRUE(faults("<table><tr><td><span class=i>a<br></td></tr></table>").empty());
  EXPECT_FALSE(faults("<table><tr><td><table><tr><td>a</td></tr></td></tr></table>").empty());
  EXPECT_FALSE(faults("<table><tr><td>a</td></tr><p>x</p></table>").empty());
  EXPECT_FALSE(faults("<table><tr><td>a</td></tr>").empty());
  EXPECT_FALSE(faults("<table><tr><td><table><tr><td>a</td></tr></td></tr></table>").empty());
  EXPECT_FALSE(faults("<table><tr><td>a</td></tr><td>b</td></table>").empty());
}

TEST(SiteChecks, LinksSkipOutsideAndSamePageTargets) {
  EXPECT_EQ(localLinks("<a href=\"x.html#y\"><img src=g.gif><a HREF='#Top'>"
                       "<a href=\"http://www.brimfall.example/\"><a href=mailto:a@b.example>"),
            (std::vector<std::string>{"x.html#y", "g.gif"}));
  EXPECT_TRUE(hasAnchor("<h2><a name=\"logfile\" id=\"logfile\">", "logfile"));
  EXPECT_FALSE(hasAnchor("<h2><a name=\"logfiles\">", "logfile"));
}

// ---- The site ----------------------------------------------------------------

class Site : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    home_ = std::make_unique<TestDir>();
    const TestDir& home = *home_;
    home.mkdir("logs");
    run_ = runProgram(
        home.path(), binDir() + "/loggen",
        {"--type", "all", "--count", "7", "--players", "6", "--minutes", "4", "--seed", "11",
         "--date", "2026-02-01T18:00", "--unknown-weapons", "0.003", "--out", home / "logs"});
    home.write("logs/latin1.log", latin1Log());
    // An empty folder apart from the logs: no settings, no directories.
    if (run_.status == 0)
      run_ = runProgram(home.path(), binDir() + "/vardobf", {"logs"}, "DISPLAY= WAYLAND_DISPLAY=");
    for (const auto& e : fs::recursive_directory_iterator(home / "html"))
      if (e.is_regular_file() && e.path().extension() == ".html") pages_.push_back(e.path());
    std::sort(pages_.begin(), pages_.end());
  }
  static void TearDownTestSuite() { home_.reset(); }

  static std::string html() { return home_->path() + "/html"; }
  // The index page of the Latin-1 match.
  static std::string latin1Index() {
    for (const auto& page : pages_) {
      const fs::path p(page);
      if (p.filename() == "index.html" &&
          platform::readFile(p).find(kServer) != std::string::npos &&
          p.parent_path().filename() != "Last_Game" &&
          p.parent_path().filename() != "Highest_Score")
        return page;
    }
    return "";
  }

  static std::unique_ptr<TestDir> home_;
  static RunResult run_;
  static std::vector<std::string> pages_;
};

std::unique_ptr<TestDir> Site::home_;
RunResult Site::run_;
std::vector<std::string> Site::pages_;

TEST_F(Site, RunInAnEmptyFolderGivesACompleteSite) {
  ASSERT_EQ(run_.status, 0) << run_.output;
  for (const char* d : {"data", "html", "processedLogs"})
    EXPECT_TRUE(platform::isDirectory(home_->path() + "/" + d)) << d;
  // The installed files, byte for byte as installed.
  const std::string installed = binDir() + "/../share/vardobf/html/";
  for (const char* f : {"skins/skin.css", "processing.html", "Help_Using_Vardo.html",
                        "Legal_Terms.html", "graphics/g32.gif", "graphics/graph_back_Vardo.gif",
                        "skins/custom_graphics/background.gif"})
    EXPECT_EQ(platform::readFile(html() + "/" + f), platform::readFile(installed + f)) << f;
  EXPECT_TRUE(platform::isFile(html() + "/Vardo_Main.html"));
  // Eight matches, each with its own folder, plus the two fixed copies and
  // the list of recent matches.
  EXPECT_EQ(platform::listDirectory(html() + "/Individual_Game_Stats").size(), 11u);
  EXPECT_TRUE(platform::isFile(html() + "/Individual_Game_Stats/Recent_Index.html"));
  for (const char* f : {"Total_Index.html", "Rankings.html", "Player_Index.html", "All_Totals.html",
                        "Human_Totals.html", "Bot_Totals.html"})
    EXPECT_TRUE(platform::isFile(html() + "/Total_Game_Stats/" + f)) << f;
  EXPECT_FALSE(latin1Index().empty());
}

TEST_F(Site, EveryLocalLinkAndImagePointsToAFileThatExists) {
  ASSERT_EQ(run_.status, 0) << run_.output;
  size_t links = 0;
  for (const auto& page : pages_) {
    const std::string text = platform::readFile(page);
    const fs::path dir = fs::path(page).parent_path();
    for (std::string link : localLinks(text)) {
      std::string fragment;
      if (size_t hash = link.find('#'); hash != std::string::npos) {
        fragment = link.substr(hash + 1);
        link.resize(hash);
      }
      if (size_t q = link.find('?'); q != std::string::npos) link.resize(q);
      const fs::path target = (dir / link).lexically_normal();
      ++links;
      if (!platform::isFile(target)) {
        ADD_FAILURE() << page << " links to a missing " << link;
        continue;
      }
      if (!fragment.empty() && target.extension() == ".html") {
        EXPECT_TRUE(hasAnchor(platform::readFile(target), fragment))
            << page << " links to " << link << "#" << fragment << ", which has no such anchor";
      }
    }
  }
  EXPECT_GT(links, pages_.size());
}

TEST_F(Site, EveryPageHasSoundTableStructureAndDeclaresLatin1) {
  ASSERT_EQ(run_.status, 0) << run_.output;
  const bool tidy = platform::isFile(kTidy);
  for (const auto& page : pages_) {
    const std::string text = platform::readFile(page);
    for (const auto& p : tableStructureProblems(text)) ADD_FAILURE() << page << ": " << p;
    static const std::regex latin1("charset=[\"']?iso-8859-1", std::regex::icase);
    EXPECT_TRUE(std::regex_search(text, latin1)) << page << " does not declare ISO-8859-1";
    if (tidy) {
      for (const auto& line : tidyTableFaults(tidyMessages(page)))
        ADD_FAILURE() << page << ": tidy: " << line;
    }
  }
  // The Latin-1 names are single bytes, not UTF-8.
  const std::string index = platform::readFile(latin1Index());
  EXPECT_NE(index.find(kServer), std::string::npos);
  EXPECT_EQ(index.find("Caf\xC3\xA9"), std::string::npos);
  if (!tidy) GTEST_SKIP() << "tidy is not installed (scripts/install-deps.sh): own checks only";
}

// One page as Chromium renders it, from tests/e2e/browser_probe.py.
std::map<std::string, std::vector<std::string>> probe(const std::string& page, int width,
                                                      const std::string& text) {
  RunResult r = runProgram(".", "/usr/bin/python3",
                           {sourceDir() + "/tests/e2e/browser_probe.py", kChromium,
                            "file://" + page, std::to_string(width), "900", "--text", text});
  std::map<std::string, std::vector<std::string>> out;
  out["status"].push_back(std::to_string(r.status));
  size_t start = 0;
  while (start < r.output.size()) {
    size_t end = r.output.find('\n', start);
    if (end == std::string::npos) end = r.output.size();
    std::string line = r.output.substr(start, end - start);
    start = end + 1;
    size_t eq = line.find('=');
    if (eq != std::string::npos) out[line.substr(0, eq)].push_back(line.substr(eq + 1));
  }
  return out;
}

TEST_F(Site, MatchIndexRendersWithItsStyleAndImagesAtDesktopAndPhoneWidths) {
  ASSERT_EQ(run_.status, 0) << run_.output;
  if (!platform::isFile(kChromium) || !platform::isFile("/usr/bin/python3"))
    GTEST_SKIP() << "chromium or python3 is not installed (scripts/install-deps.sh)";
  const std::string page = latin1Index();
  ASSERT_FALSE(page.empty());
  const std::string source = platform::readFile(page);
  const bool linksStyle = lower(source).find("stylesheet") != std::string::npos;
  const bool hasTables = lower(source).find("<table") != std::string::npos;
  // The rendered text is UTF-8 from here on.
  const std::string shown = "Caf\xC3\xA9 Mu\xC3\xB1oz";
  for (int width : {1280, 390}) {
    SCOPED_TRACE("width " + std::to_string(width));
    auto r = probe(page, width, shown);
    ASSERT_EQ(r["status"][0], "0") << (r.count("error") ? r["error"][0] : "");
    for (const auto& f : r["failed"]) ADD_FAILURE() << "failed request: " << f;
    for (const auto& b : r["broken_image"]) ADD_FAILURE() << "image did not load: " << b;
    EXPECT_EQ(r["text"], std::vector<std::string>{"1"}) << "the Latin-1 server name is not shown";
    const std::string charset = lower(r["charset"].at(0));
    EXPECT_TRUE(charset == "windows-1252" || charset == "iso-8859-1") << charset;
    if (linksStyle) {
      EXPECT_EQ(r["styled"], std::vector<std::string>{"1"}) << "skins/skin.css is not applied";
      EXPECT_EQ(r["overflow"], std::vector<std::string>{"0"})
          << "the page is wider than the window";
    }
    if (hasTables) {
      EXPECT_NE(r["tables"].at(0), "0");
    }
  }
}

TEST(SiteRun, RunThatCannotStageItsLogsEndsWithAFailureStatusAndSaysWhy) {
  // A file stands where the database directory should be created.
  TestDir home;
  home.mkdir("logs");
  home.write("logs/latin1.log", latin1Log());
  home.write("VardoBF.cfg", "SpawnBrowser\tfalse\nDBDir\tlogs/latin1.log/db\n");
  RunResult r = runProgram(home.path(), binDir() + "/vardobf", {"logs"});
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("VardoBF: the logs could not be staged in " + home.path() +
                          "/logs/latin1.log/db/ (IOError: "),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(platform::isFile(home / "logs/latin1.log"));
}

// Every file the page frame and the pages name, relative to the page
// directory.
std::vector<std::string> frameFiles() {
  std::vector<std::string> files = {"skins/skin.css",
                                    "skins/custom_graphics/background.gif",
                                    "skins/custom_graphics/sidebar_120x90.gif",
                                    "skins/custom_graphics/skin_credit_88x31.gif",
                                    "graphics/BF_Logo_Large_Button.gif",
                                    "graphics/brimfalllogo.gif",
                                    "graphics/Vardo.gif",
                                    "graphics/BF_Logo_Small_Button.gif",
                                    "graphics/Quillon_Logo_106_wide.gif",
                                    "graphics/white.gif",
                                    "graphics/g_legend.gif",
                                    "graphics/g_no.gif",
                                    "graphics/graph_back_Vardo.gif",
                                    "graphics/graph_back_Vardo_big.gif",
                                    "processing.html",
                                    "Help_Using_Vardo.html",
                                    "About_Tessaly.html",
                                    "About_vdTCS.html",
                                    "About_Hollowmark.html",
                                    "About_Quillon.html",
                                    "Legal_Terms.html"};
  for (int n = 1; n <= 32; ++n) files.push_back("graphics/g" + std::to_string(n) + ".gif");
  return files;
}

TEST(SiteInstall, InstalledProgramLaysEveryFileThePagesNameIntoANewSite) {
  TestDir dir;
  const std::string build = binDir() + "/..";
  RunResult install = runProgram(".", "cmake", {"--install", build, "--prefix", dir / "inst"});
  ASSERT_EQ(install.status, 0) << install.output;
  ASSERT_TRUE(platform::isFile(dir / "inst/bin/vardobf"));
  ASSERT_TRUE(platform::isFile(dir / "inst/bin/spawnBrowser.exe"));
  dir.mkdir("site/logs");
  dir.write("site/logs/latin1.log", latin1Log());
  RunResult r =
      runProgram(dir / "site", dir / "inst/bin/vardobf", {"logs"}, "DISPLAY= WAYLAND_DISPLAY=");
  ASSERT_EQ(r.status, 0) << r.output;
  for (const auto& f : frameFiles()) {
    EXPECT_TRUE(platform::isFile(dir / ("site/html/" + f))) << f << " was not laid in";
    EXPECT_EQ(platform::readFile(dir / ("inst/share/vardobf/html/" + f)),
              platform::readFile(build + "/share/vardobf/html/" + f))
        << "the build tree and the installation differ in " << f;
  }
  // The anchors the pages link to.
  EXPECT_TRUE(hasAnchor(platform::readFile(dir / "site/html/Help_Using_Vardo.html"), "logfile"));
  EXPECT_TRUE(hasAnchor(platform::readFile(dir / "site/html/Legal_Terms.html"), "trademark"));
  // The launcher installed beside the program showed the processing page.
  EXPECT_NE(r.output.find("Page: " + dir.path() + "/site/html/processing.html"), std::string::npos)
      << r.output;
}

// The skin on markup of the shape the page frame writes (the layout table
// with its sidebar, banner and footer, a wide game summary and a kills
// match-up, see tests/e2e/data/frame_sample.html): at phone width the page
// must not get wider than the window, and nothing it names may fail to load.
TEST(Skin, KeepsTheFrameUsableAtDesktopAndPhoneWidths) {
  if (!platform::isFile(kChromium) || !platform::isFile("/usr/bin/python3"))
    GTEST_SKIP() << "chromium or python3 is not installed (scripts/install-deps.sh)";
  TestDir site;
  fs::copy(binDir() + "/../share/vardobf/html", site.path(), fs::copy_options::recursive);
  site.mkdir("Individual_Game_Stats/1");
  const std::string page = site / "Individual_Game_Stats/1/index.html";
  platform::writeFile(page, platform::readFile(sourceDir() + "/tests/e2e/data/frame_sample.html"));
  EXPECT_TRUE(tableStructureProblems(platform::readFile(page)).empty());
  for (int width : {1280, 390}) {
    SCOPED_TRACE("width " + std::to_string(width));
    auto r = probe(page, width,
                   "Caf\xC3\xA9 Mu\xC3\xB1oz Stra\xC3\x9F"
                   "e");
    ASSERT_EQ(r["status"][0], "0") << (r.count("error") ? r["error"][0] : "");
    for (const auto& f : r["failed"]) ADD_FAILURE() << "failed request: " << f;
    EXPECT_EQ(r["broken"], std::vector<std::string>{"0"});
    EXPECT_EQ(r["styled"], std::vector<std::string>{"1"});
    EXPECT_EQ(r["overflow"], std::vector<std::string>{"0"}) << "the page is wider than the window";
    EXPECT_EQ(r["text"], std::vector<std::string>{"1"});
  }
}

TEST_F(Site, TotalsPagesRenderWithTheirStyleAndImagesAtDesktopAndPhoneWidths) {
  ASSERT_EQ(run_.status, 0) << run_.output;
  if (!platform::isFile(kChromium) || !platform::isFile("/usr/bin/python3"))
    GTEST_SKIP() << "chromium or python3 is not installed (scripts/install-deps.sh)";
  const std::pair<std::string, std::string> pages[] = {
      {html() + "/Vardo_Main.html", "And Still Counting!"},
      {html() + "/Total_Game_Stats/Rankings.html", "All Game Types Combined : All-Time Ranking"},
      {html() + "/Total_Game_Stats/0.html", "Career Totals for"}};
  for (const auto& [page, shown] : pages) {
    for (int width : {1280, 390}) {
      SCOPED_TRACE(page + " at width " + std::to_string(width));
      auto r = probe(page, width, shown);
      ASSERT_EQ(r["status"][0], "0") << (r.count("error") ? r["error"][0] : "");
      for (const auto& f : r["failed"]) ADD_FAILURE() << "failed request: " << f;
      for (const auto& b : r["broken_image"]) ADD_FAILURE() << "image did not load: " << b;
      EXPECT_EQ(r["text"], std::vector<std::string>{"1"});
      EXPECT_EQ(r["styled"], std::vector<std::string>{"1"}) << "skins/skin.css is not applied";
      EXPECT_EQ(r["overflow"], std::vector<std::string>{"0"})
          << "the page is wider than the window";
      EXPECT_NE(r["tables"].at(0), "0");
    }
  }
}

TEST_F(Site, HelpPageRendersStyledAtPhoneWidth) {
  if (!platform::isFile(kChromium) || !platform::isFile("/usr/bin/python3"))
    GTEST_SKIP() << "chromium or python3 is not installed (scripts/install-deps.sh)";
  auto r = probe(html() + "/Help_Using_Vardo.html", 390, "Incomplete logfiles");
  ASSERT_EQ(r["status"][0], "0") << (r.count("error") ? r["error"][0] : "");
  EXPECT_TRUE(r["failed"].empty());
  EXPECT_EQ(r["styled"], std::vector<std::string>{"1"});
  EXPECT_EQ(r["overflow"], std::vector<std::string>{"0"});
  EXPECT_EQ(r["text"], std::vector<std::string>{"1"});
}

}  // namespace
