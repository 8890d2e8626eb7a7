// The career pages: their tables, built from cumulative players, and the
// page around them.
#include <gtest/gtest.h>

#include "TestDir.h"
#include "games/bf/Specs.h"
#include "output/PageFixture.h"
#include "programs/vardobf/output/FrameHtml.h"
#include "programs/vardobf/output/PlayerHtml.h"
#include "programs/vardobf/output/PlayerTables.h"

namespace programs::vardobf::output {
namespace {

using games::bf::Game;
using games::bf::Player;
using games::bf::PStats;
using games::bf::Specs;
using testing_support::Log;

constexpr int32_t kRows = static_cast<int32_t>(Specs::kGames);

class PlayerPagesTest : public testing_support::PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    FrameHtml::init();
  }
  // The cumulative player of the match player called `name`, as the totals
  // fold a match in.
  static Player career(const Game& g, const std::string& name) {
    Player c(0.0);
    c.name = name;
    for (const auto& p : g.plist)
      if (p->name == name) {
        c.isABot = p->isABot;
        c.update(*p);
        c.games[static_cast<size_t>(g.gameType)].update(p->all);
      }
    return c;
  }
  static Player named(const std::string& name, bool bot = false) {
    Player p(0.0);
    p.name = name;
    p.isABot = bot;
    return p;
  }
  // Ann kills Bo twice, Bo kills Ann once and blows himself up.
  static Log duel() {
    Log l;
    l("0|game|GameName|Arena DeathMatch").connect(1, "Ann").connect(2, "Bo")("0|game_start");
    l.kill(10, 1, 2).kill(20, 1, 2).kill(30, 2, 1);
    l("40|suicide|2|Rocket Launcher|RocketBlast|self")("120|game_end|timelimit");
    return l;
  }
  static std::string text(const Table& t, size_t r, size_t c) { return t.at(r).at(c).front().val; }
  // The row whose first cell reads `label`.
  static const Row& row(const Table& t, const std::string& label) {
    for (const Row& r : t)
      if (!r.empty() && r.front().front().val == label) return r;
    ADD_FAILURE() << "no row " << label;
    return t.front();
  }
  static std::vector<std::string> texts(const Row& r) {
    std::vector<std::string> out;
    for (const Cell& c : r) out.push_back(c.front().val);
    return out;
  }
  static std::string notice(const std::string& text) {
    return "<table><tr><td valign=middle width=250 class=s>" + text + "</td></tr></table>";
  }
  static const Table& careerSummary(const PlayerTables& t) {
    return *t.pSummary.at(static_cast<size_t>(t.GameType));
  }
};

// ---------------------------------------------------------------------------
// The career summary

TEST_F(PlayerPagesTest, CareerSummaryOfARealPlayerFromAReplayedMatch) {
  auto g = replay(duel());
  Player ann = career(*g, "Ann");
  PlayerTables t(ann, 1, kRows);
  const Table& s = careerSummary(t);
  ASSERT_EQ(s.size(), 2u + 7u);  // title, headings, six types and the totals
  EXPECT_EQ(text(s, 0, 0), "Career Summary");
  EXPECT_EQ(s[0][0].front().colspan, 16);
  EXPECT_EQ(s[0][0].front().type, 12);
  EXPECT_EQ(texts(s[1]), (std::vector<std::string>{"Game Type", "Score", "F", "K", "D", "S", "TK",
                                                   "TD", "Eff", "Avg FPH", "Avg TTL", "Ping",
                                                   "Wins", "Losses", "Games", "Hours"}));
  // The catalog's types in order, the single-player type left out.
  std::vector<std::string> labels;
  for (size_t r = 2; r < s.size(); ++r) labels.push_back(text(s, r, 0));
  EXPECT_EQ(labels, (std::vector<std::string>{"DeathMatch", "CTF", "Domination", "Assault",
                                              "TeamGame", "LMS", "Totals"}));
  // 2 kills, 1 death in 120 s: 66.7 %, 60 frags an hour, 120 / 2 s to live;
  // she won the match.
  EXPECT_EQ(texts(row(s, "DeathMatch")),
            (std::vector<std::string>{"DeathMatch", "-", "2", "2", "1", "0", "-", "-", "66.7%",
                                      "60.0", "60.0", "N/A", "1", "0", "1", "0.0"}));
  EXPECT_EQ(texts(row(s, "Totals")),
            (std::vector<std::string>{"Totals", "-", "2", "2", "1", "0", "0", "0", "66.7%", "60.0",
                                      "60.0", "N/A", "1", "0", "1", "0.0"}));
  EXPECT_EQ(s[2][0].front().type, 3);
  EXPECT_EQ(s[2][1].front().type, 1);
}

