#include "platform/ChildProcess.h"
#include "platform/ProgramRunner.h"

namespace platform {

int SystemProgramRunner::runAndWait(const std::vector<std::string>& args) {
  return ChildProcess::start(args, ChildProcess::Options{}).wait();
}

}  // namespace platform
