#include "programs/vardobf/output/FrameHtml.h"

#include <exception>
#include <vector>

#include "base/Failure.h"
#include "programs/vardo/config.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf::output {
namespace {

using util::Debug;

constexpr const char* kGameHome = "http://www.brimfall.example/";
constexpr const char* kMakerHome = "http://www.quillon.example/";
constexpr const char* kMakerName = "Quillon";
constexpr const char* kRightsNotice = "Copyright Quillon. All rights reserved.";
// The middle dot of the page's code page (ISO-8859-1).
constexpr const char* kDot = "\xB7";

// One navigation link: its text in the sidebar and in the footer, its target
// below the html directory and the page location that marks it.
struct NavLink {
  std::string sidebarText;
  std::string footerText;
  std::string target;
  int32_t location;
};

std::vector<NavLink> gameLinks() {
  const std::string& g = FrameHtml::GamesDir;
  return {{std::string(kDot) + "&nbsp;Last Game", "Last Game", g + "/Last_Game/index.html", 2},
          {std::string(kDot) + "&nbsp;Most Recent", "Most Recent", g + "/Recent_Index.html", 0},
          {std::string(kDot) +
               "&nbsp;The Single<br>&nbsp;&nbsp;Highest Scoring<br> &nbsp;&nbsp;Game of All Time",
           "Highest Scoring", g + "/Highest_Score/index.html", 3}};
}

std::vector<NavLink> totalsLinks() {
  const std::string& t = FrameHtml::TotalsDir;
  return {{std::string(kDot) + "&nbsp;All Totals", "All Totals", t + "/All_Totals.html", 6},
          {std::string(kDot) + "&nbsp;Human Totals", "Human Totals", t + "/Human_Totals.html", 7},
          {std::string(kDot) + "&nbsp;Bot Totals", "Bot Totals", t + "/Bot_Totals.html", 8},
          {std::string(kDot) + "&nbsp;Rankings", "Rankings", t + "/Rankings.html", 9},
          {std::string(kDot) + "&nbsp;High Scores", "High Scores", t + "/Total_Index.html", 4},
          {std::string(kDot) + "&nbsp;Player List", "Player List", t + "/Player_Index.html", 5}};
}

std::string link(const std::string& pre, const std::string& target, const std::string& cls,
                 const std::string& text) {
  return "<a href=\"" + pre + target + "\" class=\"" + cls + "\"" + ">" + text + "</a>";
}

std::string image(const std::string& src, int32_t width, int32_t height, const std::string& alt) {
  std::string s = "<img src=\"" + src + "\" width=" + std::to_string(width) +
                  " height=" + std::to_string(height) + " border=0";
  if (!alt.empty()) s += " alt=" + alt;
  return s + ">";
}

// Runs one frame piece with its trace lines and failure handling.
template <class Body>
void piece(const char* name, const std::string& title, Body body) {
  if (Debug::level() >= 3) Debug::print(std::string("I FrameHtml.") + name + ":" + title, 3);
  try {
    body();
  } catch (const std::exception& e) {
    util::traceFailure("FrameHtml", name, e);
  }
  Debug::print(std::string("O FrameHtml.") + name, 3);
}

}  // namespace

std::string FrameHtml::defaultFont;
std::string FrameHtml::defaultSymbol;
std::string FrameHtml::defaultSymbolHref;
std::string FrameHtml::defaultSymbolAlt;
std::string FrameHtml::defaultLogo;
std::string FrameHtml::defaultLogoHref;
std::string FrameHtml::defaultLogoAlt;
std::string FrameHtml::defaultTitleColor;
std::string FrameHtml::defaultBackground;
std::string FrameHtml::TotalsDir = "Total_Game_Stats";
std::string FrameHtml::GamesDir = "Individual_Game_Stats";
std::string FrameHtml::programTitle = "Vardo for Brimfall";
std::string FrameHtml::BgColor;
std::string FrameHtml::VlinkColor;
std::string FrameHtml::AlinkColor;
std::string FrameHtml::Version;

