#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace programs::vardo {

// The run lock files of the database directory: "<millis>.lock", created by
// a working run at the top of every loop turn. A lock counts as alive for
// five minutes after the time in its name (and when that time lies in the
// future). The file names the run that wrote it:
//
//   <process id> <host name>\n
//
// so that a lock left by a run that was killed is stale at once on the host
// that wrote it, when no process of that id runs there any more. An empty or
// unreadable lock file (older versions wrote them empty), or one written on
// another host, falls back to the five-minute rule.
class RunLock {
 public:
  static constexpr int64_t kLifeMillis = 300000;

  // The owner line of a lock written by this process ("" when the host
  // name cannot be had: such a lock is judged by its age alone).
  static std::string ownerText();

  // Whether the lock file `name` with content `text` (none when it could not
  // be read) still belongs to a live run at wall-clock time `now`. Throws
  // base::NumberFormatError when the part of the name before ".lock" is not
  // a number.
  static bool alive(std::string_view name, const std::optional<std::string>& text, int64_t now);

  // The process id and host of an owner line; none when `text` has another
  // shape.
  struct Owner {
    int pid = 0;
    std::string host;
  };
  static std::optional<Owner> ownerOf(std::string_view text);
};

}  // namespace programs::vardo
