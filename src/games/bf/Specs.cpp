#include "games/bf/Specs.h"

#include <algorithm>
#include <initializer_list>

#include "base/Text.h"
#include "games/bf/GameData.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace games::bf {

// Rows must stay in this order: every statistics array and every stored
// database record is indexed by them.
const Specs::Table<Specs::kWeapons> Specs::weapons = {
    "",
    "Twin Pistols",
    "Pistol",
    "Flak Gun",
    "Sludge Rifle",
    "Pneumatic Hammer",
    "Minigun",
    "Plasma Gun",
    "Warhead Launcher",
    "Blade Launcher",
    "Rocket Launcher",
    "Energy Rifle",
    "Sniper Rifle",
    "Telefrag",
    "Chainsaw",
    "Stomp",
    "None",
    "Blinker",
    "Enhanced Energy Rifle",
};
const Specs::Table<Specs::kWeapons> Specs::weaponsEs = {
    "",
    "Pistolas Gemelas",
    "Pistola",
    "Ca\xF1\xF3n Flak",
    "Rifle de Lodo",
    "Martillo Neum\xE1tico",
    "Ametralladora",
    "Ca\xF1\xF3n de Plasma",
    "Lanzaojivas",
    "Lanzacuchillas",
    "Lanzacohetes",
    "Rifle de Energ\xED"
    "a",
    "Rifle de Francotirador",
    "Telefrag",
    "Motosierra",
    "Pisot\xF3n",
    "Ninguna",
    "Parpadeador",
    "Rifle de Energ\xED"
    "a Mejorado",
};
const Specs::Table<Specs::kWeapons> Specs::weaponsFr = {
    "",
    "Pistolets Jumeaux",
    "Pistolet",
    "Canon Flak",
    "Fusil \xE0 Boue",
    "Marteau Pneumatique",
    "Mitrailleuse",
    "Canon \xE0 Plasma",
    "Lance-Ogive",
    "Lance-Lames",
    "Lance-Roquettes",
    "Fusil \xE0 \xC9nergie",
    "Fusil de Pr\xE9"
    "cision",
    "T\xE9l\xE9"
    "frag",
    "Tron\xE7onneuse",
    "\xC9"
    "crasement",
    "Aucune",
    "Clignoteur",
    "Fusil \xE0 \xC9nergie Am\xE9lior\xE9",
};
const Specs::Table<Specs::kWeapons> Specs::weaponsIt = {
    "",
    "Pistole Gemelle",
    "Pistola",
    "Cannone Flak",
    "Fucile a Fango",
    "Martello Pneumatico",
    "Mitragliatrice",
    "Cannone al Plasma",
    "Lanciatestate",
    "Lancialame",
    "Lanciarazzi",
    "Fucile a Energia",
    "Fucile di Precisione",
    "Telefrag",
    "Motosega",
    "Schiacciata",
    "Nessuna",
    "Lampeggiatore",
    "Fucile a Energia Potenziato",
};
const Specs::Table<Specs::kSuicides> Specs::suicides = {
    "",         "Burned",   "Corroded", "Drowned", "Fell",   "Electrocuted", "SpecialDamage",
    "Exploded", "Suicided", "Mortared", "Crushed", "Turret",
};
const Specs::Table<Specs::kItems> Specs::items = {
    "",
    "Pistol",
    "Flak Gun",
    "Sludge Rifle",
    "Pneumatic Hammer",
    "Minigun",
    "Plasma Gun",
    "Warhead Launcher",
    "Blade Launcher",
    "Rocket Launcher",
    "Energy Rifle",
    "Sniper Rifle",
    "Chainsaw",
    "Enhanced Energy Rifle",
    "Pistol Clip",
    "Flak Shells",
    "Sludge Canister",
    "Minigun Belt",
    "Plasma Cell",
    "Blade Pack",
    "Rocket Pack",
    "Energy Core",
    "Sniper Rounds",
    "Body Armor",
    "Thigh Pads",
    "Shield Belt",
    "Health Vial",
    "Health Pack",
    "Big Health",
    "Medkit",
    "Anti-Grav Boots",
    "Damage Amplifier",
    "Invisibility",
    "Breather",
};
const Specs::Table<Specs::kItems> Specs::itemsEs = {
    "",
    "Pistola",
    "Ca\xF1\xF3n Flak",
    "Rifle de Lodo",
    "Martillo Neum\xE1tico",
    "Ametralladora",
    "Ca\xF1\xF3n de Plasma",
    "Lanzaojivas",
    "Lanzacuchillas",
    "Lanzacohetes",
    "Rifle de Energ\xED"
    "a",
    "Rifle de Francotirador",
    "Motosierra",
    "Rifle de Energ\xED"
    "a Mejorado",
    "Cargador de Pistola",
    "Proyectiles Flak",
    "Bid\xF3n de Lodo",
    "Cinta de Ametralladora",
    "C\xE9lula de Plasma",
    "Paquete de Cuchillas",
    "Paquete de Cohetes",
    "N\xFA"
    "cleo de Energ\xED"
    "a",
    "Balas de Francotirador",
    "Armadura",
    "Musleras",
    "Cintur\xF3n de Escudo",
    "Vial de Salud",
    "Botiqu\xEDn",
    "Gran Salud",
    "Medicamentos",
    "Botas Antigravedad",
    "Amplificador de Da\xF1o",
    "Invisibilidad",
    "Respirador",
};
const Specs::Table<Specs::kItems> Specs::itemsFr = {
    "",
    "Pistolet",
    "Canon Flak",
    "Fusil \xE0 Boue",
    "Marteau Pneumatique",
    "Mitrailleuse",
    "Canon \xE0 Plasma",
    "Lance-Ogive",
    "Lance-Lames",
    "Lance-Roquettes",
    "Fusil \xE0 \xC9nergie",
    "Fusil de Pr\xE9"
    "cision",
    "Tron\xE7onneuse",
    "Fusil \xE0 \xC9nergie Am\xE9lior\xE9",
    "Chargeur de Pistolet",
    "Obus Flak",
    "Bidon de Boue",
    "Bande de Mitrailleuse",
    "Cellule \xE0 Plasma",
    "Paquet de Lames",
    "Paquet de Roquettes",
    "Noyau d'\xC9nergie",
    "Balles de Pr\xE9"
    "cision",
    "Armure",
    "Cuissardes",
    "Ceinture de Bouclier",
    "Fiole de Sant\xE9",
    "Trousse de Soins",
    "Grande Sant\xE9",
    "M\xE9"
    "dicaments",
    "Bottes Antigravit\xE9",
    "Amplificateur de D\xE9g\xE2ts",
    "Invisibilit\xE9",
    "Respirateur",
};
const Specs::Table<Specs::kItems> Specs::itemsIt = {
    "",
    "Pistola",
    "Cannone Flak",
    "Fucile a Fango",
    "Martello Pneumatico",
    "Mitragliatrice",
    "Cannone al Plasma",
    "Lanciatestate",
    "Lancialame",
    "Lanciarazzi",
    "Fucile a Energia",
    "Fucile di Precisione",
    "Motosega",
    "Fucile a Energia Potenziato",
    "Caricatore di Pistola",
    "Proiettili Flak",
    "Tanica di Fango",
    "Nastro di Mitragliatrice",
    "Cella al Plasma",
    "Pacco di Lame",
    "Pacco di Razzi",
    "Nucleo di Energia",
    "Colpi di Precisione",
    "Armatura",
    "Cosciali",
    "Cintura Scudo",
    "Fiala di Salute",
    "Kit Medico",
    "Grande Salute",
    "Medicinali",
    "Stivali Antigravit\xE0",
    "Amplificatore di Danno",
    "Invisibilit\xE0",
    "Respiratore",
};
const Specs::Table<Specs::kItems> Specs::itemsB = {
    "",
    "",
    "FlakGun",
    "SludgeRifle",
    "",
    "",
    "PlasmaGun",
    "",
    "",
    "RocketLauncher",
    "EnergyRifle",
    "SniperRifle",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "Super Health",
    "",
    "",
    "",
    "",
    "",
};
const Specs::Table<Specs::kPickups> Specs::pickups = {
    "Anti-Grav Boots",
    "Damage Amplifier",
    "Invisibility",
    "Breather",
};
const Specs::Table<Specs::kPickups> Specs::pickupsEs = {
    "Botas Antigravedad",
    "Amplificador de Da\xF1o",
    "Invisibilidad",
    "Respirador",
};
const Specs::Table<Specs::kPickups> Specs::pickupsFr = {
    "Bottes Antigravit\xE9",
    "Amplificateur de D\xE9g\xE2ts",
    "Invisibilit\xE9",
    "Respirateur",
};
const Specs::Table<Specs::kPickups> Specs::pickupsIt = {
    "Stivali Antigravit\xE0",
    "Amplificatore di Danno",
    "Invisibilit\xE0",
    "Respiratore",
};
const Specs::Table<Specs::kGames> Specs::games = {
    "Arena DeathMatch", "Capture the Flag",  "Domination",   "Assault",
    "Arena Team Game",  "Last Man Standing", "SinglePlayer",
};
const Specs::Table<Specs::kGames> Specs::gamesEs = {
    "Combate a Muerte",  "Captura la Bandera",      "Dominaci\xF3n", "Asalto",
    "Juego por Equipos", "\xDAltimo Hombre en Pie", "Un Jugador",
};
const Specs::Table<Specs::kGames> Specs::gamesFr = {
    "Match \xE0 Mort",  "Capture du Drapeau", "Domination", "Assaut",
    "Jeu en \xC9quipe", "Dernier Survivant",  "Solo",
};
const Specs::Table<Specs::kGames> Specs::gamesIt = {
    "Deathmatch",      "Cattura la Bandiera",  "Dominazione",       "Assalto",
    "Gioco a Squadre", "Ultimo Uomo in Piedi", "Giocatore Singolo",
};
const Specs::Table<Specs::kSprees> Specs::sprees = {
    "Killing Spree", "Rampage", "Dominating", "Unstoppable", "Godlike",
};
const Specs::Table<Specs::kTeams> Specs::teams = {"Blue", "Red", "Green", "Gold"};
const Specs::Table<Specs::kTeams> Specs::teamsEs = {"Azul", "Rojo", "Verde", "Dorado"};
const Specs::Table<Specs::kTeams> Specs::teamsFr = {"Bleu", "Rouge", "Vert", "Jaune"};
const Specs::Table<Specs::kTeams> Specs::teamsIt = {"Blu", "Rosso", "Verde", "Oro"};
const Specs::Table<Specs::kChecksums> Specs::checksums = {
    "Kernel.bpk b2cab879fa76fda3d76fde01c46598b0",
    "Engine.bpk 5b329226375da7a561471e38609d67d6",
    "Render.bpk 5c0beefe689fb9677c1cb62daef8f193",
    "Audio.bpk dbf514fb70d8fe7d75c4fa22709ac066",
    "Net.bpk 3bc19e3d96eecd0402e68ac77252adbf",
    "NetDriver.bpk d837a60ab83dfaba1677476ea7d9b188",
    "WebAdmin.bpk c9ca404d189667be6e66f0264bf23da2",
    "Browser.bpk 2d74ecfc683c17e59422f339ca7d1835",
    "Menu.bpk 11d2a8c433874c4f0c3f85c859b56df9",
    "Window.bpk c55e4ac37fbae2ce321005a13d19e7a2",
    "Arena.bpk 0f2eb95cea47497967288c4e677a228a",
    "ArenaMenu.bpk ae9b8d0d7e2b4b36d13fc566327de99d",
    "Weapons.bpk e49ff11461dd089d1f2371dc4071bd95",
    "Pickups.bpk e7e1e7db77c796071dfbdcf6a3ed1f07",
    "Effects.bpk 7f30d7e1d87da13f5ac9a7f79f798f19",
    "Bots.bpk be7f6ce3b0a357b430b2f2dea3e6e0a7",
    "Ladder.bpk 1c4fa0dccaa1ae2d7810fce606c2b1d1",
    "CTF.bpk cc0ae8b90a730047db42ef4dbfa57fca",
    "Domination.bpk 5709d1a07628108b80599fda63c65e65",
    "Assault.bpk 086a4fffc702bad856d110ebb42c98d9",
    "LastMan.bpk f1337f87b6235c92f412c209c3a8b7f3",
    "Mutators.bpk 66a901fab4d171f52fab4950f5417b34",
    "Stats.bpk 029d296b81aa19c8ac1b1f87b76da761",
    "Console.bpk 2631f33486c2021d534b7b6c0bf0d472",
    "Fonts.bpk 2ac92f8bb2ad235248414658f6dde51d",
};

