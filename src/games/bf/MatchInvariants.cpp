#include "games/bf/MatchInvariants.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

#include "games/bf/Comparators.h"

namespace games::bf {
namespace {

using Broken = std::optional<std::string>;

template <class Array>
int64_t sum(const Array& a) {
  return std::accumulate(a.begin(), a.end(), int64_t{0});
}

int64_t listSum(const std::optional<std::vector<int32_t>>& list) { return list ? sum(*list) : 0; }

int32_t cell(const std::optional<std::vector<int32_t>>& list, size_t i) {
  return list && i < list->size() ? (*list)[i] : 0;
}

Broken ordering(const Game& g) {
  const size_t n = g.plist.size();
  if (g.playersByUID.size() != n) return "playersByUID does not list every player";
  for (size_t i = 0; i < n; ++i) {
    if (g.playersByUID[i] != g.plist[i].get()) return "playersByUID is not in list order";
    if (g.playersByUID[i]->uid != static_cast<int32_t>(i)) return "a uid is not its index";
  }
  if (g.playersByRank.size() != n) return "playersByRank does not rank every player";
  std::vector<bool> seen(n, false);
  for (size_t k = 0; k < n; ++k) {
    const Player* p = g.playersByRank[k];
    if (p == nullptr || p->uid < 0 || static_cast<size_t>(p->uid) >= n ||
        g.playersByUID[static_cast<size_t>(p->uid)] != p || seen[static_cast<size_t>(p->uid)])
      return "playersByRank is not a permutation of the players";
    seen[static_cast<size_t>(p->uid)] = true;
    if (p->rank != static_cast<int32_t>(k) + 1) return "a rank is not the ranking position";
  }
  return std::nullopt;
}

Broken rankingRule(const Game& g) {
  if (g.gameType == g.lmsType) return std::nullopt;
  const bool byScore = g.gameType == Specs::kCaptureTheFlag || g.gameType == Specs::kDomination;
  for (const Player* p : g.playersByRank)
    if (byScore && std::isnan(p->all.score)) return std::nullopt;  // no order to check
  for (size_t k = 0; k + 1 < g.playersByRank.size(); ++k) {
    Player* a = g.playersByRank[k];
    Player* b = g.playersByRank[k + 1];
    int32_t c = byScore ? SortSFDS().compare(a, b) : SortFDS().compare(a, b);
    if (c < 0) return "the ranking breaks the game type's ranking rule";
  }
  return std::nullopt;
}

Broken record(const PStats& s) {
  for (int64_t v :
       {int64_t{s.kills}, int64_t{s.deaths}, int64_t{s.tkills}, int64_t{s.tdeaths},
        int64_t{s.suicides}, s.items, int64_t{s.headShots}, int64_t{s.flagCaptures},
        int64_t{s.flagTakens}, int64_t{s.flagPickups}, int64_t{s.flagDrops}, int64_t{s.flagReturns},
        int64_t{s.flagKills}, int64_t{s.controlPointCaptures}, int64_t{s.blink},
        int64_t{s.blinkThrow}, int64_t{s.blinkFail}, int64_t{s.pingNum}})
    if (v < 0) return "a counter is negative";
  if (sum(s.myKills) != s.kills || sum(s.myKillsOppW) != s.kills)
    return "the per-weapon kills do not add up to the kills";
  if (sum(s.myDeaths) != s.deaths || sum(s.myDeathsOppW) != s.deaths)
    return "the per-weapon deaths do not add up to the deaths";
  if (sum(s.mySuicides) + sum(s.myWSuicides) != s.suicides)
    return "the per-cause suicides do not add up to the suicides";
  if (sum(s.itemGets) != s.items) return "the per-item pickups do not add up to the items";
  return std::nullopt;
}

Broken players(const Game& g) {
  for (const auto& owner : g.plist) {
    const Player& p = *owner;
    for (const PStats* s : {&p.all, &p.vsHumans, &p.vsBots})
      if (Broken b = record(*s)) return b;
    const PStats &a = p.all, &h = p.vsHumans, &b = p.vsBots;
    if (h.kills + b.kills != a.kills || h.deaths + b.deaths != a.deaths ||
        h.tkills + b.tkills != a.tkills || h.tdeaths + b.tdeaths != a.tdeaths)
      return "the records against humans and bots do not add up to the overall record";
    if (h.suicides != a.suicides || b.suicides != a.suicides)
      return "a suicide is missing from a record against humans or bots";
  }
  return std::nullopt;
}

Broken killsAndDeaths(const Game& g) {
  int64_t kills = 0, deaths = 0, tkills = 0, tdeaths = 0;
  const size_t n = g.plist.size();
  for (size_t x = 0; x < n; ++x) {
    const PStats& a = g.plist[x]->all;
    kills += a.kills;
    deaths += a.deaths;
    tkills += a.tkills;
    tdeaths += a.tdeaths;
    if (listSum(a.playerKills) != int64_t{a.kills} + a.tkills)
      return "a player's per-victim list does not add up to his kills";
    if (listSum(a.playerDeaths) != int64_t{a.deaths} + a.tdeaths)
      return "a player's per-killer list does not add up to his deaths";
    if ((a.playerKills && a.playerKills->size() > n) ||
        (a.playerDeaths && a.playerDeaths->size() > n))
      return "a per-opponent list is longer than the list of players";
  }
  if (kills != deaths) return "the kills and the deaths of the players differ";
  if (tkills != tdeaths) return "the team kills and the team deaths of the players differ";
  for (size_t k = 0; k < n; ++k)
    for (size_t v = 0; v < n; ++v)
      if (cell(g.plist[k]->all.playerKills, v) != cell(g.plist[v]->all.playerDeaths, k))
        return "a killer's and his victim's per-opponent lists disagree";
  return std::nullopt;
}

Broken totals(const Game& g) {
  int64_t kills = 0, deaths = 0, suicides = 0, humanKills = 0, humanDeaths = 0;
  for (const auto& p : g.plist) {
    kills += p->all.kills;
    deaths += p->all.deaths;
    suicides += p->all.suicides;
    if (!p->isABot) {
      humanKills += p->all.kills;
      humanDeaths += p->all.deaths;
    }
  }
  if (g.gameTotals.all.kills != kills || g.gameTotals.all.deaths != deaths ||
      g.gameTotals.all.suicides != suicides)
    return "the match totals are not the sums of the players'";
  if (g.humanTotals.all.kills != humanKills || g.humanTotals.all.deaths != humanDeaths)
    return "the humans' totals are not the sums of the humans'";
  if (!g.teamGame) return std::nullopt;
  for (const auto& t : g.teamTotals) {
    int64_t tk = 0, td = 0, ts = 0, ttk = 0, ttd = 0;
    for (const auto& p : g.plist) {
      if (p->team != t->uid) continue;
      tk += p->all.kills;
      td += p->all.deaths;
      ts += p->all.suicides;
      ttk += p->all.tkills;
      ttd += p->all.tdeaths;
    }
    if (t->all.kills != tk || t->all.deaths != td || t->all.suicides != ts ||
        t->all.tkills != ttk || t->all.tdeaths != ttd)
      return "a team record is not the sum of its members'";
  }
  return std::nullopt;
}

Broken winner(const Game& g) {
  const bool dom = g.gameType == Specs::kDomination;
  const bool ctf = g.gameType == Specs::kCaptureTheFlag;
  if (dom || ctf || g.gameType == Specs::kTeamGame) {
    if (g.winningTeam == -10) return std::nullopt;
    auto measure = [&](const Player& t) {
      return dom ? t.all.score : ctf ? double(t.all.flagCaptures) : double(t.all.frags);
    };
    const Player* w = nullptr;
    for (const auto& t : g.teamTotals)
      if (t->uid == g.winningTeam && w == nullptr) w = t.get();
    if (w == nullptr) return "the winning team is none of the team records";
    for (const auto& t : g.teamTotals)
      if (measure(*t) > measure(*w)) return "a team is ahead of the winning team";
  } else if (g.gameType == Specs::kDeathMatch || g.gameType == g.lmsType) {
    if (!g.playersByRank.empty() &&
        (g.playersByRank[0]->all.teamWins != 1 || g.playersByRank[0]->all.teamLosses != 0))
      return "the first ranked player has not won";
  }
  return std::nullopt;
}

Broken firstBlood(const Game& g) {
  int32_t drew = 0;
  for (const auto& p : g.plist) drew += p->all.firstBlood;
  if (g.firstBlood == -1) return drew == 0 ? Broken() : Broken("first blood drawn by nobody named");
  if (g.firstBlood < 0 || static_cast<size_t>(g.firstBlood) >= g.plist.size() || drew != 1 ||
      g.plist[static_cast<size_t>(g.firstBlood)]->all.firstBlood != 1)
    return "firstBlood does not name the one player who drew it";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> brokenInvariant(const Game& g) {
  if (!g.isValid()) return std::nullopt;
  for (auto check : {ordering, rankingRule, players, killsAndDeaths, totals, winner, firstBlood})
    if (Broken b = check(g)) return b;
  return std::nullopt;
}

}  // namespace games::bf
