// The end of the replay of games::bf::Game: the players who took no part are
// removed, the totals gathered, the players ranked, the world-stats scores
// set, the winner found and the team records put in colour order.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "games/bf/Comparators.h"
#include "games/bf/Game.h"
#include "util/Debug.h"
#include "util/QuickSort.h"
#include "util/Trace.h"

namespace games::bf {

using util::Debug;

// ---------------------------------------------------------------------------
// After the walk.

void Game::removePlayerEntry(Player& p, int32_t x) {
  try {
    auto drop = [x](PStats& s) {
      for (auto* list : {&s.playerKills, &s.playerDeaths})
        if (*list && static_cast<int32_t>((*list)->size()) > x)
          (*list)->erase((*list)->begin() + x);
    };
    drop(p.all);
    drop(p.vsHumans);
    drop(p.vsBots);
    for (auto& s : p.itemInfo) drop(s);
    for (auto& s : p.itemHInfo) drop(s);
  } catch (const std::exception& e) {
    util::traceFailure("Game", "removePlayerEntry", e);
  }
}

void Game::deletePlayers() {
  try {
    // The longest per-opponent list of each player: a column x exists only
    // in players whose lists are longer than x, so the others are skipped
    // (removing columns only shortens lists, so the value stays an upper
    // bound).
    auto longest = [](const Player& p) {
      size_t n = 0;
      auto look = [&n](const PStats& s) {
        for (const auto* list : {&s.playerKills, &s.playerDeaths})
          if (*list) n = std::max(n, (*list)->size());
      };
      look(p.all);
      look(p.vsHumans);
      look(p.vsBots);
      for (const auto& s : p.itemInfo) look(s);
      for (const auto& s : p.itemHInfo) look(s);
      return n;
    };
    std::vector<size_t> widths;
    widths.reserve(plist.size());
    for (const auto& p : plist) widths.push_back(longest(*p));

    for (auto x = static_cast<int32_t>(plist.size()) - 1; x >= 0; --x) {
      const PStats& a = plist[static_cast<size_t>(x)]->all;
      if (a.kills != 0 || a.deaths != 0 || a.suicides != 0 || a.tkills != 0 || a.tdeaths != 0 ||
          a.controlPointCaptures != 0 || a.flagCaptures != 0)
        continue;
      for (size_t y = 0; y < plist.size(); ++y)
        if (widths[y] > static_cast<size_t>(x)) removePlayerEntry(*plist[y], x);
      if (firstBlood > x) firstBlood -= 1;
      Player* gone = plist[static_cast<size_t>(x)].get();
      auto it = phash.find(std::to_string(gone->uid));
      if (it != phash.end() && it->second == gone) phash.erase(it);
      std::erase(flagCarriers, gone);
      plist.erase(plist.begin() + x);
      widths.erase(widths.begin() + x);
    }
  } catch (const std::exception& e) {
    util::traceFailure("Game", "deletePlayers", e);
  }
}

void Game::getGameTotals() {
  gameTotals = Player(0.0);
  humanTotals = Player(0.0);
  playersByUID.assign(plist.size(), nullptr);
  for (size_t x = 0; x < plist.size(); ++x) {
    Player& p = *plist[x];
    playersByUID[x] = &p;
    p.summarize();
    if (isCTF()) p.computeCTFScore();
    if (isDom()) {
      p.all.score = p.all.score - p.all.domOffset;
      if (p.all.frags > p.all.score) p.all.score = p.all.frags;
    }
    gameTotals.update(p);
    if (!p.isABot) humanTotals.update(p);
    if (teamGame) {
      if (Player* t = teamRecord(p.team)) {
        t->update(p);
        if (isDom()) t->all.score -= p.all.score;
      }
    }
  }
}

void Game::getWSScores() {
  try {
    humanTotals.vsHumans.score = 0.0;
    for (Player* p : playersByUID) {
      if (p->isABot) continue;
      int64_t kills = 0;
      if (p->vsHumans.playerKills)
        for (int32_t k : *p->vsHumans.playerKills) kills += k;
      double s = static_cast<double>(kills - (int64_t{p->vsHumans.suicides} + p->vsHumans.tkills));
      if (isDom()) s += p->all.score - p->all.frags;
      if (isCTF()) s += 4.0 * p->all.flagKills + 7.0 * p->all.flagCaptures;
      p->vsHumans.score = s;
      humanTotals.vsHumans.score += s;
    }
  } catch (const std::exception& e) {
    util::traceFailure("getWSScores", e);
  }
}

void Game::rankLMS() {
  lmsLimit = 0;
  for (size_t i = 1; i < lmsDeaths.size(); i += 2) lmsLimit = std::max(lmsLimit, lmsDeaths[i]);
  fraglimit = std::to_string(lmsLimit);
  std::vector<LMSRow> rows(plist.size());
  for (size_t x = 0; x < rows.size(); ++x) rows[x] = {0, 0, static_cast<int32_t>(x)};
  for (size_t x = 0; x + 1 < lmsDeaths.size(); x += 2) {
    int32_t y = lmsDeaths[x];
    int32_t d = lmsDeaths[x + 1];
    if (d == lmsLimit) d = -1;
    LMSRow& row = rows.at(static_cast<size_t>(y));
    if (row[0] != -1) row = {d, static_cast<int32_t>(x), y};
  }
  if (!rows.empty())
    util::QuickSort::quickSort(rows, 0, static_cast<int32_t>(rows.size()) - 1, SortLMS());
  for (size_t k = 0; k < rows.size(); ++k)
    plist.at(static_cast<size_t>(rows[k][2]))->rank = static_cast<int32_t>(k);
}

void Game::rankPlayers() {
  std::vector<Player*> list;
  for (size_t x = 0; x < plist.size(); ++x) {
    plist[x]->uid = static_cast<int32_t>(x);
    list.push_back(plist[x].get());
  }
  if (!list.empty()) {
    auto right = static_cast<int32_t>(list.size()) - 1;
    if (isCTF() || isDom())
      util::QuickSort::quickSort(list, 0, right, SortSFDS());
    else if (isLMS())
      util::QuickSort::quickSort(list, 0, right, SortRank());
    else
      util::QuickSort::quickSort(list, 0, right, SortFDS());
  }
  for (size_t k = 0; k < list.size(); ++k) list[k]->rank = static_cast<int32_t>(k) + 1;
  playersByRank = list;
}

void Game::getWinningTeam() {
  Debug::print("I Game.getWinningTeam", 2);
  try {
    auto firstBest = [&](auto value) {
      double best = -1.0;
      std::optional<int32_t> winner;
      for (const auto& t : teamTotals) {
        double v = value(*t);
        if (v > best) {
          best = v;
          winner = t->uid;
        }
      }
      return winner;
    };
    if (isDom()) {
      if (auto w = firstBest([](const Player& t) { return t.all.score; })) winningTeam = *w;
    } else if (gameType == Specs::kTeamGame || isCTF()) {
      auto w = isCTF() ? firstBest([](const Player& t) { return double(t.all.flagCaptures); })
                       : firstBest([](const Player& t) { return double(t.all.frags); });
      if (!w) throw base::FormatError("no team to win the match");
      winningTeam = *w;
    } else if (gameType == Specs::kAssault) {
      if (assaultSucceeded)
        winningTeam = assaultDefender == 1 ? 0 : 1;
      else
        winningTeam = assaultDefender;
    }
    for (Player* p : playersByRank) {
      if (p->team == winningTeam)
        p->all.teamWins = 1;
      else
        p->all.teamLosses = 1;
    }
    if (gameType == Specs::kDeathMatch || isLMS()) {
      if (playersByRank.empty()) throw base::FormatError("no player to win the match");
      playersByRank[0]->all.teamWins = 1;
      playersByRank[0]->all.teamLosses = 0;
    }
    Debug::print("O Game.getWinningTeam", 2);
  } catch (const std::exception& e) {
    util::traceFailure("Game", "getWinningTeam", e);
  }
}

void Game::orderTeams() {
  if (!teamGame) return;
  try {
    const int32_t b = Specs::tloc("Blue"), r = Specs::tloc("Red"), g = Specs::tloc("Green"),
                  y = Specs::tloc("Gold");
    auto row = [](const Player& t) { return Game::nameAbsent(t) ? -1 : Specs::tloc(t.name); };
    // Puts the records in the order of `colours` when each colour is found.
    auto reorder = [&](std::initializer_list<int32_t> colours) {
      std::vector<size_t> at;
      for (int32_t c : colours) {
        auto it = std::find_if(teamTotals.begin(), teamTotals.end(),
                               [&](const auto& t) { return row(*t) == c; });
        if (it == teamTotals.end()) return;
        at.push_back(static_cast<size_t>(it - teamTotals.begin()));
      }
      std::vector<std::unique_ptr<Player>> out;
      for (size_t i : at) out.push_back(std::move(teamTotals[i]));
      teamTotals = std::move(out);
    };
    if (teamTotals.size() == 2) {
      if (row(*teamTotals[0]) == r && row(*teamTotals[1]) == b)
        std::swap(teamTotals[0], teamTotals[1]);
    } else if (teamTotals.size() == 3) {
      reorder({b, r, g});
    } else if (teamTotals.size() == 4) {
      reorder({b, r, g, y});
    }
  } catch (const std::exception& e) {
    util::traceFailure("Game", "orderTeams", e);
  }
}

}  // namespace games::bf