Specs::Map Specs::whash;
Specs::Map Specs::ihash;
Specs::Map Specs::phash;
Specs::Map Specs::ghash;
Specs::Map Specs::thash;
Specs::Map Specs::chash;

namespace detail {

void enterTable(Specs::Map& map, std::span<const std::string> table) {
  for (size_t row = 0; row < table.size(); ++row) {
    if (!table[row].empty()) map.insert_or_assign(table[row], static_cast<int32_t>(row));
  }
}

}  // namespace detail

namespace {

using util::Debug;

void fresh(Specs::Map& map, size_t capacity) {
  map.clear();
  map.reserve(capacity);
}

// The row of `name`, or `fallback` after the trace line naming `op` and
// `kind` when there is none (and `kind` is given).
int32_t lookup(const Specs::Map& map, const std::string& name, int32_t fallback, const char* op,
               const char* kind) {
  auto it = map.find(name);
  if (it != map.end()) return it->second;
  if (kind != nullptr) util::traceError("bf.Specs", op, "$" + name + "$ unknown " + kind);
  return fallback;
}

bool isOneOf(const std::string& s, std::initializer_list<std::string_view> texts) {
  return std::find(texts.begin(), texts.end(), s) != texts.end();
}

// ASCII letters without regard to case.
bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return base::equalsIgnoreCase(a, b);
}

}  // namespace

