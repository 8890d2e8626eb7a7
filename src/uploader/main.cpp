// tessaly: delivers the game server's finished match logs to a collector.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ProcessTable.h"
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
  env.program = argc > 0 ? argv[0] : "tessaly";
  env.home = platform::installationHome();
  env.collectors = std::getenv(uploader::CollectorTable::kEnvironmentVariable);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  uploader::Uploader run(std::move(env));
  // The system keeps the low 8 bits of the code as the exit status.
  return run.run(args);
}
