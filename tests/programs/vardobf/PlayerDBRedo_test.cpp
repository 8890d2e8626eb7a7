// The redo file's reader against well-formed files that lie: every checksum
// below is right, so that only the bounds checks stand between the data and
// the database.
#include <limits>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "platform/MemoryOs.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "programs/vardobf/PlayerDBInternal.h"
#include "util/ByteIO.h"
#include "util/Debug.h"

namespace programs::vardobf {
namespace {

using testing_support::StdoutCapture;
namespace format = playerdb;

struct Record {
  int64_t offset;
  int32_t count;  // as stored; the bytes given are min(count, data) long
  std::vector<uint8_t> data;
};

// A redo file with the right magic, length and checksum.
std::vector<uint8_t> redoFile(int64_t base, int64_t length, const std::vector<Record>& records) {
  size_t total = format::kRedoHeaderBytes + format::kRedoTrailerBytes;
  for (const Record& r : records) total += format::kRedoRecordHeaderBytes + r.data.size();
  util::ByteWriter out;
  out.putBytes(format::kRedoMagic);
  out.putInt32(format::kRedoFormat);
  out.putInt64(static_cast<int64_t>(total));
  out.putInt64(base);
  out.putInt64(length);
  out.putInt32(static_cast<int32_t>(records.size()));
  for (const Record& r : records) {
    out.putInt64(r.offset);
    out.putInt32(r.count);
    out.putBytes(r.data);
  }
  out.putUInt32(util::crc32(out.bytes()));
  return out.take();
}

Record rec(int64_t offset, size_t n, uint8_t fill = 0xAB) {
  return {offset, static_cast<int32_t>(n), std::vector<uint8_t>(n, fill)};
}

void decode(const std::vector<uint8_t>& bytes) { detail::decodeRedo(bytes, "r"); }

TEST(PlayerDBRedo, AWellFormedFileDecodes) {
  const auto r =
      detail::decodeRedo(redoFile(100, 300, {rec(0, 10), rec(10, 5), rec(200, 100)}), "r");
  EXPECT_EQ(r.base, 100);
  EXPECT_EQ(r.length, 300);
  ASSERT_EQ(r.records.size(), 3u);
  EXPECT_EQ(r.records[2].first, 200);
  EXPECT_EQ(r.records[2].second.size(), 100u);
}

TEST(PlayerDBRedo, LyingLengthsAndOffsetsAreRefused) {
  constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();
  const std::vector<std::vector<uint8_t>> lies = {
      redoFile(-1, 10, {}),                            // negative base
      redoFile(20, 10, {}),                            // length below base
      redoFile(0, format::kMaxFileLength + 1, {}),     // beyond the largest file
      redoFile(0, 100, {rec(-5, 10)}),                 // before the file
      redoFile(0, 100, {rec(95, 10)}),                 // past the length
      redoFile(0, 100, {rec(kMax64 - 3, 10)}),         // offset + count overflows
      redoFile(0, 100, {rec(0, 0)}),                   // empty record
      redoFile(0, 100, {rec(50, 10), rec(10, 10)}),    // out of order
      redoFile(0, 100, {rec(0, 20), rec(10, 20)}),     // overlapping
      redoFile(0, 100, {Record{0, 1000, {1, 2, 3}}}),  // count beyond the data
      redoFile(0, 100, {Record{0, -1, {}}}),           // negative count
  };
  for (size_t i = 0; i < lies.size(); ++i) EXPECT_THROW(decode(lies[i]), base::FormatError) << i;

  // A record count larger than the file could hold is refused before any
  // room is reserved for it.
  auto many = redoFile(0, 100, {});
  util::storeInt32(&many[format::kRedoHeaderBytes - 4], std::numeric_limits<int32_t>::max());
  util::storeInt32(&many[many.size() - 4],
                   static_cast<int32_t>(util::crc32(std::span<const uint8_t>(many).first(
                       many.size() - format::kRedoTrailerBytes))));
  EXPECT_THROW(decode(many), base::FormatError);
}

// A database and its redo file on the system held in memory.
class PlayerDBRedoApply : public ::testing::Test {
 protected:
  void write(const std::string& path, const std::vector<uint8_t>& bytes) {
    system.writeFile(path, std::string(bytes.begin(), bytes.end()));
  }

  const std::string db = "/bf_player.db";
  const std::string redo = "/r.redo";
  platform::MemoryOs system;
  platform::ScopedOs inForce{system};
};

TEST_F(PlayerDBRedoApply, ARedoForALongerFileIsNotAppliedToAShorterOne) {
  util::Debug::reset();
  util::Debug::setType("StdOut", ".");
  system.writeFile(db, std::string(50, 'x'));
  write(redo, redoFile(100, 200, {rec(150, 10)}));
  StdoutCapture out;
  EXPECT_FALSE(PlayerDB::applyRedo(db, redo));
  EXPECT_NE(out.text().find("fewer than the 100"), std::string::npos) << out.text();
  EXPECT_EQ(system.readFile(db), std::string(50, 'x'));
  util::Debug::reset();
}

TEST_F(PlayerDBRedoApply, AppliedRecordsLandInsideTheTargetLength) {
  system.writeFile(db, std::string(100, 'x'));
  write(redo, redoFile(60, 80, {rec(0, 2, 'a'), rec(70, 10, 'b')}));
  ASSERT_TRUE(PlayerDB::applyRedo(db, redo));
  EXPECT_EQ(system.readFile(db),
            "aa" + std::string(58, 'x') + std::string(10, '\0') + std::string(10, 'b'));
}

}  // namespace
}  // namespace programs::vardobf
