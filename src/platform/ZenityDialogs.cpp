#include "platform/ZenityDialogs.h"

#include "base/Failure.h"
#include "platform/ChildProcess.h"

namespace platform {
namespace {

ChildProcess::Options dialogOptions() {
  ChildProcess::Options o;
  o.searchPath = true;
  o.nullInput = true;
  o.nullOutput = true;
  return o;
}

// Runs the dialog program to its end; -1 when it cannot be started.
int runDialog(const std::vector<std::string>& argv) {
  try {
    return ChildProcess::start(argv, dialogOptions()).wait();
  } catch (const base::Failure&) {
    return -1;
  }
}

// A notice drawn by the dialog program; destroying it ends that program.
class ZenityNotice : public Notice {
 public:
  explicit ZenityNotice(ChildProcess p) : process_(std::move(p)) {}

 private:
  ChildProcess process_;
};

}  // namespace

ZenityDialogs::ZenityDialogs(std::string program, Dialogs& fallback)
    : program_(std::move(program)), fallback_(fallback) {}

std::vector<std::string> ZenityDialogs::messageCommand(const std::string& text,
                                                       const std::string& caption) const {
  return {program_, "--info", "--no-markup", "--title=" + caption, "--text=" + text};
}

std::vector<std::string> ZenityDialogs::okCancelCommand(const std::string& text,
                                                        const std::string& caption) const {
  return {program_,         "--question",    "--no-markup",          "--title=" + caption,
          "--text=" + text, "--ok-label=OK", "--cancel-label=Cancel"};
}

std::vector<std::string> ZenityDialogs::noticeCommand(const std::string& text) const {
  return {program_, "--info", "--no-markup", "--title=zephgo", "--text=" + text};
}

void ZenityDialogs::message(const std::string& text, const std::string& caption) {
  // 0: OK pressed, 1: the window was closed; anything else means it was not shown.
  int status = runDialog(messageCommand(text, caption));
  if (status != 0 && status != 1) fallback_.message(text, caption);
}

Dialogs::Answer ZenityDialogs::okCancel(const std::string& text, const std::string& caption) {
  int status = runDialog(okCancelCommand(text, caption));
  if (status == 0) return Answer::Ok;
  if (status == 1) return Answer::Cancel;  // Cancel pressed or the window closed
  return fallback_.okCancel(text, caption);
}

std::unique_ptr<Notice> ZenityDialogs::notice(const std::string& text) {
  try {
    return std::make_unique<ZenityNotice>(
        ChildProcess::start(noticeCommand(text), dialogOptions()));
  } catch (const base::Failure&) {
    return fallback_.notice(text);
  }
}

}  // namespace platform
