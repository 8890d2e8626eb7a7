#include <windows.h>
#include <tlhelp32.h>

#include "platform/ProcessTable.h"
#include "platform/WideText.h"

namespace platform {
namespace {

// The full path of a process's executable; "" when it cannot be read.
std::string imagePath(HANDLE process) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = static_cast<DWORD>(path.size());
    if (::QueryFullProcessImageNameW(process, 0, path.data(), &n)) {
      path.resize(n);
      return detail::utf8Text(path);
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) return "";
    path.resize(path.size() * 2);
  }
}

std::string executableOf(DWORD pid) {
  HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (h == nullptr) return "";
  std::string path = imagePath(h);
  ::CloseHandle(h);
  return path;
}

// Holds the process open: its id cannot be given to another process while
// the handle is open, so a reused id is never hit.
class SystemHandle : public ProcessHandle {
 public:
  explicit SystemHandle(HANDLE h) : h_(h) {}
  SystemHandle(const SystemHandle&) = delete;
  SystemHandle& operator=(const SystemHandle&) = delete;
  ~SystemHandle() override { ::CloseHandle(h_); }

  bool terminate() override {
    if (!::TerminateProcess(h_, 1)) {
      // A process that has ended already cannot be terminated: done.
      return ::WaitForSingleObject(h_, 0) == WAIT_OBJECT_0;
    }
    // The termination is carried out asynchronously; wait until the process
    // is gone (at most ten seconds).
    return ::WaitForSingleObject(h_, 10000) == WAIT_OBJECT_0;
  }

 private:
  HANDLE h_;
};

class SystemProcessTable : public ProcessTable {
 public:
  std::optional<std::vector<ProcessEntry>> list() override {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<ProcessEntry> out;
    PROCESSENTRY32W e;
    e.dwSize = sizeof e;
    for (BOOL more = ::Process32FirstW(snapshot, &e); more; more = ::Process32NextW(snapshot, &e)) {
      if (e.th32ProcessID == 0) continue;  // the idle process is no program
      ProcessEntry p;
      p.pid = static_cast<int>(e.th32ProcessID);
      p.executable = executableOf(e.th32ProcessID);
      out.push_back(std::move(p));
    }
    ::CloseHandle(snapshot);
    return out;
  }

  int ownPid() override { return static_cast<int>(::GetCurrentProcessId()); }

  std::string ownExecutable() override { return imagePath(::GetCurrentProcess()); }

  std::unique_ptr<ProcessHandle> open(int pid) override {
    if (pid <= 0) return nullptr;
    HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (h == nullptr) return nullptr;  // gone, or not ours to end
    return std::make_unique<SystemHandle>(h);
  }
};

}  // namespace

ProcessTable& systemProcessTable() {
  static SystemProcessTable table;
  return table;
}

}  // namespace platform
