#include "programs/vardobf/Totals.h"

#include <algorithm>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/DbText.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Sorts.h"
#include "util/Debug.h"
#include "util/QuickSort.h"
#include "util/Trace.h"
#include "util/WrapAround.h"

namespace programs::vardobf {
namespace {

using base::failureText;
using games::bf::Player;
using games::bf::Specs;
using programs::vardo::config;
using util::Debug;

const games::bf::Game& bfGame(const games::Game& g) {
  return dynamic_cast<const games::bf::Game&>(g);
}

// A whole database file, or none when it does not exist.
std::optional<std::string> readWhole(const std::string& path) {
  if (!platform::os().exists(path)) return std::nullopt;
  return platform::os().readFile(path);
}

// A count read from a file, checked against the bytes that are left, so that
// a damaged count cannot ask for more memory than the file could fill.
void checkCount(int32_t n, const util::ByteReader& in, size_t bytesEach, const char* what) {
  if (n < 0 || static_cast<size_t>(n) > in.remaining() / bytesEach)
    throw base::FormatError(std::string("bad ") + what + " count " + std::to_string(n));
}

// The summaries in the order of `c`, applied to sort keys made by `key` from
// each summary and its index in the unsorted array. Keys are small, so the
// sort moves keys, not summaries.
template <class Sort, class Key>
std::vector<const HashEntry*> sortedBy(const std::vector<HashEntry>& unsorted, Key key,
                                       const util::Comp<Sort>& c) {
  std::vector<Sort> keys;
  keys.reserve(unsorted.size());
  for (size_t i = 0; i < unsorted.size(); ++i)
    keys.push_back(key(unsorted[i], static_cast<int32_t>(i)));
  if (!keys.empty()) util::QuickSort::quickSort(keys, 0, static_cast<int32_t>(keys.size()) - 1, c);
  std::vector<const HashEntry*> out;
  out.reserve(keys.size());
  for (const Sort& k : keys) out.push_back(&unsorted[static_cast<size_t>(k.num)]);
  return out;
}

// A summary's place in the unsorted array, sorted as the summary itself.
struct Ref {
  const HashEntry* e;
  int32_t num;
};

class ByEntry : public util::Comp<Ref> {
 public:
  explicit ByEntry(const util::Comp<HashEntry>& c) : c_(c) {}
  int32_t compare(const Ref& a, const Ref& b) const override { return c_.compare(*a.e, *b.e); }

 private:
  const util::Comp<HashEntry>& c_;
};

}  // namespace

Totals::Totals() { setAggregateIdentity(); }

void Totals::setAggregateIdentity() {
  allStats.name = "All Players (Humans and Bots)";
  humanStats.name = "All Humans";
  botStats.name = "All Bots";
  allStats.isABot = false;
  humanStats.isABot = false;
  botStats.isABot = true;
  allStats.uid = -3;
  humanStats.uid = -2;
  botStats.uid = -1;
}

// ---------------------------------------------------------------------------
// Reading.

void Totals::settleSave() {
  try {
    recover(config::vdDBDir());
  } catch (const std::exception&) {
    unsettled_ = true;
    throw;
  }
}

bool Totals::hasSavedMatches() {
  try {
    auto data = readWhole(config::vdDBDir() + kGameDB);
    if (!data) return false;
    util::ByteReader in(*data);
    in.readInt32();  // format version
    return in.readInt32() > 0;
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "hasSavedMatches", e);
    return false;
  }
}

void Totals::readDBs() {
  settleSave();
  readGameDB();
  readRecordsDB();
  readHashDB();
  openPlayerDB();
}

void Totals::decodeGameDB(util::ByteReader& in) {
  in.readInt32();  // format version, not examined
  int32_t numUIDs = in.readInt32();
  int32_t numGames = in.readInt32();
  in.readInt32();  // longest string: the reader needs no buffer size
  checkCount(numUIDs, in, 8, "match");
  gameList.clear();
  gameList.reserve(static_cast<size_t>(numUIDs));
  for (int32_t i = 0; i < numUIDs; ++i) gameList.push_back(in.readInt64());
  checkCount(numGames, in, 12, "recent match");
  gameDateList.clear();
  gameMapList.clear();
  gameTypeList.clear();
  // A triple is taken whole or not at all: the three lists stay parallel.
  for (int32_t i = 0; i < numGames; ++i) {
    std::string date = readText(in);
    std::string map = readText(in);
    std::string type = readText(in);
    gameDateList.push_back(std::move(date));
    gameMapList.push_back(std::move(map));
    gameTypeList.push_back(std::move(type));
  }
}

