// The log directory: listing, the old-log rule, and the clean-up of stale
// ".tmp" files and empty logs.
#include "uploader/LogDirectory.h"

#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace uploader {
namespace {

using platform::LocalDate;
using testing_support::TestDir;

constexpr int64_t kHour = 3600 * 1000;

bool removeFile(const std::string& p) { return platform::removePath(p); }

TEST(TessalyTmpAge, CalendarWithoutLeapDays) {
  auto age = [](LocalDate now, LocalDate file) { return LogDirectory::tmpAgeDays(now, file); };
  EXPECT_EQ(age({2026, 12, 9}, {2026, 12, 8}), 1);
  EXPECT_EQ(age({2026, 12, 9}, {2026, 12, 7}), 2);
  EXPECT_EQ(age({2026, 12, 9}, {2026, 12, 9}), 0);
  // Month and year ends.
  EXPECT_EQ(age({2026, 12, 1}, {2026, 11, 30}), 1);
  EXPECT_EQ(age({2026, 12, 1}, {2026, 11, 29}), 2);
  EXPECT_EQ(age({2027, 1, 1}, {2026, 12, 31}), 1);
  EXPECT_EQ(age({2027, 1, 1}, {2026, 12, 30}), 2);
  EXPECT_EQ(age({2026, 3, 1}, {2026, 2, 28}), 1);
  // Across 29 February one day less than the calendar: 28 Feb to 1 Mar is
  // two days in 2024 but counts one, and 29 Feb counts as 1 Mar.
  EXPECT_EQ(age({2024, 3, 1}, {2024, 2, 28}), 1);
  EXPECT_EQ(age({2024, 3, 2}, {2024, 2, 28}), 2);
  EXPECT_EQ(age({2024, 3, 1}, {2024, 2, 29}), 0);
  EXPECT_EQ(age({2025, 2, 28}, {2024, 2, 29}), 364);
  // A file from the future is never old.
  EXPECT_LT(age({2026, 12, 9}, {2026, 12, 10}), 0);
}

TEST(TessalyOldLog, HighBitsOfFileTimes) {
  EXPECT_EQ(LogDirectory::fileTime(0), 116444736000000000ull);
  const int64_t now = 1796809130898;  // 2026-12-09
  auto product = [&](int64_t ageMillis) {
    return LogDirectory::oldness(LogDirectory::fileTime(now),
                                 LogDirectory::fileTime(now - ageMillis));
  };
  // Each unit of the high 32 bits is 429.4967296 s; 18 units (6.95 * 18 =
  // 125.1) are old, 17 (118.15) are not.
  EXPECT_GT(product(static_cast<int64_t>(2.15 * kHour)), LogDirectory::kOldThreshold);
  EXPECT_LE(product(static_cast<int64_t>(2.03 * kHour)), LogDirectory::kOldThreshold);
  EXPECT_FLOAT_EQ(LogDirectory::oldness(uint64_t(18) << 32, 0), 18 * 6.95f);
  EXPECT_FLOAT_EQ(LogDirectory::oldness(uint64_t(17) << 32, 0), 17 * 6.95f);
  // A file time in the future wraps around and counts as old.
  EXPECT_GT(product(-kHour), LogDirectory::kOldThreshold);
}

TEST(TessalyOldLog, CheckOverTheDirectory) {
  TestDir d;
  LogDirectory dir(d.path() + "/", removeFile);
  std::string text;
  Output out(&text);
  out.setVerbose(true);
  const int64_t now = platform::clock().currentTimeMillis();
  EXPECT_FALSE(dir.hasOldLog(now, out, true));
  EXPECT_EQ(text, "**** No .log files found (" + d.path() + "/*.log)\n\n\n");
  text.clear();
  EXPECT_FALSE(dir.hasOldLog(now, out, false));
  EXPECT_EQ(text, "");
  d.write("a.log", "x");
  ASSERT_TRUE(platform::setLastModifiedMillis(d / "a.log", now - kHour));
  d.write("b.tmp", "x");
  ASSERT_TRUE(platform::setLastModifiedMillis(d / "b.tmp", now - 5 * kHour));
  EXPECT_FALSE(dir.hasOldLog(now, out, true));
  ASSERT_TRUE(platform::setLastModifiedMillis(d / "a.log", now - 3 * kHour));
  EXPECT_TRUE(dir.hasOldLog(now, out, true));
  EXPECT_NE(text.find("[E34]: Old log found: "), std::string::npos);
  EXPECT_NE(text.find(" minutes old\n"), std::string::npos);
}

TEST(TessalyLogListing, RegularFilesWithTheSuffix) {
  TestDir d;
  d.write("b.log", "1");
  d.write("a.log", "22");
  d.write("c.LOG", "3");
  d.write("d.log.sent", "4");
  d.write("e.log.big", "5");
  d.mkdir("f.log");
  LogDirectory dir(d.path() + "/", removeFile);
  auto logs = dir.find(".log");
  ASSERT_TRUE(logs);
  ASSERT_EQ(logs->size(), 2u);
  EXPECT_EQ((*logs)[0].name, "a.log");
  EXPECT_EQ((*logs)[0].size, 2);
  EXPECT_EQ((*logs)[1].name, "b.log");
  EXPECT_FALSE(LogDirectory(d / "missing/", removeFile).find(".log"));
}

TEST(TessalyCleanup, OldTmpFilesByCalendarDays) {
  TestDir d;
  const int64_t now = platform::clock().currentTimeMillis();
  const LocalDate today = platform::localDate(now);
  auto daysAgo = [&](int days) { return now - days * 24 * kHour; };
  for (auto [name, days] : {std::pair{"yesterday.tmp", 1}, {"two.tmp", 2}, {"old.tmp", 40}}) {
    d.write(name, "x");
    ASSERT_TRUE(platform::setLastModifiedMillis(d / name, daysAgo(days)));
  }
  d.write("keep.log", "x");
  ASSERT_TRUE(platform::setLastModifiedMillis(d / "keep.log", daysAgo(40)));
  std::string text;
  Output out(&text);
  out.setVerbose(true);
  LogDirectory(d.path() + "/", removeFile).deleteOldTmp(today, out);
  EXPECT_TRUE(platform::exists(d / "yesterday.tmp"));
  EXPECT_FALSE(platform::exists(d / "two.tmp"));
  EXPECT_FALSE(platform::exists(d / "old.tmp"));
  EXPECT_TRUE(platform::exists(d / "keep.log"));
  EXPECT_NE(text.find(" 3 .tmp logs present.\n"), std::string::npos);
  EXPECT_NE(text.find("[I56]: File: \"" + d.path() + "/two.tmp\" is 2 days old.  Deleting....\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n ----> 2 old .tmp logs deleted\n\n\n"), std::string::npos);

  text.clear();
  TestDir none;
  LogDirectory(none.path() + "/", removeFile).deleteOldTmp(today, out);
  EXPECT_EQ(text, "**** No old .tmp logs found\n\n\n");
}

TEST(TessalyCleanup, FailedDeletionsAreReported) {
  TestDir d;
  d.write("old.tmp", "x");
  ASSERT_TRUE(platform::setLastModifiedMillis(d / "old.tmp",
                                              platform::clock().currentTimeMillis() - 96 * kHour));
  d.write("empty.log", "");
  std::string text;
  Output out(&text);
  out.setVerbose(true);
  LogDirectory dir(d.path() + "/", [](const std::string&) { return false; });
  dir.deleteOldTmp(platform::localDate(platform::clock().currentTimeMillis()), out);
  dir.deleteEmptyLogs(out);
  EXPECT_NE(text.find("[DE:01] Couldn't delete \"" + d.path() + "/old.tmp\"\n"), std::string::npos);
  EXPECT_NE(text.find("[DE:02] Couldn't delete \"" + d.path() + "/empty.log\"\n"),
            std::string::npos);
  EXPECT_NE(text.find("\n ----> 0 0-byte .log files deleted\n\n\n"), std::string::npos);
}

TEST(TessalyCleanup, EmptyLogs) {
  TestDir d;
  d.write("empty.log", "");
  d.write("full.log", "data");
  d.write("empty.tmp", "");
  std::string text;
  Output out(&text);
  out.setVerbose(true);
  LogDirectory(d.path() + "/", removeFile).deleteEmptyLogs(out);
  EXPECT_FALSE(platform::exists(d / "empty.log"));
  EXPECT_TRUE(platform::exists(d / "full.log"));
  EXPECT_TRUE(platform::exists(d / "empty.tmp"));
  EXPECT_EQ(text, "\n*** \"" + d.path() + "/empty.log\" of size 0 ... purging\n\n\n" +
                      "\n ----> 1 0-byte .log files deleted\n\n\n");
}

}  // namespace
}  // namespace uploader
