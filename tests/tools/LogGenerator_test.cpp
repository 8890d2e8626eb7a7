#include "tools/loggen/LogGenerator.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "games/Zorlog.h"
#include "games/bf/EventList.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "tools/loggen/LoggenCommand.h"
#include "util/Debug.h"

namespace {

using testing_support::StdoutCapture;
using testing_support::TestDir;
using tools::loggen::BatchOptions;
using tools::loggen::DateTime;
using tools::loggen::GeneratorError;
using tools::loggen::Language;
using tools::loggen::LogGenerator;
using tools::loggen::LogOptions;

constexpr int32_t kTypes = 7;

LogOptions options(int32_t type, uint64_t seed = 7) {
  LogOptions o;
  o.gameType = type;
  o.seed = seed;
  o.players = 10;
  o.minutes = 12;
  o.unknownWeaponRate = 0.003;
  return o;
}

std::vector<std::string> split(const std::string& s, const std::string& sep) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (true) {
    size_t end = s.find(sep, pos);
    out.push_back(s.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) return out;
    pos = end + sep.size();
  }
}

// Keyword of a line, with the second keyword of "player" lines.
std::string keyword(const std::vector<std::string>& f) {
  if (f.size() < 2) return "";
  return f[1] == "player" && f.size() > 2 ? "player " + f[2] : f[1];
}

std::map<std::string, int> keywordCounts(const std::string& text) {
  std::map<std::string, int> counts;
  for (const std::string& l : split(text, "\r\n"))
    if (!l.empty()) ++counts[keyword(split(l, "\t"))];
  return counts;
}

// The value of a header line "0.00 <kind> <key> <value>".
std::string header(const std::string& text, const std::string& kind, const std::string& key) {
  for (const std::string& l : split(text, "\r\n")) {
    auto f = split(l, "\t");
    if (f.size() >= 4 && f[1] == kind && f[2] == key) return f[3];
  }
  return "<none>";
}

// What the log reader traces for the log (severity 0 only), and whether it
// gave an event list.
struct Reading {
  std::string trace;
  bool events = false;
};
Reading read(const std::string& fileBytes) {
  util::Debug::reset();
  StdoutCapture out;
  auto lines = games::Zorlog::parse(LogGenerator::lowBytes(fileBytes));
  auto events = games::bf::EventList::parse(lines);
  Reading r;
  r.events = events.has_value() && !events->empty();
  r.trace = out.text();
  return r;
}

class LogGeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override { util::Debug::reset(); }
  void TearDown() override { util::Debug::reset(); }
};

// ------------------------------------------------------------ determinism

TEST_F(LogGeneratorTest, SameSeedSameBytesOtherSeedOtherBytes) {
  for (int32_t type = 0; type < kTypes; ++type) {
    const std::string a = LogGenerator(options(type, 11)).bytes();
    EXPECT_EQ(a, LogGenerator(options(type, 11)).bytes()) << type;
    EXPECT_NE(a, LogGenerator(options(type, 12)).bytes()) << type;
  }
  LogOptions sized = options(1);
  sized.targetBytes = 60000;
  EXPECT_EQ(LogGenerator(sized).bytes(), LogGenerator(sized).bytes());
}

// ------------------------------------------------------------ encoding

TEST_F(LogGeneratorTest, SixteenBitLittleEndianWithCrLfAndNoByteOrderMark) {
  LogOptions o = options(0);
  o.language = Language::kFrench;
  const std::string bytes = LogGenerator(o).bytes();
  ASSERT_EQ(bytes.size() % 2, 0u);
  for (size_t i = 1; i < bytes.size(); i += 2) ASSERT_EQ(bytes[i], '\0') << i;
  const std::string text = LogGenerator::lowBytes(bytes);
  EXPECT_EQ(text, LogGenerator(o).text());
  EXPECT_EQ(text.substr(0, 5), "0.00\t");
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << i;
    }
    if (text[i] == '\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << i;
    }
  }
  // Accented names are single ISO-8859-1 characters, one 16-bit unit each.
  EXPECT_EQ(header(text, "game", "GameName"), "Match \xE0 Mort");
  EXPECT_NE(bytes.find(std::string("\xE0\0 \0M\0", 6)), std::string::npos);
}

