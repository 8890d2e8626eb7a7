#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

namespace games::bf {

// The program-wide catalog of the game's content: name tables of weapons,
// causes of death, items, pickups, spree levels, game types, teams and code
// packages, in English and (where the log may use them) Spanish, French and
// Italian. Every per-weapon, per-cause, per-item, per-pickup, per-spree and
// per-game-type array of the statistics is indexed by a row of these tables.
//
// Texts are ISO-8859-1 bytes. An empty row has no name in that language and
// is in no map. All members are class-wide; init() builds the maps once,
// before the first lookup.
class Specs {
 public:
  static constexpr size_t kWeapons = 19;
  static constexpr size_t kSuicides = 12;
  static constexpr size_t kItems = 34;
  static constexpr size_t kPickups = 4;
  static constexpr size_t kSprees = 5;
  static constexpr size_t kGames = 7;
  static constexpr size_t kTeams = 4;
  static constexpr size_t kChecksums = 25;

  // Weapon rows.
  static constexpr int32_t kNoWeapon = 0;
  static constexpr int32_t kTwinPistols = 1;
  static constexpr int32_t kPistol = 2;
  static constexpr int32_t kFlakGun = 3;
  static constexpr int32_t kSludgeRifle = 4;
  static constexpr int32_t kHammer = 5;
  static constexpr int32_t kMinigun = 6;
  static constexpr int32_t kPlasmaGun = 7;
  static constexpr int32_t kWarheadLauncher = 8;
  static constexpr int32_t kBladeLauncher = 9;
  static constexpr int32_t kRocketLauncher = 10;
  static constexpr int32_t kEnergyRifle = 11;
  static constexpr int32_t kSniperRifle = 12;
  static constexpr int32_t kTelefrag = 13;
  static constexpr int32_t kChainsaw = 14;
  static constexpr int32_t kStomp = 15;
  static constexpr int32_t kHoldingNothing = 16;
  static constexpr int32_t kBlinker = 17;
  static constexpr int32_t kEnhancedEnergyRifle = 18;

  // Cause rows of `suicides`.
  static constexpr int32_t kNotEnvironmental = 0;
  static constexpr int32_t kBurned = 1;
  static constexpr int32_t kCorroded = 2;
  static constexpr int32_t kDrowned = 3;
  static constexpr int32_t kFell = 4;
  static constexpr int32_t kElectrocuted = 5;
  static constexpr int32_t kSpecialDamage = 6;
  static constexpr int32_t kExploded = 7;
  static constexpr int32_t kSuicided = 8;
  static constexpr int32_t kMortared = 9;
  static constexpr int32_t kCrushed = 10;
  static constexpr int32_t kTurret = 11;

  // Game-type rows.
  static constexpr int32_t kDeathMatch = 0;
  static constexpr int32_t kCaptureTheFlag = 1;
  static constexpr int32_t kDomination = 2;
  static constexpr int32_t kAssault = 3;
  static constexpr int32_t kTeamGame = 4;
  static constexpr int32_t kLastManStanding = 5;
  static constexpr int32_t kSinglePlayer = 6;

  // First item row of the four pickups (items rows 30..33 are pickups rows
  // 0..3).
  static constexpr int32_t kFirstPickupItem = 30;

  template <size_t N>
  using Table = std::array<std::string, N>;

  static const Table<kWeapons> weapons, weaponsEs, weaponsFr, weaponsIt;
  static const Table<kSuicides> suicides;
  static const Table<kItems> items, itemsEs, itemsFr, itemsIt, itemsB;
  static const Table<kPickups> pickups, pickupsEs, pickupsFr, pickupsIt;
  static const Table<kSprees> sprees;
  static const Table<kGames> games, gamesEs, gamesFr, gamesIt;
  static const Table<kTeams> teams, teamsEs, teamsFr, teamsIt;
  // File name, one blank, MD5 digest in lower-case hexadecimal.
  static const Table<kChecksums> checksums;

  // Builds the six maps; a name in two tables keeps the row of the table
  // entered last. Calling it again rebuilds them. Prints nothing.
  static void init();

  // Weapon, item, pickup and game-type rows. An unknown name writes
  // "Error in bf.Specs.<op>: $name$ unknown <kind>" to the trace log
  // (severity 0) and gives row 0.
  static int32_t wloc(const std::string& name);
  static int32_t iloc(const std::string& name);
  static int32_t ploc(const std::string& name);
  static int32_t gloc(const std::string& name);
  // Team row in any language, or -1 (silent).
  static int32_t tloc(const std::string& name);
  // Row of a whole package line "file digest", or -1 (silent).
  static int32_t cloc(const std::string& entry);
  // First row of `table` equal to `name`, or -1.
  static int32_t loc(std::span<const std::string> table, std::string_view name);
  // Spree-level row, or -1.
  static int32_t sploc(const std::string& name);
  // Cause row of a player's own death from its damage text and the text of
  // what set it off ("None" for nothing); 0 when the death is not
  // environmental.
  static int32_t sloc(const std::string& damage, const std::string& initiator);
  // Weapon row credited for a kill or a suicide: a damage type that belongs
  // to one weapon decides over the weapon the log names. Unusual pairs write
  // trace lines and fall back to wloc(weapon).
  static int32_t wlocALT(const std::string& weapon, const std::string& damage);

  using Map = std::unordered_map<std::string, int32_t>;

 private:
  static Map whash, ihash, phash, ghash, thash, chash;
};

namespace detail {

// Enters every non-empty name of `table` with its row, replacing the row of a
// name already in `map`. init() enters the tables of a map in a fixed order
// through this, so a name in two tables keeps the row of the later one.
void enterTable(Specs::Map& map, std::span<const std::string> table);

}  // namespace detail

}  // namespace games::bf
