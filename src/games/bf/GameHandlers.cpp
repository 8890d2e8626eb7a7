// The replay handlers of games::bf::Game: one member per kind of log record
// that changes the players, the teams or the flags, from the connections to
// the game end. The settings records are handled in GameSettings.cpp.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>

#include "base/Failure.h"
#include "games/bf/Game.h"
#include "games/bf/GameHandler.h"
#include "util/Debug.h"

namespace games::bf {

using detail::guarded;
using util::Debug;

// ---------------------------------------------------------------------------
// Connection and identity.

void Game::hPConnect(const EPConnect& e) {
  guarded("hPConnect", " ", [&] {
    Debug::print("I Game.hPConnect", 1);
    for (auto& q : plist) {
      if (q->inGame != 0 || q->name != e.name || q->secret != e.secret) continue;
      q->uid = e.pNum;
      phash[std::to_string(e.pNum)] = q.get();
      q->inGame = 1;
      if (isDom()) {
        q->all.domOffset -= q->all.score;
        q->all.score = 0.0;
      }
      if (e.getTime() > gameStart) q->playerReconnect(e.getTime());
      return;
    }
    Player& p = newEntry(e.getTime());
    p.name = e.name;
    p.secret = e.secret;
    p.uid = e.pNum;
    phash[std::to_string(e.pNum)] = &p;
    Debug::print("O Game.hPConnect", 2);
  });
}

void Game::hPDisconnect(const EPDisconnect& e) {
  guarded("hPDisconnect", " ", [&] {
    Player* p = player(e.pNum);
    if (p == nullptr) return;
    p->inGame = 0;
    phash.erase(std::to_string(p->uid));
    p->playerDisconnect(e.getTime());
    if (isCTF()) p->computeCTFScore();
    if (isLMS()) {
      lmsDeaths.push_back(p->loc);
      lmsDeaths.push_back(-1);
    }
  });
}

void Game::hPRename(const EPRename& e) {
  guarded("hPRename", " ", [&] {
    if (Player* p = player(e.pNum)) p->name = e.name;
  });
}

void Game::hPBot(const EPBot& e) {
  guarded("hPBot", " ", [&] {
    if (Player* p = player(e.pNum)) p->isABot = e.isABot;
  });
}

void Game::hPSkill(const EPSkill& e) {
  guarded("hPSkill", " ", [&] {
    Debug::print("I Game.hPSkill", 1);
    Player* p = player(e.pNum);
    if (p == nullptr) return;
    if (p->isABot) {
      if (e.skill.empty()) throw base::FormatError("empty skill text");
      p->name += e.skill[0];
    }
    Debug::print("O Game.hPSkill", 1);
  });
}

void Game::hPNovice(const EPNovice& e) {
  guarded("hPNovice", " ", [&] {
    Debug::print("I Game.hPNovice", 1);
    Player* p = player(e.pNum);
    if (p == nullptr) return;
    if (p->isABot) {
      char last = p->name.empty() ? '\0' : p->name.back();
      if (last < '0' || last > '9')
        throw base::NumberFormatError("For input string: \"" + std::string(1, last) + "\"");
      int32_t y = last - '0';
      if (!e.isNovice) y += 4;
      p->name = p->name.substr(0, p->name.size() - 1) + " [" + std::to_string(y) + "]";
    }
    Debug::print("O Game.hPNovice", 1);
  });
}

void Game::hPPing(const EPPing& e) {
  guarded("hPPing", " ", [&] {
    if (Player* p = player(e.pNum)) p->addPing(e.ping);
  });
}

void Game::hPTeamName(const EPTeamName& e) {
  guarded("hPTeamName", " ", [&] {
    if (!teamGame) return;
    if (Player* p = player(e.pNum)) p->teamName = e.name;
  });
}

void Game::setTeamName(Player& team, const std::optional<std::string>& name) {
  team.name = name.value_or("");
  team.nameAbsent_ = !name.has_value();
}

void Game::hPTeam(const EPTeam& e) {
  guarded("hPTeam", " ", [&] {
    if (!teamGame || e.index == 255) return;
    Player* p = player(e.pNum);
    if (p == nullptr || p->team == e.index) return;
    const double now = e.getTime();
    Player* T = teamRecord(e.index);
    if (T == nullptr) {
      auto rec = std::make_unique<Player>(0.0);
      if (!e.teamChange) setTeamName(*rec, p->teamName);
      rec->uid = e.index;
      p->team = e.index;
      teamTotals.push_back(std::move(rec));
      return;
    }
    if (p->team == -1) {
      p->team = e.index;
      if (!T->nameAbsent_) {
        if (T->name.empty())
          setTeamName(*T, p->teamName);
        else
          p->teamName = T->name;
      }
      return;
    }
    // A change of team continues the player in the entry for the new team.
    for (auto& n : plist) {
      Player* N = n.get();
      if (N->inGame != 0 || N->name != p->name || N->isABot != p->isABot ||
          N->secret != p->secret || N->team != e.index)
        continue;
      N->inGame = 1;
      N->uid = p->uid;
      if (isDom()) {
        N->all.domOffset -= N->all.score;
        N->all.score = 0.0;
        N->all.domOffset += p->all.score;
      }
      phash[std::to_string(e.pNum)] = N;
      if (now > gameStart) N->playerReconnect(now);
      p->inGame = 0;
      p->playerDisconnect(now);
      if (isCTF()) p->computeCTFScore();
      if (!T->nameAbsent_ && T->name.empty()) setTeamName(*T, N->teamName);
      return;
    }
    // newEntry() may move the list: keep what is needed of p first.
    Player* old = p;
    Player& N = newEntry(now);
    N.name = old->name;
    N.secret = old->secret;
    N.uid = old->uid;
    N.isABot = old->isABot;
    N.team = e.index;
    if (T->nameAbsent_)
      N.teamName.reset();
    else
      N.teamName = T->name;
    if (isDom()) N.all.domOffset = old->all.score;
    phash[std::to_string(e.pNum)] = &N;
    old->inGame = 0;
    old->playerDisconnect(now);
    if (isCTF()) old->computeCTFScore();
  });
}

// ---------------------------------------------------------------------------
// Combat.

void Game::noteFirstBlood(int32_t k, Player& pk) {
  if (firstBlood != -1) return;
  firstBlood = k;
  pk.all.firstBlood = 1;
}

void Game::noteLivesLost(int32_t loc, const Player& p) {
  if (!isLMS()) return;
  lmsDeaths.push_back(loc);
  lmsDeaths.push_back(p.all.deaths + p.all.suicides);
}

void Game::hKill(const EKill& e, const Event& next, const Event* previous) {
  guarded("hKill", " ", [&] {
    int32_t k = getPNum(e.killerNum);
    int32_t v = getPNum(e.killedNum);
    if (k == -1 || v == -1) {
      Debug::print("Error: Kill", 0);
      return;
    }
    int32_t kw = Specs::wlocALT(e.killerWeapon, e.visual);
    int32_t vw = Specs::wloc(e.killedWeapon);
    Player& pv = *plist.at(static_cast<size_t>(v));
    Player& pk = *plist.at(static_cast<size_t>(k));
    pv.victim(kw, vw, k, e.getTime(), pk.isABot);
    pk.killer(kw, vw, v, pv.isABot, e.getTime());
    noteFirstBlood(k, pk);
    if (pv.team != pk.team) {
      auto isDrop = [&](const Event* x) {
        return x != nullptr && x->kind() == EventKind::kFDropped && x->getTime() == e.getTime();
      };
      if (isDrop(&next) || isDrop(previous)) pk.all.flagKills += 1;
    }
    if (isCTF()) pk.computeCTFScore();
    noteLivesLost(v, pv);
  });
}

void Game::hTKill(const ETKill& e) {
  guarded("hTKill", " ", [&] {
    int32_t k = getPNum(e.killerNum);
    int32_t v = getPNum(e.killedNum);
    if (k == -1 || v == -1) {
      Debug::print("Error: TeamKill", 0);
      return;
    }
    int32_t kw = Specs::wlocALT(e.killerWeapon, e.visual);
    int32_t vw = Specs::wloc(e.killedWeapon);
    Player& pv = *plist.at(static_cast<size_t>(v));
    Player& pk = *plist.at(static_cast<size_t>(k));
    if (teamGame) {
      pv.teamVictim(kw, vw, k, e.getTime(), pk.isABot);
      pk.teamKiller(kw, vw, v, pv.isABot);
    } else {
      pv.victim(kw, vw, k, e.getTime(), pk.isABot);
      pk.killer(kw, vw, v, pv.isABot, e.getTime());
      noteFirstBlood(k, pk);
    }
    if (isCTF()) {
      pk.all.frags += 1;
      (pv.isABot ? pk.vsBots : pk.vsHumans).frags += 1;
      pk.computeCTFScore();
    }
    noteLivesLost(v, pv);
  });
}

void Game::hSuicide(const ESuicide& e) {
  guarded("hSuicide", " ", [&] {
    Player* p = player(e.pNum);
    if (p == nullptr) return;
    int32_t st = Specs::sloc(e.visual, e.initiator);
    int32_t wt = st == 0 ? Specs::wlocALT(e.weapon, e.visual) : 0;
    if (st == 0 && wt > 0) st = -1;
    p->suicided(st, wt, e.getTime());
    if (isCTF()) p->computeCTFScore();
    noteLivesLost(p->loc, *p);
  });
}

void Game::hHeadShot(const EHeadShot& e) {
  guarded("hHeadShot", " ", [&] {
    int32_t x = getPNum(e.killerNum);
    if (x == -1) return;
    int32_t y = getPNum(e.killedNum);
    if (y < 0)
      throw base::FormatError("no player connected under number " + std::to_string(e.killedNum));
    plist.at(static_cast<size_t>(x))->headShot(plist.at(static_cast<size_t>(y))->isABot);
  });
}

// ---------------------------------------------------------------------------
// Items.

void Game::hIGet(const EIGet& e) {
  guarded("hIGet", " ", [&] {
    if (Player* p = player(e.pNum)) p->gotItem(Specs::iloc(e.item));
  });
}

void Game::hIActivate(const EIActivate& e) {
  guarded("hIActivate", " ", [&] {
    if (Player* p = player(e.pNum))
      p->actItem(Specs::pickups.at(static_cast<size_t>(Specs::ploc(e.item))), e.getTime());
  });
}

void Game::hIDeactivate(const EIDeactivate& e) {
  guarded("hIDeactivate", " ", [&] {
    if (Player* p = player(e.pNum))
      p->deactItem(Specs::pickups.at(static_cast<size_t>(Specs::ploc(e.item))), e.getTime());
  });
}

// ---------------------------------------------------------------------------
// Flags.

void Game::dropCarriersOfOtherTeams(int32_t team) {
  for (size_t i = flagCarriers.size(); i-- > 0;)
    if (flagCarriers[i]->team != team)
      flagCarriers.erase(flagCarriers.begin() + static_cast<std::ptrdiff_t>(i));
}

void Game::addCarrier(Player& p) {
  for (Player* c : flagCarriers)
    if (c->uid == p.uid) return;
  flagCarriers.push_back(&p);
}

void Game::hFTaken(const EFTaken& e) {
  guarded("hFTaken", "", [&] {
    Player* p = player(e.pNum);
    if (p == nullptr) return;
    p->fTaken();
    addCarrier(*p);
  });
}

void Game::hFPickedup(const EFPickedup& e) {
  guarded("hFPickedup", "", [&] {
    Player* p = player(e.pNum);
    if (p == nullptr) return;
    p->fPickedup();
    addCarrier(*p);
  });
}

void Game::hFDropped(const EFDropped& e) {
  guarded("hFDropped", "", [&] {
    if (Player* p = player(e.pNum)) p->fDropped();
  });
}

void Game::hFReturned(const EFReturned& e) {
  guarded("hFReturned", "", [&] {
    Player* p = player(e.pNum);
    if (p == nullptr) return;
    p->fReturned();
    dropCarriersOfOtherTeams(e.team);
  });
}

void Game::hFReturnedt(const EFReturnedt& e) {
  guarded("hFReturnedt", " ", [&] { dropCarriersOfOtherTeams(e.team); });
}

void Game::hFCaptured(const EFCaptured& e) {
  guarded("hFCaptured", "", [&] {
    Player* p = player(e.pNum);
    if (p == nullptr) return;
    p->fCaptured();
    if (isCTF()) p->computeCTFScore();
    p->all.flagAssists -= 1;
    for (size_t i = flagCarriers.size(); i-- > 0;) {
      if (flagCarriers[i]->team == e.team) continue;
      flagCarriers[i]->all.flagAssists += 1;
      flagCarriers.erase(flagCarriers.begin() + static_cast<std::ptrdiff_t>(i));
    }
  });
}

// ---------------------------------------------------------------------------
// Domination, Assault, blinker, start and end.

void Game::hDScore(const EDScore& e) {
  guarded("hDScore", "", [&] {
    if (Player* t = teamRecord(e.team)) t->all.score = e.score;
  });
}

void Game::hDPScore(const EDPScore& e) {
  guarded("hDPScore", " ", [&] {
    if (Player* p = player(e.pNum)) p->all.score = e.score;
  });
}

void Game::hCPCapture(const ECPCapture& e) {
  guarded("hCPCapture", " ", [&] {
    Player* p = player(e.pNum);
    if (p == nullptr) return;
    auto it = std::find(cpName.begin(), cpName.end(), e.controlPoint);
    auto cp = static_cast<int32_t>(it - cpName.begin());
    if (it == cpName.end()) cpName.push_back(e.controlPoint);
    p->cpCapture(cp);
  });
}

void Game::hAGamecode(const EAGamecode& e) {
  guarded("hAGamecode", " ", [&] {
    assaultCode = e.code;
    assaultPart = e.part;
  });
}

void Game::hADefender(const EADefender& e) {
  guarded("hADefender", " ", [&] { assaultDefender = e.defender; });
}

void Game::hBlink(const EBlink& e) {
  guarded("hBlink", " ", [&] {
    if (Player* p = player(e.pNum)) p->blink();
  });
}

void Game::hBlinkThrow(const EBlinkThrow& e) {
  guarded("hBlinkThrow", " ", [&] {
    if (Player* p = player(e.pNum)) p->blinkThrow();
  });
}

void Game::hBlinkFail(const EBlinkFail& e) {
  guarded("hBlinkFail", " ", [&] {
    if (Player* p = player(e.pNum)) p->blinkFail();
  });
}

void Game::hGStart(const EGStart& e) {
  guarded("hGStart", " ", [&] { gameStart = e.getTime(); });
}

void Game::hGEnd(const EGEnd& e) {
  guarded("hGEnd", " ", [&] {
    endType = e.reason;
    for (auto& p : plist) {
      if (p->inGame == 0) continue;
      p->gameEnd(e.getTime());
      if (isCTF()) p->computeCTFScore();
    }
    if (e.reason != "timelimit") assaultSucceeded = true;
    gameLength = e.getTime() - gameStart;
  });
}

void Game::hGEndAlt(double t) {
  guarded("hGEndAlt", " ", [&] {
    endType = "Incomplete";
    for (auto& p : plist) {
      if (p->inGame == 0) continue;
      p->gameEnd(t);
      if (isCTF()) p->computeCTFScore();
    }
    gameLength = t - gameStart;
  });
}

}  // namespace games::bf
