#pragma once

#include <optional>
#include <string>
#include <vector>

namespace games {

// The tokenizer of Zorlog match logs: one event per line, fields separated by
// TAB characters, lines ended by LF with an optional CR before it.
class Zorlog {
 public:
  // Splits the whole text of one log (8-bit characters) into lines of fields.
  // Empty lines, lines of a lone CR and comment lines (first character "#")
  // leave no entry. A CR ends the field it appears in; after the last TAB of a
  // line it also ends the line. Fields are not trimmed and may be empty; no
  // field holds a TAB, CR or LF. Every kept line has at least one field.
  //
  // Traces "I Zorlog.parse" and "O Zorlog.parse" (severity 1); an empty text
  // returns at once without the exit trace. Never throws: a failure, or an
  // absent text (the log could not be read), traces "Error in Zorlog.parse: "
  // and its text (severity 0) and returns the lines gathered so far.
  static std::vector<std::vector<std::string>> parse(const std::optional<std::string>& in);
};

}  // namespace games
