// collector: receives logs from uploaders and stores them in a directory.
#include <cstdio>
#include <string>
#include <vector>

#include "base/InfoRequest.h"
#include "help/collector.h"
#include "tools/collector/CollectorOptions.h"
#include "tools/collector/CollectorServer.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // "--help" or "--version" first; "-h" alone is the short usage.
  if (!args.empty() && base::infoRequest(args[0]) != base::InfoRequest::kNone)
    return base::answerInfoRequest(base::infoRequest(args[0]), "collector", help::kCollector);
  if (args.size() == 1 && args[0] == "-h") {
    std::fputs(tools::collector::CollectorOptions::kUsage, stdout);
    return 0;
  }
  std::string error;
  auto options = tools::collector::CollectorOptions::parse(args, &error);
  if (!options) {
    std::fprintf(stderr, "collector: %s\n%s", error.c_str(),
                 tools::collector::CollectorOptions::kUsage);
    return 2;
  }
  tools::collector::CollectorServer server(std::move(*options));
  return server.run();
}
