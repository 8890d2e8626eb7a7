// Fuzz entry point: the decoding of 16-bit logs into 8-bit text. The text is
// half the input, rounded down, and each byte is the low byte of its unit.
#include <cstdint>
#include <string>
#include <string_view>

#include "util/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view units(reinterpret_cast<const char*>(data), size);
  std::string text = util::lowBytes(units);
  if (text.size() != size / 2) __builtin_trap();
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] != units[2 * i]) __builtin_trap();
  return 0;
}
