// The tables of the player pages, and the weapon tables of the match.

#include "games/bf/HighScores.h"
#include "games/bf/Specs.h"
#include "programs/vardobf/output/CommonTables.h"
#include "programs/vardobf/output/GameTables.h"
#include "programs/vardobf/output/GameTablesDetail.h"
#include "programs/vardobf/output/SortVs.h"
#include "programs/vardobf/output/TableHtml.h"
#include "util/QuickSort.h"

namespace programs::vardobf::output {

using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using namespace detail;

namespace {

const char* const kFlagHeadings[] = {"Flag<br>Captures", "Flag<br>Kills",   "Flag<br>Assists",
                                     "Flag<br>Saves",    "Flag<br>Pickups", "Flag<br>Drops"};

}  // namespace

std::string GameTables::reasonText(const PStats& e) const {
  const std::string& r = e.reasonStopped;
  if (r == "Suicide") {
    for (size_t w = 0; w < Specs::kWeapons; ++w)
      if (e.myWSuicides[w] > 0) return "Suicide by " + weaponName(w);
    for (size_t s = 0; s < Specs::kSuicides; ++s)
      if (e.mySuicides[s] > 0) return "Suicide by " + Specs::suicides[s];
    return "Suicide by ";
  }
  if (r == "Killed") {
    std::string killer;
    if (e.playerDeaths)
      for (size_t i = 0; i < e.playerDeaths->size(); ++i)
        if ((*e.playerDeaths)[i] > 0) {
          if (const Player* p = byUid(static_cast<int32_t>(i)))
            killer = TableHtml::htmlText(p->name);
          break;
        }
    std::string weapon;
    for (size_t w = 0; w < Specs::kWeapons; ++w)
      if (e.myDeathsOppW[w] > 0) {
        weapon = weaponName(w);
        break;
      }
    return "Killed by " + killer + " with a " + weapon;
  }
  if (r == "GameEnd") return "Game Ended";
  if (r == "Disconnected" || r == "Deactivated") return r;
  return "";
}

Table GameTables::episodeTable(const Player& p, bool spreeEpisodes) const {
  Table t;
  if (spreeEpisodes)
    t.push_back({{heading("Spree Type")},
                 {heading("Start Time")},
                 {heading("Time in Spree")},
                 {heading("Kills During Spree")},
                 {heading("Reason Spree Stopped")}});
  else
    t.push_back({{heading("Item Type")},
                 {heading("Start Time")},
                 {heading("Time Using Item")},
                 {heading("Kills During Use")},
                 {heading("Reason Item Stopped")}});
  for (const PStats& e : p.itemInfo) {
    bool isSpree = Specs::loc(Specs::sprees, e.desc) >= 0;
    bool isPickup = Specs::loc(Specs::pickups, e.desc) >= 0;
    if (spreeEpisodes ? !isSpree : !isPickup) continue;
    t.push_back({{label(e.desc)},
                 {value(fmt.format(e.startTime - g_.gameStart))},
                 {value(fmt.format(e.totalTime))},
                 {value(num(e.kills))},
                 {value(reasonText(e))}});
  }
  return t;
}

void GameTables::mPlayerSummary() {
  build("mPlayerSummary", [&] {
    const bool team = g_.teamGame;
    const bool scored = isCTF() || isDom();
    for (const Player* p : g_.playersByUID) {
      const PStats& s = p->all;
      Row h{{heading("Rank")}, {TableEntry("Player", render::kHeading, 1, team ? 2 : 1)}};
      Row r{{label(num(p->rank))}, {nameEntry(*p)}};
      if (team) r.push_back({teamColour(p->team, 10, 0)});
      auto col = [&](const char* name, const std::string& v) {
        h.push_back({heading(name)});
        r.push_back({value(v)});
      };
      if (scored) col("Score", score(*p));
      col("Frags", num(s.frags));
      col("Kills", num(s.kills));
      col("Deaths", num(s.deaths));
      col("Suicides", num(s.suicides));
      if (team) {
        col("TK", num(s.tkills));
        col("TD", num(s.tdeaths));
      }
      col("Efficiency", efficiency(s));
      col("Avg.<br>FPH",
          s.totalTime == 0.0 ? fmt.format(0.0) : fmt.format(s.frags * 3600.0 / s.totalTime));
      col("Avg.<br>TTL",
          fmt.format(s.totalTime / (static_cast<double>(s.deaths) + s.suicides + s.tdeaths + 1)));
      col("Ping", p->isABot || s.pingNum == 0 ? "N/A" : num(s.pingTime / s.pingNum));
      col("Time", fmt.format(s.totalTime / 60));
      playerSummary.push_back({std::move(h), std::move(r)});
    }
  });
}

void GameTables::mPlayerWeapons() {
  build("mPlayerWeapons", [&] {
    for (const Player* p : g_.playersByUID)
      playerWeapons.push_back(CommonTables::weaponTable(p->all, fmt));
    gameWeapons = CommonTables::weaponTable(g_.gameTotals.all, fmt);
  });
}

void GameTables::mPlayerSuicides() {
  build("mPlayerSuicides", [&] {
    for (const Player* p : g_.playersByUID)
      playerSuicides.push_back(CommonTables::suicideTable(p->all));
  });
}

void GameTables::mPlayerPlayer() {
  build("mPlayerPlayer", [&] {
    const bool team = g_.teamGame;
    for (const Player* p : g_.playersByUID) {
      // Opponents in rank order before the sort, so that rows of equal
      // kills and deaths keep the order of the ranking.
      std::vector<SortVs> rows;
      for (const Player* o : g_.playersByRank) rows.emplace_back(p->all, o->uid);
      sortAll<SortVs::By>(rows);
      Table t{{{TableEntry("Opponent", render::kHeading, 1, team ? 2 : 1)},
               {heading("Kills")},
               {heading("Deaths")},
               {heading("Efficiency")}}};
      for (const SortVs& r : rows) {
        if (r.kills == 0 && r.deaths == 0) continue;
        const Player* o = byUid(r.num);
        if (o == nullptr) continue;
        Row row{{nameEntry(*o)}};
        if (team) row.push_back({teamColour(o->team, 10, 0)});
        row.push_back({value(num(r.kills))});
        row.push_back({value(num(r.deaths))});
        row.push_back({value(fmt.format(r.eff) + "%")});
        t.push_back(std::move(row));
      }
      playerPlayer.push_back(std::move(t));
    }
  });
}

void GameTables::mPlayerSpree() {
  build("mPlayerSpree", [&] {
    for (const Player* p : g_.playersByUID) playerSpree.push_back(episodeTable(*p, true));
  });
}

void GameTables::mPlayerPickup() {
  build("mPlayerPickup", [&] {
    for (const Player* p : g_.playersByUID) playerPickup.push_back(episodeTable(*p, false));
  });
}

void GameTables::mPlayerItem() {
  build("mPlayerItem", [&] {
    for (const Player* p : g_.playersByUID)
      playerItem.push_back(
          CommonTables::itemTable({p->all.itemGets.begin(), p->all.itemGets.end()}));
  });
}

void GameTables::mPlayerMisc() {
  build("mPlayerMisc", [&] {
    for (const Player* p : g_.playersByUID)
      playerMisc.push_back(miscTable(p->all, Cell{value(p->all.firstBlood > 0 ? "Yes" : "No")}));
  });
}

void GameTables::mPlayerCPC() {
  build("mPlayerCPC", [&] {
    for (const Player* p : g_.playersByUID) {
      Table t{{{heading("Control Point")}, {heading("Captures")}}};
      for (size_t i = 0; i < g_.cpName.size(); ++i)
        t.push_back({{label(TableHtml::htmlText(g_.cpName[i]))},
                     {value(num(i < p->cpc.size() ? p->cpc[i] : 0))}});
      playerCPC.push_back(std::move(t));
    }
  });
}

void GameTables::mPlayerCTF() {
  build("mPlayerCTF", [&] {
    for (const Player* p : g_.playersByUID) {
      const PStats& s = p->all;
      Row h{{heading("Rank")}, {heading("Score")}};
      for (const char* f : kFlagHeadings) h.push_back({heading(f)});
      Row r{{label(num(p->rank))}, {value(num(static_cast<int64_t>(s.score)))}};
      for (int64_t v :
           {int64_t{s.flagCaptures}, int64_t{s.flagKills}, int64_t{s.flagAssists},
            int64_t{s.flagReturns}, int64_t{s.flagPickups} + s.flagTakens, int64_t{s.flagDrops}})
        r.push_back({value(num(v))});
      playerCTF.push_back({std::move(h), std::move(r)});
    }
  });
}

}  // namespace programs::vardobf::output
