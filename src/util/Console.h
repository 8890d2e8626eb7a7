#pragma once

#include <cstdio>
#include <string_view>

namespace util {

// Writes `text` and a line end on standard output, where the programs' own
// complaints and the stopwatch go.
inline void printLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace util
