// PlayerDB's conversion of a database of version 1 to version 2.
#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "programs/vardobf/PlayerDBInternal.h"
#include "util/ByteIO.h"

namespace programs::vardobf {
namespace {

using games::bf::Player;
using namespace detail;
namespace format = playerdb;

// Deletes the unfinished converted file; one that stays is only traced: the
// next conversion writes it afresh.
void dropConverted(const std::string& newPath) {
  if (platform::os().exists(newPath) && !platform::os().removePath(newPath))
    trace("Error PlayerDB.convertV1V2: cannot delete " + newPath);
}

}  // namespace

// ---- Conversion ----------------------------------------------------------

bool PlayerDB::convertV1V2(const std::string& f, int32_t numPlayers, bool intToLong) {
  State& st = state();
  const bool seekable = st.canSeek;
  const std::string dir = directoryOf(f);
  const std::string newPath = dir + format::kConvertName;
  const std::string oldPath = dir + format::kBackupName;
  try {
    if (st.db.isOpen()) close();
    st.db = platform::os().open(f, platform::File::Mode::kReadOnly);
    st.path = f;
    st.pending.reset(st.db.size());

    platform::File out = platform::os().open(newPath, platform::File::Mode::kTruncate);
    out.writeAt(0, std::vector<uint8_t>(static_cast<size_t>(format::kEntrySize), 0));
    util::ByteWriter header;
    header.putInt8(format::kDBVersion);
    header.putInt32(numPlayers);
    out.writeAt(format::kVersionOffset, header.bytes());
    const int64_t last = int64_t{numPlayers} + 3;
    for (int64_t x = 1; x <= last; ++x) {
      if (x % 100 == 0)
        trace("Updating player " + std::to_string(x) + " of " + std::to_string(last));
      const int64_t at = int64_t{format::kEntrySize} * x;
      seek(at);
      std::optional<Player> p = getNextPlayer(format::kDBVersionNoEntryVersion, intToLong);
      if (!p) {
        trace("Error retrieving player " + std::to_string(x) + ", aborting...");
        out = platform::File();
        resetState();
        dropConverted(newPath);
        return false;
      }
      out.writeAt(at, encodePlayer(*p));
    }
    out.sync();
    out.close();
    resetState();
    // The old content is copied to the backup before the new file replaces
    // `f` in one rename: at every moment `f` is a whole database.
    platform::os().copyFile(f, oldPath);
    if (!platform::os().replaceFile(newPath, f))
      throw base::IOError("cannot rename " + newPath + " to " + f);
    platform::os().syncDirectory(dir);
  } catch (const std::exception& e) {
    error("convertV1V2", e);
    resetState();
    dropConverted(newPath);
    return false;
  }
  return open(f, seekable, 0, false);
}

}  // namespace programs::vardobf
