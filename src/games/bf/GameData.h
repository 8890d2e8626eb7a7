#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace games::bf {

// Game data of Brimfall beside the catalog's name tables (Specs): the
// damage-type texts that decide which weapon or cause gets the credit for a
// death, the stock lists of the world-stats verdict, the long label of the
// single-player type and the addresses the pages name.
// All texts are ISO-8859-1 (plain ASCII here).
struct GameData {
  // Damage-type texts of the `visual` field of kill, team-kill and suicide
  // lines. The six environmental causes that carry their cause row's own name
  // (burning, drowning, falling, electrocution, explosion, suicide command)
  // are the texts of Specs::suicides.
  static constexpr std::string_view kSpecialDamage = "SpecialDamage";
  static constexpr std::string_view kUnknownDamage = "Unknown";
  static constexpr std::string_view kCorroded = "Corroded";
  static constexpr std::string_view kMortared = "Mortared";
  static constexpr std::string_view kCrushed = "Crushed";
  static constexpr std::string_view kArcZap = "ArcZap";
  static constexpr std::string_view kShot = "Shot";
  static constexpr std::string_view kBeheaded = "Beheaded";
  static constexpr std::string_view kShredded = "Shredded";
  static constexpr std::string_view kRocketBlast = "RocketBlast";
  static constexpr std::string_view kRocketSplash = "RocketSplash";
  static constexpr std::string_view kHammerBlow = "HammerBlow";
  static constexpr std::string_view kWarheadBlast = "WarheadBlast";
  static constexpr std::string_view kWarheadShockwave = "WarheadShockwave";
  static constexpr std::string_view kBladeBurst = "BladeBurst";
  static constexpr std::string_view kPlasmaBolt = "PlasmaBolt";
  static constexpr std::string_view kPlasmaBeam = "PlasmaBeam";
  static constexpr std::string_view kTelefragged = "Telefragged";
  static constexpr std::string_view kFlakBurst = "FlakBurst";
  static constexpr std::string_view kSawed = "Sawed";
  static constexpr std::string_view kStomped = "stomped";

  // A damage type that belongs to one weapon: whatever weapon the log names,
  // that weapon row gets the credit.
  struct FixedDamage {
    std::string_view text;
    int32_t weapon;
  };
  static constexpr std::array<FixedDamage, 13> kFixedDamage = {{
      {kRocketBlast, 10},
      {kRocketSplash, 10},
      {kHammerBlow, 5},
      {kWarheadBlast, 8},
      {kWarheadShockwave, 8},
      {kBladeBurst, 9},
      {kPlasmaBolt, 7},
      {kPlasmaBeam, 7},
      {kTelefragged, 13},
      {kFlakBurst, 3},
      {kCorroded, 4},
      {kSawed, 14},
      {kStomped, 15},
  }};

  // The initiator text of a death that nothing set off.
  static constexpr std::string_view kNoInitiator = "None";

  // Stock game classes (the name part after the first "." of a GameClass
  // value), one per game type except single-player.
  static constexpr std::array<std::string_view, 6> kStockGameClasses = {
      "ArenaDeathMatch", "ArenaTeamGame", "CaptureTheFlag",
      "Domination",      "Assault",       "LastManStanding"};
  // The package part in front of the first "." of the stock class and mutator
  // identifiers as the game server writes them.
  static constexpr std::string_view kStockPackage = "Brimfall";
  // Stock mutators (name part).
  static constexpr std::array<std::string_view, 15> kStockMutators = {
      "MeleeChainsaws", "DefaultRules", "BigHeads",     "FlakOnly",    "OneShotKill",
      "QuickRockets",   "JumpMatch",    "LightGravity", "NoPowerUps",  "NoWarheads",
      "PlasmaOnly",     "RocketsOnly",  "EnergyOnly",   "SnipersOnly", "Cloaked"};
  static constexpr int32_t kStockGameVersion = 348;

  // Title of the single-player career summary.
  static constexpr std::string_view kSinglePlayerLabel = "Brimfall Single-Player Ladder";

  // Addresses and names. Only reserved example domains are used.
  static constexpr std::string_view kGameHomePage = "http://www.brimfall.example/";
  static constexpr std::string_view kMakerName = "Quillon";
  static constexpr std::string_view kMakerHomePage = "http://www.quillon.example/";
  static constexpr std::string_view kMakerCopyright = "Copyright Quillon. All rights reserved.";
  static constexpr std::string_view kSupportAddress = "support@quillon.example";
};

}  // namespace games::bf
