// The save's commit and the recovery of an interrupted or half-finished save,
// with file operations made to fail through the platform's injection seam.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "games/bf/LogBuilder.h"
#include "games/bf/Specs.h"
#include "platform/FaultyFiles.h"
#include "platform/FileSystem.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/DbHomeTest.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Totals.h"
#include "util/Debug.h"

namespace programs::vardobf {
namespace {

using games::bf::Game;
using games::bf::Specs;
using platform::FaultyOs;
using programs::vardo::config;
using testing_support::FaultyFiles;
using testing_support::StdoutCapture;
using testing_support::TestDir;

std::unique_ptr<Game> matchOn(const std::string& day, const std::string& other = "Bo") {
  return std::make_unique<Game>(
      std::optional<std::string>(testing_support::dayMatch(day, other).text()));
}

class TotalsCommitTest : public testing_support::DbHomeTest {
 protected:
  TotalsCommitTest() : DbHomeTest("StdOut") {}
  // One run over `days`; the save's failure is returned as its text.
  std::string run(const std::vector<std::string>& days) {
    Totals t;
    try {
      t.readDBs();
    } catch (const std::exception& e) {
      // As the run does: the failure is traced and the run goes on.
    }
    for (const std::string& d : days) {
      auto g = matchOn(d);
      if (t.isNewGame(*g)) t.update(*g);
    }
    if (t.isModified()) t.sortPlayers();
    try {
      t.writeDBs();
      return "";
    } catch (const std::exception& e) {
      return base::failureText(e);
    }
  }
  // The four database files as they stand.
  std::vector<std::string> dbs() { return dbsIn(home); }
  static std::vector<std::string> dbsIn(const TestDir& dir) {
    std::vector<std::string> out;
    for (const char* n : {Totals::kGameDB, Totals::kRecordsDB, Totals::kHashDB, Totals::kPlayerDB})
      out.push_back(dir.read(std::string("data/") + n));
    return out;
  }
  bool there(const std::string& name) { return platform::exists(home / ("data/" + name)); }
  int32_t gamesCounted() {
    Totals t;
    t.readDBs();
    PlayerDB::discard();
    return t.totalGamesPlayed;
  }
  // What a run killed after its ".new" files and redo file, before its
  // marker, leaves beside the databases: a save of `day` on top of them.
  void leaveUnmarkedSave(const std::string& day) {
    Totals t;
    t.readDBs();
    auto g = matchOn(day, "Cy");
    t.update(*g);
    home.write("data/bf_game.db.new", t.encodeGameDB());
    home.write("data/bf_records.db.new", t.encodeRecordsDB());
    home.write("data/bf_hash.db.new", t.encodeHashDB());
    ASSERT_TRUE(PlayerDB::writeRedo(home / ("data/" + std::string(Totals::kPlayerRedo))));
    PlayerDB::discard();
  }
};

TEST_F(TotalsCommitTest, AMarkerThatCannotBeRemovedFailsTheSaveLoudly) {
  ASSERT_EQ(run({"02"}), "");
  std::string failure;
  {
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kRemove, "/bf_commit");
    StdoutCapture out;
    failure = run({"03"});
    EXPECT_NE(out.text().find("Error in Totals.finishCommit: IOError: cannot delete "),
              std::string::npos)
        << out.text();
    EXPECT_GE(faults.injected(), 1);
  }
  EXPECT_EQ(failure.rfind("IOError: cannot delete ", 0), 0u) << failure;
  EXPECT_TRUE(there("bf_commit"));
  // Nothing is lost: the save was put in place, and the next run settles
  // the marker and reads both matches.
  const auto saved = dbs();
  EXPECT_EQ(gamesCounted(), 2);
  EXPECT_FALSE(there("bf_commit"));
  EXPECT_EQ(dbs(), saved);
}

TEST_F(TotalsCommitTest, AStaleMarkerIsNotFinishedOverTheFilesOfALaterSave) {
  ASSERT_EQ(run({"02"}), "");
  {
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kRemove, "/bf_commit", 1);
    StdoutCapture out;
    ASSERT_NE(run({"03"}), "");
  }
  ASSERT_TRUE(there("bf_commit"));
  const std::string staleMarker = home.read("data/bf_commit");
  const auto saved = dbs();
  // A later run went on over the marker it could not remove either and was
  // killed before its own marker, leaving whole files of a save that never
  // committed next to the old marker.
  leaveUnmarkedSave("04");
  home.write("data/bf_commit", staleMarker);
  {
    StdoutCapture out;
    Totals::recover(home / "data/");
    EXPECT_NE(out.text().find("dropped the commit marker"), std::string::npos) << out.text();
  }
  EXPECT_EQ(dbs(), saved);
  for (const char* left :
       {"bf_commit", "bf_game.db.new", "bf_records.db.new", "bf_hash.db.new", "bf_player.commit"})
    EXPECT_FALSE(there(left)) << left;
  EXPECT_EQ(gamesCounted(), 2);
}

