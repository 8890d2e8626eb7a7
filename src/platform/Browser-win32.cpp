#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/Browser.h"
#include "platform/WideText.h"

namespace platform {

// The shell's "open" verb on the address, in a normal window: the default
// browser. A result above 32 is a start. The BROWSER commands are not used.
bool SystemBrowser::open(const std::string& url) {
  // The shell's handlers may be COM objects; the calling thread needs COM
  // (a thread that has it already keeps it as it is).
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const std::wstring address = detail::wideText(url);
  HINSTANCE result =
      ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(com)) ::CoUninitialize();
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace platform
