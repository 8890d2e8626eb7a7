#include "games/Zorlog.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string_view>

#include "base/Failure.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace games {
namespace {

using util::Debug;

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// The high bit of every zero byte of `v` is set in the result. Bytes above a
// zero byte may be flagged as well (a borrow runs upwards), but never bytes
// below the lowest zero byte, which is all that findAny needs.
constexpr uint64_t zeroBytes(uint64_t v) { return (v - kOnes) & ~v & kHighBits; }

// The first position in [p, end) holding one of `Cs`, or `end`. Log fields are
// short, so this tests eight bytes at a time instead of calling memchr per
// character class and per field.
template <char... Cs>
const char* findAny(const char* p, const char* end) {
  if constexpr (std::endian::native == std::endian::little) {
    while (end - p >= 8) {
      uint64_t w;
      std::memcpy(&w, p, sizeof w);
      uint64_t hits = (zeroBytes(w ^ (kOnes * static_cast<unsigned char>(Cs))) | ...);
      if (hits != 0) return p + (std::countr_zero(hits) >> 3);
      p += 8;
    }
  }
  while (p != end && ((*p != Cs) && ...)) ++p;
  return p;
}

}  // namespace

std::vector<std::vector<std::string>> Zorlog::parse(const std::optional<std::string>& in) {
  Debug::print("I Zorlog.parse", 1);
  std::vector<std::vector<std::string>> result;
  try {
    if (!in) throw base::IOError("no log text (the log could not be read)");
    if (in->empty()) return result;
    const char* p = in->data();
    const char* const end = p + in->size();
    // The fields of the current line, found before its list is made so that
    // the list is allocated once at its exact size; kept across lines.
    std::vector<std::string_view> bounds;
    while (p != end) {
      // Empty lines, lines of a lone CR and comment lines leave no entry.
      if (*p == '\n') {
        ++p;
        continue;
      }
      if (*p == '\r' || *p == '#') {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        p = lf != nullptr ? static_cast<const char*>(lf) + 1 : end;
        continue;
      }
      bounds.clear();
      const char* fieldStart = p;
      // A TAB already found further on the line (the line start while none
      // is known): a CR before it only ends its field, so a line of many CRs
      // before one TAB is not rescanned once per CR.
      const char* tabAhead = p;
      for (;;) {
        const char* q = findAny<'\t', '\n', '\r'>(p, end);
        bounds.emplace_back(fieldStart, static_cast<size_t>(q - fieldStart));
        if (q == end) {
          p = end;
          break;
        }
        if (*q == '\n') {
          p = q + 1;
          break;
        }
        if (*q == '\r' && tabAhead <= q) {
          // A CR ends the field; without a further TAB it ends the line too,
          // and the rest up to the LF is dropped.
          const char* r = findAny<'\t', '\n'>(q + 1, end);
          if (r == end || *r == '\n') {
            p = r == end ? end : r + 1;
            break;
          }
          tabAhead = r;
        }
        p = fieldStart = q + 1;
      }
      std::vector<std::string>& fields = result.emplace_back();
      fields.reserve(bounds.size());
      for (std::string_view b : bounds) fields.emplace_back(b);
    }
  } catch (const std::exception& e) {
    util::traceFailure("Zorlog", "parse", e);
  }
  Debug::print("O Zorlog.parse", 1);
  return result;
}

}  // namespace games
