// Runs the built vardobf in an empty folder on generated logs of every game
// type, as a user does after installing, and checks the site it leaves: the
// installed files are laid in, every local link and image exists, every page
// has sound table structure (our own check and the HTML checker tidy), and a
// match index renders in headless Chromium with its style sheet and images
// at desktop and phone widths. The checks walk every page there is. In the
// browser every kind of page must read well at both widths: text stands out
// from its background, the page never scrolls sideways, table titles stay
// whole, and the sidebar shows its links as written.
#include <algorithm>
#include <cstdint>
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
// What browser_probe.py found on a page: its values by key.
using Probe = std::map<std::string, std::vector<std::string>>;
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

  // The index of the match with the most to show (the largest index page).
  static std::string richestMatchIndex() {
    std::string best;
    uintmax_t size = 0;
    for (const auto& page : pages_) {
      const fs::path p(page);
      const std::string folder = p.parent_path().filename().string();
      if (p.filename() != "index.html" ||
          p.parent_path().parent_path().filename() != "Individual_Game_Stats" ||
          folder.find_first_not_of("0123456789") != std::string::npos)
        continue;
      if (fs::file_size(p) > size) {
        size = fs::file_size(p);
        best = page;
      }
    }
    return best;
  }
  // Each kind of page a visitor reads: the main page, a match index and the
  // page of one of its players, a career page and the help page.
  static std::vector<std::string> readingPages() {
    const std::string match = richestMatchIndex();
    return {html() + "/Vardo_Main.html", match, (fs::path(match).parent_path() / "0.html").string(),
            html() + "/Total_Game_Stats/0.html", html() + "/Help_Using_Vardo.html"};
  }
  // A page as Chromium renders it at a width, probed once for all the tests.
  static const Probe& rendered(const std::string& page, int width);

  static std::unique_ptr<TestDir> home_;
  static RunResult run_;
  static std::vector<std::string> pages_;
  static std::map<std::pair<std::string, int>, Probe> rendered_;
};

std::unique_ptr<TestDir> Site::home_;
RunResult Site::run_;
std::vector<std::string> Site::pages_;
std::map<std::pair<std::string, int>, Probe> Site::rendered_;

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

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += "\n  " + l;
  return out;
}

bool anyContains(const std::vector<std::string>& lines, const std::string& piece) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return l.find(piece) != std::string::npos; });
}

// Whether `want` appear as consecutive lines of `lines`.
bool hasLines(const std::vector<std::string>& lines, const std::vector<std::string>& want) {
  return std::search(lines.begin(), lines.end(), want.begin(), want.end()) != lines.end();
}

const std::string kTm = "\xE2\x84\xA2";  // the trademark sign as the probe prints it

const Probe& Site::rendered(const std::string& page, int width) {
  auto key = std::make_pair(page, width);
  auto found = rendered_.find(key);
  if (found == rendered_.end()) found = rendered_.emplace(key, probe(page, width, "")).first;
  return found->second;
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
  // Every program and tool, not only vardobf.
  for (const char* program : {"vardobf", "spawnBrowser.exe", "tessaly", "uploadstarter", "palvex",
                              "zephgo", "collector", "loggen", "matchdump", "dbdump"})
    ASSERT_TRUE(platform::isFile(dir / (std::string("inst/bin/") + program))) << program;
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
    // The incomplete-log note and the footer are on the page background.
    ASSERT_EQ(r["contrast_min"].size(), 1u);
    EXPECT_GE(std::stod(r["contrast_min"][0]), 4.5) << joined(r["low_contrast"]);
    EXPECT_TRUE(r["vscroll"].empty()) << joined(r["vscroll"]);
    EXPECT_EQ(r["titles"], std::vector<std::string>{"3"});
    EXPECT_TRUE(r["clipped_title"].empty()) << joined(r["clipped_title"]);
  }
}

