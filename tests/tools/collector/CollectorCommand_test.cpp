// The collector's reading of commands and options, and its store.
#include "tools/collector/CollectorCommand.h"

#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "help/collector.h"
#include "platform/FileSystem.h"
#include "tools/collector/CollectorOptions.h"
#include "tools/collector/LogStore.h"

namespace tools::collector {
namespace {

using testing_support::TestDir;

const std::string kHello = "HELLO\t1.5\tbf\tLinux (6.1 - x - 1.5.7)\t10.0.0.1\t1234\t7";

TEST(CollectorCommandParse, GoodCommands) {
  ParsedCommand p = CollectorCommand::parse(kHello);
  ASSERT_TRUE(p.command);
  EXPECT_EQ(p.command->kind, CollectorCommand::Kind::kHello);
  EXPECT_EQ(p.command->gameType, "bf");
  EXPECT_EQ(p.command->size, 1234);
  EXPECT_EQ(p.command->count, 7);
  p = CollectorCommand::parse("NEXTFILE\t0");
  ASSERT_TRUE(p.command);
  EXPECT_EQ(p.command->kind, CollectorCommand::Kind::kNextFile);
  p = CollectorCommand::parse("CONN_TEST\t1.5\tProcessTest\tsys\t(null)");
  ASSERT_TRUE(p.command);
  EXPECT_EQ(p.command->kind, CollectorCommand::Kind::kConnTest);
  EXPECT_EQ(p.command->address, "(null)");
}

TEST(CollectorCommandParse, EveryFieldIsChecked) {
  const char* syntax[] = {
      "",
      "HELLO",
      "hello\t1.5\tbf\ts\t1.2.3.4\t1\t1",
      "HELLO\t1.5\tbf\ts\t1.2.3.4\t1",
      "HELLO\t1.5\tbf\ts\t1.2.3.4\t1\t1\t1",
      "HELLO\t1.5\t\ts\t1.2.3.4\t1\t1",
      "HELLO\t1.5\tbf\t\t1.2.3.4\t1\t1",
      "HELLO\t1.5\tbf\ts\t1.2.3\t1\t1",
      "HELLO\t1.5\tbf\ts\t1.2.3.256\t1\t1",
      "HELLO\t1.5\tbf\ts\t1.2.3.4.5\t1\t1",
      "HELLO\t1.5\tbf\ts\thost\t1\t1",
      "HELLO\t1.5\tbf\ts\t1.2.3.4\t-1\t1",
      "HELLO\t1.5\tbf\ts\t1.2.3.4\t1x\t1",
      "HELLO\t1.5\tbf\ts\t1.2.3.4\t99999999999\t1",
      "HELLO\t1.5\tbf\ts\t1.2.3.4\t1\t",
      "HELLO\t1.5\tb\x01\ts\t1.2.3.4\t1\t1",
      "NEXTFILE",
      "NEXTFILE\t",
      "NEXTFILE\t12 ",
      "NEXTFILE\t1\t2",
      "CONN_TEST\t1.5\tbf\ts",
      "READY",
  };
  for (const char* line : syntax) {
    ParsedCommand p = CollectorCommand::parse(line);
    EXPECT_FALSE(p.command) << line;
    EXPECT_EQ(p.refusal, "SYNTAX_ERROR") << line;
    EXPECT_FALSE(p.reason.empty());
  }
  EXPECT_EQ(CollectorCommand::parse("HELLO\t1.4\tbf\ts\t1.2.3.4\t1\t1").refusal,
            "UNSUPPORTED_VERSION");
  EXPECT_EQ(CollectorCommand::parse("HELLO\t1.5\t" + std::string(128, 'g') + "\ts\t1.2.3.4\t1\t1")
                .refusal,
            "SYNTAX_ERROR");
  EXPECT_EQ(CollectorCommand::parse("NEXTFILE\t" + std::string(5000, '1')).reason,
            "command line too long");
}

TEST(CollectorOptionsParse, ValuesAndErrors) {
  std::string error;
  auto o = CollectorOptions::parse({"--store", "/s/", "--listen", "127.0.0.1:0", "--max-size", "5",
                                    "--redirect", "h:7000", "--redirect-all", "--fault", "stall"},
                                   &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->storeDir, "/s");
  EXPECT_EQ(o->incomingDir, "/s.incoming");
  EXPECT_EQ(o->port, 0);
  EXPECT_EQ(o->maxSize, 5);
  EXPECT_EQ(o->redirectPort, 7000);
  EXPECT_TRUE(o->redirectAll);
  EXPECT_EQ(o->fault, CollectorOptions::Fault::kStall);
  for (std::vector<std::string> bad : {std::vector<std::string>{},
                                       {"--listen", "x:1"},
                                       {"--store", "s", "--listen", "h:70000"},
                                       {"--store", "s", "--redirect", "h:0"},
                                       {"--store", "s", "--fault", "fire"},
                                       {"--store", "s", "--max-size", "-1"},
                                       {"--store", "s", "--bogus", "1"},
                                       {"--store"}}) {
    EXPECT_FALSE(CollectorOptions::parse(bad, &error));
  }
}

TEST(CollectorLogStore, PartialLogsNeverReachTheStore) {
  TestDir d;
  std::string store = d.mkdir("store");
  std::string incoming = d / "store.incoming";
  d.mkdir("store.incoming");
  d.write("store.incoming/crashed.part", "half a log");
  LogStore s(store, incoming, false);
  EXPECT_TRUE(platform::listDirectory(incoming).empty());  // left over from a crash
  std::string error;
  {
    auto abandoned = s.begin(&error);
    ASSERT_TRUE(abandoned);
    abandoned->write("abc", 3);
    EXPECT_TRUE(platform::listDirectory(store).empty());
  }
  EXPECT_TRUE(platform::listDirectory(incoming).empty());
  auto in = s.begin(&error);
  in->write("whole", 5);
  auto path = in->commit(&error);
  ASSERT_TRUE(path) << error;
  EXPECT_EQ(platform::readFile(*path), "whole");
  auto names = platform::listDirectory(store);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].substr(names[0].size() - 4), ".log");
  auto second = s.begin(&error);
  second->write("x", 1);
  EXPECT_NE(*second->commit(&error), *path);
  LogStore full(store, incoming, true);
  EXPECT_FALSE(full.begin(&error));
  EXPECT_FALSE(error.empty());
}

// The manual page (which --help prints) describes every option the usage
// names, so that a new option cannot be left out of it.
TEST(CollectorOptionsParse, TheManualPageDescribesEveryOptionOfTheUsage) {
  const std::string usage = CollectorOptions::kUsage;
  const std::string page = help::kCollector;
  const std::regex option("--[a-z-]+");
  int found = 0;
  for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
       it != std::sregex_iterator(); ++it) {
    ++found;
    const std::string entry = "\n    " + it->str() + "\n";
    const std::string entryWithValue = "\n    " + it->str() + " ";
    EXPECT_TRUE(page.find(entry) != std::string::npos ||
                page.find(entryWithValue) != std::string::npos)
        << it->str() << " has no entry in the manual page";
  }
  EXPECT_GE(found, 13);
}

}  // namespace
}  // namespace tools::collector
