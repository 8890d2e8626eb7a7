#include <cstdio>
#include <string>
#include <vector>

#include "programs/vardobf/VardoBF.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int status = programs::vardobf::VardoBF::main(args);
  std::fflush(stdout);
  return status;
}