TEST_F(LogGeneratorTest, EachLanguageUsesItsOwnNames) {
  const std::map<Language, std::string> names = {{Language::kEnglish, "Capture the Flag"},
                                                 {Language::kSpanish, "Captura la Bandera"},
                                                 {Language::kFrench, "Capture du Drapeau"},
                                                 {Language::kItalian, "Cattura la Bandiera"}};
  for (const auto& [lang, name] : names) {
    LogOptions o = options(1);
    o.language = lang;
    const std::string text = LogGenerator(o).text();
    EXPECT_EQ(header(text, "game", "GameName"), name);
    EXPECT_TRUE(read(LogGenerator(o).bytes()).trace.empty()) << name;
  }
}

// ------------------------------------------------------------ game types

TEST_F(LogGeneratorTest, EveryTypeHasItsHeaderAndCharacteristicEvents) {
  for (int32_t type = 0; type < kTypes; ++type) {
    SCOPED_TRACE(type);
    const std::string text = LogGenerator(options(type)).text();
    auto c = keywordCounts(text);
    EXPECT_EQ(c["game_start"], 1);
    EXPECT_EQ(c["game_end"], 1);
    EXPECT_GT(c["kill"], 20);
    EXPECT_GT(c["item_get"], 20);
    EXPECT_GT(c["player Connect"], 2);
    EXPECT_GT(c["player IsABot"], 2);
    EXPECT_NE(header(text, "info", "Absolute_Time"), "<none>");
    EXPECT_NE(header(text, "info", "Server_ServerName"), "<none>");
    EXPECT_NE(header(text, "map", "Title"), "<none>");
    EXPECT_GE(c["game"], 25 + 18);  // every package and every setting
  }
  auto counts = [](int32_t type) { return keywordCounts(LogGenerator(options(type)).text()); };
  auto dm = counts(0);
  EXPECT_EQ(dm["flag_taken"] + dm["controlpoint_capture"] + dm["assault_gamecode"], 0);
  EXPECT_LT(dm["player Team"], dm["player Connect"]);  // only the stale ones before a connect
  auto ctf = counts(1);
  EXPECT_GT(ctf["flag_taken"], 0);
  EXPECT_GT(ctf["flag_captured"], 0);
  EXPECT_GT(ctf["flag_dropped"], 0);
  EXPECT_GT(ctf["flag_returned"] + ctf["flag_pickedup"] + ctf["flag_returned_timeout"], 0);
  EXPECT_GT(ctf["throw_blinker"], 0);
  auto dom = counts(2);
  EXPECT_GT(dom["controlpoint_capture"], 0);
  EXPECT_GT(dom["dom_score_update"], 0);
  EXPECT_GT(dom["dom_playerscore_update"], 0);
  auto as = counts(3);
  for (const char* k :
       {"assault_timelimit", "assault_gamecode", "assault_defender", "assault_attacker"})
    EXPECT_EQ(as[k], 1) << k;
  auto tg = counts(4);
  EXPECT_GE(tg["player Team"], tg["player Connect"]);
  EXPECT_GT(tg["player TeamName"], 0);

  const std::string lms = LogGenerator(options(5)).text();
  EXPECT_EQ(header(lms, "game", "GameClass"), "Brimfall.LastManStanding");
  // Someone loses every life: his deaths and suicides reach the lives limit.
  const int lives = std::stoi(header(lms, "game", "FragLimit"));
  std::map<std::string, int> lost;
  for (const std::string& l : split(lms, "\r\n")) {
    auto f = split(l, "\t");
    if (f.size() > 4 && (f[1] == "kill" || f[1] == "teamkill")) ++lost[f[4]];
    if (f.size() > 2 && f[1] == "suicide") ++lost[f[2]];
  }
  int maxLost = 0;
  for (const auto& [p, n] : lost) maxLost = std::max(maxLost, n);
  EXPECT_EQ(maxLost, lives);

  const std::string sp = LogGenerator(options(6)).text();
  EXPECT_EQ(header(sp, "game", "NetMode"), "SinglePlayer");
  auto spc = keywordCounts(sp);
  EXPECT_EQ(spc["player Connect"], 10);
  size_t humans = 0;  // only humans connect with a secret
  for (const std::string& l : split(sp, "\r\n"))
    if (l.find("\tplayer\tConnect\t") != std::string::npos && split(l, "\t").size() == 7) ++humans;
  EXPECT_EQ(humans, 1u);
}