TEST_F(TotalsCommitTest, ARedoFileThatCannotBeRemovedFailsTheSaveAndIsSettledNext) {
  ASSERT_EQ(run({"02"}), "");
  std::string failure;
  {
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kRemove, "/bf_player.commit");
    StdoutCapture out;
    failure = run({"03"});
  }
  EXPECT_EQ(failure.rfind("IOError: cannot delete ", 0), 0u) << failure;
  EXPECT_TRUE(there("bf_player.commit"));
  EXPECT_TRUE(there("bf_commit"));
  const auto saved = dbs();
  // Applying the same redo file again gives the same database.
  EXPECT_EQ(gamesCounted(), 2);
  EXPECT_EQ(dbs(), saved);
  EXPECT_FALSE(there("bf_player.commit"));
  EXPECT_FALSE(there("bf_commit"));
}

TEST_F(TotalsCommitTest, ALeftRedoFileOfAnotherSaveIsNotApplied) {
  ASSERT_EQ(run({"02"}), "");
  {
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kRemove, "/bf_player.commit", 1);
    StdoutCapture out;
    ASSERT_NE(run({"03"}), "");
  }
  const std::string staleMarker = home.read("data/bf_commit");
  const auto saved = dbs();
  // The next run settles that save; a later one then stops before its
  // marker while the old marker is still in place.
  leaveUnmarkedSave("04");
  home.write("data/bf_commit", staleMarker);
  {
    StdoutCapture out;
    Totals::recover(home / "data/");
  }
  EXPECT_EQ(dbs(), saved);
  EXPECT_FALSE(there("bf_player.commit"));
}

TEST_F(TotalsCommitTest, AHalfFinishedCommitIsFinishedByTheNextRun) {
  ASSERT_EQ(run({"02"}), "");
  // The first rename succeeds, the second fails: the save is committed but
  // only partly in place.
  {
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kRename, "/bf_records.db.new", 1);
    StdoutCapture out;
    EXPECT_NE(run({"03"}), "");
  }
  EXPECT_TRUE(there("bf_commit"));
  EXPECT_FALSE(there("bf_game.db.new"));
  EXPECT_TRUE(there("bf_records.db.new"));
  EXPECT_EQ(gamesCounted(), 2);
  const auto settled = dbs();
  // The same save made without failures gives the same files.
  TestDir other;
  config::home = other.path();
  other.mkdir("data");
  ASSERT_EQ(run({"02"}), "");
  ASSERT_EQ(run({"03"}), "");
  EXPECT_EQ(dbsIn(other), settled);
}

