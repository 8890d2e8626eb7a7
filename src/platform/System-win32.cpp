#include <windows.h>

#include "platform/System.h"
#include "platform/WideText.h"

namespace platform {

std::string osName() { return "Windows"; }

std::string detail::executableFolder() {
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

namespace {

// A character of the user's number format as one byte of the pages, which
// are Latin-1: itself when it is one; a no-break space for the other
// spaces (the narrow one of some locales); `other` for anything else.
char latin1Of(wchar_t c, char other) {
  if (c < 0x100) return static_cast<char>(static_cast<unsigned char>(c));
  if (c == 0x202F || c == 0x205F || (c >= 0x2000 && c <= 0x200A)) return '\xA0';
  return other;
}

std::wstring userLocaleText(LCTYPE type) {
  wchar_t buf[16];
  const int n = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buf, 16);
  return n > 1 ? std::wstring(buf, static_cast<size_t>(n - 1)) : std::wstring();
}

}  // namespace

// The user's number format as set in the system's regional settings.
// The grouping is a list such as "3;0" (groups of three throughout), "3;2;0"
// (three, then twos: only the first size is kept) or "0" (no grouping).
NumberGrouping defaultNumberGrouping() {
  NumberGrouping g;
  const std::wstring decimal = userLocaleText(LOCALE_SDECIMAL);
  if (decimal.size() == 1) g.decimal = latin1Of(decimal[0], '.');
  const std::wstring separator = userLocaleText(LOCALE_STHOUSAND);
  const std::wstring grouping = userLocaleText(LOCALE_SGROUPING);
  if (separator.size() == 1 && !grouping.empty() && grouping[0] >= L'1' && grouping[0] <= L'9' &&
      (grouping.size() == 1 || grouping[1] == L';')) {
    g.separator = latin1Of(separator[0], '\'');
    g.size = grouping[0] - L'0';
  }
  return g;
}

}  // namespace platform
