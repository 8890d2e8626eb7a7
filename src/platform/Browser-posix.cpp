#include "base/Failure.h"
#include "platform/Browser.h"
#include "platform/ChildProcess.h"

namespace platform {

bool SystemBrowser::open(const std::string& url) {
  ChildProcess::Options options;
  options.searchPath = true;
  options.newSession = true;
  options.nullInput = true;
  for (const auto& argv : commandsFor(url)) {
    try {
      ChildProcess::start(argv, options).release();
      return true;
    } catch (const base::Failure&) {
      // not startable: try the next command
    }
  }
  return false;
}

}  // namespace platform
