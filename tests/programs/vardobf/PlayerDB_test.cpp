#include "programs/vardobf/PlayerDB.h"

#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "platform/RandomAccessFile.h"
#include "programs/vardobf/PlayerDBFormat.h"
#include "util/ByteIO.h"
#include "util/Debug.h"

namespace programs::vardobf {
namespace {

using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using testing_support::StdoutCapture;
using testing_support::TestDir;
using Bytes = std::vector<uint8_t>;

constexpr int64_t kSlot = 16384;

Bytes fileBytes(const std::string& path) {
  const std::string s = platform::readFile(path);
  return Bytes(s.begin(), s.end());
}

void writeBytes(const std::string& path, const Bytes& b) {
  platform::writeFile(path, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

// Gives every stored counter of s a value of its own.
void fill(PStats& s, int32_t& next) {
  s.totalTime = next++ + 0.25;
  for (int32_t* f : {&s.kills, &s.deaths, &s.tkills, &s.tdeaths, &s.suicides}) *f = next++;
  s.items = int64_t{next++} << 33;
  s.pingTime = next++;
  for (int32_t* f :
       {&s.pingNum,    &s.uses,        &s.teamWins,    &s.teamLosses,  &s.controlPointCaptures,
        &s.headShots,  &s.dKills,      &s.muKills,     &s.uKills,      &s.moKills,
        &s.firstBlood, &s.blink,       &s.blinkThrow,  &s.blinkFail,   &s.flagCaptures,
        &s.flagDrops,  &s.flagPickups, &s.flagReturns, &s.flagAssists, &s.flagKills,
        &s.flagTakens})
    *f = next++;
  s.score = next++ + 0.5;
  for (auto* a : {&s.myKills, &s.myKillsOppW, &s.myDeaths, &s.myDeathsOppW, &s.myWSuicides})
    for (int32_t& v : *a) v = next++;
  for (int32_t& v : s.mySuicides) v = next++;
  for (int32_t& v : s.itemGets) v = next++;
}

Player sample(int32_t uid, int32_t seed) {
  Player p(0.0);
  p.uid = uid;
  int32_t next = seed;
  for (PStats* s : {&p.all, &p.vsHumans, &p.vsBots}) fill(*s, next);
  for (auto* list : {&p.games, &p.pickups, &p.sprees})
    for (PStats& s : *list) fill(s, next);
  return p;
}

// The stored fields of a block, as bytes.
Bytes stored(const PStats& s, bool ctf = true) {
  util::ByteWriter w;
  PlayerDB::pstatsToBytes(s, w, ctf);
  return w.take();
}

// A block of entry versions 1 and 2, written apart from the encoder under
// test: 9 causes, and items and pingTime as int32 in version 1.
void putOldBlock(util::ByteWriter& w, const PStats& s, bool ctf, int32_t pv) {
  w.putDouble(s.totalTime);
  for (int32_t v : {s.kills, s.deaths, s.tkills, s.tdeaths, s.suicides}) w.putInt32(v);
  if (pv == 1) {
    w.putInt32(static_cast<int32_t>(s.items));
    w.putInt32(static_cast<int32_t>(s.pingTime));
  } else {
    w.putInt64(s.items);
    w.putInt64(s.pingTime);
  }
  for (int32_t v :
       {s.pingNum, s.uses, s.teamWins, s.teamLosses, s.controlPointCaptures, s.headShots, s.dKills,
        s.muKills, s.uKills, s.moKills, s.firstBlood, s.blink, s.blinkThrow, s.blinkFail})
    w.putInt32(v);
  w.putDouble(s.score);
  for (size_t i = 0; i < Specs::kWeapons; ++i)
    for (int32_t v :
         {s.myKills[i], s.myKillsOppW[i], s.myDeaths[i], s.myDeathsOppW[i], s.myWSuicides[i]})
      w.putInt32(v);
  for (size_t i = 0; i < 9; ++i) w.putInt32(s.mySuicides[i]);
  for (int32_t v : s.itemGets) w.putInt32(v);
  if (ctf)
    for (int32_t v : {s.flagCaptures, s.flagDrops, s.flagPickups, s.flagReturns, s.flagAssists,
                      s.flagKills, s.flagTakens})
      w.putInt32(v);
}

// An old player (causes 9 to 11 unused, items fitting 32 bits) and the
// entry of version pv that stores it with `sixth` as the folded block.
Player oldSample(int32_t seed, int32_t pv) {
  Player p = sample(0, seed);
  auto age = [&](PStats& s) {
    s.mySuicides[9] = s.mySuicides[10] = s.mySuicides[11] = 0;
    if (pv == 1) s.items = -int64_t{seed};
  };
  for (PStats* s : {&p.all, &p.vsHumans, &p.vsBots}) age(*s);
  for (auto* list : {&p.games, &p.pickups, &p.sprees})
    for (PStats& s : *list) age(s);
  p.all.items = pv == 1 ? -5 : int64_t{1} << 40;
  return p;
}

Bytes oldEntry(const Player& p, const PStats& sixth, int32_t pv, bool versionField) {
  util::ByteWriter w;
  if (versionField) w.putInt32(pv);
  for (const PStats* s : {&p.all, &p.vsHumans, &p.vsBots}) putOldBlock(w, *s, true, pv);
  for (size_t g = 0; g < 5; ++g) putOldBlock(w, p.games[g], g == 1, pv);
  putOldBlock(w, sixth, false, pv);
  putOldBlock(w, p.games[5], false, pv);
  putOldBlock(w, p.games[6], false, pv);
  for (const auto* list : {&p.pickups, &p.sprees})
    for (const PStats& s : *list) {
      w.putDouble(s.totalTime);
      for (int32_t v : {s.uses, s.kills, s.deaths, s.suicides}) w.putInt32(v);
    }
  return w.take();
}

class PlayerDBTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Specs::init();
    util::Debug::reset();
    PlayerDB::discard();
    db_ = dir_ / "bf_player.db";
  }
  void TearDown() override { PlayerDB::discard(); }

  // A database closed with players 0 and 1 and the all-players aggregate.
  void makeDatabase(bool seek = false) {
    ASSERT_TRUE(PlayerDB::open(db_, seek, 0, true));
    ASSERT_TRUE(PlayerDB::putPlayer(sample(0, 1)));
    ASSERT_TRUE(PlayerDB::putPlayer(sample(1, 20000)));
    ASSERT_TRUE(PlayerDB::putPlayer(sample(-3, 40000)));
    PlayerDB::close();
  }

  TestDir dir_;
  std::string db_;
};

// ---- Entry encoding --------------------------------------------------------

TEST_F(PlayerDBTest, EntryIs7052BytesAndRoundTripsByteExact) {
  EXPECT_EQ(playerdb::kEntryBytes, 7052u);
  Player p = sample(7, 1);
  p.games[3].kills = std::numeric_limits<int32_t>::min();  // frags wrap around
  p.games[3].suicides = 1;
  const Bytes b = PlayerDB::playerToBytes(p);
  ASSERT_EQ(b.size(), 7052u);

  bool ok = false;
  Player q = PlayerDB::bytesToPlayer(b, 0, false, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(PlayerDB::playerToBytes(q), b);
  EXPECT_EQ(stored(q.games[6], false), stored(p.games[6], false));
  EXPECT_EQ(q.sprees[4].uses, p.sprees[4].uses);
  EXPECT_EQ(q.games[3].frags, std::numeric_limits<int32_t>::max() - p.games[3].tkills);

  // Derived on reading: frags and the per-weapon frags; Capture the Flag
  // team kills are given back in games[1] and all.
  const PStats& d = q.games[2];
  EXPECT_EQ(d.frags, d.kills - d.suicides - d.tkills);
  EXPECT_EQ(d.myFrags[4], d.myKills[4] - d.myWSuicides[4]);
  EXPECT_EQ(d.myFragsOppW[4], d.myKillsOppW[4]);
  const PStats& c = q.games[1];
  EXPECT_EQ(c.frags, c.kills - c.suicides);
  EXPECT_EQ(q.all.frags, q.all.kills - q.all.suicides - q.all.tkills + c.tkills);
  EXPECT_EQ(q.vsBots.frags, q.vsBots.kills - q.vsBots.suicides - q.vsBots.tkills);
}

TEST_F(PlayerDBTest, FieldsLieAtTheirDocumentedOffsets) {
  Player p(0.0);
  p.all.kills = 0x01020304;
  p.all.items = 0x0A0B0C0D0E0F1011;
  p.all.score = 2.0;  // 0x4000000000000000
  p.all.myWSuicides[18] = 77;
  p.all.itemGets[33] = 78;
  p.all.flagTakens = 79;
  p.vsHumans.totalTime = 1.0;  // 0x3FF0000000000000
  p.games[1].flagCaptures = 80;
  p.games[2].kills = 81;
  p.games[6].blinkFail = 82;
  p.pickups[0].uses = 83;
  p.sprees[4].suicides = 84;
  const Bytes b = PlayerDB::playerToBytes(p);
  ASSERT_EQ(b.size(), 7052u);
  auto int32At = [&](size_t at) { return util::loadInt32(&b[at]); };
  EXPECT_EQ(int32At(0), 3);
  EXPECT_EQ(int32At(12), 0x01020304);
  EXPECT_EQ(int32At(32), 0x0A0B0C0D);
  EXPECT_EQ(int32At(36), 0x0E0F1011);
  EXPECT_EQ(b[104], 0x40);
  EXPECT_EQ(int32At(112 + (18 * 5 + 4) * 4), 77);
  EXPECT_EQ(int32At(672), 78);
  EXPECT_EQ(int32At(700), 79);
  EXPECT_EQ(b[704], 0x3F);
  EXPECT_EQ(b[705], 0xF0);
  EXPECT_EQ(int32At(2776 + 672), 80);
  EXPECT_EQ(int32At(3476 + 8), 81);
  EXPECT_EQ(int32At(6164 + 8 + 20 + 16 + 13 * 4), 82);
  EXPECT_EQ(int32At(6836 + 8), 83);
  EXPECT_EQ(int32At(7028 + 20), 84);
}

// Scores used to be replaced on reading by 7 x captures + frags + 4 x flag
// kills, which turned every stored score into a frag count.
TEST_F(PlayerDBTest, StoredScoresAreKeptOnReading) {
  Player p = sample(0, 1);
  p.all.score = 12.5;
  p.games[1].score = 99.0;
  p.games[2].score = 1234.0;
  Player q = PlayerDB::bytesToPlayer(PlayerDB::playerToBytes(p), 0, false);
  EXPECT_EQ(q.all.score, 12.5);
  EXPECT_EQ(q.games[1].score, 99.0);
  EXPECT_EQ(q.games[2].score, 1234.0);
}

TEST_F(PlayerDBTest, EntryVersion2FoldsTheSixthBlockIntoDeathMatch) {
  Player p = oldSample(1, 2);
  p.games[0].uses = 3;
  PStats sixth("old");
  int32_t next = 90000;
  fill(sixth, next);
  sixth.mySuicides[9] = sixth.mySuicides[10] = sixth.mySuicides[11] = 0;
  sixth.uses = 4;
  const Bytes b = oldEntry(p, sixth, 2, true);
  ASSERT_EQ(b.size(), playerdb::entryBytes(2, true));

  bool ok = false;
  Player q = PlayerDB::bytesToPlayer(b, 0, false, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(q.games[0].uses, 7);
  EXPECT_EQ(q.games[0].kills, p.games[0].kills + sixth.kills);
  auto frags = [](const PStats& s) { return s.kills - s.suicides - s.tkills; };
  EXPECT_EQ(q.games[0].frags, frags(p.games[0]) + frags(sixth));
  EXPECT_EQ(q.games[0].itemGets[5], p.games[0].itemGets[5] + sixth.itemGets[5]);
  EXPECT_EQ(q.games[0].score, p.games[0].score + sixth.score);
  EXPECT_EQ(stored(q.games[5], false), stored(p.games[5], false));
  EXPECT_EQ(stored(q.games[6], false), stored(p.games[6], false));
  EXPECT_EQ(stored(q.all), stored(p.all));
  EXPECT_EQ(q.all.items, int64_t{1} << 40);
  EXPECT_EQ(q.all.mySuicides[11], 0);
  EXPECT_EQ(q.sprees[4].deaths, p.sprees[4].deaths);
}

TEST_F(PlayerDBTest, DatabaseVersion1EntriesHaveNoVersionAndMayHave32BitItems) {
  for (int32_t pv : {1, 2}) {
    SCOPED_TRACE(pv);
    Player p = oldSample(3, pv);
    PStats sixth("old");
    const Bytes b = oldEntry(p, sixth, pv, false);
    ASSERT_EQ(b.size(), playerdb::entryBytes(pv, false));
    bool ok = false;
    Player q = PlayerDB::bytesToPlayer(b, 1, pv == 1, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(q.all.items, pv == 1 ? -5 : int64_t{1} << 40);
    EXPECT_EQ(stored(q.vsBots), stored(p.vsBots));
    EXPECT_EQ(stored(q.games[5], false), stored(p.games[5], false));
    EXPECT_EQ(q.games[0].uses, p.games[0].uses);  // an empty folded block adds no use
  }
}

// ---- Damaged entries ---------------------------------------------------------

TEST_F(PlayerDBTest, DamagedEntriesFailWithTheirMessageAndNoCrash) {
  const Player p = sample(0, 1);
  const Bytes good = PlayerDB::playerToBytes(p);

  {  // Cut short inside vsHumans: all is kept, the rest stays zero.
    Bytes cut(good.begin(), good.begin() + 708);
    StdoutCapture out;
    bool ok = true;
    Player q = PlayerDB::bytesToPlayer(cut, 0, false, &ok);
    EXPECT_EQ(out.text(),
              "Error PlayerDB.bytesToPlayer: FormatError: 8 bytes needed at offset 704 of 708\n");
    EXPECT_FALSE(ok);
    EXPECT_EQ(stored(q.all), stored(p.all));
    EXPECT_EQ(stored(q.vsHumans), stored(PStats("all")));
    EXPECT_EQ(q.games[1].frags, 0);
  }

  util::Debug::setType("None", ".");
  for (size_t n = 0; n < good.size(); n += 97) {
    bool ok = true;
    PlayerDB::bytesToPlayer(std::span(good).first(n), 0, false, &ok);
    EXPECT_FALSE(ok) << n;
  }
  {  // A lying version: the old layout is longer and runs out of bytes; a
     // later version reads as the current one.
    Bytes lie = good;
    bool ok = true;
    for (int32_t v : {2, std::numeric_limits<int32_t>::min()}) {
      util::storeInt32(lie.data(), v);
      PlayerDB::bytesToPlayer(lie, 0, false, &ok);
      EXPECT_FALSE(ok);
    }
    util::storeInt32(lie.data(), 4);
    EXPECT_EQ(stored(PlayerDB::bytesToPlayer(lie, 0, false, &ok).games[1]), stored(p.games[1]));
    EXPECT_TRUE(ok);
  }
  {  // Huge numbers everywhere: counters wrap, nothing else happens.
    Bytes ones(good.size(), 0xFF);
    util::storeInt32(ones.data(), 3);
    bool ok = false;
    Player q = PlayerDB::bytesToPlayer(ones, 0, false, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(q.vsBots.frags, 1);
    EXPECT_EQ(q.games[1].frags, 0);
    EXPECT_EQ(q.all.frags, 0);
  }
}

TEST_F(PlayerDBTest, ByteReaderChecksEveryBound) {
  const Bytes b = {0, 0, 0, 9, 'a', 'b', 'c', 0xFF, 0xFF, 0xFF, 0xFF};
  util::ByteReader in(b);
  EXPECT_THROW(in.readString(4), base::FormatError);  // longer than allowed
  EXPECT_EQ(in.position(), 0u);
  EXPECT_THROW(in.readString(100), base::FormatError);  // longer than the data
  in.skip(7);
  EXPECT_EQ(in.readInt32(), -1);
  EXPECT_THROW(in.readUInt8(), base::FormatError);
  util::ByteReader negative{std::span<const uint8_t>(b).subspan(7)};
  EXPECT_THROW(negative.readString(100), base::FormatError);
  EXPECT_THROW(negative.skip(5), base::FormatError);
  const std::string check = "123456789";
  EXPECT_EQ(util::crc32(std::span(reinterpret_cast<const uint8_t*>(check.data()), check.size())),
            0xCBF43926u);
}

// ---- The file ----------------------------------------------------------------

TEST_F(PlayerDBTest, NewFilesMatchTheWriteThroughLayout) {
  const std::pair<int32_t, int32_t> players[] = {{0, 1}, {1, 20000}, {-3, 40000}};
  for (bool seek : {false, true}) {
    SCOPED_TRACE(seek);
    ASSERT_TRUE(!platform::exists(db_) || platform::removePath(db_));
    StdoutCapture out;
    ASSERT_TRUE(PlayerDB::open(db_, seek, 0, true));
    EXPECT_EQ(PlayerDB::length(), seek ? 1 : 65536);
    EXPECT_FALSE(PlayerDB::getPlayer(-3).has_value());  // an aggregate not stored yet
    for (auto [uid, seed] : players) ASSERT_TRUE(PlayerDB::putPlayer(sample(uid, seed)));
    PlayerDB::close();
    EXPECT_EQ(out.text(), "");

    Bytes expected(104 * kSlot + (seek ? 4 : 0), 0);
    expected[0] = 2;
    util::storeInt32(&expected[1], 2);
    for (auto [uid, seed] : players) {
      const Bytes e = PlayerDB::playerToBytes(sample(uid, seed));
      std::copy(e.begin(), e.end(), expected.begin() + (uid + 4) * kSlot);
    }
    EXPECT_EQ(fileBytes(db_), expected);
    EXPECT_FALSE(platform::exists(db_ + ".redo"));
  }
}

TEST_F(PlayerDBTest, GrowsByOneHundredSlotsAtSlots104And204) {
  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  Player p = sample(0, 1);
  for (int32_t uid = 0; uid <= 200; ++uid) {
    p.uid = uid;
    ASSERT_TRUE(PlayerDB::putPlayer(p));
    const int64_t slots = uid < 100 ? 104 : uid < 200 ? 204 : 304;
    ASSERT_EQ(PlayerDB::length(), slots * kSlot) << uid;
  }
  EXPECT_EQ(PlayerDB::num(), 205);
  PlayerDB::close();
  EXPECT_EQ(platform::fileSize(db_), 304 * kSlot);

  // After a reopen the preallocated slots count; growth waits for slot 304.
  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  EXPECT_EQ(PlayerDB::num(), 304);
  EXPECT_EQ(PlayerDB::numEntries(), 201);
  p.uid = 299;
  ASSERT_TRUE(PlayerDB::putPlayer(p));
  EXPECT_EQ(PlayerDB::length(), 304 * kSlot);
  p.uid = 300;
  ASSERT_TRUE(PlayerDB::putPlayer(p));
  EXPECT_EQ(PlayerDB::length(), 404 * kSlot);
  PlayerDB::discard();

  // Seeking writes four bytes past the new length instead of the zeros.
  ASSERT_TRUE(!platform::exists(db_) || platform::removePath(db_));
  ASSERT_TRUE(PlayerDB::open(db_, true, 0, true));
  p.uid = 0;
  ASSERT_TRUE(PlayerDB::putPlayer(p));
  EXPECT_EQ(PlayerDB::length(), 104 * kSlot + 4);
}

TEST_F(PlayerDBTest, RequestsOutsideTheFileAreRefusedWithTheirLines) {
  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  ASSERT_TRUE(PlayerDB::putPlayer(sample(0, 1)));
  StdoutCapture out;
  EXPECT_FALSE(PlayerDB::putPlayer(sample(2, 1)));
  EXPECT_FALSE(PlayerDB::getPlayer(9).has_value());
  // Slot 0 is the header: uid -4 is refused like a slot out of range.
  EXPECT_FALSE(PlayerDB::putPlayer(sample(-4, 1)));
  EXPECT_EQ(out.text(),
            "Error PlayerDB.putPlayer: loc>num\n      loc=6\n      num=5\n"
            "Error PlayerDB.getPlayer: Invalid Player Requested\n      loc=13\n      num=5\n"
            "Error PlayerDB.putPlayer: loc>num\n      loc=0\n      num=5\n");
  ASSERT_TRUE(PlayerDB::putPlayer(sample(1, 1)));  // exactly the next slot
  EXPECT_EQ(PlayerDB::num(), 6);
}

TEST_F(PlayerDBTest, AFileOfAnUnknownVersionIsRefusedAndLeftAlone) {
  Bytes file(kSlot, 0);
  file[0] = 3;
  writeBytes(db_, file);
  StdoutCapture out;
  EXPECT_FALSE(PlayerDB::open(db_, false, 0, true));
  EXPECT_FALSE(PlayerDB::isOpen());
  EXPECT_FALSE(PlayerDB::getPlayer(-3).has_value());
  EXPECT_FALSE(PlayerDB::putPlayer(sample(0, 1)));
  PlayerDB::close();
  EXPECT_EQ(out.text(),
            "Error PlayerDB.open: Invalid DB Version\n    DB Version = 3\n"
            "Error PlayerDB.putPlayer: IOError: no player database is open\n");
  EXPECT_EQ(fileBytes(db_), file);
}

TEST_F(PlayerDBTest, TheFileStaysWithinThe32BitLength) {
  {  // A file longer than 2^31 - 1 bytes (sparse) is refused.
    auto f = platform::RandomAccessFile::open(db_, platform::RandomAccessFile::Mode::kTruncate);
    f.writeAt(0, Bytes{2});
    f.truncate(int64_t{1} << 31);
  }
  StdoutCapture out;
  EXPECT_FALSE(PlayerDB::open(db_, false, 0, true));
  EXPECT_NE(out.text().find("Error PlayerDB.open: FormatError: "), std::string::npos);

  // Growth past the limit is refused before anything changes.
  platform::RandomAccessFile::open(db_, platform::RandomAccessFile::Mode::kReadWrite)
      .truncate(131004 * kSlot);
  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  ASSERT_EQ(PlayerDB::num(), 131004);
  StdoutCapture out2;
  EXPECT_FALSE(PlayerDB::putPlayer(sample(131000, 1)));
  EXPECT_NE(out2.text().find("Error PlayerDB.putPlayer: FormatError: slot 131004 lies beyond"),
            std::string::npos);
  EXPECT_EQ(PlayerDB::num(), 131004);
  EXPECT_EQ(PlayerDB::length(), 131004 * kSlot);
}

// numEntries was raised only by appends, so players put into preallocated
// slots after a reopen were not counted in the header.
TEST_F(PlayerDBTest, NumEntriesCountsPlayersPutIntoPreallocatedSlots) {
  makeDatabase();
  StdoutCapture out;
  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  EXPECT_EQ(out.text(), "Player DB is Version 2\n");
  EXPECT_EQ(PlayerDB::numEntries(), 2);
  EXPECT_EQ(PlayerDB::num(), 104);
  ASSERT_TRUE(PlayerDB::putPlayer(sample(5, 7)));
  ASSERT_TRUE(PlayerDB::putPlayer(sample(3, 7)));
  EXPECT_EQ(PlayerDB::numEntries(), 6);
  PlayerDB::close();
  EXPECT_EQ(util::loadInt32(fileBytes(db_).data() + 1), 6);

  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  auto p = PlayerDB::getPlayer(5);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->uid, 5);
  EXPECT_EQ(PlayerDB::playerToBytes(*p), PlayerDB::playerToBytes(sample(5, 7)));
  auto all = PlayerDB::getPlayer(-3);
  ASSERT_TRUE(all);
  EXPECT_EQ(all->uid, -3);
  EXPECT_EQ(all->all.kills, sample(-3, 40000).all.kills);
}

// ---- Pending writes and commits ------------------------------------------

TEST_F(PlayerDBTest, NothingReachesTheFileBeforeTheCommitAndReadsSeeThePendingWrites) {
  makeDatabase();
  const Bytes before = fileBytes(db_);
  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  ASSERT_TRUE(PlayerDB::putPlayer(sample(0, 555)));
  ASSERT_TRUE(PlayerDB::putPlayer(sample(2, 777)));
  EXPECT_EQ(fileBytes(db_), before);
  EXPECT_EQ(PlayerDB::getPlayer(0)->all.kills, sample(0, 555).all.kills);
  EXPECT_EQ(PlayerDB::getPlayer(2)->all.kills, sample(2, 777).all.kills);
  EXPECT_EQ(PlayerDB::getPlayer(1)->all.kills, sample(1, 20000).all.kills);
  PlayerDB::discard();  // killed: the old file is whole
  EXPECT_EQ(fileBytes(db_), before);
}

TEST_F(PlayerDBTest, AGroupCommitGivesTheSameFileAsClose) {
  TestDir other;
  const std::string db2 = other / "bf_player.db";
  makeDatabase();
  platform::writeFile(db2, platform::readFile(db_));

  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  ASSERT_TRUE(PlayerDB::putPlayer(sample(2, 99)));
  PlayerDB::close();

  ASSERT_TRUE(PlayerDB::open(db2, false, 0, true));
  ASSERT_TRUE(PlayerDB::putPlayer(sample(2, 99)));
  const std::string redo = other / "group.redo";
  ASSERT_TRUE(PlayerDB::writeRedo(redo));
  const Bytes before = fileBytes(db2);
  ASSERT_TRUE(PlayerDB::applyRedo(db2, redo));
  EXPECT_EQ(fileBytes(db2), fileBytes(db_));
  ASSERT_TRUE(PlayerDB::applyRedo(db2, redo));  // again: harmless
  EXPECT_EQ(fileBytes(db2), fileBytes(db_));
  PlayerDB::discard();
  EXPECT_EQ(fileBytes(db2), fileBytes(db_));

  // Applied again after a crash part-way: a slot half written, the length
  // not yet set.
  Bytes partial = before;
  std::fill(partial.begin() + 6 * kSlot, partial.begin() + 6 * kSlot + 100, uint8_t{0xEE});
  partial.resize(partial.size() + 5000, 0xEE);
  writeBytes(db2, partial);
  ASSERT_TRUE(PlayerDB::applyRedo(db2, redo));
  EXPECT_EQ(fileBytes(db2), fileBytes(db_));
}

TEST_F(PlayerDBTest, ADamagedRedoFileIsRefusedWithoutTouchingTheDatabase) {
  makeDatabase();
  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  ASSERT_TRUE(PlayerDB::putPlayer(sample(0, 31)));
  const std::string redo = dir_ / "r.redo";
  ASSERT_TRUE(PlayerDB::writeRedo(redo));
  PlayerDB::discard();
  const Bytes good = fileBytes(redo);
  const Bytes before = fileBytes(db_);

  auto flip = [&](size_t at) {
    Bytes b = good;
    b[at] ^= 0x20;
    return b;
  };
  auto cut = [&](size_t n) { return Bytes(good.begin(), good.begin() + static_cast<long>(n)); };
  auto lie = [&](size_t at, int32_t v) {
    Bytes b = good;
    util::storeInt32(&b[at], v);
    return b;
  };
  const std::vector<Bytes> damaged = {cut(good.size() - 1),
                                      cut(good.size() / 2),
                                      cut(10),
                                      cut(0),
                                      flip(0),
                                      flip(good.size() / 2),
                                      flip(good.size() - 1),
                                      lie(16, 5),
                                      lie(36, 0x7FFFFFFF)};
  for (size_t i = 0; i < damaged.size(); ++i) {
    SCOPED_TRACE(i);
    writeBytes(redo, damaged[i]);
    StdoutCapture out;
    EXPECT_FALSE(PlayerDB::applyRedo(db_, redo));
    EXPECT_EQ(out.text().rfind("Error PlayerDB.applyRedo: ", 0), 0u);
    EXPECT_EQ(fileBytes(db_), before);
  }
  EXPECT_FALSE(PlayerDB::applyRedo(db_, dir_ / "missing.redo"));
  EXPECT_EQ(fileBytes(db_), before);
}

TEST_F(PlayerDBTest, OpenFinishesAnInterruptedCloseOrDropsItsTornRedo) {
  makeDatabase();
  const Bytes before = fileBytes(db_);
  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  ASSERT_TRUE(PlayerDB::putPlayer(sample(1, 4242)));
  ASSERT_TRUE(PlayerDB::writeRedo(db_ + ".redo"));
  PlayerDB::discard();  // killed between the redo file and the database

  Bytes torn = fileBytes(db_ + ".redo");
  torn.resize(torn.size() - 3);
  const Bytes complete = fileBytes(db_ + ".redo");
  writeBytes(db_ + ".redo", torn);
  {
    StdoutCapture out;
    ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
    EXPECT_NE(out.text().find("Player DB: dropped the unfinished save of an interrupted run\n"),
              std::string::npos);
  }
  PlayerDB::discard();
  EXPECT_EQ(fileBytes(db_), before);
  EXPECT_FALSE(platform::exists(db_ + ".redo"));

  writeBytes(db_ + ".redo", complete);
  ASSERT_TRUE(PlayerDB::open(db_, false, 0, true));
  EXPECT_FALSE(platform::exists(db_ + ".redo"));
  EXPECT_EQ(PlayerDB::getPlayer(1)->all.kills, sample(1, 4242).all.kills);
}

// ---- Conversion from database version 1 ------------------------------------

class PlayerDBConversionTest : public PlayerDBTest {
 protected:
  // A version-1 file with the three aggregates and `players` players, the
  // last entry not padded to its slot.
  Bytes makeV1File(int32_t players, int32_t pv) {
    Bytes file(kSlot, 0);
    file[0] = 1;
    for (int32_t x = 1; x <= players + 3; ++x) {
      file.resize(static_cast<size_t>(x * kSlot), 0);
      const Bytes e = oldEntry(oldSample(x, pv), PStats("old"), pv, false);
      file.insert(file.end(), e.begin(), e.end());
    }
    writeBytes(db_, file);
    return file;
  }
};

TEST_F(PlayerDBConversionTest, AVersion1FileIsConvertedAndKeptAsOldPlayerDb) {
  const Bytes v1 = makeV1File(2, 1);
  StdoutCapture out;
  ASSERT_TRUE(PlayerDB::open(db_, false, 2, true));
  EXPECT_EQ(out.text(),
            "Updating Player DB from Version 1 to Version 2...\nPlease Be Patient :-D\n"
            "Player DB is Version 2\nConversion Successful! Resuming updates...\n");
  EXPECT_EQ(fileBytes(dir_ / "old_player.db"), v1);
  EXPECT_FALSE(platform::exists(dir_ / "new_player.db"));
  EXPECT_EQ(PlayerDB::numEntries(), 2);
  EXPECT_EQ(PlayerDB::num(), 6);
  auto p = PlayerDB::getPlayer(1);  // slot 5
  ASSERT_TRUE(p);
  EXPECT_EQ(stored(p->all), stored(oldSample(5, 1).all));
  EXPECT_EQ(p->all.items, -5);
  PlayerDB::close();

  const Bytes v2 = fileBytes(db_);
  EXPECT_EQ(v2.size(), static_cast<size_t>(5 * kSlot) + 7052);
  EXPECT_EQ(v2[0], 2);
  EXPECT_EQ(util::loadInt32(&v2[1]), 2);
  EXPECT_EQ(util::loadInt32(&v2[kSlot]), 3);  // entries now carry their version
}

TEST_F(PlayerDBConversionTest, AConversionThatCannotReadAPlayerLeavesTheFileAlone) {
  const Bytes v1 = makeV1File(2, 2);
  StdoutCapture out;
  EXPECT_FALSE(PlayerDB::open(db_, false, 4, false));
  const std::string text = out.text();
  EXPECT_NE(text.find("Error retrieving player 6, aborting...\n"
                      "Conversion Failed! send email to support@quillon.example\n"),
            std::string::npos);
  EXPECT_EQ(fileBytes(db_), v1);
  EXPECT_FALSE(platform::exists(dir_ / "new_player.db"));
  EXPECT_FALSE(platform::exists(dir_ / "old_player.db"));
  EXPECT_FALSE(PlayerDB::isOpen());
}

TEST_F(PlayerDBConversionTest, EveryHundredthPlayerIsTraced) {
  makeV1File(97, 2);
  StdoutCapture out;
  ASSERT_TRUE(PlayerDB::open(db_, false, 97, false));
  EXPECT_NE(out.text().find("Please Be Patient :-D\nUpdating player 100 of 100\n"),
            std::string::npos);
  EXPECT_EQ(PlayerDB::getPlayer(96)->all.kills, oldSample(100, 2).all.kills);
}

}  // namespace
}  // namespace programs::vardobf
