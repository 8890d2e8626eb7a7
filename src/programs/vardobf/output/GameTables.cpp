#include "programs/vardobf/output/GameTables.h"

#include <cstdlib>
#include <exception>

#include "base/Failure.h"
#include "games/bf/HighScores.h"
#include "games/bf/Specs.h"
#include "programs/vardobf/Sorts.h"
#include "programs/vardobf/output/GameTablesDetail.h"
#include "programs/vardobf/output/TableHtml.h"
#include "util/Debug.h"
#include "util/QuickSort.h"
#include "util/Trace.h"

namespace programs::vardobf::output {

using games::bf::Game;
using games::bf::HighScores;
using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using util::Debug;

// "a", "b", "c" as "a, b,<br>c": a line break after every second name.
std::string detail::joinMutators(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    out += TableHtml::htmlText(names[i]);
    if (i + 1 < names.size()) {
      out += ", ";
      if (i % 2 == 1) out += "<br>";
    }
  }
  return out;
}

// A number as a log writes it, read like a Java-style decimal: surrounding
// blanks allowed, the whole text must be the number. Throws otherwise.
double detail::parseNumber(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  std::string t = text.substr(b, e - b);
  bool ok = !t.empty();
  for (char c : t)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
      ok = false;
  char* end = nullptr;
  double v = ok ? std::strtod(t.c_str(), &end) : 0.0;
  if (!ok || end != t.c_str() + t.size())
    throw base::Failure("NumberFormatException", "For input string: \"" + text + "\"");
  return v;
}

void detail::runBuilder(const char* owner, const char* name, bool traced,
                        const std::function<void()>& body) {
  if (traced)
    util::traced(owner, name, 1, util::ExitLine::kAlways, body);
  else
    util::guarded(owner, name, body);
}

using namespace detail;

// ---------------------------------------------------------------------------
// Shared pieces

bool GameTables::isCTF() const { return g_.gameType == Specs::kCaptureTheFlag; }
bool GameTables::isDom() const { return g_.gameType == Specs::kDomination; }
bool GameTables::isLMS() const { return g_.gameType == Specs::kLastManStanding; }

std::string GameTables::colourImage(int32_t n) {
  return "<img src=\"../../graphics/g" + std::to_string(n) + ".gif\" border=0 width=16 height=16>";
}
std::string GameTables::legendImage() {
  return "<img src=\"../../graphics/g_legend.gif\" border=0 width=16 height=16>";
}
std::string GameTables::noLineImage() {
  return "<img src=\"../../graphics/g_no.gif\" border=0 width=16 height=16>";
}

void GameTables::build(const char* name, const std::function<void()>& body) {
  runBuilder("GameTables", name, true, body);
}

TableEntry GameTables::nameEntry(const Player& p) const {
  return TableEntry(p.name, p.isABot ? render::kBot : render::kHuman, std::to_string(p.uid));
}

const Player* GameTables::byUid(int32_t uid) const {
  if (uid < 0 || static_cast<size_t>(uid) >= g_.playersByUID.size()) return nullptr;
  return g_.playersByUID[static_cast<size_t>(uid)];
}

Cell GameTables::holders(const std::vector<int32_t>& uids) const {
  Cell c;
  for (int32_t u : uids)
    if (const Player* p = byUid(u)) c.push_back(nameEntry(*p));
  return c;
}

std::string GameTables::score(const Player& p) const {
  if (isDom()) return fmt.format(p.all.score);
  return num(static_cast<int64_t>(p.all.score));
}

std::string GameTables::efficiency(const PStats& s) const {
  return fmt.format(s.kills > 0 ? HighScores::efficiency(s) : 0.0) + "%";
}

std::vector<const Player*> GameTables::rankedOf(const Player& team) const {
  std::vector<const Player*> out;
  for (const Player* p : g_.playersByRank)
    if (p->team == team.uid) out.push_back(p);
  return out;
}

std::vector<const Player*> GameTables::teamsWithPlayers() const {
  std::vector<const Player*> out;
  for (const auto& t : g_.teamTotals)
    if (!rankedOf(*t).empty()) out.push_back(t.get());
  return out;
}

// ---------------------------------------------------------------------------
// Construction

