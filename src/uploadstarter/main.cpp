// uploadstarter: runs the uploader in the background with a time limit and
// reports its outcome.
#include <cstdio>
#include <string>
#include <vector>

#include "uploadstarter/UploadStarter.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return uploadstarter::UploadStarter::run(args, argc > 0 ? argv[0] : "uploadstarter", stdout);
}
