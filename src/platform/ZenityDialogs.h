#pragma once

#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace platform {

// Dialogs on the desktop, drawn by the dialog program "zenity" (Debian
// package zenity). A box that the program cannot show (not installed, no
// display, an error status) is shown by `fallback` instead.
class ZenityDialogs : public Dialogs {
 public:
  // `program` is the dialog program's name or path.
  ZenityDialogs(std::string program, Dialogs& fallback);

  void message(const std::string& text, const std::string& caption) override;
  Answer okCancel(const std::string& text, const std::string& caption) override;
  std::unique_ptr<Notice> notice(const std::string& text) override;

  // The dialog program's command lines for each kind of box.
  std::vector<std::string> messageCommand(const std::string& text,
                                          const std::string& caption) const;
  std::vector<std::string> okCancelCommand(const std::string& text,
                                           const std::string& caption) const;
  std::vector<std::string> noticeCommand(const std::string& text) const;

 private:
  std::string program_;
  Dialogs& fallback_;
};

}  // namespace platform
