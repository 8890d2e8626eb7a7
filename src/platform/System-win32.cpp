#include "platform/System.h"

#include <windows.h>

#include "platform/WideText.h"

namespace platform {

std::string osName() { return "Windows"; }

std::string installationHome() {
  std::wstring exe(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (n == 0) return workingDirectory();
    if (n < exe.size()) {
      exe.resize(n);
      break;
    }
    exe.resize(exe.size() * 2);  // cut short: try a larger buffer
  }
  const size_t slash = exe.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return workingDirectory();
  // The root of a drive keeps its separator ("C:\").
  const size_t end = slash == 2 && exe[1] == L':' ? 3 : slash;
  return detail::utf8Text(exe.substr(0, end));
}

std::string workingDirectory() {
  const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return ".";
  std::wstring dir(n, L'\0');
  const DWORD got = ::GetCurrentDirectoryW(n, dir.data());
  if (got == 0 || got >= n) return ".";
  dir.resize(got);
  return detail::utf8Text(dir);
}

}  // namespace platform
