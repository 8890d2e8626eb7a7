#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/NativeHandle.h"

namespace platform {

// A file opened for writing from the start. Owns its descriptor; the
// destructor closes it without reporting. Moved-from or closed files hold
// nothing.
class OutputFile {
 public:
  enum class Mode {
    kReplace,    // create, or truncate an existing file
    kCreateNew,  // create; fail when the name exists
  };

  // Opens `path`; returns nullptr when the file cannot be created (or, with
  // kCreateNew, when it exists already).
  static std::unique_ptr<OutputFile> open(const std::string& path, Mode mode);

  struct Token {  // lets open() use std::make_unique with a private constructor
   private:
    Token() = default;
    friend class OutputFile;
  };
  OutputFile(Token, NativeHandle fd) : fd_(fd) {}
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Writes all `size` bytes; false on any failure (disk full, I/O error).
  [[nodiscard]] bool write(const uint8_t* data, size_t size);
  // Closes now; false when the close reports an error.
  [[nodiscard]] bool close();

 private:
  NativeHandle fd_;
};

}  // namespace platform
