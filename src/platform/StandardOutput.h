#pragma once

#include <memory>
#include <string_view>

namespace platform {

// Standard output turned aside: while the object lives, whatever the process
// writes on standard output goes to standard error, and write() reaches what
// was standard output before. Lets a tool keep its result stream clean of
// trace lines. The destructor closes the saved stream without reporting; it
// does not point standard output back.
class StandardOutput {
 public:
  // Flushes standard output, saves it and sends it to standard error.
  // Returns nullptr (and changes nothing) when the streams cannot be
  // re-pointed.
  static std::unique_ptr<StandardOutput> divertToStandardError();

  struct Token {  // lets the factory use std::make_unique with a private constructor
   private:
    Token() = default;
    friend class StandardOutput;
  };
  StandardOutput(Token, int fd) : fd_(fd) {}
  StandardOutput(const StandardOutput&) = delete;
  StandardOutput& operator=(const StandardOutput&) = delete;
  ~StandardOutput();

  // Writes all of `data` on the saved standard output; false on failure.
  [[nodiscard]] bool write(std::string_view data);
  // Closes the saved standard output; false when the close reports an error.
  [[nodiscard]] bool close();

 private:
  int fd_;
};

}  // namespace platform
