#include "platform/TerminalDialogs.h"

#include "base/Text.h"

namespace platform {
namespace {

// A line without blanks before it and without blanks and its end after it.
std::string_view trim(std::string_view s) { return base::trim(s, " \t", " \t\r\n"); }

using base::equalsIgnoreCase;

class TerminalNotice : public Notice {};

}  // namespace

TerminalDialogs::TerminalDialogs(std::FILE* out, std::FILE* in, bool inIsTerminal,
                                 std::optional<std::string> script)
    : out_(out), in_(in), inIsTerminal_(inIsTerminal), scripted_(script.has_value()) {
  if (script) {
    std::string_view s = *script;
    while (true) {
      size_t comma = s.find(',');
      script_.emplace_back(trim(s.substr(0, comma)));
      if (comma == std::string_view::npos) break;
      s.remove_prefix(comma + 1);
    }
  }
}

std::optional<Dialogs::Answer> TerminalDialogs::parseAnswer(std::string_view word) {
  word = trim(word);
  for (auto ok : {"", "ok", "o", "yes", "y"})
    if (equalsIgnoreCase(word, ok)) return Answer::Ok;
  for (auto cancel : {"cancel", "c", "no", "n"})
    if (equalsIgnoreCase(word, cancel)) return Answer::Cancel;
  return std::nullopt;
}

void TerminalDialogs::message(const std::string& text, const std::string& caption) {
  lastNotice_.clear();
  std::fprintf(out_, "[%s] %s\n", caption.c_str(), text.c_str());
  std::fflush(out_);
}

std::optional<std::string> TerminalDialogs::readLine() {
  std::string line;
  int c;
  while ((c = std::fgetc(in_)) != EOF && c != '\n')
    if (line.size() < 1024) line += static_cast<char>(c);
  if (c == EOF && line.empty()) return std::nullopt;
  return line;
}

Dialogs::Answer TerminalDialogs::okCancel(const std::string& text, const std::string& caption) {
  message(text, caption);
  if (scripted_) {
    Answer a = Answer::Cancel;
    if (nextAnswer_ < script_.size()) {
      // An answer that is not OK or Cancel counts as Cancel, the safe way out.
      a = parseAnswer(script_[nextAnswer_++]).value_or(Answer::Cancel);
    }
    std::fprintf(out_, "OK or Cancel? %s\n", a == Answer::Ok ? "OK" : "Cancel");
    std::fflush(out_);
    return a;
  }
  if (!inIsTerminal_) {
    std::fprintf(out_, "OK or Cancel? Cancel\n");
    std::fflush(out_);
    return Answer::Cancel;
  }
  while (true) {
    std::fprintf(out_, "OK or Cancel? ");
    std::fflush(out_);
    auto line = readLine();
    if (!line) {
      std::fprintf(out_, "Cancel\n");
      return Answer::Cancel;
    }
    if (auto a = parseAnswer(*line)) return *a;
  }
}

std::unique_ptr<Notice> TerminalDialogs::notice(const std::string& text) {
  if (text != lastNotice_) {
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
  }
  lastNotice_ = text;
  return std::make_unique<TerminalNotice>();
}

}  // namespace platform
