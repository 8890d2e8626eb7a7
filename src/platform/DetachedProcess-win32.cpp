#include <cstdint>
#include <utility>
#include <vector>

#include <windows.h>

#include "platform/DetachedProcess.h"
#include "platform/ProgramArguments.h"
#include "platform/WideText.h"

namespace platform {
namespace {

// Owns a handle; closes it when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (h_ != nullptr && h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

// Owns an attribute list for CreateProcessW.
class AttributeList {
 public:
  explicit AttributeList(DWORD count) {
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, count, 0, &size);
    // Whole 8-byte words: the list holds pointers.
    buffer_.resize((size + sizeof(uint64_t) - 1) / sizeof(uint64_t));
    list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
    if (size == 0 || !::InitializeProcThreadAttributeList(list_, count, 0, &size)) list_ = nullptr;
  }
  AttributeList(const AttributeList&) = delete;
  AttributeList& operator=(const AttributeList&) = delete;
  ~AttributeList() {
    if (list_ != nullptr) ::DeleteProcThreadAttributeList(list_);
  }
  LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

 private:
  std::vector<uint64_t> buffer_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// The program's path; ".exe" added when its last name has no extension,
// since CreateProcessW adds none to the program it is given.
std::string programPath(const std::string& path) {
  const size_t name = path.find_last_of("\\/");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path + ".exe";
  return path;
}

HANDLE openNull(DWORD access) {
  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof inherit;
  inherit.bInheritHandle = TRUE;
  return ::CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

DetachedProcess DetachedProcess::start(const std::vector<std::string>& args) {
  DetachedProcess p;
  if (args.empty() || args[0].empty()) {
    p.error_ = ERROR_FILE_NOT_FOUND;
    return p;
  }
  const std::wstring program = detail::wideText(programPath(args[0]));
  std::wstring commandLine = detail::wideText(quotedCommandLine(args));
  Handle input(openNull(GENERIC_READ));
  Handle output(openNull(GENERIC_WRITE));
  if (!input.valid() || !output.valid()) {
    p.error_ = static_cast<int>(::GetLastError());
    return p;
  }
  // Only the two handles of the null device are inherited.
  HANDLE inherited[2] = {input.get(), output.get()};
  AttributeList attributes(1);
  if (attributes.get() == nullptr ||
      !::UpdateProcThreadAttribute(attributes.get(), 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                   inherited, sizeof inherited, nullptr, nullptr)) {
    p.error_ = static_cast<int>(::GetLastError());
    return p;
  }
  STARTUPINFOEXW si{};
  si.StartupInfo.cb = sizeof si;
  si.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  si.StartupInfo.hStdInput = input.get();
  si.StartupInfo.hStdOutput = output.get();
  si.StartupInfo.hStdError = output.get();
  si.lpAttributeList = attributes.get();
  PROCESS_INFORMATION pi{};
  // No console and a process group of its own: the program is not ended
  // with this program's console, nor by its Ctrl+C.
  const DWORD flags = DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT |
                      EXTENDED_STARTUPINFO_PRESENT;
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                        nullptr, &si.StartupInfo, &pi)) {
    p.error_ = static_cast<int>(::GetLastError());
    return p;
  }
  ::CloseHandle(pi.hThread);
  p.pid_ = static_cast<int>(pi.dwProcessId);
  p.handle_ = reinterpret_cast<NativeHandle>(pi.hProcess);
  return p;
}

DetachedProcess::DetachedProcess(DetachedProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      error_(other.error_),
      finished_(std::exchange(other.finished_, -1)),
      handle_(std::exchange(other.handle_, kNoHandle)) {}

DetachedProcess& DetachedProcess::operator=(DetachedProcess&& other) noexcept {
  if (this != &other) {
    if (handle_ != kNoHandle) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    pid_ = std::exchange(other.pid_, -1);
    error_ = other.error_;
    finished_ = std::exchange(other.finished_, -1);
    handle_ = std::exchange(other.handle_, kNoHandle);
  }
  return *this;
}

// Closing the handle leaves the process running.
DetachedProcess::~DetachedProcess() {
  if (handle_ != kNoHandle) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool DetachedProcess::exitCode(int* code, int* error) {
  if (finished_ >= 0) {
    *code = finished_;
    return true;
  }
  if (handle_ == kNoHandle) {
    *error = ERROR_INVALID_HANDLE;
    return false;
  }
  DWORD status = 0;
  if (!::GetExitCodeProcess(reinterpret_cast<HANDLE>(handle_), &status)) {
    *error = static_cast<int>(::GetLastError());
    return false;
  }
  // STILL_ACTIVE is kStillActive (a program that ends with 259 looks as if
  // it still ran, as it does to every Windows program that asks).
  if (status == STILL_ACTIVE) {
    *code = kStillActive;
    return true;
  }
  *code = static_cast<int>(status);
  if (*code >= 0) finished_ = *code;
  return true;
}

}  // namespace platform
