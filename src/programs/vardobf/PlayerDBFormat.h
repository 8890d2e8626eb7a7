#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "games/bf/Specs.h"

// The layout of the player database "bf_player.db" and of its redo file
// (docs/player-db-format.md draws both as byte tables).
namespace programs::vardobf::playerdb {

inline constexpr const char* kFileName = "bf_player.db";
// The conversion from database version 1 writes the new file under this
// name and keeps the old one under the backup name, both beside the file.
inline constexpr const char* kConvertName = "new_player.db";
inline constexpr const char* kBackupName = "old_player.db";
// close() commits through the database path followed by this suffix.
inline constexpr const char* kRedoSuffix = ".redo";

// The file is an array of slots of this size.
inline constexpr int32_t kEntrySize = 16384;
// Slot 0: database version byte, then numEntries (int32); rest zero.
inline constexpr int64_t kVersionOffset = 0;
inline constexpr int64_t kNumEntriesOffset = 1;
inline constexpr int8_t kDBVersion = 2;
// Database version 1: entries without a leading entry version.
inline constexpr int8_t kDBVersionNoEntryVersion = 1;
// Player uid u lives in slot u + kUidToSlot: the players from slot 4 on, the
// aggregates (uids -3, -2, -1) in slots 1 to 3.
inline constexpr int32_t kUidToSlot = 4;
// A new file written without seeking gets this many zeroed slots.
inline constexpr int32_t kNewFileSlots = 4;
// Growth: when an append reaches a slot number whose remainder by
// kGrowSlots is kGrowRemainder, kGrowSlots more slots are preallocated.
inline constexpr int32_t kGrowSlots = 100;
inline constexpr int32_t kGrowRemainder = 4;
// The file length is kept in 32 bits; the file never grows beyond it.
inline constexpr int64_t kMaxFileLength = std::numeric_limits<int32_t>::max();

// Entry versions. 3 is written; 1 and 2 are read.
inline constexpr int32_t kEntryVersion = 3;
// Entry version 1: items and pingTime as int32 (entry version 2: int64).
inline constexpr int32_t kEntryVersionInt32Items = 1;
// Entry versions 1 and 2 count fewer causes and one more game type; their
// sixth game-type block is folded into DeathMatch.
inline constexpr size_t kOldSuicideTypes = 9;
inline constexpr size_t kOldGameBlocks = 8;
inline constexpr size_t kFoldedGameBlock = 5;

// A PStats block's fixed part: totalTime, kills .. suicides, items,
// pingTime, pingNum .. blinkFail (14 int32), score.
inline constexpr size_t kPStatsFixedBytes = 8 + 5 * 4 + 2 * 8 + 14 * 4 + 8;
inline constexpr size_t kPerWeaponCounters = 5;
// flagCaptures, flagDrops, flagPickups, flagReturns, flagAssists, flagKills,
// flagTakens.
inline constexpr size_t kFlagTailBytes = 7 * 4;
// totalTime, uses, kills, deaths, suicides.
inline constexpr size_t kCounterBlockBytes = 8 + 4 * 4;

constexpr size_t pstatsBlockBytes(int32_t entryVersion, bool ctf) {
  using games::bf::Specs;
  const bool old = entryVersion <= 2;
  return kPStatsFixedBytes - (entryVersion == kEntryVersionInt32Items ? 8 : 0) +
         Specs::kWeapons * kPerWeaponCounters * 4 +
         (old ? kOldSuicideTypes : Specs::kSuicides) * 4 + Specs::kItems * 4 +
         (ctf ? kFlagTailBytes : 0);
}

// Bytes of a whole entry; `versionField` false for the entries of database
// version 1, which start without the entry version.
constexpr size_t entryBytes(int32_t entryVersion, bool versionField) {
  using games::bf::Specs;
  const size_t gameBlocks = entryVersion <= 2 ? kOldGameBlocks : Specs::kGames;
  return (versionField ? 4 : 0) + 3 * pstatsBlockBytes(entryVersion, true) +
         (gameBlocks - 1) * pstatsBlockBytes(entryVersion, false) +
         pstatsBlockBytes(entryVersion, true) +
         (Specs::kPickups + Specs::kSprees) * kCounterBlockBytes;
}

inline constexpr size_t kEntryBytes = entryBytes(kEntryVersion, true);
static_assert(kEntryBytes <= static_cast<size_t>(kEntrySize), "an entry must fit in its slot");

// Redo file: the pending writes of one run (see PlayerDB::writeRedo).
inline constexpr std::array<uint8_t, 8> kRedoMagic = {'B', 'F', 'P', 'D', 'R', 'E', 'D', 'O'};
inline constexpr int32_t kRedoFormat = 1;
// magic, format, total length, base length, target length, record count.
inline constexpr size_t kRedoHeaderBytes = 8 + 4 + 8 + 8 + 8 + 4;
// Per record: offset (int64), byte count (int32), then the bytes.
inline constexpr size_t kRedoRecordHeaderBytes = 8 + 4;
// CRC-32 of every byte before it.
inline constexpr size_t kRedoTrailerBytes = 4;

}  // namespace programs::vardobf::playerdb
