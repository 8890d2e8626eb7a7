#include <algorithm>
#include <set>

#include <windows.h>

#include "platform/EventLoop.h"
#include "platform/WideText.h"

namespace platform {

// The hidden window and what its procedure needs.
struct EventLoop::Native {
  HWND window = nullptr;
  // The registered "QueryCancelAutoPlay" (0 until the window's first message).
  UINT autoPlayQuery = 0;
  // The handler of the running loop; null outside run().
  const AnsweringHandler* handler = nullptr;
  std::set<int64_t> timers;

  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

LRESULT CALLBACK EventLoop::Native::procedure(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* self = reinterpret_cast<Native*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (self->autoPlayQuery == 0)
    self->autoPlayQuery = ::RegisterWindowMessageW(L"QueryCancelAutoPlay");
  uint32_t id = 0;
  if (self->autoPlayQuery != 0 && message == self->autoPlayQuery) {
    id = kQueryCancelAutoPlay;
  } else if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    ::BeginPaint(hwnd, &paint);
    ::EndPaint(hwnd, &paint);
    return 0;
  } else if (message == WM_TIMER || message == WM_CLOSE || message == WM_DESTROY ||
             (message >= WM_USER && message < 0xC000)) {
    id = message;  // the loop's own messages keep their numbers
  } else {
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (self->handler == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return static_cast<LRESULT>((*self->handler)(LoopMessage{id, static_cast<int64_t>(wParam)}));
}

bool EventLoop::timersFollowThePlatformClock() { return false; }

EventLoop::EventLoop() : EventLoop(LoopWindow{}) {}

EventLoop::EventLoop(const LoopWindow& look) : native_(std::make_unique<Native>()) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const std::wstring className = detail::wideText(look.className);
  const std::wstring title = detail::wideText(look.title);
  WNDCLASSW windowClass = {};
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
  windowClass.lpfnWndProc = &Native::procedure;
  windowClass.hInstance = instance;
  if (look.iconResource != 0)
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(look.iconResource));
  windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = className.c_str();
  // A second loop in the same program finds the class there already.
  classRegistered_ =
      ::RegisterClassW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  // Style 0: the window is never shown.
  native_->window =
      ::CreateWindowExW(0, className.c_str(), title.c_str(), 0, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  windowMade_ = native_->window != nullptr;
  if (windowMade_)
    ::SetWindowLongPtrW(native_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(native_.get()));
}

EventLoop::~EventLoop() {
  if (native_->window == nullptr) return;
  native_->handler = nullptr;
  for (int64_t id : native_->timers) ::KillTimer(native_->window, static_cast<UINT_PTR>(id));
  ::SetWindowLongPtrW(native_->window, GWLP_USERDATA, 0);
  ::DestroyWindow(native_->window);
}

void EventLoop::post(LoopMessage m) {
  if (native_->window != nullptr)
    ::PostMessageW(native_->window, m.id, static_cast<WPARAM>(m.param), 0);
}

void EventLoop::setTimer(int64_t timerId, int64_t intervalMillis) {
  if (native_->window == nullptr) return;
  const auto interval = static_cast<UINT>(std::clamp<int64_t>(intervalMillis, 1, 0x7FFFFFFF));
  if (::SetTimer(native_->window, static_cast<UINT_PTR>(timerId), interval, nullptr) != 0)
    native_->timers.insert(timerId);
}

void EventLoop::killTimer(int64_t timerId) {
  if (native_->timers.erase(timerId) > 0)
    ::KillTimer(native_->window, static_cast<UINT_PTR>(timerId));
}

bool EventLoop::hasTimer(int64_t timerId) const { return native_->timers.count(timerId) > 0; }

void EventLoop::quit(int code) {
  quitting_ = true;
  quitCode_ = code;
  ::PostQuitMessage(code);
}

LoopMessage EventLoop::next() { return LoopMessage{}; }  // the system's queue is used instead

int EventLoop::run(const Handler& handler) {
  return runAnswering([&handler](const LoopMessage& m) -> int64_t {
    handler(m);
    return 0;
  });
}

int EventLoop::runAnswering(const AnsweringHandler& handler) {
  if (native_->window == nullptr) return -1;
  native_->handler = &handler;
  int code = -1;
  MSG message;
  while (true) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      code = static_cast<int>(message.wParam);  // the quit message's code
      break;
    }
    if (got == -1) break;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  native_->handler = nullptr;
  return code;
}

}  // namespace platform
