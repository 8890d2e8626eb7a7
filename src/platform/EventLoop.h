#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace platform {

// A message for an event loop.
struct LoopMessage {
  uint32_t id = 0;
  int64_t param = 0;
};

// The message loop of a program's main thread: messages posted from any
// thread are handled in order on the thread that runs the loop, and timers
// fire on the platform clock (platform::clock()), so that a test with a fake
// clock runs a 20-second timer at once.
class EventLoop {
 public:
  // The message of a timer that is due; its param is the timer's id.
  static constexpr uint32_t kTimerMessage = 0x0113;
  // How long the loop sleeps at most, while timers are pending, before it
  // looks for posted messages again.
  static constexpr int64_t kPollMillis = 20;

  using Handler = std::function<void(const LoopMessage&)>;

  // Queues a message; any thread may call it.
  void post(LoopMessage m);

  // Timers (loop thread only). A timer fires every `intervalMillis` until it
  // is killed; setting a timer with the id of a running one restarts it.
  void setTimer(int64_t timerId, int64_t intervalMillis);
  void killTimer(int64_t timerId);
  [[nodiscard]] bool hasTimer(int64_t timerId) const;

  // Ends run() after the current message, with `code` (loop thread only).
  void quit(int code);

  // Hands every message to `handler` until quit() is called; returns the
  // quit code. Posted messages come before timers that are due.
  int run(const Handler& handler);

 private:
  struct Timer {
    int64_t interval = 0;
    int64_t due = 0;
  };
  // The next message to handle; waits for one while there is none.
  LoopMessage next();

  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<LoopMessage> queue_;
  std::map<int64_t, Timer> timers_;  // touched by the loop thread only
  bool quitting_ = false;
  int quitCode_ = 0;
};

}  // namespace platform
