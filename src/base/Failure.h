#pragma once

#include <stdexcept>
#include <string>

namespace base {

// The failure type of every operation of the programs. Its text() is the kind
// and the message, "Kind: message", which is what the trace lines
// "Error in ...: " + text show.
class Failure : public std::runtime_error {
 public:
  Failure(std::string kind, const std::string& message)
      : std::runtime_error(message), kind_(std::move(kind)) {}

  const std::string& kind() const { return kind_; }
  std::string text() const { return kind_ + ": " + what(); }

 private:
  std::string kind_;
};

// A file or directory could not be read, written, renamed or listed.
class IOError : public Failure {
 public:
  explicit IOError(const std::string& message) : Failure("IOError", message) {}
};

// A text that should be a number is not one (or does not fit).
class NumberFormatError : public Failure {
 public:
  explicit NumberFormatError(const std::string& message) : Failure("NumberFormatError", message) {}
};

// Data that does not have the shape it must have.
class FormatError : public Failure {
 public:
  explicit FormatError(const std::string& message) : Failure("FormatError", message) {}
};

// The text of any exception as the trace lines show it: "Kind: message" for
// a Failure, "Failure: " and what the exception says for any other.
inline std::string failureText(const std::exception& e) {
  if (auto* f = dynamic_cast<const Failure*>(&e)) return f->text();
  return std::string("Failure: ") + e.what();
}

}  // namespace base
