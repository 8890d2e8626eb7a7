// Every built program and tool answers --help and --version in an empty
// folder: status 0, the answer on standard output, nothing on standard
// error, no file made. The help is the program's manual page source, and
// the readings of other arguments are unchanged.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Version.h"
#include "e2e/Run.h"
#include "platform/FileSystem.h"

namespace {

using testing_support::binDir;
using testing_support::shellQuote;
using testing_support::TestDir;

const char* const kPrograms[] = {"vardobf",   "tessaly", "uploadstarter", "palvex", "zephgo",
                                 "collector", "loggen",  "matchdump",     "dbdump"};

std::string sourceDir() {
  const char* s = std::getenv("BRIM_SOURCE_DIR");
  return s != nullptr ? s : BRIM_DEFAULT_SOURCE_DIR;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `program` in `cwd` without a desktop and with no input; standard
// output and standard error apart (the error text goes through a file
// outside `cwd`).
Outcome run(const std::string& cwd, const std::string& program,
            const std::vector<std::string>& args) {
  TestDir scratch;
  std::string cmd = "cd " + shellQuote(cwd) + " && exec env DISPLAY= WAYLAND_DISPLAY= " +
                    shellQuote(binDir() + "/" + program);
  for (const std::string& a : args) cmd += " " + shellQuote(a);
  cmd += " 2>" + shellQuote(scratch / "err") + " </dev/null";
  const testing_support::RunResult r = testing_support::runShell(cmd);
  Outcome o;
  o.status = r.status;
  o.out = r.output;
  if (platform::exists(scratch / "err")) o.err = platform::readFile(scratch / "err");
  return o;
}

bool emptyFolder(const std::string& dir) { return std::filesystem::is_empty(dir); }

TEST(HelpAndVersion, EveryProgramAnswersInAnEmptyFolderAndLeavesItEmpty) {
  for (const char* program : kPrograms) {
    SCOPED_TRACE(program);
    TestDir dir;
    const Outcome help = run(dir.path(), program, {"--help"});
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_EQ(help.err, "");
    // The help is the manual page's source, byte for byte.
    EXPECT_EQ(help.out, platform::readFile(sourceDir() + "/docs/man/" + program + ".txt"));
    const Outcome version = run(dir.path(), program, {"--version"});
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.err, "");
    EXPECT_EQ(version.out, std::string(program) + " " + base::kProgramVersion + "\n");
    EXPECT_TRUE(emptyFolder(dir.path()));
  }
}

TEST(HelpAndVersion, AnswerAfterOptionsThatComeFirst) {
  TestDir dir;
  // A -v first (vardobf, tessaly) or a switch (palvex) does not hide them.
  Outcome o = run(dir.path(), "vardobf", {"-v", "-b", "false", "--version"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, std::string("vardobf ") + base::kProgramVersion + "\n");
  o = run(dir.path(), "tessaly", {"-v", "--version"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, std::string("Verbose ON\ntessaly ") + base::kProgramVersion + "\n");
  o = run(dir.path(), "palvex", {"-o", "--help"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, platform::readFile(sourceDir() + "/docs/man/palvex.txt"));
  // uploadstarter's delay: never a number, so an answer; nothing started.
  o = run(dir.path(), "uploadstarter", {"logs", "--version"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, std::string("uploadstarter ") + base::kProgramVersion + "\n");
  EXPECT_TRUE(emptyFolder(dir.path()));
}

TEST(HelpAndVersion, OtherArgumentsKeepTheirReadings) {
  TestDir dir;
  // tessaly -h is an unknown option in the single-argument form (-101),
  // which writes its exit-code log as before.
  Outcome o = run(dir.path(), "tessaly", {"-h"});
  EXPECT_EQ(o.status, 256 - 101);
  EXPECT_EQ(o.out,
            "Unknown option \"-h\"\n"
            "Usage: " +
                binDir() + "/tessaly [-v] [-l] [-e] [-V|-version] [-d log_dir] [-g game_type]\n");
  EXPECT_EQ(dir.read("batch_info.txt"), "Exit code: -101 (fd_count = 0)\n");
  std::filesystem::remove(dir / "batch_info.txt");
  // A word of the single-argument form is not a whole argument.
  o = run(dir.path(), "tessaly", {"-l --help"});
  EXPECT_EQ(o.status, 256 - 101);
  EXPECT_NE(o.out.find("Unknown option \"--help\""), std::string::npos) << o.out;
  // -V keeps its own text and code.
  o = run(dir.path(), "tessaly", {"-l", "-V"});
  EXPECT_EQ(o.status, 4);
  EXPECT_EQ(o.out, ">>> Exit-code logging DISABLED\nTessaly batcher version 1.5.7\n");
  // zephgo: --help among two arguments is the wrong argument count (2); a
  // near miss is not a number (3). Neither opens anything.
  o = run(dir.path(), "zephgo", {"--help", "1"});
  EXPECT_EQ(o.status, 2);
  o = run(dir.path(), "zephgo", {"-help"});
  EXPECT_EQ(o.status, 3);
  EXPECT_NE(o.err.find("[NON NUMERIC ARGUMENT]"), std::string::npos) << o.err;
  // palvex's own -help and /? print the usage after the banner, status 1.
  for (const char* ask : {"-help", "/?", "-?"}) {
    o = run(dir.path(), "palvex", {ask});
    EXPECT_EQ(o.status, 1) << ask;
    EXPECT_NE(o.out.find(" PALVEX version 1.83 \n"), std::string::npos) << ask;
    EXPECT_NE(o.out.find(" Usage:   PALVEX  [switches]"), std::string::npos) << ask;
  }
  // vardobf goes on after an unknown option; "-" alone still ends it.
  o = run(dir.path(), "vardobf", {"-x", "-u"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out.rfind("Invalid option encountered:-x\n", 0), 0u) << o.out;
  o = run(dir.path(), "vardobf", {"-"});
  EXPECT_EQ(o.status, 255);
  EXPECT_TRUE(emptyFolder(dir.path()));
}

}  // namespace