TEST_F(PlayerPagesTest, ATypeNeverPlayedShowsZeros) {
  auto g = replay(duel());
  Player ann = career(*g, "Ann");
  PlayerTables t(ann, 1, kRows);
  // No time: no division by it.
  EXPECT_EQ(texts(row(careerSummary(t), "Domination")),
            (std::vector<std::string>{"Domination", "0.0", "0", "0", "0", "0", "0", "0", "0.0%",
                                      "0.0", "0.0", "N/A", "0", "0", "0", "0.0"}));
  EXPECT_EQ(texts(row(careerSummary(t), "LMS")),
            (std::vector<std::string>{"LMS", "-", "0", "0", "0", "0", "-", "-", "0.0%", "0.0",
                                      "0.0", "N/A", "0", "0", "0", "0.0"}));
}

TEST_F(PlayerPagesTest, SummaryCellsFollowTheirGameType) {
  Player p = named("Cy");
  PStats& ctf = p.games[Specs::kCaptureTheFlag];
  ctf.score = 12.5;
  ctf.kills = 3;
  ctf.deaths = 1;
  ctf.tkills = 2;  // team kills do not lower the efficiency
  ctf.tdeaths = 1;
  ctf.totalTime = 720;
  ctf.frags = 4;
  ctf.pingTime = 250;
  ctf.pingNum = 3;
  ctf.teamWins = 5;
  ctf.teamLosses = 2;
  ctf.uses = 7;
  PlayerTables t(p, 1, kRows);
  EXPECT_EQ(texts(row(careerSummary(t), "CTF")),
            (std::vector<std::string>{"CTF", "12.5", "4", "3", "1", "0", "2", "1", "75.0%", "20.0",
                                      "240.0", "83", "5", "2", "7", "0.2"}));
  // The same record as a bot's: no ping.
  p.isABot = true;
  PlayerTables bot(p, 1, kRows);
  EXPECT_EQ(row(careerSummary(bot), "CTF").at(11).front().val, "N/A");
}

TEST_F(PlayerPagesTest, AggregateSummaryHasNoWinsOrLosses) {
  Player bots = named("All Bots", true);
  bots.all.teamWins = 9;
  PlayerTables t(bots, 2, kRows);
  const Table& s = careerSummary(t);
  EXPECT_EQ(text(s, 0, 0), "Summary");
  EXPECT_EQ(s[0][0].front().colspan, 14);
  EXPECT_EQ(texts(s[1]),
            (std::vector<std::string>{"Game Type", "Score", "F", "K", "D", "S", "TK", "TD", "Eff",
                                      "Avg FPH", "Avg TTL", "Ping", "Games", "Hours"}));
  for (size_t r = 2; r < s.size(); ++r) EXPECT_EQ(s[r].size(), 14u) << r;
  EXPECT_FALSE(has(html(s), "Wins"));
  EXPECT_FALSE(has(html(s), "Losses"));
  // The single-player summary keeps its columns, under the aggregate's title.
  const Table& single = *t.pSummary[Specs::kSinglePlayer];
  EXPECT_EQ(text(single, 0, 0), "Summary - Brimfall Single-Player Ladder");
}

