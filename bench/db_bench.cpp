// The cost of a run that adds one new match, with a database that already
// holds 20,000 matches and 5,000 players, against the same run on an empty
// database. A run reads the databases, folds the match in, ranks the
// players and saves; its cost should follow the run's matches, not the
// history. Prints both times and their ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include <stdlib.h>
#include <unistd.h>

#include "HistoryDb.h"
#include "games/bf/Game.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Totals.h"
#include "tools/loggen/LogGenerator.h"
#include "util/Debug.h"

namespace {

namespace fs = std::filesystem;
using bench_support::buildHistory;
using bench_support::kMatches;
using bench_support::kPlayers;
using bench_support::useHome;
using programs::vardobf::Totals;

// One run's work on the database in `home` for the given log: the match is
// replayed, folded in, the players ranked and everything saved; seconds.
double oneRun(const std::string& home, const std::string& log) {
  useHome(home);
  auto start = std::chrono::steady_clock::now();
  games::bf::Game g{std::optional<std::string>(log)};
  Totals t;
  t.readDBs();
  if (t.isNewGame(g)) t.update(g);
  t.sortPlayers();
  t.writeDBs();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of several runs, each on a fresh copy of `source`.
double best(const std::string& source, const std::string& scratch, const std::string& log) {
  double fastest = 1e9;
  for (int i = 0; i < 5; ++i) {
    fs::remove_all(scratch);
    fs::copy(source, scratch, fs::copy_options::recursive);
    ::sync();  // the copy is on disk, as an old database would be
    fastest = std::min(fastest, oneRun(scratch, log));
  }
  return fastest;
}

}  // namespace

int main() {
  util::Debug::setType("None", ".");
  games::bf::Specs::init();
  std::string root =
      (fs::temp_directory_path() / ("db_bench_" + std::to_string(::getpid()))).string();
  fs::create_directories(root + "/empty/data");
  fs::create_directories(root + "/history/data");
  std::printf("building a database of %d matches and %d players...\n", kMatches, kPlayers);
  buildHistory(root + "/history");

  tools::loggen::LogOptions o;
  o.gameType = 1;
  o.players = 16;
  o.seed = 99;
  o.unknownWeaponRate = 0.003;
  const std::string log = tools::loggen::LogGenerator(o).text();

  double empty = best(root + "/empty", root + "/run", log);
  double history = best(root + "/history", root + "/run", log);
  fs::remove_all(root);
  std::printf("one new match, empty database:          %8.2f ms\n", empty * 1000);
  std::printf("one new match, %d matches / %d players: %8.2f ms\n", kMatches, kPlayers,
              history * 1000);
  std::printf("ratio: %.2f (target: at most 1.5)\n", history / empty);
  return 0;
}
