#include "tools/loggen/LoggenCommand.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string_view>

#include "base/Failure.h"
#include "base/InfoRequest.h"
#include "help/loggen.h"
#include "platform/FileSystem.h"
#include "tools/loggen/LogGenerator.h"

namespace tools::loggen {
namespace {

constexpr int kDone = 0;
constexpr int kWriteFailed = 1;
constexpr int kBadOptions = 2;

class OptionError : public std::runtime_error {
 public:
  explicit OptionError(const std::string& m) : std::runtime_error(m) {}
};

struct Command {
  LogOptions log;
  std::string out = "-";
  std::optional<int32_t> count;
  bool allTypes = false;
  bool playersGiven = false;
  bool help = false;
  bool version = false;
};

int64_t integer(const std::string& option, const std::string& v, int64_t lo, int64_t hi) {
  errno = 0;
  char* end = nullptr;
  long long n = std::strtoll(v.c_str(), &end, 10);
  if (v.empty() || *end != '\0' || errno == ERANGE || n < lo || n > hi)
    throw OptionError(option + " needs a whole number from " + std::to_string(lo) + " to " +
                      std::to_string(hi) + ", not \"" + v + "\"");
  return n;
}

double real(const std::string& option, const std::string& v, double lo, double hi) {
  char* end = nullptr;
  double d = std::strtod(v.c_str(), &end);
  if (v.empty() || *end != '\0' || !(d >= lo && d <= hi))
    throw OptionError(option + " needs a number from " + std::to_string(lo).substr(0, 5) + " to " +
                      std::to_string(hi).substr(0, 5) + ", not \"" + v + "\"");
  return d;
}

// "YYYY-MM-DD", "YYYY-MM-DDTHH:MM" or "YYYY-MM-DDTHH:MM:SS".
DateTime date(const std::string& v) {
  DateTime d;
  d.hour = d.minute = d.second = d.millis = 0;
  int n = 0;
  char tail = 0;
  int parsed = std::sscanf(v.c_str(), "%4d-%2d-%2d%n", &d.year, &d.month, &d.day, &n);
  bool ok = parsed == 3 && n == 10;
  if (ok && static_cast<size_t>(n) < v.size()) {
    int m = 0;
    ok = std::sscanf(v.c_str() + n, "%c%2d:%2d%n", &tail, &d.hour, &d.minute, &m) == 3 &&
         (tail == 'T' || tail == ' ') && m == 6;
    n += m;
    if (ok && static_cast<size_t>(n) < v.size()) {
      int k = 0;
      ok = std::sscanf(v.c_str() + n, ":%2d%n", &d.second, &k) == 1 && k == 3;
      n += k;
    }
    ok = ok && static_cast<size_t>(n) == v.size();
  }
  if (!ok || !d.valid())
    throw OptionError("--date needs a date YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS], not \"" + v + "\"");
  return d;
}

int32_t gameType(const std::string& v, bool& all) {
  struct Name {
    const char* name;
    int32_t row;
  };
  static constexpr Name kNames[] = {{"dm", 0},
                                    {"deathmatch", 0},
                                    {"ctf", 1},
                                    {"dom", 2},
                                    {"domination", 2},
                                    {"assault", 3},
                                    {"as", 3},
                                    {"tg", 4},
                                    {"teamgame", 4},
                                    {"lms", 5},
                                    {"lastmanstanding", 5},
                                    {"sp", 6},
                                    {"singleplayer", 6}};
  if (v == "all") {
    all = true;
    return 0;
  }
  for (const Name& n : kNames)
    if (v == n.name) return n.row;
  throw OptionError("--type needs dm, ctf, dom, assault, tg, lms, sp or all, not \"" + v + "\"");
}

Language language(const std::string& v) {
  if (v == "en") return Language::kEnglish;
  if (v == "es") return Language::kSpanish;
  if (v == "fr") return Language::kFrench;
  if (v == "it") return Language::kItalian;
  throw OptionError("--language needs en, es, fr or it, not \"" + v + "\"");
}

Command parse(const std::vector<std::string>& args) {
  Command c;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string opt = args[i];
    std::optional<std::string> inlineValue;
    if (opt.rfind("--", 0) == 0) {
      size_t eq = opt.find('=');
      if (eq != std::string::npos) {
        inlineValue = opt.substr(eq + 1);
        opt.resize(eq);
      }
    }
    auto value = [&]() -> std::string {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= args.size()) throw OptionError(opt + " needs a value");
      return args[++i];
    };
    auto flag = [&]() {
      if (inlineValue) throw OptionError(opt + " takes no value");
    };
    if (opt == "-h" || opt == "--help") {
      c.help = true;
    } else if (opt == "--version") {
      c.version = true;
    } else if (opt == "-o" || opt == "--out") {
      c.out = value();
    } else if (opt == "-t" || opt == "--type") {
      c.log.gameType = gameType(value(), c.allTypes);
    } else if (opt == "-p" || opt == "--players") {
      c.log.players = static_cast<int32_t>(integer(opt, value(), 2, kMaxPlayers));
      c.playersGiven = true;
    } else if (opt == "-b" || opt == "--bots") {
      c.log.bots = static_cast<int32_t>(integer(opt, value(), 0, kMaxPlayers));
    } else if (opt == "-m" || opt == "--minutes") {
      c.log.minutes = real(opt, value(), 1, kMaxMinutes);
    } else if (opt == "-d" || opt == "--date") {
      c.log.start = date(value());
    } else if (opt == "-z" || opt == "--zone") {
      c.log.zone = value();
    } else if (opt == "-s" || opt == "--seed") {
      c.log.seed = static_cast<uint64_t>(integer(opt, value(), 0, INT64_MAX));
    } else if (opt == "--size") {
      c.log.targetBytes = integer(opt, value(), kMinTargetBytes, kMaxTargetBytes);
    } else if (opt == "-l" || opt == "--language") {
      c.log.language = language(value());
    } else if (opt == "-n" || opt == "--count") {
      c.count = static_cast<int32_t>(integer(opt, value(), 1, 10000));
    } else if (opt == "--unknown-weapons") {
      c.log.unknownWeaponRate = real(opt, value(), 0, 1);
    } else if (opt == "--truncate") {
      flag();
      c.log.faults.truncatedLastLine = true;
    } else if (opt == "--no-end") {
      flag();
      c.log.faults.missingGameEnd = true;
    } else if (opt == "--unknown-keyword") {
      flag();
      c.log.faults.unknownKeyword = true;
    } else if (opt == "--short-line") {
      flag();
      c.log.faults.shortLine = true;
    } else if (opt == "--bad-number") {
      flag();
      c.log.faults.nonNumericField = true;
    } else {
      throw OptionError("unknown option \"" + args[i] + "\"");
    }
  }
  if (c.allTypes && !c.count) throw OptionError("--type all needs --count");
  if (c.count && c.out == "-") throw OptionError("--count needs --out DIRECTORY");
  // Bigger logs need more people to stay plausible.
  if (c.log.targetBytes && !c.playersGiven)
    c.log.players =
        static_cast<int32_t>(std::clamp<int64_t>(2 + *c.log.targetBytes / 60000, 2, 24));
  if (c.log.gameType == 6 && !c.allTypes && c.log.bots && *c.log.bots != c.log.players - 1)
    throw OptionError("a single-player match has one human: --bots must be --players minus 1");
  if (c.log.bots && *c.log.bots > c.log.players)
    throw OptionError("--bots must not exceed --players");
  return c;
}

}  // namespace

