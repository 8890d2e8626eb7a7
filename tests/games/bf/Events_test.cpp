#include "games/bf/Events.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "base/Failure.h"
#include "games/bf/EventList.h"
#include "util/Debug.h"

namespace {

using games::bf::EventKind;
using games::bf::EventList;
using games::bf::Fields;
using testing_support::StdoutCapture;
using util::Debug;
namespace bf = games::bf;

class EventsTest : public ::testing::Test {
 protected:
  void SetUp() override { Debug::reset(); }
  void TearDown() override { Debug::reset(); }
};

// One row per keyword: a line of exactly the least number of fields, with a
// distinct value in every field, the record it must give (printed, which
// shows every field by name in declared order), the message of a line one
// field shorter, and the fields that must parse as ints and as numbers.
struct Row {
  Fields line;
  EventKind kind;
  const char* printed;
  const char* message;
  std::vector<size_t> ints;
  std::vector<size_t> numbers = {};
};

const std::vector<Row>& rows() {
  // clang-format off
  static const std::vector<Row> kRows = {
      {{"1", "game_start"}, EventKind::kGStart, "(1) EGStart", "Bad 'game_start' Event", {}},
      {{"2", "game_end", "fraglimit"}, EventKind::kGEnd, "(2) EGEnd reason=fraglimit checksum=none", "Bad 'game_end' Event", {}},
      {{"3", "info", "Server_Name"}, EventKind::kInfo, "(3) EInfo infoType=Server_Name list=[]", "Bad 'Info' Event", {}},
      {{"4", "map", "Name", "Quarry"}, EventKind::kMap, "(4) EMap var=Name val=Quarry", "Bad 'map' Event", {}},
      {{"5", "game", "GameClass", "Brim.DM"}, EventKind::kGame, "(5) EGame var=GameClass val=Brim.DM valB=none", "Bad 'Game' Event", {}},
      {{"6.5", "kill", "1", "Rifle", "2", "Pistol", "seen"}, EventKind::kKill, "(6.5) EKill killerNum=1 killerWeapon=Rifle killedNum=2 killedWeapon=Pistol visual=seen", "Bad 'Kill' Event", {2, 4}},
      {{"7", "teamkill", "3", "Axe", "4", "Bow", "v"}, EventKind::kTKill, "(7) ETKill killerNum=3 killerWeapon=Axe killedNum=4 killedWeapon=Bow visual=v", "Bad 'Team Kill' Event", {2, 4}},
      {{"8", "suicide", "5", "Lava", "v", "self"}, EventKind::kSuicide, "(8) ESuicide pNum=5 weapon=Lava visual=v initiator=self", "Bad 'Suicide' Event", {2}},
      {{"9", "headshot", "6", "7"}, EventKind::kHeadShot, "(9) EHeadShot killerNum=6 killedNum=7", "Bad 'Head Shot' Event", {2, 3}},
      {{"10", "item_get", "Armor", "8"}, EventKind::kIGet, "(10) EIGet item=Armor pNum=8", "Bad 'item_get' Event", {3}},
      {{"11", "item_activate", "Boots", "9"}, EventKind::kIActivate, "(11) EIActivate item=Boots pNum=9", "Bad 'item_activate' Event", {3}},
      {{"12", "item_deactivate", "Boots", "10"}, EventKind::kIDeactivate, "(12) EIDeactivate item=Boots pNum=10", "Bad 'item_deactivate' Event", {3}},
      {{"13", "flag_taken", "11", "1"}, EventKind::kFTaken, "(13) EFTaken team=1 pNum=11", "Bad 'Flag Taken' Event", {2, 3}},
      {{"14", "flag_dropped", "12", "0"}, EventKind::kFDropped, "(14) EFDropped team=0 pNum=12", "Bad 'Flag Drop' Event", {2, 3}},
      {{"15", "flag_pickedup", "13", "1"}, EventKind::kFPickedup, "(15) EFPickedup team=1 pNum=13", "Bad 'Flag Pickedup' Event", {2, 3}},
      {{"16", "flag_captured", "14", "0"}, EventKind::kFCaptured, "(16) EFCaptured team=0 pNum=14", "Bad 'Flag Captured' Event", {2, 3}},
      {{"17", "flag_returned", "15", "1"}, EventKind::kFReturned, "(17) EFReturned team=1 pNum=15", "Bad 'Flag Returned' Event", {2, 3}},
      {{"18", "flag_returned_timeout", "3"}, EventKind::kFReturnedt, "(18) EFReturnedt team=3", "Bad 'Flag Returned Timeout' Event", {2}},
      {{"19", "controlpoint_capture", "Tower", "16"}, EventKind::kCPCapture, "(19) ECPCapture controlPoint=Tower pNum=16", "Bad 'Control Point Capture' Event", {3}},
      {{"20", "dom_playerscore_update", "17", "2.25"}, EventKind::kDPScore, "(20) EDPScore score=2.25 pNum=17", "Bad 'dom_player_score_update' Event", {2}, {3}},
      {{"21", "dom_score_update", "1", "-3e2"}, EventKind::kDScore, "(21) EDScore score=-300 team=1", "Bad 'dom_score_update' Event", {2}, {3}},
      {{"22", "assault_timelimit", "600"}, EventKind::kATimelimit, "(22) EATimelimit timelimit=600", "Bad 'Assault Timelimit' Event", {}},
      {{"23", "assault_gamecode", "AS-Fort", "2"}, EventKind::kAGamecode, "(23) EAGamecode code=AS-Fort part=2", "Bad 'Assault Gamecode' Event", {3}},
      {{"24", "assault_defender", "1"}, EventKind::kADefender, "(24) EADefender defender=1", "Bad 'Assault Defender' Event", {2}},
      {{"25", "assault_attacker", "0"}, EventKind::kAAttacker, "(25) EAAttacker attacker=0", "Bad 'Assault Attacker' Event", {2}},
      {{"26", "throw_blinker", "18"}, EventKind::kBlinkThrow, "(26) EBlinkThrow pNum=18", "Bad 'Throw Blink' Event", {2}},
      {{"27", "warp", "19"}, EventKind::kBlink, "(27) EBlink pNum=19", "Bad 'Warp' Event", {2}},
      {{"28", "warp_gib", "20"}, EventKind::kBlinkGib, "(28) EBlinkGib pNum=20", "Bad 'Blink Gib' Event", {2}},
      {{"29", "warp_fail", "21"}, EventKind::kBlinkFail, "(29) EBlinkFail pNum=21", "Bad 'Blink Fail' Event", {2}},
      {{"30", "typing", "False", "22"}, EventKind::kTyping, "(30) ETyping pNum=22 isTyping=false", "Bad 'Typing' Event", {3}},
      {{"31", "player", "Connect", "Ann", "23", "False"}, EventKind::kPConnect, "(31) EPConnect name=Ann secret= admin=False pNum=23", "Bad 'Player Connect' Event", {4}},
      {{"32", "player", "Disconnect", "24"}, EventKind::kPDisconnect, "(32) EPDisconnect pNum=24", "Bad 'Player Disconnect' Event", {}},  // guarded: see DisconnectNeverFails
      {{"33", "player", "Rename", "Bob", "25"}, EventKind::kPRename, "(33) EPRename name=Bob secret= pNum=25", "Bad 'Player Rename' Event", {4}},
      {{"34", "player", "Team", "26", "1"}, EventKind::kPTeam, "(34) EPTeam index=1 pNum=26 teamChange=false", "Bad 'Player Team' Event", {3, 4}},
      {{"35", "player", "Teamchange", "27", "0"}, EventKind::kPTeam, "(35) EPTeam index=0 pNum=27 teamChange=true", "Bad 'Player Team' Event", {3, 4}},
      {{"36", "player", "TeamID", "28", "7"}, EventKind::kPTeamID, "(36) EPTeamID id=7 pNum=28", "Bad 'Player TeamID' Event", {3, 4}},
      {{"37", "player", "TeamName", "29", "Red"}, EventKind::kPTeamName, "(37) EPTeamName name=Red pNum=29", "Bad 'Player TeamName' Event", {3}},
      {{"38", "player", "Ping", "30", "120"}, EventKind::kPPing, "(38) EPPing pNum=30 ping=120", "Bad 'Player Ping' Event", {3, 4}},
      {{"39", "player", "IsABot", "31", "Nein"}, EventKind::kPBot, "(39) EPBot pNum=31 isABot=false", "Bad 'Player IsABot' Event", {3}},
      {{"40", "player", "Novice", "32", "True"}, EventKind::kPNovice, "(40) EPNovice pNum=32 isNovice=true", "Bad 'Player Novice' Event", {3}},
      {{"41", "player", "Skill", "33", "Expert"}, EventKind::kPSkill, "(41) EPSkill pNum=33 skill=Expert", "Bad 'Player Skill' Event", {3}},
  };
  // clang-format on
  return kRows;
}

std::string label(const Row& r) {
  return r.line[1] + (r.line[1] == "player" ? " " + r.line[2] : "");
}

std::string printed(const bf::Event& e) {
  StdoutCapture out;
  e.print();
  return out.text();
}

TEST_F(EventsTest, EveryKeywordReadsItsFieldsInPlace) {
  for (const Row& r : rows()) {
    SCOPED_TRACE(label(r));
    StdoutCapture out;
    auto e = EventList::make(r.line);
    EXPECT_EQ(out.text(), "");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->kind(), r.kind);
    EXPECT_TRUE(e->isValid());
    EXPECT_EQ(e->getTime(), std::stod(r.line[0]));
    EXPECT_EQ(printed(*e), std::string(r.printed) + "\n");
  }
}

