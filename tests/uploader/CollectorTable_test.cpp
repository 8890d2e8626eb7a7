// The collector table: the built-in ten and their replacements.
#include "uploader/CollectorTable.h"

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"

namespace uploader {
namespace {

using testing_support::TestDir;

TEST(TessalyCollectorTable, BuiltInTen) {
  CollectorTable t = CollectorTable::builtIn();
  ASSERT_EQ(t.size(), 10u);
  for (size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(t[i].host, "collector" + std::to_string(i) + ".worldstats.example");
    EXPECT_EQ(t[i].port, 9999);
  }
}

TEST(TessalyCollectorTable, ListFromTheEnvironment) {
  CollectorTable t = CollectorTable::parseList("127.0.0.1:7000, b.example:1 ,c:65535");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0], (Endpoint{"127.0.0.1", 7000}));
  EXPECT_EQ(t[1], (Endpoint{"b.example", 1}));
  EXPECT_EQ(t[2], (Endpoint{"c", 65535}));
  std::string ten;
  for (int i = 0; i < 10; ++i) ten += "h:" + std::to_string(i + 1) + ",";
  EXPECT_EQ(CollectorTable::parseList(ten.substr(0, ten.size() - 1)).size(), 10u);
  EXPECT_THROW(CollectorTable::parseList(ten + "h:11"), base::FormatError);
}

TEST(TessalyCollectorTable, BadEntriesAreErrors) {
  for (const char* bad : {"", "host", "host:", ":80", "host:0", "host:65536", "host:80x", "host:-1",
                          "ho st:80", "a:1,,b:2", "a:1,", "host:123456"}) {
    EXPECT_THROW(CollectorTable::parseList(bad), base::FormatError) << bad;
  }
  EXPECT_THROW(CollectorTable::parseList(std::string(128, 'h') + ":1"), base::FormatError);
  EXPECT_NO_THROW(CollectorTable::parseList(std::string(127, 'h') + ":1"));
  try {
    CollectorTable::parseList("a:1,b:99999");
    FAIL();
  } catch (const base::FormatError& e) {
    EXPECT_STREQ(e.what(), "collector entry \"b:99999\" has a port outside 1 to 65535");
  }
}

TEST(TessalyCollectorTable, FileBesideTheProgram) {
  TestDir home;
  // No file: the built-in table.
  EXPECT_EQ(CollectorTable::load(nullptr, home.path()).size(), 10u);
  home.write("collectors.txt", "# ours\n10.1.1.1:9999\r\n\nlogs.example:7000\n");
  CollectorTable t = CollectorTable::load(nullptr, home.path());
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[1], (Endpoint{"logs.example", 7000}));
  // The environment comes first.
  EXPECT_EQ(CollectorTable::load("x:1", home.path())[0], (Endpoint{"x", 1}));
  home.write("collectors.txt", "a:1\nb:port\n");
  try {
    CollectorTable::load(nullptr, home.path());
    FAIL();
  } catch (const base::FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("collectors.txt: line 2: collector entry \"b:port\""),
              std::string::npos)
        << e.what();
  }
  home.write("collectors.txt", "# nothing\n");
  EXPECT_THROW(CollectorTable::load(nullptr, home.path()), base::FormatError);
  EXPECT_THROW(CollectorTable::load("", home.path()), base::FormatError);
}

}  // namespace
}  // namespace uploader
