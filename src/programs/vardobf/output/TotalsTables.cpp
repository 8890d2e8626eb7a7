#include "programs/vardobf/output/TotalsTables.h"

#include <algorithm>
#include <exception>

#include "programs/vardo/config.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Sorts.h"
#include "programs/vardobf/output/GameTablesDetail.h"
#include "programs/vardobf/output/RecordKinds.h"
#include "programs/vardobf/output/TableHtml.h"
#include "util/Debug.h"
#include "util/QuickSort.h"
#include "util/Trace.h"

namespace programs::vardobf::output {

using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using programs::vardo::config;
using util::Debug;
using namespace detail;

namespace {

Row titleRow(const std::string& title, int32_t columns) {
  return {{TableEntry(title, render::kTitle, 1, columns)}};
}

}  // namespace

TotalsTables::TotalsTables(const Totals& t, PlayerSource player)
    : t_(t), player_(std::move(player)) {
  Debug::print("I TotalsTables", 1);
  try {
    if (!player_) player_ = [](int32_t uid) { return PlayerDB::getPlayer(uid); };
    mTotalsLogged();
    mTotalsRanking();
    mCHighs();
    mCKills();
    mCDeaths();
    mCDeathsb();
    mCSuicides();
    mGHighs();
    mGKills();
    mGDeaths();
    mGDeathsb();
    mGSuicides();
    mGamesPlayed();
    for (int32_t row : {Specs::kDomination, Specs::kTeamGame, Specs::kCaptureTheFlag,
                        Specs::kDeathMatch, Specs::kAssault, Specs::kLastManStanding})
      mRanking(row);
  } catch (const std::exception& e) {
    util::traceFailure("TotalsTables", e);
  }
  Debug::print("O TotalsTables", 1);
}

void TotalsTables::build(const char* name, const std::function<void()>& body) {
  runBuilder("TotalsTables", name, true, body);
}

std::optional<Player> TotalsTables::playerOf(const HashEntry& h) const {
  std::optional<Player> p = player_(h.uid);
  if (p) {
    p->name = h.name;
    p->isABot = h.isABot;
    p->uid = h.uid;
  }
  return p;
}

TableEntry TotalsTables::holder(const std::string& name, int32_t uid, bool bot) {
  // A record nobody holds yet has no career page to link to.
  const render::Type type = bot ? render::kBot : render::kHuman;
  if (uid < 0) return TableEntry(name, type);
  return TableEntry(name, type, std::to_string(uid));
}

void TotalsTables::mTotalsLogged() {
  build("mTotalsLogged", [&] {
    const PStats& s = t_.allStats.all;
    totalsLogged = Table{{{heading("Frags")},
                          {heading("Kills")},
                          {heading("Deaths")},
                          {heading("Suicides")},
                          {heading("Games")},
                          {heading("Player Hours")}},
                         {{value(num(s.frags))},
                          {value(num(s.kills))},
                          {value(num(s.deaths))},
                          {value(num(s.suicides))},
                          {value(num(static_cast<int64_t>(t_.gameList.size())))},
                          {value(fmt.format(s.totalTime / 3600))}}};
  });
}

void TotalsTables::mGamesPlayed() {
  build("mGamesPlayed", [&] {
    std::vector<SortInt> order;
    for (size_t k = 0; k < Specs::kGames; ++k)
      if (static_cast<int32_t>(k) != Specs::kSinglePlayer)
        order.push_back({t_.gamesPlayed[k], static_cast<int32_t>(k)});
    sortAll<SortInt::By>(order);
    gamesPlayed.emplace();
    Table& t = *gamesPlayed;
    t.push_back(titleRow("Total Games Played by Type", 3));
    t.push_back({{heading("Game")}, {heading("Number")}, {heading("Player Hours")}});
    for (const SortInt& s : order) {
      const auto k = static_cast<size_t>(s.num);
      const double hours =
          k < t_.allStats.games.size() ? t_.allStats.games[k].totalTime / 3600 : 0.0;
      t.push_back({{label(Specs::games[k])}, {value(num(s.val))}, {value(fmt.format(hours))}});
    }
    t.push_back({{label("Totals")},
                 {TableEntry(num(t_.totalGamesPlayed), render::kTotal)},
                 {TableEntry(fmt.format(t_.allStats.all.totalTime / 3600), render::kTotal)}});
  });
}

Row TotalsTables::careerRow(const std::string& text, const CareerRecord& r) const {
  return {{label(text)},
          {holder(r.name, r.uid, r.isABot)},
          {value(num(r.score))},
          {value(num(r.games))},
          {value(fmt.format(r.time / 3600))}};
}

Row TotalsTables::gameRow(const std::string& text, const GameRecord& r) const {
  return {{label(text)},
          {holder(r.name, r.uid, r.isABot)},
          {value(num(r.score))},
          {value(fmt.format(r.time / 60))},
          {value(TableHtml::htmlText(r.map))},
          {value(TableHtml::htmlText(r.date))}};
}

void TotalsTables::mCHighs() {
  build("mCHighs", [&] {
    const Records& r = t_.rec;
    cHighs.emplace();
    Table& t = *cHighs;
    t.push_back({{heading("Category")},
                 {heading("Player")},
                 {heading("Score")},
                 {heading("Games<br>Played")},
                 {heading("Hours<br>Played")}});
    for (const auto& [text, rec] : careerHighsBeforeFph(r)) t.push_back(careerRow(text, *rec));
    // The best frags an hour is no stored record: the first of that order.
    if (!t_.sortedFPH.empty()) {
      const HashEntry& h = *t_.sortedFPH.front();
      if (std::optional<Player> p = playerOf(h)) {
        const PStats& s = p->all;
        t.push_back({{label("Highest FPH")},
                     {holder(h.name, h.uid, h.isABot)},
                     {value(fmt.format(s.totalTime == 0.0 ? 0.0 : s.frags * 3600.0 / s.totalTime))},
                     {value(num(s.uses))},
                     {value(fmt.format(s.totalTime / 3600))}});
      }
    }
    for (const auto& [text, rec] : careerHighsAfterFph(r)) t.push_back(careerRow(text, *rec));
  });
}

Table TotalsTables::careerKinds(
    const char* kind, const char* valueName,
    const std::vector<std::pair<std::string, const CareerRecord*>>& kinds) const {
  Table t{{{heading(kind)},
           {heading("Player")},
           {heading(valueName)},
           {heading("Games<br>Played")},
           {heading("Hours<br>Played")}}};
  for (const auto& [name, rec] : heldByScore(kinds)) t.push_back(careerRow(name, *rec));
  return t;
}

Table TotalsTables::gameKinds(
    const char* valueName,
    const std::vector<std::pair<std::string, const GameRecord*>>& kinds) const {
  Table t{{{heading("Weapon")},
           {heading("Player")},
           {heading(valueName)},
           {heading("Time<br>(min)")},
           {heading("Map")},
           {heading("Date")}}};
  for (const auto& [name, rec] : heldByScore(kinds)) t.push_back(gameRow(name, *rec));
  return t;
}

void TotalsTables::mCKills() {
  build("mCKills",
        [&] { cKills = careerKinds("Weapon", "Kills", perWeapon(t_.rec.cKillsHoldingWeapon)); });
}
void TotalsTables::mCDeaths() {
  build("mCDeaths",
        [&] { cDeaths = careerKinds("Weapon", "Deaths", perWeapon(t_.rec.cDeathsByWeapon)); });
}
void TotalsTables::mCDeathsb() {
  build("mCDeathsb", [&] {
    cDeathsb = careerKinds("Weapon", "Deaths", perWeapon(t_.rec.cDeathsHoldingWeapon));
  });
}
void TotalsTables::mCSuicides() {
  build("mCSuicides", [&] {
    cSuicides =
        careerKinds("Cause", "Suicides", perSuicide(t_.rec.cWeaponSuicides, t_.rec.cSuicides));
  });
}

void TotalsTables::mGHighs() {
  build("mGHighs", [&] {
    const Records& r = t_.rec;
    gHighs.emplace();
    gHighs->push_back({{heading("Category")},
                       {heading("Player")},
                       {heading("Score")},
                       {heading("Time<br>(min)")},
                       {heading("Map")},
                       {heading("Date")}});
    for (const auto& [text, rec] : matchHighs(r)) gHighs->push_back(gameRow(text, *rec));
  });
}

void TotalsTables::mGKills() {
  build("mGKills", [&] { gKills = gameKinds("Kills", perWeapon(t_.rec.gKillsHoldingWeapon)); });
}
void TotalsTables::mGDeaths() {
  build("mGDeaths", [&] { gDeaths = gameKinds("Deaths", perWeapon(t_.rec.gDeathsByWeapon)); });
}
void TotalsTables::mGDeathsb() {
  build("mGDeathsb",
        [&] { gDeathsb = gameKinds("Deaths", perWeapon(t_.rec.gDeathsHoldingWeapon)); });
}
void TotalsTables::mGSuicides() {
  build("mGSuicides", [&] {
    gSuicides = gameKinds("Suicides", perSuicide(t_.rec.gWeaponSuicides, t_.rec.gSuicides));
  });
}

void TotalsTables::mTotalsRanking() {
  build("mTotalsRanking", [&] {
    totalsRanking.emplace();
    Table& t = *totalsRanking;
    t.push_back(titleRow("All Game Types Combined : All-Time Ranking", 14));
    Row h;
    for (const char* c : {"Rank", "Player", "F", "K", "D", "S", "TK", "TD", "Eff", "Avg FPH",
                          "Avg TTL", "Ping", "Games", "Hours"})
      h.push_back({heading(c)});
    t.push_back(std::move(h));
    const auto n = std::min<size_t>(static_cast<size_t>(std::max(config::getRankAll(), 0)),
                                    t_.sortedByFDS.size());
    for (size_t k = 0; k < n; ++k) {
      const HashEntry& e = *t_.sortedByFDS[k];
      std::optional<Player> p = playerOf(e);
      if (!p) continue;
      const PStats& s = p->all;
      t.push_back(
          {{label(num(static_cast<int64_t>(k) + 1))},
           {holder(e.name, e.uid, e.isABot)},
           {value(num(s.frags))},
           {value(num(s.kills))},
           {value(num(s.deaths))},
           {value(num(s.suicides))},
           {value(num(s.tkills))},
           {value(num(s.tdeaths))},
           {value(fmt.format(careerEfficiency(s.kills, s.deaths, s.suicides)) + "%")},
           {value(fmt.format(s.totalTime == 0.0 ? 0.0 : s.frags * 3600.0 / s.totalTime))},
           {value(fmt.format(s.totalTime / (static_cast<double>(s.deaths) + s.suicides + 1)))},
           {value(e.isABot || s.pingNum == 0 ? "N/A" : num(s.pingTime / s.pingNum))},
           {value(num(s.uses))},
           {value(fmt.format(s.totalTime / 3600))}});
    }
  });
}

namespace {

// The sorted list, the configured length and the value columns of one
// ranking table.
struct RankingKind {
  const std::vector<const HashEntry*>* list = nullptr;
  int32_t limit = 0;
  std::vector<const char*> columns;
};

RankingKind rankingKind(const Totals& t, int32_t row) {
  switch (row) {
    case Specs::kDeathMatch:
      return {&t.sortedTD,
              config::getRankDM(),
              {"Frags", "Kills", "Deaths", "Suicides", "Eff", "Avg FPH", "Avg TTL", "Ping", "Games",
               "Hours"}};
    case Specs::kDomination:
      return {&t.sortedD, config::getRankDom(), {"Score", "Games", "Wins", "Losses", "Hours"}};
    case Specs::kCaptureTheFlag:
      return {&t.sortedCTF,
              config::getRankCTF(),
              {"Score", "Flag<br>Captures", "Flag<br>Kills", "Flag<br>Assists", "Frags", "Games",
               "Wins", "Losses", "Hours"}};
    case Specs::kLastManStanding:
      return {&t.sortedLMS, config::getRankLMS(), {"Wins", "Losses", "Games", "Hours"}};
    case Specs::kTeamGame:
      return {&t.sortedTT, config::getRankTG(), {"Wins", "Losses", "Games", "Hours"}};
    default:
      return {&t.sortedA, config::getRankA(), {"Wins", "Losses", "Games", "Hours"}};
  }
}

// The value cells of one player's ranking row, in the order of its columns.
std::vector<std::string> rankingCells(int32_t row, const PStats& s, int64_t games,
                                      const util::NumberFormat& fmt) {
  const std::string hours = fmt.format(s.totalTime / 3600);
  switch (row) {
    case Specs::kDeathMatch:
      return {num(s.frags), num(s.kills), num(s.deaths), num(s.suicides),
              fmt.format(careerEfficiency(s.kills, s.deaths, s.suicides)) + "%",
              fmt.format(s.totalTime == 0.0 ? 0.0 : s.frags * 3600.0 / s.totalTime),
              fmt.format(s.totalTime / (static_cast<double>(s.deaths) + s.suicides + 1)),
              // This table shows the pings of bots too.
              s.pingNum == 0 ? "N/A" : num(s.pingTime / s.pingNum), num(s.uses), hours};
    case Specs::kDomination:
      return {fmt.format(s.score), num(games), num(s.teamWins), num(s.teamLosses), hours};
    case Specs::kCaptureTheFlag:
      return {num(static_cast<int64_t>(s.score)),
              num(s.flagCaptures),
              num(s.flagKills),
              num(s.flagAssists),
              num(s.frags),
              num(games),
              num(s.teamWins),
              num(s.teamLosses),
              hours};
    default:
      return {num(s.teamWins), num(s.teamLosses), num(games), hours};
  }
}

}  // namespace

void TotalsTables::mRanking(int32_t row) {
  static const char* const kNames[] = {"mRankingDM", "mRankingCTF", "mRankingDom", "mRankingA",
                                       "mRankingTG", "mRankingLMS", "mRanking"};
  build(kNames[std::clamp(row, 0, 6)], [&] {
    const RankingKind kind = rankingKind(t_, row);
    auto& table = ranking[static_cast<size_t>(row)];
    table.emplace();
    Table& t = *table;
    t.push_back(titleRow(Specs::games[static_cast<size_t>(row)] + " : All-Time Ranking",
                         static_cast<int32_t>(kind.columns.size()) + 2));
    Row h{{heading("Rank")}, {heading("Player")}};
    for (const char* c : kind.columns) h.push_back({heading(c)});
    t.push_back(std::move(h));
    const auto n =
        std::min<size_t>(static_cast<size_t>(std::max(kind.limit, 0)), kind.list->size());
    for (size_t k = 0; k < n; ++k) {
      const HashEntry& e = *(*kind.list)[k];
      std::optional<Player> p = playerOf(e);
      if (!p) continue;
      const PStats& s = p->games.at(static_cast<size_t>(row));
      const int64_t games = int64_t{s.teamWins} + s.teamLosses;
      // The list is sorted, so the first player without a match of the type
      // ends the table.
      if (row == Specs::kDeathMatch ? s.uses == 0 : games == 0) break;
      Row r{{label(num(static_cast<int64_t>(k) + 1))}, {holder(e.name, e.uid, e.isABot)}};
      for (const std::string& v : rankingCells(row, s, games, fmt)) r.push_back({value(v)});
      t.push_back(std::move(r));
    }
  });
}

}  // namespace programs::vardobf::output