TEST_F(EventsTest, EveryKeywordRefusesALineOneFieldShort) {
  for (const Row& r : rows()) {
    SCOPED_TRACE(label(r));
    Fields shortLine(r.line.begin(), r.line.end() - 1);
    if (shortLine.size() < 2) continue;  // no keyword left: see below
    StdoutCapture out;
    auto e = EventList::make(shortLine);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(out.text(), std::string(r.message) + "\n");
    EXPECT_EQ(e->kind(), r.kind);
    EXPECT_FALSE(e->isValid());
    EXPECT_EQ(e->getTime(), 0.0);  // nothing is read, not even the time
  }
  StdoutCapture out;
  EXPECT_FALSE(bf::EGStart({"1"}).isValid());
  EXPECT_EQ(out.text(), "Bad 'game_start' Event\n");
}

TEST_F(EventsTest, EveryKeywordFailsOnAFieldOfTheWrongType) {
  for (const Row& r : rows()) {
    if (r.kind == EventKind::kPDisconnect) continue;
    std::vector<std::pair<size_t, std::string>> damage = {{0, "12:30"}};  // the time stamp
    for (size_t i : r.ints) damage.emplace_back(i, "2147483648");
    for (size_t i : r.numbers) damage.emplace_back(i, "1,5");
    for (const auto& [i, text] : damage) {
      SCOPED_TRACE(label(r) + " field " + std::to_string(i));
      Fields bad = r.line;
      bad[i] = text;
      try {
        EventList::make(bad);
        ADD_FAILURE() << "accepted";
      } catch (const base::NumberFormatError& e) {
        EXPECT_EQ(e.text(), "NumberFormatError: For input string: \"" + bad[i] + "\"");
      }
    }
  }
}

