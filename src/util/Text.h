#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Text.h"

namespace util {

// Small text helpers shared by the readers of outside data.

// Strict decimal integers: an optional "-" and one or more decimal digits,
// nothing else (no "+", no spaces), within the type's range. Throw
// base::NumberFormatError naming the offending text otherwise.
int32_t parseInt32(std::string_view s);
int64_t parseInt64(std::string_view s);

using base::startsWith;
// A run of decimal digits with `separator` between groups of `size` digits
// counted from the right; unchanged when `separator` is 0 or `size` below 1.
std::string groupDigits(std::string_view digits, char separator, int size);
using base::endsWith;
using base::equalsIgnoreCase;

// The 8-bit text of a log written in 16-bit little-endian units: the low byte
// of each unit, in order. A trailing odd byte is dropped; the high bytes are
// not looked at.
std::string lowBytes(std::string_view units);

}  // namespace util
