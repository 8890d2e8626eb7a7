#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/Dialogs.h"
#include "platform/EventLoop.h"

namespace zephgo {

// The program's hidden window: the main thread's event loop with the
// window's message handling. It holds the result code and the AutoPlay state
// that the worker thread writes.
class Window {
 public:
  // Messages.
  static constexpr uint32_t kDestroy = 0x0002;
  static constexpr uint32_t kClose = 0x0010;
  static constexpr uint32_t kTimer = platform::EventLoop::kTimerMessage;
  // Posted by the worker once the browser was started.
  static constexpr uint32_t kBrowserStarted = 5355;
  // The shell's registered "QueryCancelAutoPlay" message.
  static constexpr uint32_t kQueryCancelAutoPlay = platform::EventLoop::kQueryCancelAutoPlay;

  // Timers: the window's own, and the one of the notice it shows.
  static constexpr int64_t kCloseTimer = 5355;
  static constexpr int64_t kNoticeTimer = 1;
  static constexpr int64_t kCloseAfterMillis = 20000;
  static constexpr int64_t kNoticeMillis = 18000;

  // AutoPlay states.
  static constexpr int kAutoPlayNormal = 1;
  static constexpr int kAutoPlaySuppressed = 0;

  // `look` names the system's window behind the loop (Windows).
  explicit Window(platform::Dialogs& dialogs, const platform::LoopWindow& look = {});

  // Any thread.
  void post(uint32_t message);
  void close() { post(kClose); }
  void setResult(int32_t result) { result_.store(result); }
  int32_t result() const { return result_.load(); }
  void setAutoPlayState(int state) { autoPlay_.store(state); }
  int autoPlayState() const { return autoPlay_.load(); }

  // The message handling (main thread): returns the message's answer.
  int64_t handle(const platform::LoopMessage& m);
  // Runs the event loop until the window is destroyed; returns the result
  // code as it was then.
  int run();

  // Whether the system's window class and window could be made.
  bool classRegistered() const { return loop_.classRegistered(); }
  bool windowMade() const { return loop_.windowMade(); }

  bool destroyed() const { return destroyed_; }
  bool noticeShown() const { return notice_ != nullptr; }

 private:
  void destroy();

  platform::EventLoop loop_;
  platform::Dialogs& dialogs_;
  std::atomic<int32_t> result_;
  std::atomic<int> autoPlay_{kAutoPlayNormal};
  bool destroyed_ = false;
  std::unique_ptr<platform::Notice> notice_;
};

}  // namespace zephgo
