#include "uploader/LogDirectory.h"

#include "base/Failure.h"
#include "base/Text.h"
#include "platform/FileSystem.h"

namespace uploader {
namespace {

// Days of the months before each month, February always 28 days long.
constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

int daysBefore(int month) { return month >= 1 && month <= 12 ? kDaysBefore[month - 1] : 0; }

using base::endsWith;

}  // namespace

LogDirectory::LogDirectory(std::string dir, std::function<bool(const std::string&)> remove)
    : dir_(std::move(dir)), remove_(std::move(remove)) {}

std::optional<std::vector<LogDirectory::Entry>> LogDirectory::find(std::string_view suffix) const {
  std::vector<std::string> names;
  try {
    names = platform::listDirectory(dir_.empty() ? "." : dir_);
  } catch (const base::IOError&) {
    return std::nullopt;
  }
  std::vector<Entry> out;
  for (const std::string& name : names) {
    if (!endsWith(name, suffix)) continue;
    std::string p = path(name);
    if (!platform::isFile(p)) continue;
    Entry e;
    e.name = name;
    try {
      e.size = platform::fileSize(p);
    } catch (const base::IOError&) {
      continue;  // gone meanwhile
    }
    e.modifiedMillis = platform::lastModifiedMillis(p);
    out.push_back(std::move(e));
  }
  return out;
}

uint64_t LogDirectory::fileTime(int64_t unixMillis) {
  // 1601-01-01 to 1970-01-01 is 11644473600 seconds.
  return static_cast<uint64_t>(unixMillis + 11644473600000LL) * 10000u;
}

float LogDirectory::oldness(uint64_t nowFileTime, uint64_t fileFileTime) {
  uint32_t d = static_cast<uint32_t>(nowFileTime >> 32) - static_cast<uint32_t>(fileFileTime >> 32);
  return static_cast<float>(d) * 6.95f;
}

int LogDirectory::tmpAgeDays(const platform::LocalDate& now, const platform::LocalDate& file) {
  return (now.year - file.year) * 365 + daysBefore(now.month) - daysBefore(file.month) + now.day -
         file.day;
}

bool LogDirectory::hasOldLog(int64_t nowMillis, Output& out, bool reportNone) const {
  std::optional<std::vector<Entry>> logs = find(".log");
  if (!logs || logs->empty()) {
    if (reportNone) out.say("**** No .log files found (%s)\n\n\n", pattern(".log").c_str());
    return false;
  }
  const uint64_t now = fileTime(nowMillis);
  for (const Entry& e : *logs) {
    float product = oldness(now, fileTime(e.modifiedMillis));
    if (product > kOldThreshold) {
      out.say("[E34]: Old log found: %.2f minutes old\n", static_cast<double>(product));
      return true;
    }
  }
  return false;
}

void LogDirectory::deleteOldTmp(const platform::LocalDate& today, Output& out) const {
  std::vector<Entry> tmps = find(".tmp").value_or(std::vector<Entry>());
  if (tmps.empty()) {
    out.say("**** No old .tmp logs found\n\n\n");
    return;
  }
  out.say("------------------------\n");
  out.say(" %zu .tmp logs present.\n", tmps.size());
  out.say("------------------------\n");
  int deleted = 0;
  for (const Entry& e : tmps) {
    int age = tmpAgeDays(today, platform::localDate(e.modifiedMillis));
    if (age <= 1) continue;
    std::string p = path(e.name);
    out.say("[I56]: File: \"%s\" is %d days old.  Deleting....\n", p.c_str(), age);
    if (remove_(p))
      ++deleted;
    else
      out.say("[DE:01] Couldn't delete \"%s\"\n", p.c_str());
  }
  out.say("\n ----> %d old .tmp logs deleted\n\n\n", deleted);
}

void LogDirectory::deleteEmptyLogs(Output& out) const {
  std::vector<Entry> logs = find(".log").value_or(std::vector<Entry>());
  if (logs.empty()) {
    out.say("**** No .log files found (%s)\n\n\n", pattern(".log").c_str());
    return;
  }
  int deleted = 0;
  for (const Entry& e : logs) {
    if (e.size != 0) continue;
    std::string p = path(e.name);
    out.say("\n*** \"%s\" of size 0 ... purging\n\n\n", p.c_str());
    if (remove_(p))
      ++deleted;
    else
      out.say("[DE:02] Couldn't delete \"%s\"\n", p.c_str());
  }
  out.say("\n ----> %d 0-byte .log files deleted\n\n\n", deleted);
}

}  // namespace uploader
