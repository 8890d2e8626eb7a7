#include "platform/FileSystem.h"
#include "platform/ProgramArguments.h"

namespace platform {

std::vector<std::string> programArguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

bool slashArgumentIsSwitch(const std::string& argument) {
  return argument.find('/', 1) == std::string::npos && !exists(argument);
}

}  // namespace platform
