#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Opening a web address in the user's browser.
class Browser {
 public:
  virtual ~Browser() = default;
  // Starts the browser on `url`; true when it could be started (what the
  // browser then does is not waited for).
  [[nodiscard]] virtual bool open(const std::string& url) = 0;
};

// The Linux side: the commands in the variable BROWSER when it is set (tried
// in turn, separated by ":"; each is split at blanks, "%s" in a word is
// replaced by the address, and the address is added as the last argument
// when no word holds "%s"), else "xdg-open". Programs are looked up in PATH
// and started in their own session, not waited for.
class SystemBrowser : public Browser {
 public:
  // `browserVariable` is the value of BROWSER, null when it is not set.
  explicit SystemBrowser(const char* browserVariable);
  [[nodiscard]] bool open(const std::string& url) override;

  // The command lines that would be tried for `url`, in order.
  std::vector<std::vector<std::string>> commandsFor(const std::string& url) const;

 private:
  std::vector<std::string> commands_;
};

// The test double: records the addresses and answers as told.
class FakeBrowser : public Browser {
 public:
  explicit FakeBrowser(bool starts = true) : starts_(starts) {}
  [[nodiscard]] bool open(const std::string& url) override {
    opened.push_back(url);
    return starts_;
  }
  std::vector<std::string> opened;

 private:
  bool starts_;
};

}  // namespace platform
