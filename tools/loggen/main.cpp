#include <cstdio>
#include <string>
#include <vector>

#include "tools/loggen/LoggenCommand.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tools::loggen::runLoggen(args, stdout, stderr);
}
