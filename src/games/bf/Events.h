#pragma once

// The event records of Brimfall match logs, one class per line keyword.
//
// Unlike the rest of the code base, all records share this header and
// Events.cpp: they are some forty small value classes of a few fields each,
// with the same construction pattern, and a file pair per class would spread
// one table of line formats over eighty files.
//
// Every record is built from one tokenized line. Its constructor never fails
// on too few fields: it writes the record's "Bad '...' Event" message
// (severity 0) and leaves the record invalid. A field that does not parse as
// its type (time stamp, int or number) throws base::NumberFormatError, except
// in EPDisconnect, which traces "Invalid 'Player Disconnect' Event" and stays
// invalid instead. Fields the line format does not name are ignored. Fields
// are declared in the order the replay expects; ints are 32-bit, numbers
// 64-bit floats, texts the field unchanged.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "games/bf/Event.h"

namespace games::bf {

// "game_start": the match begins (2 fields).
class EGStart final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kGStart;
  explicit EGStart(const Fields& f);
  void print() const override;
};

// "game_end" reason [checksum] (at least 3 fields).
class EGEnd final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kGEnd;
  explicit EGEnd(const Fields& f);
  void print() const override;

  std::string reason;
  std::optional<std::string> checksum;  // none when the line has fewer than 4 fields
};

// "info" infoType values... (at least 3 fields).
class EInfo final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kInfo;
  explicit EInfo(const Fields& f);
  void print() const override;

  std::string infoType;
  std::vector<std::string> list;  // fields 3 to the end, in order
};

// "map" var val (at least 4 fields).
class EMap final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kMap;
  explicit EMap(const Fields& f);
  void print() const override;

  std::string var;
  std::string val;
};

// "game" var val [valB] (at least 4 fields).
class EGame final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kGame;
  explicit EGame(const Fields& f);
  void print() const override;

  std::string var;
  std::string val;
  std::optional<std::string> valB;  // none when the line has fewer than 5 fields
};

// The common shape of "kill" and "teamkill": killerNum killerWeapon killedNum
// killedWeapon visual (at least 7 fields).
class KillEvent : public Event {
 public:
  int32_t killerNum = 0;
  std::string killerWeapon;
  int32_t killedNum = 0;
  std::string killedWeapon;
  std::string visual;

 protected:
  KillEvent(EventKind k, const Fields& f, std::string_view message);
  void printKill(std::string_view name) const;
};

class EKill final : public KillEvent {
 public:
  static constexpr EventKind kKind = EventKind::kKill;
  explicit EKill(const Fields& f);
  void print() const override;
};

class ETKill final : public KillEvent {
 public:
  static constexpr EventKind kKind = EventKind::kTKill;
  explicit ETKill(const Fields& f);
  void print() const override;
};

// "suicide" pNum weapon visual initiator (at least 6 fields).
class ESuicide final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kSuicide;
  explicit ESuicide(const Fields& f);
  void print() const override;

  int32_t pNum = 0;
  std::string weapon;
  std::string visual;
  std::string initiator;
};

// "headshot" killerNum killedNum (at least 4 fields).
class EHeadShot final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kHeadShot;
  explicit EHeadShot(const Fields& f);
  void print() const override;

  int32_t killerNum = 0;
  int32_t killedNum = 0;
};

// The common shape of "item_get", "item_activate", "item_deactivate": item
// pNum (at least 4 fields).
class ItemEvent : public Event {
 public:
  std::string item;
  int32_t pNum = 0;

 protected:
  ItemEvent(EventKind k, const Fields& f, std::string_view message);
  void printItem(std::string_view name) const;
};

class EIGet final : public ItemEvent {
 public:
  static constexpr EventKind kKind = EventKind::kIGet;
  explicit EIGet(const Fields& f);
  void print() const override;
};

class EIActivate final : public ItemEvent {
 public:
  static constexpr EventKind kKind = EventKind::kIActivate;
  explicit EIActivate(const Fields& f);
  void print() const override;
};

