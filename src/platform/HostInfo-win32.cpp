#include <windows.h>

#include "platform/HostInfo.h"
#include "platform/WideText.h"

namespace platform {

std::optional<KernelInfo> kernelInfo() {
  // GetVersionExW reports the version a program declares itself written
  // for; RtlGetVersion reports the running system's.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return std::nullopt;
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
  if (rtlGetVersion == nullptr) return std::nullopt;
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
  if (rtlGetVersion(&v) != 0) return std::nullopt;
  KernelInfo k;
  k.systemName = "Windows";
  k.major = static_cast<int>(v.dwMajorVersion);
  k.minor = static_cast<int>(v.dwMinorVersion);
  k.release = std::to_string(v.dwMajorVersion) + "." + std::to_string(v.dwMinorVersion) + "." +
              std::to_string(v.dwBuildNumber);
  return k;
}

std::optional<std::string> hostName() {
  DWORD n = 0;
  ::GetComputerNameExW(ComputerNameDnsHostname, nullptr, &n);
  if (n == 0) return std::nullopt;
  std::wstring name(n, L'\0');
  if (!::GetComputerNameExW(ComputerNameDnsHostname, name.data(), &n) || n == 0)
    return std::nullopt;
  name.resize(n);
  return detail::utf8Text(name);
}

}  // namespace platform
