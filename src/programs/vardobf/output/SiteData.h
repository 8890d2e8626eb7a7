#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "games/bf/Game.h"
#include "games/bf/Player.h"
#include "programs/vardobf/Totals.h"
#include "programs/vardobf/output/TotalsTables.h"

namespace programs::vardobf::output {

// The site's open data: the statistics as JSON files in the page directory's
// "data/" folder, each also as a script that sets one global to the same
// value, for pages opened from the disk (docs/site-data/README.md gives
// every file and field).
//
// The match-page writer hands over each kept match (addMatch); after the
// run's matches the totals-page writer writes the rest (writeTotals). Like
// the career pages, the player files are written for the players the run
// changed; the player list keeps the rows of the others from the files of
// the previous run, unless those files do not belong to the database's state
// before this run (data switched off meanwhile, or a run that stopped before
// its save), in which case every player is read from the database again.
// A file is written only when its text changes, through a temporary file,
// so that a killed run leaves either the old or the new file.
class SiteData {
 public:
  using Json = nlohmann::ordered_json;
  static constexpr int32_t kChunkSize = 1000;

  explicit SiteData(const Totals& totals) : totals_(totals) {}

  // The data folder of the configured page directory.
  static std::string folder();
  // Whether data is written in this run (ExportData, and not in tcs mode).
  static bool enabled();

  // Writes match/<time> and keeps the match's entry for the list of kept
  // matches.
  void addMatch(const games::bf::Game& g);
  // Writes the totals, records, player list, changed players and the kept
  // matches, and removes the sample files of matches no longer kept.
  // `players` reads a player from the database (none: PlayerDB::getPlayer).
  void writeTotals(TotalsTables::PlayerSource players = {});

  // The value of data set `name` as written: the `.json` text and the `.js`
  // text carry the same JSON.
  static std::string jsonText(const Json& value);
  static std::string scriptText(const std::string& name, const std::string& json);

  // A match's entry (without samples) and its samples, from the replayed
  // match and the totals' uids.
  Json matchEntry(const games::bf::Game& g) const;
  Json matchSamples(const games::bf::Game& g) const;
  static Json matchSamples(const games::bf::Game& g, const Json& entry);
  // A player's row in the list and his career file.
  static Json playerRow(const HashEntry& h, const games::bf::Player& p,
                        const std::optional<int64_t>& firstSeen,
                        const std::optional<int64_t>& lastSeen);
  static Json playerCareer(const HashEntry& h, const games::bf::Player& p,
                           const std::optional<int64_t>& firstSeen,
                           const std::optional<int64_t>& lastSeen);

 private:
  void writeSet(const std::string& name, const Json& value);
  std::optional<Json> readSet(const std::string& name) const;
  void writePlayers(const TotalsTables::PlayerSource& players);
  void writeMatches();
  // The number of matches whose pages (and data) are kept.
  size_t keptMatches() const;
  Json totalsValue() const;
  Json recordsValue(const TotalsTables::PlayerSource& players) const;

  const Totals& totals_;
  std::map<int64_t, Json> newMatches_;  // entries of this run's kept matches
};

}  // namespace programs::vardobf::output