TEST_F(TotalsCommitTest, AnUnfinishedSaveIsListedAndSettledWithoutReading) {
  EXPECT_FALSE(Totals().hasSavedMatches());
  ASSERT_EQ(run({"02"}), "");
  const auto saved = dbs();
  EXPECT_TRUE(Totals::unfinishedSaveFiles(home / "data/").empty());
  leaveUnmarkedSave("04");
  home.write("data/bf_player.db.redo", "");
  EXPECT_EQ(Totals::unfinishedSaveFiles(home / "data/"),
            (std::vector<std::string>{"bf_game.db.new", "bf_records.db.new", "bf_hash.db.new",
                                      "bf_player.commit", "bf_player.db.redo"}));
  ASSERT_TRUE(platform::removePath(home / "data/bf_player.db.redo"));
  home.write("data/bf_commit", "commit\n");
  EXPECT_EQ(Totals::unfinishedSaveFiles(home / "data/").front(), "bf_commit");
  Totals t;
  t.settleSave();
  EXPECT_TRUE(Totals::unfinishedSaveFiles(home / "data/").empty());
  EXPECT_NE(dbs(), saved);  // the marked save was finished
  EXPECT_TRUE(t.hasSavedMatches());
  EXPECT_EQ(t.totalGamesPlayed, 0);  // settling reads nothing
  EXPECT_EQ(gamesCounted(), 2);
}

TEST_F(TotalsCommitTest, AMarkerOfTheFirstFormIsStillFinished) {
  ASSERT_EQ(run({"02"}), "");
  leaveUnmarkedSave("04");
  home.write("data/bf_commit", "commit\n");
  Totals::recover(home / "data/");
  EXPECT_FALSE(there("bf_commit"));
  EXPECT_FALSE(there("bf_player.commit"));
  EXPECT_EQ(gamesCounted(), 2);
  Totals t;
  t.readDBs();
  EXPECT_NE(t.plist.find("Cyf"), nullptr);
  EXPECT_NE(PlayerDB::getPlayer(t.plist.find("Cyf")->uid), std::nullopt);
}

TEST_F(TotalsCommitTest, AMarkerCutShortWasNeverCommitted) {
  ASSERT_EQ(run({"02"}), "");
  const auto saved = dbs();
  leaveUnmarkedSave("04");
  home.write("data/bf_commit", "commit 2\nbf_game.db.new 12");
  {
    StdoutCapture out;
    Totals::recover(home / "data/");
  }
  EXPECT_EQ(dbs(), saved);
  EXPECT_FALSE(there("bf_commit"));
  EXPECT_FALSE(there("bf_game.db.new"));
}

TEST_F(TotalsCommitTest, AMarkerThatCannotBeWrittenSavesNothing) {
  ASSERT_EQ(run({"02"}), "");
  const auto saved = dbs();
  {
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kWrite, "/bf_commit");
    StdoutCapture out;
    const std::string failure = run({"03"});
    EXPECT_EQ(failure.rfind("IOError: ", 0), 0u) << failure;
    EXPECT_NE(out.text().find("Error in Totals.writeCommitMarker: IOError: "), std::string::npos);
  }
  EXPECT_EQ(dbs(), saved);
  for (const char* left :
       {"bf_commit", "bf_game.db.new", "bf_records.db.new", "bf_hash.db.new", "bf_player.commit"})
    EXPECT_FALSE(there(left)) << left;
}

TEST_F(TotalsCommitTest, ARunThatCannotSettleAnEarlierSaveDoesNotOverwriteIt) {
  ASSERT_EQ(run({"02"}), "");
  {
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kRemove, "/bf_commit", 1);
    StdoutCapture out;
    ASSERT_NE(run({"03"}), "");
  }
  const auto saved = dbs();
  {
    // The stale marker cannot be removed in the next run either: that run
    // reads nothing it can trust and must not save over the databases.
    FaultyFiles faults;
    faults.fail(FaultyOs::Op::kRemove, "/bf_commit");
    StdoutCapture out;
    const std::string failure = run({"04"});
    EXPECT_NE(failure.find("could not be settled"), std::string::npos) << failure;
  }
  EXPECT_EQ(dbs(), saved);
  EXPECT_EQ(gamesCounted(), 2);
}

}  // namespace
}  // namespace programs::vardobf
