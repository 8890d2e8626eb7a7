#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Dialogs.h"

namespace platform {

// Dialogs without a display. A box is written as "[caption] text" on
// `out`; an OK/Cancel box then asks "OK or Cancel? " and reads the answer
// from `in` when `inIsTerminal` (an empty line is OK, as the default button;
// the end of input is Cancel), and is answered Cancel otherwise. When a
// script of answers is given (for example "OK,Cancel"), the boxes take their
// answers from it instead, one per box, and Cancel when it is used up.
// A notice is written once as its text on a line; the same notice shown again
// right after the previous one closed is not written twice.
class TerminalDialogs : public Dialogs {
 public:
  TerminalDialogs(std::FILE* out, std::FILE* in, bool inIsTerminal,
                  std::optional<std::string> script = std::nullopt);

  void message(const std::string& text, const std::string& caption) override;
  Answer okCancel(const std::string& text, const std::string& caption) override;
  std::unique_ptr<Notice> notice(const std::string& text) override;

  // One answer of a script or a terminal: "ok", "o", "yes", "y" or ""
  // are OK, "cancel", "c", "no", "n" Cancel (any case, blanks ignored);
  // none for anything else.
  static std::optional<Answer> parseAnswer(std::string_view word);

 private:
  // A line from `in` (at most 1024 bytes kept); none at the end of input.
  std::optional<std::string> readLine();

  std::FILE* out_;
  std::FILE* in_;
  bool inIsTerminal_;
  bool scripted_;
  std::vector<std::string> script_;
  size_t nextAnswer_ = 0;
  std::string lastNotice_;  // the text of the notice written last, if nothing came after
};

}  // namespace platform
