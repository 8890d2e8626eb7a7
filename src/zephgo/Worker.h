#pragma once

#include <optional>
#include <string>
#include <vector>

#include "zephgo/Services.h"
#include "zephgo/Window.h"

namespace zephgo {

// The worker thread's job: checks the argument, makes sure the client is
// installed (running its installer from a CD when it is not), opens the
// login page, reports the outcome in a box, stores the result code in the
// window and then closes the window, or with success lets it close itself.
class Worker {
 public:
  // `args` are the program's arguments without the program's name.
  Worker(std::vector<std::string> args, Services& services, Window& window);

  // The whole job; never throws (an unexpected failure is noted and the
  // window is closed with the result code it has).
  void run();

 private:
  // The steps up to the opened page; the result code.
  int32_t work();
  int32_t ensureClient();
  std::optional<std::string> lookForInstaller();
  // True when the installer ran (whatever its exit status).
  bool runInstaller(const std::string& path);
  bool openLoginPage(const std::string& url);
  void report(int32_t result);
  void setAutoPlay(int state);
  void note(const std::string& text);

  std::vector<std::string> args_;
  Services& s_;
  Window& window_;
  // The result already has its own message (5, or an address too long).
  bool reported_ = false;
};

}  // namespace zephgo