GameTables::GameTables(const Game& g, bool graph, int32_t type) : OutputType(type), g_(g) {
  Debug::print("I GameTables", 1);
  static const char* const kCodes[] = {"dm", "ctf", "dom", "ass", "team", "lms"};
  GT = g.gameType >= 0 && g.gameType < 6 ? kCodes[g.gameType] : "all";
  mGameSummary(graph);
  if (graph) mGameSummaryB();
  if (isCTF()) mCTFSummary();
  mGameTotals();
  mGameInfo();
  mKillsMatchUp();
  mHighs();
  mLows();
  mKillsHoldingWeapon();
  mDeathsByWeapon();
  mDeathsHoldingWeapon();
  mSuicides();
  mSprees();
  mPickups();
  mItems();
  mMisc();
  if (g.teamGame) mTeam();
  mPlayerSummary();
  mPlayerWeapons();
  mPlayerSuicides();
  mPlayerPlayer();
  mPlayerSpree();
  mPlayerPickup();
  mPlayerItem();
  mPlayerMisc();
  if (isDom()) mPlayerCPC();
  if (isCTF()) mPlayerCTF();
  Debug::print("O GameTables", 1);
}

// ---------------------------------------------------------------------------
// Index page tables

std::vector<GameTables::SummaryColumn> GameTables::summaryColumns() const {
  const bool scored = isCTF() || isDom();
  using V = std::vector<std::string>;
  std::vector<SummaryColumn> columns;
  auto add = [&](const char* heading, std::vector<const char*> under, auto values) {
    columns.push_back({heading, std::move(under), values});
  };
  if (isDom())
    add("Control Point<br>Captures", {},
        [](const Player& p, bool) { return V{num(p.all.controlPointCaptures)}; });
  add(scored ? "F" : "Frags", {}, [](const Player& p, bool) { return V{num(p.all.frags)}; });
  add(scored ? "K" : "Kills", {}, [](const Player& p, bool) { return V{num(p.all.kills)}; });
  add(scored ? "D" : "Deaths", {}, [](const Player& p, bool) { return V{num(p.all.deaths)}; });
  add(scored ? "S" : "Suicides", {}, [](const Player& p, bool) { return V{num(p.all.suicides)}; });
  if (g_.teamGame) {
    add("TK", {}, [](const Player& p, bool) { return V{num(p.all.tkills)}; });
    add("TD", {}, [](const Player& p, bool) { return V{num(p.all.tdeaths)}; });
  }
  add("Eff.", {}, [this](const Player& p, bool) { return V{efficiency(p.all)}; });
  add("Avg.<br>FPH", {}, [this](const Player& p, bool) {
    const PStats& s = p.all;
    return V{s.totalTime == 0.0 ? fmt.format(0.0) : fmt.format(s.frags * 3600.0 / s.totalTime)};
  });
  add("Avg.<br>TTL", {}, [this](const Player& p, bool) {
    const PStats& s = p.all;
    return V{
        fmt.format(s.totalTime / (static_cast<double>(s.deaths) + s.suicides + s.tdeaths + 1))};
  });
  add("Ping", {}, [](const Player& p, bool) {
    const PStats& s = p.all;
    return V{p.isABot || s.pingNum == 0 ? "N/A" : num(s.pingTime / s.pingNum)};
  });
  add("Time", {}, [this](const Player& p, bool) { return V{fmt.format(p.all.totalTime / 60)}; });
  add("Sprees", {"K", "R", "D", "U", "G"}, [](const Player& p, bool hide) {
    V counts;
    for (size_t k = 0; k < Specs::kSprees; ++k) {
      const int32_t uses = k < p.sprees.size() ? p.sprees[k].uses : 0;
      counts.push_back(hide ? hideZero(uses) : num(uses));
    }
    return counts;
  });
  return columns;
}

void GameTables::summaryHeadings(Table& t, bool graph) const {
  const bool scored = isCTF() || isDom();
  Row r1, r2;
  r1.push_back({TableEntry("Rank", render::kHeading, 2, 1)});
  r1.push_back({TableEntry("Player", render::kHeading, 2, 1)});
  if (graph) r1.push_back({TableEntry(legendImage(), render::kHeading, 2, 1)});
  if (scored) {
    r1.push_back({TableEntry("Score", render::kHeading, 1, 2)});
    r2.push_back({heading("Team")});
    r2.push_back({heading("Player")});
  }
  for (const SummaryColumn& c : summaryColumns()) {
    if (c.under.empty()) {
      r1.push_back({TableEntry(c.heading, render::kHeading, 2, 1)});
      continue;
    }
    r1.push_back(
        {TableEntry(c.heading, render::kHeading, 1, static_cast<int32_t>(c.under.size()))});
    for (const char* h : c.under) r2.push_back({heading(h)});
  }
  t.push_back(std::move(r1));
  t.push_back(std::move(r2));
}

