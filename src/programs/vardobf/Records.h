#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "games/bf/Game.h"
#include "games/bf/Player.h"
#include "games/bf/Specs.h"
#include "programs/vardobf/CareerRecord.h"
#include "programs/vardobf/GameRecord.h"
#include "programs/vardobf/PlayerMap.h"
#include "util/ByteIO.h"

namespace programs::vardobf {

// The all-time bests of the server: for each statistic the best value of a
// player in one match (game records) and the best cumulative value of any
// player (career records), overall, per weapon and per suicide type.
class Records {
 public:
  static constexpr size_t W = games::bf::Specs::kWeapons;
  static constexpr size_t S = games::bf::Specs::kSuicides;
  // Suicide types of a version-1 records block.
  static constexpr size_t kSuicidesV1 = 9;

  Records();
  // Reads a records block of the given version (1 or 2). A record that
  // cannot be read keeps what was read and the next one is read from where
  // the data stands.
  Records(util::ByteReader& in, int32_t version);

  void writeDB(util::ByteWriter& out) const;
  void addRecentGame(const games::bf::Game& g);
  // `c` is a cumulative player after a new match was folded in.
  void updateCareerRecords(const games::bf::Player& c);
  // `g` is the match just counted; `plist` holds its players' summaries.
  // Nothing of either is kept.
  void updateGameRecords(const games::bf::Game& g, const PlayerMap& plist);
  // The uid of the summary of `p` in `plist`; throws base::FormatError when
  // there is none.
  static int32_t getCareerUID(const games::bf::Player& p, const PlayerMap& plist);

  std::string RecentGameMap, RecentGameDate;
  GameRecord gMostFrags, gMostKills, gMostDeaths, gMostSuicides;
  std::array<GameRecord, W> gKillsHoldingWeapon, gDeathsByWeapon, gDeathsHoldingWeapon;
  std::array<GameRecord, S> gSuicides;
  std::array<GameRecord, W> gWeaponSuicides;
  CareerRecord cMostFrags, cMostKills, cMostDeaths, cMostSuicides;
  std::array<CareerRecord, W> cKillsHoldingWeapon, cDeathsByWeapon, cDeathsHoldingWeapon,
      cWeaponSuicides;
  std::array<CareerRecord, S> cSuicides;
  CareerRecord cMostFCaptures, cMostFReturns, cMostCPCs, cMostWins;
  GameRecord gMostFCaptures, gMostFReturns, gMostCPCs;
  CareerRecord cMostFAssists, cMostFKills, cMostHS, cMostFB, cMostDK, cMostMuK, cMostUK, cMostMoK;

 private:
  // What a game record takes from the match being counted.
  struct Match {
    const games::bf::Game& g;
    const PlayerMap& plist;
  };
  void utHighs(const games::bf::Player& c);
  void utKills(const games::bf::Player& c);
  void utDeaths(const games::bf::Player& c);
  void utDeathsOppW(const games::bf::Player& c);
  void utWSuicides(const games::bf::Player& c);
  void utSuicides(const games::bf::Player& c);
  void ugHighs(const games::bf::Player& p, const Match& m);
  void ugKills(const games::bf::Player& p, const Match& m);
  void ugDeaths(const games::bf::Player& p, const Match& m);
  void ugDeathsOppW(const games::bf::Player& p, const Match& m);
  void ugWSuicides(const games::bf::Player& p, const Match& m);
  void ugSuicides(const games::bf::Player& p, const Match& m);
  // Visits every record of the block (mutable or const) in file order.
  template <class Self, class OnGame, class OnCareer>
  static void inFileOrder(Self& r, size_t suicideTypes, OnGame onGame, OnCareer onCareer);
  void career(CareerRecord& holder, const games::bf::Player& c, int32_t v) const;
  void game(GameRecord& holder, const games::bf::Player& p, const Match& m, int32_t v) const;
};

}  // namespace programs::vardobf
