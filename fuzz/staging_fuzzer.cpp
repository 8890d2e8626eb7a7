// Fuzz entry point: the staging of a run (core::moveLogFiles) over a folder of
// odd names. The input builds the offered log folder and the database and
// save folders; afterwards no file may be lost: each one is where it was or
// where the staging moves it (its staged copy, its ".log" name when it was a
// ".tmp", its ".big" name when it was too large, or the save folder).
//
// Input: one byte of settings (bits 0-1 the log handling: save, delete,
// move; bit 2 LogTmpFiles), then entries separated by NUL bytes. An entry is
// one byte of kind (bits 0-1 the folder: logs, logs, database, save; bit 2 an
// old modification time; bit 3 too large) and the name.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "platform/FakeClock.h"
#include "platform/FileSystem.h"
#include "programs/vardo/config.h"
#include "programs/vardo/core.h"
#include "util/Debug.h"
#include "util/Text.h"

namespace {

namespace fs = std::filesystem;
using programs::vardo::config;
using programs::vardo::core;

constexpr int64_t kNow = 1800000000000;

struct Entry {
  std::string folder;  // "logs/", "data/" or "processedLogs/"
  std::string name;
  std::string content;  // unique to the entry
};

const std::string& home() {
  static const std::string dir = fuzz_support::scratchDir("staging_fuzz").string();
  return dir;
}

void check(bool ok) {
  if (!ok) __builtin_trap();
}

// A name the folder can hold: no separator or NUL, not "." or "..", at
// most 250 bytes.
std::string usableName(std::string name) {
  for (char& c : name)
    if (c == '/') c = '_';
  if (name.size() > 250) name.resize(250);
  if (name.empty() || name == "." || name == "..") name = "_" + name;
  return name;
}

std::vector<Entry> buildFolders(const uint8_t* data, size_t size) {
  std::error_code ec;
  fs::remove_all(home(), ec);
  for (const char* sub : {"logs", "data", "processedLogs"})
    fs::create_directories(home() + "/" + sub);
  std::vector<Entry> entries;
  std::set<std::string> taken;
  bool bigMade = false;
  size_t pos = 1;
  while (pos < size) {
    size_t end = pos;
    while (end < size && data[end] != 0) ++end;
    if (end > pos) {
      uint8_t kind = data[pos];
      std::string name =
          usableName(std::string(reinterpret_cast<const char*>(data) + pos + 1, end - pos - 1));
      static const char* const kFolders[] = {"logs/", "logs/", "data/", "processedLogs/"};
      Entry e{kFolders[kind & 3], name, "#" + std::to_string(entries.size()) + "\n"};
      if (taken.insert(e.folder + name).second && entries.size() < 24) {
        if ((kind & 8) != 0 && !bigMade && e.folder == "logs/") {
          e.content.resize(core::kMaxLogSize + 1, 'x');
          bigMade = true;
        }
        std::string path = home() + "/" + e.folder + name;
        platform::writeFile(path, e.content);
        if (!platform::setLastModifiedMillis(
                path, (kind & 4) != 0 ? kNow - core::kTmpAgeMillis : kNow - 1000))
          std::abort();
        entries.push_back(std::move(e));
      }
    }
    pos = end + 1;
  }
  return entries;
}

bool holds(const std::string& path, const std::string& content) {
  try {
    return platform::isFile(path) && platform::readFile(path) == content;
  } catch (const std::exception&) {
    return false;
  }
}

// The names an offered log may have after staging.
std::vector<std::string> offeredNames(const std::string& name) {
  std::vector<std::string> names = {name};
  if (util::endsWith(name, ".tmp")) names.push_back(name.substr(0, name.size() - 4) + ".log");
  for (size_t i = 0, n = names.size(); i < n; ++i) {
    size_t dotLog = names[i].find(".log");
    names.push_back((dotLog == std::string::npos ? names[i] : names[i].substr(0, dotLog)) + ".big");
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  util::Debug::setType("None", ".");
  config::resetToDefaults();
  config::home = home();
  static const char* const kModes[] = {"save", "delete", "move", "save"};
  config::logHandling = kModes[data[0] & 3];
  config::logTmp = (data[0] & 4) != 0;
  std::vector<Entry> entries = buildFolders(data, size);

  testing_support::FakeClock clock(kNow);
  platform::ScopedClock useClock(clock);
  try {
    core c;
    c.moveLogFiles({home() + "/logs"});
  } catch (const programs::vardo::RunExit&) {
    // A live run lock: staging ends the process there.
  }

  // Names that staging may write over: in the database folder the offered
  // logs' names, in the save folder those and the processed logs' names.
  std::set<std::string> staged;
  for (const Entry& e : entries) {
    if (e.folder != "logs/") continue;
    for (const std::string& n : offeredNames(e.name)) {
      staged.insert(n);
      staged.insert(n + ".part");
    }
  }
  std::set<std::string> saved = staged;
  for (const Entry& e : entries)
    if (e.folder == "data/" && util::endsWith(e.name, ".del")) saved.insert(e.name);
  for (const Entry& e : entries) {
    // A ".lock" in the database folder is a run lock; staging deletes stale
    // ones, and one offered as a log becomes one when staged.
    if (util::endsWith(e.name, ".lock")) continue;
    std::vector<std::string> places;
    if (e.folder == "logs/") {
      for (const std::string& n : offeredNames(e.name))
        for (const char* f : {"logs/", "data/", "processedLogs/"}) places.push_back(f + n);
    } else {
      if ((e.folder == "data/" ? staged : saved).count(e.name) != 0) continue;
      places.push_back(e.folder + e.name);
      if (e.folder == "data/" && util::endsWith(e.name, ".del"))
        places.push_back("processedLogs/" + e.name);
    }
    bool found = false;
    for (const std::string& p : places) found = found || holds(home() + "/" + p, e.content);
    check(found);
  }
  return 0;
}
