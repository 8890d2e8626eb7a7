#include "uploader/Output.h"

#include <cstdarg>
#include <vector>

namespace uploader {
namespace {

std::string vformat(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return "";
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, args);
  return std::string(big.data(), static_cast<size_t>(n));
}

}  // namespace

void Output::write(std::string_view text) {
  if (sink_ != nullptr) sink_->append(text);
  if (file_ != nullptr) {
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fflush(file_);
  }
}

void Output::say(const char* format, ...) {
  if (!verbose_) return;
  va_list args;
  va_start(args, format);
  std::string text = vformat(format, args);
  va_end(args);
  write(text);
}

void Output::always(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = vformat(format, args);
  va_end(args);
  write(text);
}

void Output::sayBytes(std::string_view bytes) {
  if (verbose_) write(bytes);
}

}  // namespace uploader
