// The site data of the matches: each kept match's entry in the list, and its
// score samples.
#include <algorithm>
#include <exception>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "games/bf/Specs.h"
#include "platform/Os.h"
#include "programs/vardo/SiteFiles.h"
#include "programs/vardo/config.h"
#include "programs/vardobf/output/GameHtml.h"
#include "programs/vardobf/output/GameTablesDetail.h"
#include "programs/vardobf/output/SiteData.h"
#include "programs/vardobf/output/SiteDataDetail.h"
#include "util/Debug.h"
#include "util/Trace.h"

namespace programs::vardobf::output {

using games::bf::Game;
using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using programs::vardo::config;
using util::Debug;
using Json = SiteData::Json;
using detail::isScored;
using sitedata::kFormat;
using sitedata::member;
using sitedata::perHour;
using sitedata::text;

namespace {

// The values of (minutes, value) pairs.
Json values(const std::vector<double>& pairs) {
  Json list = Json::array();
  for (size_t i = 1; i < pairs.size(); i += 2) list.push_back(pairs[i]);
  return list;
}

bool isDigits(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

Json SiteData::matchEntry(const Game& g) const {
  Json j = Json::object();
  j["time"] = g.time;
  j["date"] = text(g.date.value_or(""));
  j["server"] = text(g.servername);
  j["map"] = text(g.map.value_or(""));
  j["gameType"] = text(Specs::games.at(static_cast<size_t>(g.gameType)));
  j["teamGame"] = g.teamGame;

  // The teams with players, and each team's index among them.
  std::unordered_map<int32_t, size_t> teamIndex;
  Json teams = Json::array();
  if (g.teamGame) {
    for (const auto& t : g.teamTotals) {
      const bool hasPlayers = std::any_of(g.playersByRank.begin(), g.playersByRank.end(),
                                          [&](const Player* p) { return p->team == t->uid; });
      if (!hasPlayers) continue;
      Json team = Json::object();
      team["name"] = text(t->name);
      team["number"] = t->uid;
      if (g.gameType == Specs::kDomination)
        team["score"] = t->all.score;
      else if (g.gameType == Specs::kCaptureTheFlag)
        team["score"] = t->all.flagCaptures;
      else
        team["score"] = t->all.frags;
      team["frags"] = t->all.frags;
      team["won"] = t->uid == g.winningTeam;
      teamIndex[t->uid] = teams.size();
      teams.push_back(std::move(team));
    }
  }
  j["teams"] = std::move(teams);

  auto careerUid = [&](const Player& p) -> Json {
    const HashEntry* e = totals_.plist.find(HashEntry::key(p.name, p.isABot));
    return e == nullptr ? Json(nullptr) : Json(e->uid);
  };
  if (!g.teamGame && !g.playersByRank.empty()) {
    const Player& w = *g.playersByRank.front();
    j["winner"] = Json{{"uid", careerUid(w)}, {"name", text(w.name)}, {"bot", w.isABot}};
  } else {
    j["winner"] = nullptr;
  }

  Json players = Json::array();
  for (const Player* p : g.playersByRank) {
    const PStats& s = p->all;
    Json line = Json::object();
    line["rank"] = p->rank;
    line["uid"] = careerUid(*p);
    line["number"] = p->uid;
    line["name"] = text(p->name);
    line["bot"] = p->isABot;
    auto team = teamIndex.find(p->team);
    line["team"] = team == teamIndex.end() ? Json(nullptr) : Json(team->second);
    line["score"] = isScored(g) ? Json(s.score) : Json(nullptr);
    line["frags"] = s.frags;
    line["kills"] = s.kills;
    line["deaths"] = s.deaths;
    line["suicides"] = s.suicides;
    line["teamKills"] = s.tkills;
    line["teamDeaths"] = s.tdeaths;
    line["efficiency"] = s.kills > 0 ? games::bf::HighScores::efficiency(s) : 0.0;
    line["fragsPerHour"] = perHour(s.frags, s.totalTime);
    line["timeToLive"] = s.totalTime / (static_cast<double>(s.deaths) + s.suicides + s.tdeaths + 1);
    line["ping"] = p->isABot || s.pingNum == 0 ? Json(nullptr) : Json(s.pingTime / s.pingNum);
    line["time"] = s.totalTime;
    Json sprees = Json::array();
    for (size_t k = 0; k < Specs::kSprees; ++k)
      sprees.push_back(k < p->sprees.size() ? p->sprees[k].uses : 0);
    line["sprees"] = std::move(sprees);
    players.push_back(std::move(line));
  }
  j["players"] = std::move(players);
  return j;
}

Json SiteData::matchSamples(const Game& g) const { return matchSamples(g, matchEntry(g)); }

Json SiteData::matchSamples(const Game& g, const Json& entry) {
  static const char* const kLabels[] = {"Frags", "Score", "Lives"};
  Json j = Json::object();
  j["format"] = kFormat;
  j["time"] = g.time;
  j["interval"] = g.gameInt;
  j["label"] = kLabels[std::clamp(GameHtml::bigGraphLabel(g), 0, 2)];
  const std::vector<std::vector<double>> lines = GameHtml::bigGraphLines(g);
  Json list = Json::array();
  for (size_t i = 0; i < lines.size() && i < entry["players"].size(); ++i) {
    const Json& p = entry["players"][i];
    list.push_back(Json{{"rank", p["rank"]},
                        {"uid", p["uid"]},
                        {"name", p["name"]},
                        {"bot", p["bot"]},
                        {"team", p["team"]},
                        {"values", values(lines[i])}});
  }
  j["lines"] = std::move(list);
  Json teams = Json::array();
  if (g.teamGame && !detail::isLastManStanding(g)) {
    const std::vector<std::vector<double>> teamLines = GameHtml::smallGraphLines(g);
    for (size_t i = 0; i < teamLines.size() && i < g.teamTotals.size(); ++i)
      teams.push_back(Json{{"name", text(g.teamTotals[i]->name)},
                           {"number", g.teamTotals[i]->uid},
                           {"values", values(teamLines[i])}});
  }
  j["teams"] = std::move(teams);
  return j;
}

void SiteData::addMatch(const Game& g) {
  Debug::print("I SiteData.addMatch", 2);
  try {
    const Json& entry = newMatches_[g.time] = matchEntry(g);
    programs::vardo::SiteFiles::makeDirectories(folder() + "match");
    writeSet("match/" + std::to_string(g.time), matchSamples(g, entry));
    // Only the newest can still be among the kept matches at the end.
    const auto keep = static_cast<size_t>(std::max(config::numGamesToSave(), 0));
    while (newMatches_.size() > keep) newMatches_.erase(newMatches_.begin());
  } catch (const std::exception& e) {
    util::traceFailure("SiteData", "addMatch", e);
  }
  Debug::print("O SiteData.addMatch", 2);
}

size_t SiteData::keptMatches() const {
  return static_cast<size_t>(std::clamp<int64_t>(config::numGamesToSave(), 0,
                                                 static_cast<int64_t>(totals_.gameList.size())));
}

void SiteData::writeMatches() {
  const size_t kept = keptMatches();
  std::map<int64_t, Json> earlier;
  if (std::optional<Json> previous = readSet("matches")) {
    Json& matches = (*previous)["matches"];
    if (matches.is_array())
      for (Json& m : matches) {
        const Json& time = member(m, "time");
        if (time.is_number_integer()) earlier.emplace(time.get<int64_t>(), std::move(m));
      }
  }
  Json list = Json::array();
  std::set<std::string> keptNames;
  for (size_t i = 0; i < kept; ++i) {
    const int64_t time = totals_.gameList[i];
    keptNames.insert(std::to_string(time));
    if (auto m = newMatches_.find(time); m != newMatches_.end()) {
      list.push_back(m->second);
    } else if (auto e = earlier.find(time); e != earlier.end()) {
      list.push_back(e->second);
    } else {
      // Counted before the data was written: what the game database keeps.
      auto at = [&](const std::vector<std::string>& v) {
        return i < v.size() ? text(v[i]) : Json("");
      };
      list.push_back(Json{{"time", time},
                          {"date", at(totals_.gameDateList)},
                          {"server", nullptr},
                          {"map", at(totals_.gameMapList)},
                          {"gameType", at(totals_.gameTypeList)},
                          {"teamGame", false},
                          {"teams", Json::array()},
                          {"winner", nullptr},
                          {"players", Json::array()}});
    }
  }
  writeSet("matches", Json{{"format", kFormat}, {"matches", std::move(list)}});

  // The samples of matches no longer kept go with their pages.
  const std::string dir = folder() + "match";
  if (!platform::os().isDirectory(dir)) return;
  for (const std::string& entry : platform::os().listDirectory(dir)) {
    const size_t dot = entry.find('.');
    const std::string stem = entry.substr(0, dot);
    const std::string suffix = dot == std::string::npos ? "" : entry.substr(dot);
    if (!isDigits(stem) || (suffix != ".json" && suffix != ".js")) continue;
    if (keptNames.count(stem) != 0) continue;
    if (!platform::os().removePath(dir + "/" + entry))
      util::traceError("SiteData", "writeMatches", "cannot remove " + dir + "/" + entry);
  }
}

}  // namespace programs::vardobf::output
