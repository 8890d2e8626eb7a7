#pragma once

#include <optional>
#include <string>

#include "platform/Registry.h"

namespace zephgo {

// The client's program as the registry names it: the default value of
// "HKEY_LOCAL_MACHINE\Software\Classes\.spi" names a file class, whose
// "Shell\Open\command" default value is the open command; all double quotes
// and every "%1" are taken out of it, and the blanks around what is left.
// None when a value is missing, not text, or the command is longer than 1023
// bytes (it would not fit the 1024-byte buffer it is read into).
std::optional<std::string> clientProgram(const platform::Registry& registry);

// True when clientProgram() names a file that exists.
bool clientInstalled(const platform::Registry& registry);

}  // namespace zephgo