TEST_F(LogGeneratorTest, AFewLogsTogetherUseEveryKeywordOfTheFormat) {
  std::set<std::string> seen;
  for (uint64_t seed = 1; seed <= 3; ++seed)
    for (int32_t type = 0; type < kTypes; ++type) {
      LogOptions o = options(type, seed);
      o.players = 14;
      o.minutes = 20;
      for (const auto& [k, n] : keywordCounts(LogGenerator(o).text())) seen.insert(k);
    }
  for (const char* k : {"game_start",
                        "game_end",
                        "info",
                        "map",
                        "game",
                        "kill",
                        "teamkill",
                        "suicide",
                        "headshot",
                        "item_get",
                        "item_activate",
                        "item_deactivate",
                        "flag_taken",
                        "flag_dropped",
                        "flag_pickedup",
                        "flag_captured",
                        "flag_returned",
                        "flag_returned_timeout",
                        "controlpoint_capture",
                        "dom_playerscore_update",
                        "dom_score_update",
                        "assault_timelimit",
                        "assault_gamecode",
                        "assault_defender",
                        "assault_attacker",
                        "throw_blinker",
                        "warp",
                        "warp_gib",
                        "warp_fail",
                        "typing",
                        "player Connect",
                        "player Disconnect",
                        "player Rename",
                        "player Team",
                        "player Teamchange",
                        "player TeamID",
                        "player TeamName",
                        "player Ping",
                        "player IsABot",
                        "player Novice",
                        "player Skill"})
    EXPECT_TRUE(seen.count(k)) << k;
}

TEST_F(LogGeneratorTest, EventTimesNeverGoBack) {
  for (int32_t type = 0; type < kTypes; ++type) {
    double last = 0;
    for (const std::string& l : split(LogGenerator(options(type)).text(), "\r\n")) {
      if (l.empty()) continue;
      double t = std::stod(split(l, "\t")[0]);
      ASSERT_GE(t, last) << l;
      last = t;
    }
  }
}

TEST_F(LogGeneratorTest, ReturningPlayersKeepNameAndSecretUnderANewNumber) {
  // Over a few logs someone leaves and comes back.
  bool returned = false;
  for (uint64_t seed = 1; seed <= 6 && !returned; ++seed) {
    std::map<std::string, std::set<std::string>> numbersByIdentity;
    for (const std::string& l : split(LogGenerator(options(4, seed)).text(), "\r\n")) {
      auto f = split(l, "\t");
      if (f.size() == 7 && f[1] == "player" && f[2] == "Connect")
        numbersByIdentity[f[3] + "/" + f[6]].insert(f[4]);
    }
    for (const auto& [id, numbers] : numbersByIdentity) returned = returned || numbers.size() > 1;
  }
  EXPECT_TRUE(returned);
}

// ------------------------------------------------------------ unknown weapons

// Kill and team-kill lines whose killer weapon is a weapon of the catalog in
// none of its languages.
int unknownWeaponKills(const std::string& text) {
  using games::bf::Specs;
  int n = 0;
  for (const std::string& l : split(text, "\r\n")) {
    auto f = split(l, "\t");
    if (f.size() < 4 || (f[1] != "kill" && f[1] != "teamkill")) continue;
    bool known = false;
    for (const auto* t : {&Specs::weapons, &Specs::weaponsEs, &Specs::weaponsFr, &Specs::weaponsIt})
      known = known || std::find(t->begin(), t->end(), f[3]) != t->end();
    n += known ? 0 : 1;
  }
  return n;
}

TEST_F(LogGeneratorTest, LogsNameOnlyStockWeaponsUnlessAskedOtherwise) {
  int asked = 0;
  for (int32_t type = 0; type < kTypes; ++type) {
    LogOptions o;
    o.gameType = type;
    o.seed = 5;
    o.players = 16;
    o.targetBytes = 300000;
    EXPECT_EQ(unknownWeaponKills(LogGenerator(o).text()), 0) << "type " << type;
    o.unknownWeaponRate = 0.003;
    asked += unknownWeaponKills(LogGenerator(o).text());
  }
  EXPECT_GT(asked, 0);
}

// ------------------------------------------------------------ the reader

