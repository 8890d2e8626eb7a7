#include "tools/dbdump/DbDump.h"

#include <map>
#include <optional>

#include "platform/FileSystem.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Totals.h"
#include "tools/matchdump/JsonWriter.h"
#include "tools/matchdump/MatchDump.h"
#include "util/ByteIO.h"
#include "util/Debug.h"
#include "base/Failure.h"

namespace tools {
namespace {

using programs::vardobf::CareerRecord;
using programs::vardobf::GameRecord;
using programs::vardobf::HashEntry;
using programs::vardobf::PlayerDB;
using programs::vardobf::Records;
using programs::vardobf::Totals;

constexpr size_t kSlot = 16384;

std::optional<std::string> readIfThere(const std::string& path) {
  if (!platform::exists(path)) return std::nullopt;
  try {
    return platform::readFile(path);
  } catch (const std::exception& e) {
    util::Debug::print("dbdump: " + base::failureText(e), 0);
    return std::nullopt;
  }
}

void gameRecord(JsonWriter& j, const std::string& k, const GameRecord& r) {
  j.key(k);
  j.beginObject();
  j.field("uid", r.uid);
  j.field("name", r.name);
  j.field("map", r.map);
  j.field("date", r.date);
  j.field("isABot", r.isABot);
  j.field("score", r.score);
  j.field("time", r.time);
  j.endObject();
}

void careerRecord(JsonWriter& j, const std::string& k, const CareerRecord& r) {
  j.key(k);
  j.beginObject();
  j.field("uid", r.uid);
  j.field("name", r.name);
  j.field("isABot", r.isABot);
  j.field("score", r.score);
  j.field("games", r.games);
  j.field("time", r.time);
  j.endObject();
}

template <class R, size_t N, class F>
void rows(JsonWriter& j, const std::string& k, const std::array<R, N>& list, F one) {
  j.key(k);
  j.beginArray();
  for (const R& r : list) {
    j.beginObject();
    one(j, "holder", r);
    j.endObject();
  }
  j.endArray();
}

void records(JsonWriter& j, const Records& r) {
  j.key("records");
  j.beginObject();
  j.field("RecentGameMap", r.RecentGameMap);
  j.field("RecentGameDate", r.RecentGameDate);
  gameRecord(j, "gMostFrags", r.gMostFrags);
  gameRecord(j, "gMostKills", r.gMostKills);
  gameRecord(j, "gMostDeaths", r.gMostDeaths);
  gameRecord(j, "gMostSuicides", r.gMostSuicides);
  gameRecord(j, "gMostFCaptures", r.gMostFCaptures);
  gameRecord(j, "gMostFReturns", r.gMostFReturns);
  gameRecord(j, "gMostCPCs", r.gMostCPCs);
  rows(j, "gKillsHoldingWeapon", r.gKillsHoldingWeapon, gameRecord);
  rows(j, "gDeathsByWeapon", r.gDeathsByWeapon, gameRecord);
  rows(j, "gDeathsHoldingWeapon", r.gDeathsHoldingWeapon, gameRecord);
  rows(j, "gWeaponSuicides", r.gWeaponSuicides, gameRecord);
  rows(j, "gSuicides", r.gSuicides, gameRecord);
  const std::pair<const char*, const CareerRecord*> career[] = {
      {"cMostFrags", &r.cMostFrags},
      {"cMostKills", &r.cMostKills},
      {"cMostDeaths", &r.cMostDeaths},
      {"cMostSuicides", &r.cMostSuicides},
      {"cMostFCaptures", &r.cMostFCaptures},
      {"cMostFReturns", &r.cMostFReturns},
      {"cMostCPCs", &r.cMostCPCs},
      {"cMostWins", &r.cMostWins},
      {"cMostFAssists", &r.cMostFAssists},
      {"cMostFKills", &r.cMostFKills},
      {"cMostHS", &r.cMostHS},
      {"cMostFB", &r.cMostFB},
      {"cMostDK", &r.cMostDK},
      {"cMostMuK", &r.cMostMuK},
      {"cMostUK", &r.cMostUK},
      {"cMostMoK", &r.cMostMoK}};
  for (const auto& [name, rec] : career) careerRecord(j, name, *rec);
  rows(j, "cKillsHoldingWeapon", r.cKillsHoldingWeapon, careerRecord);
  rows(j, "cDeathsByWeapon", r.cDeathsByWeapon, careerRecord);
  rows(j, "cDeathsHoldingWeapon", r.cDeathsHoldingWeapon, careerRecord);
  rows(j, "cWeaponSuicides", r.cWeaponSuicides, careerRecord);
  rows(j, "cSuicides", r.cSuicides, careerRecord);
  j.endObject();
}

void hashEntry(JsonWriter& j, const HashEntry& e) {
  j.beginObject();
  j.field("name", e.name);
  j.field("isABot", e.isABot);
  j.field("uid", e.uid);
  j.field("time", e.time);
  j.field("a_frags", e.a_frags);
  j.field("a_deaths", e.a_deaths);
  j.field("a_suicides", e.a_suicides);
  j.field("dm_frags", e.dm_frags);
  j.field("dm_deaths", e.dm_deaths);
  j.field("dm_suicides", e.dm_suicides);
  j.field("t_wins", e.t_wins);
  j.field("t_losses", e.t_losses);
  j.field("a_wins", e.a_wins);
  j.field("a_losses", e.a_losses);
  j.field("lms_wins", e.lms_wins);
  j.field("lms_losses", e.lms_losses);
  j.field("ctf", e.ctf);
  j.field("dom", e.dom);
  j.endObject();
}

// One slot of the player file, decoded; none when it lies beyond the file.
std::optional<games::bf::Player> slot(const std::string& file, size_t k) {
  if (k * kSlot >= file.size()) return std::nullopt;
  std::string bytes = file.substr(k * kSlot, kSlot);
  bytes.resize(kSlot, '\0');
  return PlayerDB::bytesToPlayer(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0,
      false);
}

}  // namespace

namespace {

void gameJson(JsonWriter& j, const Totals& t) {
  j.beginObject();
  j.field("numUIDs", static_cast<int32_t>(t.gameList.size()));
  j.array("gameList", t.gameList);
  j.array("gameDateList", t.gameDateList);
  j.array("gameMapList", t.gameMapList);
  j.array("gameTypeList", t.gameTypeList);
  j.endObject();
}

void totalsJson(JsonWriter& j, const Totals& t) {
  j.beginObject();
  j.field("totalGamesPlayed", t.totalGamesPlayed);
  j.field("highGameFrags", t.highGameFrags);
  j.field("highGameUID", t.highGameUID);
  j.array("gamesPlayed", t.gamesPlayed);
  records(j, t.rec);
  j.endObject();
}

void hashJson(JsonWriter& j, const Totals& t) {
  j.beginArray();
  for (const HashEntry& e : t.plist.entries()) hashEntry(j, e);
  j.endArray();
}

// The header, the aggregates and the players by uid, named from the hash
// database.
void playerJson(JsonWriter& j, const Totals& t, const std::string& player) {
  j.beginObject();
  int32_t version = player.empty() ? 0 : static_cast<int8_t>(player[0]);
  int32_t numEntries = 0;
  if (player.size() >= 5)
    numEntries = util::loadInt32(reinterpret_cast<const uint8_t*>(&player[1]));
  j.field("version", version);
  j.field("numEntries", numEntries);
  j.field("length", static_cast<int64_t>(player.size()));
  const char* aggregates[] = {"allStats", "humanStats", "botStats"};
  for (size_t k = 1; k <= 3; ++k) {
    j.key(aggregates[k - 1]);
    if (auto p = slot(player, k))
      writePlayerJson(j, *p);
    else
      j.null();
  }
  std::map<int32_t, const HashEntry*> byUid;
  for (const HashEntry& e : t.plist.entries()) byUid[e.uid] = &e;
  j.key("players");
  j.beginArray();
  for (const auto& [uid, e] : byUid) {
    if (uid < 0) continue;
    auto p = slot(player, static_cast<size_t>(uid) + 4);
    if (!p) continue;
    p->uid = uid;
    p->name = e->name;
    p->isABot = e->isABot;
    writePlayerJson(j, *p);
  }
  j.endArray();
  j.endObject();
}

}  // namespace

std::string dumpDatabase(const std::string& dir) {
  Totals t;
  auto game = readIfThere(dir + Totals::kGameDB);
  auto recs = readIfThere(dir + Totals::kRecordsDB);
  auto hash = readIfThere(dir + Totals::kHashDB);
  auto player = readIfThere(dir + Totals::kPlayerDB);
  auto decode = [](const std::optional<std::string>& data, const char* what, auto&& fn) {
    if (!data) return;
    try {
      util::ByteReader in(*data);
      fn(in);
    } catch (const std::exception& e) {
      util::Debug::print(std::string("dbdump: ") + what + ": " + base::failureText(e), 0);
    }
  };
  decode(game, Totals::kGameDB, [&](util::ByteReader& in) { t.decodeGameDB(in); });
  decode(recs, Totals::kRecordsDB, [&](util::ByteReader& in) { t.decodeRecordsDB(in); });
  decode(hash, Totals::kHashDB, [&](util::ByteReader& in) { t.decodeHashDB(in); });

  JsonWriter j;
  j.beginObject();
  j.key("game");
  if (game)
    gameJson(j, t);
  else
    j.null();
  j.key("totals");
  if (recs)
    totalsJson(j, t);
  else
    j.null();
  j.key("hash");
  if (hash)
    hashJson(j, t);
  else
    j.null();
  j.key("player");
  if (player)
    playerJson(j, t, *player);
  else
    j.null();
  j.endObject();
  return j.text() + "\n";
}

}  // namespace tools
