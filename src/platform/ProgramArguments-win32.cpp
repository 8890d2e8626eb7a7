#include <windows.h>
#include <shellapi.h>

#include "platform/ProgramArguments.h"
#include "platform/WideText.h"

namespace platform {

std::vector<std::string> programArguments(int argc, char** argv) {
  std::vector<std::string> args;
  int n = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &n);
  if (wide != nullptr && n == argc) {
    for (int i = 0; i < n; ++i) args.push_back(detail::utf8Text(wide[i]));
  } else {
    // The wide command line splits differently from argv (which can only
    // be when the runtime expanded wildcards): argv as it stands.
    for (int i = 0; i < argc; ++i) args.emplace_back(argv[i]);
  }
  if (wide != nullptr) ::LocalFree(wide);
  return args;
}

bool slashArgumentIsSwitch(const std::string&) { return true; }

}  // namespace platform
