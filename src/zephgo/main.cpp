// zephgo <game_class_id>: makes sure the matchmaking client is installed and
// opens the service's login page for the game; the exit status is the result.
#include <string>
#include <vector>

#include "base/InfoRequest.h"
#include "help/zephgo.h"
#include "platform/ProgramArguments.h"
#include "zephgo/SystemServices.h"
#include "zephgo/Zephgo.h"

int main(int argc, char** argv) {
  zephgo::SystemServices system;
  std::vector<std::string> args = platform::programArguments(argc, argv);
  if (!args.empty()) args.erase(args.begin());
  // The one argument "--help" or "--version" (which would not be a number)
  // is answered on standard output, without a window.
  if (args.size() == 1) {
    const base::InfoRequest info = base::infoRequest(args[0]);
    if (info != base::InfoRequest::kNone)
      return base::answerInfoRequest(info, "zephgo", help::kZephgo);
  }
  return zephgo::run(args, system.services());
}