void Totals::readGameDB() {
  try {
    auto data = readWhole(config::vdDBDir() + kGameDB);
    if (!data) return;
    util::ByteReader in(*data);
    decodeGameDB(in);
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "readGameDB", e);
  }
}

void Totals::decodeRecordsDB(util::ByteReader& in) {
  int32_t version = in.readInt32();
  if (version != 1 && version != 2)
    throw base::FormatError("unknown records database version " + std::to_string(version));
  totalGamesPlayed = in.readInt32();
  highGameFrags = in.readInt32();
  highGameUID = in.readInt64();
  for (size_t t = 0; t < Specs::kGames; ++t) gamesPlayed[t] = in.readInt32();
  if (version == 1) {
    // Eight game types then: the sixth is folded into DeathMatch and the
    // last two move down.
    gamesPlayed[0] = util::wrapAdd(gamesPlayed[0], gamesPlayed[5]);
    gamesPlayed[5] = gamesPlayed[6];
    gamesPlayed[6] = in.readInt32();
  }
  rec = Records(in, version);
}

void Totals::readRecordsDB() {
  try {
    auto data = readWhole(config::vdDBDir() + kRecordsDB);
    if (!data) return;
    util::ByteReader in(*data);
    decodeRecordsDB(in);
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "readRecordsDB", e);
  }
}

void Totals::decodeHashDB(util::ByteReader& in) {
  int32_t version = in.readInt32();
  if (version != 1 && version != 2)
    throw base::FormatError("unknown hash database version " + std::to_string(version));
  // A record holds at least its text length, flag, uid, time and counters.
  int32_t size = in.readInt32();
  checkCount(size, in, 4 + 1 + 4 + 8 + 14 * 4, "player");
  plist = PlayerMap();
  plist.reserve(static_cast<size_t>(size) + 1000);
  for (int32_t i = 0; i < size; ++i) {
    HashEntry e;
    try {
      e = HashEntry::read(in, version);
    } catch (const std::exception& ex) {
      util::traceFailure("HashEntry", "new", ex);
      throw;
    }
    std::string key = HashEntry::key(e.name, e.isABot);
    plist.put(key, std::move(e));
  }
}

void Totals::readHashDB() {
  try {
    auto data = readWhole(config::vdDBDir() + kHashDB);
    if (!data) return;
    util::ByteReader in(*data);
    decodeHashDB(in);
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "readHashDB", e);
  }
}

void Totals::openPlayerDB() {
  try {
    const bool seek = config::os != "Linux" && config::os != "Mac OS";
    const bool intToLong = config::os != "Mac OS";
    playerDBOpen_ = PlayerDB::open(config::vdDBDir() + kPlayerDB, seek,
                                   static_cast<int32_t>(plist.size()), intToLong);
    if (auto p = PlayerDB::getPlayer(-3)) allStats = std::move(*p);
    if (auto p = PlayerDB::getPlayer(-2)) humanStats = std::move(*p);
    if (auto p = PlayerDB::getPlayer(-1)) botStats = std::move(*p);
    setAggregateIdentity();
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "openPlayerDB", e);
  }
}

// ---------------------------------------------------------------------------
// Folding matches in.

bool Totals::isNewGame(const games::Game& g) {
  Debug::print("I Totals.isNewGame", 1);
  try {
    int64_t t = g.theTime();
    bool fresh = true;
    for (int64_t known : gameList) {
      if (t > known) break;
      if (t == known) {
        fresh = false;
        break;
      }
    }
    Debug::print("O Totals.isNewGame", 1);
    return fresh;
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "isNewGame", e);
    return false;
  }
}