void Specs::init() {
  using detail::enterTable;
  fresh(whash, 200);
  for (const auto* t : {&weapons, &weaponsEs, &weaponsFr, &weaponsIt}) enterTable(whash, *t);
  fresh(ihash, 300);
  for (const auto* t : {&items, &itemsEs, &itemsFr, &itemsIt, &itemsB}) enterTable(ihash, *t);
  fresh(phash, 50);
  for (const auto* t : {&pickups, &pickupsEs, &pickupsFr, &pickupsIt}) enterTable(phash, *t);
  fresh(ghash, 100);
  for (const auto* t : {&games, &gamesEs, &gamesFr, &gamesIt}) enterTable(ghash, *t);
  fresh(thash, 100);
  for (const auto* t : {&teams, &teamsEs, &teamsFr, &teamsIt}) enterTable(thash, *t);
  fresh(chash, 100);
  enterTable(chash, checksums);
}

int32_t Specs::wloc(const std::string& name) { return lookup(whash, name, 0, "wloc", "weapon"); }
int32_t Specs::iloc(const std::string& name) { return lookup(ihash, name, 0, "iloc", "item"); }
int32_t Specs::ploc(const std::string& name) { return lookup(phash, name, 0, "ploc", "pickup"); }
int32_t Specs::gloc(const std::string& name) { return lookup(ghash, name, 0, "gloc", "game"); }
int32_t Specs::tloc(const std::string& name) { return lookup(thash, name, -1, "tloc", nullptr); }
int32_t Specs::cloc(const std::string& entry) { return lookup(chash, entry, -1, "cloc", nullptr); }

