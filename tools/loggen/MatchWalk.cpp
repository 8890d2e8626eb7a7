// The walk of a generated match through time: the scheduled and the random
// events, the limits that end it, and the writing of its lines within the
// size budget.
#include <algorithm>
#include <cmath>

#include "tools/loggen/LogText.h"
#include "tools/loggen/Match.h"

namespace tools::loggen::detail {

void Match::line(std::initializer_list<std::string_view> fields) {
  group_ += timeText(now_);
  for (std::string_view f : fields) {
    group_ += '\t';
    group_ += f;
  }
  group_ += "\r\n";
  groupLastLine_ = now_;
}

bool Match::commit() {
  if (sizeMode_ && !group_.empty()) {
    const size_t after = body_.size() + group_.size();
    // The game end and the disconnections after it must still fit.
    if (static_cast<int64_t>(after + tail().size() + 64) > budget_) return false;
  }
  body_ += group_;
  group_.clear();
  if (groupLastLine_ >= 0) lastLine_ = std::max(lastLine_, groupLastLine_);
  for (const auto& [pNum, on] : groupLive_) {
    if (on)
      live_.insert(pNum);
    else
      live_.erase(pNum);
  }
  groupLive_.clear();
  killWritten_ = killWritten_ || groupHasKill_;
  groupHasKill_ = false;
  return true;
}

std::string Match::tail() const {
  std::string t;
  const Cs at = std::max(now_, lastLine_ + 1);
  t += timeText(at) + "\tgame_end\t" + endReason_;
  if (!endChecksum_.empty()) t += "\t" + endChecksum_;
  t += "\r\n";
  const std::string after = timeText(at + 150);
  for (int32_t pNum : live_) t += after + "\tplayer\tDisconnect\t" + num(pNum) + "\r\n";
  return t;
}

std::pair<Cs, std::pair<Sched, int32_t>> Match::nextScheduled() const {
  Cs best = kNever;
  Sched what = Sched::kNone;
  int32_t who = -1;
  auto consider = [&](Cs t, Sched s, int32_t i) {
    if (t < best) {
      best = t;
      what = s;
      who = i;
    }
  };
  if (!started_) consider(startAt_, Sched::kStart, -1);
  consider(std::min(endAt_, assaultDoneAt_), Sched::kEnd, -1);
  if (started_) consider(domTickAt_, Sched::kDomTick, -1);
  for (int32_t i = 0; i < static_cast<int32_t>(people_.size()); ++i) {
    const Person& p = people_[static_cast<size_t>(i)];
    if (!p.joined) {
      consider(p.joinAt, Sched::kJoin, i);
      continue;
    }
    if (!p.connected) {
      if (!p.gone) consider(p.returnAt, Sched::kReturn, i);
      continue;
    }
    consider(p.leaveAt, Sched::kLeave, i);
    consider(p.renameAt, Sched::kRename, i);
    consider(p.teamChangeAt, Sched::kTeamChange, i);
    consider(p.teamBackAt, Sched::kTeamBack, i);
    consider(p.nextPing, Sched::kPing, i);
    consider(p.typingUntil, Sched::kTypingEnd, i);
    consider(p.pickupUntil, Sched::kPickupEnd, i);
    consider(p.chainAt, Sched::kChain, i);
  }
  for (int32_t f = 0; f < static_cast<int32_t>(flags_.size()); ++f) {
    const Flag& fl = flags_[static_cast<size_t>(f)];
    if (fl.state == Flag::kCarried) consider(fl.captureAt, Sched::kCapture, f);
    if (fl.state == Flag::kDropped) consider(fl.since + 25 * kSecond, Sched::kFlagTimeout, f);
  }
  return {best, {what, who}};
}

std::string Match::run() {
  chooseSettings();
  makePeople();
  if (sizeMode_) {
    int64_t target = *o_.targetBytes;
    if (o_.faults.any()) target -= 400;  // room for an inserted line
    budget_ = target / 2 - static_cast<int64_t>(header("9999").size());
  }
  endReason_ = "timelimit";

  while (!ended_) {
    std::vector<int32_t> f;
    double rate = 0;
    if (started_) {
      f = fighters();
      for (double r : rates(f)) rate += r;
    }
    const Cs randomAt = rate > 0 ? now_ + rng_.wait(rate) : kNever;
    auto [schedAt, what] = nextScheduled();
    if (schedAt <= randomAt) {
      now_ = std::max(schedAt, lastLine_ + 1);
      runScheduled(what.first, what.second);
    } else {
      now_ = std::max(randomAt, lastLine_ + 1);
      runRandom(f);
    }
    if (!commit()) {
      group_.clear();
      groupLive_.clear();
      groupHasKill_ = false;
      if (!killWritten_) {
        throw GeneratorError(
            "a size of " + std::to_string(*o_.targetBytes) + " bytes is too small for " +
            std::to_string(o_.players) + " players: the header and the first events need about " +
            std::to_string(2 * (header("9999").size() + body_.size() + 600) + 400) + " bytes");
      }
      ended_ = true;
      endReason_ = "timelimit";
    }
  }
  // The time limit the header names: the planned one, or with a size
  // target the minutes the match actually lasted.
  std::string limit;
  if (sizeMode_) {
    Cs played = std::max<Cs>(now_ - startAt_, 0);
    limit = num(std::max<Cs>(1, (played + 60 * kSecond - 1) / (60 * kSecond)));
  } else {
    limit = num(std::max<int64_t>(1, std::llround(std::ceil(o_.minutes))));
  }
  return header(limit) + body_ + tail();
}

void Match::runScheduled(Sched s, int32_t i) {
  Person* p = i >= 0 && (s != Sched::kCapture && s != Sched::kFlagTimeout)
                  ? &people_[static_cast<size_t>(i)]
                  : nullptr;
  switch (s) {
    case Sched::kNone:
      ended_ = true;
      break;
    case Sched::kStart:
      started_ = true;
      line({"game_start"});
      if (played_ == Specs::kAssault) {
        line({"assault_timelimit", num(length_ / kSecond)});
        line({"assault_gamecode", assaultCode_, num(assaultPart_)});
        const int32_t defender = assaultPart_ == 1 ? 1 : 0;
        line({"assault_defender", num(defender)});
        line({"assault_attacker", num(1 - defender)});
      }
      break;
    case Sched::kEnd:
      end(now_ >= endAt_ ? "timelimit" : "objectives");
      break;
    case Sched::kJoin:
      p->joined = true;
      connect(i);
      break;
    case Sched::kLeave: {
      p->leaveAt = kNever;
      // Keep enough fighters for a match.
      if (p->returnAt == kNever && fighters().size() <= 3)
        p->returnAt = now_ + rng_.between(20, 90);
      disconnect(i);
      if (p->returnAt == kNever) p->gone = true;
      if (played_ == Specs::kLastManStanding) p->out = true;
      break;
    }
    case Sched::kReturn:
      p->returnAt = kNever;
      connect(i);
      break;
    case Sched::kRename:
      p->renameAt = kNever;
      rename(i);
      break;
    case Sched::kTeamChange:
      p->teamChangeAt = kNever;
      changeTeam(i, (p->team + 1) % teams_);
      break;
    case Sched::kTeamBack:
      p->teamBackAt = kNever;
      changeTeam(i, (p->team + teams_ - 1) % teams_);
      break;
    case Sched::kPing:
      p->nextPing = now_ + rng_.between(25, 35);
      line({"player", "Ping", num(p->pNum),
            num(std::max(0, p->pingBase + rng_.range(-p->pingBase / 5, p->pingBase / 4)))});
      break;
    case Sched::kTypingEnd:
      p->typingUntil = kNever;
      line({"typing", yesNo(false), num(p->pNum)});
      break;
    case Sched::kPickupEnd:
      p->pickupUntil = kNever;
      line({"item_deactivate", (*kPickupTables[lang_])[static_cast<size_t>(p->pickup)],
            num(p->pNum)});
      p->pickup = -1;
      break;
    case Sched::kChain:
      p->chainAt = kNever;
      if (fighter(i)) randomKill(i);
      break;
    case Sched::kCapture: {
      Flag& fl = flags_[static_cast<size_t>(i)];
      Person& c = people_[static_cast<size_t>(fl.carrier)];
      if (flags_[static_cast<size_t>(c.team)].state != Flag::kHome) {
        fl.captureAt = now_ + rng_.between(3, 10);  // waits for his own flag
        break;
      }
      line({"flag_captured", num(c.pNum), num(i)});
      fl = Flag{};
      ++teamScore_[static_cast<size_t>(c.team)];
      checkLimits();
      break;
    }
    case Sched::kFlagTimeout:
      line({"flag_returned_timeout", num(i)});
      flags_[static_cast<size_t>(i)] = Flag{};
      break;
    case Sched::kDomTick:
      domTickAt_ = now_ + 5 * kSecond;
      domTick();
      break;
  }
}

std::array<double, 7> Match::rates(const std::vector<int32_t>& f) const {
  const double n = static_cast<double>(f.size());
  double flags = 0;
  for (const Flag& fl : flags_) {
    flags += fl.state == Flag::kHome ? 0.04 : 0.0;
    flags += fl.state == Flag::kDropped ? 0.08 : 0.0;
  }
  return {(n >= 2 ? 0.045 : 0.0) * n,
          0.11 * n,
          useBlinker_ ? 0.01 * n : 0.0,
          flags,
          0.035 * static_cast<double>(points_.size()),
          0.005 * n,
          (n >= 2 ? 0.005 : 0.0) * n};
}

void Match::runRandom(const std::vector<int32_t>& f) {
  const std::array<double, 7> w = rates(f);
  switch (rng_.weighted(w)) {
    case 0:
      if (teamGame_ && friendlyFire_ > 0 && rng_.chance(0.03)) {
        // A team kill: a victim on the killer's own team.
        int32_t k = pickWeighted(f, true);
        std::vector<int32_t> mates;
        for (int32_t j : f)
          if (j != k &&
              people_[static_cast<size_t>(j)].team == people_[static_cast<size_t>(k)].team)
            mates.push_back(j);
        if (!mates.empty()) {
          kill(k, mates[static_cast<size_t>(rng_.below(static_cast<int32_t>(mates.size())))], true,
               false);
          break;
        }
      }
      randomKill(std::nullopt);
      break;
    case 1:
      item();
      break;
    case 2:
      blinker();
      break;
    case 3: {
      double home = 0;
      for (const Flag& fl : flags_) home += fl.state == Flag::kHome ? 0.04 : 0.0;
      if (rng_.uniform() * w[3] < home)
        takeFlag();
      else
        resolveDroppedFlag();
      break;
    }
    case 4:
      capturePoint();
      break;
    case 5:
      typing();
      break;
    case 6:
      suicide();
      break;
  }
}

void Match::end(const std::string& reason) {
  endReason_ = reason;
  ended_ = true;
}

void Match::checkLimits() {
  if (sizeMode_ || ended_) return;
  switch (played_) {
    case Specs::kDeathMatch:
      for (const Person& p : people_)
        if (fragLimit_ > 0 && p.frags >= fragLimit_) return end("fraglimit");
      break;
    case Specs::kCaptureTheFlag:
    case Specs::kTeamGame:
    case Specs::kDomination:
      for (int64_t s : teamScore_)
        if (goal_ > 0 && s >= goal_) return end("teamscorelimit");
      break;
    case Specs::kLastManStanding: {
      int32_t standing = 0;
      for (const Person& p : people_) standing += p.joined && !p.out ? 1 : 0;
      if (started_ && standing <= 1) end("lastmanstanding");
      break;
    }
    default:
      break;
  }
}

}  // namespace tools::loggen::detail
