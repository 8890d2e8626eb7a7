#include "tools/matchdump/MatchDump.h"

namespace tools {
namespace {

using games::bf::Game;
using games::bf::HighScores;
using games::bf::Player;
using games::bf::PStats;
using util::Json;
using util::jsonNumber;
using util::jsonText;
using util::jsonTextOrNull;

template <class C>
Json numbers(const C& values) {
  Json list = Json::array();
  for (double v : values) list.push_back(jsonNumber(v));
  return list;
}

Json stats(const PStats& s) {
  Json j = Json::object();
  j["desc"] = jsonText(s.desc);
  j["reasonStopped"] = jsonText(s.reasonStopped);
  j["startTime"] = jsonNumber(s.startTime);
  j["stopTime"] = jsonNumber(s.stopTime);
  j["totalTime"] = jsonNumber(s.totalTime);
  j["frags"] = s.frags;
  j["kills"] = s.kills;
  j["deaths"] = s.deaths;
  j["tkills"] = s.tkills;
  j["tdeaths"] = s.tdeaths;
  j["suicides"] = s.suicides;
  j["items"] = s.items;
  j["pingTime"] = s.pingTime;
  j["pingNum"] = s.pingNum;
  j["myFrags"] = s.myFrags;
  j["myFragsOppW"] = s.myFragsOppW;
  j["myKills"] = s.myKills;
  j["myKillsOppW"] = s.myKillsOppW;
  j["myDeaths"] = s.myDeaths;
  j["myDeathsOppW"] = s.myDeathsOppW;
  j["myWSuicides"] = s.myWSuicides;
  j["mySuicides"] = s.mySuicides;
  j["itemGets"] = s.itemGets;
  j["playerKills"] = s.playerKills ? Json(*s.playerKills) : Json(nullptr);
  j["playerDeaths"] = s.playerDeaths ? Json(*s.playerDeaths) : Json(nullptr);
  j["uses"] = s.uses;
  j["teamWins"] = s.teamWins;
  j["teamLosses"] = s.teamLosses;
  j["flagCaptures"] = s.flagCaptures;
  j["flagDrops"] = s.flagDrops;
  j["flagPickups"] = s.flagPickups;
  j["flagReturns"] = s.flagReturns;
  j["flagAssists"] = s.flagAssists;
  j["flagKills"] = s.flagKills;
  j["controlPointCaptures"] = s.controlPointCaptures;
  j["flagTakens"] = s.flagTakens;
  j["headShots"] = s.headShots;
  j["dKills"] = s.dKills;
  j["muKills"] = s.muKills;
  j["uKills"] = s.uKills;
  j["moKills"] = s.moKills;
  j["firstBlood"] = s.firstBlood;
  j["blink"] = s.blink;
  j["blinkThrow"] = s.blinkThrow;
  j["blinkFail"] = s.blinkFail;
  j["score"] = jsonNumber(s.score);
  j["killLevel"] = s.killLevel;
  j["killTime"] = jsonNumber(s.killTime);
  j["domOffset"] = jsonNumber(s.domOffset);
  return j;
}

Json statsList(const std::vector<PStats>& list) {
  Json j = Json::array();
  for (const PStats& s : list) j.push_back(Json::object({{"stats", stats(s)}}));
  return j;
}

Json player(const Player& p, bool team) {
  Json j = Json::object();
  j["name"] = jsonText(p.name);
  if (team) j["nameAbsent"] = Game::nameAbsent(p);
  j["secret"] = jsonText(p.secret);
  j["isABot"] = p.isABot;
  j["uid"] = p.uid;
  j["rank"] = p.rank;
  j["skill"] = p.skill;
  j["team"] = p.team;
  j["teamName"] = jsonTextOrNull(p.teamName);
  j["inGame"] = p.inGame;
  j["loc"] = p.loc;
  j["cpc"] = p.cpc;
  j["sot"] = numbers(p.sot);
  j["all"] = stats(p.all);
  j["vsHumans"] = stats(p.vsHumans);
  j["vsBots"] = stats(p.vsBots);
  j["sprees"] = statsList(p.sprees);
  j["hsprees"] = statsList(p.hsprees);
  j["pickups"] = statsList(p.pickups);
  j["hpickups"] = statsList(p.hpickups);
  j["itemInfo"] = statsList(p.itemInfo);
  j["itemHInfo"] = statsList(p.itemHInfo);
  return j;
}

Json highScores(const HighScores& h) {
  Json j = Json::object();
  const std::pair<const char*, const HighScores::Holders*> single[] = {
      {"MostFrags", &h.MostFrags},
      {"MostKills", &h.MostKills},
      {"LeastDeaths", &h.LeastDeaths},
      {"LeastSuicides", &h.LeastSuicides},
      {"HighEff", &h.HighEff},
      {"MostCPCs", &h.MostCPCs},
      {"MostFC", &h.MostFC},
      {"MostFR", &h.MostFR},
      {"MostFD", &h.MostFD},
      {"MostFP", &h.MostFP},
      {"MostFK", &h.MostFK},
      {"MostFA", &h.MostFA},
      {"MostHS", &h.MostHS},
      {"LeastFrags", &h.LeastFrags},
      {"LeastKills", &h.LeastKills},
      {"MostDeaths", &h.MostDeaths},
      {"MostSuicides", &h.MostSuicides},
      {"LowEff", &h.LowEff}};
  for (const auto& [name, list] : single) j[name] = *list;
  // One list of holders per row, as arrays of arrays.
  j["KillsHoldingWeapon"] = h.KillsHoldingWeapon;
  j["DeathsByWeapon"] = h.DeathsByWeapon;
  j["DeathsHoldingWeapon"] = h.DeathsHoldingWeapon;
  j["Suicides"] = h.Suicides;
  j["WeaponSuicides"] = h.WeaponSuicides;
  j["Sprees"] = h.Sprees;
  j["Pickups"] = h.Pickups;
  j["ItemsByType"] = h.ItemsByType;
  return j;
}

}  // namespace

Json playerToJson(const Player& p) { return player(p, false); }

std::string matchToJson(const Game& g) {
  Json j = Json::object();
  j["validGame"] = g.validGame;
  j["validLibs"] = g.validLibs;
  j["validClass"] = g.validClass;
  j["validMutator"] = g.validMutator;
  j["validVersion"] = g.validVersion;
  j["time"] = g.time;
  j["date"] = jsonTextOrNull(g.date);
  j["servername"] = jsonTextOrNull(g.servername);
  j["port"] = jsonTextOrNull(g.port);
  j["map"] = jsonTextOrNull(g.map);
  j["gameString"] = jsonText(g.gameString);
  j["gameType"] = g.gameType;
  j["teamGame"] = g.teamGame;
  j["timelimit"] = jsonText(g.timelimit);
  j["fraglimit"] = jsonText(g.fraglimit);
  j["goalTeamScore"] = jsonText(g.goalTeamScore);
  j["weaponsStay"] = jsonText(g.weaponsStay);
  j["jumpMatch"] = jsonText(g.jumpMatch);
  j["airControl"] = jsonText(g.airControl);
  j["useBlinker"] = jsonText(g.useBlinker);
  j["tournamentMode"] = jsonText(g.tournamentMode);
  j["netMode"] = jsonText(g.netMode);
  j["friendlyFire"] = jsonText(g.friendlyFire);
  j["hardCore"] = g.hardCore;
  j["megaSpeed"] = g.megaSpeed;
  j["gameSpeed"] = jsonText(g.gameSpeed);
  j["gameClass"] = jsonText(g.gameClass);
  j["gameMutator"] = util::jsonTexts(g.gameMutator);
  j["gameVersion"] = jsonTextOrNull(g.gameVersion);
  j["assaultCode"] = jsonText(g.assaultCode);
  j["assaultPart"] = g.assaultPart;
  j["assaultDefender"] = g.assaultDefender;
  j["assaultSucceeded"] = g.assaultSucceeded;
  j["endType"] = jsonTextOrNull(g.endType);
  j["gameStart"] = jsonNumber(g.gameStart);
  j["gameLength"] = jsonNumber(g.gameLength);
  j["gameInt"] = jsonNumber(g.gameInt);
  j["winningTeam"] = g.winningTeam;
  j["firstBlood"] = g.firstBlood;
  j["lmsLimit"] = g.lmsLimit;
  j["lmsDeaths"] = g.lmsDeaths;
  j["cpName"] = util::jsonTexts(g.cpName);
  Json teams = Json::array();
  for (const auto& t : g.teamTotals) teams.push_back(player(*t, true));
  j["teamTotals"] = std::move(teams);
  Json players = Json::array();
  for (const Player* p : g.playersByUID) players.push_back(player(*p, false));
  j["playersByUID"] = std::move(players);
  Json ranks = Json::array();
  for (const Player* p : g.playersByRank) ranks.push_back(p->uid);
  j["playersByRank"] = std::move(ranks);
  j["gameTotals"] = player(g.gameTotals, false);
  j["humanTotals"] = player(g.humanTotals, false);
  j["hs"] = highScores(g.hs);
  return util::jsonDump(j) + "\n";
}

}  // namespace tools
