#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Socket.h"

namespace uploader {

// Reads the collector's replies from a connection. TCP may deliver one
// reply in pieces or two replies at once, so a reply is taken as the bytes
// up to and including its first LF, at most `limit` bytes; what arrived
// after it is kept for the next reply. A reply cut short by the end of the
// connection is what arrived before the end (possibly nothing). Every byte
// value, NUL included, is kept.
class ReplyReader {
 public:
  // The size of the receive buffer, and the longest reply.
  static constexpr size_t kBufferSize = 64000;

  // False when a receive failed before the reply was complete.
  bool next(platform::Connection& connection, size_t limit, std::string* reply);
  // Forgets what is pending (for a new connection).
  void reset();

 private:
  std::string pending_;
  std::vector<char> buffer_;
  bool closed_ = false;
};

}  // namespace uploader
