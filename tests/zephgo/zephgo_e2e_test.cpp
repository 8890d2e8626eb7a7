// The zephgo program run as a game would run it, with the registry file, the
// CD drives, the answers and the browser set through the environment.
#include <filesystem>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestDir.h"
#include "e2e/Run.h"

namespace {

using testing_support::runProgram;
using testing_support::shellQuote;
using testing_support::TestDir;

class ZephgoE2eTest : public ::testing::Test {
 protected:
  std::string script(const std::string& name, const std::string& body) {
    std::string p = dir_.put(name, "#!/bin/sh\n" + body);
    ::chmod(p.c_str(), 0755);
    return p;
  }
  // No display (the boxes go to the terminal), and the given variables.
  testing_support::RunResult run(const std::vector<std::string>& args, const std::string& env) {
    return runProgram(dir_.path(), testing_support::binDir() + "/zephgo", args,
                      "-u DISPLAY -u WAYLAND_DISPLAY -u ZEPHGO_ANSWERS -u ZEPHGO_CDROMS "
                      "ZEPHGO_REGISTRY=" +
                          shellQuote(dir_ / "registry.reg") + " BROWSER=" + shellQuote(browser_) +
                          " " + env);
  }
  TestDir dir_;
  std::string browser_ = script("browser.sh", "printf '%s' \"$1\" > " + dir_ / "opened.txt" + "\n");
};

// The installer on the second drive, in a subdirectory: it writes the
// client's keys into the registry file; the page opens and the program ends
// with 0 once its 20 seconds are over.
TEST_F(ZephgoE2eTest, InstallsFromCdAndOpensThePage) {
  dir_.put("registry.reg", "REGEDIT4\r\n\r\n");
  dir_.mkdir("cd1");
  std::string client = dir_ / "client/zephclient";
  script("cd2/disk/ZEPH0100.EXE",
         "mkdir -p " + dir_ / "client" + " && touch " + shellQuote(client) + "\n" + "cat >> " +
             dir_ / "registry.reg" + " <<'END'\n" +
             "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi]\n@=\"ZephClient\"\n"
             "[HKEY_LOCAL_MACHINE\\Software\\Classes\\ZephClient\\Shell\\Open\\command]\n"
             "@=\"\\\"" +
             client + "\\\" \\\"%1\\\"\"\nEND\n" + "exit 1\n");
  auto r = run({"42"}, "ZEPHGO_CDROMS=" + shellQuote(dir_ / "cd1" + ":" + dir_ / "cd2"));
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(dir_.read("opened.txt"), "http://zeph.example/login?game_id=42");
  EXPECT_NE(r.output.find("Looking for ZEPH installer...\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Starting default web browser to ZEPH\n"), std::string::npos);
  EXPECT_NE(r.output.find("ended with status 1"), std::string::npos);
  EXPECT_EQ(r.output.find("[INSTALL"), std::string::npos) << r.output;
}

TEST_F(ZephgoE2eTest, ScriptedAnswersAndExitStatuses) {
  dir_.mkdir("cd");
  auto notFound =
      run({"42"}, "ZEPHGO_CDROMS=" + shellQuote(dir_ / "cd") + " ZEPHGO_ANSWERS=OK,Cancel");
  EXPECT_EQ(notFound.status, 1);
  EXPECT_EQ(notFound.output,
            "Looking for ZEPH installer...\n"
            "[INSTALLER NOT FOUND] Please put CD with ZEPH installer in CD drive\n"
            "OK or Cancel? OK\n"
            "Looking for ZEPH installer...\n"
            "[INSTALLER NOT FOUND] Please put CD with ZEPH installer in CD drive\n"
            "OK or Cancel? Cancel\n"
            "[INSTALLER NOT FOUND] Look for installer at http://zeph.example/\n");
  auto count = run({}, "");
  EXPECT_EQ(count.status, 2);
  EXPECT_EQ(count.output, "[INVALID ARGUMENT COUNT] Format is: zephgo.exe <game_class_id>\n");
  auto word = run({"abc"}, "");
  EXPECT_EQ(word.status, 3);
  auto tooLong = run({std::string(5000, '7')}, "");
  EXPECT_EQ(tooLong.status, 3);
  EXPECT_NE(tooLong.output.find("[INVALID ARGUMENT] The game class id is too long"),
            std::string::npos);
  EXPECT_FALSE(platform::exists(dir_ / "opened.txt"));
}

// A broken registry file is reported and read as far as it goes; with
// standard input not a terminal the CD prompt is answered Cancel.
TEST_F(ZephgoE2eTest, BrokenRegistryFileAndNoTerminal) {
  dir_.put("registry.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\.spi]\n@=\"x\n");
  dir_.mkdir("cd");
  auto r = run({"1"}, "ZEPHGO_CDROMS=" + shellQuote(dir_ / "cd"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("zephgo: " + dir_ / "registry.reg" + ": line 3: malformed value data\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("OK or Cancel? Cancel\n"), std::string::npos);
}

}  // namespace