std::string loggenUsage() { return help::kLoggen; }

int runLoggen(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  Command c;
  try {
    c = parse(args);
    if (c.help) {
      std::fputs(loggenUsage().c_str(), out);
      return kDone;
    }
    if (c.version) {
      std::fprintf(out, "loggen %s\n", base::kProgramVersion);
      return kDone;
    }
    LogGenerator::check(c.log);
  } catch (const std::exception& e) {
    std::fprintf(err, "loggen: %s\nTry 'loggen --help' for more information.\n", e.what());
    return kBadOptions;
  }
  try {
    if (c.count) {
      std::string dir = c.out;
      while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
      if (!platform::isDirectory(dir) && !platform::makeDirectory(dir))
        throw base::IOError("cannot create the directory " + dir);
      BatchOptions b{c.log, *c.count, c.allTypes, dir};
      for (const std::string& p : writeBatch(b)) std::fprintf(out, "%s\n", p.c_str());
    } else {
      const std::string bytes = LogGenerator(c.log).bytes();
      if (c.out == "-") {
        if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
            std::fflush(out) != 0)
          throw base::IOError("cannot write to standard output");
      } else {
        platform::writeFile(c.out, bytes);
      }
    }
  } catch (const GeneratorError& e) {
    std::fprintf(err, "loggen: %s\n", e.what());
    return kBadOptions;
  } catch (const std::exception& e) {
    std::fprintf(err, "loggen: %s\n", base::failureText(e).c_str());
    return kWriteFailed;
  }
  return kDone;
}

}  // namespace tools::loggen
