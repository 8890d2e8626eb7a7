#include "games/bf/EventList.h"

#include <exception>
#include <string_view>

#include "base/Failure.h"
#include "games/bf/Events.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace games::bf {
namespace {

using util::Debug;

using Maker = std::unique_ptr<Event> (*)(const Fields&);

template <class T>
std::unique_ptr<Event> makeRecord(const Fields& f) {
  return std::make_unique<T>(f);
}

template <bool kTeamChange>
std::unique_ptr<Event> makeTeam(const Fields& f) {
  return std::make_unique<EPTeam>(f, kTeamChange);
}

struct Keyword {
  std::string_view word;
  Maker make;
};

constexpr Keyword kEvents[] = {
    {"kill", makeRecord<EKill>},
    {"item_get", makeRecord<EIGet>},
    {"dom_playerscore_update", makeRecord<EDPScore>},
    {"dom_score_update", makeRecord<EDScore>},
    {"suicide", makeRecord<ESuicide>},
    {"headshot", makeRecord<EHeadShot>},
    {"teamkill", makeRecord<ETKill>},
    {"typing", makeRecord<ETyping>},
    {"item_activate", makeRecord<EIActivate>},
    {"item_deactivate", makeRecord<EIDeactivate>},
    {"flag_taken", makeRecord<EFTaken>},
    {"flag_dropped", makeRecord<EFDropped>},
    {"flag_pickedup", makeRecord<EFPickedup>},
    {"flag_captured", makeRecord<EFCaptured>},
    {"flag_returned", makeRecord<EFReturned>},
    {"flag_returned_timeout", makeRecord<EFReturnedt>},
    {"controlpoint_capture", makeRecord<ECPCapture>},
    {"throw_blinker", makeRecord<EBlinkThrow>},
    {"warp", makeRecord<EBlink>},
    {"warp_gib", makeRecord<EBlinkGib>},
    {"warp_fail", makeRecord<EBlinkFail>},
    {"assault_timelimit", makeRecord<EATimelimit>},
    {"assault_gamecode", makeRecord<EAGamecode>},
    {"assault_defender", makeRecord<EADefender>},
    {"assault_attacker", makeRecord<EAAttacker>},
    {"game_start", makeRecord<EGStart>},
    {"game_end", makeRecord<EGEnd>},
    {"info", makeRecord<EInfo>},
    {"map", makeRecord<EMap>},
    {"game", makeRecord<EGame>},
};

constexpr Keyword kPlayerEvents[] = {
    {"Ping", makeRecord<EPPing>},
    {"Connect", makeRecord<EPConnect>},
    {"Disconnect", makeRecord<EPDisconnect>},
    {"Rename", makeRecord<EPRename>},
    {"Team", makeTeam<false>},
    {"Teamchange", makeTeam<true>},
    {"TeamID", makeRecord<EPTeamID>},
    {"TeamName", makeRecord<EPTeamName>},
    {"IsABot", makeRecord<EPBot>},
    {"Novice", makeRecord<EPNovice>},
    {"Skill", makeRecord<EPSkill>},
};

template <size_t N>
Maker lookUp(const Keyword (&table)[N], std::string_view word) {
  for (const Keyword& k : table)
    if (k.word == word) return k.make;
  return nullptr;
}

bool countsTheMatch(std::string_view keyword) {
  return keyword == "kill" || keyword == "suicide" || keyword == "teamkill";
}

// The player number of a record that the server may write just before a
// connection of the same player, or none for any other record.
std::optional<int32_t> connectEchoPNum(const Event& e) {
  if (auto* t = eventAs<EPTeam>(e)) return t->pNum;
  if (auto* r = eventAs<EPRename>(e)) return r->pNum;
  return std::nullopt;
}

// The connect rule (see EventList::parse); `events` ends with the record of
// the line before the connect.
void dropConnectEchoes(EventList::Events& events, const EPConnect& connect) {
  while (!events.empty()) {
    const Event& last = *events.back();
    std::optional<int32_t> pNum = connectEchoPNum(last);
    // Only the connecting player's own records go: two players connecting at
    // the same moment must not lose each other's team or name.
    if (!pNum || *pNum != connect.pNum || last.time != connect.time) break;
    events.pop_back();
  }
}

}  // namespace

std::unique_ptr<Event> EventList::make(const Fields& f) {
  if (f.size() < 2)
    throw base::FormatError("line without keyword: \"" + (f.empty() ? std::string() : f[0]) + "\"");
  const std::string& keyword = f[1];
  if (keyword == "player") {
    if (f.size() < 3)
      throw base::FormatError("player line without second keyword at time \"" + f[0] + "\"");
    if (Maker m = lookUp(kPlayerEvents, f[2])) return m(f);
    Debug::print("Unknown Event: player " + f[2], 0);
    return nullptr;
  }
  if (Maker m = lookUp(kEvents, keyword)) return m(f);
  Debug::print("Unknown Event: " + keyword, 0);
  return nullptr;
}

std::optional<EventList::Events> EventList::parse(const std::vector<std::vector<std::string>>& l) {
  Debug::print("I bf.EventList.parse", 1);
  Events events;
  bool validGame = false;
  try {
    // True when the line before gave a valid record, which is then the last
    // of `events`; an unknown or failed line, or an invalid record, clears it.
    bool previousKept = false;
    for (const Fields& f : l) {
      std::unique_ptr<Event> e;
      try {
        if (f.size() >= 2 && countsTheMatch(f[1])) validGame = true;
        e = make(f);
      } catch (const std::exception& ex) {
        // One bad field costs its line, not the rest of the match.
        util::traceFailure("bf.EventList", "parse", ex);
        previousKept = false;
        continue;
      }
      if (!e) {
        previousKept = false;
        continue;
      }
      if (previousKept && e->isValid()) {
        if (auto* c = eventAs<EPConnect>(*e)) dropConnectEchoes(events, *c);
      }
      previousKept = e->isValid();
      if (previousKept) events.push_back(std::move(e));
    }
  } catch (const std::exception& ex) {
    util::traceFailure("bf.EventList", "parse", ex);
    Debug::print("O bf.EventList.parse", 1);
    return events;
  }
  Debug::print("O bf.EventList.parse", 1);
  if (!validGame) return std::nullopt;
  return events;
}

}  // namespace games::bf
