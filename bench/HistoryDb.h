#pragma once

// A statistics database with a long history, for the benchmarks that compare
// a run on it with the same run on an empty one.

#include <string>

#include "games/bf/Player.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/HashEntry.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Totals.h"

namespace bench_support {

using programs::vardo::config;
using programs::vardobf::HashEntry;
using programs::vardobf::PlayerDB;
using programs::vardobf::Totals;

inline constexpr int kMatches = 20000;
inline constexpr int kPlayers = 5000;

inline void useHome(const std::string& home) {
  config::resetToDefaults();
  config::home = home;
  config::os = "Linux";
}

// A database with kMatches counted matches and kPlayers players, all older
// than the match the benchmark adds.
inline void buildHistory(const std::string& home) {
  useHome(home);
  Totals t;
  t.readDBs();
  for (int i = 0; i < kMatches; ++i) t.gameList.push_back(900000000000LL - 60000LL * i);
  t.totalGamesPlayed = kMatches;
  games::bf::Player p(0.0);
  p.all.kills = 40;
  p.all.deaths = 30;
  p.all.totalTime = 7200.0;
  for (int uid = 0; uid < kPlayers; ++uid) {
    std::string name = "Veteran" + std::to_string(uid);
    HashEntry& e = t.plist.put(HashEntry::key(name, false), HashEntry(name, false, uid));
    e.update(7200.0, 10, 30, 0, 5, 5, 0, 1, 1, 0, 0, 0, 0, 0, 0);
    p.uid = uid;
    PlayerDB::putPlayer(p);
  }
  t.writeDBs();
}

}  // namespace bench_support