void GameTables::summaryValues(Row& r, const Player& p, int32_t type, bool hide) const {
  for (const SummaryColumn& c : summaryColumns())
    for (std::string& v : c.values(p, hide)) r.push_back({TableEntry(std::move(v), type)});
}

void GameTables::summarySection(Table& t, const std::vector<const Player*>& players,
                                const Player& totals, int32_t teamIndex, bool graph) const {
  const bool team = g_.teamGame;
  const bool scored = isCTF() || isDom();
  summaryHeadings(t, graph);
  int32_t row = 0;
  for (const Player* p : players) {
    Row r;
    r.push_back({label(num(p->rank))});
    r.push_back({nameEntry(*p)});
    if (graph) {
      std::string img =
          team ? "&nbsp;"
               : (row < 8 ? colourImage(((p->rank - 1) % 32 + 32) % 32 + 1) : noLineImage());
      r.push_back({value(img)});
    }
    if (scored) {
      r.push_back({value("&nbsp;")});
      r.push_back({value(score(*p))});
    }
    summaryValues(r, *p, render::kValue, true);
    t.push_back(std::move(r));
    ++row;
  }
  Row r;
  r.push_back({TableEntry("Totals", render::kRowLabel, 1, 2)});
  if (graph)
    r.push_back({TableEntry(team ? colourImage(teamIndex + 1) : "&nbsp;", render::kTotal)});
  if (scored) {
    r.push_back(
        {TableEntry(isCTF() ? num(totals.all.flagCaptures) : score(totals), render::kTotal)});
    r.push_back({TableEntry("&nbsp;", render::kTotal)});
  }
  summaryValues(r, totals, render::kTotal, false);
  t.push_back(std::move(r));
}

void GameTables::mGameSummary(bool graph) {
  build("mGameSummary", [&] {
    gameSummary.emplace();
    Table& t = *gameSummary;
    if (g_.teamGame) {
      const int32_t span = (isDom() ? 21 : isCTF() ? 20 : 18) - (graph ? 0 : 1);
      for (size_t i = 0; i < g_.teamTotals.size(); ++i) {
        const Player& tr = *g_.teamTotals[i];
        std::vector<const Player*> players = rankedOf(tr);
        if (players.empty()) continue;
        t.push_back(
            {{TableEntry("Team: " + TableHtml::htmlText(tr.name), render::kTeamTitle, 1, span)}});
        summarySection(t, players, tr, static_cast<int32_t>(i), graph);
      }
    } else {
      summarySection(t, {g_.playersByRank.begin(), g_.playersByRank.end()}, g_.gameTotals, 0,
                     graph);
    }
  });
}

void GameTables::mGameSummaryB() {
  build("mGameSummaryB", [&] {
    gameSummaryB.emplace();
    Table& t = *gameSummaryB;
    const bool scored = isCTF() || isDom();
    auto headings = [&] {
      t.push_back({{heading("Rank")},
                   {heading("Player")},
                   {heading(legendImage())},
                   {heading(scored ? "Score" : "Frags")}});
    };
    auto row = [&](const Player& p) {
      t.push_back({{label(num(p.rank))},
                   {nameEntry(p)},
                   {value(colourImage(((p.rank - 1) % 32 + 32) % 32 + 1))},
                   {value(scored ? score(p) : num(p.all.frags))}});
    };
    // The first 32 ranked players, each under his team in a team match.
    std::vector<const Player*> top(
        g_.playersByRank.begin(),
        g_.playersByRank.begin() +
            static_cast<ptrdiff_t>(std::min<size_t>(32, g_.playersByRank.size())));
    if (g_.teamGame) {
      for (const auto& tr : g_.teamTotals) {
        std::vector<const Player*> members;
        for (const Player* p : top)
          if (p->team == tr->uid) members.push_back(p);
        if (members.empty()) continue;
        t.push_back(
            {{TableEntry("Team: " + TableHtml::htmlText(tr->name), render::kTeamTitle, 1, 4)}});
        headings();
        for (const Player* p : members) row(*p);
      }
    } else {
      headings();
      for (const Player* p : top) row(*p);
    }
    t.push_back({{TableEntry("Player Color Legend", render::kHeading, 1, 4)}});
    t.push_back({{TableEntry("Human Player", render::kHuman, 1, 2)},
                 {TableEntry("Bot", render::kBot, 1, 2)}});
  });
}

