#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/NativeHandle.h"

namespace platform {

// A file opened for appending: every write goes to the end of the file and is
// handed to the operating system at once (nothing is buffered here), so a
// written line is on disk as soon as write() returns. Owns its descriptor; the
// destructor closes it without reporting.
class AppendFile {
 public:
  // Opens `path` for appending, creating it when missing; with `fresh` an
  // existing file is emptied first. Returns nullptr when the file cannot be
  // opened and then sets `error` to the system's reason ("No such file or
  // directory"). Paths are as in FileSystem.h.
  static std::unique_ptr<AppendFile> open(const std::string& path, bool fresh, std::string& error);

  struct Token {  // lets open() use std::make_unique with a private constructor
   private:
    Token() = default;
    friend class AppendFile;
  };
  AppendFile(Token, NativeHandle fd) : fd_(fd) {}
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;
  ~AppendFile();

  // Appends all of `data`; false on any failure (disk full, I/O error), with
  // error() the system's reason.
  [[nodiscard]] bool write(std::string_view data);
  // Closes now; false when the close reports an error (see error()).
  [[nodiscard]] bool close();
  // The reason of the last failed write() or close().
  const std::string& error() const { return error_; }

 private:
  NativeHandle fd_;
  std::string error_;
};

}  // namespace platform
