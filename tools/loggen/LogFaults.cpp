#include "tools/loggen/LogFaults.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

#include "tools/loggen/LogText.h"
#include "tools/loggen/Rng.h"

namespace tools::loggen::detail {
namespace {

constexpr std::array<const char*, 3> kUnknownKeywords = {"vote_called", "vehicle_enter",
                                                         "spectator_join"};

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// A kill line between the shares `from` and `to` of the log, or -1.
int64_t pickKillLine(Rng& rng, const std::vector<std::string>& lines, double from, double to) {
  std::vector<int64_t> kills;
  const auto n = static_cast<double>(lines.size());
  for (size_t i = static_cast<size_t>(n * from); i < static_cast<size_t>(n * to); ++i)
    if (fieldOf(lines[i], 1) == "kill") kills.push_back(static_cast<int64_t>(i));
  if (kills.empty()) {
    for (size_t i = 0; i < lines.size(); ++i)
      if (fieldOf(lines[i], 1) == "kill") kills.push_back(static_cast<int64_t>(i));
  }
  if (kills.empty()) return -1;
  return kills[static_cast<size_t>(rng.below(static_cast<int32_t>(kills.size())))];
}

}  // namespace

std::string injectFaults(const std::string& text, const Faults& faults, uint64_t seed) {
  // A stream of its own, so that a damaged log equals the sound one elsewhere.
  Rng rng(mix(seed, 0x6661756C7473ULL));
  std::vector<std::string> lines = splitLines(text);
  if (faults.missingGameEnd) {
    for (size_t i = 0; i < lines.size(); ++i)
      if (fieldOf(lines[i], 1) == "game_end") {
        lines.resize(i);
        break;
      }
  }
  if (faults.shortLine) {
    int64_t k = pickKillLine(rng, lines, 0.3, 0.6);
    if (k >= 0) lines[static_cast<size_t>(k)].resize(lines[static_cast<size_t>(k)].rfind('\t'));
  }
  if (faults.nonNumericField) {
    int64_t k = pickKillLine(rng, lines, 0.7, 0.95);
    if (k >= 0) {
      std::string& l = lines[static_cast<size_t>(k)];
      size_t a = l.find('\t', l.find('\t') + 1) + 1;  // the killer number
      l.insert(a, "x");
    }
  }
  if (faults.unknownKeyword) {
    size_t at = lines.size() / 2;
    while (at < lines.size() && fieldOf(lines[at], 1) == "info") ++at;
    std::string t = at < lines.size() ? fieldOf(lines[at], 0) : "0.00";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
                 t + "\t" + kUnknownKeywords[static_cast<size_t>(rng.below(3))] + "\t0\t1");
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  if (faults.truncatedLastLine && !lines.empty()) {
    out.resize(out.size() - 2);
    const size_t len = lines.back().size();
    out.resize(out.size() - len + std::min(len, std::max<size_t>(3, len / 2)));
  }
  return out;
}

}  // namespace tools::loggen::detail
