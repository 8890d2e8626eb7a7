#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "games/bf/Player.h"
#include "games/bf/Specs.h"

namespace games::bf {

// The records of one match: for each, the uids of the players who hold it
// (several on a tie, in player order).
class HighScores {
 public:
  using Holders = std::vector<int32_t>;
  template <size_t N>
  using PerRow = std::array<Holders, N>;

  HighScores() = default;
  // Builds every record from the match's players (uid order).
  explicit HighScores(const std::vector<Player*>& players);
  void compute(const std::vector<Player*>& players);

  // 100 * kills / (kills + deaths + suicides + tkills), 0 without a kill.
  static double efficiency(const PStats& s);

  Holders MostFrags, MostKills, LeastDeaths, LeastSuicides, HighEff, MostCPCs, MostFC, MostFR,
      MostFD, MostFP, MostFK, MostFA, MostHS, LeastFrags, LeastKills, MostDeaths, MostSuicides,
      LowEff;
  PerRow<Specs::kWeapons> KillsHoldingWeapon;
  PerRow<Specs::kWeapons> DeathsByWeapon;
  PerRow<Specs::kWeapons> DeathsHoldingWeapon;
  PerRow<Specs::kSuicides> Suicides;
  PerRow<Specs::kWeapons> WeaponSuicides;
  PerRow<Specs::kSprees> Sprees;
  PerRow<Specs::kPickups> Pickups;
  std::array<int32_t, Specs::kItems> ItemsByType{};
};

}  // namespace games::bf
