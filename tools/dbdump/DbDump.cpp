#include "tools/dbdump/DbDump.h"

#include <map>
#include <optional>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/Totals.h"
#include "tools/matchdump/MatchDump.h"
#include "util/ByteIO.h"
#include "util/Debug.h"
#include "util/Json.h"

namespace tools {
namespace {

using programs::vardobf::CareerRecord;
using programs::vardobf::GameRecord;
using programs::vardobf::HashEntry;
using programs::vardobf::PlayerDB;
using programs::vardobf::Records;
using programs::vardobf::Totals;
using util::Json;
using util::jsonNumber;
using util::jsonText;

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

Json gameRecord(const GameRecord& r) {
  Json j = Json::object();
  j["uid"] = r.uid;
  j["name"] = jsonText(r.name);
  j["map"] = jsonText(r.map);
  j["date"] = jsonText(r.date);
  j["isABot"] = r.isABot;
  j["score"] = r.score;
  j["time"] = jsonNumber(r.time);
  return j;
}

Json careerRecord(const CareerRecord& r) {
  Json j = Json::object();
  j["uid"] = r.uid;
  j["name"] = jsonText(r.name);
  j["isABot"] = r.isABot;
  j["score"] = r.score;
  j["games"] = r.games;
  j["time"] = jsonNumber(r.time);
  return j;
}

template <class R, size_t N, class F>
Json rows(const std::array<R, N>& list, F one) {
  Json j = Json::array();
  for (const R& r : list) j.push_back(Json::object({{"holder", one(r)}}));
  return j;
}

Json records(const Records& r) {
  Json j = Json::object();
  j["RecentGameMap"] = jsonText(r.RecentGameMap);
  j["RecentGameDate"] = jsonText(r.RecentGameDate);
  j["gMostFrags"] = gameRecord(r.gMostFrags);
  j["gMostKills"] = gameRecord(r.gMostKills);
  j["gMostDeaths"] = gameRecord(r.gMostDeaths);
  j["gMostSuicides"] = gameRecord(r.gMostSuicides);
  j["gMostFCaptures"] = gameRecord(r.gMostFCaptures);
  j["gMostFReturns"] = gameRecord(r.gMostFReturns);
  j["gMostCPCs"] = gameRecord(r.gMostCPCs);
  j["gKillsHoldingWeapon"] = rows(r.gKillsHoldingWeapon, gameRecord);
  j["gDeathsByWeapon"] = rows(r.gDeathsByWeapon, gameRecord);
  j["gDeathsHoldingWeapon"] = rows(r.gDeathsHoldingWeapon, gameRecord);
  j["gWeaponSuicides"] = rows(r.gWeaponSuicides, gameRecord);
  j["gSuicides"] = rows(r.gSuicides, gameRecord);
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
  for (const auto& [name, rec] : career) j[name] = careerRecord(*rec);
  j["cKillsHoldingWeapon"] = rows(r.cKillsHoldingWeapon, careerRecord);
  j["cDeathsByWeapon"] = rows(r.cDeathsByWeapon, careerRecord);
  j["cDeathsHoldingWeapon"] = rows(r.cDeathsHoldingWeapon, careerRecord);
  j["cWeaponSuicides"] = rows(r.cWeaponSuicides, careerRecord);
  j["cSuicides"] = rows(r.cSuicides, careerRecord);
  return j;
}

Json hashEntry(const HashEntry& e) {
  Json j = Json::object();
  j["name"] = jsonText(e.name);
  j["isABot"] = e.isABot;
  j["uid"] = e.uid;
  j["time"] = jsonNumber(e.time);
  j["a_frags"] = e.a_frags;
  j["a_deaths"] = e.a_deaths;
  j["a_suicides"] = e.a_suicides;
  j["dm_frags"] = e.dm_frags;
  j["dm_deaths"] = e.dm_deaths;
  j["dm_suicides"] = e.dm_suicides;
  j["t_wins"] = e.t_wins;
  j["t_losses"] = e.t_losses;
  j["a_wins"] = e.a_wins;
  j["a_losses"] = e.a_losses;
  j["lms_wins"] = e.lms_wins;
  j["lms_losses"] = e.lms_losses;
  j["ctf"] = e.ctf;
  j["dom"] = e.dom;
  return j;
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

Json gameJson(const Totals& t) {
  Json j = Json::object();
  j["numUIDs"] = static_cast<int32_t>(t.gameList.size());
  j["gameList"] = t.gameList;
  j["gameDateList"] = util::jsonTexts(t.gameDateList);
  j["gameMapList"] = util::jsonTexts(t.gameMapList);
  j["gameTypeList"] = util::jsonTexts(t.gameTypeList);
  return j;
}

Json totalsJson(const Totals& t) {
  Json j = Json::object();
  j["totalGamesPlayed"] = t.totalGamesPlayed;
  j["highGameFrags"] = t.highGameFrags;
  j["highGameUID"] = t.highGameUID;
  j["gamesPlayed"] = t.gamesPlayed;
  j["records"] = records(t.rec);
  return j;
}

Json hashJson(const Totals& t) {
  Json j = Json::array();
  for (const HashEntry& e : t.plist.entries()) j.push_back(hashEntry(e));
  return j;
}

// The header, the aggregates and the players by uid, named from the hash
// database.
Json playerJson(const Totals& t, const std::string& player) {
  Json j = Json::object();
  int32_t version = player.empty() ? 0 : static_cast<int8_t>(player[0]);
  int32_t numEntries = 0;
  if (player.size() >= 5)
    numEntries = util::loadInt32(reinterpret_cast<const uint8_t*>(&player[1]));
  j["version"] = version;
  j["numEntries"] = numEntries;
  j["length"] = static_cast<int64_t>(player.size());
  const char* aggregates[] = {"allStats", "humanStats", "botStats"};
  for (size_t k = 1; k <= 3; ++k) {
    auto p = slot(player, k);
    j[aggregates[k - 1]] = p ? playerToJson(*p) : Json(nullptr);
  }
  std::map<int32_t, const HashEntry*> byUid;
  for (const HashEntry& e : t.plist.entries()) byUid[e.uid] = &e;
  Json players = Json::array();
  for (const auto& [uid, e] : byUid) {
    if (uid < 0) continue;
    auto p = slot(player, static_cast<size_t>(uid) + 4);
    if (!p) continue;
    p->uid = uid;
    p->name = e->name;
    p->isABot = e->isABot;
    players.push_back(playerToJson(*p));
  }
  j["players"] = std::move(players);
  return j;
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

  Json j = Json::object();
  j["game"] = game ? gameJson(t) : Json(nullptr);
  j["totals"] = recs ? totalsJson(t) : Json(nullptr);
  j["hash"] = hash ? hashJson(t) : Json(nullptr);
  j["player"] = player ? playerJson(t, *player) : Json(nullptr);
  return util::jsonDump(j) + "\n";
}

}  // namespace tools