void Totals::foldPlayer(const games::bf::Game& g, const Player& p, bool singlePlayer,
                        int32_t& nextUID) {
  const auto gt = static_cast<size_t>(g.gameType);
  const auto sp = static_cast<size_t>(Specs::kSinglePlayer);
  auto fold = [&](Player& into) {
    into.update(p);
    into.games.at(gt).update(p.all);
    if (singlePlayer) into.games.at(sp).update(p.all);
  };
  fold(allStats);
  if (p.isABot) {
    // Bot pings do not count towards the all-players ping average.
    allStats.all.pingNum = util::wrapSub(allStats.all.pingNum, p.all.pingNum);
    allStats.all.pingTime = util::wrapSub(allStats.all.pingTime, p.all.pingTime);
    fold(botStats);
  } else {
    fold(humanStats);
  }

  const std::string key = HashEntry::key(p.name, p.isABot);
  HashEntry* entry = plist.find(key);
  Player c(0.0);
  if (entry == nullptr) {
    entry = &plist.put(key, HashEntry(p.name, p.isABot, nextUID));
    nextUID += 1;
    c.uid = entry->uid;
  } else {
    auto stored = PlayerDB::getPlayer(entry->uid);
    if (!stored)
      throw base::FormatError("player " + std::to_string(entry->uid) +
                              " is missing from the player database");
    c = std::move(*stored);
  }
  c.name = entry->name;
  c.isABot = entry->isABot;
  fold(c);

  const auto& dm = c.games.at(Specs::kDeathMatch);
  const auto& tg = c.games.at(Specs::kTeamGame);
  const auto& as = c.games.at(Specs::kAssault);
  const auto& lms = c.games.at(Specs::kLastManStanding);
  entry->update(c.all.totalTime, c.all.frags, c.all.deaths, c.all.suicides, dm.frags, dm.deaths,
                dm.suicides, tg.teamWins, tg.teamLosses, as.teamWins, as.teamLosses, lms.teamWins,
                lms.teamLosses, truncateToInt(c.games.at(Specs::kDomination).score),
                truncateToInt(c.games.at(Specs::kCaptureTheFlag).score));
  if (!PlayerDB::putPlayer(c))
    throw base::FormatError("player " + std::to_string(c.uid) + " could not be stored");
  rec.updateCareerRecords(c);
}

void Totals::update(const games::Game& game) {
  Debug::print("I Totals.update", 1);
  try {
    const games::bf::Game& g = bfGame(game);
    const int64_t t = g.time;

    auto pos = std::find_if(gameList.begin(), gameList.end(), [t](int64_t k) { return t > k; });
    const auto x = static_cast<size_t>(pos - gameList.begin());
    gameList.insert(pos, t);
    if (x == 0) rec.addRecentGame(g);

    const auto keep = static_cast<size_t>(std::max(config::numGamesToSave(), 0));
    if (x < keep) {
      const std::string date = g.date.value_or("");
      const std::string map = g.map.value_or("");
      const std::string type = Specs::games.at(static_cast<size_t>(g.gameType));
      if (gameDateList.size() >= x) {
        gameDateList.insert(gameDateList.begin() + static_cast<ptrdiff_t>(x), date);
        gameMapList.insert(gameMapList.begin() + static_cast<ptrdiff_t>(x), map);
        gameTypeList.insert(gameTypeList.begin() + static_cast<ptrdiff_t>(x), type);
      }
      if (gameDateList.size() > keep) {
        gameDateList.resize(keep);
        gameMapList.resize(keep);
        gameTypeList.resize(keep);
      }
    }

    // A single-player match counts under its own game type and under the
    // single-player type, but only once when those are the same.
    const bool singlePlayer = g.netMode == "SinglePlayer" && g.gameType != Specs::kSinglePlayer;
    totalGamesPlayed = util::wrapAdd(totalGamesPlayed, 1);
    int32_t& ofType = gamesPlayed.at(static_cast<size_t>(g.gameType));
    ofType = util::wrapAdd(ofType, 1);
    if (singlePlayer)
      gamesPlayed[Specs::kSinglePlayer] = util::wrapAdd(gamesPlayed[Specs::kSinglePlayer], 1);

    if (g.gameTotals.all.frags > highGameFrags) {
      highGameFrags = g.gameTotals.all.frags;
      highGameUID = t;
    }

    auto nextUID = static_cast<int32_t>(plist.size());
    for (const auto& p : g.plist) foldPlayer(g, *p, singlePlayer, nextUID);
    rec.updateGameRecords(g, plist);
    matchesThisRun += 1;
    for (const auto& p : g.plist) {
      const HashEntry* e = plist.find(HashEntry::key(p->name, p->isABot));
      if (e == nullptr) continue;
      auto [it, fresh] = seenThisRun.try_emplace(e->uid, t, t);
      if (!fresh) {
        it->second.first = std::min(it->second.first, t);
        it->second.second = std::max(it->second.second, t);
      }
    }

    for (Player* a : {&allStats, &humanStats, &botStats}) {
      a->all.uses = totalGamesPlayed;
      for (size_t k = 0; k < Specs::kGames; ++k) a->games[k].uses = gamesPlayed[k];
    }
    modified = true;
    Debug::print("Players in DB:" + std::to_string(plist.size()), 0);
    Debug::print("O Totals.update", 1);
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "update", e);
  }
}

