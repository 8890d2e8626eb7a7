#include "uploader/ReplyReader.h"

#include <algorithm>

namespace uploader {

using Readiness = platform::Connection::Readiness;

bool ReplyReader::next(platform::Connection& connection, size_t limit, std::string* reply) {
  limit = std::clamp<size_t>(limit, 1, kBufferSize);
  if (buffer_.empty()) buffer_.resize(kBufferSize);
  if (failed_) {
    failed_ = false;
    return false;
  }
  for (;;) {
    size_t lf = pending_.find('\n');
    if (lf != std::string::npos && lf < limit) {
      reply->assign(pending_, 0, lf + 1);
      pending_.erase(0, lf + 1);
      return true;
    }
    if (pending_.size() >= limit) {
      reply->assign(pending_, 0, limit);
      pending_.erase(0, limit);
      return true;
    }
    if (closed_ ||
        (!pending_.empty() && connection.waitReadable(quietMillis_) == Readiness::kQuiet)) {
      *reply = std::move(pending_);
      pending_.clear();
      return true;
    }
    long n = connection.receive(buffer_.data(), limit - pending_.size());
    if (n < 0) {
      pending_.clear();
      return false;
    }
    if (n == 0) {
      closed_ = true;
      continue;
    }
    pending_.append(buffer_.data(), static_cast<size_t>(n));
  }
}

size_t ReplyReader::discard(platform::Connection& connection) {
  if (buffer_.empty()) buffer_.resize(kBufferSize);
  size_t dropped = pending_.size();
  pending_.clear();
  // At most one buffer more: a peer that never stops sending must not keep
  // the uploader here.
  size_t taken = 0;
  while (!closed_ && !failed_ && taken < kBufferSize &&
         connection.waitReadable(0) == Readiness::kReadable) {
    long n = connection.receive(buffer_.data(), kBufferSize - taken);
    if (n > 0) {
      taken += static_cast<size_t>(n);
      dropped += static_cast<size_t>(n);
    } else if (n == 0) {
      closed_ = true;
    } else {
      failed_ = true;  // reported by the next reply
    }
  }
  return dropped;
}

void ReplyReader::reset() {
  pending_.clear();
  closed_ = false;
  failed_ = false;
}

}  // namespace uploader
