#pragma once

#include <cstdint>
#include <string>

namespace programs::vardobf::output {

// The page frame every page shares: header, sidebar, top banner and footer,
// written around the page's own body, and the look-and-feel defaults.
//
// `title` is the page title as the page set names it; it is compared with
// the page names that mark a link ("Main", "Last_Game", ...) and written into
// the <title> element as it is, so callers pass markup-safe text. `level` is
// the number of directory levels between the page and the html directory.
class FrameHtml {
 public:
  // Sets the defaults below; called before any page is written.
  static void init();

  static void writeHeader(std::string& w, const std::string& title, int32_t level);
  static void writeSidebar(std::string& w, const std::string& title, int32_t level);
  static void writeTop(std::string& w, const std::string& title, int32_t level);
  static void writeFooter(std::string& w, const std::string& title, int32_t level);

  // "./" with one "../" in front per level.
  static std::string prefix(int32_t level);
  // The page's place in the site's navigation: 1 Main, 2 Last Game, 3 Highest
  // Scoring, 4 High Scores, 5 Player List, 6 to 8 the three totals, 9
  // Rankings, 0 Most Recent (and every other page).
  static int32_t location(const std::string& title);

  static std::string defaultFont;
  static std::string defaultSymbol;
  static std::string defaultSymbolHref;
  static std::string defaultSymbolAlt;
  static std::string defaultLogo;
  static std::string defaultLogoHref;
  static std::string defaultLogoAlt;
  static std::string defaultTitleColor;
  static std::string defaultBackground;
  static std::string TotalsDir;
  static std::string GamesDir;
  static std::string programTitle;
  static std::string BgColor;
  static std::string VlinkColor;
  static std::string AlinkColor;
  static std::string Version;
};

}  // namespace programs::vardobf::output
