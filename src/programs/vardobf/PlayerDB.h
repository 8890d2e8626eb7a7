#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "games/bf/PStats.h"
#include "games/bf/Player.h"
#include "util/ByteIO.h"

namespace programs::vardobf {

// The player database "bf_player.db": the cumulative statistics of every
// player ever seen, one 16384-byte slot per player, the three aggregates in
// slots 1 to 3 and a header in slot 0 (layout in PlayerDBFormat.h and
// docs/player-db-format.md). At most one database is open at a time; all
// operations act on it (module state).
//
// Nothing reaches the file while it is open. Every write (entries, header,
// preallocation) is kept as a pending write in memory, and reads see the
// pending writes. The pending writes reach the file in one commit that a
// killed run cannot leave half done:
//
//   close()                      commits on its own through f + ".redo";
//   writeRedo(r); <apply r with  the totals' group commit: writeRedo stages
//   applyRedo(f, r) as part of   the header and makes the redo file r
//   a group commit>; discard()   durable; the caller applies it together
//                                with the other database files and then
//                                closes without writing.
//
// open() finishes a close() that was interrupted: a complete f + ".redo" is
// applied, an incomplete one dropped. A group commit that writes its redo
// under that name must settle it (apply it when committed, delete it when
// not) before the next open().
//
// Every operation catches all failures, writes "Error PlayerDB.<op>: " and
// the failure's text to the trace log (severity 0) and returns its neutral
// value (false, none or nothing).
class PlayerDB {
 public:
  // Opens `f` (created when missing). `seek` false preallocates by writing
  // zeros (a new file gets 4 zeroed slots). `numPlayers` and `intToLong` are
  // used only to convert a file of database version 1. False when the file
  // is refused (version above 2, too long) or cannot be opened; the module
  // then has no file. An open database is closed (committed) first.
  static bool open(const std::string& f, bool seek, int32_t numPlayers, bool intToLong);
  // Writes numEntries into the header, commits every pending write and
  // closes. Does nothing when no database is open. When the commit fails the
  // file keeps its old content, or a complete redo file stays for the next
  // open to finish.
  static void close();
  // The player of `uid` (-3, -2, -1 for the aggregates) with its uid set;
  // none for a uid outside the file (an aggregate not stored yet silently).
  static std::optional<games::bf::Player> getPlayer(int32_t uid);
  // Stores p under p.uid: overwrites its slot, or appends when the slot is
  // the next one. Refuses slots further out, slot 0 and below, and slots
  // beyond the 32-bit file length.
  static bool putPlayer(const games::bf::Player& p);
  // Positions the file for getNextPlayer.
  static void seek(int64_t offset);
  // Decodes the slot at the current position as an entry of database
  // version `version` and moves to the next slot. None when no slot starts
  // there or the entry cannot be decoded.
  static std::optional<games::bf::Player> getNextPlayer(int32_t version, bool intToLong);

  // The entry (entry version 3), exactly as long as its content; empty when
  // the player cannot be encoded.
  static std::vector<uint8_t> playerToBytes(const games::bf::Player& p);
  // Decodes an entry of database version `version` (0 for the current
  // one). On a decode failure the part decoded so far is returned with the
  // other counters at zero, and *ok (when given) is false.
  static games::bf::Player bytesToPlayer(std::span<const uint8_t> b, int32_t version,
                                         bool intToLong, bool* ok = nullptr);
  // One PStats block, with the flag-counter tail when `ctf`. Decoding sets
  // the stored fields and derives frags, myFrags and myFragsOppW; the stored
  // score is kept.
  static void pstatsToBytes(const games::bf::PStats& s, util::ByteWriter& out, bool ctf);
  static void bytesToPStats(games::bf::PStats& s, util::ByteReader& in, bool ctf,
                            int32_t playerVersion);
  // One counter block of a pickup or spree record.
  static void pickupsToBytes(const games::bf::PStats& s, util::ByteWriter& out);
  static void bytesToPickups(games::bf::PStats& s, util::ByteReader& in, int32_t playerVersion);
  // Rewrites the database-version-1 file `f` as version 2 through
  // "new_player.db", keeps the old content as "old_player.db" (both beside
  // f) and reopens f. `f` is replaced in one rename, so a killed conversion
  // leaves the version-1 file in place.
  static bool convertV1V2(const std::string& f, int32_t numPlayers, bool intToLong);

  // Stages the header (numEntries) and writes every pending write and the
  // resulting file length to `redoPath`, flushed to the disk with its
  // directory. False when no database is open or the file cannot be
  // written. The pending writes stay pending.
  static bool writeRedo(const std::string& redoPath);
  // Applies the redo file to the database file `dbPath` (created when
  // missing), sets its length and flushes it. Applying it again gives the
  // same file. An incomplete or damaged redo file (wrong magic, length or
  // checksum, a record outside the target length, out of order or empty),
  // or one written for a longer file than `dbPath` is, is refused with false
  // and the database is not touched.
  static bool applyRedo(const std::string& dbPath, const std::string& redoPath);
  // Closes without writing anything; the pending writes are dropped.
  static void discard();

  static bool isOpen();
  // The header's player count as it will be written.
  static int32_t numEntries();
  // Slots the file is known to span.
  static int32_t num();
  // File length with the pending writes applied.
  static int64_t length();
};

}  // namespace programs::vardobf
