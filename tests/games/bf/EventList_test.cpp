#include "games/bf/EventList.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "games/Zorlog.h"
#include "games/bf/Events.h"
#include "util/Debug.h"

namespace {

using games::bf::EventKind;
using games::bf::EventList;
using games::bf::Fields;
using testing_support::StdoutCapture;
using util::Debug;
using Lines = std::vector<Fields>;
namespace bf = games::bf;

class EventListTest : public ::testing::Test {
 protected:
  void SetUp() override { Debug::reset(); }
  void TearDown() override { Debug::reset(); }

  // A short good match: header, two players, a kill and the end.
  static Lines goodMatch() {
    return {
        {"0", "info", "Server_Name", "Brim Box"},          {"0", "game_start"},
        {"1", "player", "Connect", "Ann", "1", "False"},   {"1", "player", "Team", "1", "0"},
        {"2", "player", "Connect", "Bob", "2", "False"},   {"2", "player", "Team", "2", "1"},
        {"5.5", "kill", "1", "Rifle", "2", "Pistol", "v"}, {"9", "game_end", "fraglimit"},
    };
  }

  // Damage helpers: one field of one line replaced, one line cut short.
  static Lines withField(Lines l, size_t line, size_t field, const std::string& text) {
    l[line][field] = text;
    return l;
  }
  static Lines cutShort(Lines l, size_t line, size_t fields) {
    l[line].resize(fields);
    return l;
  }

  // The kinds of the records, in order; empty for none.
  static std::vector<EventKind> kinds(const std::optional<EventList::Events>& events) {
    std::vector<EventKind> out;
    if (events)
      for (const auto& e : *events) out.push_back(e->kind());
    return out;
  }

