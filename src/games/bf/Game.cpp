// The replay of games::bf::Game: the walk over the events of the log, the
// dispatch to the handlers (GameHandlers.cpp, GameSettings.cpp), the score
// samples, and the steps after the walk (GameRanking.cpp).
#include "games/bf/Game.h"

#include <memory>
#include <string>

#include "base/Failure.h"
#include "games/Zorlog.h"
#include "games/bf/EventList.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace games::bf {
namespace {

using util::Debug;

double clampSample(double v) { return v < -10.0 ? -10.0 : v; }

}  // namespace

Game::Game(const Lines& lines) { doGame(lines); }

Game::Game(const std::optional<std::string>& text) { doGame(games::Zorlog::parse(text)); }

Player* Game::player(int32_t n) const {
  auto it = phash.find(std::to_string(n));
  return it == phash.end() ? nullptr : it->second;
}

int32_t Game::getPNum(int32_t n) const {
  Player* p = player(n);
  return p == nullptr ? -1 : p->loc;
}

Player* Game::teamRecord(int32_t number) const {
  for (const auto& t : teamTotals)
    if (t->uid == number) return t.get();
  return nullptr;
}

Player& Game::newEntry(double t) {
  auto p = std::make_unique<Player>(t > gameStart ? t : gameStart);
  p->inGame = 1;
  p->loc = static_cast<int32_t>(plist.size());
  plist.push_back(std::move(p));
  return *plist.back();
}

// ---------------------------------------------------------------------------
// The replay.

void Game::doGame(const Lines& lines) {
  Debug::print("I Game", 1);
  lmsDeaths.reserve(300);
  lmsType = Specs::gloc("Last Man Standing");
  try {
    auto events = EventList::parse(lines);
    if (!events) {
      Debug::print("O Game", 1);
      return;
    }
    processEvents(*events);
    if (gameType == lmsType) rankLMS();
    deletePlayers();
    getGameTotals();
    rankPlayers();
    getWSScores();
    hs = HighScores(playersByUID);
    getWinningTeam();
    orderTeams();
    getWSValid();
    Debug::print("O Game", 1);
  } catch (const std::exception& e) {
    util::traceFailure("Game", e);
  }
}

void Game::processEvents(const std::vector<std::unique_ptr<Event>>& events) {
  Debug::print("I Game.processEvents", 1);
  try {
    plist.reserve(50);
    phash.reserve(100);
    if (events.empty()) throw base::FormatError("the match has no events");

    double gs = 0.0;
    double end = events.back()->getTime();
    for (const auto& e : events) {
      if (e->kind() == EventKind::kGStart) gs = e->getTime();
      if (e->kind() == EventKind::kGEnd) {
        end = e->getTime();
        break;
      }
    }
    gameInt = (end - gs) * kSampleFraction;
    gameStart = gs;

    int32_t z = 1;
    double t = gs + gameInt;
    bool ended = false;
    for (size_t i = 0; i < events.size(); ++i) {
      const Event& e = *events[i];
      // A match that ends at or before its start asks for a sample at every
      // event; the 39 samples are the limit and later requests are refused.
      if (e.getTime() >= t && z < static_cast<int32_t>(Player::kSamples)) {
        updateScoreVsTime(z);
        ++z;
        t += gameInt;
      }
      dispatch(events, i);
      if (e.kind() == EventKind::kGEnd) {
        ended = true;
        break;
      }
    }
    if (!ended) hGEndAlt(events.back()->getTime());
    for (; z < static_cast<int32_t>(Player::kSamples); ++z) updateScoreVsTime(z);
    resetTeamTotals();
    Debug::print("O Game.processEvents", 1);
  } catch (const std::exception& e) {
    util::traceFailure("Game", "processEvents", e, " ");
  }
}

