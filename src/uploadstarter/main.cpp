// uploadstarter: runs the uploader in the background with a time limit and
// reports its outcome.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ProgramArguments.h"
#include "uploadstarter/UploadStarter.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = platform::programArguments(argc, argv);
  const std::string program = args.empty() ? "uploadstarter" : args.front();
  if (!args.empty()) args.erase(args.begin());
  return uploadstarter::UploadStarter::run(args, program, stdout);
}
