#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "games/bf/GameData.h"
#include "games/bf/Specs.h"

// The names, servers, maps, weapons and mutators that the log generator
// writes into its logs. Internals of the generator.
namespace tools::loggen::detail {

using games::bf::GameData;
using games::bf::Specs;

template <size_t N>
using Tables = std::array<const Specs::Table<N>*, 4>;
inline const Tables<Specs::kWeapons> kWeaponTables = {&Specs::weapons, &Specs::weaponsEs,
                                                      &Specs::weaponsFr, &Specs::weaponsIt};
inline const Tables<Specs::kItems> kItemTables = {&Specs::items, &Specs::itemsEs, &Specs::itemsFr,
                                                  &Specs::itemsIt};
inline const Tables<Specs::kPickups> kPickupTables = {&Specs::pickups, &Specs::pickupsEs,
                                                      &Specs::pickupsFr, &Specs::pickupsIt};
inline const Tables<Specs::kGames> kGameTables = {&Specs::games, &Specs::gamesEs, &Specs::gamesFr,
                                                  &Specs::gamesIt};
inline const Tables<Specs::kTeams> kTeamTables = {&Specs::teams, &Specs::teamsEs, &Specs::teamsFr,
                                                  &Specs::teamsIt};

struct YesNo {
  const char* yes;
  const char* no;
};
inline constexpr std::array<YesNo, 4> kYesNo = {
    {{"True", "False"}, {"Verdadero", "Falso"}, {"Vrai", "Faux"}, {"Vero", "Falso"}}};

inline constexpr std::array<const char*, 40> kHumanNames = {
    "Vexmoor", "Kyra",     "Lumen",       "Gr\xFCnwald", "Razor_Jack", "Tundra",   "Hollowpoint",
    "Pyx",     "Brask",    "Orrin",       "Sable",       "Fennec",     "Juno",     "M\xE9lusine",
    "Cobalt",  "Ashgrave", "Dr.Frag",     "xXSniperXx",  "El Ni\xF1o", "Bj\xF6rn", "Tarsus",
    "Wren",    "Osk",      "Galvan",      "Mirela",      "Thane",      "Kestrel",  "Volt",
    "Ember",   "Halcyon",  "Rook",        "Nyx",         "Calder",     "Ingot",    "Sorrel",
    "Pike",    "Dusk",     "Fran\xE7ois", "[QX]Marrow",  "Tove"};
inline constexpr std::array<const char*, 32> kBotNames = {
    "Anvil",  "Basalt", "Cutter", "Drover", "Ferrum", "Gannet", "Hex",     "Ironjaw",
    "Jackal", "Knell",  "Lurch",  "Mauler", "Nettle", "Ogre",   "Prowler", "Rivet",
    "Scald",  "Talon",  "Ursa",   "Vandal", "Warden", "Yoke",   "Zinc",    "Gristle",
    "Slag",   "Torque", "Husk",   "Mire",   "Quarry", "Blight", "Cairn",   "Dredge"};
// Names a player may take mid-match.
inline constexpr std::array<const char*, 8> kNewNames = {
    "Phantom", "NoScope", "Gh0st", "Lefty", "Bricktop", "Mon\xE9t", "Spud", "Zero Kelvin"};

struct Server {
  const char* name;
  const char* admin;
  const char* port;
};
inline constexpr std::array<std::array<Server, 3>, 4> kServers = {{
    {{{"Brimfall Arena #1", "Grimsby", "7777"},
      {"[FRAG] Midnight Pit", "Nox", "7787"},
      {"Dust & Rust 24/7", "Old Tom", "8777"}}},
    {{{"Servidor Espa\xF1ol de Brimfall", "Paco", "7777"},
      {"Los Cazadores", "Iker", "7797"},
      {"La Fosa", "Marisol", "7777"}}},
    {{{"Le Bunker Fran\xE7"
       "ais",
       "Ga\xEBl", "7777"},
      {"Les Fous du Rail", "Mathis", "7787"},
      {"Ar\xE8ne de Lyon", "Lucie", "7777"}}},
    {{{"Arena Italiana", "Gianni", "7777"},
      {"I Lupi di Brimfall", "Chiara", "7787"},
      {"Citt\xE0 Eterna", "Marco", "7778"}}},
}};

struct MapInfo {
  const char* file;
  const char* title;
  const char* author;
  const char* ideal;
  std::array<const char*, 3> points;  // control points (Domination maps)
};
// Maps by played type: DeathMatch, CTF, Domination, Assault, Team Game, LMS.
inline const std::array<std::array<MapInfo, 3>, 6> kMaps = {{
    {{{"DM-Crucible", "Crucible", "Ilse Marten", "4-8", {}},
      {"DM-SunkenForge", "Sunken Forge", "R. Okafor", "6-12", {}},
      {"DM-ChateauNoir", "Ch\xE2teau Noir", "Ana\xEFs Roux", "2-6", {}}}},
    {{{"CTF-TwinSpires", "Twin Spires", "Ilse Marten", "8-14", {}},
      {"CTF-Coldharbour", "Coldharbour", "Dev Team", "6-12", {}},
      {"CTF-CanalLocks", "Canal Locks", "J. Whitlow", "10-16", {}}}},
    {{{"DOM-ThreeWells",
       "Three Wells",
       "Dev Team",
       "6-10",
       {"West Well", "Middle Well", "East Well"}},
      {"DOM-PumpingStation",
       "Pumping Station",
       "R. Okafor",
       "8-12",
       {"Pump Room", "Valve Tower", "Boiler"}},
      {"DOM-QuarryHill", "Quarry Hill", "Ana\xEFs Roux", "6-12", {"Crusher", "Lift", "Summit"}}}},
    {{{"AS-FrigateRaid", "Frigate Raid", "Dev Team", "8-16", {}},
      {"AS-DamBreach", "Dam Breach", "J. Whitlow", "10-16", {}},
      {"AS-CitadelGate", "Citadel Gate", "Ilse Marten", "8-12", {}}}},
    {{{"DM-RuinedMill", "Ruined Mill", "Dev Team", "6-12", {}},
      {"DM-Foundry", "Foundry", "R. Okafor", "8-16", {}},
      {"DM-Tidewater", "Tidewater", "J. Whitlow", "6-10", {}}}},
    {{{"DM-LastLight", "Last Light", "Ilse Marten", "4-8", {}},
      {"DM-ThePit", "The Pit", "Dev Team", "2-6", {}},
      {"DM-EmberHall", "Ember Hall", "Ana\xEFs Roux", "4-10", {}}}},
}};

// Weapons that players carry, with how often each one kills.
inline constexpr std::array<std::pair<int32_t, double>, 14> kWeaponMix = {{
    {Specs::kRocketLauncher, 18},
    {Specs::kFlakGun, 14},
    {Specs::kMinigun, 12},
    {Specs::kPlasmaGun, 10},
    {Specs::kEnergyRifle, 8},
    {Specs::kSniperRifle, 8},
    {Specs::kBladeLauncher, 7},
    {Specs::kPistol, 6},
    {Specs::kSludgeRifle, 5},
    {Specs::kWarheadLauncher, 3},
    {Specs::kTwinPistols, 2},
    {Specs::kHammer, 2},
    {Specs::kChainsaw, 1},
    {Specs::kEnhancedEnergyRifle, 1},
}};

// Weapon rows of the weapon items (item rows 1..13).
inline constexpr std::array<int32_t, 14> kItemWeapon = {0,
                                                        Specs::kPistol,
                                                        Specs::kFlakGun,
                                                        Specs::kSludgeRifle,
                                                        Specs::kHammer,
                                                        Specs::kMinigun,
                                                        Specs::kPlasmaGun,
                                                        Specs::kWarheadLauncher,
                                                        Specs::kBladeLauncher,
                                                        Specs::kRocketLauncher,
                                                        Specs::kEnergyRifle,
                                                        Specs::kSniperRifle,
                                                        Specs::kChainsaw,
                                                        Specs::kEnhancedEnergyRifle};

// Weapons of a server mod that the catalog does not know.
inline constexpr std::array<const char*, 3> kModWeapons = {"Grav Lance", "Ion Cutter",
                                                           "Spike Caster"};
inline constexpr std::array<const char*, 3> kModDamage = {"Gibbed", "Shot", "Vaporized"};

struct Mutator {
  const char* name;
  int32_t onlyWeapon;  // weapon row the mutator restricts play to, or -1
};
inline constexpr std::array<Mutator, 10> kExtraMutators = {{
    {"RocketsOnly", Specs::kRocketLauncher},
    {"FlakOnly", Specs::kFlakGun},
    {"SnipersOnly", Specs::kSniperRifle},
    {"EnergyOnly", Specs::kEnergyRifle},
    {"PlasmaOnly", Specs::kPlasmaGun},
    {"NoPowerUps", -1},
    {"LightGravity", -1},
    {"BigHeads", -1},
    {"MeleeChainsaws", -1},
    {"QuickRockets", -1},
}};
// Mutators of server mods, not stock.
inline constexpr std::array<const char*, 3> kModMutators = {"HexMods.Vampiric", "HexMods.ZoomRifle",
                                                            "ArenaPlus.SpawnShield"};

}  // namespace tools::loggen::detail