TEST_F(LogGeneratorTest, SoundLogsReadWithoutAnyComplaint) {
  for (uint64_t seed = 1; seed <= 2; ++seed)
    for (int32_t type = 0; type < kTypes; ++type) {
      LogOptions o = options(type, seed);
      o.unknownWeaponRate = 0.05;  // a matter for the catalog, not for the reader
      Reading r = read(LogGenerator(o).bytes());
      EXPECT_TRUE(r.events) << type;
      EXPECT_EQ(r.trace, "") << "type " << type << " seed " << seed;
    }
}

TEST_F(LogGeneratorTest, EachFaultGivesItsOwnDamage) {
  const LogOptions sound = options(1);
  const std::string clean = LogGenerator(sound).text();
  auto with = [&](auto set) {
    LogOptions o = sound;
    set(o.faults);
    return LogGenerator(o);
  };

  {
    SCOPED_TRACE("truncated last line");
    LogGenerator g = with([](auto& f) { f.truncatedLastLine = true; });
    const std::string t = g.text();
    EXPECT_NE(t.substr(t.size() - 2), "\r\n");
    EXPECT_LT(t.size() + 2, clean.size());
    EXPECT_EQ(clean.compare(0, t.size(), t), 0);
    EXPECT_EQ(clean.rfind("\r\n", clean.size() - 3), t.rfind("\r\n"));
  }
  {
    SCOPED_TRACE("missing game end");
    LogGenerator g = with([](auto& f) { f.missingGameEnd = true; });
    const std::string t = g.text();
    EXPECT_EQ(t.find("\tgame_end\t"), std::string::npos);
    EXPECT_EQ(clean.compare(0, t.size(), t), 0);
    EXPECT_TRUE(read(g.bytes()).events);
    EXPECT_EQ(read(g.bytes()).trace, "");
  }
  {
    SCOPED_TRACE("unknown keyword");
    LogGenerator g = with([](auto& f) { f.unknownKeyword = true; });
    EXPECT_EQ(g.text().size() > clean.size(), true);
    const std::string trace = read(g.bytes()).trace;
    EXPECT_EQ(split(trace, "\n").size(), 2u) << trace;
    EXPECT_EQ(trace.rfind("Unknown Event: ", 0), 0u) << trace;
  }
  {
    SCOPED_TRACE("short line");
    LogGenerator g = with([](auto& f) { f.shortLine = true; });
    EXPECT_EQ(read(g.bytes()).trace, "Bad 'Kill' Event\n");
  }
  {
    SCOPED_TRACE("non-numeric field");
    LogGenerator g = with([](auto& f) { f.nonNumericField = true; });
    const std::string trace = read(g.bytes()).trace;
    EXPECT_EQ(trace.rfind("Error in bf.EventList.parse: ", 0), 0u) << trace;
    EXPECT_EQ(g.text().size(), clean.size() + 1);
  }
  {
    SCOPED_TRACE("all at once");
    LogGenerator g = with([](auto& f) {
      f.truncatedLastLine = f.missingGameEnd = f.unknownKeyword = f.shortLine = f.nonNumericField =
          true;
    });
    const std::string trace = read(g.bytes()).trace;
    EXPECT_NE(trace.find("Unknown Event: "), std::string::npos);
    EXPECT_NE(trace.find("Bad 'Kill' Event"), std::string::npos);
    EXPECT_NE(trace.find("Error in bf.EventList.parse: "), std::string::npos);
  }
}

// ------------------------------------------------------------ sizes

TEST_F(LogGeneratorTest, SizeTargetsAreReachedWithoutBeingExceeded) {
  struct Case {
    int32_t type;
    int64_t target;
    int32_t players;
  };
  const Case cases[] = {{0, 10000, 2},    {5, 10000, 3},    {1, 50000, 6},
                        {2, 200000, 10},  {6, 120000, 5},   {5, 400000, 12},
                        {0, 1300000, 24}, {3, 1300000, 16}, {4, 1300000, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.target));
    LogOptions o = options(c.type);
    o.players = c.players;
    o.targetBytes = c.target;
    const std::string bytes = LogGenerator(o).bytes();
    EXPECT_LE(static_cast<int64_t>(bytes.size()), c.target);
    EXPECT_GE(static_cast<double>(bytes.size()), 0.95 * static_cast<double>(c.target));
    if (c.target >= 100000) {
      EXPECT_GE(static_cast<double>(bytes.size()), 0.99 * static_cast<double>(c.target));
    }
    Reading r = read(bytes);
    EXPECT_TRUE(r.events);
    EXPECT_EQ(r.trace, "");
  }
  // With faults too.
  LogOptions o = options(2);
  o.targetBytes = 30000;
  o.faults.unknownKeyword = o.faults.truncatedLastLine = true;
  EXPECT_LE(LogGenerator(o).bytes().size(), 30000u);
}

