#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace games::bf {

// One tokenized log line: field 0 the time stamp, field 1 the keyword.
using Fields = std::vector<std::string>;

// The record class of an event, one value per class, so that the replay can
// dispatch with a switch instead of a chain of dynamic_casts.
enum class EventKind : uint8_t {
  kGStart,
  kGEnd,
  kInfo,
  kMap,
  kGame,
  kKill,
  kTKill,
  kSuicide,
  kHeadShot,
  kIGet,
  kIActivate,
  kIDeactivate,
  kFTaken,
  kFDropped,
  kFPickedup,
  kFCaptured,
  kFReturned,
  kFReturnedt,
  kCPCapture,
  kDPScore,
  kDScore,
  kATimelimit,
  kAGamecode,
  kADefender,
  kAAttacker,
  kBlinkThrow,
  kBlink,
  kBlinkGib,
  kBlinkFail,
  kTyping,
  kPConnect,
  kPDisconnect,
  kPRename,
  kPTeam,
  kPTeamID,
  kPTeamName,
  kPPing,
  kPBot,
  kPNovice,
  kPSkill,
};

// The interface of every event record (see Events.h). A record is a plain
// value filled once from its line. `valid` is false when the line had fewer
// fields than the record needs; such a record holds only default values.
class Event {
 public:
  virtual ~Event() = default;

  bool isValid() const { return valid; }
  double getTime() const { return time; }
  EventKind kind() const { return kind_; }
  // Diagnostic: writes one trace line at severity 0, "(" time ")" followed by
  // the record's name and its fields as name=value.
  virtual void print() const = 0;

  bool valid = false;
  double time = 0.0;  // game seconds

 protected:
  explicit Event(EventKind k) : kind_(k) {}
  Event(const Event&) = default;
  Event& operator=(const Event&) = default;

  // The common start of every record's construction from line `f`: with fewer
  // than `min` fields writes `message` (severity 0) and returns false, leaving
  // the record invalid; otherwise marks it valid, reads `time` from field 0 and
  // returns true. Throws base::NumberFormatError for a bad time stamp.
  bool begin(const Fields& f, size_t min, std::string_view message);

  // For print(): the trace line "(" time ") " name, then " field=value" for
  // each pair.
  void printFields(std::string_view name,
                   std::initializer_list<std::pair<std::string_view, std::string>> fields) const;

 private:
  EventKind kind_;
};

namespace detail {

// A decimal number as logs write time stamps and scores: an optional sign,
// digits with an optional fraction ("5", "5.", ".5", "-0.25") and an optional
// exponent ("1e3", "2.5E-2"), nothing else (no spaces, no hex, no "inf" or
// "nan"). The value must be finite and not so small that it would be taken as
// zero. Throws base::NumberFormatError "For input string: \"...\"" otherwise.
double parseNumber(std::string_view s);

// The shortest text that reads back as `v` ("12.5", "-3", "1e+300").
std::string numberText(double v);

// The words a log writes for "no": "False", "Falso", "Nein", "Faux".
bool isFalseWord(std::string_view s);

}  // namespace detail

}  // namespace games::bf
