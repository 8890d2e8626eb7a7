#include <atomic>
#include <future>
#include <thread>

#include <windows.h>

#include "platform/ProgressWindow.h"
#include "platform/WideText.h"

namespace platform {
namespace {

// A fixed-size window with a title bar, a close box and a minimize box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = 0;
// One-line texts: no wrapping, no "&" prefixes, centred vertically, cut with
// "..." when too long.
constexpr DWORD kFieldStyle =
    WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_CENTERIMAGE | SS_ENDELLIPSIS;

// Messages the program's thread sends to the window's thread.
constexpr UINT kShow = WM_APP + 1;  // lParam: the Layout
constexpr UINT kHide = WM_APP + 2;
constexpr UINT kDestroy = WM_APP + 3;

const wchar_t kClassName[] = L"BrimProgressWindow";

COLORREF rgbOf(const ProgressWindow::Colour& c) {
  return RGB(static_cast<BYTE>(c.r), static_cast<BYTE>(c.g), static_cast<BYTE>(c.b));
}

void replaceBrush(HBRUSH& brush, COLORREF colour) {
  if (brush != nullptr) ::DeleteObject(brush);
  brush = ::CreateSolidBrush(colour);
}

}  // namespace

struct ProgressWindow::State {
  std::thread thread;
  HWND window = nullptr;
  HWND fields[2] = {nullptr, nullptr};
  HFONT font = nullptr;
  HBRUSH background = nullptr;
  HBRUSH fieldBackground[2] = {nullptr, nullptr};
  COLORREF fieldBack[2] = {0, 0};
  COLORREF fieldText[2] = {0, 0};
  Insets insets;
  std::atomic<bool> closeRequested{false};
  // Set by the window's thread once the window is made (or cannot be).
  std::promise<bool> made;

  ~State() {
    if (font != nullptr) ::DeleteObject(font);
    if (background != nullptr) ::DeleteObject(background);
    for (HBRUSH b : fieldBackground)
      if (b != nullptr) ::DeleteObject(b);
  }

  // On the window's thread.
  void layOut(const Layout& l) {
    ::SetWindowTextW(window, detail::wideText(l.title).c_str());
    replaceBrush(background, rgbOf(l.background));
    for (int i = 0; i < 2; ++i) {
      const Field& f = l.fields[i];
      fieldBack[i] = rgbOf(f.background);
      fieldText[i] = rgbOf(f.foreground);
      replaceBrush(fieldBackground[i], fieldBack[i]);
      // Child windows are placed in client coordinates.
      ::MoveWindow(fields[i], f.x - insets.left, f.y - insets.top, f.width, f.height, FALSE);
      ::SetWindowTextW(fields[i], detail::wideText(f.text).c_str());
    }
    ::SetWindowPos(window, nullptr, l.x, l.y, l.width, l.height,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    ::InvalidateRect(window, nullptr, TRUE);
    ::UpdateWindow(window);
  }

  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* s = reinterpret_cast<State*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (s == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
      case WM_ERASEBKGND: {
        if (s->background == nullptr) break;
        RECT r;
        ::GetClientRect(hwnd, &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, s->background);
        return 1;
      }
      case WM_CTLCOLORSTATIC:
        for (int i = 0; i < 2; ++i) {
          if (reinterpret_cast<HWND>(lParam) == s->fields[i] && s->fieldBackground[i] != nullptr) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, s->fieldText[i]);
            ::SetBkColor(dc, s->fieldBack[i]);
            return reinterpret_cast<LRESULT>(s->fieldBackground[i]);
          }
        }
        break;
      case WM_CLOSE:
        // Closing only hides the window; the program goes on. The request
        // is noted first: hiding can take a while on some desktops.
        s->closeRequested = true;
        ::ShowWindow(hwnd, SW_HIDE);
        return 0;
      case kShow:
        s->layOut(*reinterpret_cast<const Layout*>(lParam));
        return 0;
      case kHide:
        ::ShowWindow(hwnd, SW_HIDE);
        return 0;
      case kDestroy:
        ::DestroyWindow(hwnd);
        return 0;
      case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
      default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }

  // The window's thread: makes the window, reports whether it could, then
  // serves its messages until it is destroyed.
  void run() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &State::procedure;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      made.set_value(false);
      return;
    }
    window = ::CreateWindowExW(kExStyle, kClassName, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (window == nullptr) {
      made.set_value(false);
      return;
    }
    // The texts in the desktop's font for messages.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
      font = ::CreateFontIndirectW(&metrics.lfMessageFont);
    for (HWND& field : fields) {
      field = ::CreateWindowExW(0, L"STATIC", L"", kFieldStyle, 0, 0, 0, 0, window, nullptr,
                                instance, nullptr);
      if (font != nullptr) ::SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    made.set_value(true);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
};

std::unique_ptr<ProgressWindow> ProgressWindow::open() {
  auto state = std::make_unique<State>();
  RECT r{0, 0, 400, 100};
  if (!::AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle)) return nullptr;
  state->insets = {-r.top, -r.left, r.bottom - 100, r.right - 400};
  State* s = state.get();
  std::future<bool> ready = s->made.get_future();
  try {
    s->thread = std::thread([s] { s->run(); });
  } catch (const std::system_error&) {
    return nullptr;
  }
  if (!ready.get()) {
    s->thread.join();
    return nullptr;
  }
  return std::unique_ptr<ProgressWindow>(new ProgressWindow(std::move(state)));
}

ProgressWindow::ProgressWindow(std::unique_ptr<State> state) : state_(std::move(state)) {}

ProgressWindow::~ProgressWindow() {
  ::PostMessageW(state_->window, kDestroy, 0, 0);
  state_->thread.join();
}

ProgressWindow::Insets ProgressWindow::insets() const { return state_->insets; }

// The window's thread does the work; these calls wait until it is done.
void ProgressWindow::show(const Layout& layout) {
  ::SendMessageW(state_->window, kShow, 0, reinterpret_cast<LPARAM>(&layout));
}

void ProgressWindow::setText(int index, const std::string& text) {
  if (index < 0 || index > 1) return;
  ::SetWindowTextW(state_->fields[index], detail::wideText(text).c_str());
}

void ProgressWindow::hide() { ::SendMessageW(state_->window, kHide, 0, 0); }

bool ProgressWindow::closeRequested() { return state_->closeRequested.exchange(false); }

}  // namespace platform
