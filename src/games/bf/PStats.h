#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "games/bf/Specs.h"

namespace games::bf {

// One statistics record: counters, per-weapon, per-cause and per-item
// arrays, per-opponent lists and the time it covers. A record is either a
// totals record (desc "all"), a spree or power-up episode, or an aggregate of
// merged records (update).
class PStats {
 public:
  using WeaponArray = std::array<int32_t, Specs::kWeapons>;
  using CauseArray = std::array<int32_t, Specs::kSuicides>;
  using ItemArray = std::array<int32_t, Specs::kItems>;

  explicit PStats(std::string desc);

  void gotItem(int32_t iType);
  // `type` is a cause row, or -1 for a suicide with weapon row `wType`.
  void suicided(int32_t type, int32_t wType, double time);
  void teamKiller(int32_t kWeapon, int32_t vWeapon, int32_t victim);
  void killer(int32_t kWeapon, int32_t vWeapon, int32_t victim, double time);
  void teamVictim(int32_t kWeapon, int32_t vWeapon, int32_t killer, double time);
  void victim(int32_t kWeapon, int32_t vWeapon, int32_t killer, double time);
  void started(double time);
  void stopped(const std::string& reason, double time);
  void addPing(int32_t ping);
  // Merges `p` into this record; the per-opponent lists become absent.
  void update(const PStats& p);

  // Adds one at index i of a per-opponent list, growing it with zeros.
  static void addAt(std::optional<std::vector<int32_t>>& list, int32_t i);

  std::string desc;
  std::string reasonStopped;
  double startTime = 0.0;
  double stopTime = 0.0;
  double totalTime = 0.0;
  int32_t frags = 0;
  int32_t kills = 0;
  int32_t deaths = 0;
  int32_t tkills = 0;
  int32_t tdeaths = 0;
  int32_t suicides = 0;
  int64_t items = 0;
  int64_t pingTime = 0;
  int32_t pingNum = 0;
  WeaponArray myFrags{};
  WeaponArray myFragsOppW{};
  WeaponArray myKills{};
  WeaponArray myKillsOppW{};
  WeaponArray myDeaths{};
  WeaponArray myDeathsOppW{};
  WeaponArray myWSuicides{};
  CauseArray mySuicides{};
  ItemArray itemGets{};
  std::optional<std::vector<int32_t>> playerKills = std::vector<int32_t>{};
  std::optional<std::vector<int32_t>> playerDeaths = std::vector<int32_t>{};
  int32_t uses = 0;
  int32_t teamWins = 0;
  int32_t teamLosses = 0;
  int32_t flagCaptures = 0;
  int32_t flagDrops = 0;
  int32_t flagPickups = 0;
  int32_t flagReturns = 0;
  int32_t flagAssists = 0;
  int32_t flagKills = 0;
  int32_t controlPointCaptures = 0;
  int32_t flagTakens = 0;
  int32_t headShots = 0;
  int32_t dKills = 0;
  int32_t muKills = 0;
  int32_t uKills = 0;
  int32_t moKills = 0;
  int32_t firstBlood = 0;
  int32_t blink = 0;
  int32_t blinkThrow = 0;
  int32_t blinkFail = 0;
  double score = 0.0;
  int32_t killLevel = 0;
  double killTime = -10.0;
  double domOffset = 0.0;

 private:
  // Ends an episode: stop time, covered time and reason; totals records
  // ("all") are left running.
  void stop(const char* reason, double time);
};

}  // namespace games::bf