TEST_F(LogGeneratorTest, TooSmallATargetIsRefusedWithTheSizeNeeded) {
  LogOptions o = options(1);
  o.players = 32;
  o.targetBytes = 10000;
  try {
    (void)LogGenerator(o).text();
    FAIL() << "no error";
  } catch (const GeneratorError& e) {
    EXPECT_NE(std::string(e.what()).find("too small for 32 players"), std::string::npos);
  }
}

// ------------------------------------------------------------ options

TEST_F(LogGeneratorTest, OptionsOutOfRangeAreRefused) {
  auto refused = [](auto change) {
    LogOptions o;
    change(o);
    EXPECT_THROW(LogGenerator{o}, GeneratorError);
  };
  refused([](LogOptions& o) { o.players = 1; });
  refused([](LogOptions& o) { o.players = 33; });
  refused([](LogOptions& o) { o.gameType = 7; });
  refused([](LogOptions& o) { o.bots = 9; });
  refused([](LogOptions& o) {
    o.gameType = 6;
    o.bots = 2;
  });
  refused([](LogOptions& o) { o.minutes = 0.5; });
  refused([](LogOptions& o) {
    o.start.month = 2;
    o.start.day = 29;
  });
  refused([](LogOptions& o) { o.zone = "5"; });
  refused([](LogOptions& o) { o.zone = "gmt"; });
  refused([](LogOptions& o) { o.zone = "+5."; });
  refused([](LogOptions& o) { o.targetBytes = 100; });
  refused([](LogOptions& o) { o.unknownWeaponRate = 2; });
}

TEST_F(LogGeneratorTest, DatesRoundTripThroughSecondsAcrossLeapDays) {
  for (int64_t s :
       {int64_t{0}, int64_t{951782400} /* 2000-02-29 */, int64_t{983701230}, int64_t{4102444799}}) {
    DateTime d = DateTime::fromSeconds(s, 5);
    EXPECT_TRUE(d.valid());
    EXPECT_EQ(d.toSeconds(), s);
  }
  DateTime leap = DateTime::fromSeconds(951782400, 0);
  EXPECT_EQ(leap.logText(), "2000.02.29.00.00.00.000");
  EXPECT_EQ(DateTime::fromSeconds(951782400 + 86400, 0).logText(), "2000.03.01.00.00.00.000");
  DateTime d;
  EXPECT_EQ(d.logText(), "2001.03.04.10.20.30.400");
  LogOptions o = options(0);
  o.zone = "+5.5";
  EXPECT_EQ(header(LogGenerator(o).text(), "info", "Absolute_Time"),
            "2001.03.04.10.20.30.400.+5.5");
}

TEST_F(LogGeneratorTest, BatchWritesDistinctIncreasingDatesOfEveryType) {
  TestDir dir;
  BatchOptions b;
  b.base = options(0);
  b.base.minutes = 5;
  b.count = 8;
  b.allTypes = true;
  b.directory = dir.path();
  auto paths = tools::loggen::writeBatch(b);
  ASSERT_EQ(paths.size(), 8u);
  std::set<std::string> types;
  std::string lastDate;
  for (const std::string& p : paths) {
    const std::string text = LogGenerator::lowBytes(platform::readFile(p));
    const std::string date = header(text, "info", "Absolute_Time");
    EXPECT_GT(date, lastDate);
    lastDate = date;
    types.insert(header(text, "game", "GameClass") + header(text, "game", "NetMode"));
    EXPECT_TRUE(read(platform::readFile(p)).events) << p;
  }
  EXPECT_EQ(types.size(), 7u);
  EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()).size(), 8u);
}

// ------------------------------------------------------------ command line

struct CommandRun {
  int status;
  std::string out;
  std::string err;
};
CommandRun runCommand(const std::vector<std::string>& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  CommandRun r;
  r.status = tools::loggen::runLoggen(args, out, err);
  auto slurp = [](std::FILE* f) {
    std::string s;
    std::rewind(f);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
  };
  r.out = slurp(out);
  r.err = slurp(err);
  return r;
}