void GameTables::mCTFSummary() {
  build("mCTFSummary", [&] {
    CTFSummary.emplace();
    Table& t = *CTFSummary;
    for (const auto& tr : g_.teamTotals) {
      std::vector<const Player*> players = rankedOf(*tr);
      if (players.empty()) continue;
      t.push_back(
          {{TableEntry("Team: " + TableHtml::htmlText(tr->name), render::kTeamTitle, 1, 10)}});
      Row r1{{TableEntry("Rank", render::kHeading, 2, 1)},
             {TableEntry("Player", render::kHeading, 2, 1)},
             {TableEntry("Score", render::kHeading, 1, 2)}};
      for (const char* h : {"Flag<br>Captures", "Flag<br>Kills", "Flag<br>Assists", "Flag<br>Saves",
                            "Flag<br>Pickups", "Flag<br>Drops"})
        r1.push_back({TableEntry(h, render::kHeading, 2, 1)});
      t.push_back(std::move(r1));
      t.push_back({{heading("Team")}, {heading("Player")}});
      auto flags = [&](Row& r, const PStats& s, int32_t type, bool hide) {
        for (int64_t v :
             {int64_t{s.flagCaptures}, int64_t{s.flagKills}, int64_t{s.flagAssists},
              int64_t{s.flagReturns}, int64_t{s.flagPickups} + s.flagTakens, int64_t{s.flagDrops}})
          r.push_back({TableEntry(hide ? hideZero(v) : num(v), type)});
      };
      for (const Player* p : players) {
        Row r{{label(num(p->rank))},
              {nameEntry(*p)},
              {value("&nbsp;")},
              {value(num(static_cast<int64_t>(p->all.score)))}};
        flags(r, p->all, render::kValue, true);
        t.push_back(std::move(r));
      }
      Row r{{TableEntry("Totals", render::kRowLabel, 1, 2)},
            {TableEntry(num(tr->all.flagCaptures), render::kTotal)},
            {TableEntry("&nbsp;", render::kTotal)}};
      flags(r, tr->all, render::kTotal, false);
      t.push_back(std::move(r));
    }
  });
}

void GameTables::mGameTotals() {
  build("mGameTotals", [&] {
    gameTotals.emplace();
    const PStats& s = g_.gameTotals.all;
    Row h{{heading("Frags")}, {heading("Kills")}, {heading("Deaths")}, {heading("Suicides")}};
    Row v{{value(num(s.frags))},
          {value(num(s.kills))},
          {value(num(s.deaths))},
          {value(num(s.suicides))}};
    if (isDom()) {
      h.push_back({heading("Control Point Captures")});
      v.push_back({value(num(s.controlPointCaptures))});
    }
    if (isCTF()) {
      for (const char* n : {"Flag<br>Captures", "Flag<br>Kills", "Flag<br>Assists", "Flag<br>Saves",
                            "Flag<br>Pickups", "Flag<br>Drops"})
        h.push_back({heading(n)});
      for (int64_t x :
           {int64_t{s.flagCaptures}, int64_t{s.flagKills}, int64_t{s.flagAssists},
            int64_t{s.flagReturns}, int64_t{s.flagPickups} + s.flagTakens, int64_t{s.flagDrops}})
        v.push_back({value(num(x))});
    }
    gameTotals->push_back(std::move(h));
    gameTotals->push_back(std::move(v));
  });
}

