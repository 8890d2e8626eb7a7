#include "games/Zorlog.h"

#include <cstring>
#include <exception>
#include <string_view>

#include "util/Debug.h"
#include "util/Failure.h"

namespace games {
namespace {

using util::Debug;

// Appends the fields of one line (no LF inside, not empty, not a comment) to
// `out`. `bounds` is scratch space kept across lines so that finding the field
// boundaries costs no allocation; it lets the field list be sized exactly.
void splitLine(const char* line, size_t size, std::vector<std::string_view>& bounds,
               std::vector<std::vector<std::string>>& out) {
  bounds.clear();
  const char* p = line;
  const char* const end = line + size;
  const char* start = p;
  // Between a TAB and the next TAB a CR only ends a field; once no TAB is left
  // the first CR ends the line.
  const char* nextTab = static_cast<const char*>(std::memchr(p, '\t', size));
  for (;;) {
    const char* fieldEnd = nextTab != nullptr ? nextTab : end;
    while (p != fieldEnd && *p != '\r') ++p;
    bounds.emplace_back(start, static_cast<size_t>(p - start));
    // Without a further TAB this was the last field, ended by the line's end
    // or by a CR; anything behind that CR is dropped.
    if (nextTab == nullptr) break;
    start = ++p;  // past the TAB or the CR before it
    if (p > nextTab)
      nextTab = static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
  }
  std::vector<std::string>& fields = out.emplace_back();
  fields.reserve(bounds.size());
  for (std::string_view b : bounds) fields.emplace_back(b);
}

}  // namespace

std::vector<std::vector<std::string>> Zorlog::parse(const std::optional<std::string>& in) {
  Debug::print("I Zorlog.parse", 1);
  std::vector<std::vector<std::string>> result;
  try {
    if (!in) throw util::IOError("no log text (the log could not be read)");
    const std::string& text = *in;
    if (text.empty()) return result;
    // A line of a log is rarely shorter than this; reserving for it saves
    // most regrowth of the line list without holding much unused room.
    result.reserve(text.size() / 48 + 1);
    std::vector<std::string_view> bounds;
    const char* const data = text.data();
    const size_t size = text.size();
    size_t lineStart = 0;
    while (lineStart < size) {
      const char* lf = static_cast<const char*>(std::memchr(data + lineStart, '\n', size - lineStart));
      size_t lineEnd = lf != nullptr ? static_cast<size_t>(lf - data) : size;
      char first = data[lineStart];
      if (lineEnd > lineStart && first != '\r' && first != '#')
        splitLine(data + lineStart, lineEnd - lineStart, bounds, result);
      lineStart = lineEnd + 1;
    }
  } catch (const std::exception& e) {
    Debug::print("Error in Zorlog.parse: " + util::failureText(e), 0);
  }
  Debug::print("O Zorlog.parse", 1);
  return result;
}

}  // namespace games
