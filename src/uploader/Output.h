#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/PrintfFormat.h"

namespace uploader {

// Where the uploader's messages go: standard output in the program, a
// string in tests, nowhere for the protocol clients of the load test. Most
// lines are printed only in verbose mode; "always" lines in any mode.
class Output {
 public:
  // Discards everything.
  Output() = default;
  explicit Output(std::FILE* file) : file_(file) {}
  explicit Output(std::string* sink) : sink_(sink) {}

  void setVerbose(bool on) { verbose_ = on; }
  bool verbose() const { return verbose_; }

  // printf-style lines, printed in verbose mode only.
  void say(const char* format, ...) BRIM_PRINTF_FORMAT(2, 3);
  // printf-style lines, printed in any mode.
  void always(const char* format, ...) BRIM_PRINTF_FORMAT(2, 3);
  // Bytes as they are (a received reply may hold any byte, NUL included).
  void sayBytes(std::string_view bytes);

 private:
  void write(std::string_view text);

  std::FILE* file_ = nullptr;
  std::string* sink_ = nullptr;
  bool verbose_ = false;
};

}  // namespace uploader
