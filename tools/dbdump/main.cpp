// dbdump: prints the statistics database of a database directory as JSON:
// the player database header and every player entry (named from the hash
// database), the list of counted matches, the player summaries and the
// record holders.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/Failure.h"
#include "base/InfoRequest.h"
#include "games/bf/Specs.h"
#include "help/dbdump.h"
#include "platform/FileSystem.h"
#include "platform/StandardOutput.h"
#include "programs/vardobf/Totals.h"
#include "tools/dbdump/DbDump.h"
#include "util/Debug.h"

namespace {

void usage(std::FILE* to) {
  std::fprintf(to,
               "Usage: dbdump <database directory>\n"
               "Try 'dbdump --help' for more information.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "-h") == 0)
    return base::answerInfoRequest(base::InfoRequest::kHelp, "dbdump", help::kDbdump);
  if (argc == 2 && base::infoRequest(argv[1]) != base::InfoRequest::kNone)
    return base::answerInfoRequest(base::infoRequest(argv[1]), "dbdump", help::kDbdump);
  if (argc != 2 || argv[1][0] == '-') {
    usage(stderr);
    return 2;
  }
  std::string dir = argv[1];
  if (!platform::isDirectory(dir)) {
    std::fprintf(stderr, "dbdump: '%s' is not a directory\n", dir.c_str());
    return 1;
  }
  if (dir.back() != '/') dir += '/';
  // A save in progress, or one that a killed run left, is settled by the
  // next run of vardobf; until then the files may be a mix of two saves.
  const std::vector<std::string> unfinished = programs::vardobf::Totals::unfinishedSaveFiles(dir);
  if (!unfinished.empty()) {
    std::string names;
    for (const std::string& name : unfinished) names += (names.empty() ? "" : ", ") + name;
    std::fprintf(stderr,
                 "dbdump: '%s' holds a save that is not finished (%s); the next run of "
                 "vardobf settles it, dump the database after that\n",
                 dir.c_str(), names.c_str());
    return 1;
  }
  // Trace lines go to standard error so that standard output is pure JSON.
  std::unique_ptr<platform::StandardOutput> out = platform::StandardOutput::divertToStandardError();
  if (!out) return 1;
  games::bf::Specs::init();
  std::string json = tools::dumpDatabase(dir);
  std::fflush(stdout);
  if (!out->write(json) || !out->close()) {
    std::fprintf(stderr, "dbdump: cannot write the result\n");
    return 1;
  }
  return 0;
}