int32_t Specs::loc(std::span<const std::string> table, std::string_view name) {
  for (size_t row = 0; row < table.size(); ++row)
    if (table[row] == name) return static_cast<int32_t>(row);
  return -1;
}

int32_t Specs::sploc(const std::string& name) { return loc(sprees, name); }

int32_t Specs::sloc(const std::string& damage, const std::string& initiator) {
  using G = GameData;
  const bool nothingSetItOff = initiator == G::kNoInitiator;
  if (isOneOf(damage, {suicides[kBurned], suicides[kDrowned], suicides[kFell],
                       suicides[kElectrocuted], suicides[kExploded], suicides[kSuicided]}))
    return loc(suicides, damage);
  if (damage == G::kSpecialDamage || damage == G::kUnknownDamage) return kSpecialDamage;
  if (damage == G::kCorroded && nothingSetItOff) return kCorroded;
  if (damage == G::kMortared) return kMortared;
  if (damage == G::kCrushed) return kCrushed;
  if (damage == G::kArcZap && nothingSetItOff) return kTurret;
  if (damage == G::kShot) return kTurret;
  return kNotEnvironmental;
}

int32_t Specs::wlocALT(const std::string& weapon, const std::string& damage) {
  using G = GameData;
  for (const auto& fixed : G::kFixedDamage)
    if (damage == fixed.text) return fixed.weapon;

  int32_t w = wloc(weapon);
  if (sameIgnoringCase(damage, G::kArcZap)) return w == kEnhancedEnergyRifle ? w : kEnergyRifle;

  w = wloc(weapon);
  const bool shot = damage == G::kShot;
  const bool beheaded = damage == G::kBeheaded;
  const bool shredded = damage == G::kShredded;
  if (shot && (w == kPistol || w == kTwinPistols || w == kMinigun)) return w;
  if ((shot || beheaded) && w == kSniperRifle) return w;
  if (shredded && w == kFlakGun) return w;
  if ((shredded || beheaded) && w == kBladeLauncher) return w;
  if (beheaded && w == kChainsaw) return w;
  if (beheaded || shredded) return kBladeLauncher;
  if (shot) return kPistol;

  util::traceError("bf.Specs", "wlocAlt", "$" + weapon + "$ $" + damage + "$");
  return std::max(wloc(weapon), 0);
}

}  // namespace games::bf
