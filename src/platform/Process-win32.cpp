#include <cstdio>
#include <string>

#include <windows.h>
#include <tlhelp32.h>

#include "base/Failure.h"
#include "platform/DetachedProcess.h"
#include "platform/Process.h"
#include "platform/ProgramArguments.h"
#include "platform/WideText.h"

namespace platform {
namespace {

// The program's path; ".exe" added when its last name has no extension, as
// CreateProcessW adds none to the program it is given.
std::string programPath(const std::string& path) {
  const size_t name = path.find_last_of("\\/");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path + ".exe";
  return path;
}

[[noreturn]] void cannotRun(const std::string& program, DWORD error) {
  throw base::IOError("Cannot run program \"" + program + "\": " + detail::systemErrorText(error));
}

}  // namespace

int runAndWait(const std::vector<std::string>& args) {
  if (args.empty() || args[0].empty()) throw base::IOError("Cannot run program \"\"");
  std::fflush(nullptr);
  const std::wstring program = detail::wideText(programPath(args[0]));
  std::wstring commandLine = detail::wideText(quotedCommandLine(args));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // The program shares this program's console and standard handles; it
  // inherits no other handle.
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &si, &pi))
    cannotRun(args[0], ::GetLastError());
  ::CloseHandle(pi.hThread);
  DWORD status = 0;
  const bool waited = ::WaitForSingleObject(pi.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                      ::GetExitCodeProcess(pi.hProcess, &status);
  const DWORD error = ::GetLastError();
  ::CloseHandle(pi.hProcess);
  if (!waited)
    throw base::IOError("Cannot wait for program \"" + args[0] +
                        "\": " + detail::systemErrorText(error));
  // An exit code is a 32-bit number on Windows (the status of an exception
  // that ended the program is one with the high bit set): it is passed on
  // as the same bits.
  return static_cast<int>(status);
}

void spawnDetached(const std::vector<std::string>& args) {
  if (args.empty() || args[0].empty()) throw base::IOError("Cannot run program \"\"");
  std::fflush(nullptr);
  DetachedProcess p = DetachedProcess::start(args);
  if (p.pid() < 0) cannotRun(args[0], static_cast<DWORD>(p.error()));
  // The process keeps running when `p` lets go of it.
}

int currentProcessId() { return static_cast<int>(::GetCurrentProcessId()); }

// The parent's id as the list of processes gives it.
int parentProcessId() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  int parent = 0;
  const DWORD self = ::GetCurrentProcessId();
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
       more = ::Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == self) {
      parent = static_cast<int>(entry.th32ParentProcessID);
      break;
    }
  }
  ::CloseHandle(snapshot);
  return parent;
}

// The system's command interpreter, told to end at once.
int endedChildProcessId() {
  std::wstring line = L"cmd.exe /c exit 0";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
    throw base::IOError("cannot start a process (error " + std::to_string(::GetLastError()) + ")");
  ::WaitForSingleObject(info.hProcess, INFINITE);
  const int id = static_cast<int>(info.dwProcessId);
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return id;
}

bool processRunning(int pid) {
  if (pid <= 0) return false;
  HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (h == nullptr) {
    // Access denied: the process exists under another user. Any other
    // failure (an invalid parameter) means there is no such process.
    return ::GetLastError() == ERROR_ACCESS_DENIED;
  }
  DWORD status = 0;
  // A process that ended is gone even while a handle keeps its id taken.
  const bool running = !::GetExitCodeProcess(h, &status) || status == STILL_ACTIVE;
  ::CloseHandle(h);
  return running;
}

}  // namespace platform
