#include <string>
#include <vector>

#include "palvex/modes/Run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return palvex::modes::Run::run(args);
}
