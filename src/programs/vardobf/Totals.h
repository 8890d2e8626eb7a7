#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "games/bf/Game.h"
#include "games/bf/Player.h"
#include "games/bf/Specs.h"
#include "programs/vardo/Totals.h"
#include "programs/vardobf/HashEntry.h"
#include "programs/vardobf/PlayerMap.h"
#include "programs/vardobf/Records.h"
#include "util/ByteIO.h"

namespace programs::vardobf {

// The statistics generator's memory between runs: the list of counted
// matches, the player summaries, the record holders, the three aggregate
// players and the player database.
//
// Saving is all or nothing: the game, records and hash databases are written
// to "<name>.new" files and the player database's changes to a redo file,
// all flushed to disk; then a commit marker naming those files with their
// sizes and checksums is written (CommitMarker), the changes are put in place
// and the marker removed. A run killed before the marker leaves the old
// databases (the next run drops the unfinished files); a run killed after it
// leaves a save that the next run completes before reading, but only over the
// very files the marker names. A marker that does not match the files beside
// it (left by a save whose last removal failed) is dropped with them.
class Totals : public programs::vardo::Totals {
 public:
  static constexpr int32_t kMaxGameList = 50000;
  static constexpr const char* kGameDB = "bf_game.db";
  static constexpr const char* kRecordsDB = "bf_records.db";
  static constexpr const char* kHashDB = "bf_hash.db";
  static constexpr const char* kPlayerDB = "bf_player.db";
  static constexpr const char* kCommitMarker = "bf_commit";
  // The player database's changes of a save in progress.
  static constexpr const char* kPlayerRedo = "bf_player.commit";

  Totals();

  // programs::vardo::Totals
  // recover() over the database directory; a save that cannot be settled
  // makes writeDBs refuse as well.
  void settleSave() override;
  // The count of matches in the game database's header is above zero.
  bool hasSavedMatches() override;
  void readDBs() override;
  bool isNewGame(const games::Game& g) override;
  void update(const games::Game& g) override;
  bool isPrintableGame(const games::Game& g, int32_t n) override;
  bool isHighGame(const games::Game& g) override;
  bool isRecentGame(const games::Game& g) override;
  bool isModified() override { return modified; }
  void sortPlayers() override;
  // Throws base::Failure when any part could not be saved. A failure before
  // the commit marker is durable saves nothing of this run's changes; one
  // after it (the files could not be put in place, or the redo file or the
  // marker could not be removed) leaves a commit that the next run finishes.
  // Refuses to save, saving nothing, when readDBs could not settle the
  // unfinished save of an earlier run.
  void writeDBs() override;
  int32_t gListSize() override { return static_cast<int32_t>(gameList.size()); }
  int64_t gListElement(int32_t i) override;

  void readGameDB();
  void readRecordsDB();
  void readHashDB();
  void openPlayerDB();

  // The database files as they are stored (also used by the database dump).
  std::string encodeGameDB() const;
  std::string encodeRecordsDB() const;
  std::string encodeHashDB() const;
  void decodeGameDB(util::ByteReader& in);
  void decodeRecordsDB(util::ByteReader& in);
  void decodeHashDB(util::ByteReader& in);

  // Completes a save that was interrupted after its commit marker, or drops
  // the files of one interrupted before it, or of one whose marker does not
  // match them. Called by settleSave and readDBs. Throws base::IOError when the save cannot
  // be completed or its files cannot be removed.
  static void recover(const std::string& dir);
  // The files of `dir` that belong to a save not finished yet (the commit
  // marker, the ".new" files, the player database's redo files); empty when
  // the databases there are one whole save. Only looks.
  static std::vector<std::string> unfinishedSaveFiles(const std::string& dir);

  int32_t totalGamesPlayed = 0;
  int32_t highGameFrags = -5000;
  int64_t highGameUID = 0;
  Records rec;
  std::array<int32_t, games::bf::Specs::kGames> gamesPlayed{};
  games::bf::Player allStats{0.0};
  games::bf::Player humanStats{0.0};
  games::bf::Player botStats{0.0};
  std::vector<int64_t> gameList;
  std::vector<std::string> gameDateList, gameMapList, gameTypeList;
  PlayerMap plist;
  // The summaries of `plist` in the orders of sortPlayers(); they point into
  // `plist`, which does not change after the sort.
  std::vector<const HashEntry*> sortedByName, sortedByFDS, sortedD, sortedCTF, sortedTT, sortedA,
      sortedTD, sortedFPH, sortedLMS;
  bool modified = false;
  // What this run counted, for the site's data: the number of matches, and
  // for each player it saw (by uid) the times of his first and last match.
  int32_t matchesThisRun = 0;
  std::unordered_map<int32_t, std::pair<int64_t, int64_t>> seenThisRun;

 private:
  void setAggregateIdentity();
  void foldPlayer(const games::bf::Game& g, const games::bf::Player& p, bool singlePlayer,
                  int32_t& nextUID);
  static void finishCommit(const std::string& dir);
  // Deletes the ".new" files and the redo file; throws when one stays.
  static void dropUnfinished(const std::string& dir);
  // After a failure before the commit: drops what was written, traced.
  void abandonSave(const std::string& dir);
  bool playerDBOpen_ = false;
  // readDBs could not settle an earlier save: writeDBs must not overwrite.
  bool unsettled_ = false;
};

}  // namespace programs::vardobf
