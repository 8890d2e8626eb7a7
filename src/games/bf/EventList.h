#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "games/bf/Event.h"

namespace games::bf {

// Turns the tokenized lines of one log into its event records.
class EventList {
 public:
  using Events = std::vector<std::unique_ptr<Event>>;

  // The valid records of `l` (lines as games::Zorlog::parse gives them), in
  // log order; none when no line has the keyword "kill", "suicide" or
  // "teamkill" (a match without such a line is not counted, even when that
  // line proved bad). Traces "I bf.EventList.parse" and "O bf.EventList.parse"
  // (severity 1).
  //
  // Lines that give no record: a line too short for its record (its "Bad
  // '...' Event" message), an unknown keyword ("Unknown Event: " + keyword, or
  // "Unknown Event: player " + second keyword), and a line that make() fails
  // on ("Error in bf.EventList.parse: " + the failure text); all at severity
  // 0. Each is left out alone and reading goes on with the next line.
  //
  // A valid "player" "Connect" record first removes the records of the same
  // player that the server writes just before a connection: while the last
  // record gathered is an EPTeam or EPRename with the connect's time and pNum,
  // it is dropped. This applies only when the line just before the connect
  // gave that record; any other record stops it.
  //
  // Never throws; on an unexpected failure it traces the "Error in" line and
  // returns the records gathered so far.
  static std::optional<Events> parse(const std::vector<std::vector<std::string>>& l);

  // The record for one line, valid or not (see Events.h); null for an unknown
  // keyword or second keyword, after its "Unknown Event: " trace. Throws
  // base::Failure for a line of fewer than two fields, a "player" line of
  // fewer than three, or a field that does not parse as its type.
  static std::unique_ptr<Event> make(const Fields& f);
};

}  // namespace games::bf
