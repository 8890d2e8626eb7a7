// tessaly: delivers the game server's finished match logs to a collector.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ProcessTable.h"
#include "platform/ProgramArguments.h"
#include "platform/Socket.h"
#include "platform/System.h"
#include "uploader/CollectorTable.h"
#include "uploader/Output.h"
#include "uploader/Uploader.h"

int main(int argc, char** argv) {
  uploader::Output out(stdout);
  uploader::Environment env;
  env.network = &platform::systemNetwork();
  env.processes = &platform::systemProcessTable();
  env.out = &out;
  std::vector<std::string> args = platform::programArguments(argc, argv);
  env.program = args.empty() ? "tessaly" : args.front();
  env.home = platform::installationHome();
  env.collectors = std::getenv(uploader::CollectorTable::kEnvironmentVariable);
  if (!args.empty()) args.erase(args.begin());
  uploader::Uploader run(std::move(env));
  // The system keeps the low 8 bits of the code as the exit status.
  return run.run(args);
}
