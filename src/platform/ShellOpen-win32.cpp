#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/ShellOpen.h"
#include "platform/WideText.h"

namespace platform {

bool shellOpen(const std::string& target, std::string* error) {
  // The shell's handlers may be COM objects; the calling thread needs COM
  // (a thread that has it already keeps it as it is).
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No message box of the shell's own: the caller reports the failure.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  const std::wstring file = detail::wideText(target);
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  const bool opened = ::ShellExecuteExW(&info) != FALSE;
  const DWORD code = opened ? 0 : ::GetLastError();
  if (SUCCEEDED(com)) ::CoUninitialize();
  if (!opened && error != nullptr) *error = detail::systemErrorText(code);
  return opened;
}

}  // namespace platform
