#include <windows.h>

#include "platform/LauncherWin32.h"

namespace platform::detail {

std::vector<std::string> WindowsCdDrives::roots() {
  std::vector<std::string> out;
  DWORD mask = ::GetLogicalDrives();
  for (char letter = 'A'; mask != 0 && letter <= 'Z'; ++letter, mask >>= 1) {
    if ((mask & 1) == 0) continue;
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    if (::GetDriveTypeW(root) == DRIVE_CDROM) out.push_back(std::string(1, letter) + ":/");
  }
  return out;
}

}  // namespace platform::detail
