#include <windows.h>

#include "base/Failure.h"
#include "platform/LauncherWin32.h"
#include "platform/ProgramArguments.h"
#include "platform/ProgramRunner.h"
#include "platform/WideText.h"

namespace platform {

// The program is started with CreateProcessW (normal priority, the standard
// handles and environment inherited); while it runs, the messages of the
// calling thread's windows are dispatched, so that what that thread shows
// stays drawn.
int SystemProgramRunner::runAndWait(const std::vector<std::string>& args) {
  if (args.empty() || args[0].empty()) throw base::IOError("Cannot run program \"\"");
  std::vector<std::string> native = args;
  native[0] = detail::utf8Text(detail::nativePath(args[0]));
  const std::wstring program = detail::wideText(native[0]);
  std::wstring commandLine = detail::wideText(quotedCommandLine(native));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &process))
    throw base::IOError("Cannot run program \"" + args[0] + "\": " + detail::lastErrorText());
  ::CloseHandle(process.hThread);
  while (true) {
    const DWORD woke =
        ::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT);
    if (woke != WAIT_OBJECT_0 + 1) break;  // ended (or the wait failed)
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  DWORD status = 0;
  const bool known = ::GetExitCodeProcess(process.hProcess, &status) != 0;
  ::CloseHandle(process.hProcess);
  return known ? static_cast<int>(status) : -1;
}

}  // namespace platform
