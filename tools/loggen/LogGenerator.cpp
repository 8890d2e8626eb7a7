#include "tools/loggen/LogGenerator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <set>
#include <span>

#include "games/bf/GameData.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"

namespace tools::loggen {
namespace {

using games::bf::GameData;
using games::bf::Specs;

// Game time in hundredths of a second: the log writes two decimals, and
// integer time keeps every run of the generator byte for byte the same.
using Cs = int64_t;
constexpr Cs kSecond = 100;
constexpr Cs kNever = std::numeric_limits<Cs>::max() / 4;
// With a size target the size ends the match; this only bounds it.
constexpr Cs kSizeModeLimit = 24 * 3600 * kSecond;

// splitmix64: small, fast and the same everywhere (std:: distributions are
// not).
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // [0, 1)
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  // [0, n)
  int32_t below(int32_t n) {
    return n <= 1 ? 0 : static_cast<int32_t>(next() % static_cast<uint64_t>(n));
  }
  // [lo, hi]
  int32_t range(int32_t lo, int32_t hi) { return lo + below(hi - lo + 1); }
  Cs between(double loSeconds, double hiSeconds) {
    return static_cast<Cs>(std::llround((loSeconds + (hiSeconds - loSeconds) * uniform()) * 100));
  }
  bool chance(double p) { return uniform() < p; }
  // Index by weight; the weights need not sum to 1.
  size_t weighted(std::span<const double> w) {
    double total = 0;
    for (double x : w) total += x;
    double r = uniform() * total;
    for (size_t i = 0; i < w.size(); ++i) {
      if (r < w[i]) return i;
      r -= w[i];
    }
    return w.size() - 1;
  }
  // Waiting time of a Poisson process of `rate` events per second.
  Cs wait(double rate) {
    double u = uniform();
    double s = -std::log(1.0 - u) / rate;
    return std::max<Cs>(1, static_cast<Cs>(std::ceil(s * 100)));
  }