TEST_F(PlayerPagesTest, SinglePlayerSummary) {
  Player p = named("Di");
  PStats& sp = p.games[Specs::kSinglePlayer];
  sp.controlPointCaptures = 4;
  sp.frags = 6;
  sp.kills = 6;
  sp.tkills = 1;
  sp.totalTime = 720;
  sp.uses = 2;
  sp.teamWins = 1;
  PlayerTables t(p, 1, kRows);
  // Only the single-player row is built for these page forms.
  for (int32_t k = 0; k < kRows; ++k)
    EXPECT_EQ(t.pSummary[static_cast<size_t>(k)].has_value(), k == Specs::kSinglePlayer) << k;
  const Table& s = *t.pSummary[Specs::kSinglePlayer];
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(text(s, 0, 0), "Career Summary - Brimfall Single-Player Ladder");
  EXPECT_EQ(s[0][0].front().colspan, 16);
  EXPECT_EQ(texts(s[1]),
            (std::vector<std::string>{"Score", "Control Point<br>Captures", "Frags", "Kills",
                                      "Deaths", "Suicides", "TK", "TD", "Eff", "Avg FPH", "Avg TTL",
                                      "Ping", "Wins", "Losses", "Games", "Hours"}));
  EXPECT_EQ(texts(s[2]), (std::vector<std::string>{"-", "4", "6", "6", "0", "0", "1", "0", "100.0%",
                                                   "30.0", "720.0", "N/A", "1", "0", "2", "0.2"}));
  // The other page forms build every type's summary, not worded as a
  // real player's.
  PlayerTables all(p, 3, kRows);
  for (int32_t k = 0; k <= kRows; ++k) EXPECT_TRUE(all.pSummary[static_cast<size_t>(k)]) << k;
  EXPECT_EQ(text(*all.pSummary[Specs::kDomination], 0, 0), "Summary - Domination");
}

TEST_F(PlayerPagesTest, GameTypeRowCountOutsideTheCatalogIsBounded) {
  Player p = named("Ed");
  // Fewer rows: no single-player row, the totals follow the rows given.
  PlayerTables two(p, 1, 2);
  ASSERT_EQ(two.pSummary.size(), 3u);
  EXPECT_FALSE(two.pSummary[1]);
  EXPECT_EQ(careerSummary(two).size(), 2u + 3u);
  EXPECT_EQ(PlayerTables(p, 1, -4).pSummary.size(), 1u);
  // More rows than the player has records of: capped to the records.
  EXPECT_EQ(PlayerTables(p, 1, 1000).GameType, kRows);
  EXPECT_EQ(PlayerTables::rowLabel(6, 9), "Mods");
  EXPECT_EQ(PlayerTables::rowLabel(9, 9), "Totals");
}

// ---------------------------------------------------------------------------
// The other tables

TEST_F(PlayerPagesTest, WeaponSuicideAndItemTablesOfAReplayedMatch) {
  auto g = replay(duel());
  Player bo = career(*g, "Bo");
  PlayerTables t(bo, 1, kRows);
  ASSERT_TRUE(t.pWeapon && t.pSuicide && t.pItems);
  // One kill and one suicide with the rocket launcher: no frag left.
  EXPECT_EQ(texts(row(*t.pWeapon, "Rocket Launcher")),
            (std::vector<std::string>{"Rocket Launcher", "0", "1", "0", "1", "50.0%"}));
  EXPECT_EQ(texts(row(*t.pSuicide, "Rocket Launcher")),
            (std::vector<std::string>{"Rocket Launcher", "1"}));
  EXPECT_EQ(t.pItems->size(), 1u);  // headings only

  auto quiet = replay(quietMatch());
  Player ann = career(*quiet, "Ann");
  PlayerTables q(ann, 1, kRows);
  EXPECT_EQ(q.pWeapon->size(), 1u);
  EXPECT_EQ(texts(row(*q.pSuicide, Specs::suicides[Specs::kFell])),
            (std::vector<std::string>{Specs::suicides[Specs::kFell], "1"}));
  EXPECT_EQ(texts(q.pItems->at(1)),
            (std::vector<std::string>{"Health Pack", "1", "&nbsp;", "&nbsp;", "&nbsp;", "&nbsp;"}));
}

