// The settings and identity of games::bf::Game: the handlers of the game,
// info and map records, the log's date and the world-stats verdict on the
// class, mutators and version.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

#include "base/Failure.h"
#include "games/bf/Game.h"
#include "games/bf/GameData.h"
#include "games/bf/GameHandler.h"
#include "platform/LocalTime.h"
#include "util/Debug.h"
#include "util/Text.h"
#include "util/Trace.h"

namespace games::bf {
namespace {

using detail::isFalseWord;

// The name part of a class identifier: after the first ".", unless there is
// none or it is the last character.
std::string namePart(const std::string& v) {
  size_t dot = v.find('.');
  if (dot == std::string::npos || dot + 1 == v.size()) return v;
  return v.substr(dot + 1);
}

const char* const kDaysShort[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthsShort[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A field of the date text: decimal digits, read as a number.
int64_t dateField(const std::string& text, size_t& pos, bool last) {
  size_t start = pos;
  int64_t v = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    if (pos - start >= 12) throw base::FormatError("Unparseable date: \"" + text + "\"");
    v = v * 10 + (text[pos] - '0');
    ++pos;
  }
  if (pos == start) throw base::FormatError("Unparseable date: \"" + text + "\"");
  if (!last) {
    if (pos >= text.size() || text[pos] != '.')
      throw base::FormatError("Unparseable date: \"" + text + "\"");
    ++pos;
  }
  return v;
}

// A time-zone offset in hours: a decimal number, blanks around it allowed.
double offsetHours(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  size_t b = s.find_last_not_of(" \t");
  std::string t = a == std::string::npos ? "" : s.substr(a, b - a + 1);
  bool ok = !t.empty();
  size_t i = 0;
  if (ok && (t[0] == '+' || t[0] == '-')) i = 1;
  bool digits = false, dot = false;
  for (; ok && i < t.size(); ++i) {
    if (t[i] >= '0' && t[i] <= '9') {
      digits = true;
    } else if (t[i] == '.' && !dot) {
      dot = true;
    } else {
      ok = false;
    }
  }
  if (!ok || !digits) throw base::NumberFormatError("For input string: \"" + s + "\"");
  return std::strtod(t.c_str(), nullptr);
}

}  // namespace

using base::failureText;
using detail::guarded;
using util::Debug;

// ---------------------------------------------------------------------------
// Settings and identity.

void Game::hGame(const EGame& e) {
  guarded("hGame", " ", [&] {
    const std::string& v = e.var;
    const std::string& val = e.val;
    if (v == "CodePackageChecksum") {
      if (!e.valB) return;
      if (Specs::cloc(val + " " + *e.valB) < 0) {
        validLibs = false;
        Debug::print("Invalid Library Checksum: " + val + " = " + *e.valB, 0);
      }
    } else if (v == "GameName") {
      gameString = val;
      gameType = Specs::gloc(val);
    } else if (v == "TeamGame") {
      teamGame = !isFalseWord(val);
    } else if (v == "TimeLimit") {
      timelimit = val;
    } else if (v == "FragLimit") {
      fraglimit = val;
    } else if (v == "WeaponsStay") {
      weaponsStay = isFalseWord(val) ? "no" : "yes";
    } else if (v == "MegaSpeed") {
      megaSpeed = !isFalseWord(val);
    } else if (v == "HardCore") {
      hardCore = !isFalseWord(val);
    } else if (v == "GameSpeed") {
      gameSpeed = val;
    } else if (v == "AirControl") {
      airControl = val;
    } else if (v == "JumpMatch") {
      jumpMatch = isFalseWord(val) ? "no" : "yes";
    } else if (v == "UseBlinker") {
      useBlinker = isFalseWord(val) ? "disabled" : "enabled";
    } else if (v == "TournamentMode") {
      tournamentMode = val;
    } else if (v == "NetMode") {
      netMode = val;
    } else if (v == "GoalTeamScore") {
      goalTeamScore = val;
    } else if (v == "FriendlyFireScale") {
      friendlyFire = val;
    } else if (v == "GameMutator") {
      gameMutator.push_back(namePart(val));
    } else if (v == "GameClass") {
      gameClass = namePart(val);
    } else if (v == "GameVersion") {
      gameVersion = val;
    }
  });
}

void Game::hInfo(const EInfo& e) {
  guarded("hInfo", " ", [&] {
    const std::string& first = e.list.at(0);
    if (e.infoType == "Absolute_Time")
      date = niceDate(first);
    else if (e.infoType == "Server_ServerName")
      servername = first;
    else if (e.infoType == "Server_Port")
      port = first;
  });
}

void Game::hMap(const EMap& e) {
  guarded("hMap", " ", [&] {
    if (e.var == "Title") map = e.val;
  });
}

std::string Game::niceDate(const std::string& text) {
  try {
    size_t minus = text.find(".-");
    size_t plus = text.find(".+");
    size_t cut;
    if (minus != std::string::npos && minus > 0)
      cut = minus;
    else if (plus != std::string::npos && plus > 0)
      cut = plus;
    else if (text.size() >= 4)
      cut = text.size() - 4;
    else
      throw base::FormatError("Unparseable date: \"" + text + "\"");

    // "yyyy.MM.dd.hh.mm.ss.SSS" in the machine's time zone; the hour is read
    // on the 24-hour clock (0 to 23, 12 is noon).
    std::string part = text.substr(0, cut);
    size_t pos = 0;
    int64_t f[7];
    for (int i = 0; i < 7; ++i) f[i] = dateField(part, pos, i == 6);
    std::tm tm{};
    tm.tm_year = static_cast<int>(f[0] - 1900);
    tm.tm_mon = static_cast<int>(f[1] - 1);
    tm.tm_mday = static_cast<int>(f[2]);
    tm.tm_hour = static_cast<int>(f[3]);
    tm.tm_min = static_cast<int>(f[4]);
    tm.tm_sec = static_cast<int>(f[5]);
    tm.tm_isdst = -1;
    if (f[0] > 100000 || f[1] > 100000 || f[2] > 100000 || f[3] > 100000 || f[4] > 100000 ||
        f[5] > 100000)
      throw base::FormatError("Unparseable date: \"" + text + "\"");
    std::time_t secs = platform::fromLocalTime(tm);
    if (secs == static_cast<std::time_t>(-1) && tm.tm_year != 69)
      throw base::FormatError("Unparseable date: \"" + text + "\"");
    // Whole seconds plus the milliseconds field (a larger field carries over).
    time = static_cast<int64_t>(secs) * 1000 + f[6];
    auto shown = static_cast<std::time_t>(std::floor(static_cast<double>(time) / 1000.0));
    // Within the years the fields allow, the local time always exists; the
    // fields stay zero if it did not.
    std::tm local{};
    if (!platform::localTime(shown, local)) local = std::tm{};

    int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s, %s %02d  %04d at %d:%02d:%02d %s",
                  kDaysShort[local.tm_wday], kMonthsShort[local.tm_mon], local.tm_mday,
                  local.tm_year + 1900, hour12, local.tm_min, local.tm_sec,
                  local.tm_hour < 12 ? "AM" : "PM");
    std::string zone = text.substr(cut + 1);
    std::string display = std::string(buf) + " " + zone;

    if (cut == minus || cut == plus) {
      double hours = offsetHours(zone.substr(1));
      double product = hours * 3600000.0;
      if (!(std::fabs(product) < 9.0e18))
        throw base::NumberFormatError("time-zone offset out of range: \"" + zone + "\"");
      auto shift = static_cast<int64_t>(product);
      if (__builtin_add_overflow(time, cut == minus ? shift : -shift, &time))
        throw base::NumberFormatError("time-zone offset out of range: \"" + zone + "\"");
    }
    return display;
  } catch (const std::exception& e) {
    util::traceFailure("Game", "niceDate", e, " ");
    return "Bad Date Format";
  }
}

void Game::getWSValid() {
  validMutator = validVersion = validClass = true;
  if (gameMutator.empty()) {
    validMutator = false;
  } else {
    validClass = std::find(GameData::kStockGameClasses.begin(), GameData::kStockGameClasses.end(),
                           gameClass) != GameData::kStockGameClasses.end();
  }
  for (const auto& m : gameMutator)
    if (std::find(GameData::kStockMutators.begin(), GameData::kStockMutators.end(), m) ==
        GameData::kStockMutators.end())
      validMutator = false;
  if (!gameVersion) throw base::FormatError("the log names no game version");
  validVersion = util::parseInt32(*gameVersion) == GameData::kStockGameVersion;
  if ((!validMutator || !validClass) && validLibs)
    Debug::print("Invalid Mutator/Class not caught by validLibs!", 0);
}

}  // namespace games::bf