class EIDeactivate final : public ItemEvent {
 public:
  static constexpr EventKind kKind = EventKind::kIDeactivate;
  explicit EIDeactivate(const Fields& f);
  void print() const override;
};

// The common shape of the flag events "flag_taken", "flag_dropped",
// "flag_pickedup", "flag_captured", "flag_returned": the line gives pNum, then
// team (at least 4 fields).
class FlagEvent : public Event {
 public:
  int32_t team = 0;
  int32_t pNum = 0;

 protected:
  FlagEvent(EventKind k, const Fields& f, std::string_view message);
  void printFlag(std::string_view name) const;
};

class EFTaken final : public FlagEvent {
 public:
  static constexpr EventKind kKind = EventKind::kFTaken;
  explicit EFTaken(const Fields& f);
  void print() const override;
};

class EFDropped final : public FlagEvent {
 public:
  static constexpr EventKind kKind = EventKind::kFDropped;
  explicit EFDropped(const Fields& f);
  void print() const override;
};

class EFPickedup final : public FlagEvent {
 public:
  static constexpr EventKind kKind = EventKind::kFPickedup;
  explicit EFPickedup(const Fields& f);
  void print() const override;
};

class EFCaptured final : public FlagEvent {
 public:
  static constexpr EventKind kKind = EventKind::kFCaptured;
  explicit EFCaptured(const Fields& f);
  void print() const override;
};

class EFReturned final : public FlagEvent {
 public:
  static constexpr EventKind kKind = EventKind::kFReturned;
  explicit EFReturned(const Fields& f);
  void print() const override;
};

// "flag_returned_timeout" team (at least 3 fields).
class EFReturnedt final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kFReturnedt;
  explicit EFReturnedt(const Fields& f);
  void print() const override;

  int32_t team = 0;
};

// "controlpoint_capture" controlPoint pNum (at least 4 fields).
class ECPCapture final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kCPCapture;
  explicit ECPCapture(const Fields& f);
  void print() const override;

  std::string controlPoint;
  int32_t pNum = 0;
};

// "dom_playerscore_update": the line gives pNum, then score (at least 4).
class EDPScore final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kDPScore;
  explicit EDPScore(const Fields& f);
  void print() const override;

  double score = 0.0;
  int32_t pNum = 0;
};

// "dom_score_update": the line gives team, then score (at least 4 fields).
class EDScore final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kDScore;
  explicit EDScore(const Fields& f);
  void print() const override;

  double score = 0.0;
  int32_t team = 0;
};

// "assault_timelimit" timelimit (at least 3 fields).
class EATimelimit final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kATimelimit;
  explicit EATimelimit(const Fields& f);
  void print() const override;

  std::string timelimit;
};

// "assault_gamecode" code part (at least 4 fields).
class EAGamecode final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kAGamecode;
  explicit EAGamecode(const Fields& f);
  void print() const override;

  std::string code;
  int32_t part = 0;
};

// "assault_defender" defender (at least 3 fields).
class EADefender final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kADefender;
  explicit EADefender(const Fields& f);
  void print() const override;

  int32_t defender = 0;
};

// "assault_attacker" attacker (at least 3 fields).
class EAAttacker final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kAAttacker;
  explicit EAAttacker(const Fields& f);
  void print() const override;

  int32_t attacker = 0;
};

// The common shape of "warp", "throw_blinker", "warp_gib", "warp_fail": pNum
// (at least 3 fields).
class BlinkEvent : public Event {
 public:
  int32_t pNum = 0;

 protected:
  BlinkEvent(EventKind k, const Fields& f, std::string_view message);
  void printBlink(std::string_view name) const;
};

class EBlink final : public BlinkEvent {
 public:
  static constexpr EventKind kKind = EventKind::kBlink;
  explicit EBlink(const Fields& f);
  void print() const override;
};

class EBlinkThrow final : public BlinkEvent {
 public:
  static constexpr EventKind kKind = EventKind::kBlinkThrow;
  explicit EBlinkThrow(const Fields& f);
  void print() const override;
};

