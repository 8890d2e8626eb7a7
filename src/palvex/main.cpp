#include <string>
#include <vector>

#include "palvex/modes/Run.h"
#include "platform/ProgramArguments.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = platform::programArguments(argc, argv);
  if (!args.empty()) args.erase(args.begin());
  return palvex::modes::Run::run(args);
}
