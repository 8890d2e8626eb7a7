#include "uploader/ReplyReader.h"

#include <algorithm>

namespace uploader {

bool ReplyReader::next(platform::Connection& connection, size_t limit, std::string* reply) {
  limit = std::clamp<size_t>(limit, 1, kBufferSize);
  if (buffer_.empty()) buffer_.resize(kBufferSize);
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
    if (closed_) {
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

void ReplyReader::reset() {
  pending_.clear();
  closed_ = false;
}

}  // namespace uploader