TEST_F(PlayerPagesTest, FlagAndControlPointEvents) {
  Player p = named("Fay");
  p.games[Specs::kDomination].controlPointCaptures = 8;
  PStats& ctf = p.games[Specs::kCaptureTheFlag];
  ctf.flagCaptures = 1;
  ctf.flagKills = 2;
  ctf.flagAssists = 3;
  ctf.flagReturns = 4;
  ctf.flagPickups = 5;
  ctf.flagDrops = 6;
  p.all.controlPointCaptures = 99;  // the totals record is not read
  PlayerTables t(p, 1, kRows);
  ASSERT_TRUE(t.pCTF);
  ASSERT_EQ(t.pCTF->size(), 2u);
  EXPECT_EQ(text(*t.pCTF, 0, 0), "Control Point<br>Captures");
  EXPECT_EQ(text(*t.pCTF, 0, 4), "Flag<br>Saves");
  EXPECT_EQ(texts((*t.pCTF)[1]), (std::vector<std::string>{"8", "1", "2", "3", "4", "5", "6"}));
}

TEST_F(PlayerPagesTest, SpreesInCatalogOrderAndSpecialEvents) {
  Player p = named("Gus");
  p.sprees[1].uses = 3;
  p.sprees[1].totalTime = 90;
  p.sprees[1].kills = 21;
  p.all.firstBlood = 4;
  p.all.blinkFail = 2;
  PlayerTables t(p, 1, kRows);
  ASSERT_EQ(t.pSprees->size(), 1u + Specs::kSprees);
  for (size_t k = 0; k < Specs::kSprees; ++k)
    EXPECT_EQ(text(*t.pSprees, k + 1, 0), Specs::sprees[k]);
  EXPECT_EQ(texts((*t.pSprees)[2]), (std::vector<std::string>{Specs::sprees[1], "3", "1.5", "21"}));
  // All nine events, the blinker ones included, three to a row.
  ASSERT_EQ(t.pMisc->size(), 4u);
  EXPECT_EQ(texts((*t.pMisc)[1]),
            (std::vector<std::string>{"First Blood", "4", "Head Shots", "0", "Double Kills", "0"}));
  EXPECT_EQ(texts((*t.pMisc)[3]),
            (std::vector<std::string>{"Blinker Throws", "0", "Warps", "0", "Failed Warps", "2"}));
}

TEST_F(PlayerPagesTest, PickupsByKillsWithTheirRates) {
  Player p = named("Hal");
  PStats& used = p.pickups[2];
  used.uses = 2;
  used.totalTime = 1800;
  used.kills = 3;
  used.deaths = 1;
  used.suicides = 1;
  p.pickups[3].kills = 1;
  p.pickups[3].uses = 1;
  p.pickups[3].totalTime = 600;
  PlayerTables t(p, 1, kRows);
  const Table& k = *t.pPickups;
  ASSERT_EQ(k.size(), 1u + Specs::kPickups);
  EXPECT_EQ(texts(k[0]), (std::vector<std::string>{"Pickup", "# of Uses", "Time (minutes)", "Kills",
                                                   "Deaths+<br>Suicides", "Kills/Use", "Kills/Hour",
                                                   "TTL(sec)"}));
  // Most kills first; kills per use are not cut to a whole number.
  EXPECT_EQ(texts(k[1]), (std::vector<std::string>{Specs::pickups[2], "2", "30.0", "3", "2", "1.5",
                                                   "6.0", "600.0"}));
  EXPECT_EQ(text(k, 2, 0), Specs::pickups[3]);
}

