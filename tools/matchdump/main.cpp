// matchdump: replays one match log as the statistics generator reads it and
// prints the judged match as JSON on standard output.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "games/bf/Game.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "platform/StandardOutput.h"
#include "tools/matchdump/MatchDump.h"
#include "util/Debug.h"
#include "base/Failure.h"
#include "util/Text.h"

namespace {

void usage(std::FILE* to) {
  std::fprintf(to,
               "Usage: matchdump [-v]... [--bytes] <logfile>\n\n"
               "Replays one match log and prints the judged match as JSON.\n"
               "  -v       trace the replay on standard error (repeat for more detail)\n"
               "  --bytes  the log is 8-bit text (default: 16-bit little-endian, as the\n"
               "           game server writes it; the low byte of each unit is kept)\n");
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
    } else if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      usage(stdout);
      return 0;
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
