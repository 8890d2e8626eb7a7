#pragma once

#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "games/bf/PStats.h"
#include "games/bf/Player.h"
#include "platform/Os.h"
#include "programs/vardobf/Overlay.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "util/ByteIO.h"

// The internals that PlayerDB's sources share: PlayerDB.cpp (the module
// state, opening, closing and the players), PlayerDBCodec.cpp (the entry
// codec), PlayerDBRedo.cpp (the redo file and the commit) and
// PlayerDBConvert.cpp (the conversion of database version 1). Tests and
// fuzzers may include it.
namespace programs::vardobf::detail {

// The module state.
struct State {
  platform::File db;
  std::string path;
  int32_t len = 0;
  int32_t num = 0;
  int32_t entrySize = playerdb::kEntrySize;
  bool canSeek = false;
  int32_t numEntries = 0;
  int64_t pos = 0;
  Overlay pending;
};

State& state();
void resetState();
// Throws base::IOError when no database is open.
void requireOpen();

// A trace line of severity 0.
void trace(const std::string& text);
// "Error PlayerDB.<op>: " and the failure's text, traced.
void error(const char* op, const std::exception& e);
// The directory part of `path` with its trailing '/', empty for a bare name.
std::string directoryOf(const std::string& path);

// ---- Entry codec (PlayerDBCodec.cpp); failures throw base::FormatError.
void writePStats(const games::bf::PStats& s, util::ByteWriter& out, bool ctf);
void readPStats(games::bf::PStats& s, util::ByteReader& in, bool ctf, int32_t pv);
void writeCounters(const games::bf::PStats& s, util::ByteWriter& out);
void readCounters(games::bf::PStats& s, util::ByteReader& in);
std::vector<uint8_t> encodePlayer(const games::bf::Player& p);
void decodePlayer(games::bf::Player& p, std::span<const uint8_t> b, int32_t version,
                  bool intToLong);

// ---- Redo files (PlayerDBRedo.cpp).
std::vector<uint8_t> encodeRedo(const Overlay& pending);

struct Redo {
  int64_t base = 0;
  int64_t length = 0;
  std::vector<std::pair<int64_t, std::span<const uint8_t>>> records;
};

// Checks the whole redo file before anything is applied: its magic, format,
// length and checksum, and every length and offset against the format's
// limits. Throws base::FormatError for an incomplete or damaged one; the
// records then point into `bytes`.
Redo decodeRedo(std::span<const uint8_t> bytes, const std::string& path);

enum class ApplyResult { kApplied, kRefused };

// Applies a complete redo file to `dbPath`; a damaged one, or one made
// against a longer file than `dbPath` is, is refused (traced) before the
// database is touched. I/O failures throw base::IOError.
ApplyResult applyRedoFile(const std::string& dbPath, const std::string& redoPath);
// Deletes `path` when it exists and flushes its directory; throws when the
// name stays.
void removeDurably(const std::string& path);
// Finishes or drops the commit of a run that was killed inside close().
void recoverRedo(const std::string& f);

}  // namespace programs::vardobf::detail
