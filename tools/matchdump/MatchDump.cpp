#include "tools/matchdump/MatchDump.h"

#include "tools/matchdump/JsonWriter.h"

namespace tools {
namespace {

using games::bf::Game;
using games::bf::HighScores;
using games::bf::Player;
using games::bf::PStats;

void writeStats(JsonWriter& j, const std::string& k, const PStats& s) {
  j.key(k);
  j.beginObject();
  j.field("desc", s.desc);
  j.field("reasonStopped", s.reasonStopped);
  j.field("startTime", s.startTime);
  j.field("stopTime", s.stopTime);
  j.field("totalTime", s.totalTime);
  j.field("frags", s.frags);
  j.field("kills", s.kills);
  j.field("deaths", s.deaths);
  j.field("tkills", s.tkills);
  j.field("tdeaths", s.tdeaths);
  j.field("suicides", s.suicides);
  j.field("items", s.items);
  j.field("pingTime", s.pingTime);
  j.field("pingNum", s.pingNum);
  j.array("myFrags", s.myFrags);
  j.array("myFragsOppW", s.myFragsOppW);
  j.array("myKills", s.myKills);
  j.array("myKillsOppW", s.myKillsOppW);
  j.array("myDeaths", s.myDeaths);
  j.array("myDeathsOppW", s.myDeathsOppW);
  j.array("myWSuicides", s.myWSuicides);
  j.array("mySuicides", s.mySuicides);
  j.array("itemGets", s.itemGets);
  for (const auto& [name, list] :
       {std::pair{"playerKills", &s.playerKills}, std::pair{"playerDeaths", &s.playerDeaths}}) {
    if (*list)
      j.array(name, **list);
    else
      j.field(name, std::optional<std::string>());
  }
  j.field("uses", s.uses);
  j.field("teamWins", s.teamWins);
  j.field("teamLosses", s.teamLosses);
  j.field("flagCaptures", s.flagCaptures);
  j.field("flagDrops", s.flagDrops);
  j.field("flagPickups", s.flagPickups);
  j.field("flagReturns", s.flagReturns);
  j.field("flagAssists", s.flagAssists);
  j.field("flagKills", s.flagKills);
  j.field("controlPointCaptures", s.controlPointCaptures);
  j.field("flagTakens", s.flagTakens);
  j.field("headShots", s.headShots);
  j.field("dKills", s.dKills);
  j.field("muKills", s.muKills);
  j.field("uKills", s.uKills);
  j.field("moKills", s.moKills);
  j.field("firstBlood", s.firstBlood);
  j.field("blink", s.blink);
  j.field("blinkThrow", s.blinkThrow);
  j.field("blinkFail", s.blinkFail);
  j.field("score", s.score);
  j.field("killLevel", s.killLevel);
  j.field("killTime", s.killTime);
  j.field("domOffset", s.domOffset);
  j.endObject();
}

void writeStatsList(JsonWriter& j, const std::string& k, const std::vector<PStats>& list) {
  j.key(k);
  j.beginArray();
  for (size_t i = 0; i < list.size(); ++i) {
    j.beginObject();
    writeStats(j, "stats", list[i]);
    j.endObject();
  }
  j.endArray();
}

void writePlayer(JsonWriter& j, const Player& p, bool team) {
  j.beginObject();
  j.field("name", p.name);
  if (team) j.field("nameAbsent", Game::nameAbsent(p));
  j.field("secret", p.secret);
  j.field("isABot", p.isABot);
  j.field("uid", p.uid);
  j.field("rank", p.rank);
  j.field("skill", p.skill);
  j.field("team", p.team);
  j.field("teamName", p.teamName);
  j.field("inGame", p.inGame);
  j.field("loc", p.loc);
  j.array("cpc", p.cpc);
  j.array("sot", p.sot);
  writeStats(j, "all", p.all);
  writeStats(j, "vsHumans", p.vsHumans);
  writeStats(j, "vsBots", p.vsBots);
  writeStatsList(j, "sprees", p.sprees);
  writeStatsList(j, "hsprees", p.hsprees);
  writeStatsList(j, "pickups", p.pickups);
  writeStatsList(j, "hpickups", p.hpickups);
  writeStatsList(j, "itemInfo", p.itemInfo);
  writeStatsList(j, "itemHInfo", p.itemHInfo);
  j.endObject();
}

template <class C>
void holdersPerRow(JsonWriter& j, const std::string& k, const C& rows) {
  j.key(k);
  j.beginArray();
  for (const auto& r : rows) {
    j.beginArray();
    for (int32_t u : r) j.value(u);
    j.endArray();
  }
  j.endArray();
}

void writeHighScores(JsonWriter& j, const HighScores& h) {
  j.key("hs");
  j.beginObject();
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
  for (const auto& [name, list] : single) j.array(name, *list);
  holdersPerRow(j, "KillsHoldingWeapon", h.KillsHoldingWeapon);
  holdersPerRow(j, "DeathsByWeapon", h.DeathsByWeapon);
  holdersPerRow(j, "DeathsHoldingWeapon", h.DeathsHoldingWeapon);
  holdersPerRow(j, "Suicides", h.Suicides);
  holdersPerRow(j, "WeaponSuicides", h.WeaponSuicides);
  holdersPerRow(j, "Sprees", h.Sprees);
  holdersPerRow(j, "Pickups", h.Pickups);
  j.array("ItemsByType", h.ItemsByType);
  j.endObject();
}

}  // namespace

void writePlayerJson(JsonWriter& j, const Player& p) { writePlayer(j, p, false); }

std::string matchToJson(const Game& g) {
  JsonWriter j;
  j.beginObject();
  j.field("validGame", g.validGame);
  j.field("validLibs", g.validLibs);
  j.field("validClass", g.validClass);
  j.field("validMutator", g.validMutator);
  j.field("validVersion", g.validVersion);
  j.field("time", g.time);
  j.field("date", g.date);
  j.field("servername", g.servername);
  j.field("port", g.port);
  j.field("map", g.map);
  j.field("gameString", g.gameString);
  j.field("gameType", g.gameType);
  j.field("teamGame", g.teamGame);
  j.field("timelimit", g.timelimit);
  j.field("fraglimit", g.fraglimit);
  j.field("goalTeamScore", g.goalTeamScore);
  j.field("weaponsStay", g.weaponsStay);
  j.field("jumpMatch", g.jumpMatch);
  j.field("airControl", g.airControl);
  j.field("useBlinker", g.useBlinker);
  j.field("tournamentMode", g.tournamentMode);
  j.field("netMode", g.netMode);
  j.field("friendlyFire", g.friendlyFire);
  j.field("hardCore", g.hardCore);
  j.field("megaSpeed", g.megaSpeed);
  j.field("gameSpeed", g.gameSpeed);
  j.field("gameClass", g.gameClass);
  j.array("gameMutator", g.gameMutator);
  j.field("gameVersion", g.gameVersion);
  j.field("assaultCode", g.assaultCode);
  j.field("assaultPart", g.assaultPart);
  j.field("assaultDefender", g.assaultDefender);
  j.field("assaultSucceeded", g.assaultSucceeded);
  j.field("endType", g.endType);
  j.field("gameStart", g.gameStart);
  j.field("gameLength", g.gameLength);
  j.field("gameInt", g.gameInt);
  j.field("winningTeam", g.winningTeam);
  j.field("firstBlood", g.firstBlood);
  j.field("lmsLimit", g.lmsLimit);
  j.array("lmsDeaths", g.lmsDeaths);
  j.array("cpName", g.cpName);
  j.key("teamTotals");
  j.beginArray();
  for (const auto& t : g.teamTotals) writePlayer(j, *t, true);
  j.endArray();
  j.key("playersByUID");
  j.beginArray();
  for (const Player* p : g.playersByUID) writePlayer(j, *p, false);
  j.endArray();
  j.key("playersByRank");
  j.beginArray();
  for (const Player* p : g.playersByRank) j.value(p->uid);
  j.endArray();
  j.key("gameTotals");
  writePlayer(j, g.gameTotals, false);
  j.key("humanTotals");
  writePlayer(j, g.humanTotals, false);
  writeHighScores(j, g.hs);
  j.endObject();
  return j.text() + "\n";
}

}  // namespace tools