void GameTables::mGameInfo() {
  build("mGameInfo", [&] {
    gameInfo.emplace();
    std::vector<std::pair<std::string, std::string>> pairs;
    // Lays out the pairs gathered so far, also when a value could not be
    // read: the table keeps what was built.
    struct Layout {
      std::vector<std::pair<std::string, std::string>>& pairs;
      Table& t;
      ~Layout() {
        if (pairs.size() % 2 == 1) pairs.emplace_back("&nbsp;", "&nbsp;");
        for (size_t i = 0; i + 1 < pairs.size(); i += 2)
          t.push_back({{label(pairs[i].first)},
                       {value(pairs[i].second)},
                       {label(pairs[i + 1].first)},
                       {value(pairs[i + 1].second)}});
      }
    } layout{pairs, *gameInfo};
    auto text = [](const std::optional<std::string>& s) {
      return TableHtml::htmlText(s.value_or(""));
    };
    pairs.emplace_back("Match Date", text(g_.date));
    pairs.emplace_back("Match Name", text(g_.servername));
    pairs.emplace_back("Game", "Brimfall");
    pairs.emplace_back("Game Type",
                       g_.gameType >= 0 && static_cast<size_t>(g_.gameType) < Specs::kGames
                           ? Specs::games[static_cast<size_t>(g_.gameType)]
                           : "");
    pairs.emplace_back("Mutators",
                       g_.gameMutator.empty() ? "&nbsp;" : joinMutators(g_.gameMutator));
    pairs.emplace_back("Map", text(g_.map));
    pairs.emplace_back("No. Players", num(static_cast<int64_t>(g_.plist.size())));
    pairs.emplace_back(
        "Mode",
        TableHtml::htmlText(g_.netMode) +
            (games::bf::detail::isFalseWord(g_.tournamentMode) ? "" : " (Tournament Mode)"));
    pairs.emplace_back("Game Style", g_.megaSpeed ? "Turbo" : g_.hardCore ? "HardCore" : "Normal");
    pairs.emplace_back("Game Speed", TableHtml::htmlText(g_.gameSpeed) + "%");
    pairs.emplace_back("Weapons Stay", TableHtml::htmlText(g_.weaponsStay));
    pairs.emplace_back("Jump Match", TableHtml::htmlText(g_.jumpMatch));
    pairs.emplace_back("Blinker", TableHtml::htmlText(g_.useBlinker));
    std::string air = fmt.format(parseNumber(g_.airControl) * 100) + "%";
    if (air == "35.0%") air += "(default)";
    pairs.emplace_back("Air Control", air);
    if (g_.gameType == Specs::kAssault)
      pairs.emplace_back("Assault Info", "Game " + num(g_.assaultPart) + " of 2 with code: " +
                                             TableHtml::htmlText(g_.assaultCode));
    if (g_.timelimit != "0") pairs.emplace_back("Timelimit", TableHtml::htmlText(g_.timelimit));
    if (g_.fraglimit != "0") pairs.emplace_back("Fraglimit", TableHtml::htmlText(g_.fraglimit));
    if (g_.goalTeamScore != "0")
      pairs.emplace_back("Team Score Limit", TableHtml::htmlText(g_.goalTeamScore));
    if (g_.teamGame)
      pairs.emplace_back("Team Damage", fmt.format(parseNumber(g_.friendlyFire) * 100) + "%");
  });
}

void GameTables::mKillsMatchUp() {
  build("mKillsMatchUp", [&] {
    killsMatchUp.emplace();
    Table& t = *killsMatchUp;
    const bool team = g_.teamGame;
    // plist order; in a team match grouped by team in display order, and the
    // players of no listed team last.
    std::vector<const Player*> order;
    if (team) {
      std::vector<bool> placed(g_.plist.size(), false);
      for (const auto& tr : g_.teamTotals)
        for (size_t i = 0; i < g_.plist.size(); ++i)
          if (!placed[i] && g_.plist[i]->team == tr->uid) {
            order.push_back(g_.plist[i].get());
            placed[i] = true;
          }
      for (size_t i = 0; i < g_.plist.size(); ++i)
        if (!placed[i]) order.push_back(g_.plist[i].get());
    } else {
      for (const auto& p : g_.plist) order.push_back(p.get());
    }
    const auto n = static_cast<int32_t>(order.size());
    const int32_t corner = team ? 3 : 2;
    t.push_back({{TableEntry("", render::kRowLabel, corner, corner)},
                 {TableEntry("Victim", render::kRowLabel, 1, n)}});
    Row names;
    for (const Player* v : order)
      names.push_back({TableEntry(v->name, v->isABot ? render::kBotCareer : render::kHumanCareer,
                                  std::to_string(v->uid))});
    t.push_back(std::move(names));
    if (team) {
      Row colours;
      for (const Player* v : order) colours.push_back({teamColour(v->team, 20, 20)});
      t.push_back(std::move(colours));
    }
    for (size_t k = 0; k < order.size(); ++k) {
      const Player& killer = *order[k];
      Row r;
      if (k == 0) r.push_back({TableEntry("Killer", render::kDownwards, n, 1, 20, 0)});
      r.push_back({nameEntry(killer)});
      if (team) r.push_back({teamColour(killer.team, 20, 20)});
      for (const Player* v : order) {
        if (v == &killer) {
          r.push_back({TableEntry(killer.all.suicides == 0 ? "&nbsp;" : num(killer.all.suicides),
                                  render::kTotal, 1, 1, 20, 20)});
          continue;
        }
        int32_t kills = 0;
        const auto& list = killer.all.playerKills;
        if (list && v->uid >= 0 && static_cast<size_t>(v->uid) < list->size())
          kills = (*list)[static_cast<size_t>(v->uid)];
        r.push_back({TableEntry(kills == 0 ? "&nbsp;" : num(kills), render::kValue, 1, 1, 20, 20)});
      }
      t.push_back(std::move(r));
    }
  });
}

}  // namespace programs::vardobf::output
