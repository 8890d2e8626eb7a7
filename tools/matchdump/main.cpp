// matchdump: replays one match log as the statistics generator reads it and
// prints the judged match as JSON on standard output.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/Failure.h"
#include "base/InfoRequest.h"
#include "games/bf/Game.h"
#include "games/bf/Specs.h"
#include "help/matchdump.h"
#include "platform/FileSystem.h"
#include "platform/StandardOutput.h"
#include "tools/matchdump/MatchDump.h"
#include "util/Debug.h"
#include "util/Text.h"

namespace {

void usage(std::FILE* to) {
  std::fprintf(to,
               "Usage: matchdump [-v]... [--bytes] <logfile>\n"
               "Try 'matchdump --help' for more information.\n");
}

}  // namespace

int main(int argc, char** argv) {
  int verbosity = 0;
  bool bytes = false;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-v") == 0) {
      ++verbosity;
    } else if (std::strcmp(argv[i], "--bytes") == 0) {
      bytes = true;
    } else if (std::strcmp(argv[i], "-h") == 0) {
      return base::answerInfoRequest(base::InfoRequest::kHelp, "matchdump", help::kMatchdump);
    } else if (base::infoRequest(argv[i]) != base::InfoRequest::kNone) {
      return base::answerInfoRequest(base::infoRequest(argv[i]), "matchdump", help::kMatchdump);
    } else if (argv[i][0] == '-' || file != nullptr) {
      std::fprintf(stderr, "matchdump: unexpected argument '%s'\n\n", argv[i]);
      usage(stderr);
      return 2;
    } else {
      file = argv[i];
    }
  }
  if (file == nullptr) {
    usage(stderr);
    return 2;
  }
  std::string raw;
  try {
    raw = platform::readFile(file);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "matchdump: %s\n", base::failureText(e).c_str());
    return 1;
  }
  std::string text = bytes ? std::move(raw) : util::lowBytes(raw);
  // The trace goes to standard error so that standard output is pure JSON.
  std::unique_ptr<platform::StandardOutput> out = platform::StandardOutput::divertToStandardError();
  if (!out) return 1;
  util::Debug::setLevel(verbosity);
  games::bf::Specs::init();
  games::bf::Game g{std::optional<std::string>(text)};
  std::string json = tools::matchToJson(g);
  std::fflush(stdout);
  if (!out->write(json) || !out->close()) {
    std::fprintf(stderr, "matchdump: cannot write the result\n");
    return 1;
  }
  return 0;
}
