#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

// A message for an event loop.
struct LoopMessage {
  uint32_t id = 0;
  int64_t param = 0;
};

// How the window behind a loop is known to the system. On Windows the loop is
// a hidden top-level window of this class (registered by the loop), title
// and icon (a resource of the program, 0 for none) with the thread's message
// queue; on Linux there is no window and these are not used.
struct LoopWindow {
  std::string className = "BrimEventLoop";
  std::string title;
  int iconResource = 0;
};

// The message loop of a program's main thread: messages posted from any
// thread are handled in order on the thread that runs the loop. On Linux the
// loop is in memory and timers fire on the platform clock
// (platform::clock()), so that a test with a fake clock runs a 20-second timer
// at once. On Windows it is a hidden window made on the thread that
// constructs the loop (which must be the one that runs it): posted messages
// are window messages, timers the window's timers on the system's clock.
class EventLoop {
 public:
  // The message of a timer that is due; its param is the timer's id.
  static constexpr uint32_t kTimerMessage = 0x0113;
  // The shell's question whether the AutoPlay of a medium just inserted is
  // to be cancelled (on Windows, the registered message "QueryCancelAutoPlay",
  // which reaches the handler under this id); an answer of 1 cancels it.
  static constexpr uint32_t kQueryCancelAutoPlay = 0xC000;
  // How long the loop sleeps at most, while timers are pending, before it
  // looks for posted messages again.
  static constexpr int64_t kPollMillis = 20;

  // Whether timers fire on the platform clock, so that a fake clock runs
  // them (Linux), or on the system's own clock (Windows).
  static bool timersFollowThePlatformClock();

  using Handler = std::function<void(const LoopMessage&)>;
  // A handler that answers each message (the window procedure's result).
  using AnsweringHandler = std::function<int64_t(const LoopMessage&)>;

  EventLoop();
  explicit EventLoop(const LoopWindow& window);
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;
  ~EventLoop();

  // Whether the loop's window class could be registered and its window made
  // (always so on Linux). Without a window nothing is ever handled and run()
  // returns at once with -1.
  bool classRegistered() const { return classRegistered_; }
  bool windowMade() const { return windowMade_; }

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
  // The same with the handler's answers, which the system gets where it
  // asked (Windows); the messages the handler gets are fully handled by it.
  int runAnswering(const AnsweringHandler& handler);

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
  bool classRegistered_ = true;
  bool windowMade_ = true;
  // What the system's side keeps (Windows: the hidden window).
  struct Native;
  std::unique_ptr<Native> native_;
};

}  // namespace platform
