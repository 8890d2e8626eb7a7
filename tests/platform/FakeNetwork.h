#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Socket.h"

namespace testing_support {

// A connection that answers with scripted pieces: each receive() hands out
// the next piece (cut to the size asked for, the rest kept); with no piece
// left it reports the end of the connection, or a failure when told so.
// Everything sent is recorded, one entry per send call.
class ScriptedConnection : public platform::Connection {
 public:
  std::deque<std::string> pieces;
  bool failWhenEmpty = false;
  // Accept only this many bytes of the send call numbered `shortSendAt`.
  int shortSendAt = -1;
  long shortSendBytes = 0;
  std::vector<std::string> sends;

  long sendOnce(const char* data, size_t size) override {
    long accepted = static_cast<long>(size);
    if (static_cast<int>(sends.size()) == shortSendAt) accepted = shortSendBytes;
    sends.emplace_back(data, static_cast<size_t>(accepted < 0 ? 0 : accepted));
    return accepted;
  }
  long receive(char* data, size_t size) override {
    if (pieces.empty()) return failWhenEmpty ? -1 : 0;
    std::string& p = pieces.front();
    size_t n = std::min(size, p.size());
    std::memcpy(data, p.data(), n);
    p.erase(0, n);
    if (p.empty()) pieces.pop_front();
    return static_cast<long>(n);
  }
  std::string allSent() const {
    std::string s;
    for (const auto& x : sends) s += x;
    return s;
  }
};

// Hands out prepared connections per "host:port"; an endpoint without one
// refuses. Records every attempt in order.
class FakeNetwork : public platform::Network {
 public:
  std::vector<std::string> attempts;

  // The connection the next connect to host:port gets (kept alive here so
  // tests can examine it afterwards).
  ScriptedConnection& add(const std::string& endpoint) {
    owned_.push_back(std::make_shared<ScriptedConnection>());
    queue_[endpoint].push_back(owned_.back());
    return *owned_.back();
  }

  std::unique_ptr<platform::Connection> connect(const std::string& host, uint16_t port) override {
    std::string e = host + ":" + std::to_string(port);
    attempts.push_back(e);
    auto it = queue_.find(e);
    if (it == queue_.end() || it->second.empty()) return nullptr;
    auto c = it->second.front();
    it->second.pop_front();
    return std::make_unique<Forward>(c);
  }

 private:
  struct Forward : platform::Connection {
    explicit Forward(std::shared_ptr<ScriptedConnection> c) : c_(std::move(c)) {}
    long sendOnce(const char* d, size_t n) override { return c_->sendOnce(d, n); }
    long receive(char* d, size_t n) override { return c_->receive(d, n); }
    std::shared_ptr<ScriptedConnection> c_;
  };
  std::vector<std::shared_ptr<ScriptedConnection>> owned_;
  std::map<std::string, std::deque<std::shared_ptr<ScriptedConnection>>> queue_;
};

}  // namespace testing_support
