#include "games/bf/Player.h"

namespace games::bf {

namespace {

std::vector<PStats> rows(std::span<const std::string> names) {
  std::vector<PStats> out;
  out.reserve(names.size());
  for (const auto& n : names) out.emplace_back(n);
  return out;
}

}  // namespace

PStats Player::newSpree(double time) {
  PStats s("preSpree");
  s.started(time);
  return s;
}

Player::Player(double time)
    : sprees(rows(Specs::sprees)),
      hsprees(rows(Specs::sprees)),
      pickups(rows(Specs::pickups)),
      hpickups(rows(Specs::pickups)),
      games(rows(Specs::games)) {
  all.started(time);
  vsHumans.started(time);
  vsBots.started(time);
  preSpree.started(time);
  preHSpree.started(time);
}

std::string Player::toString() const {
  return "n=" + name + " s=" + secret + " b=" + (isABot ? "true" : "false") +
         " l=" + std::to_string(loc) + " u=" + std::to_string(uid) +
         " tn=" + (teamName ? *teamName : "null") + " t=" + std::to_string(team) +
         " ig=" + std::to_string(inGame);
}

void Player::playerReconnect(double time) {
  all.started(time);
  vsHumans.started(time);
  vsBots.started(time);
  preSpree = newSpree(time);
  preHSpree = newSpree(time);
}

void Player::summarize() {
  auto fold = [](const std::vector<PStats>& finished, std::vector<PStats>& spreeRows,
                 std::vector<PStats>& pickupRows) {
    for (const PStats& r : finished) {
      int32_t row = Specs::loc(Specs::sprees, r.desc);
      if (row >= 0) {
        spreeRows[static_cast<size_t>(row)].update(r);
        continue;
      }
      row = Specs::loc(Specs::pickups, r.desc);
      if (row >= 0) pickupRows[static_cast<size_t>(row)].update(r);
    }
  };
  fold(itemInfo, sprees, pickups);
  fold(itemHInfo, hsprees, hpickups);
}

void Player::actItem(const std::string& item, double time) {
  PStats a(item);
  a.started(time);
  activeItemInfo.push_back(a);
  activeItemHInfo.push_back(std::move(a));
}

void Player::deactItem(const std::string& item, double time) {
  auto finish = [&](std::vector<PStats>& running, std::vector<PStats>& finished) {
    for (auto it = running.begin(); it != running.end(); ++it) {
      if (it->desc != item) continue;
      it->stopped("Deactivated", time);
      finished.push_back(std::move(*it));
      running.erase(it);
      return;
    }
  };
  finish(activeItemInfo, itemInfo);
  finish(activeItemHInfo, itemHInfo);
}

void Player::nameSpree(PStats& spree) {
  int32_t k = spree.kills;
  if (k > 24)
    spree.desc = Specs::sprees[4];
  else if (k > 19)
    spree.desc = Specs::sprees[3];
  else if (k > 14)
    spree.desc = Specs::sprees[2];
  else if (k > 9)
    spree.desc = Specs::sprees[1];
  else if (k > 4)
    spree.desc = Specs::sprees[0];
}

void Player::killer(int32_t kWeapon, int32_t vWeapon, int32_t victimIndex, bool victimIsBot,
                    double time) {
  all.killer(kWeapon, vWeapon, victimIndex, time);
  (victimIsBot ? vsBots : vsHumans).killer(kWeapon, vWeapon, victimIndex, time);
  preSpree.killer(kWeapon, vWeapon, victimIndex, time);
  nameSpree(preSpree);
  if (!victimIsBot) {
    preHSpree.killer(kWeapon, vWeapon, victimIndex, time);
    nameSpree(preHSpree);
  }
  for (PStats& e : activeItemInfo) e.killer(kWeapon, vWeapon, victimIndex, time);
  if (!victimIsBot)
    for (PStats& e : activeItemHInfo) e.killer(kWeapon, vWeapon, victimIndex, time);
}

void Player::teamKiller(int32_t kWeapon, int32_t vWeapon, int32_t victimIndex, bool victimIsBot) {
  all.teamKiller(kWeapon, vWeapon, victimIndex);
  (victimIsBot ? vsBots : vsHumans).teamKiller(kWeapon, vWeapon, victimIndex);
}

void Player::victim(int32_t kWeapon, int32_t vWeapon, int32_t killerIndex, double time,
                    bool killerIsBot) {
  all.victim(kWeapon, vWeapon, killerIndex, time);
  (killerIsBot ? vsBots : vsHumans).victim(kWeapon, vWeapon, killerIndex, time);
  afterDeath(kWeapon, vWeapon, killerIndex, time, killerIsBot);
}

void Player::teamVictim(int32_t kWeapon, int32_t vWeapon, int32_t killerIndex, double time,
                        bool killerIsBot) {
  all.teamVictim(kWeapon, vWeapon, killerIndex, time);
  (killerIsBot ? vsBots : vsHumans).teamVictim(kWeapon, vWeapon, killerIndex, time);
  afterDeath(kWeapon, vWeapon, killerIndex, time, killerIsBot);
}

void Player::afterDeath(int32_t kWeapon, int32_t vWeapon, int32_t killerIndex, double time,
                        bool killerIsBot) {
  preSpree.victim(kWeapon, vWeapon, killerIndex, time);
  if (!killerIsBot) preHSpree.victim(kWeapon, vWeapon, killerIndex, time);
  for (PStats& e : activeItemInfo) {
    e.victim(kWeapon, vWeapon, killerIndex, time);
    itemInfo.push_back(std::move(e));
  }
  for (PStats& e : activeItemHInfo) {
    if (killerIsBot)
      e.stopped("Deactivated", time);
    else
      e.victim(kWeapon, vWeapon, killerIndex, time);
    itemHInfo.push_back(std::move(e));
  }
  if (preSpree.desc != "preSpree") itemInfo.push_back(preSpree);
  preSpree = newSpree(time);
  if (!killerIsBot) {
    if (preHSpree.desc != "preSpree") itemHInfo.push_back(preHSpree);
    preHSpree = newSpree(time);
  }
  activeItemInfo.clear();
  activeItemHInfo.clear();
}

void Player::suicided(int32_t type, int32_t wType, double time) {
  all.suicided(type, wType, time);
  vsHumans.suicided(type, wType, time);
  vsBots.suicided(type, wType, time);
  endEverything([&](PStats& s) { s.suicided(type, wType, time); }, time);
}

void Player::endAll(const char* reason, double time) {
  all.stopped(reason, time);
  vsHumans.stopped(reason, time);
  vsBots.stopped(reason, time);
  endEverything([&](PStats& s) { s.stopped(reason, time); }, time);
}

template <class End>
void Player::endEverything(End end, double time) {
  end(preSpree);
  end(preHSpree);
  for (PStats& e : activeItemInfo) {
    end(e);
    itemInfo.push_back(std::move(e));
  }
  for (PStats& e : activeItemHInfo) {
    end(e);
    itemHInfo.push_back(std::move(e));
  }
  if (preSpree.desc != "preSpree") itemInfo.push_back(preSpree);
  if (preHSpree.desc != "preSpree") itemHInfo.push_back(preHSpree);
  preSpree = newSpree(time);
  preHSpree = newSpree(time);
  activeItemInfo.clear();
  activeItemHInfo.clear();
}

void Player::gotItem(int32_t iType) {
  all.gotItem(iType);
  vsHumans.gotItem(iType);
  vsBots.gotItem(iType);
  preSpree.gotItem(iType);
  preHSpree.gotItem(iType);
  for (PStats& e : activeItemInfo) e.gotItem(iType);
  for (PStats& e : activeItemHInfo) e.gotItem(iType);
}

void Player::headShot(bool bot) {
  all.headShots += 1;
  (bot ? vsBots : vsHumans).headShots += 1;
}

void Player::cpCapture(int32_t cp) {
  all.controlPointCaptures += 1;
  if (cp < 0) return;
  auto at = static_cast<size_t>(cp);
  if (cpc.size() < at + 1) cpc.resize(at + 1, 0);
  cpc[at] += 1;
}

void Player::computeCTFScore() {
  all.score = 7.0 * all.flagCaptures + all.frags + 4.0 * all.flagKills;
}

void Player::update(const Player& p) {
  all.update(p.all);
  vsHumans.update(p.vsHumans);
  vsBots.update(p.vsBots);
  auto merge = [](std::vector<PStats>& mine, const std::vector<PStats>& theirs) {
    for (size_t k = 0; k < mine.size() && k < theirs.size(); ++k) {
      int32_t u = static_cast<int32_t>(static_cast<uint32_t>(mine[k].uses) +
                                       static_cast<uint32_t>(theirs[k].uses));
      mine[k].update(theirs[k]);
      mine[k].uses = u;
    }
  };
  merge(sprees, p.sprees);
  merge(pickups, p.pickups);
  merge(hsprees, p.hsprees);
  merge(hpickups, p.hpickups);
  modified = true;
}

}  // namespace games::bf
