#include "tools/loggen/LogGenerator.h"

#include <algorithm>
#include <cstdlib>

#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "tools/loggen/LogFaults.h"
#include "tools/loggen/Match.h"
#include "tools/loggen/Rng.h"

namespace tools::loggen {
namespace {

using detail::injectFaults;
using detail::Match;
using detail::mix;
using detail::Rng;
using games::bf::Specs;

bool validZone(const std::string& z) {
  if (z.size() == 3)
    return std::all_of(z.begin(), z.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
  if (z.size() < 2 || (z[0] != '-' && z[0] != '+')) return false;
  bool digits = false, dot = false;
  for (size_t i = 1; i < z.size(); ++i) {
    if (z[i] >= '0' && z[i] <= '9') {
      digits = true;
    } else if (z[i] == '.' && !dot && digits && i + 1 < z.size()) {
      dot = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  return std::strtod(z.c_str() + 1, nullptr) <= 14.0;
}

}  // namespace

LogGenerator::LogGenerator(LogOptions options) : options_(std::move(options)) { check(options_); }

void LogGenerator::check(const LogOptions& o) {
  auto fail = [](const std::string& m) { throw GeneratorError(m); };
  if (o.gameType < 0 || o.gameType >= static_cast<int32_t>(Specs::kGames))
    fail("the game type must be a catalog row from 0 to 6");
  if (o.players < 2 || o.players > kMaxPlayers)
    fail("the number of players must be from 2 to " + std::to_string(kMaxPlayers));
  if (o.bots) {
    if (*o.bots < 0 || *o.bots > o.players)
      fail("the number of bots must be from 0 to the number of players");
    if (o.gameType == Specs::kSinglePlayer && *o.bots != o.players - 1)
      fail("a single-player match has one human: bots must be players - 1");
  }
  if (!(o.minutes >= 1.0 && o.minutes <= kMaxMinutes))
    fail("the match length must be from 1 to " + std::to_string(static_cast<int>(kMaxMinutes)) +
         " minutes");
  if (!o.start.valid()) fail("the start date is not a valid date and time");
  if (!validZone(o.zone))
    fail("the zone must be an hour offset with its sign (-5, +1, +5.5) or three capital letters");
  if (o.targetBytes && (*o.targetBytes < kMinTargetBytes || *o.targetBytes > kMaxTargetBytes))
    fail("the size must be from " + std::to_string(kMinTargetBytes) + " to " +
         std::to_string(kMaxTargetBytes) + " bytes");
  if (!(o.unknownWeaponRate >= 0.0 && o.unknownWeaponRate <= 1.0))
    fail("the unknown-weapon rate must be from 0 to 1");
}

std::string LogGenerator::text() const {
  Match m(options_);
  std::string t = m.run();
  if (options_.faults.any()) t = injectFaults(t, options_.faults, options_.seed);
  return t;
}

std::string LogGenerator::encodeUtf16le(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size() * 2);
  for (char c : latin1) {
    out += c;
    out += '\0';
  }
  return out;
}

std::string LogGenerator::lowBytes(std::string_view utf16) {
  std::string out;
  out.reserve(utf16.size() / 2);
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) out += utf16[i];
  return out;
}

std::vector<std::string> writeBatch(const BatchOptions& b) {
  if (b.count < 1 || b.count > 10000) throw GeneratorError("the count must be from 1 to 10000");
  LogGenerator::check(b.base);
  std::vector<std::string> paths;
  int64_t start = b.base.start.toSeconds();
  Rng order(mix(b.base.seed, 0x6261746368ULL));
  const int32_t firstType = order.below(static_cast<int32_t>(Specs::kGames));
  for (int32_t i = 0; i < b.count; ++i) {
    LogOptions o = b.base;
    o.seed = mix(b.base.seed, static_cast<uint64_t>(i) + 1);
    if (b.allTypes) {
      o.gameType = (firstType + i) % static_cast<int32_t>(Specs::kGames);
      // A bot count chosen for team matches does not fit the one-human match.
      if (o.gameType == Specs::kSinglePlayer) o.bots.reset();
    }
    o.start = DateTime::fromSeconds(start, b.base.start.millis);
    const std::string path = b.directory + "/Brimfall_" + o.start.fileText() + ".log";
    const std::string text = LogGenerator(o).text();
    platform::writeFile(path, LogGenerator::encodeUtf16le(text));
    paths.push_back(path);
    // The next match begins after this one (its last line) and a break
    // between maps.
    size_t lastLine = text.rfind("\r\n", text.size() >= 2 ? text.size() - 3 : 0);
    lastLine = lastLine == std::string::npos ? 0 : lastLine + 2;
    const double lasted = std::strtod(text.c_str() + lastLine, nullptr);
    start += static_cast<int64_t>(lasted) + 60 + order.range(30, 900);
  }
  return paths;
}

}  // namespace tools::loggen
