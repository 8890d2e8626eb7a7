#pragma once

// Internal to the Windows side of the platform layer: the conversions at the
// seam between the programs' 8-bit strings and the system's UTF-16 calls.
//
// The programs hold paths, arguments and host names as 8-bit strings; on
// Windows these are UTF-8. A string that is not valid UTF-8 is taken in the
// system's ANSI code page instead, so that a name passed in that code page
// (for example through a narrow main()) still reaches its file. Texts coming
// back from the system (file names, messages) are always UTF-8.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::detail {

// UTF-8 (or, when it is not valid UTF-8, ANSI code page) text as UTF-16.
std::wstring wideText(std::string_view text);
// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8Text(std::wstring_view text);
// The system's message for an error code of GetLastError() or
// WSAGetLastError(), without the trailing line break ("error 1234" when the
// system has none).
std::string systemErrorText(uint32_t code);
// The message of the calling thread's last error.
std::string lastErrorText();

}  // namespace platform::detail