// Kills/Hour divided the kills by the pickup's time even when it was never
// used, so an unused pickup showed "NaN" (and kills without time "Infinity").
TEST_F(PlayerPagesTest, AnUnusedPickupShowsNoKillsPerHour) {
  Player p = named("Ivo");
  p.pickups[1].kills = 2;  // kills counted, but no time recorded
  PlayerTables t(p, 1, kRows);
  for (size_t r = 1; r < t.pPickups->size(); ++r) {
    EXPECT_EQ(text(*t.pPickups, r, 5), "0.0") << r;
    EXPECT_EQ(text(*t.pPickups, r, 6), "0.0") << r;
  }
  std::string page = PlayerHtml().getHtml(p, 1, kRows);
  EXPECT_FALSE(has(page, "NaN"));
  EXPECT_FALSE(has(page, "Infinity"));
}

// ---------------------------------------------------------------------------
// The page

TEST_F(PlayerPagesTest, RealPlayerPageMarksThePlayerList) {
  auto g = replay(duel());
  Player ann = career(*g, "Ann");
  PlayerHtml writer;
  std::string page = writer.getHtml(ann, 1, kRows);
  EXPECT_TRUE(has(page, "<title>Vardo for Brimfall Ann</title>"));
  EXPECT_TRUE(has(page, "HREF=\".././skins/skin.css\""));
  EXPECT_TRUE(has(page, "Player_Index.html\" class=\"a\">"));
  EXPECT_FALSE(has(page, "class=\"a\">\xB7&nbsp;Most Recent"));
  EXPECT_TRUE(has(page, "<tr><td class=aa valign=middle>Career Totals for Ann</td></tr>"));
  // The blocks in their order.
  std::vector<std::string> order = {"Career Summary",
                                    "CTF and Domination Events Summary",
                                    "Career Summary - Brimfall Single-Player Ladder",
                                    "Special Events",
                                    "Weapon Specific Totals",
                                    notice("There Have Been No Suicides"),
                                    "Killing Sprees by Type",
                                    "Total Pickups Used",
                                    notice("There Have Been No Items Collected"),
                                    "</center>\n<br><br>\n</td></tr>"};
  size_t at = 0;
  for (const std::string& part : order) {
    size_t next = page.find(part, at);
    ASSERT_NE(next, std::string::npos) << part;
    at = next + part.size();
  }
  EXPECT_TRUE(has(page, "</center><center>"));
  EXPECT_TRUE(has(page, "</tr> </table> </body> </html>"));
}

TEST_F(PlayerPagesTest, AggregatePagesMarkTheirOwnLinks) {
  struct Case {
    const char* name;
    bool bot;
    const char* target;
  };
  for (const Case& c :
       {Case{"All Bots", true, "Bot_Totals.html"}, Case{"All Humans", false, "Human_Totals.html"},
        Case{"All Players (Humans and Bots)", false, "All_Totals.html"}}) {
    std::string page = PlayerHtml().getHtml(named(c.name, c.bot), 2, kRows);
    EXPECT_TRUE(has(page, std::string(c.target) + "\" class=\"a\">")) << c.name;
    EXPECT_TRUE(has(page, "Player_Index.html\" class=\"e\">")) << c.name;
    EXPECT_TRUE(has(page, "Cumulative Totals for " + TableHtml::cleanString(c.name))) << c.name;
    EXPECT_FALSE(has(page, "Career Summary")) << c.name;
  }
  // A real player who happens to carry an aggregate's name stays in the list.
  std::string page = PlayerHtml().getHtml(named("All Bots"), 1, kRows);
  EXPECT_TRUE(has(page, "Player_Index.html\" class=\"a\">"));
  EXPECT_TRUE(has(page, "Bot_Totals.html\" class=\"e\">"));
}

