#pragma once

// The small text helpers every layer uses: ASCII case, prefixes and suffixes,
// and blanks at the ends. Text in these programs is bytes; only the ASCII
// letters have a case here.

#include <string>
#include <string_view>

namespace base {

constexpr char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = asciiLower(c);
  return out;
}

// ASCII letters compared without regard to case.
constexpr bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

constexpr bool startsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

constexpr bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// `s` without the characters of `front` at its start and of `back` at its end.
constexpr std::string_view trim(std::string_view s, std::string_view front, std::string_view back) {
  while (!s.empty() && front.find(s.front()) != std::string_view::npos) s.remove_prefix(1);
  while (!s.empty() && back.find(s.back()) != std::string_view::npos) s.remove_suffix(1);
  return s;
}

// `s` without spaces and TABs at either end.
constexpr std::string_view trim(std::string_view s) { return trim(s, " \t", " \t"); }

}  // namespace base
