#include "games/bf/Game.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <time.h>

#include "games/Zorlog.h"
#include "games/bf/Comparators.h"
#include "games/bf/EventList.h"
#include "games/bf/GameData.h"
#include "util/Debug.h"
#include "base/Failure.h"
#include "util/QuickSort.h"
#include "util/Text.h"

namespace games::bf {
namespace {

using util::Debug;
using base::failureText;

using detail::isFalseWord;

// The name part of a class identifier: after the first ".", unless there is
// none or it is the last character.
std::string namePart(const std::string& v) {
  size_t dot = v.find('.');
  if (dot == std::string::npos || dot + 1 == v.size()) return v;
  return v.substr(dot + 1);
}

double clampSample(double v) { return v < -10.0 ? -10.0 : v; }

// Runs one handler: a failure is traced as "Error in Game.<name><sep><text>"
// and the walk goes on.
template <class F>
void guarded(const char* name, const char* sep, F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    Debug::print(std::string("Error in Game.") + name + sep + failureText(e), 0);
  }
}

const char* const kDaysShort[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthsShort[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A field of the date text: decimal digits, read as a number.
int64_t dateField(const std::string& text, size_t& pos, bool last) {
  size_t start = pos;
  int64_t v = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    if (pos - start >= 12) throw base::FormatError("Unparseable date: \"" + text + "\"");
    v = v * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start) throw base::FormatError("Unparseable date: \"" + text + "\"");
  if (!last) {
    if (pos >= text.size() || text[pos] != '.')
      throw base::FormatError("Unparseable date: \"" + text + "\"");
    ++pos;
  }
  return v;
}

// A time-zone offset in hours: a decimal number, blanks around it allowed.
double offsetHours(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  size_t b = s.find_last_not_of(" \t");
  std::string t = a == std::string::npos ? "" : s.substr(a, b - a + 1);
  bool ok = !t.empty();
  size_t i = 0;
  if (ok && (t[0] == '+' || t[0] == '-')) i = 1;
  bool digits = false, dot = false;
  for (; ok && i < t.size(); ++i) {
    if (t[i] >= '0' && t[i] <= '9') {
      digits = true;
    } else if (t[i] == '.' && !dot) {
      dot = true;
    } else {
      ok = false;
    }
  }
  if (!ok || !digits) throw base::NumberFormatError("For input string: \"" + s + "\"");
  return std::strtod(t.c_str(), nullptr);
}

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
    Debug::print("Error in Game: " + failureText(e), 0);
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
    Debug::print("Error in Game.processEvents " + failureText(e), 0);
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
    if (gameType == Specs::kAssault || gameType == Specs::kTeamGame || gameType == Specs::kSinglePlayer)
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
    if (flagCarriers[i]->team != team) flagCarriers.erase(flagCarriers.begin() + i);
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
      flagCarriers.erase(flagCarriers.begin() + i);
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

// ---------------------------------------------------------------------------
// Settings and identity.

void Game::hGame(const EGame& e) {
  guarded("hGame", " ", [&] {
    const std::string& v = e.var;
    const std::string& val = e.val;
    if (v == "CodePackageChecksum") {
      if (!e.valB) return;
      if (Specs::cloc(val + " " + *e.valB) < 0) {
        validLibs = false;
        Debug::print("Invalid Library Checksum: " + val + " = " + *e.valB, 0);
      }
    } else if (v == "GameName") {
      gameString = val;
      gameType = Specs::gloc(val);
    } else if (v == "TeamGame") {
      teamGame = !isFalseWord(val);
    } else if (v == "TimeLimit") {
      timelimit = val;
    } else if (v == "FragLimit") {
      fraglimit = val;
    } else if (v == "WeaponsStay") {
      weaponsStay = isFalseWord(val) ? "no" : "yes";
    } else if (v == "MegaSpeed") {
      megaSpeed = !isFalseWord(val);
    } else if (v == "HardCore") {
      hardCore = !isFalseWord(val);
    } else if (v == "GameSpeed") {
      gameSpeed = val;
    } else if (v == "AirControl") {
      airControl = val;
    } else if (v == "JumpMatch") {
      jumpMatch = isFalseWord(val) ? "no" : "yes";
    } else if (v == "UseBlinker") {
      useBlinker = isFalseWord(val) ? "disabled" : "enabled";
    } else if (v == "TournamentMode") {
      tournamentMode = val;
    } else if (v == "NetMode") {
      netMode = val;
    } else if (v == "GoalTeamScore") {
      goalTeamScore = val;
    } else if (v == "FriendlyFireScale") {
      friendlyFire = val;
    } else if (v == "GameMutator") {
      gameMutator.push_back(namePart(val));
    } else if (v == "GameClass") {
      gameClass = namePart(val);
    } else if (v == "GameVersion") {
      gameVersion = val;
    }
  });
}

void Game::hInfo(const EInfo& e) {
  guarded("hInfo", " ", [&] {
    const std::string& first = e.list.at(0);
    if (e.infoType == "Absolute_Time")
      date = niceDate(first);
    else if (e.infoType == "Server_ServerName")
      servername = first;
    else if (e.infoType == "Server_Port")
      port = first;
  });
}

void Game::hMap(const EMap& e) {
  guarded("hMap", " ", [&] {
    if (e.var == "Title") map = e.val;
  });
}

std::string Game::niceDate(const std::string& text) {
  try {
    size_t minus = text.find(".-");
    size_t plus = text.find(".+");
    size_t cut;
    if (minus != std::string::npos && minus > 0)
      cut = minus;
    else if (plus != std::string::npos && plus > 0)
      cut = plus;
    else if (text.size() >= 4)
      cut = text.size() - 4;
    else
      throw base::FormatError("Unparseable date: \"" + text + "\"");

    // "yyyy.MM.dd.hh.mm.ss.SSS" in the machine's time zone; the hour is read
    // on the 24-hour clock (0 to 23, 12 is noon).
    std::string part = text.substr(0, cut);
    size_t pos = 0;
    int64_t f[7];
    for (int i = 0; i < 7; ++i) f[i] = dateField(part, pos, i == 6);
    struct tm tm {};
    tm.tm_year = static_cast<int>(f[0] - 1900);
    tm.tm_mon = static_cast<int>(f[1] - 1);
    tm.tm_mday = static_cast<int>(f[2]);
    tm.tm_hour = static_cast<int>(f[3]);
    tm.tm_min = static_cast<int>(f[4]);
    tm.tm_sec = static_cast<int>(f[5]);
    tm.tm_isdst = -1;
    if (f[0] > 100000 || f[1] > 100000 || f[2] > 100000 || f[3] > 100000 || f[4] > 100000 ||
        f[5] > 100000)
      throw base::FormatError("Unparseable date: \"" + text + "\"");
    time_t secs = ::mktime(&tm);
    if (secs == static_cast<time_t>(-1) && tm.tm_year != 69)
      throw base::FormatError("Unparseable date: \"" + text + "\"");
    // Whole seconds plus the milliseconds field (a larger field carries over).
    time = static_cast<int64_t>(secs) * 1000 + f[6];
    time_t shown = static_cast<time_t>(std::floor(static_cast<double>(time) / 1000.0));
    struct tm local {};
    ::localtime_r(&shown, &local);

    int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s, %s %02d  %04d at %d:%02d:%02d %s",
                  kDaysShort[local.tm_wday], kMonthsShort[local.tm_mon], local.tm_mday,
                  local.tm_year + 1900, hour12, local.tm_min, local.tm_sec,
                  local.tm_hour < 12 ? "AM" : "PM");
    std::string zone = text.substr(cut + 1);
    std::string display = std::string(buf) + " " + zone;

    if (cut == minus || cut == plus) {
      double hours = offsetHours(zone.substr(1));
      double product = hours * 3600000.0;
      if (!(std::fabs(product) < 9.0e18))
        throw base::NumberFormatError("time-zone offset out of range: \"" + zone + "\"");
      auto shift = static_cast<int64_t>(product);
      if (__builtin_add_overflow(time, cut == minus ? shift : -shift, &time))
        throw base::NumberFormatError("time-zone offset out of range: \"" + zone + "\"");
    }
    return display;
  } catch (const std::exception& e) {
    Debug::print("Error in Game.niceDate " + failureText(e), 0);
    return "Bad Date Format";
  }
}

void Game::getWSValid() {
  validMutator = validVersion = validClass = true;
  if (gameMutator.empty()) {
    validMutator = false;
  } else {
    validClass = std::find(GameData::kStockGameClasses.begin(), GameData::kStockGameClasses.end(),
                           gameClass) != GameData::kStockGameClasses.end();
  }
  for (const auto& m : gameMutator)
    if (std::find(GameData::kStockMutators.begin(), GameData::kStockMutators.end(), m) ==
        GameData::kStockMutators.end())
      validMutator = false;
  if (!gameVersion) throw base::FormatError("the log names no game version");
  validVersion = util::parseInt32(*gameVersion) == GameData::kStockGameVersion;
  if ((!validMutator || !validClass) && validLibs)
    Debug::print("Invalid Mutator/Class not caught by validLibs!", 0);
}

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
    Debug::print("Error in Game.removePlayerEntry: " + failureText(e), 0);
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
    Debug::print("Error in Game.deletePlayers: " + failureText(e), 0);
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
    Debug::print("Error in getWSScores: " + failureText(e), 0);
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
    Debug::print("Error in Game.getWinningTeam: " + failureText(e), 0);
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
    Debug::print("Error in Game.orderTeams: " + failureText(e), 0);
  }
}

}  // namespace games::bf