// The probe's readability findings on a page made to fail each of them: text
// too pale for its ground (the darker lines of the background image count),
// a link too pale when hovered, a box that scrolls up and down, a table title
// carried out of view by its scrolling table, and a help link whose line
// breaks are lost: beside the next link on a desktop, glued to its second
// word on a phone.
TEST(Skin, BrowserProbeFindsWhatMakesAPageHardToRead) {
  if (!platform::isFile(kChromium) || !platform::isFile("/usr/bin/python3"))
    GTEST_SKIP() << "chromium or python3 is not installed (scripts/install-deps.sh)";
  TestDir site;
  fs::copy_file(binDir() + "/../share/vardobf/html/skins/custom_graphics/background.gif",
                site / "background.gif");
  std::string wide;
  for (int i = 0; i < 12; ++i)
    wide += "<td>Column&nbsp;heading&nbsp;" + std::to_string(i) + "</td>";
  site.write(
      "p.html",
      "<html><head><meta charset=utf-8><style>\n"
      "body { margin: 0; padding: 8px; background: #F4F2EC url(background.gif); color: #1F2A44;"
      " font: 13px Arial, sans-serif; }\n"
      ".box { background-color: #FFFFFF; } .gold { color: #FDD932; }\n"
      ".red { color: #C0392B; }\n"
      "a.h { color: #1F4FA0; } a.h:hover { color: #9AA6C0; }\n"
      "a.f { display: inline-block; font-weight: bold; font-size: 14px; }\n"
      ".tall { overflow: auto; height: 20px; }\n"
      ".s { text-align: center; font-weight: bold; }\n"
      "td table { display: block; width: fit-content; max-width: 100%; overflow-x: auto; }\n"
      "@media (max-width: 700px) {\n"
      "  body > table, body > table > tbody, body > table > tbody > tr,\n"
      "  body > table > tbody > tr > td { display: block; width: auto !important; }\n"
      "  body > table > tbody > tr:first-child > td:first-child br { display: none; }\n"
      "}\n</style></head><body>\n"
      "<table border=0 cellpadding=0 cellspacing=0><tr><td width=142>\n"
      "<a class=f href=\"#\">Main</a><br>\n"
      "<a class=f href=\"#\">Help Using<br>Vardo&#153;<br></a>\n"
      "<a class=f href=\"#\">Tessaly&#153;</a><br>\n"
      "</td><td>\n"
      "<div class=box><span class=gold>Last Game Logged</span></div>\n"
      "<p class=red>The logfile was incomplete</p>\n"
      "<p><a class=h href=\"#\">Help</a></p>\n"
      "<div class=tall><div style=\"height: 60px\">tall</div></div>\n"
      "<table><tr><td class=s colspan=12>Game Summary</td></tr><tr>" +
          wide +
          "</tr></table>\n"
          "</td></tr></table></body></html>");
  for (int width : {1280, 390}) {
    SCOPED_TRACE("width " + std::to_string(width));
    auto r = probe(site / "p.html", width, "");
    ASSERT_EQ(r["status"][0], "0") << (r.count("error") ? r["error"][0] : "");
    ASSERT_EQ(r["contrast_min"].size(), 1u);
    EXPECT_LT(std::stod(r["contrast_min"][0]), 1.5);
    const auto& low = r["low_contrast"];
    EXPECT_TRUE(anyContains(low, "#FDD932 on #FFFFFF")) << joined(low);
    // 4.86:1 on the paper, 4.36:1 on the lines of the background image.
    EXPECT_TRUE(anyContains(low, "#C0392B on #EAE6DC")) << joined(low);
    EXPECT_FALSE(anyContains(low, "#C0392B on #F4F2EC")) << joined(low);
    EXPECT_TRUE(anyContains(low, "#9AA6C0 on #")) << joined(low);
    EXPECT_FALSE(anyContains(low, "#1F4FA0")) << joined(low);
    EXPECT_TRUE(anyContains(r["vscroll"], "div.tall")) << joined(r["vscroll"]);
    EXPECT_EQ(r["titles"], std::vector<std::string>{"1"});
    if (width == 1280) {
      EXPECT_TRUE(
          hasLines(r["sidebar_wide_line"], {"Help Using", "Vardo" + kTm + " Tessaly" + kTm}))
          << joined(r["sidebar_wide_line"]);
    } else {
      EXPECT_TRUE(anyContains(r["sidebar_line"], "Help UsingVardo" + kTm))
          << joined(r["sidebar_line"]);
      EXPECT_TRUE(anyContains(r["clipped_title"], "\"Game Summary\" at the start"))
          << joined(r["clipped_title"]);
      EXPECT_TRUE(anyContains(r["hscroll"], "td > table")) << joined(r["hscroll"]);
    }
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

// Every text, links in their hover colour too, at a contrast of at least
// 4.5:1 with what it stands on, on every kind of page at both widths.
TEST_F(Site, TextStandsOutFromItsBackgroundOnEveryKindOfPage) {
  ASSERT_EQ(run_.status, 0) << run_.output;
  if (!platform::isFile(kChromium) || !platform::isFile("/usr/bin/python3"))
    GTEST_SKIP() << "chromium or python3 is not installed (scripts/install-deps.sh)";
  for (const auto& page : readingPages()) {
    ASSERT_TRUE(platform::isFile(page)) << page;
    for (int width : {1280, 390}) {
      SCOPED_TRACE(page + " at width " + std::to_string(width));
      const Probe& r = rendered(page, width);
      ASSERT_EQ(r.at("status")[0], "0") << (r.count("error") ? r.at("error")[0] : "");
      ASSERT_EQ(r.count("contrast_min"), 1u);
      EXPECT_GE(std::stod(r.at("contrast_min")[0]), 4.5)
          << (r.count("low_contrast") ? joined(r.at("low_contrast")) : "");
    }
  }
}

// The page never scrolls sideways and no box but a wide table scrolls at
// all; on a phone a wide table scrolls in its own box, and its title is
// whole and inside the window, before and after the table is scrolled.
TEST_F(Site, OnlyWideTablesScrollAndTheirTitlesStayWholeAtDesktopAndPhoneWidths) {
  ASSERT_EQ(run_.status, 0) << run_.output;
  if (!platform::isFile(kChromium) || !platform::isFile("/usr/bin/python3"))
    GTEST_SKIP() << "chromium or python3 is not installed (scripts/install-deps.sh)";
  const std::vector<std::string> none;
  auto get = [&](const Probe& r, const char* key) -> const std::vector<std::string>& {
    return r.count(key) ? r.at(key) : none;
  };
  for (const auto& page : readingPages()) {
    for (int width : {1280, 390}) {
      SCOPED_TRACE(page + " at width " + std::to_string(width));
      const Probe& r = rendered(page, width);
      ASSERT_EQ(r.at("status")[0], "0") << (r.count("error") ? r.at("error")[0] : "");
      EXPECT_EQ(get(r, "overflow"), std::vector<std::string>{"0"})
          << "the page is wider than the window";
      EXPECT_TRUE(get(r, "vscroll").empty()) << joined(get(r, "vscroll"));
      EXPECT_TRUE(get(r, "clipped_title").empty()) << joined(get(r, "clipped_title"));
      if (width == 1280) {
        EXPECT_TRUE(get(r, "hscroll").empty()) << joined(get(r, "hscroll"));
      }
    }
  }
  // The match index has titled tables too wide for a phone: the title check
  // met the case it is for.
  const Probe& match = rendered(richestMatchIndex(), 390);
  EXPECT_GT(std::stoi(get(match, "titles").at(0)), 3);
  EXPECT_GT(get(match, "hscroll").size(), 2u);
}

// The sidebar's main links as written: on a desktop "Help Using", "Vardo",
// "Tessaly" on lines of their own, even in a column wide enough to hold two
// of them on a line; on a phone, where the sidebar is a row of links, the
// words of the help link spaced as in a sentence.
TEST_F(Site, SidebarHelpLinksKeepTheirLinesOnADesktopAndTheirSpacesOnAPhone) {
  ASSERT_EQ(run_.status, 0) << run_.output;
  if (!platform::isFile(kChromium) || !platform::isFile("/usr/bin/python3"))
    GTEST_SKIP() << "chromium or python3 is not installed (scripts/install-deps.sh)";
  const std::vector<std::string> helpLines = {"Help Using", "Vardo" + kTm, "Tessaly" + kTm};
  for (const auto& page : {html() + "/Vardo_Main.html", richestMatchIndex()}) {
    SCOPED_TRACE(page);
    const Probe& desktop = rendered(page, 1280);
    ASSERT_EQ(desktop.at("status")[0], "0");
    ASSERT_TRUE(desktop.count("sidebar_line") && desktop.count("sidebar_wide_line"));
    EXPECT_TRUE(hasLines(desktop.at("sidebar_line"), helpLines))
        << joined(desktop.at("sidebar_line"));
    EXPECT_TRUE(hasLines(desktop.at("sidebar_wide_line"), helpLines))
        << joined(desktop.at("sidebar_wide_line"));
    const Probe& phone = rendered(page, 390);
    ASSERT_EQ(phone.at("status")[0], "0");
    ASSERT_TRUE(phone.count("sidebar_line"));
    const auto& lines = phone.at("sidebar_line");
    EXPECT_TRUE(anyContains(lines, "Help Using Vardo" + kTm)) << joined(lines);
    EXPECT_FALSE(anyContains(lines, "UsingVardo")) << joined(lines);
    EXPECT_EQ(phone.count("sidebar_wide_line"), 0u) << "the sidebar is no column on a phone";
  }
}

}  // namespace