class EBlinkGib final : public BlinkEvent {
 public:
  static constexpr EventKind kKind = EventKind::kBlinkGib;
  explicit EBlinkGib(const Fields& f);
  void print() const override;
};

class EBlinkFail final : public BlinkEvent {
 public:
  static constexpr EventKind kKind = EventKind::kBlinkFail;
  explicit EBlinkFail(const Fields& f);
  void print() const override;
};

// "typing" isTyping pNum (at least 4 fields). isTyping is false exactly when
// field 2 is "False"; this line knows none of the other words for "no".
class ETyping final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kTyping;
  explicit ETyping(const Fields& f);
  void print() const override;

  int32_t pNum = 0;
  bool isTyping = false;
};

// "player" "Connect" name pNum admin [secret] (at least 6 fields). `secret`
// is field 6 only when the line has exactly 7 fields, else empty.
class EPConnect final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPConnect;
  explicit EPConnect(const Fields& f);
  void print() const override;

  std::string name;
  std::string secret;
  std::string admin;
  int32_t pNum = 0;
};

// "player" "Disconnect" pNum (at least 4 fields). Never throws: a field that
// does not parse traces "Invalid 'Player Disconnect' Event" (severity 0) and
// leaves the record invalid.
class EPDisconnect final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPDisconnect;
  explicit EPDisconnect(const Fields& f);
  void print() const override;

  int32_t pNum = 0;
};

// "player" "Rename" name [secret] pNum (at least 5 fields): with 5 fields
// field 4 is pNum and `secret` is empty; with more, field 4 is `secret` and
// field 5 pNum.
class EPRename final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPRename;
  explicit EPRename(const Fields& f);
  void print() const override;

  std::string name;
  std::string secret;
  int32_t pNum = 0;
};

// "player" "Team" or "Teamchange": the line gives pNum, then index, the team
// number (at least 5 fields). `teamChange` tells the two apart.
class EPTeam final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPTeam;
  EPTeam(const Fields& f, bool isTeamChange);
  void print() const override;

  int32_t index = 0;
  int32_t pNum = 0;
  bool teamChange = false;
};

// "player" "TeamID": the line gives pNum, then id (at least 5 fields).
class EPTeamID final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPTeamID;
  explicit EPTeamID(const Fields& f);
  void print() const override;

  int32_t id = 0;
  int32_t pNum = 0;
};

// "player" "TeamName": the line gives pNum, then name (at least 5 fields).
class EPTeamName final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPTeamName;
  explicit EPTeamName(const Fields& f);
  void print() const override;

  std::string name;
  int32_t pNum = 0;
};

// "player" "Ping" pNum ping (at least 5 fields).
class EPPing final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPPing;
  explicit EPPing(const Fields& f);
  void print() const override;

  int32_t pNum = 0;
  int32_t ping = 0;
};

// "player" "IsABot" pNum isABot (at least 5 fields); false exactly for the
// words of detail::isFalseWord.
class EPBot final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPBot;
  explicit EPBot(const Fields& f);
  void print() const override;

  int32_t pNum = 0;
  bool isABot = false;
};

// "player" "Novice" pNum isNovice (at least 5 fields); as EPBot.
class EPNovice final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPNovice;
  explicit EPNovice(const Fields& f);
  void print() const override;

  int32_t pNum = 0;
  bool isNovice = false;
};

// "player" "Skill" pNum skill (at least 5 fields).
class EPSkill final : public Event {
 public:
  static constexpr EventKind kKind = EventKind::kPSkill;
  explicit EPSkill(const Fields& f);
  void print() const override;

  int32_t pNum = 0;
  std::string skill;
};

// The record `e` as a T when it is one, else null: a checked downcast by
// kind(), e.g. `if (auto* k = eventAs<EKill>(e)) ...`.
template <class T>
const T* eventAs(const Event& e) {
  return e.kind() == T::kKind ? static_cast<const T*>(&e) : nullptr;
}

}  // namespace games::bf
