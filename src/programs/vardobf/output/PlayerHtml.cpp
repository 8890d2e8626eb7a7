#include "programs/vardobf/output/PlayerHtml.h"

#include <exception>

#include "base/Failure.h"
#include "games/bf/Specs.h"
#include "programs/vardobf/output/FrameHtml.h"
#include "programs/vardobf/output/TableHtml.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf::output {

using games::bf::Specs;
using util::Debug;

namespace {

constexpr int32_t kLevel = 1;
constexpr const char* kBlockEnd = "</center><center>\n<br>\n";

void notice(std::string& w, const std::string& text) {
  w += "<table><tr><td valign=middle width=250 class=s>" + text + "</td></tr></table>\n";
}

// Renders `table` under `title` when it was built.
void tableIf(std::string& w, const std::optional<Table>& table,
             const std::optional<std::string>& title) {
  if (table) TableHtml::createTable(w, *table, title, std::nullopt);
}

// Renders `table` under `title`, or the notice when it has no more than its
// heading row (or was not built).
void tableOrNotice(std::string& w, const std::optional<Table>& table, const std::string& title,
                   const std::string& text) {
  if (table && table->size() > 1)
    TableHtml::createTable(w, *table, title, std::nullopt);
  else
    notice(w, text);
}

}  // namespace

PlayerHtml::PlayerHtml() : defaultFont("\"Arial, Helvetica, sans-serif\"") {}

std::string PlayerHtml::getHtml(const games::bf::Player& thePlayer, int32_t type, int32_t gType) {
  Debug::print("I PlayerHtml.getHtml", 2);
  std::string w;
  try {
    // The old tables refer to the old player: drop them first.
    tables.reset();
    p = thePlayer;
    OutputType = type;
    GameType = gType;
    tables = std::make_unique<PlayerTables>(*p, type, gType);
    writePlayerTotals(w);
  } catch (const std::exception& e) {
    util::traceFailure("PlayerHtml", "getHtml", e);
  }
  Debug::print("O PlayerHtml.getHtml", 2);
  return w;
}

void PlayerHtml::writePlayerTotals(std::string& w) {
  try {
    if (!p || !tables) throw base::Failure("IllegalStateException", "no player");
    Debug::print("I PlayerHtml.writePlayerTotals: " + std::to_string(OutputType) + " " + p->name,
                 2);
    const std::string title = TableHtml::cleanString(p->name);
    // A real player's page belongs to the player list; an aggregate's name
    // is the page name of its own totals link.
    const std::string place = OutputType == 1 ? "By Player Name" : title;
    w.reserve(w.size() + 48 * 1024);
    FrameHtml::writeHeader(w, title, kLevel);
    FrameHtml::writeSidebar(w, place, kLevel);
    FrameHtml::writeTop(w, title, kLevel);
    writePlayerTotalsBody(w, title);
    FrameHtml::writeFooter(w, place, kLevel);
  } catch (const std::exception& e) {
    util::traceFailure("PlayerHtml", "writePlayerTotals", e);
  }
}

void PlayerHtml::writePlayerTotalsBody(std::string& w, const std::string& name) {
  try {
    if (!tables) throw base::Failure("IllegalStateException", "no tables");
    const PlayerTables& t = *tables;
    w += std::string("<tr><td class=aa valign=middle>") +
         (OutputType == 1 ? "Career Totals for " : "Cumulative Totals for ") + name +
         "</td></tr>\n";
    w += "<tr><td>\n<center>\n<br>\n";
    tableIf(w, t.pSummary.at(static_cast<size_t>(t.GameType)), std::nullopt);
    w += "<br>\n";
    tableIf(w, t.pCTF, "CTF and Domination Events Summary");
    w += "<br>\n";
    if (Specs::kSinglePlayer < t.GameType) {
      tableIf(w, t.pSummary[static_cast<size_t>(Specs::kSinglePlayer)], std::nullopt);
      w += "<br>\n";
    }
    tableIf(w, t.pMisc, "Special Events");
    w += kBlockEnd;
    tableOrNotice(w, t.pWeapon, "Weapon Specific Totals", "There Have Been No Weapons Used");
    w += kBlockEnd;
    tableOrNotice(w, t.pSuicide, "Suicide Totals", "There Have Been No Suicides");
    w += kBlockEnd;
    tableIf(w, t.pSprees, "Killing Sprees by Type");
    w += kBlockEnd;
    tableIf(w, t.pPickups, "Total Pickups Used");
    w += kBlockEnd;
    tableOrNotice(w, t.pItems, "Total Items Collected", "There Have Been No Items Collected");
    w += kBlockEnd;
    w += "</center>\n<br><br>\n</td></tr>\n";
  } catch (const std::exception& e) {
    util::traceFailure("PlayerHtml", "writePlayerTotalsBody", e);
  }
}

}  // namespace programs::vardobf::output
