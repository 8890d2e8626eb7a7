// Reading a records block that is cut short.
#include <gtest/gtest.h>

#include "TestDir.h"
#include "programs/vardobf/Records.h"
#include "util/Debug.h"

namespace programs::vardobf {
namespace {

using testing_support::StdoutCapture;

// A block whose every record has a holder, so that a record read differs
// from one left at its default.
std::string fullBlock() {
  Records r;
  r.RecentGameMap = "Deck";
  r.RecentGameDate = "Nov 1";
  auto fill = [](auto& rec, int32_t n) {
    rec.uid = n;
    rec.name = "P" + std::to_string(n);
    rec.score = n * 3 + 1;
    rec.time = n + 0.5;
  };
  int32_t n = 0;
  for (GameRecord* g : {&r.gMostFrags, &r.gMostKills, &r.gMostDeaths, &r.gMostSuicides,
                        &r.gMostFCaptures, &r.gMostFReturns, &r.gMostCPCs})
    fill(*g, ++n);
  for (auto& g : r.gKillsHoldingWeapon) fill(g, ++n);
  for (auto& g : r.gSuicides) fill(g, ++n);
  for (CareerRecord* c : {&r.cMostFrags, &r.cMostKills, &r.cMostMoK}) fill(*c, ++n);
  for (auto& c : r.cWeaponSuicides) fill(c, ++n);
  util::ByteWriter out;
  r.writeDB(out);
  const auto b = out.bytes();
  return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

size_t lines(const std::string& s) {
  return static_cast<size_t>(std::count(s.begin(), s.end(), '\n'));
}

class RecordsDecodeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::Debug::reset();
    util::Debug::setType("StdOut", ".");
  }
  void TearDown() override { util::Debug::reset(); }
  // Decodes the first `n` bytes of the block; the trace it gave.
  std::string decode(const std::string& block, size_t n, Records& into) {
    StdoutCapture out;
    util::ByteReader in(std::string_view(block).substr(0, n));
    into = Records(in, 2);
    return out.text();
  }
};

TEST_F(RecordsDecodeTest, AWholeBlockReadsBackSilently) {
  const std::string block = fullBlock();
  Records r;
  EXPECT_EQ(decode(block, block.size(), r), "");
  util::ByteWriter again;
  r.writeDB(again);
  EXPECT_EQ(again.bytes().size(), block.size());
}

// Each record left after the cut used to report its own failure: a block
// cut after its texts gave one line per record.
TEST_F(RecordsDecodeTest, ABlockCutAfterItsTextsReportsOnce) {
  const std::string block = fullBlock();
  const size_t texts = 4 + 4 + 4 + 5;  // "Deck", "Nov 1"
  Records r;
  const std::string trace = decode(block, texts, r);
  EXPECT_EQ(lines(trace), 1u) << trace;
  EXPECT_EQ(trace.rfind("Error in GameRecord.new: FormatError: 4 bytes needed", 0), 0u) << trace;
  EXPECT_EQ(r.RecentGameMap, "Deck");
  EXPECT_EQ(r.gMostFrags.uid, -1);
  EXPECT_EQ(r.cMostMoK.uid, -1);
}

TEST_F(RecordsDecodeTest, EveryCutKeepsWhatCameBeforeItAndReportsLittle) {
  const std::string block = fullBlock();
  Records whole;
  decode(block, block.size(), whole);
  for (size_t n = 0; n < block.size(); n += 7) {
    Records r;
    const std::string trace = decode(block, n, r);
    // At most: the record cut in two, a few read from where that one
    // stopped, and the one that found nothing left.
    EXPECT_LE(lines(trace), 8u) << "cut at " << n << ":\n" << trace;
    EXPECT_FALSE(trace.empty()) << n;
    // The last record of the block (its last field) is never read whole.
    EXPECT_EQ(r.cMostMoK.time, 0.0) << n;
    if (n > block.size() / 2) {
      EXPECT_EQ(r.gMostFrags.name, whole.gMostFrags.name) << n;
      EXPECT_EQ(r.gKillsHoldingWeapon[0].score, whole.gKillsHoldingWeapon[0].score) << n;
    }
  }
}

}  // namespace
}  // namespace programs::vardobf
