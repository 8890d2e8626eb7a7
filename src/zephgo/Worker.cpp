#include "zephgo/Worker.h"

#include <cstdio>
#include <exception>

#include "base/Failure.h"
#include "zephgo/ClientCheck.h"
#include "zephgo/InstallerSearch.h"
#include "zephgo/LoginAddress.h"
#include "zephgo/Messages.h"

namespace zephgo {

using platform::Dialogs;

Worker::Worker(std::vector<std::string> args, Services& services, Window& window)
    : args_(std::move(args)), s_(services), window_(window) {}

void Worker::note(const std::string& text) {
  if (s_.note) {
    s_.note(text);
  } else {
    std::fprintf(stderr, "zephgo: %s\n", text.c_str());
    std::fflush(stderr);
  }
}

void Worker::run() {
  try {
    int32_t result = work();
    report(result);
  } catch (const std::exception& e) {
    note(std::string("unexpected failure: ") + base::failureText(e));
    window_.close();
  }
}

int32_t Worker::work() {
  if (args_.size() != 1) return kWrongArgumentCount;
  if (!isNumericArgument(args_[0])) return kNotNumeric;
  // Checked before anything is installed, so that nobody is asked for a CD
  // only to be refused afterwards.
  std::optional<std::string> url = loginAddress(args_[0]);
  if (!url) {
    s_.dialogs.message(kTooLongText, kTooLongCaption);
    reported_ = true;
    return kNotNumeric;
  }
  int32_t result = clientInstalled(s_.registry) ? kLoginOpened : ensureClient();
  if (result != kLoginOpened) return result;
  if (!openLoginPage(*url)) {
    reported_ = true;
    return kBrowserFailed;
  }
  return kLoginOpened;
}

int32_t Worker::ensureClient() {
  setAutoPlay(Window::kAutoPlaySuppressed);
  // AutoPlay comes back even when something below fails unexpectedly.
  struct Restore {
    Worker& w;
    ~Restore() {
      try {
        w.setAutoPlay(Window::kAutoPlayNormal);
      } catch (const std::exception& e) {
        w.note(std::string("AutoPlay could not be restored: ") + base::failureText(e));
      }
    }
  } restore{*this};
  int32_t result = kInstallerNotFound;
  while (true) {
    std::optional<std::string> installer = lookForInstaller();
    if (installer) {
      bool ran = runInstaller(*installer);
      result = ran && clientInstalled(s_.registry) ? kLoginOpened : kInstallFailed;
      break;
    }
    if (s_.dialogs.okCancel(kInsertCdText, kNotFoundCaption) == Dialogs::Answer::Cancel) {
      result = kInstallerNotFound;
      break;
    }
  }
  return result;
}

std::optional<std::string> Worker::lookForInstaller() {
  auto notice = s_.dialogs.notice(kSearchNotice);
  return searchDrives(s_.drives);
}

bool Worker::runInstaller(const std::string& path) {
  try {
    int status = s_.programs.runAndWait({path});
    // The exit status is only noted: the client check that follows decides.
    if (status != 0) note("the installer " + path + " ended with status " + std::to_string(status));
    return true;
  } catch (const base::Failure& e) {
    note("the installer " + path + " could not be started: " + e.what());
    return false;
  }
}

bool Worker::openLoginPage(const std::string& url) {
  auto notice = s_.dialogs.notice(kBrowserNotice);
  if (s_.browser.open(url)) return true;
  s_.dialogs.message(std::string(kBrowserFailedText) + url, kBrowserFailedCaption);
  return false;
}

void Worker::report(int32_t result) {
  if (!reported_) {
    switch (result) {
      case kInstallerNotFound:
        s_.dialogs.message(std::string(kLookForInstallerText) + kServiceAddress, kNotFoundCaption);
        break;
      case kWrongArgumentCount:
        s_.dialogs.message(kArgumentCountText, kArgumentCountCaption);
        break;
      case kNotNumeric:
        s_.dialogs.message(kNotNumericText, kNotNumericCaption);
        break;
      case kInstallFailed:
        s_.dialogs.message(kInstallFailedText, kInstallFailedCaption);
        break;
      default:
        break;
    }
  }
  // The result is stored before the window is told, so that the window
  // ends with it.
  window_.setResult(result);
  if (result == kLoginOpened)
    window_.post(Window::kBrowserStarted);
  else
    window_.close();
}

void Worker::setAutoPlay(int state) {
  if (window_.autoPlayState() == state) return;
  if (state == Window::kAutoPlaySuppressed)
    s_.autoPlay.suppress();
  else
    s_.autoPlay.restore();
  window_.setAutoPlayState(state);
}

}  // namespace zephgo
