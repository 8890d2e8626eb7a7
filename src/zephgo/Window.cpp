#include "zephgo/Window.h"

#include "zephgo/Messages.h"

namespace zephgo {

Window::Window(platform::Dialogs& dialogs, const platform::LoopWindow& look)
    : loop_(look), dialogs_(dialogs), result_(kInitialResult) {}

void Window::post(uint32_t message) { loop_.post(platform::LoopMessage{message, 0}); }

void Window::destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  loop_.killTimer(kCloseTimer);
  loop_.killTimer(kNoticeTimer);
  notice_.reset();
  handle(platform::LoopMessage{kDestroy, 0});
}

int64_t Window::handle(const platform::LoopMessage& m) {
  switch (m.id) {
    case kQueryCancelAutoPlay:
      return autoPlay_.load() == kAutoPlaySuppressed ? 1 : 0;
    case kDestroy:
      loop_.quit(result_.load());
      return 0;
    case kClose:
      destroy();
      return 0;
    case kBrowserStarted:
      if (destroyed_) return 0;
      loop_.setTimer(kCloseTimer, kCloseAfterMillis);
      notice_ = dialogs_.notice(kBrowserNotice);
      loop_.setTimer(kNoticeTimer, kNoticeMillis);
      return 0;
    case kTimer:
      if (m.param == kCloseTimer) {
        loop_.killTimer(kCloseTimer);
        destroy();
      } else if (m.param == kNoticeTimer) {
        loop_.killTimer(kNoticeTimer);
        notice_.reset();
      }
      return 0;
    default:
      return 0;
  }
}

int Window::run() {
  return loop_.runAnswering([this](const platform::LoopMessage& m) { return handle(m); });
}

}  // namespace zephgo
