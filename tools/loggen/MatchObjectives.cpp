// The objectives of a generated match: the flags of Capture the Flag and
// the control points of Domination.
#include "tools/loggen/Match.h"

namespace tools::loggen::detail {

int32_t Match::flagOf(int32_t person) const {
  for (int32_t f = 0; f < static_cast<int32_t>(flags_.size()); ++f)
    if (flags_[static_cast<size_t>(f)].state == Flag::kCarried &&
        flags_[static_cast<size_t>(f)].carrier == person)
      return f;
  return -1;
}

void Match::dropFlagOf(int32_t i) {
  int32_t f = flagOf(i);
  if (f < 0) return;
  line({"flag_dropped", num(people_[static_cast<size_t>(i)].pNum), num(f)});
  flags_[static_cast<size_t>(f)] = Flag{Flag::kDropped, -1, now_, kNever};
}

void Match::takeFlag() {
  std::vector<int32_t> home;
  for (int32_t fl = 0; fl < static_cast<int32_t>(flags_.size()); ++fl)
    if (flags_[static_cast<size_t>(fl)].state == Flag::kHome) home.push_back(fl);
  if (home.empty()) return;
  int32_t fl = home[static_cast<size_t>(rng_.below(static_cast<int32_t>(home.size())))];
  std::vector<int32_t> takers;
  for (int32_t j : fighters())
    if (people_[static_cast<size_t>(j)].team != fl && flagOf(j) < 0) takers.push_back(j);
  if (takers.empty()) return;
  int32_t t = pickWeighted(takers, true);
  line({"flag_taken", num(people_[static_cast<size_t>(t)].pNum), num(fl)});
  flags_[static_cast<size_t>(fl)] = Flag{Flag::kCarried, t, now_, now_ + rng_.between(6, 20)};
}

void Match::resolveDroppedFlag() {
  std::vector<int32_t> dropped;
  for (int32_t fl = 0; fl < static_cast<int32_t>(flags_.size()); ++fl)
    if (flags_[static_cast<size_t>(fl)].state == Flag::kDropped) dropped.push_back(fl);
  if (dropped.empty()) return;
  int32_t fl = dropped[static_cast<size_t>(rng_.below(static_cast<int32_t>(dropped.size())))];
  std::vector<int32_t> own, enemy;
  for (int32_t j : fighters()) {
    if (people_[static_cast<size_t>(j)].team == fl)
      own.push_back(j);
    else if (flagOf(j) < 0)
      enemy.push_back(j);
  }
  if (!own.empty() && (enemy.empty() || rng_.chance(0.55))) {
    int32_t r = own[static_cast<size_t>(rng_.below(static_cast<int32_t>(own.size())))];
    line({"flag_returned", num(people_[static_cast<size_t>(r)].pNum), num(fl)});
    flags_[static_cast<size_t>(fl)] = Flag{};
  } else if (!enemy.empty()) {
    int32_t t = pickWeighted(enemy, true);
    line({"flag_pickedup", num(people_[static_cast<size_t>(t)].pNum), num(fl)});
    flags_[static_cast<size_t>(fl)] = Flag{Flag::kCarried, t, now_, now_ + rng_.between(4, 15)};
  }
}

void Match::capturePoint() {
  if (points_.empty()) return;
  ControlPoint& cp = points_[static_cast<size_t>(rng_.below(static_cast<int32_t>(points_.size())))];
  std::vector<int32_t> takers;
  for (int32_t j : fighters())
    if (people_[static_cast<size_t>(j)].team != cp.owner) takers.push_back(j);
  if (takers.empty()) return;
  int32_t t = pickWeighted(takers, true);
  line({"controlpoint_capture", cp.name, num(people_[static_cast<size_t>(t)].pNum)});
  cp.owner = people_[static_cast<size_t>(t)].team;
  cp.controller = t;
}

void Match::domTick() {
  for (const ControlPoint& cp : points_) {
    if (cp.owner < 0) continue;
    ++teamScore_[static_cast<size_t>(cp.owner)];
    Person& c = people_[static_cast<size_t>(cp.controller)];
    if (c.connected && c.team == cp.owner) ++c.domScore;
  }
  for (int32_t t = 0; t < teams_; ++t)
    line({"dom_score_update", num(t), num(teamScore_[static_cast<size_t>(t)])});
  for (Person& p : people_) {
    if (p.connected && p.domScore != p.domScoreLogged) {
      line({"dom_playerscore_update", num(p.pNum), num(p.domScore)});
      p.domScoreLogged = p.domScore;
    }
  }
  checkLimits();
}

}  // namespace tools::loggen::detail
