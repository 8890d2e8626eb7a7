// zephgo <game_class_id>: makes sure the matchmaking client is installed and
// opens the service's login page for the game; the exit status is the result.
#include <string>
#include <vector>

#include "platform/ProgramArguments.h"
#include "zephgo/SystemServices.h"
#include "zephgo/Zephgo.h"

int main(int argc, char** argv) {
  zephgo::SystemServices system;
  std::vector<std::string> args = platform::programArguments(argc, argv);
  if (!args.empty()) args.erase(args.begin());
  return zephgo::run(args, system.services());
}