  // parse() with its trace lines at level 0 captured in `trace`.
  static std::optional<EventList::Events> parse(const Lines& l, std::string* trace = nullptr) {
    StdoutCapture out;
    auto events = EventList::parse(l);
    std::string text = out.text();
    if (trace != nullptr) *trace = text;
    return events;
  }
};

constexpr EventKind kGoodKinds[] = {EventKind::kInfo,  EventKind::kGStart,   EventKind::kPConnect,
                                    EventKind::kPTeam, EventKind::kPConnect, EventKind::kPTeam,
                                    EventKind::kKill,  EventKind::kGEnd};

TEST_F(EventListTest, GoodMatchGivesEveryRecordInOrder) {
  Debug::setLevel(1);
  std::string trace;
  auto events = parse(goodMatch(), &trace);
  EXPECT_EQ(trace, "I bf.EventList.parse\nO bf.EventList.parse\n");
  EXPECT_EQ(kinds(events), std::vector<EventKind>(std::begin(kGoodKinds), std::end(kGoodKinds)));
  EXPECT_EQ((*events)[6]->getTime(), 5.5);
}

TEST_F(EventListTest, OnlyKillSuicideOrTeamKillLinesMakeAMatch) {
  Lines noKill = {{"0", "game_start"},
                  {"1", "player", "Connect", "Ann", "1", "False"},
                  {"9", "game_end", "timelimit"}};
  EXPECT_FALSE(parse(noKill).has_value());
  EXPECT_FALSE(parse({}).has_value());

  for (const char* keyword : {"kill", "teamkill", "suicide"}) {
    SCOPED_TRACE(keyword);
    Lines l = noKill;
    l.push_back({"5", keyword});  // too short: no record, but the match counts
    std::string trace;
    auto events = parse(l, &trace);
    ASSERT_TRUE(events.has_value());
    EXPECT_EQ(events->size(), 3u);
    EXPECT_NE(trace.find("Bad '"), std::string::npos);
  }
}

TEST_F(EventListTest, UnknownKeywordsAreTracedAndLeftOut) {
  Lines l = goodMatch();
  l.insert(l.begin() + 1, {"0", "dance", "1"});
  l.insert(l.begin() + 1, {"0", "player", "Dance", "1"});
  l.insert(l.begin() + 1, {"0", "Kill", "1", "a", "2", "b", "c"});  // keywords are exact
  l.insert(l.begin() + 1, {"0", "player", ""});
  std::string trace;
  auto events = parse(l, &trace);
  EXPECT_EQ(trace,
            "Unknown Event: player \n"
            "Unknown Event: Kill\n"
            "Unknown Event: player Dance\n"
            "Unknown Event: dance\n");
  EXPECT_EQ(kinds(events), std::vector<EventKind>(std::begin(kGoodKinds), std::end(kGoodKinds)));
}

// The server writes a player's team and name just before his connection at
// the same time stamp; the connect record replaces them.
TEST_F(EventListTest, ConnectDropsTheSamePlayersRecordsJustBeforeIt) {
  Lines l = {{"0", "kill", "1", "a", "2", "b", "c"},
             {"3", "player", "Rename", "Ann", "7"},
             {"3", "player", "Team", "7", "1"},
             {"3", "player", "Teamchange", "7", "1"},
             {"3", "player", "Connect", "Ann", "7", "False"}};
  EXPECT_EQ(kinds(parse(l)), (std::vector<EventKind>{EventKind::kKill, EventKind::kPConnect}));

  // Anything else in between, another time, or an earlier line that gave no
  // record, stops the rule.
  Lines teamName = l;
  teamName.insert(teamName.begin() + 4, {"3", "player", "TeamName", "7", "Red"});
  EXPECT_EQ(parse(teamName)->size(), 6u);
  Lines later = withField(l, 4, 0, "3.0001");
  EXPECT_EQ(parse(later)->size(), 5u);
  Lines shortTeam = l;
  shortTeam.insert(shortTeam.begin() + 4, {"3", "player", "Team", "7"});
  EXPECT_EQ(parse(shortTeam)->size(), 5u);
  Lines unknown = l;
  unknown.insert(unknown.begin() + 4, {"3", "player", "Wave", "7"});
  EXPECT_EQ(parse(unknown)->size(), 5u);
  Lines failed = l;
  failed.insert(failed.begin() + 4, {"3", "player", "Ping", "7", "fast"});
  EXPECT_EQ(parse(failed)->size(), 5u);

  // The rule stops at the start of the list.
  Lines first(l.begin() + 1, l.end());
  first.push_back({"4", "suicide", "7", "Lava", "v", "self"});
  EXPECT_EQ(kinds(parse(first)),
            (std::vector<EventKind>{EventKind::kPConnect, EventKind::kSuicide}));
}

// Two players connecting at the same time stamp lost each other's team and
// name: the rule dropped every trailing team or rename record of that time.
TEST_F(EventListTest, ConnectKeepsOtherPlayersRecordsOfTheSameTime) {
  Lines l = {{"0", "kill", "1", "a", "2", "b", "c"},
             {"3", "player", "Team", "7", "1"},
             {"3", "player", "Rename", "Bob", "8"},
             {"3", "player", "Team", "8", "0"},
             {"3", "player", "Connect", "Bob", "8", "False"}};
  auto events = parse(l);
  ASSERT_EQ(kinds(events),
            (std::vector<EventKind>{EventKind::kKill, EventKind::kPTeam, EventKind::kPConnect}));
  EXPECT_EQ(bf::eventAs<bf::EPTeam>(*(*events)[1])->pNum, 7);

  // The other player's record last: nothing is dropped at all.
  std::swap(l[1], l[3]);
  EXPECT_EQ(parse(l)->size(), 5u);
}

TEST_F(EventListTest, AnInvalidConnectDropsNothing) {
  Lines l = {{"0", "kill", "1", "a", "2", "b", "c"},
             {"0", "player", "Team", "0", "1"},
             {"0", "player", "Connect", "Ann", "0"}};
  std::string trace;
  auto events = parse(l, &trace);
  EXPECT_EQ(trace, "Bad 'Player Connect' Event\n");
  EXPECT_EQ(kinds(events), (std::vector<EventKind>{EventKind::kKill, EventKind::kPTeam}));
}

// A single unreadable field ended the reading of the log, and every later
// kill, connect and score of the match was lost with it.
TEST_F(EventListTest, ABadLineCostsOnlyThatLine) {
  struct Case {
    Lines lines;
    const char* error;
  };
  const Case cases[] = {
      {withField(goodMatch(), 3, 4, "blue"), "NumberFormatError: For input string: \"blue\""},
      {withField(goodMatch(), 3, 0, "1:00"), "NumberFormatError: For input string: \"1:00\""},
      {withField(goodMatch(), 3, 3, "99999999999"),
       "NumberFormatError: For input string: \"99999999999\""},
      {cutShort(goodMatch(), 3, 1), "FormatError: line without keyword: \"1\""},
      {cutShort(goodMatch(), 3, 0), "FormatError: line without keyword: \"\""},
      {cutShort(goodMatch(), 3, 2),
       "FormatError: player line without second keyword at time \"1\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    Debug::setLevel(1);
    std::string trace;
    auto events = parse(c.lines, &trace);
    EXPECT_EQ(trace, std::string("I bf.EventList.parse\nError in bf.EventList.parse: ") + c.error +
                         "\nO bf.EventList.parse\n");
    std::vector<EventKind> expected(std::begin(kGoodKinds), std::end(kGoodKinds));
    expected.erase(expected.begin() + 3);
    EXPECT_EQ(kinds(events), expected);
  }

  // A failed kill line still makes the match count.
  Lines l = {{"0", "game_start"}, {"1", "kill", "x", "a", "2", "b", "c"}, {"2", "game_end", "r"}};
  auto events = parse(l);
  ASSERT_TRUE(events.has_value());
  EXPECT_EQ(kinds(events), (std::vector<EventKind>{EventKind::kGStart, EventKind::kGEnd}));
}

// Whole texts through both readers: no crash, nothing but what the rules give.
TEST_F(EventListTest, HostileLogs) {
  auto read = [](const std::string& text) {
    StdoutCapture out;
    auto events = EventList::parse(games::Zorlog::parse(text));
    out.text();
    return events;
  };
  EXPECT_FALSE(read("").has_value());
  EXPECT_FALSE(read("<html><body>Not a log</body></html>\n").has_value());

  std::string binary;
  for (int i = 0; i < 65536; ++i) binary += static_cast<char>((i * 7919 + i / 256) % 256);
  EXPECT_FALSE(read(binary).has_value());

  const char raw[] = "1\tkill\0\t1\ta\t2\tb\tc\n2\tkill\t1\ta\t2\tb\tc\0\n";
  std::string nul(raw, sizeof raw - 1);
  auto withNul = read(nul);
  ASSERT_TRUE(withNul.has_value());
  ASSERT_EQ(withNul->size(), 1u);
  EXPECT_EQ(bf::eventAs<bf::EKill>(*(*withNul)[0])->visual, std::string("c\0", 2));

  std::string wide = "1\tinfo\tMutators";
  for (int i = 0; i < 100000; ++i) wide += "\tm" + std::to_string(i);
  auto info = read(wide + "\r\n2\tsuicide\t1\tLava\tv\tself\r\n");
  ASSERT_TRUE(info.has_value());
  ASSERT_EQ(info->size(), 2u);
  EXPECT_EQ(bf::eventAs<bf::EInfo>(*(*info)[0])->list.size(), 100000u);

  std::string huge(1 << 20, 'n');
  auto longName = read("1\tplayer\tConnect\t" + huge + "\t4\tFalse\n2\tkill\t4\ta\t4\tb\tc\n" +
                       "3\tkill\t" + huge + "\ta\t4\tb\tc\n");
  ASSERT_TRUE(longName.has_value());
  ASSERT_EQ(longName->size(), 2u);
  EXPECT_EQ(bf::eventAs<bf::EPConnect>(*(*longName)[0])->name, huge);

  auto overflow = read(
      "1\tkill\t2147483647\ta\t-2147483648\tb\tc\n"
      "2\tkill\t2147483648\ta\t1\tb\tc\n"
      "3\tdom_score_update\t1\t1e309\n"
      "4\tdom_score_update\t1\t1e308\n");
  ASSERT_TRUE(overflow.has_value());
  ASSERT_EQ(kinds(overflow), (std::vector<EventKind>{EventKind::kKill, EventKind::kDScore}));
  EXPECT_EQ(bf::eventAs<bf::EKill>(*(*overflow)[0])->killedNum, INT32_MIN);
  EXPECT_EQ(bf::eventAs<bf::EDScore>(*(*overflow)[1])->score, 1e308);
}

}  // namespace