void FrameHtml::init() {
  defaultFont = "\"Arial, Helvetica, sans-serif\"";
  defaultSymbol = "graphics/BF_Logo_Large_Button.gif";
  defaultSymbolHref = std::string("\"") + kGameHome + "\"";
  defaultSymbolAlt = "\"Brimfall Logo\"";
  defaultLogo = "graphics/brimfalllogo.gif";
  defaultLogoHref = defaultSymbolHref;
  defaultLogoAlt = defaultSymbolAlt;
  defaultTitleColor = "\"#FDD932\"";
  defaultBackground = "skins/custom_graphics/background.gif";
  TotalsDir = "Total_Game_Stats";
  GamesDir = "Individual_Game_Stats";
  programTitle = "Vardo for Brimfall";
  BgColor = "#FFFFFF";
  VlinkColor = "#000000";
  AlinkColor = "#FF0000";
  Version = programs::vardo::config::getVersion();
}

std::string FrameHtml::prefix(int32_t level) {
  std::string p = "./";
  for (int32_t i = 0; i < level; ++i) p = "../" + p;
  return p;
}

int32_t FrameHtml::location(const std::string& title) {
  static const std::vector<std::pair<std::string, int32_t>> kPlaces = {
      {"Main", 1},
      {"Last_Game", 2},
      {"Highest_Score", 3},
      {"All Players Combined", 4},
      {"By Player Name", 5},
      {"All&nbsp;Players&nbsp;(Humans&nbsp;and&nbsp;Bots)", 6},
      {"All&nbsp;Humans", 7},
      {"All&nbsp;Bots", 8},
      {"Rankings", 9}};
  for (const auto& [name, loc] : kPlaces)
    if (title == name) return loc;
  return 0;
}

void FrameHtml::writeHeader(std::string& w, const std::string& title, int32_t level) {
  piece("writeHeader", title, [&] {
    const std::string pre = prefix(level);
    w += "<html><head><meta http-equiv=\"Content-Type\" content=";
    w += "\"text/html; charset=iso-8859-1\">\n";
    w += "<link REL=\"stylesheet\" HREF=\"" + pre + "skins/skin.css\" TYPE=\"text/css\">\n";
    w += "<title>" + programTitle + " " + title + "</title>\n";
    w += "</head><body background=\"" + pre + "skins/custom_graphics/background.gif\" class=bck>\n";
  });
}

void FrameHtml::writeSidebar(std::string& w, const std::string& title, int32_t level) {
  piece("writeSidebar", title, [&] {
    const std::string pre = prefix(level);
    const int32_t here = location(title);
    auto nav = [&](const NavLink& l, const char* marked, const char* normal) {
      w += link(pre, l.target, here == l.location ? marked : normal, l.sidebarText) + "<br>\n";
    };
    w += "<table border=0 cellpadding=0 cellspacing=0>\n";
    w += "<tr><td valign=top rowspan=4 height=300 width=142>\n";
    w += "<p align=center><a href=" + defaultSymbolHref + ">" +
         image(pre + defaultSymbol, 106, 106, defaultSymbolAlt) + "</a><br>\n";
    nav({"Main", "Main", "Vardo_Main.html", 1}, "b", "f");
    w += "<span class=\"l\"><br>Individual<br>Game Stats<br></span>\n";
    for (const NavLink& l : gameLinks()) nav(l, "a", "e");
    w += "<span class=\"l\"><br>All-Time Stats<br></span>\n";
    for (const NavLink& l : totalsLinks()) nav(l, "a", "e");
    w += "<br>\n";
    w += link(pre, "Help_Using_Vardo.html", "f", "Help Using<br>Vardo&#153<br>") + "\n";
    w += link(pre, "About_Tessaly.html", "f", "Tessaly&#153;") + "<br>\n";
    w += link(pre, "About_vdTCS.html", "f", "vdTCS&#153;") + "<br>\n";
    w += "<span class=\"l\"><br>About<br></span>\n";
    w += link(pre, "About_Hollowmark.html", "e", std::string(kDot) + "&nbsp;Hollowmark") + "<br>\n";
    w += link(pre, "About_Quillon.html", "e", std::string(kDot) + "&nbsp;Quillon") + "<br>\n";
    w += "<br>" + image(pre + "skins/custom_graphics/sidebar_120x90.gif", 120, 90, "") + "<br>\n";
    w += image(pre + "skins/custom_graphics/skin_credit_88x31.gif", 88, 31, "") + "\n";
    w += "</p></td>\n";
  });
}

