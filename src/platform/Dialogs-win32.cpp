#include <windows.h>

#include "platform/LauncherWin32.h"
#include "platform/WideText.h"

namespace platform::detail {
namespace {

// The notice's procedure: nothing to answer; closing it destroys it.
INT_PTR CALLBACK noticeProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE:
      ::DestroyWindow(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

// A modeless dialog, destroyed with the object (on the thread that made it).
class DialogNotice : public Notice {
 public:
  explicit DialogNotice(HWND dialog) : dialog_(dialog) {}
  DialogNotice(const DialogNotice&) = delete;
  DialogNotice& operator=(const DialogNotice&) = delete;
  ~DialogNotice() override {
    if (dialog_ != nullptr && ::IsWindow(dialog_)) ::DestroyWindow(dialog_);
  }

 private:
  HWND dialog_;
};

// Nothing could be shown.
class NoNotice : public Notice {};

}  // namespace

WindowsDialogs::WindowsDialogs(std::vector<NoticeDialog> notices) : notices_(std::move(notices)) {}

void WindowsDialogs::message(const std::string& text, const std::string& caption) {
  ::MessageBoxW(::GetFocus(), wideText(text).c_str(), wideText(caption).c_str(), MB_OK);
}

Dialogs::Answer WindowsDialogs::okCancel(const std::string& text, const std::string& caption) {
  const int answer =
      ::MessageBoxW(::GetFocus(), wideText(text).c_str(), wideText(caption).c_str(), MB_OKCANCEL);
  return answer == IDOK ? Answer::Ok : Answer::Cancel;
}

std::unique_ptr<Notice> WindowsDialogs::notice(const std::string& text) {
  if (notices_.empty()) return std::make_unique<NoNotice>();
  const NoticeDialog* chosen = &notices_.front();
  for (const NoticeDialog& n : notices_)
    if (n.text == text) chosen = &n;
  HWND dialog = ::CreateDialogParamW(
      ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(chosen->resource), nullptr, noticeProcedure, 0);
  if (dialog == nullptr) return std::make_unique<NoNotice>();
  if (chosen->text != text) {
    // The first static text of the dialog says it instead.
    HWND child = ::GetWindow(dialog, GW_CHILD);
    if (child != nullptr) ::SetWindowTextW(child, wideText(text).c_str());
  }
  ::ShowWindow(dialog, SW_SHOW);
  ::UpdateWindow(dialog);
  return std::make_unique<DialogNotice>(dialog);
}

}  // namespace platform::detail