 private:
  uint64_t s_;
};

uint64_t mix(uint64_t a, uint64_t b) { return Rng(a * 0x2545F4914F6CDD1DULL ^ b).next(); }

// ------------------------------------------------------------------ game data

template <size_t N>
using Tables = std::array<const Specs::Table<N>*, 4>;
const Tables<Specs::kWeapons> kWeaponTables = {&Specs::weapons, &Specs::weaponsEs,
                                               &Specs::weaponsFr, &Specs::weaponsIt};
const Tables<Specs::kItems> kItemTables = {&Specs::items, &Specs::itemsEs, &Specs::itemsFr,
                                           &Specs::itemsIt};
const Tables<Specs::kPickups> kPickupTables = {&Specs::pickups, &Specs::pickupsEs,
                                               &Specs::pickupsFr, &Specs::pickupsIt};
const Tables<Specs::kGames> kGameTables = {&Specs::games, &Specs::gamesEs, &Specs::gamesFr,
                                           &Specs::gamesIt};
const Tables<Specs::kTeams> kTeamTables = {&Specs::teams, &Specs::teamsEs, &Specs::teamsFr,
                                           &Specs::teamsIt};

struct YesNo {
  const char* yes;
  const char* no;
};
constexpr std::array<YesNo, 4> kYesNo = {
    {{"True", "False"}, {"Verdadero", "Falso"}, {"Vrai", "Faux"}, {"Vero", "Falso"}}};

constexpr std::array<const char*, 40> kHumanNames = {
    "Vexmoor", "Kyra",     "Lumen",       "Gr\xFCnwald", "Razor_Jack", "Tundra",   "Hollowpoint",
    "Pyx",     "Brask",    "Orrin",       "Sable",       "Fennec",     "Juno",     "M\xE9lusine",
    "Cobalt",  "Ashgrave", "Dr.Frag",     "xXSniperXx",  "El Ni\xF1o", "Bj\xF6rn", "Tarsus",
    "Wren",    "Osk",      "Galvan",      "Mirela",      "Thane",      "Kestrel",  "Volt",
    "Ember",   "Halcyon",  "Rook",        "Nyx",         "Calder",     "Ingot",    "Sorrel",
    "Pike",    "Dusk",     "Fran\xE7ois", "[QX]Marrow",  "Tove"};
constexpr std::array<const char*, 32> kBotNames = {
    "Anvil",  "Basalt", "Cutter", "Drover", "Ferrum", "Gannet", "Hex",     "Ironjaw",
    "Jackal", "Knell",  "Lurch",  "Mauler", "Nettle", "Ogre",   "Prowler", "Rivet",
    "Scald",  "Talon",  "Ursa",   "Vandal", "Warden", "Yoke",   "Zinc",    "Gristle",
    "Slag",   "Torque", "Husk",   "Mire",   "Quarry", "Blight", "Cairn",   "Dredge"};
// Names a player may take mid-match.
constexpr std::array<const char*, 8> kNewNames = {"Phantom",  "NoScope",  "Gh0st", "Lefty",
                                                  "Bricktop", "Mon\xE9t", "Spud",  "Zero Kelvin"};

struct Server {
  const char* name;
  const char* admin;
  const char* port;
};
constexpr std::array<std::array<Server, 3>, 4> kServers = {{
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
const std::array<std::array<MapInfo, 3>, 6> kMaps = {{
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
constexpr std::array<std::pair<int32_t, double>, 14> kWeaponMix = {{
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
constexpr std::array<int32_t, 14> kItemWeapon = {0,
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
constexpr std::array<const char*, 3> kModWeapons = {"Grav Lance", "Ion Cutter", "Spike Caster"};
constexpr std::array<const char*, 3> kModDamage = {"Gibbed", "Shot", "Vaporized"};

struct Mutator {
  const char* name;
  int32_t onlyWeapon;  // weapon row the mutator restricts play to, or -1
};
constexpr std::array<Mutator, 10> kExtraMutators = {{
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
constexpr std::array<const char*, 3> kModMutators = {"HexMods.Vampiric", "HexMods.ZoomRifle",
                                                     "ArenaPlus.SpawnShield"};

constexpr std::array<const char*, 3> kUnknownKeywords = {"vote_called", "vehicle_enter",
                                                         "spectator_join"};

std::string timeText(Cs t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld.%02lld", static_cast<long long>(t / 100),
                static_cast<long long>(t % 100));
  return buf;
}

std::string hex(Rng& rng, size_t digits) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < digits; ++i) s += kHex[rng.below(16)];
  return s;
}

std::string fieldOf(const std::string& line, size_t n) {
  size_t start = 0;
  for (size_t i = 0; i < n; ++i) {
    start = line.find('\t', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  size_t end = line.find_first_of("\t\r", start);
  return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// ------------------------------------------------------------------ the match

struct Person {
  std::string name;
  std::string secret;  // empty for bots
  bool bot = false;
  int32_t skill = 0;  // bots: 0..3
  bool novice = false;
  double strength = 1.0;
  int32_t pingBase = 0;

  int32_t team = -1;
  int32_t pNum = -1;
  bool connected = false;
  bool joined = false;
  bool gone = false;  // left for good
  bool out = false;   // Last Man Standing: no lives left
  int32_t weapon = Specs::kPistol;
  int32_t frags = 0;
  int32_t livesLost = 0;
  int64_t domScore = 0;
  int64_t domScoreLogged = 0;

  Cs joinAt = kNever;
  Cs leaveAt = kNever;
  Cs returnAt = kNever;
  Cs renameAt = kNever;
  Cs teamChangeAt = kNever;
  Cs teamBackAt = kNever;
  Cs nextPing = kNever;
  Cs typingUntil = kNever;
  int32_t pickup = -1;  // running power-up (pickup row)
  Cs pickupUntil = kNever;
  Cs chainAt = kNever;
  int32_t chainLeft = 0;
};

struct Flag {
  enum State { kHome, kCarried, kDropped };
  State state = kHome;
  int32_t carrier = -1;  // person index
  Cs since = 0;
  Cs captureAt = kNever;
};

struct ControlPoint {
  std::string name;
  int32_t owner = -1;       // team
  int32_t controller = -1;  // person
};

enum class Sched {
  kNone,
  kStart,
  kEnd,
  kJoin,
  kLeave,
  kReturn,
  kRename,
  kTeamChange,
  kTeamBack,
  kPing,
  kTypingEnd,
  kPickupEnd,
  kChain,
  kCapture,
  kFlagTimeout,
  kDomTick
};

class Match {
 public:
  explicit Match(const LogOptions& o)
      : o_(o),
        rng_(mix(o.seed, 0x6C6F6767656E31ULL + static_cast<uint64_t>(o.gameType))),
        sizeMode_(o.targetBytes.has_value()) {}

  std::string run();

 private:
  // setup
  void chooseSettings();
  void makePeople();
  std::string header(const std::string& timeLimit) const;

  // output
  void line(std::initializer_list<std::string_view> fields);
  bool commit();
  std::string tail() const;

  // the walk
  std::pair<Cs, std::pair<Sched, int32_t>> nextScheduled() const;
  void runScheduled(Sched s, int32_t i);
  // Rates per second of the random events: kills, items, blinker, flags,
  // control points, typing, suicides.
  std::array<double, 7> rates(const std::vector<int32_t>& f) const;
  void runRandom(const std::vector<int32_t>& f);
  void end(const std::string& reason);

  // events
  void connect(int32_t i);
  void disconnect(int32_t i);
  void kill(int32_t killer, int32_t victim, bool teamKill, bool telefrag);
  void randomKill(std::optional<int32_t> forcedKiller);
  void suicide();
  void item();
  void blinker();
  void takeFlag();
  void resolveDroppedFlag();
  void capturePoint();
  void domTick();
  void typing();
  void dies(int32_t i);
  void dropFlagOf(int32_t i);
  void checkLimits();
  void rename(int32_t i);
  void changeTeam(int32_t i, int32_t to);

  // helpers
  bool fighter(int32_t i) const {
    const Person& p = people_[i];
    return p.connected && !p.out && (!teamGame_ || p.team >= 0);
  }
  std::vector<int32_t> fighters() const;
  int32_t pickWeighted(const std::vector<int32_t>& c, bool strong);
  std::string num(int64_t v) const { return std::to_string(v); }
  const std::string& weaponName(int32_t row) const { return (*kWeaponTables[lang_])[row]; }
  std::string heldName(const Person& p) const { return weaponName(p.weapon); }
  std::string teamName(int32_t t) const { return (*kTeamTables[lang_])[t]; }
  const char* yesNo(bool b) const { return b ? kYesNo[lang_].yes : kYesNo[lang_].no; }
  int32_t poolWeapon();
  std::string visualFor(int32_t weapon);
  int32_t balancedTeam() const;
  int32_t flagOf(int32_t person) const;

  const LogOptions& o_;
  Rng rng_;
  bool sizeMode_;

  // settings
  int32_t lang_ = 0;
  int32_t played_ = 0;  // played game-type row (single-player: the ladder match's type)
  bool singlePlayer_ = false;
  bool teamGame_ = false;
  int32_t teams_ = 0;
  Cs length_ = 0;  // nominal length from the start
  int32_t fragLimit_ = 0;
  int32_t goal_ = 0;
  int32_t lives_ = 0;
  double friendlyFire_ = 0.0;
  bool useBlinker_ = false;
  bool noPowerUps_ = false;
  bool weaponsStay_ = true;
  bool altItemNames_ = false;
  int32_t onlyWeapon_ = -1;
  std::vector<std::string> mutators_;
  std::string version_ = "348";
  int32_t tamperedPackage_ = -1;
  const MapInfo* map_ = nullptr;
  const Server* server_ = nullptr;
  int32_t assaultPart_ = 1;
  std::string assaultCode_;
  std::string endChecksum_;  // empty: the game-end line has none

  // state
  std::vector<Person> people_;
  std::vector<Flag> flags_;
  std::vector<ControlPoint> points_;
  std::vector<int64_t> teamScore_;
  int32_t nextPNum_ = 0;
  Cs now_ = 0;
  Cs lastLine_ = -1;
  Cs startAt_ = 0;
  Cs endAt_ = 0;
  Cs assaultDoneAt_ = kNever;
  Cs domTickAt_ = kNever;
  bool started_ = false;
  bool ended_ = false;
  std::string endReason_;
  bool killWritten_ = false;

  // output
  std::string body_;
  std::string group_;
  Cs groupLastLine_ = -1;
  bool groupHasKill_ = false;
  std::vector<std::pair<int32_t, bool>> groupLive_;  // pNum connected (true) or gone
  std::set<int32_t> live_;                           // pNums connected in the written log
  int64_t budget_ = 0;                               // characters, size mode only
};

// ------------------------------------------------------------------ setup

void Match::chooseSettings() {
  if (o_.language) {
    lang_ = static_cast<int32_t>(*o_.language);
  } else {
    static constexpr double kLangMix[] = {70, 10, 10, 10};
    lang_ = static_cast<int32_t>(rng_.weighted(kLangMix));
  }
  singlePlayer_ = o_.gameType == Specs::kSinglePlayer;
  played_ = o_.gameType;
  if (singlePlayer_) {
    static constexpr double kLadder[] = {50, 15, 15, 0, 20};
    played_ = static_cast<int32_t>(rng_.weighted(kLadder));
  }
  teamGame_ = played_ != Specs::kDeathMatch && played_ != Specs::kLastManStanding;
  teams_ = teamGame_ ? 2 : 0;
  if (played_ == Specs::kTeamGame && o_.players >= 8 && rng_.chance(0.3)) teams_ = 4;

  const auto& maps = kMaps[static_cast<size_t>(played_)];
  map_ = &maps[static_cast<size_t>(rng_.below(3))];
  server_ = &kServers[static_cast<size_t>(lang_)][static_cast<size_t>(rng_.below(3))];

  length_ = static_cast<Cs>(std::llround(o_.minutes * 60 * kSecond));
  const double secs = o_.minutes * 60;
  const int32_t people = o_.players;
  switch (played_) {
    case Specs::kDeathMatch:
      // About what the best player reaches in the time limit.
      fragLimit_ = std::max(5, static_cast<int32_t>(std::lround(secs * 0.045 * 2.0 / 5)) * 5);
      break;
    case Specs::kCaptureTheFlag:
      goal_ = std::max(3, static_cast<int32_t>(std::lround(secs / 120))) + rng_.range(0, 3);
      break;
    case Specs::kDomination:
      goal_ = std::max(20, static_cast<int32_t>(std::lround(secs * 0.33 / 10)) * 10);
      break;
    case Specs::kTeamGame:
      goal_ = std::max(
          10, static_cast<int32_t>(std::lround(secs * 0.045 * people / teams_ * 1.1 / 10)) * 10);
      break;
    case Specs::kLastManStanding:
      lives_ = std::clamp(static_cast<int32_t>(std::lround(secs * 0.0485 * 0.45)), 3, 50);
      fragLimit_ = lives_;
      break;
    default:
      break;
  }
  if (sizeMode_) {
    // The size decides the length: no limit may end the match before.
    fragLimit_ = 0;
    goal_ = 0;
    lives_ = 0;
  }
  friendlyFire_ = teamGame_ && rng_.chance(0.5) ? 0.5 : 0.0;
  useBlinker_ = played_ == Specs::kCaptureTheFlag || rng_.chance(0.15);
  weaponsStay_ = rng_.chance(0.7);
  altItemNames_ = rng_.chance(0.3);

  mutators_.push_back(std::string(GameData::kStockPackage) + ".DefaultRules");
  if (rng_.chance(0.3)) {
    const Mutator& m = kExtraMutators[static_cast<size_t>(rng_.below(kExtraMutators.size()))];
    mutators_.push_back(std::string(GameData::kStockPackage) + "." + m.name);
    onlyWeapon_ = m.onlyWeapon;
    noPowerUps_ = std::string_view(m.name) == "NoPowerUps";
  }
  if (rng_.chance(0.08)) mutators_.push_back(kModMutators[static_cast<size_t>(rng_.below(3))]);
  if (rng_.chance(0.05)) version_ = rng_.chance(0.5) ? "347" : "349";
  if (rng_.chance(0.04)) tamperedPackage_ = rng_.below(static_cast<int32_t>(Specs::kChecksums));
  assaultPart_ = rng_.range(1, 2);
  assaultCode_ = "AS" + std::to_string(rng_.range(100, 999)) + "-" + hex(rng_, 4);
  if (rng_.chance(0.7)) endChecksum_ = hex(rng_, 32);

  flags_.assign(played_ == Specs::kCaptureTheFlag ? 2 : 0, Flag{});
  if (played_ == Specs::kDomination)
    for (const char* n : map_->points) points_.push_back({n, -1, -1});
  teamScore_.assign(static_cast<size_t>(std::max(teams_, 1)), 0);
}

void Match::makePeople() {
  const int32_t total = o_.players;
  const int32_t bots = o_.bots ? *o_.bots : (singlePlayer_ ? total - 1 : total / 2);
  const int32_t humans = total - bots;

  std::vector<size_t> humanOrder(kHumanNames.size()), botOrder(kBotNames.size());
  for (size_t i = 0; i < humanOrder.size(); ++i) humanOrder[i] = i;
  for (size_t i = 0; i < botOrder.size(); ++i) botOrder[i] = i;
  for (size_t i = humanOrder.size(); i > 1; --i)
    std::swap(humanOrder[i - 1],
              humanOrder[static_cast<size_t>(rng_.below(static_cast<int32_t>(i)))]);
  for (size_t i = botOrder.size(); i > 1; --i)
    std::swap(botOrder[i - 1], botOrder[static_cast<size_t>(rng_.below(static_cast<int32_t>(i)))]);

  startAt_ = rng_.between(8, 20);
  endAt_ = startAt_ + (sizeMode_ ? kSizeModeLimit : length_);
  if (played_ == Specs::kAssault && !sizeMode_ && rng_.chance(0.5))
    assaultDoneAt_ =
        startAt_ + static_cast<Cs>(static_cast<double>(length_) * (0.5 + 0.45 * rng_.uniform()));
  if (played_ == Specs::kDomination) domTickAt_ = startAt_ + 5 * kSecond;

  const bool lms = played_ == Specs::kLastManStanding;
  Cs arrive = 30;
  for (int32_t i = 0; i < total; ++i) {
    Person p;
    p.bot = i >= humans;
    if (p.bot) {
      p.name = kBotNames[botOrder[static_cast<size_t>(i - humans)]];
      p.skill = rng_.range(0, 3);
      p.novice = rng_.chance(0.4);
      p.strength = 0.55 + 0.16 * (p.skill + (p.novice ? 0 : 4));
    } else {
      p.name = kHumanNames[humanOrder[static_cast<size_t>(i)]];
      p.secret = hex(rng_, 32);
      p.strength = 0.5 + 1.3 * rng_.uniform();
      p.pingBase = singlePlayer_ ? 0 : rng_.range(25, 180);
    }
    // Most are there before the start; some humans come in later.
    if (!p.bot && !lms && !singlePlayer_ && i > 0 && rng_.chance(0.2)) {
      p.joinAt =
          startAt_ + rng_.between(5, std::max(10.0, 0.6 * static_cast<double>(length_) / 100));
    } else {
      arrive += rng_.between(0.2, std::max(0.3, 0.8 * static_cast<double>(startAt_ - arrive) / 100 /
                                                    std::max(1, total - i)));
      p.joinAt = std::min(arrive, startAt_ - 20);
    }
    if (!p.bot && !singlePlayer_) {
      const double len = static_cast<double>(length_) / 100;
      if (!lms && rng_.chance(0.2)) {
        p.leaveAt = p.joinAt + rng_.between(30, std::max(40.0, 0.9 * len));
        if (sizeMode_ || rng_.chance(0.6)) p.returnAt = p.leaveAt + rng_.between(15, 150);
      } else if (lms && !sizeMode_ && rng_.chance(0.1)) {
        p.leaveAt = startAt_ + rng_.between(30, std::max(40.0, 0.5 * len));
      }
      if (rng_.chance(0.12))
        p.renameAt = std::max(p.joinAt, startAt_) + rng_.between(20, std::max(30.0, 0.8 * len));
      if (teamGame_ && played_ != Specs::kAssault && rng_.chance(0.12)) {
        p.teamChangeAt = std::max(p.joinAt, startAt_) + rng_.between(20, std::max(30.0, 0.6 * len));
        if (rng_.chance(0.4)) p.teamBackAt = p.teamChangeAt + rng_.between(30, 200);
      }
    }
    people_.push_back(std::move(p));
  }
}

std::string Match::header(const std::string& timeLimit) const {
  std::string h;
  auto add = [&h](std::initializer_list<std::string_view> f) {
    h += "0.00";
    for (std::string_view s : f) {
      h += '\t';
      h += s;
    }
    h += "\r\n";
  };
  const std::string date = o_.start.logText() + "." + o_.zone;
  add({"info", "Log_Standard", "Zorlog"});
  add({"info", "Log_Version", "1.1"});
  add({"info", "Game_Name", "Brimfall"});
  add({"info", "Game_Version", version_});
  add({"info", "Absolute_Time", date});
  if (singlePlayer_) {
    add({"info", "Server_ServerName", "Brimfall"});
    add({"info", "Server_Port", "7777"});
  } else {
    add({"info", "Server_ServerName", server_->name});
    add({"info", "Server_AdminName", server_->admin});
    add({"info", "Server_AdminEmail", "admin@brimfall.example"});
    add({"info", "Server_Region", "0"});
    add({"info", "Server_Port", server_->port});
  }
  add({"map", "Name", map_->file});
  add({"map", "Title", map_->title});
  add({"map", "Author", map_->author});
  add({"map", "IdealPlayerCount", map_->ideal});

  static constexpr std::array<std::string_view, 6> kClassByType = {
      "ArenaDeathMatch", "CaptureTheFlag", "Domination",
      "Assault",         "ArenaTeamGame",  "LastManStanding"};
  const std::string pkg(GameData::kStockPackage);
  add({"game", "GameName", (*kGameTables[lang_])[static_cast<size_t>(played_)]});
  add({"game", "GameClass", pkg + "." + std::string(kClassByType[static_cast<size_t>(played_)])});
  add({"game", "GameVersion", version_});
  add({"game", "TeamGame", yesNo(teamGame_)});
  add({"game", "TimeLimit", timeLimit});
  add({"game", "FragLimit", num(fragLimit_)});
  add({"game", "GoalTeamScore", num(goal_)});
  for (const std::string& m : mutators_) add({"game", "GameMutator", m});
  add({"game", "WeaponsStay", yesNo(weaponsStay_)});
  add({"game", "MegaSpeed", yesNo(false)});
  add({"game", "HardCore", yesNo(true)});
  add({"game", "GameSpeed", "1.000000"});
  add({"game", "AirControl", "0.350000"});
  add({"game", "JumpMatch", yesNo(false)});
  add({"game", "UseBlinker", yesNo(useBlinker_)});
  add({"game", "TournamentMode", yesNo(false)});
  add({"game", "NetMode", singlePlayer_ ? "SinglePlayer" : "DedicatedServer"});
  add({"game", "FriendlyFireScale", friendlyFire_ > 0 ? "0.500000" : "0.000000"});
  for (size_t k = 0; k < Specs::kChecksums; ++k) {
    const std::string& entry = Specs::checksums[k];
    size_t blank = entry.find(' ');
    std::string digest = entry.substr(blank + 1);
    if (static_cast<int32_t>(k) == tamperedPackage_) digest[0] = digest[0] == '0' ? '1' : '0';
    add({"game", "CodePackageChecksum", std::string_view(entry).substr(0, blank), digest});
  }
  return h;
}

// ------------------------------------------------------------------ output

void Match::line(std::initializer_list<std::string_view> fields) {
  group_ += timeText(now_);
  for (std::string_view f : fields) {
    group_ += '\t';
    group_ += f;
  }
  group_ += "\r\n";
  groupLastLine_ = now_;
}

bool Match::commit() {
  if (sizeMode_ && !group_.empty()) {
    const size_t after = body_.size() + group_.size();
    // The game end and the disconnections after it must still fit.
    if (static_cast<int64_t>(after + tail().size() + 64) > budget_) return false;
  }
  body_ += group_;
  group_.clear();
  if (groupLastLine_ >= 0) lastLine_ = std::max(lastLine_, groupLastLine_);
  for (const auto& [pNum, on] : groupLive_) {
    if (on)
      live_.insert(pNum);
    else
      live_.erase(pNum);
  }
  groupLive_.clear();
  killWritten_ = killWritten_ || groupHasKill_;
  groupHasKill_ = false;
  return true;
}

std::string Match::tail() const {
  std::string t;
  const Cs at = std::max(now_, lastLine_ + 1);
  t += timeText(at) + "\tgame_end\t" + endReason_;
  if (!endChecksum_.empty()) t += "\t" + endChecksum_;
  t += "\r\n";
  const std::string after = timeText(at + 150);
  for (int32_t pNum : live_) t += after + "\tplayer\tDisconnect\t" + num(pNum) + "\r\n";
  return t;
}

// ------------------------------------------------------------------ the walk

std::pair<Cs, std::pair<Sched, int32_t>> Match::nextScheduled() const {
  Cs best = kNever;
  Sched what = Sched::kNone;
  int32_t who = -1;
  auto consider = [&](Cs t, Sched s, int32_t i) {
    if (t < best) {
      best = t;
      what = s;
      who = i;
    }
  };
  if (!started_) consider(startAt_, Sched::kStart, -1);
  consider(std::min(endAt_, assaultDoneAt_), Sched::kEnd, -1);
  if (started_) consider(domTickAt_, Sched::kDomTick, -1);
  for (int32_t i = 0; i < static_cast<int32_t>(people_.size()); ++i) {
    const Person& p = people_[static_cast<size_t>(i)];
    if (!p.joined) {
      consider(p.joinAt, Sched::kJoin, i);
      continue;
    }
    if (!p.connected) {
      if (!p.gone) consider(p.returnAt, Sched::kReturn, i);
      continue;
    }
    consider(p.leaveAt, Sched::kLeave, i);
    consider(p.renameAt, Sched::kRename, i);
    consider(p.teamChangeAt, Sched::kTeamChange, i);
    consider(p.teamBackAt, Sched::kTeamBack, i);
    consider(p.nextPing, Sched::kPing, i);
    consider(p.typingUntil, Sched::kTypingEnd, i);
    consider(p.pickupUntil, Sched::kPickupEnd, i);
    consider(p.chainAt, Sched::kChain, i);
  }
  for (int32_t f = 0; f < static_cast<int32_t>(flags_.size()); ++f) {
    const Flag& fl = flags_[static_cast<size_t>(f)];
    if (fl.state == Flag::kCarried) consider(fl.captureAt, Sched::kCapture, f);
    if (fl.state == Flag::kDropped) consider(fl.since + 25 * kSecond, Sched::kFlagTimeout, f);
  }
  return {best, {what, who}};
}

std::string Match::run() {
  chooseSettings();
  makePeople();
  if (sizeMode_) {
    int64_t target = *o_.targetBytes;
    if (o_.faults.any()) target -= 400;  // room for an inserted line
    budget_ = target / 2 - static_cast<int64_t>(header("9999").size());
  }
  endReason_ = "timelimit";

  while (!ended_) {
    std::vector<int32_t> f;
    double rate = 0;
    if (started_) {
      f = fighters();
      for (double r : rates(f)) rate += r;
    }
    const Cs randomAt = rate > 0 ? now_ + rng_.wait(rate) : kNever;
    auto [schedAt, what] = nextScheduled();
    if (schedAt <= randomAt) {
      now_ = std::max(schedAt, lastLine_ + 1);
      runScheduled(what.first, what.second);
    } else {
      now_ = std::max(randomAt, lastLine_ + 1);
      runRandom(f);
    }
    if (!commit()) {
      group_.clear();
      groupLive_.clear();
      groupHasKill_ = false;
      if (!killWritten_) {
        throw GeneratorError(
            "a size of " + std::to_string(*o_.targetBytes) + " bytes is too small for " +
            std::to_string(o_.players) + " players: the header and the first events need about " +
            std::to_string(2 * (header("9999").size() + body_.size() + 600) + 400) + " bytes");
      }
      ended_ = true;
      endReason_ = "timelimit";
    }
  }
  // The time limit the header names: the planned one, or with a size
  // target the minutes the match actually lasted.
  std::string limit;
  if (sizeMode_) {
    Cs played = std::max<Cs>(now_ - startAt_, 0);
    limit = num(std::max<Cs>(1, (played + 60 * kSecond - 1) / (60 * kSecond)));
  } else {
    limit = num(std::max<int64_t>(1, std::llround(std::ceil(o_.minutes))));
  }
  return header(limit) + body_ + tail();
}

void Match::runScheduled(Sched s, int32_t i) {
  Person* p = i >= 0 && (s != Sched::kCapture && s != Sched::kFlagTimeout)
                  ? &people_[static_cast<size_t>(i)]
                  : nullptr;
  switch (s) {
    case Sched::kNone:
      ended_ = true;
      break;
    case Sched::kStart:
      started_ = true;
      line({"game_start"});
      if (played_ == Specs::kAssault) {
        line({"assault_timelimit", num(length_ / kSecond)});
        line({"assault_gamecode", assaultCode_, num(assaultPart_)});
        const int32_t defender = assaultPart_ == 1 ? 1 : 0;
        line({"assault_defender", num(defender)});
        line({"assault_attacker", num(1 - defender)});
      }
      break;
    case Sched::kEnd:
      end(now_ >= endAt_ ? "timelimit" : "objectives");
      break;
    case Sched::kJoin:
      p->joined = true;
      connect(i);
      break;
    case Sched::kLeave: {
      p->leaveAt = kNever;
      // Keep enough fighters for a match.
      if (p->returnAt == kNever && fighters().size() <= 3)
        p->returnAt = now_ + rng_.between(20, 90);
      disconnect(i);
      if (p->returnAt == kNever) p->gone = true;
      if (played_ == Specs::kLastManStanding) p->out = true;
      break;
    }
    case Sched::kReturn:
      p->returnAt = kNever;
      connect(i);
      break;
    case Sched::kRename:
      p->renameAt = kNever;
      rename(i);
      break;
    case Sched::kTeamChange:
      p->teamChangeAt = kNever;
      changeTeam(i, (p->team + 1) % teams_);
      break;
    case Sched::kTeamBack:
      p->teamBackAt = kNever;
      changeTeam(i, (p->team + teams_ - 1) % teams_);
      break;
    case Sched::kPing:
      p->nextPing = now_ + rng_.between(25, 35);
      line({"player", "Ping", num(p->pNum),
            num(std::max(0, p->pingBase + rng_.range(-p->pingBase / 5, p->pingBase / 4)))});
      break;
    case Sched::kTypingEnd:
      p->typingUntil = kNever;
      line({"typing", yesNo(false), num(p->pNum)});
      break;
    case Sched::kPickupEnd:
      p->pickupUntil = kNever;
      line({"item_deactivate", (*kPickupTables[lang_])[static_cast<size_t>(p->pickup)],
            num(p->pNum)});
      p->pickup = -1;
      break;
    case Sched::kChain:
      p->chainAt = kNever;
      if (fighter(i)) randomKill(i);
      break;
    case Sched::kCapture: {
      Flag& fl = flags_[static_cast<size_t>(i)];
      Person& c = people_[static_cast<size_t>(fl.carrier)];
      if (flags_[static_cast<size_t>(c.team)].state != Flag::kHome) {
        fl.captureAt = now_ + rng_.between(3, 10);  // waits for his own flag
        break;
      }
      line({"flag_captured", num(c.pNum), num(i)});
      fl = Flag{};
      ++teamScore_[static_cast<size_t>(c.team)];
      checkLimits();
      break;
    }
    case Sched::kFlagTimeout:
      line({"flag_returned_timeout", num(i)});
      flags_[static_cast<size_t>(i)] = Flag{};
      break;
    case Sched::kDomTick:
      domTickAt_ = now_ + 5 * kSecond;
      domTick();
      break;
  }
}

std::array<double, 7> Match::rates(const std::vector<int32_t>& f) const {
  const double n = static_cast<double>(f.size());
  double flags = 0;
  for (const Flag& fl : flags_) {
    flags += fl.state == Flag::kHome ? 0.04 : 0.0;
    flags += fl.state == Flag::kDropped ? 0.08 : 0.0;
  }
  return {(n >= 2 ? 0.045 : 0.0) * n,
          0.11 * n,
          useBlinker_ ? 0.01 * n : 0.0,
          flags,
          0.035 * static_cast<double>(points_.size()),
          0.005 * n,
          (n >= 2 ? 0.005 : 0.0) * n};
}

void Match::runRandom(const std::vector<int32_t>& f) {
  const std::array<double, 7> w = rates(f);
  switch (rng_.weighted(w)) {
    case 0:
      if (teamGame_ && friendlyFire_ > 0 && rng_.chance(0.03)) {
        // A team kill: a victim on the killer's own team.
        int32_t k = pickWeighted(f, true);
        std::vector<int32_t> mates;
        for (int32_t j : f)
          if (j != k &&
              people_[static_cast<size_t>(j)].team == people_[static_cast<size_t>(k)].team)
            mates.push_back(j);
        if (!mates.empty()) {
          kill(k, mates[static_cast<size_t>(rng_.below(static_cast<int32_t>(mates.size())))], true,
               false);
          break;
        }
      }
      randomKill(std::nullopt);
      break;
    case 1:
      item();
      break;
    case 2:
      blinker();
      break;
    case 3: {
      double home = 0;
      for (const Flag& fl : flags_) home += fl.state == Flag::kHome ? 0.04 : 0.0;
      if (rng_.uniform() * w[3] < home)
        takeFlag();
      else
        resolveDroppedFlag();
      break;
    }
    case 4:
      capturePoint();
      break;
    case 5:
      typing();
      break;
    case 6:
      suicide();
      break;
  }
}

void Match::end(const std::string& reason) {
  endReason_ = reason;
  ended_ = true;
}

void Match::checkLimits() {
  if (sizeMode_ || ended_) return;
  switch (played_) {
    case Specs::kDeathMatch:
      for (const Person& p : people_)
        if (fragLimit_ > 0 && p.frags >= fragLimit_) return end("fraglimit");
      break;
    case Specs::kCaptureTheFlag:
    case Specs::kTeamGame:
    case Specs::kDomination:
      for (int64_t s : teamScore_)
        if (goal_ > 0 && s >= goal_) return end("teamscorelimit");
      break;
    case Specs::kLastManStanding: {
      int32_t standing = 0;
      for (const Person& p : people_) standing += p.joined && !p.out ? 1 : 0;
      if (started_ && standing <= 1) end("lastmanstanding");
      break;
    }
    default:
      break;
  }
}

// ------------------------------------------------------------------ events

std::vector<int32_t> Match::fighters() const {
  std::vector<int32_t> f;
  for (int32_t i = 0; i < static_cast<int32_t>(people_.size()); ++i)
    if (fighter(i)) f.push_back(i);
  return f;
}

int32_t Match::pickWeighted(const std::vector<int32_t>& c, bool strong) {
  std::vector<double> w;
  for (int32_t i : c) {
    double s = people_[static_cast<size_t>(i)].strength;
    w.push_back(strong ? s * s : 1.0 / (s * s));
  }
  return c[rng_.weighted(w)];
}

int32_t Match::poolWeapon() {
  if (onlyWeapon_ >= 0) return onlyWeapon_;
  std::array<double, kWeaponMix.size()> w{};
  for (size_t i = 0; i < w.size(); ++i) w[i] = kWeaponMix[i].second;
  return kWeaponMix[rng_.weighted(w)].first;
}

std::string Match::visualFor(int32_t weapon) {
  using G = GameData;
  auto either = [this](std::string_view a, std::string_view b, double pa) {
    return std::string(rng_.chance(pa) ? a : b);
  };
  switch (weapon) {
    case Specs::kFlakGun:
      return either(G::kFlakBurst, G::kShredded, 0.6);
    case Specs::kSludgeRifle:
      return std::string(G::kCorroded);
    case Specs::kHammer:
      return std::string(G::kHammerBlow);
    case Specs::kPlasmaGun:
      return either(G::kPlasmaBolt, G::kPlasmaBeam, 0.6);
    case Specs::kWarheadLauncher:
      return either(G::kWarheadBlast, G::kWarheadShockwave, 0.7);
    case Specs::kBladeLauncher:
      return rng_.chance(0.1) ? std::string(G::kBeheaded)
                              : either(G::kBladeBurst, G::kShredded, 0.45);
    case Specs::kRocketLauncher:
      return either(G::kRocketBlast, G::kRocketSplash, 0.55);
    case Specs::kEnergyRifle:
    case Specs::kEnhancedEnergyRifle:
      // The server has written this type in more than one letter case.
      return rng_.chance(0.9) ? std::string(G::kArcZap) : std::string("Arczap");
    case Specs::kSniperRifle:
      return either(G::kBeheaded, G::kShot, 0.35);
    case Specs::kChainsaw:
      return either(G::kSawed, G::kBeheaded, 0.8);
    default:
      return std::string(G::kShot);
  }
}

int32_t Match::balancedTeam() const {
  std::vector<int32_t> count(static_cast<size_t>(teams_), 0);
  for (const Person& p : people_)
    if (p.connected && p.team >= 0) ++count[static_cast<size_t>(p.team)];
  return static_cast<int32_t>(std::min_element(count.begin(), count.end()) - count.begin());
}

int32_t Match::flagOf(int32_t person) const {
  for (int32_t f = 0; f < static_cast<int32_t>(flags_.size()); ++f)
    if (flags_[static_cast<size_t>(f)].state == Flag::kCarried &&
        flags_[static_cast<size_t>(f)].carrier == person)
      return f;
  return -1;
}

void Match::connect(int32_t i) {
  Person& p = people_[static_cast<size_t>(i)];
  p.pNum = nextPNum_++;
  p.connected = true;
  const std::string pn = num(p.pNum);
  // The server writes a stale name and team line for the new number just
  // before the connection itself; the reader drops them.
  if (!p.bot && rng_.chance(0.4)) {
    line({"player", "Rename", p.name, p.secret, pn});
    line({"player", "Team", pn, "255"});
  }
  const char* admin = yesNo(!p.bot && !singlePlayer_ && i == 0 && rng_.chance(0.3));
  if (p.bot)
    line({"player", "Connect", p.name, pn, admin});
  else
    line({"player", "Connect", p.name, pn, admin, p.secret});
  line({"player", "IsABot", pn, yesNo(p.bot)});
  if (p.bot) {
    line({"player", "Skill", pn, num(p.skill) + ".000000"});
    line({"player", "Novice", pn, yesNo(p.novice)});
  }
  if (teamGame_) {
    if (p.team < 0) p.team = singlePlayer_ && !p.bot ? 0 : balancedTeam();
    line({"player", "TeamName", pn, teamName(p.team)});
    line({"player", "TeamID", pn, num(p.team)});
    line({"player", "Team", pn, num(p.team)});
  }
  if (!p.bot) {
    line({"player", "Ping", pn, num(p.pingBase)});
    p.nextPing = now_ + rng_.between(20, 35);
  }
  p.weapon = Specs::kPistol;
  groupLive_.push_back({p.pNum, true});
}

void Match::disconnect(int32_t i) {
  Person& p = people_[static_cast<size_t>(i)];
  dropFlagOf(i);
  line({"player", "Disconnect", num(p.pNum)});
  p.connected = false;
  p.nextPing = p.typingUntil = p.pickupUntil = p.chainAt = kNever;
  p.pickup = -1;
  groupLive_.push_back({p.pNum, false});
}

void Match::rename(int32_t i) {
  Person& p = people_[static_cast<size_t>(i)];
  for (const char* candidate : kNewNames) {
    bool used = false;
    for (const Person& q : people_) used = used || q.name == candidate;
    if (used) continue;
    p.name = candidate;
    if (rng_.chance(0.5))
      line({"player", "Rename", p.name, p.secret, num(p.pNum)});
    else
      line({"player", "Rename", p.name, num(p.pNum)});
    return;
  }
}

void Match::changeTeam(int32_t i, int32_t to) {
  Person& p = people_[static_cast<size_t>(i)];
  if (p.team < 0 || to == p.team) return;
  dropFlagOf(i);
  p.team = to;
  const std::string pn = num(p.pNum);
  line({"player", "Teamchange", pn, num(to)});
  line({"player", "TeamName", pn, teamName(to)});
  line({"player", "TeamID", pn, num(to)});
}

void Match::dropFlagOf(int32_t i) {
  int32_t f = flagOf(i);
  if (f < 0) return;
  line({"flag_dropped", num(people_[static_cast<size_t>(i)].pNum), num(f)});
  flags_[static_cast<size_t>(f)] = Flag{Flag::kDropped, -1, now_, kNever};
}

void Match::dies(int32_t i) {
  Person& p = people_[static_cast<size_t>(i)];
  ++p.livesLost;
  if (lives_ > 0 && p.livesLost >= lives_) p.out = true;
  if (p.pickup >= 0) {
    line({"item_deactivate", (*kPickupTables[lang_])[static_cast<size_t>(p.pickup)], num(p.pNum)});
    p.pickup = -1;
    p.pickupUntil = kNever;
  }
  p.chainAt = kNever;
  p.chainLeft = 0;
  const double r = rng_.uniform();
  p.weapon = r < 0.85 ? Specs::kPistol : r < 0.95 ? Specs::kTwinPistols : Specs::kHoldingNothing;
}

void Match::randomKill(std::optional<int32_t> forcedKiller) {
  std::vector<int32_t> f = fighters();
  if (f.size() < 2) return;
  int32_t k = forcedKiller ? *forcedKiller : pickWeighted(f, true);
  const Person& killer = people_[static_cast<size_t>(k)];
  std::vector<int32_t> enemies;
  std::vector<int32_t> carriers;
  for (int32_t j : f) {
    if (j == k) continue;
    if (teamGame_ && people_[static_cast<size_t>(j)].team == killer.team) continue;
    enemies.push_back(j);
    if (flagOf(j) >= 0) carriers.push_back(j);
  }
  if (enemies.empty()) return;
  int32_t v = !carriers.empty() && rng_.chance(0.2) ? carriers[0] : pickWeighted(enemies, false);
  kill(k, v, false, false);
}

void Match::kill(int32_t k, int32_t v, bool teamKill, bool telefrag) {
  Person& killer = people_[static_cast<size_t>(k)];
  Person& victim = people_[static_cast<size_t>(v)];
  if (killer.weapon == Specs::kHoldingNothing || rng_.chance(0.3)) killer.weapon = poolWeapon();

  std::string kw = heldName(killer);
  std::string visual;
  if (telefrag) {
    visual = GameData::kTelefragged;
  } else if (rng_.chance(o_.unknownWeaponRate)) {
    kw = kModWeapons[static_cast<size_t>(rng_.below(kModWeapons.size()))];
    visual = kModDamage[static_cast<size_t>(rng_.below(kModDamage.size()))];
  } else if (rng_.chance(0.01)) {
    visual = GameData::kStomped;
  } else {
    visual = visualFor(killer.weapon);
  }
  const std::string vw = heldName(victim);
  const bool dropsFlag = flagOf(v) >= 0;
  const bool dropFirst = dropsFlag && rng_.chance(0.5);
  if (dropFirst) dropFlagOf(v);
  line({teamKill ? "teamkill" : "kill", num(killer.pNum), kw, num(victim.pNum), vw, visual});
  groupHasKill_ = true;
  if (dropsFlag && !dropFirst) dropFlagOf(v);
  if (!teamKill && killer.weapon == Specs::kSniperRifle && visual == GameData::kBeheaded)
    line({"headshot", num(killer.pNum), num(victim.pNum)});

  killer.frags += teamKill ? -1 : 1;
  if (teamGame_ && played_ == Specs::kTeamGame && !teamKill)
    ++teamScore_[static_cast<size_t>(killer.team)];
  dies(v);
  // Now and then a quick run of kills: multi-kill chains of two to five.
  if (!teamKill) {
    if (killer.chainLeft > 0) {
      --killer.chainLeft;
      killer.chainAt = killer.chainLeft > 0 ? now_ + rng_.between(0.4, 2.9) : kNever;
    } else if (rng_.chance(0.12)) {
      killer.chainLeft = rng_.range(1, 4);
      killer.chainAt = now_ + rng_.between(0.4, 2.9);
    }
  }
  checkLimits();
}

void Match::suicide() {
  std::vector<int32_t> f = fighters();
  if (f.empty()) return;
  int32_t i = pickWeighted(f, false);
  Person& p = people_[static_cast<size_t>(i)];
  struct Cause {
    std::string_view visual;
    int32_t weapon;  // -1: environmental, nothing set it off
    double weight;
  };
  using G = GameData;
  static constexpr Cause kCauses[] = {
      {"Fell", -1, 28},
      {"Drowned", -1, 6},
      {"Burned", -1, 8},
      {G::kCorroded, -1, 5},
      {G::kCrushed, -1, 5},
      {"Electrocuted", -1, 5},
      {"Exploded", -1, 5},
      {"Suicided", -1, 10},
      {G::kMortared, -1, 3},
      {G::kSpecialDamage, -1, 2},
      {G::kUnknownDamage, -1, 2},
      {G::kArcZap, -1, 3},
      {G::kShot, -1, 4},
      {G::kRocketSplash, Specs::kRocketLauncher, 8},
      {G::kFlakBurst, Specs::kFlakGun, 3},
      {G::kCorroded, Specs::kSludgeRifle, 3},
      {G::kWarheadBlast, Specs::kWarheadLauncher, 2},
      {G::kPlasmaBolt, Specs::kPlasmaGun, 2},
      {G::kBladeBurst, Specs::kBladeLauncher, 2},
      {G::kArcZap, Specs::kEnergyRifle, 1},
  };
  std::array<double, std::size(kCauses)> w{};
  for (size_t c = 0; c < w.size(); ++c) w[c] = kCauses[c].weight;
  const Cause& c = kCauses[rng_.weighted(w)];
  std::string initiator(G::kNoInitiator);
  if (c.weapon >= 0) {
    p.weapon = c.weapon;
    initiator = p.name;
  } else if (p.weapon == Specs::kHoldingNothing && rng_.chance(0.5)) {
    p.weapon = poolWeapon();
  }
  dropFlagOf(i);
  line({"suicide", num(p.pNum), heldName(p), c.visual, initiator});
  groupHasKill_ = true;
  --p.frags;
  dies(i);
  checkLimits();
}

void Match::item() {
  std::vector<int32_t> f = fighters();
  if (f.empty()) return;
  int32_t i = f[static_cast<size_t>(rng_.below(static_cast<int32_t>(f.size())))];
  Person& p = people_[static_cast<size_t>(i)];
  // Ammunition, health, armour, weapons, power-ups.
  static constexpr double kKinds[] = {40, 25, 10, 20, 5};
  size_t kind = rng_.weighted(kKinds);
  if (kind == 4 && (noPowerUps_ || p.pickup >= 0)) kind = 0;
  int32_t row = 0;
  switch (kind) {
    case 0:
      row = rng_.range(14, 22);
      break;
    case 1:
      row = rng_.range(26, 29);
      break;
    case 2:
      row = rng_.range(23, 25);
      break;
    case 3:
      row = rng_.range(1, 13);
      if (onlyWeapon_ >= 0) {
        for (int32_t r = 1; r <= 13; ++r)
          if (kItemWeapon[static_cast<size_t>(r)] == onlyWeapon_) row = r;
      }
      p.weapon = kItemWeapon[static_cast<size_t>(row)];
      break;
    default:
      row = Specs::kFirstPickupItem + rng_.below(static_cast<int32_t>(Specs::kPickups));
      break;
  }
  const std::string& alt = Specs::itemsB[static_cast<size_t>(row)];
  const std::string& name =
      altItemNames_ && !alt.empty() ? alt : (*kItemTables[lang_])[static_cast<size_t>(row)];
  line({"item_get", name, num(p.pNum)});
  if (kind == 4) {
    p.pickup = row - Specs::kFirstPickupItem;
    p.pickupUntil = now_ + rng_.between(20, 45);
    line({"item_activate", (*kPickupTables[lang_])[static_cast<size_t>(p.pickup)], num(p.pNum)});
  }
}

void Match::blinker() {
  std::vector<int32_t> f = fighters();
  if (f.empty()) return;
  int32_t i = f[static_cast<size_t>(rng_.below(static_cast<int32_t>(f.size())))];
  const std::string pn = num(people_[static_cast<size_t>(i)].pNum);
  line({"throw_blinker", pn});
  const double r = rng_.uniform();
  if (r < 0.1) {
    line({"warp_fail", pn});
  } else if (r < 0.14) {
    // Teleported into someone: the gib, then the kill.
    std::vector<int32_t> enemies;
    for (int32_t j : f)
      if (j != i && (!teamGame_ ||
                     people_[static_cast<size_t>(j)].team != people_[static_cast<size_t>(i)].team))
        enemies.push_back(j);
    if (enemies.empty()) return;
    line({"warp", pn});
    line({"warp_gib", pn});
    kill(i, enemies[static_cast<size_t>(rng_.below(static_cast<int32_t>(enemies.size())))], false,
         true);
  } else if (r < 0.75) {
    line({"warp", pn});
  }
}

void Match::takeFlag() {
  std::vector<int32_t> home;
  for (int32_t fl = 0; fl < static_cast<int32_t>(flags_.size()); ++fl)
    if (flags_[static_cast<size_t>(fl)].state == Flag::kHome) home.push_back(fl);
  if (home.empty()) return;
  int32_t fl = home[static_cast<size_t>(rng_.below(static_cast<int32_t>(home.size())))];
  std::vector<int32_t> takers;
  for (int32_t j : fighters())
    if (people_[static_cast<size_t>(j)].team != fl && flagOf(j) < 0) takers.push_back(j);
  if (takers.empty()) return;
  int32_t t = pickWeighted(takers, true);
  line({"flag_taken", num(people_[static_cast<size_t>(t)].pNum), num(fl)});
  flags_[static_cast<size_t>(fl)] = Flag{Flag::kCarried, t, now_, now_ + rng_.between(6, 20)};
}

void Match::resolveDroppedFlag() {
  std::vector<int32_t> dropped;
  for (int32_t fl = 0; fl < static_cast<int32_t>(flags_.size()); ++fl)
    if (flags_[static_cast<size_t>(fl)].state == Flag::kDropped) dropped.push_back(fl);
  if (dropped.empty()) return;
  int32_t fl = dropped[static_cast<size_t>(rng_.below(static_cast<int32_t>(dropped.size())))];
  std::vector<int32_t> own, enemy;
  for (int32_t j : fighters()) {
    if (people_[static_cast<size_t>(j)].team == fl)
      own.push_back(j);
    else if (flagOf(j) < 0)
      enemy.push_back(j);
  }
  if (!own.empty() && (enemy.empty() || rng_.chance(0.55))) {
    int32_t r = own[static_cast<size_t>(rng_.below(static_cast<int32_t>(own.size())))];
    line({"flag_returned", num(people_[static_cast<size_t>(r)].pNum), num(fl)});
    flags_[static_cast<size_t>(fl)] = Flag{};
  } else if (!enemy.empty()) {
    int32_t t = pickWeighted(enemy, true);
    line({"flag_pickedup", num(people_[static_cast<size_t>(t)].pNum), num(fl)});
    flags_[static_cast<size_t>(fl)] = Flag{Flag::kCarried, t, now_, now_ + rng_.between(4, 15)};
  }
}

void Match::capturePoint() {
  if (points_.empty()) return;
  ControlPoint& cp = points_[static_cast<size_t>(rng_.below(static_cast<int32_t>(points_.size())))];
  std::vector<int32_t> takers;
  for (int32_t j : fighters())
    if (people_[static_cast<size_t>(j)].team != cp.owner) takers.push_back(j);
  if (takers.empty()) return;
  int32_t t = pickWeighted(takers, true);
  line({"controlpoint_capture", cp.name, num(people_[static_cast<size_t>(t)].pNum)});
  cp.owner = people_[static_cast<size_t>(t)].team;
  cp.controller = t;
}

void Match::domTick() {
  for (const ControlPoint& cp : points_) {
    if (cp.owner < 0) continue;
    ++teamScore_[static_cast<size_t>(cp.owner)];
    Person& c = people_[static_cast<size_t>(cp.controller)];
    if (c.connected && c.team == cp.owner) ++c.domScore;
  }
  for (int32_t t = 0; t < teams_; ++t)
    line({"dom_score_update", num(t), num(teamScore_[static_cast<size_t>(t)])});
  for (Person& p : people_) {
    if (p.connected && p.domScore != p.domScoreLogged) {
      line({"dom_playerscore_update", num(p.pNum), num(p.domScore)});
      p.domScoreLogged = p.domScore;
    }
  }
  checkLimits();
}

void Match::typing() {
  std::vector<int32_t> humans;
  for (int32_t j : fighters())
    if (!people_[static_cast<size_t>(j)].bot &&
        people_[static_cast<size_t>(j)].typingUntil == kNever)
      humans.push_back(j);
  if (humans.empty()) return;
  Person& p = people_[static_cast<size_t>(
      humans[static_cast<size_t>(rng_.below(static_cast<int32_t>(humans.size())))])];
  line({"typing", yesNo(true), num(p.pNum)});
  p.typingUntil = now_ + rng_.between(1.5, 8);
}

// ------------------------------------------------------------------ faults

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// A kill line between the shares `from` and `to` of the log, or -1.
int64_t pickKillLine(Rng& rng, const std::vector<std::string>& lines, double from, double to) {
  std::vector<int64_t> kills;
  const auto n = static_cast<double>(lines.size());
  for (size_t i = static_cast<size_t>(n * from); i < static_cast<size_t>(n * to); ++i)
    if (fieldOf(lines[i], 1) == "kill") kills.push_back(static_cast<int64_t>(i));
  if (kills.empty()) {
    for (size_t i = 0; i < lines.size(); ++i)
      if (fieldOf(lines[i], 1) == "kill") kills.push_back(static_cast<int64_t>(i));
  }
  if (kills.empty()) return -1;
  return kills[static_cast<size_t>(rng.below(static_cast<int32_t>(kills.size())))];
}

std::string injectFaults(const std::string& text, const Faults& faults, uint64_t seed) {
  // A stream of its own, so that a damaged log equals the sound one elsewhere.
  Rng rng(mix(seed, 0x6661756C7473ULL));
  std::vector<std::string> lines = splitLines(text);
  if (faults.missingGameEnd) {
    for (size_t i = 0; i < lines.size(); ++i)
      if (fieldOf(lines[i], 1) == "game_end") {
        lines.resize(i);
        break;
      }
  }
  if (faults.shortLine) {
    int64_t k = pickKillLine(rng, lines, 0.3, 0.6);
    if (k >= 0) lines[static_cast<size_t>(k)].resize(lines[static_cast<size_t>(k)].rfind('\t'));
  }
  if (faults.nonNumericField) {
    int64_t k = pickKillLine(rng, lines, 0.7, 0.95);
    if (k >= 0) {
      std::string& l = lines[static_cast<size_t>(k)];
      size_t a = l.find('\t', l.find('\t') + 1) + 1;  // the killer number
      l.insert(a, "x");
    }
  }
  if (faults.unknownKeyword) {
    size_t at = lines.size() / 2;
    while (at < lines.size() && fieldOf(lines[at], 1) == "info") ++at;
    std::string t = at < lines.size() ? fieldOf(lines[at], 0) : "0.00";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
                 t + "\t" + kUnknownKeywords[static_cast<size_t>(rng.below(3))] + "\t0\t1");
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  if (faults.truncatedLastLine && !lines.empty()) {
    out.resize(out.size() - 2);
    const size_t len = lines.back().size();
    out.resize(out.size() - len + std::min(len, std::max<size_t>(3, len / 2)));
  }
  return out;
}

// ------------------------------------------------------------------ dates

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int32_t daysInMonth(int32_t y, int32_t m) {
  static constexpr int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

bool validZone(const std::string& z) {
  if (z.size() == 3)
    return std::all_of(z.begin(), z.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
  if (z.size() < 2 || (z[0] != '-' && z[0] != '+')) return false;
  bool digits = false, dot = false;
  for (size_t i = 1; i < z.size(); ++i) {
    if (z[i] >= '0' && z[i] <= '9') {
      digits = true;
    } else if (z[i] == '.' && !dot && digits && i + 1 < z.size()) {
      dot = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  return std::strtod(z.c_str() + 1, nullptr) <= 14.0;
}

}  // namespace

bool DateTime::valid() const {
  return year >= 1970 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= daysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
         minute <= 59 && second >= 0 && second <= 59 && millis >= 0 && millis <= 999;
}

int64_t DateTime::toSeconds() const {
  return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

DateTime DateTime::fromSeconds(int64_t s, int32_t ms) {
  int64_t days = s / 86400;
  int64_t rest = s % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Inverse of daysFromCivil.
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  DateTime d;
  d.day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  d.month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  d.year = static_cast<int32_t>(yoe + era * 400 + (d.month <= 2));
  d.hour = static_cast<int32_t>(rest / 3600);
  d.minute = static_cast<int32_t>(rest / 60 % 60);
  d.second = static_cast<int32_t>(rest % 60);
  d.millis = ms;
  return d;
}

std::string DateTime::logText() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d.%02d.%02d.%02d.%02d.%02d.%03d", year, month, day, hour,
                minute, second, millis);
  return buf;
}

std::string DateTime::fileText() const {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d_%02d-%02d-%02d", year, month, day, hour, minute,
                second);
  return buf;
}

LogGenerator::LogGenerator(LogOptions options) : options_(std::move(options)) { check(options_); }

void LogGenerator::check(const LogOptions& o) {
  auto fail = [](const std::string& m) { throw GeneratorError(m); };
  if (o.gameType < 0 || o.gameType >= static_cast<int32_t>(Specs::kGames))
    fail("the game type must be a catalog row from 0 to 6");
  if (o.players < 2 || o.players > kMaxPlayers)
    fail("the number of players must be from 2 to " + std::to_string(kMaxPlayers));
  if (o.bots) {
    if (*o.bots < 0 || *o.bots > o.players)
      fail("the number of bots must be from 0 to the number of players");
    if (o.gameType == Specs::kSinglePlayer && *o.bots != o.players - 1)
      fail("a single-player match has one human: bots must be players - 1");
  }
  if (!(o.minutes >= 1.0 && o.minutes <= kMaxMinutes))
    fail("the match length must be from 1 to " + std::to_string(static_cast<int>(kMaxMinutes)) +
         " minutes");
  if (!o.start.valid()) fail("the start date is not a valid date and time");
  if (!validZone(o.zone))
    fail("the zone must be an hour offset with its sign (-5, +1, +5.5) or three capital letters");
  if (o.targetBytes && (*o.targetBytes < kMinTargetBytes || *o.targetBytes > kMaxTargetBytes))
    fail("the size must be from " + std::to_string(kMinTargetBytes) + " to " +
         std::to_string(kMaxTargetBytes) + " bytes");
  if (!(o.unknownWeaponRate >= 0.0 && o.unknownWeaponRate <= 1.0))
    fail("the unknown-weapon rate must be from 0 to 1");
}

std::string LogGenerator::text() const {
  Match m(options_);
  std::string t = m.run();
  if (options_.faults.any()) t = injectFaults(t, options_.faults, options_.seed);
  return t;
}

std::string LogGenerator::encodeUtf16le(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size() * 2);
  for (char c : latin1) {
    out += c;
    out += '\0';
  }
  return out;
}

std::string LogGenerator::lowBytes(std::string_view utf16) {
  std::string out;
  out.reserve(utf16.size() / 2);
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) out += utf16[i];
  return out;
}

std::vector<std::string> writeBatch(const BatchOptions& b) {
  if (b.count < 1 || b.count > 10000) throw GeneratorError("the count must be from 1 to 10000");
  LogGenerator::check(b.base);
  std::vector<std::string> paths;
  int64_t start = b.base.start.toSeconds();
  Rng order(mix(b.base.seed, 0x6261746368ULL));
  const int32_t firstType = order.below(static_cast<int32_t>(Specs::kGames));
  for (int32_t i = 0; i < b.count; ++i) {
    LogOptions o = b.base;
    o.seed = mix(b.base.seed, static_cast<uint64_t>(i) + 1);
    if (b.allTypes) {
      o.gameType = (firstType + i) % static_cast<int32_t>(Specs::kGames);
      // A bot count chosen for team matches does not fit the one-human match.
      if (o.gameType == Specs::kSinglePlayer) o.bots.reset();
    }
    o.start = DateTime::fromSeconds(start, b.base.start.millis);
    const std::string path = b.directory + "/Brimfall_" + o.start.fileText() + ".log";
    const std::string text = LogGenerator(o).text();
    platform::writeFile(path, LogGenerator::encodeUtf16le(text));
    paths.push_back(path);
    // The next match begins after this one (its last line) and a break
    // between maps.
    size_t lastLine = text.rfind("\r\n", text.size() >= 2 ? text.size() - 3 : 0);
    lastLine = lastLine == std::string::npos ? 0 : lastLine + 2;
    const double lasted = std::strtod(text.c_str() + lastLine, nullptr);
    start += static_cast<int64_t>(lasted) + 60 + order.range(30, 900);
  }
  return paths;
}

}  // namespace tools::loggen
