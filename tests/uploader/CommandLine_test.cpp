// The uploader's command line in its two forms, with every exit code.
#include "uploader/CommandLine.h"

#include <gtest/gtest.h>

namespace uploader {
namespace {

struct Parsed {
  bool run = false;
  int code = 0;
  Settings settings;
  std::string text;
};

Parsed parse(const std::vector<std::string>& args) {
  Parsed p;
  Output out(&p.text);
  p.run = CommandLine::parse(args, "tessaly", out, &p.settings, &p.code);
  return p;
}

TEST(TessalyCommandLine, DefaultsAndValues) {
  Parsed p = parse({});
  EXPECT_TRUE(p.run);
  EXPECT_EQ(p.settings.logDir, ".");
  EXPECT_EQ(p.settings.gameType, "unknown");
  EXPECT_FALSE(p.settings.verbose);
  EXPECT_TRUE(p.settings.exitLog);
  p = parse({"-d", "/srv/logs", "-g", "bf", "-t", "-l"});
  EXPECT_TRUE(p.run);
  EXPECT_EQ(p.settings.logDir, "/srv/logs");
  EXPECT_EQ(p.settings.gameType, "bf");
  EXPECT_TRUE(p.settings.test);
  EXPECT_FALSE(p.settings.exitLog);
  EXPECT_EQ(p.text, ">>> Exit-code logging DISABLED\n");
  EXPECT_EQ(parse({"-l", "-l"}).text,
            ">>> Exit-code logging DISABLED\n>>> Exit-code logging ENABLED\n");
}

TEST(TessalyCommandLine, ExitCodesOfTheNormalForm) {
  EXPECT_EQ(parse({"-e"}).code, 7);  // one argument: the single-argument form
  EXPECT_EQ(parse({"-v", "-e"}).code, 3);
  EXPECT_EQ(parse({"-V"}).code, 4);  // "-V" alone stays in the normal form
  EXPECT_EQ(parse({"-v", "-version"}).code, 5);
  EXPECT_EQ(parse({"-d", "x", "-x"}).code, -102);
  Parsed p = parse({"-g", "bf", "-d"});
  EXPECT_FALSE(p.run);
  EXPECT_EQ(p.code, -102);
  EXPECT_EQ(p.text,
            "Unknown option \"-d\"\n"
            "Usage: tessaly [-v] [-l] [-e] [-V|-version] [-d log_dir] [-g game_type]\n");
  EXPECT_EQ(parse({"-d", "x", "-g"}).code, -102);
  EXPECT_EQ(parse({"-d", "x", "-V"}).text, "Tessaly batcher version 1.5.7\n");
}

TEST(TessalyCommandLine, SingleArgumentForm) {
  EXPECT_EQ(parse({"-version"}).code, 9);
  EXPECT_EQ(parse({"-d x -V"}).code, 8);
  EXPECT_EQ(parse({"-d x -e"}).code, 7);
  EXPECT_EQ(parse({"-bogus"}).code, -101);
  EXPECT_EQ(parse({"-d"}).code, -101);
  Parsed p = parse({"-d /srv/logs -g bf"});
  EXPECT_TRUE(p.run);
  EXPECT_EQ(p.settings.logDir, "/srv/logs");
  EXPECT_EQ(p.settings.gameType, "bf");
  // Consecutive blanks give an empty token, which is no option.
  p = parse({"-t  -v"});
  EXPECT_EQ(p.code, -101);
  EXPECT_NE(p.text.find("Unknown option \"\"\n"), std::string::npos);
  EXPECT_EQ(parse({"-t "}).code, -101);
  // "-v" alone is the normal form: verbose on, and the run goes on.
  p = parse({"-v"});
  EXPECT_TRUE(p.run);
  EXPECT_TRUE(p.settings.verbose);
}

TEST(TessalyCommandLine, HelpAndVersionWhereAnUnknownOptionWouldEndIt) {
  Parsed p = parse({"--help"});
  EXPECT_FALSE(p.run);
  EXPECT_EQ(p.code, 0);
  EXPECT_EQ(p.settings.info, base::InfoRequest::kHelp);
  EXPECT_EQ(p.text, "");
  p = parse({"-v", "-d", "logs", "--version", "-x"});
  EXPECT_EQ(p.code, 0);
  EXPECT_EQ(p.settings.info, base::InfoRequest::kVersion);
  EXPECT_EQ(p.text, "Verbose ON\n");
  // A value stays a value; a word of the single-argument form, a near miss
  // and -h stay unknown options.
  p = parse({"-d", "--help", "-g", "--version"});
  EXPECT_TRUE(p.run);
  EXPECT_EQ(p.settings.logDir, "--help");
  EXPECT_EQ(p.settings.gameType, "--version");
  EXPECT_EQ(parse({"-v --help"}).code, -101);
  EXPECT_EQ(parse({"-v", "--Help"}).code, -102);
  p = parse({"-h"});
  EXPECT_EQ(p.code, -101);
  EXPECT_EQ(p.settings.info, base::InfoRequest::kNone);
}

TEST(TessalyCommandLine, OnlyTheFirst31TokensCount) {
  std::string forty;
  for (int i = 0; i < 31; ++i) forty += "-t ";
  for (int i = 31; i < 40; ++i) forty += "-bogus ";
  Parsed p = parse({forty});
  EXPECT_TRUE(p.run);
  EXPECT_TRUE(p.settings.test);
  EXPECT_EQ(CommandLine::split("a  b").size(), 3u);
}

TEST(TessalyCommandLine, LimitsAreCheckedNotOverflowed) {
  std::string token300 = "-d " + std::string(300, 'd');
  Parsed p = parse({token300});
  EXPECT_EQ(p.code, -101);
  EXPECT_EQ(p.text, "Option too long (300 characters, at most 255)\n");
  // The normal form has no token limit, but the directory has one.
  EXPECT_TRUE(parse({"-d", std::string(1017, 'd')}).run);
  p = parse({"-d", std::string(1018, 'd')});
  EXPECT_EQ(p.code, -102);
  EXPECT_EQ(p.text, "Log directory too long (1018 characters, at most 1017)\n");
  EXPECT_TRUE(parse({"-g", std::string(127, 'g')}).run);
  EXPECT_EQ(parse({"-g", std::string(128, 'g')}).code, -102);
  // A TAB or LF in the game type would split the commands it is sent in.
  EXPECT_EQ(parse({"-g", "bf\tx"}).code, -102);
  EXPECT_EQ(parse({"-g", "bf\nNEXTFILE"}).code, -102);
}

TEST(TessalyCommandLine, VerboseFromItsOptionOn) {
  EXPECT_EQ(parse({"-t", "-v"}).text, "Verbose ON\n");
  EXPECT_EQ(parse({"-v", "-t"}).text, "Verbose ON\nTest mode enabled\n");
  EXPECT_EQ(parse({"-e", "-v"}).text, "");
  EXPECT_EQ(parse({"-v", "-e"}).text, "Verbose ON\nTessaly batcher version 1.5.7 (exists)\n");
}

}  // namespace
}  // namespace uploader