void Game::dispatch(const std::vector<std::unique_ptr<Event>>& events, size_t i) {
  const Event& e = *events[i];
  switch (e.kind()) {
    case EventKind::kIGet:
      validGame = true;
      hIGet(*eventAs<EIGet>(e));
      break;
    case EventKind::kKill: {
      validGame = true;
      const Event& next = i + 1 < events.size() ? *events[i + 1] : e;
      const Event* previous = i > 0 ? events[i - 1].get() : nullptr;
      hKill(*eventAs<EKill>(e), next, previous);
      break;
    }
    case EventKind::kPPing:
      hPPing(*eventAs<EPPing>(e));
      break;
    case EventKind::kSuicide:
      validGame = true;
      hSuicide(*eventAs<ESuicide>(e));
      break;
    case EventKind::kDScore:
      hDScore(*eventAs<EDScore>(e));
      break;
    case EventKind::kDPScore:
      hDPScore(*eventAs<EDPScore>(e));
      break;
    case EventKind::kCPCapture:
      validGame = true;
      hCPCapture(*eventAs<ECPCapture>(e));
      break;
    case EventKind::kFPickedup:
      hFPickedup(*eventAs<EFPickedup>(e));
      break;
    case EventKind::kFDropped:
      hFDropped(*eventAs<EFDropped>(e));
      break;
    case EventKind::kFReturned:
      hFReturned(*eventAs<EFReturned>(e));
      break;
    case EventKind::kFCaptured:
      validGame = true;
      hFCaptured(*eventAs<EFCaptured>(e));
      break;
    case EventKind::kFReturnedt:
      hFReturnedt(*eventAs<EFReturnedt>(e));
      break;
    case EventKind::kIActivate:
      hIActivate(*eventAs<EIActivate>(e));
      break;
    case EventKind::kIDeactivate:
      hIDeactivate(*eventAs<EIDeactivate>(e));
      break;
    case EventKind::kPConnect:
      hPConnect(*eventAs<EPConnect>(e));
      break;
    case EventKind::kPDisconnect:
      hPDisconnect(*eventAs<EPDisconnect>(e));
      break;
    case EventKind::kPRename:
      hPRename(*eventAs<EPRename>(e));
      break;
    case EventKind::kGEnd:
      hGEnd(*eventAs<EGEnd>(e));
      break;
    case EventKind::kGStart:
      hGStart(*eventAs<EGStart>(e));
      break;
    case EventKind::kGame:
      hGame(*eventAs<EGame>(e));
      break;
    case EventKind::kInfo:
      hInfo(*eventAs<EInfo>(e));
      break;
    case EventKind::kMap:
      hMap(*eventAs<EMap>(e));
      break;
    case EventKind::kPBot:
      hPBot(*eventAs<EPBot>(e));
      break;
    case EventKind::kPNovice:
      hPNovice(*eventAs<EPNovice>(e));
      break;
    case EventKind::kPTeam:
      hPTeam(*eventAs<EPTeam>(e));
      break;
    case EventKind::kPTeamName:
      hPTeamName(*eventAs<EPTeamName>(e));
      break;
    case EventKind::kPSkill:
      hPSkill(*eventAs<EPSkill>(e));
      break;
    case EventKind::kBlink:
      hBlink(*eventAs<EBlink>(e));
      break;
    case EventKind::kBlinkThrow:
      hBlinkThrow(*eventAs<EBlinkThrow>(e));
      break;
    case EventKind::kBlinkFail:
      hBlinkFail(*eventAs<EBlinkFail>(e));
      break;
    case EventKind::kTKill:
      validGame = true;
      hTKill(*eventAs<ETKill>(e));
      break;
    case EventKind::kFTaken:
      hFTaken(*eventAs<EFTaken>(e));
      break;
    case EventKind::kHeadShot:
      hHeadShot(*eventAs<EHeadShot>(e));
      break;
    case EventKind::kADefender:
      hADefender(*eventAs<EADefender>(e));
      break;
    case EventKind::kAGamecode:
      hAGamecode(*eventAs<EAGamecode>(e));
      break;
    case EventKind::kPTeamID:   // nothing to do
    case EventKind::kTyping:    // nothing to do
    case EventKind::kBlinkGib:  // the lookup alone changes nothing
    case EventKind::kAAttacker:
    case EventKind::kATimelimit:
      break;
  }
}

void Game::resetTeamTotals() {
  for (auto& team : teamTotals) {
    if (isCTF()) team->all.score = 0.0;
    // A team record holds the sum of its members' frags at this sample, so
    // it starts again from zero before each one.
    if (gameType == Specs::kAssault || gameType == Specs::kTeamGame ||
        gameType == Specs::kSinglePlayer)
      team->all.frags = 0;
  }
}

void Game::updateScoreVsTime(int32_t z) {
  if (z < 1 || z >= static_cast<int32_t>(Player::kSamples)) return;
  const auto at = static_cast<size_t>(z);
  resetTeamTotals();
  if (isCTF()) {
    for (auto& p : plist) {
      p->sot[at] = clampSample(p->all.score);
      if (Player* t = teamRecord(p->team)) t->all.score += p->all.flagCaptures;
    }
    for (auto& t : teamTotals) t->sot[at] = clampSample(t->all.score);
  } else if (isDom()) {
    for (auto& p : plist)
      p->sot[at] = clampSample(p->all.score == 0.0 ? 0.0 : p->all.score - p->all.domOffset);
    for (auto& t : teamTotals) t->sot[at] = clampSample(t->all.score);
  } else if (isLMS()) {
    for (auto& p : plist)
      p->sot[at] = p->inGame == 1 ? static_cast<double>(p->all.deaths + p->all.suicides) : -1.0;
  } else {
    bool dm = gameType == Specs::kDeathMatch;
    for (auto& p : plist) {
      p->sot[at] = clampSample(p->all.frags);
      if (!dm)
        if (Player* t = teamRecord(p->team)) t->all.frags += p->all.frags;
    }
    if (!dm)
      for (auto& t : teamTotals) t->sot[at] = clampSample(t->all.frags);
  }
}

}  // namespace games::bf