TEST_F(EventsTest, FieldsBeyondTheFormatAreIgnored) {
  for (const Row& r : rows()) {
    // These read optional fields at the end of their line.
    if (r.kind == EventKind::kGEnd || r.kind == EventKind::kInfo || r.kind == EventKind::kGame ||
        r.kind == EventKind::kPConnect || r.kind == EventKind::kPRename)
      continue;
    SCOPED_TRACE(label(r));
    Fields longer = r.line;
    longer.push_back("extra");
    longer.push_back("x");
    EXPECT_EQ(printed(*EventList::make(longer)), std::string(r.printed) + "\n");
  }
}

TEST_F(EventsTest, OptionalFieldsDependOnTheFieldCount) {
  using F = Fields;
  auto connect = [](F f) { return bf::EPConnect(f); };
  EXPECT_EQ(connect({"1", "player", "Connect", "A", "3", "True"}).secret, "");
  EXPECT_EQ(connect({"1", "player", "Connect", "A", "3", "True", "s3cr"}).secret, "s3cr");
  EXPECT_EQ(connect({"1", "player", "Connect", "A", "3", "True", "s3cr", "x"}).secret, "");
  EXPECT_EQ(connect({"1", "player", "Connect", "A", "3", "True", "s3cr", "x"}).pNum, 3);

  bf::EPRename five({"1", "player", "Rename", "New", "4"});
  EXPECT_EQ(five.pNum, 4);
  EXPECT_EQ(five.secret, "");
  bf::EPRename six({"1", "player", "Rename", "New", "key", "5", "junk"});
  EXPECT_EQ(six.name, "New");
  EXPECT_EQ(six.secret, "key");
  EXPECT_EQ(six.pNum, 5);
  EXPECT_THROW(bf::EPRename({"1", "player", "Rename", "New", "key", "x"}), base::NumberFormatError);

  EXPECT_EQ(bf::EGEnd({"1", "game_end", "timelimit", "abc123"}).checksum, "abc123");
  EXPECT_EQ(bf::EGame({"1", "game", "Mutator", "Low", "Grav"}).valB, "Grav");
  bf::EInfo info({"1", "info", "Mutators", "a", "", "c"});
  EXPECT_EQ(info.infoType, "Mutators");
  EXPECT_EQ(info.list, (std::vector<std::string>{"a", "", "c"}));
}