void FrameHtml::writeTop(std::string& w, const std::string& title, int32_t level) {
  piece("writeTop", title, [&] {
    const std::string pre = prefix(level);
    const std::string maker = std::string("\"") + kMakerHome + "\"";
    const std::string makerAlt =
        std::string("\"") + programTitle + " by " + kMakerName + " - " + kMakerHome + "\"";
    w += "<td valign=top height=20>\n";
    w += "<table align=center border=0 cellpadding=0 cellspacing=0>\n";
    w += "<tr><td align=center><a href=" + maker + ">" +
         image(pre + "graphics/Vardo.gif", 180, 60, makerAlt) + "</a></td></tr>\n";
    w += "<tr><td align=center><span class=\"j\">for</span></td></tr>\n";
    w += "<tr><td align=center><a href=" + defaultLogoHref + ">" +
         image(pre + defaultLogo, 272, 75, defaultLogoAlt) + "</a></td></tr>\n";
    w += "</table>\n";
    w += "<br></td></tr>\n";
  });
}

void FrameHtml::writeFooter(std::string& w, const std::string& title, int32_t level) {
  piece("writeFooter", title, [&] {
    const std::string pre = prefix(level);
    const int32_t here = location(title);
    const std::string maker = std::string("\"") + kMakerHome + "\"";
    auto nav = [&](const NavLink& l) {
      return link(pre, l.target, here == l.location ? "a" : "c", l.footerText);
    };
    auto bar = [&](const std::vector<NavLink>& links, size_t from, size_t to) {
      std::string s;
      for (size_t i = from; i < to && i < links.size(); ++i) {
        if (i > from) s += " | ";
        s += nav(links[i]);
      }
      return s;
    };
    const std::vector<NavLink> games = gameLinks();
    const std::vector<NavLink> totals = totalsLinks();
    w += "<tr><td align=center valign=top height=173>\n";
    w += image(pre + "graphics/BF_Logo_Small_Button.gif", 86, 80, defaultSymbolAlt) + "\n";
    w += "<hr noshade width=75%>\n";
    w += "<p><span class=\"i\">";
    w += nav({"Main", "Main", "Vardo_Main.html", 1});
    w += "<br>Individual Game Stats: | " + bar(games, 0, games.size());
    w += "<br>All-Time Stats: | " + bar(totals, 0, 4);
    w += "<br>" + bar(totals, 4, totals.size());
    w += "<br>" + link(pre, "Help_Using_Vardo.html", "c", "Help Using Vardo&#153") + " | " +
         link(pre, "About_Tessaly.html", "c", "Tessaly&#153") + " | " +
         link(pre, "About_vdTCS.html", "c", "vdTCS&#153");
    w += "</span></p>\n";
    w += "<hr noshade width=75%>\n";
    w += "<a href=" + maker + ">" +
         image(pre + "graphics/Quillon_Logo_106_wide.gif", 106, 40,
               std::string("\"") + kMakerName + "\"") +
         "</a>\n";
    w += "</td></tr>\n";
    w += "<tr><td align=center valign=bottom><a href=\"#Top\" class=\"f\">Back to Top</a></td>\n";
    w += "<td class=ae align=center>This page was created by <a href=" + maker + " class=\"c\">" +
         programTitle + "</a> v" + Version + "<br>" + kMakerName + " - " + kRightsNotice +
         "<br><a href=\"" + pre +
         "Legal_Terms.html#trademark\" class=\"c\">Trademarks</a> | <a href=\"" + pre +
         "Legal_Terms.html\" class=\"c\">Legal Terms</a></td></tr>\n";
    w += "<tr><td>" + image(pre + "graphics/white.gif", 140, 5, "") + "</td><td>" +
         image(pre + "graphics/white.gif", 470, 5, "") + "</td>\n";
    w += "</tr> </table> </body> </html>\n";
  });
}

}  // namespace programs::vardobf::output
