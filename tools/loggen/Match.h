#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/loggen/LogGenerator.h"
#include "tools/loggen/LogTables.h"
#include "tools/loggen/Rng.h"

// The simulated match behind one generated log. Internals of the generator;
// its members are defined by job in MatchSetup.cpp (settings, people, header),
// MatchWalk.cpp (the walk over time and the writing of lines),
// MatchPlayers.cpp (connections, names, teams), MatchCombat.cpp (kills,
// suicides, items, blinker) and MatchObjectives.cpp (flags, control points).
namespace tools::loggen::detail {

// With a size target the size ends the match; this only bounds it.
inline constexpr Cs kSizeModeLimit = 24 * 3600 * kSecond;

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
    const Person& p = people_[static_cast<size_t>(i)];
    return p.connected && !p.out && (!teamGame_ || p.team >= 0);
  }
  std::vector<int32_t> fighters() const;
  int32_t pickWeighted(const std::vector<int32_t>& c, bool strong);
  std::string num(int64_t v) const { return std::to_string(v); }
  const std::string& weaponName(int32_t row) const {
    return (*kWeaponTables[lang_])[static_cast<size_t>(row)];
  }
  std::string heldName(const Person& p) const { return weaponName(p.weapon); }
  std::string teamName(int32_t t) const { return (*kTeamTables[lang_])[static_cast<size_t>(t)]; }
  const char* yesNo(bool b) const { return b ? kYesNo[lang_].yes : kYesNo[lang_].no; }
  int32_t poolWeapon();
  std::string visualFor(int32_t weapon);
  int32_t balancedTeam() const;
  int32_t flagOf(int32_t person) const;

  const LogOptions& o_;
  Rng rng_;
  bool sizeMode_;

  // settings
  size_t lang_ = 0;     // row of the name tables: a Language
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

}  // namespace tools::loggen::detail
