#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Socket.h"

namespace uploader {

// Reads the collector's replies from a connection. TCP may deliver one
// reply in pieces or two replies at once, so a reply is read across
// receives and taken as complete at the first of:
//   - its first LF (the bytes up to and including it),
//   - `limit` bytes,
//   - a pause: once a reply has begun, no further byte for the quiet time
//     (a collector that answers without LF and keeps the connection open
//     would otherwise hold the uploader for ever),
//   - the end of the connection (what arrived before it, possibly nothing).
// What arrived after a reply is kept for the next one. The wait for a
// reply's first byte has no limit. Every byte value, NUL included, is kept.
class ReplyReader {
 public:
  // The size of the receive buffer, and the longest reply.
  static constexpr size_t kBufferSize = 64000;
  // How long a begun reply without LF may pause before it counts as whole.
  static constexpr int64_t kQuietMillis = 2000;

  explicit ReplyReader(int64_t quietMillis = kQuietMillis) : quietMillis_(quietMillis) {}

  // False when a receive failed before the reply was complete.
  bool next(platform::Connection& connection, size_t limit, std::string* reply);
  // Drops everything received so far: what is pending, and what the
  // connection already holds (as far as it can tell without waiting, and at
  // most kBufferSize bytes of it), so that the next reply is made of bytes
  // that arrive after this call. Returns the number of bytes dropped.
  size_t discard(platform::Connection& connection);
  // Forgets what is pending (for a new connection).
  void reset();

 private:
  int64_t quietMillis_;
  std::string pending_;
  std::vector<char> buffer_;
  bool closed_ = false;
  bool failed_ = false;
};

}  // namespace uploader