bool Totals::isHighGame(const games::Game& g) { return g.theTime() == highGameUID; }

bool Totals::isRecentGame(const games::Game& g) {
  return !gameList.empty() && g.theTime() == gameList.front();
}

bool Totals::isPrintableGame(const games::Game& g, int32_t n) {
  if (n <= 0) return false;  // no match pages are kept
  if (gameList.size() <= static_cast<size_t>(n)) return true;
  return g.theTime() >= gameList[static_cast<size_t>(n) - 1];
}

int64_t Totals::gListElement(int32_t i) {
  if (i < 0 || static_cast<size_t>(i) >= gameList.size())
    throw base::FormatError("no match at position " + std::to_string(i));
  return gameList[static_cast<size_t>(i)];
}

void Totals::sortPlayers() {
  Debug::print("I Totals.sortPlayers", 1);
  try {
    const std::vector<HashEntry>& unsorted = plist.entries();
    auto sortedWith = [&](const util::Comp<HashEntry>& c) {
      return sortedBy<Ref>(
          unsorted,
          [](const HashEntry& e, int32_t i) {
            return Ref{&e, i};
          },
          ByEntry(c));
    };
    sortedByName = sortedWith(SortName());
    sortedByFDS = sortedWith(SortFDS());
    sortedTD = sortedWith(SortFDSb());
    sortedFPH = sortedBy<SortDouble>(
        unsorted,
        [](const HashEntry& e, int32_t i) {
          double v = e.time != 0.0 ? static_cast<double>(e.a_frags) * 3600.0 / e.time : 0.0;
          return SortDouble{v, i};
        },
        SortDouble::By());
    sortedD = sortedBy<SortInt>(
        unsorted,
        [](const HashEntry& e, int32_t i) {
          return SortInt{e.dom, i};
        },
        SortInt::By());
    sortedCTF = sortedBy<SortInt>(
        unsorted,
        [](const HashEntry& e, int32_t i) {
          return SortInt{e.ctf, i};
        },
        SortInt::By());
    sortedTT = sortedBy<SortWonLost>(
        unsorted,
        [](const HashEntry& e, int32_t i) {
          return SortWonLost{e.t_wins, e.t_losses, i};
        },
        SortWonLost::By());
    sortedA = sortedBy<SortWonLost>(
        unsorted,
        [](const HashEntry& e, int32_t i) {
          return SortWonLost{e.a_wins, e.a_losses, i};
        },
        SortWonLost::By());
    sortedLMS = sortedBy<SortWonLost>(
        unsorted,
        [](const HashEntry& e, int32_t i) {
          return SortWonLost{e.lms_wins, e.lms_losses, i};
        },
        SortWonLost::By());
    Debug::print("O Totals.sortPlayers", 1);
  } catch (const std::exception& e) {
    util::traceFailure("Totals", "sortPlayers", e);
  }
}

}  // namespace programs::vardobf