TEST_F(LogGeneratorTest, CommandLineWritesWhatTheOptionsSay) {
  TestDir dir;
  CommandRun r = runCommand({"-t", "dom", "--players=6", "-m", "5", "-d", "2002-12-31T23:59:10",
                             "-z", "GMT", "-l", "it", "-s", "3", "-o", dir / "one.log"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string text = LogGenerator::lowBytes(dir.read("one.log"));
  EXPECT_EQ(header(text, "info", "Absolute_Time"), "2002.12.31.23.59.10.000.GMT");
  EXPECT_EQ(header(text, "game", "GameName"), "Dominazione");
  EXPECT_EQ(header(text, "game", "TimeLimit"), "5");

  CommandRun toStdout = runCommand({"-t", "tg", "-s", "3"});
  ASSERT_EQ(toStdout.status, 0);
  LogOptions o;
  o.gameType = 4;
  o.seed = 3;
  EXPECT_EQ(toStdout.out, LogGenerator(o).bytes());

  CommandRun batch = runCommand({"-t", "all", "-n", "7", "--size", "20000", "-o", dir / "logs/"});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(split(batch.out, "\n").size(), 8u);
  for (const std::string& name : platform::listDirectory(dir / "logs"))
    EXPECT_LE(platform::fileSize(dir / "logs/" + name), 20000);

  CommandRun help = runCommand({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("NAME\n    loggen - ", 0), 0u);
  EXPECT_NE(help.out.find("--bad-number"), std::string::npos);
}

TEST_F(LogGeneratorTest, CommandLineWritesCleanLogsUnlessAskedForUnknownWeapons) {
  const std::vector<std::string> base = {"-t", "ctf", "-s", "4", "--size", "300000"};
  CommandRun clean = runCommand(base);
  ASSERT_EQ(clean.status, 0) << clean.err;
  EXPECT_EQ(unknownWeaponKills(LogGenerator::lowBytes(clean.out)), 0);

  std::vector<std::string> withMods = base;
  withMods.insert(withMods.end(), {"--unknown-weapons", "0.05"});
  CommandRun mods = runCommand(withMods);
  ASSERT_EQ(mods.status, 0) << mods.err;
  EXPECT_GT(unknownWeaponKills(LogGenerator::lowBytes(mods.out)), 0);

  CommandRun help = runCommand({"--help"});
  EXPECT_NE(help.out.find("mod does, 0 to 1 (default 0: every kill names a stock weapon)"),
            std::string::npos)
      << help.out;
}

TEST_F(LogGeneratorTest, CommandLineRefusesBadOptionsWithStatusTwo) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--frobnicate"}, "unknown option \"--frobnicate\""},
      {{"-p"}, "-p needs a value"},
      {{"-p", "1"}, "-p needs a whole number from 2 to 32, not \"1\""},
      {{"--players", "ten"}, "--players needs a whole number"},
      {{"-t", "race"}, "--type needs dm, ctf, dom, assault, tg, lms, sp or all"},
      {{"-t", "all"}, "--type all needs --count"},
      {{"-n", "3"}, "--count needs --out DIRECTORY"},
      {{"-d", "2001-02-29"}, "--date needs a date"},
      {{"-d", "2001-03-04T25:00"}, "--date needs a date"},
      {{"-z", "EST5"}, "the zone must be"},
      {{"--size", "999"}, "--size needs a whole number from 4000 to 20000000"},
      {{"--truncate=yes"}, "--truncate takes no value"},
      {{"-l", "de"}, "--language needs en, es, fr or it"},
      {{"-t", "sp", "-p", "4", "-b", "1"}, "one human"},
      {{"-p", "3", "-b", "5"}, "--bots must not exceed --players"},
      {{"--size", "5000", "-p", "32"}, "too small for 32 players"},
  };
  for (const auto& [args, message] : cases) {
    CommandRun r = runCommand(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.rfind("loggen: ", 0), 0u) << r.err;
  }
}

TEST_F(LogGeneratorTest, CommandLineReportsAFileItCannotWrite) {
  TestDir dir;
  CommandRun r = runCommand({"-o", dir / "missing/dir/x.log"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("IOError"), std::string::npos) << r.err;
}

}  // namespace