TEST_F(EventsTest, BooleanWords) {
  for (const char* no : {"False", "Falso", "Nein", "Faux"}) {
    SCOPED_TRACE(no);
    EXPECT_FALSE(bf::EPBot({"1", "player", "IsABot", "2", no}).isABot);
    EXPECT_FALSE(bf::EPNovice({"1", "player", "Novice", "2", no}).isNovice);
  }
  for (const char* yes : {"True", "no", "false", "FALSE", "nein", "", " False", "False "}) {
    SCOPED_TRACE(yes);
    EXPECT_TRUE(bf::EPBot({"1", "player", "IsABot", "2", yes}).isABot);
    EXPECT_TRUE(bf::EPNovice({"1", "player", "Novice", "2", yes}).isNovice);
  }
  // Typing lines know only the English word.
  EXPECT_FALSE(bf::ETyping({"1", "typing", "False", "2"}).isTyping);
  for (const char* yes : {"True", "Falso", "Nein", "Faux", "false"})
    EXPECT_TRUE(bf::ETyping({"1", "typing", yes, "2"}).isTyping) << yes;
}

TEST_F(EventsTest, DisconnectNeverFails) {
  for (Fields bad : {Fields{"1", "player", "Disconnect", "x"},
                     Fields{"1", "player", "Disconnect", "99999999999"},
                     Fields{"soon", "player", "Disconnect", "4"}}) {
    SCOPED_TRACE(bad[0] + " " + bad[3]);
    StdoutCapture out;
    auto e = EventList::make(bad);
    EXPECT_EQ(out.text(), "Invalid 'Player Disconnect' Event\n");
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(e->isValid());
  }
}

TEST_F(EventsTest, NumbersAreStrictDecimals) {
  using bf::detail::parseNumber;
  EXPECT_EQ(parseNumber("0"), 0.0);
  EXPECT_EQ(parseNumber("12.75"), 12.75);
  EXPECT_EQ(parseNumber("+3"), 3.0);
  EXPECT_EQ(parseNumber("-0.5"), -0.5);
  EXPECT_EQ(parseNumber("5."), 5.0);
  EXPECT_EQ(parseNumber(".25"), 0.25);
  EXPECT_EQ(parseNumber("1e3"), 1000.0);
  EXPECT_EQ(parseNumber("2.5E-1"), 0.25);
  EXPECT_EQ(parseNumber("1e+2"), 100.0);
  EXPECT_EQ(parseNumber("0e-999"), 0.0);
  EXPECT_EQ(parseNumber("1.7976931348623157e308"), 1.7976931348623157e308);
  for (const char* bad : {"",    "-",        "+",     ".",      "e5",     "1e",   "1e+", "+-1",
                          "--1", "1.2.3",    " 1",    "1 ",     "1,5",    "0x10", "inf", "-inf",
                          "nan", "Infinity", "1e400", "-1e400", "1e-400", "1f",   "1d",  "١"}) {
    SCOPED_TRACE(bad);
    try {
      parseNumber(bad);
      ADD_FAILURE() << "accepted";
    } catch (const base::NumberFormatError& e) {
      EXPECT_EQ(e.text(), std::string("NumberFormatError: For input string: \"") + bad + "\"");
    }
  }
}

TEST_F(EventsTest, KindAllowsACheckedDowncast) {
  auto e = EventList::make({"1", "kill", "1", "Rifle", "2", "Pistol", "v"});
  ASSERT_NE(e, nullptr);
  ASSERT_NE(bf::eventAs<bf::EKill>(*e), nullptr);
  EXPECT_EQ(bf::eventAs<bf::EKill>(*e)->killedNum, 2);
  EXPECT_EQ(bf::eventAs<bf::ETKill>(*e), nullptr);
}

}  // namespace
