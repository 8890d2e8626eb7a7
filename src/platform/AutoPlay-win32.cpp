#include <windows.h>

#include "platform/LauncherWin32.h"

namespace platform::detail {
namespace {

constexpr const wchar_t* kPolicyKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const wchar_t* kPolicyValue = L"NoDriveTypeAutoRun";
constexpr uint32_t kNoAutoRun = 0xFF;

// Only the 9x family keeps the AutoRun policy this way.
bool windows9x() {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const bool known = ::GetVersionExW(&version) != 0;
#pragma GCC diagnostic pop
  return known && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

void writePolicy(HKEY key, uint32_t value) {
  ::RegSetValueExW(key, kPolicyValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
  ::RegFlushKey(key);
}

}  // namespace

void PolicyAutoPlay::suppress() {
  if (suppressed_ || !windows9x()) return;
  suppressed_ = true;
  wrote_ = false;
  saved_ = 149;
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kPolicyKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  uint32_t current = 0;
  DWORD size = sizeof current;
  if (::RegQueryValueExW(key, kPolicyValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&current),
                         &size) == ERROR_SUCCESS &&
      size == sizeof current) {
    saved_ = current;
    writePolicy(key, kNoAutoRun);
    wrote_ = true;
  }
  ::RegCloseKey(key);
}

void PolicyAutoPlay::restore() {
  if (!suppressed_) return;
  suppressed_ = false;
  // A value that was not there is not left behind.
  if (!wrote_) return;
  wrote_ = false;
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kPolicyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return;
  writePolicy(key, saved_);
  ::RegCloseKey(key);
}

}  // namespace platform::detail
