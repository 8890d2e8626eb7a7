// The people of a generated match: who fights, connections, names, teams
// and typing.
#include <algorithm>

#include "tools/loggen/Match.h"

namespace tools::loggen::detail {

std::vector<int32_t> Match::fighters() const {
  std::vector<int32_t> f;
  for (int32_t i = 0; i < static_cast<int32_t>(people_.size()); ++i)
    if (fighter(i)) f.push_back(i);
  return f;
}

int32_t Match::pickWeighted(const std::vector<int32_t>& c, bool strong) {
  std::vector<double> w;
  for (int32_t i : c) {
    double s = people_[static_cast<size_t>(i)].strength;
    w.push_back(strong ? s * s : 1.0 / (s * s));
  }
  return c[rng_.weighted(w)];
}

int32_t Match::balancedTeam() const {
  std::vector<int32_t> count(static_cast<size_t>(teams_), 0);
  for (const Person& p : people_)
    if (p.connected && p.team >= 0) ++count[static_cast<size_t>(p.team)];
  return static_cast<int32_t>(std::min_element(count.begin(), count.end()) - count.begin());
}

void Match::connect(int32_t i) {
  Person& p = people_[static_cast<size_t>(i)];
  p.pNum = nextPNum_++;
  p.connected = true;
  const std::string pn = num(p.pNum);
  // The server writes a stale name and team line for the new number just
  // before the connection itself; the reader drops them.
  if (!p.bot && rng_.chance(0.4)) {
    line({"player", "Rename", p.name, p.secret, pn});
    line({"player", "Team", pn, "255"});
  }
  const char* admin = yesNo(!p.bot && !singlePlayer_ && i == 0 && rng_.chance(0.3));
  if (p.bot)
    line({"player", "Connect", p.name, pn, admin});
  else
    line({"player", "Connect", p.name, pn, admin, p.secret});
  line({"player", "IsABot", pn, yesNo(p.bot)});
  if (p.bot) {
    line({"player", "Skill", pn, num(p.skill) + ".000000"});
    line({"player", "Novice", pn, yesNo(p.novice)});
  }
  if (teamGame_) {
    if (p.team < 0) p.team = singlePlayer_ && !p.bot ? 0 : balancedTeam();
    line({"player", "TeamName", pn, teamName(p.team)});
    line({"player", "TeamID", pn, num(p.team)});
    line({"player", "Team", pn, num(p.team)});
  }
  if (!p.bot) {
    line({"player", "Ping", pn, num(p.pingBase)});
    p.nextPing = now_ + rng_.between(20, 35);
  }
  p.weapon = Specs::kPistol;
  groupLive_.push_back({p.pNum, true});
}

void Match::disconnect(int32_t i) {
  Person& p = people_[static_cast<size_t>(i)];
  dropFlagOf(i);
  line({"player", "Disconnect", num(p.pNum)});
  p.connected = false;
  p.nextPing = p.typingUntil = p.pickupUntil = p.chainAt = kNever;
  p.pickup = -1;
  groupLive_.push_back({p.pNum, false});
}

void Match::rename(int32_t i) {
  Person& p = people_[static_cast<size_t>(i)];
  for (const char* candidate : kNewNames) {
    bool used = false;
    for (const Person& q : people_) used = used || q.name == candidate;
    if (used) continue;
    p.name = candidate;
    if (rng_.chance(0.5))
      line({"player", "Rename", p.name, p.secret, num(p.pNum)});
    else
      line({"player", "Rename", p.name, num(p.pNum)});
    return;
  }
}

void Match::changeTeam(int32_t i, int32_t to) {
  Person& p = people_[static_cast<size_t>(i)];
  if (p.team < 0 || to == p.team) return;
  dropFlagOf(i);
  p.team = to;
  const std::string pn = num(p.pNum);
  line({"player", "Teamchange", pn, num(to)});
  line({"player", "TeamName", pn, teamName(to)});
  line({"player", "TeamID", pn, num(to)});
}

void Match::typing() {
  std::vector<int32_t> humans;
  for (int32_t j : fighters())
    if (!people_[static_cast<size_t>(j)].bot &&
        people_[static_cast<size_t>(j)].typingUntil == kNever)
      humans.push_back(j);
  if (humans.empty()) return;
  Person& p = people_[static_cast<size_t>(
      humans[static_cast<size_t>(rng_.below(static_cast<int32_t>(humans.size())))])];
  line({"typing", yesNo(true), num(p.pNum)});
  p.typingUntil = now_ + rng_.between(1.5, 8);
}

}  // namespace tools::loggen::detail
