#pragma once

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Socket.h"

namespace testing_support {

// A collector that answers in its own time. Its bytes come in steps, each
// what one receive() hands out; a step may come only after the uploader has
// made a number of sends (a collector that answers what it was sent), and a
// pause step stands for a silence longer than any quiet time. It never
// blocks: a receive() that would wait for ever on a real connection fails
// the test and reports a failure instead. Nothing here takes real time.
class PacedConnection : public platform::Connection {
 public:
  struct Step {
    std::string bytes;
    int afterSends = 0;  // comes once this many sends were made
    bool pause = false;
  };
  // What the collector does once every step is out.
  enum class Then { kEnd, kSilence, kFailure };

  std::deque<Step> steps;
  Then then = Then::kEnd;
  std::vector<std::string> sends;
  std::vector<int64_t> waits;  // the time given to every waitReadable()
  int receives = 0;

  static Step pause() { return Step{"", 0, true}; }
  void add(std::string bytes, int afterSends = 0) {
    steps.push_back(Step{std::move(bytes), afterSends, false});
  }

  long sendOnce(const char* data, size_t size) override {
    sends.emplace_back(data, size);
    return static_cast<long>(size);
  }

  Readiness waitReadable(int64_t millis) override {
    waits.push_back(millis);
    if (steps.empty()) return then == Then::kSilence ? Readiness::kQuiet : Readiness::kReadable;
    const Step& s = steps.front();
    // A pause outlasts any wait; so does a step that needs more sends.
    return s.pause || !due(s) ? Readiness::kQuiet : Readiness::kReadable;
  }

  long receive(char* data, size_t size) override {
    ++receives;
    // A blocking receive sits out a pause.
    while (!steps.empty() && steps.front().pause) steps.pop_front();
    if (steps.empty()) {
      if (then == Then::kEnd) return 0;
      if (then == Then::kSilence) ADD_FAILURE() << "receive() would wait for ever";
      return -1;
    }
    Step& s = steps.front();
    if (!due(s)) {
      ADD_FAILURE() << "receive() would wait for ever for bytes that come after a send";
      return -1;
    }
    size_t n = std::min(size, s.bytes.size());
    std::memcpy(data, s.bytes.data(), n);
    s.bytes.erase(0, n);
    if (s.bytes.empty()) steps.pop_front();
    return static_cast<long>(n);
  }

 private:
  bool due(const Step& s) const { return static_cast<int>(sends.size()) >= s.afterSends; }
};

// Hands out prepared paced connections in turn; refuses once they are used.
class PacedNetwork : public platform::Network {
 public:
  PacedConnection& add() {
    owned_.push_back(std::make_shared<PacedConnection>());
    ready_.push_back(owned_.back());
    return *owned_.back();
  }

  std::unique_ptr<platform::Connection> connect(const std::string&, uint16_t) override {
    if (ready_.empty()) return nullptr;
    auto c = ready_.front();
    ready_.pop_front();
    return std::make_unique<Forward>(c);
  }

 private:
  struct Forward : platform::Connection {
    explicit Forward(std::shared_ptr<PacedConnection> c) : c_(std::move(c)) {}
    long sendOnce(const char* d, size_t n) override { return c_->sendOnce(d, n); }
    long receive(char* d, size_t n) override { return c_->receive(d, n); }
    Readiness waitReadable(int64_t millis) override { return c_->waitReadable(millis); }
    std::shared_ptr<PacedConnection> c_;
  };
  std::vector<std::shared_ptr<PacedConnection>> owned_;
  std::deque<std::shared_ptr<PacedConnection>> ready_;
};

}  // namespace testing_support
