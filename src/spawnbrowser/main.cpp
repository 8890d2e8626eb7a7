// spawnBrowser: the browser launcher of vardobf on Windows. Called with one
// argument, a page's path in double quotes, it opens the page with the
// desktop's program for it (the default browser) and exits without waiting
// for it. It never fails a run: when the page cannot be opened it prints
// where the page is and why, and still ends with status 0.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ProgramArguments.h"
#include "platform/ShellOpen.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args = platform::programArguments(argc, argv);
  if (args.size() != 2) {
    std::fprintf(stderr, "Usage: spawnBrowser \"PAGE\"\n");
    return 2;
  }
  std::string page;
  for (char c : args[1])
    if (c != '"') page += c;
  std::string error;
  if (page.empty() || !platform::shellOpen(page, &error)) {
    std::printf("Page: %s\n", page.c_str());
    if (!error.empty()) std::printf("(not opened: %s)\n", error.c_str());
  }
  return 0;
}
