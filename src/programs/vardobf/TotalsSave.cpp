// Totals' saving members: the database files as stored, the all-or-nothing
// save through a commit marker, and the recovery of an interrupted save.
#include <algorithm>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/CommitMarker.h"
#include "programs/vardobf/DbText.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "programs/vardobf/Totals.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf {
namespace {

using base::failureText;
using programs::vardo::config;
using util::Debug;

constexpr int32_t kGameDBVersion = 1;
constexpr int32_t kRecordsDBVersion = 2;
constexpr int32_t kHashDBVersion = 2;

// The databases that are written whole, beside the player database.
constexpr const char* kWholeFiles[] = {Totals::kGameDB, Totals::kRecordsDB, Totals::kHashDB};

// The files of one commit, as the marker names them (names in the database
// directory).
std::vector<std::string> commitFiles() {
  std::vector<std::string> names;
  for (const char* name : kWholeFiles) names.push_back(std::string(name) + ".new");
  names.emplace_back(Totals::kPlayerRedo);
  return names;
}

// Deletes `path` when it exists; throws when it stays.
void removeIfThere(const std::string& path) {
  if (platform::os().exists(path) && !platform::os().removePath(path))
    throw base::IOError("cannot delete " + path);
}

}  // namespace

std::string Totals::encodeGameDB() const {
  const size_t numUIDs = std::min(gameList.size(), static_cast<size_t>(kMaxGameList));
  const size_t numGames = std::min({gameDateList.size(), gameMapList.size(), gameTypeList.size(),
                                    static_cast<size_t>(std::max(config::numGamesToSave(), 0))});
  size_t longest = 0;
  for (size_t i = 0; i < numGames; ++i)
    longest =
        std::max({longest, gameDateList[i].size(), gameMapList[i].size(), gameTypeList[i].size()});
  util::ByteWriter out;
  out.putInt32(kGameDBVersion);
  out.putInt32(static_cast<int32_t>(numUIDs));
  out.putInt32(static_cast<int32_t>(numGames));
  out.putInt32(static_cast<int32_t>(longest));
  for (size_t i = 0; i < numUIDs; ++i) out.putInt64(gameList[i]);
  for (size_t i = 0; i < numGames; ++i) {
    writeText(out, gameDateList[i]);
    writeText(out, gameMapList[i]);
    writeText(out, gameTypeList[i]);
  }
  return bytesOf(out);
}

std::string Totals::encodeRecordsDB() const {
  util::ByteWriter out;
  out.putInt32(kRecordsDBVersion);
  out.putInt32(totalGamesPlayed);
  out.putInt32(highGameFrags);
  out.putInt64(highGameUID);
  for (int32_t n : gamesPlayed) out.putInt32(n);
  rec.writeDB(out);
  return bytesOf(out);
}

std::string Totals::encodeHashDB() const {
  util::ByteWriter out;
  out.putInt32(kHashDBVersion);
  out.putInt32(static_cast<int32_t>(plist.size()));
  for (const HashEntry& e : plist.entries()) e.writeDB(out);
  return bytesOf(out);
}

void Totals::writeDBs() {
  const std::string dir = config::vdDBDir();
  if (unsettled_)
    throw base::IOError("the save of an earlier run in " + dir +
                        " could not be settled; the databases are left as they are");
  struct Part {
    const char* name;
    const char* operation;  // traced on a failure
    std::string data;
  };
  std::vector<Part> parts = {{kGameDB, "writeGameDB", encodeGameDB()},
                             {kRecordsDB, "writeRecordsDB", encodeRecordsDB()},
                             {kHashDB, "writeHashDB", encodeHashDB()}};
  for (const Part& p : parts) {
    try {
      platform::os().writeFileDurable(dir + p.name + ".new", p.data);
    } catch (const std::exception& e) {
      util::traceFailure("Totals", p.operation, e);
      abandonSave(dir);
      throw;
    }
  }
  // The aggregates go into the player database last, as its close does.
  bool stored = PlayerDB::putPlayer(allStats) && PlayerDB::putPlayer(humanStats) &&
                PlayerDB::putPlayer(botStats);
  if (!stored || !PlayerDB::writeRedo(dir + kPlayerRedo)) {
    abandonSave(dir);
    throw base::IOError("the player database could not be saved");
  }
  try {
    const CommitMarker marker = CommitMarker::describe(dir, commitFiles());
    platform::os().writeFileDurable(dir + kCommitMarker, marker.encode());
    platform::os().syncDirectory(dir);
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "writeCommitMarker", e);
    abandonSave(dir);
    throw;
  }
  // From here on the save is committed: a failure leaves the marker for the
  // next run to finish.
  PlayerDB::discard();
  playerDBOpen_ = false;
  try {
    finishCommit(dir);
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "finishCommit", e);
    throw;
  }
}

void Totals::abandonSave(const std::string& dir) {
  PlayerDB::discard();
  playerDBOpen_ = false;
  try {
    removeIfThere(dir + kCommitMarker);
    dropUnfinished(dir);
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "abandonSave", e);
  }
}

void Totals::finishCommit(const std::string& dir) {
  const std::string redo = dir + kPlayerRedo;
  if (platform::os().exists(redo) && !PlayerDB::applyRedo(dir + kPlayerDB, redo))
    throw base::IOError("the player database changes in " + redo + " could not be applied");
  for (const char* name : kWholeFiles) {
    std::string fresh = dir + name + ".new";
    if (platform::os().exists(fresh) && !platform::os().replaceFile(fresh, dir + name))
      throw base::IOError("cannot put " + fresh + " in place");
  }
  platform::os().syncDirectory(dir);
  // The marker goes last: while it stays, the redo file is applied again by
  // the next run, which gives the same database; a redo file that outlives
  // the marker in a crash is dropped as a leftover, which is as harmless.
  removeIfThere(redo);
  removeIfThere(dir + kCommitMarker);
  platform::os().syncDirectory(dir);
}

void Totals::dropUnfinished(const std::string& dir) {
  std::string failed;
  for (const std::string& name : commitFiles()) {
    if (platform::os().exists(dir + name) && !platform::os().removePath(dir + name))
      failed += (failed.empty() ? "" : ", ") + dir + name;
  }
  if (!failed.empty()) throw base::IOError("cannot delete " + failed);
}

std::vector<std::string> Totals::unfinishedSaveFiles(const std::string& dir) {
  std::vector<std::string> names = {kCommitMarker};
  for (const std::string& name : commitFiles()) names.push_back(name);
  names.push_back(std::string(kPlayerDB) + playerdb::kRedoSuffix);
  std::vector<std::string> found;
  for (const std::string& name : names)
    if (platform::os().exists(dir + name)) found.push_back(name);
  return found;
}

void Totals::recover(const std::string& dir) {
  const std::string markerPath = dir + kCommitMarker;
  if (!platform::os().exists(markerPath)) {
    dropUnfinished(dir);
    return;
  }
  const std::optional<CommitMarker> marker =
      CommitMarker::decode(platform::os().readFile(markerPath), commitFiles());
  if (marker && marker->matches(dir)) {
    finishCommit(dir);
    return;
  }
  // A marker cut short was never committed; one that names other files than
  // those beside it belongs to an older save (a removal that failed): either
  // way the databases as they stand are the last whole save.
  Debug::print("Totals: dropped the commit marker " + markerPath +
                   ", which does not match the files of the unfinished save",
               0);
  dropUnfinished(dir);
  platform::os().syncDirectory(dir);
  removeIfThere(markerPath);
  platform::os().syncDirectory(dir);
}

}  // namespace programs::vardobf