TEST_F(PlayerPagesTest, NoticesOfAnEmptyCareer) {
  std::string page = PlayerHtml().getHtml(named("Jo"), 1, kRows);
  for (const char* n : {"There Have Been No Weapons Used", "There Have Been No Suicides",
                        "There Have Been No Items Collected"})
    EXPECT_TRUE(has(page, notice(n))) << n;
  EXPECT_FALSE(has(page, "Weapon Specific Totals"));
  EXPECT_FALSE(has(page, "Suicide Totals"));
  EXPECT_FALSE(has(page, "Total Items Collected"));
  // Sprees and pickups are always listed.
  EXPECT_TRUE(has(page, "Killing Sprees by Type"));
  EXPECT_TRUE(has(page, "Total Pickups Used"));

  // Suicides by a fall, no weapon: only the weapon notice.
  auto quiet = replay(quietMatch());
  std::string bo = PlayerHtml().getHtml(career(*quiet, "Bo"), 1, kRows);
  EXPECT_TRUE(has(bo, notice("There Have Been No Weapons Used")));
  EXPECT_TRUE(has(bo, "Suicide Totals"));
  EXPECT_TRUE(has(bo, "Total Items Collected"));
}

TEST_F(PlayerPagesTest, NamesWithMarkupAreEscaped) {
  const std::string name = "<b>\"Kit\" & Co</b>";
  const std::string safe = "&lt;b&gt;&quot;Kit&quot;&nbsp;&amp;&nbsp;Co&lt;/b&gt;";
  for (int32_t type : {1, 2}) {
    std::string page = PlayerHtml().getHtml(named(name), type, kRows);
    EXPECT_TRUE(has(page, "<title>Vardo for Brimfall " + safe + "</title>")) << type;
    EXPECT_TRUE(has(page, "Totals for " + safe + "</td></tr>")) << type;
    EXPECT_FALSE(has(page, "<b>")) << type;
    EXPECT_FALSE(has(page, "\"Kit\"")) << type;
  }
  // An empty name is a blank, not nothing.
  EXPECT_TRUE(has(PlayerHtml().getHtml(named(""), 1, kRows), "Career Totals for &nbsp;</td>"));
}

TEST_F(PlayerPagesTest, WriterIsReusedAcrossPlayers) {
  PlayerHtml writer;
  auto g = replay(duel());
  std::string first = writer.getHtml(career(*g, "Ann"), 1, kRows);
  std::string other = writer.getHtml(career(*g, "Bo"), 1, kRows);
  EXPECT_TRUE(has(other, "Career Totals for Bo"));
  EXPECT_FALSE(has(other, "Ann"));
  ASSERT_TRUE(writer.p && writer.tables);
  EXPECT_EQ(writer.p->name, "Bo");
  EXPECT_EQ(&writer.tables->p, &*writer.p);
  // The same player gives the same page.
  EXPECT_EQ(writer.getHtml(career(*g, "Ann"), 1, kRows), first);
}

TEST_F(PlayerPagesTest, TraceLines) {
  util::Debug::setType("StdOut", ".");
  util::Debug::setLevel(2);
  testing_support::StdoutCapture out;
  PlayerHtml().getHtml(named("All Bots", true), 2, kRows);
  std::string trace = out.text();
  std::vector<std::string> order = {
      "I PlayerHtml.getHtml\n", "I PlayerTables\n", "O PlayerTables\n",
      "I PlayerHtml.writePlayerTotals: 2 All Bots\n", "O PlayerHtml.getHtml\n"};
  size_t at = 0;
  for (const std::string& line : order) {
    size_t next = trace.find(line, at);
    ASSERT_NE(next, std::string::npos) << line << trace;
    at = next + line.size();
  }
  EXPECT_FALSE(has(trace, "Error in"));
}

}  // namespace
}  // namespace programs::vardobf::output
