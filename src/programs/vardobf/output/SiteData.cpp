#include "programs/vardobf/output/SiteData.h"

#include <algorithm>
#include <exception>
#include <set>
#include <unordered_map>
#include <vector>

#include "base/Failure.h"
#include "games/bf/HighScores.h"
#include "games/bf/Specs.h"
#include "platform/FileSystem.h"
#include "platform/Os.h"
#include "programs/vardo/SiteFiles.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/PlayerDB.h"
#include "programs/vardobf/output/GameHtml.h"
#include "programs/vardobf/output/GameTablesDetail.h"
#include "programs/vardobf/output/RecordKinds.h"
#include "programs/vardobf/output/SiteDataDetail.h"
#include "util/Debug.h"
#include "util/Json.h"
#include "util/Trace.h"

namespace programs::vardobf::output {

using games::bf::Game;
using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using programs::vardo::config;
using util::Debug;
using Json = SiteData::Json;
using sitedata::kFormat;
using sitedata::member;
using sitedata::perHour;
using sitedata::text;

namespace {

bool isInteger(const Json& j, int64_t value) {
  return j.is_number_integer() && j.get<int64_t>() == value;
}
Json optionalTime(const std::optional<int64_t>& t) { return t ? Json(*t) : Json(nullptr); }

// The figures of one record of a player's career.
Json figures(const PStats& s) {
  Json j = Json::object();
  j["matches"] = s.uses;
  j["wins"] = s.teamWins;
  j["losses"] = s.teamLosses;
  j["score"] = s.score;
  j["frags"] = s.frags;
  j["kills"] = s.kills;
  j["deaths"] = s.deaths;
  j["suicides"] = s.suicides;
  j["teamKills"] = s.tkills;
  j["teamDeaths"] = s.tdeaths;
  j["efficiency"] = detail::careerEfficiency(s.kills, s.deaths, s.suicides);
  j["fragsPerHour"] = perHour(s.frags, s.totalTime);
  j["time"] = s.totalTime;
  return j;
}

Json byType(const Player& p) {
  Json list = Json::array();
  for (size_t k = 0; k < Specs::kGames; ++k)
    list.push_back(figures(k < p.games.size() ? p.games[k] : PStats("games")));
  return list;
}

Json holder(const std::string& name, int32_t uid, bool bot) {
  if (uid < 0) return nullptr;
  return Json{{"uid", uid}, {"name", text(name)}, {"bot", bot}};
}

// A category of the pages without its line breaks.
std::string plain(std::string label) {
  for (size_t at; (at = label.find("<br>")) != std::string::npos;) label.replace(at, 4, " ");
  return label;
}

Json careerRecord(const std::string& key, const std::string& label, const CareerRecord& r) {
  Json j = Json::object();
  j[key] = text(label);
  j["holder"] = holder(r.name, r.uid, r.isABot);
  j["score"] = r.score;
  j["matches"] = r.games;
  j["time"] = r.time;
  return j;
}

Json gameRecord(const std::string& key, const std::string& label, const GameRecord& r) {
  Json j = Json::object();
  j[key] = text(label);
  j["holder"] = holder(r.name, r.uid, r.isABot);
  j["score"] = r.score;
  j["time"] = r.time;
  j["map"] = text(r.map);
  j["date"] = text(r.date);
  return j;
}

template <class R, class F>
Json kindList(const RecordKinds<R>& kinds, F one) {
  Json list = Json::array();
  for (const auto& [name, rec] : heldByScore(kinds)) list.push_back(one("weapon", name, *rec));
  return list;
}

using detail::isScored;

// The data set's name as a script's global: "brimfall_" and the name with
// "/" and "-" as "_".
std::string globalName(const std::string& name) {
  std::string id = "brimfall_" + name;
  std::replace(id.begin(), id.end(), '/', '_');
  std::replace(id.begin(), id.end(), '-', '_');
  return id;
}

}  // namespace

std::string SiteData::folder() { return config::vdHtmlDir() + "data/"; }

bool SiteData::enabled() { return config::exportData() && !config::tcsMode; }

std::string SiteData::jsonText(const Json& value) { return util::jsonDump(value); }

std::string SiteData::scriptText(const std::string& name, const std::string& json) {
  return "var " + globalName(name) + " = " + json + ";\n";
}

void SiteData::writeSet(const std::string& name, const Json& value) {
  const std::string json = jsonText(value);
  const std::string base = folder() + name;
  for (const auto& [path, content] :
       {std::pair{base + ".json", json}, std::pair{base + ".js", scriptText(name, json)}}) {
    if (platform::os().exists(path)) {
      try {
        if (platform::os().readFile(path) == content) continue;
      } catch (const std::exception&) {
        // Unreadable: written anew below.
      }
    }
    const std::string temporary = path + ".new";
    platform::os().writeFile(temporary, content);
    if (!platform::os().replaceFile(temporary, path))
      throw base::IOError("cannot replace " + path + " with " + temporary);
  }
}

std::optional<Json> SiteData::readSet(const std::string& name) const {
  const std::string path = folder() + name + ".json";
  try {
    if (!platform::os().exists(path)) return std::nullopt;
    Json j = Json::parse(platform::os().readFile(path));
    if (!j.is_object() || j.value("format", 0) != kFormat) return std::nullopt;
    return j;
  } catch (const std::exception& e) {
    Debug::print("SiteData: " + path + " is not readable data (" + base::failureText(e) +
                     "); it is written anew",
                 1);
    return std::nullopt;
  }
}

// ---------------------------------------------------------------------------
// Players

Json SiteData::playerRow(const HashEntry& h, const Player& p,
                         const std::optional<int64_t>& firstSeen,
                         const std::optional<int64_t>& lastSeen) {
  Json j = Json::object();
  j["uid"] = h.uid;
  j["name"] = text(h.name);
  j["bot"] = h.isABot;
  Json all = figures(p.all);
  for (auto& [key, value] : all.items()) j[key] = std::move(value);
  Json matches = Json::array(), wins = Json::array(), losses = Json::array();
  for (size_t k = 0; k < Specs::kGames; ++k) {
    const bool has = k < p.games.size();
    matches.push_back(has ? p.games[k].uses : 0);
    wins.push_back(has ? p.games[k].teamWins : 0);
    losses.push_back(has ? p.games[k].teamLosses : 0);
  }
  j["matchesByType"] = std::move(matches);
  j["winsByType"] = std::move(wins);
  j["lossesByType"] = std::move(losses);
  j["firstSeen"] = optionalTime(firstSeen);
  j["lastSeen"] = optionalTime(lastSeen);
  return j;
}

Json SiteData::playerCareer(const HashEntry& h, const Player& p,
                            const std::optional<int64_t>& firstSeen,
                            const std::optional<int64_t>& lastSeen) {
  const PStats& s = p.all;
  Json j = Json::object();
  j["format"] = kFormat;
  j["uid"] = h.uid;
  j["name"] = text(h.name);
  j["bot"] = h.isABot;
  j["firstSeen"] = optionalTime(firstSeen);
  j["lastSeen"] = optionalTime(lastSeen);
  j["all"] = figures(s);
  j["byType"] = byType(p);
  Json weapons = Json::array();
  for (size_t w = 0; w < Specs::kWeapons; ++w) {
    if (s.myFrags[w] == 0 && s.myKills[w] == 0 && s.myDeaths[w] == 0 && s.myWSuicides[w] == 0)
      continue;
    weapons.push_back(Json{{"weapon", text(detail::weaponName(w))},
                           {"frags", s.myFrags[w]},
                           {"kills", s.myKills[w]},
                           {"deaths", s.myDeaths[w]},
                           {"suicides", s.myWSuicides[w]}});
  }
  j["weapons"] = std::move(weapons);
  j["special"] =
      Json{{"firstBlood", s.firstBlood}, {"headShots", s.headShots}, {"doubleKills", s.dKills},
           {"multiKills", s.muKills},    {"ultraKills", s.uKills},   {"monsterKills", s.moKills}};
  return j;
}

void SiteData::writePlayers(const TotalsTables::PlayerSource& players) {
  // The entries by uid; uids are given out from 0 without gaps.
  std::vector<const HashEntry*> byUid(totals_.plist.size(), nullptr);
  for (const HashEntry& e : totals_.plist.entries())
    if (e.uid >= 0 && static_cast<size_t>(e.uid) < byUid.size())
      byUid[static_cast<size_t>(e.uid)] = &e;
  const size_t chunks = (byUid.size() + kChunkSize - 1) / kChunkSize;

  // The files of the previous run hold the rows of the players this run did
  // not change only when they were written for the database as it was
  // before this run.
  bool current = false;
  if (std::optional<Json> previous = readSet("totals")) {
    current = isInteger(member(*previous, "matchesCounted"),
                        int64_t{totals_.totalGamesPlayed} - totals_.matchesThisRun) &&
              isInteger(member(member(*previous, "players"), "chunkSize"), kChunkSize);
  }

  platform::os().ensureDirectory(folder() + "player");
  for (size_t c = 0; c < chunks; ++c) {
    const size_t first = c * kChunkSize;
    const size_t last = std::min(byUid.size(), first + kChunkSize);
    const bool changed = std::any_of(byUid.begin() + static_cast<ptrdiff_t>(first),
                                     byUid.begin() + static_cast<ptrdiff_t>(last),
                                     [](const HashEntry* e) { return e && e->modified; });
    const std::string name = "players-" + std::to_string(c);
    if (current && !changed && platform::os().isFile(folder() + name + ".json") &&
        platform::os().isFile(folder() + name + ".js"))
      continue;
    std::optional<Json> previous = readSet(name);

    // The previous rows by uid: kept for unchanged players, and their times
    // seen for everyone.
    std::unordered_map<int32_t, const Json*> rows;
    if (previous && member(*previous, "players").is_array())
      for (const Json& r : member(*previous, "players"))
        if (const Json& uid = member(r, "uid"); uid.is_number_integer())
          rows[uid.get<int32_t>()] = &r;

    Json list = Json::array();
    for (size_t u = first; u < last; ++u) {
      const HashEntry* e = byUid[u];
      if (e == nullptr) continue;
      auto row = rows.find(e->uid);
      const bool named = row != rows.end() && member(*row->second, "name") == text(e->name) &&
                         member(*row->second, "bot") == e->isABot;
      if (current && !e->modified && named) {
        list.push_back(*row->second);
        continue;
      }
      std::optional<int64_t> firstSeen, lastSeen;
      auto seenAt = [&](const char* key) -> std::optional<int64_t> {
        if (!named) return std::nullopt;
        const Json& v = member(*row->second, key);
        return v.is_number_integer() ? std::optional<int64_t>(v.get<int64_t>()) : std::nullopt;
      };
      firstSeen = seenAt("firstSeen");
      lastSeen = seenAt("lastSeen");
      if (auto seen = totals_.seenThisRun.find(e->uid); seen != totals_.seenThisRun.end()) {
        firstSeen = firstSeen ? std::min(*firstSeen, seen->second.first) : seen->second.first;
        lastSeen = lastSeen ? std::max(*lastSeen, seen->second.second) : seen->second.second;
      }
      std::optional<Player> p = players(e->uid);
      if (!p) {
        util::traceError("SiteData", "writePlayers",
                         "player " + std::to_string(e->uid) + " is not in the player database");
        p.emplace(0.0);
      }
      list.push_back(playerRow(*e, *p, firstSeen, lastSeen));
      writeSet("player/" + std::to_string(e->uid), playerCareer(*e, *p, firstSeen, lastSeen));
    }
    writeSet(name, Json{{"format", kFormat}, {"chunk", c}, {"players", std::move(list)}});
  }
}

// ---------------------------------------------------------------------------
// Totals and records

Json SiteData::totalsValue() const {
  const Totals& t = totals_;
  Json j = Json::object();
  j["format"] = kFormat;
  j["matchesCounted"] = t.totalGamesPlayed;
  j["matchesListed"] = t.gameList.size();
  Json types = Json::array();
  for (size_t k = 0; k < Specs::kGames; ++k) types.push_back(text(Specs::games[k]));
  j["gameTypes"] = std::move(types);
  j["matchesByType"] = t.gamesPlayed;
  Json weapons = Json::array();
  for (const std::string& w : detail::weaponNames()) weapons.push_back(text(w));
  j["weapons"] = std::move(weapons);
  j["highestScoringMatch"] = t.highGameUID == 0
                                 ? Json(nullptr)
                                 : Json{{"time", t.highGameUID}, {"frags", t.highGameFrags}};
  j["lastMatch"] = t.gameList.empty() ? Json(nullptr)
                                      : Json{{"map", text(t.rec.RecentGameMap)},
                                             {"date", text(t.rec.RecentGameDate)}};
  size_t bots = 0;
  for (const HashEntry& e : t.plist.entries()) bots += e.isABot ? 1 : 0;
  const size_t count = t.plist.size();
  j["players"] = Json{{"count", count},
                      {"humans", count - bots},
                      {"bots", bots},
                      {"chunkSize", kChunkSize},
                      {"chunks", (count + kChunkSize - 1) / kChunkSize}};
  Json aggregates = Json::array();
  for (const Player* a : {&t.allStats, &t.humanStats, &t.botStats})
    aggregates.push_back(Json{{"uid", a->uid},
                              {"name", text(a->name)},
                              {"bot", a->isABot},
                              {"all", figures(a->all)},
                              {"byType", byType(*a)}});
  j["aggregates"] = std::move(aggregates);
  j["keptMatches"] = keptMatches();
  return j;
}

Json SiteData::recordsValue(const TotalsTables::PlayerSource& players) const {
  const Records& r = totals_.rec;
  Json j = Json::object();
  j["format"] = kFormat;

  Json career = Json::array();
  for (const auto& [label, rec] : careerHighsBeforeFph(r))
    career.push_back(careerRecord("category", label, *rec));
  // The best frags an hour is no stored record: the first of that order.
  if (!totals_.sortedFPH.empty()) {
    const HashEntry& h = *totals_.sortedFPH.front();
    if (std::optional<Player> p = players(h.uid)) {
      const PStats& s = p->all;
      career.push_back(Json{{"category", "Highest FPH"},
                            {"holder", holder(h.name, h.uid, h.isABot)},
                            {"score", perHour(s.frags, s.totalTime)},
                            {"matches", s.uses},
                            {"time", s.totalTime}});
    }
  }
  for (const auto& [label, rec] : careerHighsAfterFph(r))
    career.push_back(careerRecord("category", plain(label), *rec));
  j["career"] = std::move(career);
  j["careerKills"] = kindList(perWeapon(r.cKillsHoldingWeapon), careerRecord);
  j["careerDeathsBy"] = kindList(perWeapon(r.cDeathsByWeapon), careerRecord);
  j["careerDeathsHolding"] = kindList(perWeapon(r.cDeathsHoldingWeapon), careerRecord);
  j["careerSuicides"] = kindList(perSuicide(r.cWeaponSuicides, r.cSuicides), careerRecord);

  Json match = Json::array();
  for (const auto& [label, rec] : matchHighs(r))
    match.push_back(gameRecord("category", plain(label), *rec));
  j["match"] = std::move(match);
  j["matchKills"] = kindList(perWeapon(r.gKillsHoldingWeapon), gameRecord);
  j["matchDeathsBy"] = kindList(perWeapon(r.gDeathsByWeapon), gameRecord);
  j["matchDeathsHolding"] = kindList(perWeapon(r.gDeathsHoldingWeapon), gameRecord);
  j["matchSuicides"] = kindList(perSuicide(r.gWeaponSuicides, r.gSuicides), gameRecord);
  return j;
}

void SiteData::writeTotals(TotalsTables::PlayerSource players) {
  Debug::print("I SiteData.writeTotals", 2);
  try {
    if (!players) players = [](int32_t uid) { return PlayerDB::getPlayer(uid); };
    programs::vardo::SiteFiles::makeDirectories(folder());
    // The player files first: the totals name the state they belong to.
    writePlayers(players);
    writeMatches();
    writeSet("records", recordsValue(players));
    writeSet("totals", totalsValue());
  } catch (const std::exception& e) {
    util::traceFailure("SiteData", "writeTotals", e);
  }
  Debug::print("O SiteData.writeTotals", 2);
}

}  // namespace programs::vardobf::output
