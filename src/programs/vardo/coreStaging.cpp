// The run's log files: staging the offered logs into the database directory,
// the run locks found there, and the processed logs.
#include <set>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "programs/vardo/RunLock.h"
#include "programs/vardo/config.h"
#include "programs/vardo/core.h"
#include "programs/vardo/coreDetail.h"
#include "util/Debug.h"
#include "util/Text.h"
#include "util/Trace.h"

namespace programs::vardo {

using detail::kDone;
using detail::now;
using detail::removeTraced;

namespace {

using base::failureText;
using util::Debug;
using util::endsWith;

constexpr char kSep = platform::kSeparator;

// Moves a file, replacing an existing target; copies and deletes when a plain
// rename is impossible (for example across file systems). The copy goes
// through a temporary name, so that `to` never holds part of the file.
void moveFile(const std::string& from, const std::string& to) {
  if (platform::os().replaceFile(from, to)) return;
  platform::os().copyFile(from, to);
  if (!platform::os().removePath(from)) throw base::IOError("cannot delete " + from);
}

}  // namespace

void core::markProcessed(const std::string& log, bool replaceable) {
  try {
    std::string done = log + std::string(kDone);
    bool renamed = replaceable ? platform::os().replaceFile(log, done)
                               : platform::os().renameNoReplace(log, done);
    if (!renamed) throw base::IOError("cannot rename " + log + " to " + done);
  } catch (const std::exception& e) {
    // The log stays a ".log" and is read again by the next run, which finds
    // its matches known already.
    util::traceFailure("core", "markProcessed", e);
  }
}

void core::moveLogFiles(const std::vector<std::string>& files) {
  Debug::print("I core.moveLogFiles", 1);
  try {
    std::set<std::string> staged;  // names staged in this pass
    for (const std::string& path : files) {
      Debug::print("File from Vector: " + path, 1);
      if (!platform::os().exists(path)) continue;
      Debug::print("File exists", 1);
      std::string canon = platform::os().canonicalPath(path);
      bool isDir = platform::os().isDirectory(canon);
      std::vector<std::string> entries;
      if (isDir) {
        for (const std::string& e : platform::os().listDirectory(canon))
          entries.push_back(canon + kSep + e);
        if (entries.empty()) continue;
      } else {
        entries.push_back(canon);
      }
      for (size_t i = 0; i < entries.size(); ++i) {
        Debug::print("list[" + std::to_string(i) + "] = " + entries[i], 1);
        if (isDir) Debug::print("dir = " + canon, 1);
        stageLogFile(entries[i], staged);
      }
    }
    checkRunLocks();
    Debug::print("O core.moveLogFiles", 1);
  } catch (const std::exception& e) {
    util::traceFailure("core", "moveLogFiles", e);
    stagingFailure_ = failureText(e);
  }
}

void core::stageLogFile(std::string file, std::set<std::string>& staged) {
  const std::string dbDir = config::vdDBDir();
  const std::string mode = config::vdLogHandling();
  if (endsWith(file, ".tmp")) {
    if (now() - platform::os().lastModifiedMillis(file) < kTmpAgeMillis) return;
    std::string renamed = file.substr(0, file.size() - 4) + ".log";
    // A log of that name was staged in this pass: the finished one waits
    // for the next run rather than replace it.
    if (config::logTmpFiles() && staged.count(platform::baseName(renamed)) != 0) return;
    if (!platform::os().renameNoReplace(file, renamed))
      throw base::IOError("cannot rename " + file + " to " + renamed);
    if (!config::logTmpFiles()) return;
    file = renamed;
  }
  if (!platform::os().isFile(file)) throw base::IOError(file + " (not a regular file)");
  int64_t size = platform::os().fileSize(file);
  std::string name = platform::baseName(file);
  std::string parent = file.substr(0, file.size() - name.size());
  if (size > kMaxLogSize) {
    Debug::print("Logfile too large(" + std::to_string(size) + "):" + file, 0);
    size_t dotLog = name.find(".log");
    std::string big = (dotLog == std::string::npos ? name : name.substr(0, dotLog)) + ".big";
    if (!platform::os().renameNoReplace(file, parent + big))
      util::traceError("core", "stageLogFile",
                       "IOError: cannot rename " + file + " to " + parent + big);
    return;
  }
  // Two offered logs of one name (from two folders): the second waits for
  // the next run, so that neither replaces the other unread.
  if (!staged.insert(name).second) {
    Debug::print("Logfile waits for the next run, one of its name is staged already:" + file, 0);
    return;
  }
  if (mode == "delete") {
    moveFile(file, dbDir + name);
  } else {
    // Through a temporary name that the loop never takes, so that an
    // interrupted copy is never processed as a log.
    platform::os().copyFile(file, dbDir + name);
    if (mode == "move") moveFile(file, config::vdSaveDir() + name);
  }
}

void core::checkRunLocks() {
  const std::string dbDir = config::vdDBDir();
  bool alive = false;
  for (const std::string& entry : platform::os().listDirectory(dbDir)) {
    if (!endsWith(entry, ".lock")) continue;
    std::optional<std::string> owner;
    try {
      owner = platform::os().readFile(dbDir + entry);
    } catch (const base::IOError&) {
      // Gone or unreadable: judged by its age alone.
    }
    if (RunLock::alive(entry, owner, now()))
      alive = true;
    else
      removeTraced(dbDir + entry, "checkRunLocks");
  }
  if (alive) {
    Debug::print("Another Vardo is running, now exiting...", 0);
    Debug::print("O core.moveLogFiles", 1);
    Debug::close();
    throw RunExit{0};
  }
}

void core::deleteOldLogfiles() {
  Debug::print("I core.deleteOldLogfiles", 1);
  try {
    const std::string dbDir = config::vdDBDir();
    for (const std::string& entry : platform::os().listDirectory(dbDir)) {
      if (endsWith(entry, kDone) && !platform::os().removePath(dbDir + entry))
        throw base::IOError("cannot delete " + dbDir + entry);
    }
    Debug::print("O core.deleteOldLogfiles", 1);
  } catch (const std::exception& e) {
    util::traceFailure("core", "deleteOldLogfiles", e);
  }
}

}  // namespace programs::vardo
