// The records tables of a match: highs and lows, the per-kind records of the
// high and low page, items, special events and the team result.

#include "games/bf/HighScores.h"
#include "games/bf/Specs.h"
#include "programs/vardobf/Sorts.h"
#include "programs/vardobf/output/CommonTables.h"
#include "programs/vardobf/output/GameTables.h"
#include "programs/vardobf/output/GameTablesDetail.h"
#include "programs/vardobf/output/TableHtml.h"
#include "util/QuickSort.h"

namespace programs::vardobf::output {

using games::bf::HighScores;
using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using namespace detail;

namespace {

template <size_t N>
std::vector<std::string> names(const Specs::Table<N>& t) {
  return {t.begin(), t.end()};
}

template <size_t N>
std::vector<const std::vector<int32_t>*> lists(const HighScores::PerRow<N>& rows) {
  std::vector<const std::vector<int32_t>*> out;
  for (const auto& r : rows) out.push_back(&r);
  return out;
}

int64_t at(const std::array<int32_t, Specs::kWeapons>& a, size_t k) { return a[k]; }

}  // namespace

void GameTables::holderRow(Table& t, const std::string& text, const std::vector<int32_t>& uids,
                           const PlayerText& valueOf, bool fromLast,
                           const PlayerTest& shown) const {
  std::vector<const Player*> who;
  for (int32_t u : uids)
    if (const Player* p = byUid(u)) who.push_back(p);
  if (who.empty() || !shown(*who.front())) return;
  Cell names;
  for (const Player* p : who) names.push_back(nameEntry(*p));
  t.push_back(
      {{label(text)}, std::move(names), {value(valueOf(fromLast ? *who.back() : *who.front()))}});
}

Table GameTables::kindTable(const char* kindHeading, const char* valueHeading,
                            const std::vector<std::string>& kindNames,
                            const std::vector<const std::vector<int32_t>*>& holderLists,
                            const std::function<int64_t(const Player&, size_t)>& valueOf,
                            bool sorted) const {
  std::vector<SortInt> order;
  for (size_t k = 0; k < kindNames.size(); ++k) {
    const Player* first = holderLists[k]->empty() ? nullptr : byUid(holderLists[k]->front());
    order.push_back(
        {first ? static_cast<int32_t>(valueOf(*first, k)) : -100, static_cast<int32_t>(k)});
  }
  if (sorted) sortAll<SortInt::By>(order);
  Table t;
  t.push_back({{heading(kindHeading)}, {heading("Player")}, {heading(valueHeading)}});
  for (const SortInt& s : order) {
    const auto k = static_cast<size_t>(s.num);
    holderRow(
        t, kindNames[k], *holderLists[k], [&](const Player& p) { return num(valueOf(p, k)); },
        false, [](const Player&) { return true; });
  }
  return t;
}

void GameTables::mHighs() {
  build("mHighs", [&] {
    const HighScores& hs = g_.hs;
    const bool ctf = isCTF();
    auto count = [](int64_t (*m)(const PStats&)) {
      return [m](const Player& p) { return num(m(p.all)); };
    };
    auto positive = [](int64_t (*m)(const PStats&)) {
      return [m](const Player& p) { return m(p.all) > 0; };
    };
    auto ctfPositive = [ctf](int64_t (*m)(const PStats&)) {
      return [ctf, m](const Player& p) { return ctf && m(p.all) > 0; };
    };
    auto always = [](const Player&) { return true; };
    auto eff = [this](const Player& p) { return efficiency(p.all); };
    using F = int64_t (*)(const PStats&);
    F cpcs = [](const PStats& s) -> int64_t { return s.controlPointCaptures; };
    F fc = [](const PStats& s) -> int64_t { return s.flagCaptures; };
    F fk = [](const PStats& s) -> int64_t { return s.flagKills; };
    F fa = [](const PStats& s) -> int64_t { return s.flagAssists; };
    F fr = [](const PStats& s) -> int64_t { return s.flagReturns; };
    F fp = [](const PStats& s) -> int64_t { return int64_t{s.flagPickups} + s.flagTakens; };
    F fd = [](const PStats& s) -> int64_t { return s.flagDrops; };
    F frags = [](const PStats& s) -> int64_t { return s.frags; };
    F kills = [](const PStats& s) -> int64_t { return s.kills; };
    F deaths = [](const PStats& s) -> int64_t { return s.deaths; };
    F heads = [](const PStats& s) -> int64_t { return s.headShots; };
    highs.emplace();
    Table& t = *highs;
    t.push_back({{heading("Category")}, {heading("Player")}, {heading("Score")}});
    const bool dom = isDom();
    holderRow(t, "Most Control Point Captures", hs.MostCPCs, count(cpcs), true,
              [dom, cpcs](const Player& p) { return dom && cpcs(p.all) > 0; });
    holderRow(t, "Most Flag Captures", hs.MostFC, count(fc), true, ctfPositive(fc));
    holderRow(t, "Most Flag Kills", hs.MostFK, count(fk), true, ctfPositive(fk));
    holderRow(t, "Most Flag Assists", hs.MostFA, count(fa), true, ctfPositive(fa));
    holderRow(t, "Most Flag Saves", hs.MostFR, count(fr), true, ctfPositive(fr));
    holderRow(t, "Most Flag Pickups", hs.MostFP, count(fp), true, ctfPositive(fp));
    holderRow(t, "Most Flag Drops", hs.MostFD, count(fd), true, ctfPositive(fd));
    holderRow(t, "Most Frags", hs.MostFrags, count(frags), true, always);
    holderRow(t, "Most Kills", hs.MostKills, count(kills), true, always);
    holderRow(t, "Least Deaths", hs.LeastDeaths, count(deaths), true, positive(deaths));
    holderRow(t, "Most Head Shots", hs.MostHS, count(heads), true, positive(heads));
    holderRow(t, "Highest Efficiency", hs.HighEff, eff, true, always);
  });
}

void GameTables::mLows() {
  build("mLows", [&] {
    const HighScores& hs = g_.hs;
    using F = int64_t (*)(const PStats&);
    auto count = [](F m) { return [m](const Player& p) { return num(m(p.all)); }; };
    auto positive = [](F m) { return [m](const Player& p) { return m(p.all) > 0; }; };
    F frags = [](const PStats& s) -> int64_t { return s.frags; };
    F kills = [](const PStats& s) -> int64_t { return s.kills; };
    F deaths = [](const PStats& s) -> int64_t { return s.deaths; };
    F suicideCount = [](const PStats& s) -> int64_t { return s.suicides; };
    lows.emplace();
    Table& t = *lows;
    t.push_back({{heading("Category")}, {heading("Player")}, {heading("Score")}});
    holderRow(t, "Least Frags", hs.LeastFrags, count(frags), true, positive(frags));
    holderRow(t, "Least Kills", hs.LeastKills, count(kills), true, positive(kills));
    holderRow(t, "Most Deaths", hs.MostDeaths, count(deaths), true,
              [](const Player&) { return true; });
    holderRow(t, "Most Suicides", hs.MostSuicides, count(suicideCount), true,
              positive(suicideCount));
    holderRow(
        t, "Lowest Efficiency", hs.LowEff, [this](const Player& p) { return efficiency(p.all); },
        true, positive(kills));
  });
}

void GameTables::mKillsHoldingWeapon() {
  build("mKillsHoldingWeapon", [&] {
    killsHoldingWeapon = kindTable(
        "Weapon", "Kills", weaponNames(), lists(g_.hs.KillsHoldingWeapon),
        [](const Player& p, size_t w) { return at(p.all.myKills, w); }, true);
  });
}

void GameTables::mDeathsByWeapon() {
  build("mDeathsByWeapon", [&] {
    deathsByWeapon = kindTable(
        "Opponent's Weapon", "Deaths", weaponNames(), lists(g_.hs.DeathsByWeapon),
        [](const Player& p, size_t w) { return at(p.all.myDeathsOppW, w); }, true);
  });
}

void GameTables::mDeathsHoldingWeapon() {
  build("mDeathsHoldingWeapon", [&] {
    deathsHoldingWeapon = kindTable(
        "Weapon", "Deaths", weaponNames(), lists(g_.hs.DeathsHoldingWeapon),
        [](const Player& p, size_t w) { return at(p.all.myDeaths, w); }, true);
  });
}

void GameTables::mSuicides() {
  build("mSuicides", [&] {
    std::vector<std::string> kinds = weaponNames();
    std::vector<const std::vector<int32_t>*> holderLists = lists(g_.hs.WeaponSuicides);
    for (const std::string& c : Specs::suicides) kinds.push_back(c);
    for (const auto& l : g_.hs.Suicides) holderLists.push_back(&l);
    suicides = kindTable(
        "Type", "Suicides", kinds, holderLists,
        [](const Player& p, size_t k) -> int64_t {
          return k < Specs::kWeapons ? p.all.myWSuicides[k] : p.all.mySuicides[k - Specs::kWeapons];
        },
        true);
  });
}

void GameTables::mSprees() {
  build("mSprees", [&] {
    sprees = kindTable(
        "Spree Type", "# of Sprees", names(Specs::sprees), lists(g_.hs.Sprees),
        [](const Player& p, size_t k) -> int64_t {
          return k < p.sprees.size() ? p.sprees[k].uses : 0;
        },
        false);
  });
}

void GameTables::mPickups() {
  build("mPickups", [&] {
    pickups = kindTable(
        "Pickup Type", "Kills During Use", names(Specs::pickups), lists(g_.hs.Pickups),
        [](const Player& p, size_t k) -> int64_t {
          return k < p.pickups.size() ? p.pickups[k].kills : 0;
        },
        false);
  });
}

void GameTables::mItems() {
  build("mItems", [&] {
    items = CommonTables::itemTable({g_.hs.ItemsByType.begin(), g_.hs.ItemsByType.end()});
  });
}

Table GameTables::miscTable(const PStats& s, const Cell& firstBlood) const {
  std::vector<std::pair<std::string, Cell>> pairs;
  pairs.emplace_back("First Blood", firstBlood);
  auto add = [&](const char* name, int64_t v) { pairs.emplace_back(name, Cell{value(num(v))}); };
  add("Head Shots", s.headShots);
  add("Double Kills", s.dKills);
  add("Multi Kills", s.muKills);
  add("Ultra Kills", s.uKills);
  add("Monster Kills", s.moKills);
  if (g_.useBlinker == "enabled") {
    add("Blinker Throws", s.blinkThrow);
    add("Warps", s.blink);
    add("Failed Warps", s.blinkFail);
  }
  return CommonTables::pairTable("Category", "Value", pairs);
}

void GameTables::mMisc() {
  build("mMisc", [&] {
    Cell first{value("No Kills")};
    if (g_.firstBlood != -1) {
      const Player* p = byUid(g_.firstBlood);
      first = p ? Cell{nameEntry(*p)} : Cell{value("&nbsp;")};
    }
    misc = miscTable(g_.gameTotals.all, first);
  });
}

void GameTables::mTeam() {
  build("mTeam", [&] {
    const Player* winner = nullptr;
    for (const auto& t : g_.teamTotals)
      if (t->uid == g_.winningTeam) {
        winner = t.get();
        break;
      }
    if (winner == nullptr) return;  // no winner: no result line
    const std::string name = TableHtml::htmlText(winner->name);
    std::string text;
    if (g_.gameType == Specs::kAssault) {
      const auto secs = static_cast<int64_t>(g_.gameLength);
      const int64_t m = secs / 60, s = secs % 60;
      text = name +
             (g_.assaultSucceeded ? " Team Successfully Assaulted the Base in "
                                  : " Team Successfully Defended the Base for ") +
             num(m) + (s < 10 ? ":0" : ":") + num(s) + " minutes";
    } else if (isDom()) {
      text = name + " Team is Victorious with " + num(static_cast<int64_t>(winner->all.score)) +
             " Points";
    } else if (isCTF()) {
      text = name + " Team is Victorious with " + num(winner->all.flagCaptures) + " Points";
    } else {
      text = name + " Team is Victorious with " + num(winner->all.frags) + " Points";
    }
    teamTable = Table{{{TableEntry(text, render::kTitle)}}};
  });
}

}  // namespace programs::vardobf::output
