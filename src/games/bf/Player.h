#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "games/bf/PStats.h"
#include "games/bf/Specs.h"

namespace games::bf {

// One participant of a match (or a team record, match totals or a cumulative
// player) with a bundle of statistics records looking at the same play from
// different angles: the whole match, against humans, against bots, the spree
// in progress, the power-ups held, and the finished episodes.
class Player {
 public:
  static constexpr size_t kSamples = 40;

  explicit Player(double time);

  std::string toString() const;
  void playerReconnect(double time);
  // Folds the finished episodes into the per-spree and per-pickup aggregates;
  // once per match.
  void summarize();
  void actItem(const std::string& item, double time);
  void deactItem(const std::string& item, double time);
  // `isABot`: whether the killer is a bot.
  void teamVictim(int32_t kWeapon, int32_t vWeapon, int32_t killer, double time, bool isABot);
  void victim(int32_t kWeapon, int32_t vWeapon, int32_t killer, double time, bool isABot);
  void fTaken() { all.flagTakens += 1; }
  void fPickedup() { all.flagPickups += 1; }
  void fReturned() { all.flagReturns += 1; }
  void fDropped() { all.flagDrops += 1; }
  void fCaptured() { all.flagCaptures += 1; }
  void blink() { all.blink += 1; }
  void blinkThrow() { all.blinkThrow += 1; }
  void blinkFail() { all.blinkFail += 1; }
  // `bot`: whether the player hit was a bot.
  void headShot(bool bot);
  void cpCapture(int32_t cp);
  void suicided(int32_t type, int32_t wType, double time);
  // `isABot`: whether the victim is a bot.
  void killer(int32_t kWeapon, int32_t vWeapon, int32_t victim, bool isABot, double time);
  void teamKiller(int32_t kWeapon, int32_t vWeapon, int32_t victim, bool isABot);
  void gotItem(int32_t iType);
  void addPing(int32_t ping) { all.addPing(ping); }
  void playerDisconnect(double time) { endAll("Disconnected", time); }
  void computeCTFScore();
  void gameEnd(double time) { endAll("GameEnd", time); }
  // Merges a match's player into this cumulative player.
  void update(const Player& p);

  std::string name;
  std::string secret;
  bool isABot = false;
  int32_t uid = -1;
  int32_t rank = 0;
  bool modified = false;
  int32_t skill = 0;
  std::vector<PStats> itemInfo;
  std::vector<PStats> itemHInfo;
  std::vector<PStats> activeItemInfo;
  std::vector<PStats> activeItemHInfo;
  PStats preSpree{"preSpree"};
  PStats preHSpree{"preSpree"};
  PStats all{"all"};
  PStats vsHumans{"all"};
  PStats vsBots{"all"};
  std::vector<PStats> sprees;   // one per spree level
  std::vector<PStats> hsprees;  // one per spree level
  std::vector<PStats> pickups;  // one per pickup row
  std::vector<PStats> hpickups;
  std::vector<PStats> games;  // one per game type
  int32_t team = -1;
  std::optional<std::string> teamName;
  std::vector<int32_t> cpc;
  std::array<double, kSamples> sot{};
  int32_t inGame = 0;
  int32_t loc = -1;
  // Set on a team record created without a team name (see games::bf::Game).
  bool nameAbsent_ = false;

 private:
  // The spree record named after its number of kills, when it has 5 or more.
  static void nameSpree(PStats& spree);
  // A death ends the sprees and the power-up episodes (steps shared by a
  // death at an opponent's and at a team-mate's hand).
  void afterDeath(int32_t kWeapon, int32_t vWeapon, int32_t killer, double time, bool isABot);
  void endAll(const char* reason, double time);
  // Ends both sprees and every running episode with `end`, keeps the named
  // sprees and the episodes, and starts new sprees at `time`.
  template <class End>
  void endEverything(End end, double time);
  static PStats newSpree(double time);
};

}  // namespace games::bf
