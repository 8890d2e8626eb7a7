#include "programs/vardobf/output/PlayerTables.h"

#include <algorithm>
#include <exception>
#include <limits>

#include "base/Failure.h"
#include "games/bf/Specs.h"
#include "programs/vardobf/Sorts.h"
#include "programs/vardobf/output/CommonTables.h"
#include "programs/vardobf/output/GameTablesDetail.h"
#include "util/Debug.h"
#include "util/QuickSort.h"

namespace programs::vardobf::output {

using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using util::Debug;
using namespace detail;

namespace {

// a / b, or 0 where b is 0: a ratio of nothing shows 0 instead of the
// "NaN" or "Infinity" of a division by zero.
double per(double a, double b) { return b == 0.0 ? 0.0 : a / b; }

bool noTeamCounts(int32_t row) {
  return row == Specs::kDeathMatch || row == Specs::kLastManStanding;
}

}  // namespace

PlayerTables::PlayerTables(const Player& thePlayer, int32_t type, int32_t gType)
    : p(thePlayer),
      OutputType(type),
      // Rows past the player's records would have nothing to show.
      GameType(std::clamp<int32_t>(gType, 0, static_cast<int32_t>(thePlayer.games.size()))),
      pSummary(static_cast<size_t>(GameType) + 1) {
  Debug::print("I PlayerTables", 1);
  mPSummaryAll();
  if (type < 3) {
    if (Specs::kSinglePlayer < GameType) mPSummary(Specs::kSinglePlayer);
  } else {
    for (int32_t k = 0; k < GameType; ++k) mPSummary(k);
  }
  mPWeapon();
  mPSuicide();
  mPSprees();
  mPPickups();
  mPItems();
  mPMisc();
  mPCTF();
  Debug::print("O PlayerTables", 1);
}

void PlayerTables::build(const char* name, const std::function<void()>& body) {
  runBuilder("PlayerTables", name, false, body);
}

std::string PlayerTables::rowLabel(int32_t k, int32_t rows) {
  static const char* const kLabels[] = {"DeathMatch", "CTF",      "Domination",
                                        "Assault",    "TeamGame", "LMS"};
  if (k == rows) return "Totals";
  return k >= 0 && k < 6 ? kLabels[k] : "Mods";
}

const PStats& PlayerTables::record(int32_t k) const {
  if (k == GameType) return p.all;
  if (k >= 0 && static_cast<size_t>(k) < p.games.size()) return p.games[static_cast<size_t>(k)];
  return none_;
}

// ---------------------------------------------------------------------------
// Summary cells

std::string PlayerTables::score(const PStats& s, int32_t row) const {
  if (row != GameType && (row == Specs::kCaptureTheFlag || row == Specs::kDomination))
    return fmt.format(s.score);
  return "-";
}

std::string PlayerTables::teamCount(int32_t v, int32_t row) const {
  return row != GameType && noTeamCounts(row) ? "-" : num(v);
}

std::string PlayerTables::efficiency(const PStats& s) const {
  return fmt.format(careerEfficiency(s.kills, s.deaths, s.suicides)) + "%";
}

std::string PlayerTables::fragsPerHour(const PStats& s) const {
  return fmt.format(per(s.frags * 3600.0, s.totalTime));
}

std::string PlayerTables::timeToLive(const PStats& s) const {
  return fmt.format(per(s.totalTime, static_cast<double>(s.suicides) + 1 + s.deaths + s.tdeaths));
}

std::string PlayerTables::ping(const PStats& s) const {
  if (p.isABot || s.pingNum == 0) return "N/A";
  // The one quotient that does not fit (a damaged record) is shown as its
  // dividend instead of overflowing.
  if (s.pingNum == -1 && s.pingTime == std::numeric_limits<int64_t>::min()) return num(s.pingTime);
  return num(s.pingTime / s.pingNum);
}

// ---------------------------------------------------------------------------
// Summaries

void PlayerTables::mPSummaryAll() {
  build("mPSummaryAll", [&] {
    const bool wins = isPlayer();
    Table& t = pSummary[static_cast<size_t>(GameType)].emplace();
    t.push_back(
        {{TableEntry(wins ? "Career Summary" : "Summary", render::kTitle, 1, wins ? 16 : 14)}});
    Row h;
    for (const char* name : {"Game Type", "Score", "F", "K", "D", "S", "TK", "TD", "Eff", "Avg FPH",
                             "Avg TTL", "Ping"})
      h.push_back({heading(name)});
    if (wins) {
      h.push_back({heading("Wins")});
      h.push_back({heading("Losses")});
    }
    h.push_back({heading("Games")});
    h.push_back({heading("Hours")});
    t.push_back(std::move(h));
    for (int32_t k = 0; k <= GameType; ++k) {
      if (k == Specs::kSinglePlayer) continue;
      const PStats& s = record(k);
      Row r{{label(rowLabel(k, GameType))},  {value(score(s, k))},
            {value(num(s.frags))},           {value(num(s.kills))},
            {value(num(s.deaths))},          {value(num(s.suicides))},
            {value(teamCount(s.tkills, k))}, {value(teamCount(s.tdeaths, k))},
            {value(efficiency(s))},          {value(fragsPerHour(s))},
            {value(timeToLive(s))},          {value(ping(s))}};
      if (wins) {
        r.push_back({value(num(s.teamWins))});
        r.push_back({value(num(s.teamLosses))});
      }
      r.push_back({value(num(s.uses))});
      r.push_back({value(fmt.format(s.totalTime / 3600))});
      t.push_back(std::move(r));
    }
  });
}

void PlayerTables::mPSummary(int32_t gNum) {
  build("mPSummary", [&] {
    std::string type;
    if (gNum == Specs::kSinglePlayer)
      type = kSinglePlayerLabel;
    else if (gNum == GameType)
      type = "All Game Types Combined";
    else if (gNum >= 0 && static_cast<size_t>(gNum) < Specs::kGames)
      type = Specs::games[static_cast<size_t>(gNum)];
    else
      type = "Mods";
    Table& t = pSummary.at(static_cast<size_t>(gNum)).emplace();
    t.push_back({{TableEntry((isPlayer() ? "Career Summary - " : "Summary - ") + type,
                             render::kTitle, 1, 16)}});
    Row h;
    for (const char* name :
         {"Score", "Control Point<br>Captures", "Frags", "Kills", "Deaths", "Suicides", "TK", "TD",
          "Eff", "Avg FPH", "Avg TTL", "Ping", "Wins", "Losses", "Games", "Hours"})
      h.push_back({heading(name)});
    t.push_back(std::move(h));
    const PStats& s = record(gNum);
    t.push_back({{value(score(s, gNum))},
                 {value(num(s.controlPointCaptures))},
                 {value(num(s.frags))},
                 {value(num(s.kills))},
                 {value(num(s.deaths))},
                 {value(num(s.suicides))},
                 {value(teamCount(s.tkills, gNum))},
                 {value(teamCount(s.tdeaths, gNum))},
                 {value(efficiency(s))},
                 {value(fragsPerHour(s))},
                 {value(timeToLive(s))},
                 {value(ping(s))},
                 {value(num(s.teamWins))},
                 {value(num(s.teamLosses))},
                 {value(num(s.uses))},
                 {value(fmt.format(s.totalTime / 3600))}});
  });
}

// ---------------------------------------------------------------------------
// The other tables

void PlayerTables::mPCTF() {
  build("mPCTF", [&] {
    Table& t = pCTF.emplace();
    t.push_back({{heading("Control Point<br>Captures")},
                 {heading("Flag<br>Captures")},
                 {heading("Flag<br>Kills")},
                 {heading("Flag<br>Assists")},
                 {heading("Flag<br>Saves")},
                 {heading("Flag<br>Pickups")},
                 {heading("Flag<br>Drops")}});
    const PStats& dom = record(Specs::kDomination);
    const PStats& ctf = record(Specs::kCaptureTheFlag);
    t.push_back({{value(num(dom.controlPointCaptures))},
                 {value(num(ctf.flagCaptures))},
                 {value(num(ctf.flagKills))},
                 {value(num(ctf.flagAssists))},
                 {value(num(ctf.flagReturns))},
                 {value(num(ctf.flagPickups))},
                 {value(num(ctf.flagDrops))}});
  });
}

void PlayerTables::mPWeapon() {
  build("mPWeapon", [&] { pWeapon = CommonTables::weaponTable(p.all, fmt); });
}

void PlayerTables::mPSuicide() {
  build("mPSuicide", [&] { pSuicide = CommonTables::suicideTable(p.all); });
}

void PlayerTables::mPSprees() {
  build("mPSprees", [&] {
    Table& t = pSprees.emplace();
    t.push_back({{heading("Spree Type")},
                 {heading("# of Sprees")},
                 {heading("Total Time (minutes)")},
                 {heading("Total Kills")}});
    for (size_t k = 0; k < Specs::kSprees && k < p.sprees.size(); ++k) {
      const PStats& s = p.sprees[k];
      t.push_back({{label(Specs::sprees[k])},
                   {value(num(s.uses))},
                   {value(fmt.format(s.totalTime / 60))},
                   {value(num(s.kills))}});
    }
  });
}

void PlayerTables::mPPickups() {
  build("mPPickups", [&] {
    Table& t = pPickups.emplace();
    t.push_back({{heading("Pickup")},
                 {heading("# of Uses")},
                 {heading("Time (minutes)")},
                 {heading("Kills")},
                 {heading("Deaths+<br>Suicides")},
                 {heading("Kills/Use")},
                 {heading("Kills/Hour")},
                 {heading("TTL(sec)")}});
    std::vector<SortInt> order;
    for (size_t k = 0; k < Specs::kPickups && k < p.pickups.size(); ++k)
      order.push_back({p.pickups[k].kills, static_cast<int32_t>(k)});
    sortAll<SortInt::By>(order);
    for (const SortInt& o : order) {
      const auto k = static_cast<size_t>(o.num);
      const PStats& s = p.pickups[k];
      const int64_t lost = int64_t{s.deaths} + s.suicides;
      t.push_back({{label(Specs::pickups[k])},
                   {value(num(s.uses))},
                   {value(fmt.format(s.totalTime / 60))},
                   {value(num(s.kills))},
                   {value(num(lost))},
                   {value(fmt.format(per(s.kills, s.uses)))},
                   // A pickup never used has no time to divide by.
                   {value(fmt.format(per(s.kills * 3600.0, s.totalTime)))},
                   {value(fmt.format(per(s.totalTime, static_cast<double>(lost) + 1)))}});
    }
  });
}

void PlayerTables::mPItems() {
  build("mPItems", [&] {
    pItems = CommonTables::itemTable({p.all.itemGets.begin(), p.all.itemGets.end()});
  });
}

void PlayerTables::mPMisc() {
  build("mPMisc", [&] {
    const PStats& s = p.all;
    std::vector<std::pair<std::string, Cell>> pairs;
    for (const auto& [name, v] :
         std::initializer_list<std::pair<const char*, int32_t>>{{"First Blood", s.firstBlood},
                                                                {"Head Shots", s.headShots},
                                                                {"Double Kills", s.dKills},
                                                                {"Multi Kills", s.muKills},
                                                                {"Ultra Kills", s.uKills},
                                                                {"Monster Kills", s.moKills},
                                                                {"Blinker Throws", s.blinkThrow},
                                                                {"Warps", s.blink},
                                                                {"Failed Warps", s.blinkFail}})
      pairs.emplace_back(name, Cell{value(num(v))});
    pMisc = CommonTables::pairTable("Category", "Value", pairs);
  });
}

}  // namespace programs::vardobf::output
