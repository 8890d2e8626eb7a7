#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tools::loggen {

// The server's language: which of the catalog's name tables the log uses
// for weapons, items, pickups, game types, team names and yes/no words.
enum class Language : int32_t { kEnglish = 0, kSpanish = 1, kFrench = 2, kItalian = 3 };

// A civil date and time without a time zone (the game server's local time).
struct DateTime {
  int32_t year = 2001;
  int32_t month = 3;
  int32_t day = 4;
  int32_t hour = 10;
  int32_t minute = 20;
  int32_t second = 30;
  int32_t millis = 400;

  bool valid() const;
  // Seconds since 1970-01-01 00:00:00 of the same calendar (no zone applied).
  int64_t toSeconds() const;
  static DateTime fromSeconds(int64_t seconds, int32_t millis);
  // "yyyy.MM.dd.hh.mm.ss.SSS", the form of the log's date line.
  std::string logText() const;
  // "yyyy-MM-dd_hh-mm-ss", for file names.
  std::string fileText() const;
};

// Damage that a log can carry, each asked for on its own.
struct Faults {
  bool truncatedLastLine = false;  // the last line is cut short and has no line end
  bool missingGameEnd = false;     // the server stopped writing before the game end
  bool unknownKeyword = false;     // one line with a keyword the reader does not know
  bool shortLine = false;          // one kill line lacks its last field
  bool nonNumericField = false;    // one kill line, late in the log, has a killer number
                                   // that is not a number
  bool any() const {
    return truncatedLastLine || missingGameEnd || unknownKeyword || shortLine || nonNumericField;
  }
};

struct LogOptions {
  uint64_t seed = 1;
  // Game-type row of the catalog: 0 DeathMatch, 1 Capture the Flag,
  // 2 Domination, 3 Assault, 4 Team Game, 5 Last Man Standing,
  // 6 single-player (one human against bots, in one of rows 0, 1, 2, 4).
  int32_t gameType = 0;
  // People who take part over the whole match (some join late, some leave),
  // 2 to kMaxPlayers.
  int32_t players = 8;
  // Bots among them; default half (single-player: all but one).
  std::optional<int32_t> bots;
  // Time limit in minutes (1 to kMaxMinutes). With a size target the match
  // runs until the size is reached instead and no frag, score or lives limit
  // ends it early.
  double minutes = 15.0;
  DateTime start;
  // Zone text of the date line: an hour offset with its sign ("-5", "+1",
  // "+5.5") or three letters ("GMT").
  std::string zone = "-5";
  // Size of the log file in bytes (16-bit units): the log is as large as it
  // can be without exceeding this.
  std::optional<int64_t> targetBytes;
  // Default: chosen by the seed, mostly English.
  std::optional<Language> language;
  // Share of kills that name a weapon the catalog does not know (0 to 1),
  // as a server mod does; tests of that path ask for it, by default every
  // kill names a stock weapon.
  double unknownWeaponRate = 0.0;
  Faults faults;
};

inline constexpr int32_t kMaxPlayers = 32;
inline constexpr double kMaxMinutes = 600.0;
inline constexpr int64_t kMinTargetBytes = 4000;
inline constexpr int64_t kMaxTargetBytes = 20000000;
// Logs larger than this are set aside by the statistics generator's staging.
inline constexpr int64_t kStagingLimit = 1300000;

// Options that cannot give a log: a value out of range, or a size target too
// small for the header and the players' connections.
class GeneratorError : public std::runtime_error {
 public:
  explicit GeneratorError(const std::string& message) : std::runtime_error(message) {}
};

// Writes match logs as the game server does. The same options give the same
// bytes on every platform and library version (own pseudo-random generator,
// no floating-point formatting of random values beyond two decimals).
class LogGenerator {
 public:
  // Throws GeneratorError for options out of range.
  explicit LogGenerator(LogOptions options);

  // The log as the statistics generator reads it: ISO-8859-1, one byte per
  // character, TAB-separated fields, CR LF line ends. Throws GeneratorError
  // when a size target cannot be met.
  std::string text() const;
  // The log file's bytes: every character as a 16-bit little-endian unit.
  std::string bytes() const { return encodeUtf16le(text()); }

  const LogOptions& options() const { return options_; }

  static std::string encodeUtf16le(std::string_view latin1);
  // The low byte of each 16-bit unit (an odd last byte is dropped), as the
  // statistics generator reads a log.
  static std::string lowBytes(std::string_view utf16);
  // Throws GeneratorError naming the first option out of range.
  static void check(const LogOptions& o);

 private:
  LogOptions options_;
};

// A directory of logs with distinct, increasing dates.
struct BatchOptions {
  LogOptions base;
  int32_t count = 1;
  // Cycle through all seven game types instead of base.gameType.
  bool allTypes = false;
  std::string directory;
};

// Writes the logs (file names "Brimfall_<date>.log") and returns their paths
// in order. Log i uses a seed derived from base.seed and i, and starts after
// log i-1 has ended. Throws GeneratorError or base::IOError.
std::vector<std::string> writeBatch(const BatchOptions& b);

}  // namespace tools::loggen
