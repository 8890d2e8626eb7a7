// The uploader's side of the collector protocol, against scripted
// connections: the commands sent, the replies recognised, the compressed
// stream, redirections and failover.
#include "uploader/CollectorClient.h"

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/FakeNetwork.h"
#include "uploader/Inflate.h"
#include "uploader/PacedConnection.h"

namespace uploader {
namespace {

using testing_support::FakeNetwork;
using testing_support::inflateAll;
using testing_support::PacedConnection;
using testing_support::PacedNetwork;
using testing_support::ScriptedConnection;
using testing_support::TestDir;
using Outcome = CollectorClient::Outcome;

CollectorTable table(int n, int firstPort = 9000) {
  std::string list;
  for (int i = 0; i < n; ++i)
    list +=
        (i ? "," : "") + std::string("c") + std::to_string(i) + ":" + std::to_string(firstPort + i);
  return CollectorTable::parseList(list);
}

ClientDescription description() {
  ClientDescription d;
  d.gameType = "bf";
  d.system = "Linux (6.1 - 6.1.0 - 1.5.7)";
  d.address = "10.0.0.7";
  return d;
}

class TessalyClient : public ::testing::Test {
 protected:
  TessalyClient() : out_(&text_) { out_.setVerbose(true); }

  // A client on a one-entry table "c0:9000" whose connection is `c`.
  CollectorClient& client(int entries = 1, size_t start = 0) {
    client_ = std::make_unique<CollectorClient>(net_, out_, table(entries), start, description());
    return *client_;
  }
  // A client whose connections come from paced_.
  CollectorClient& pacedClient() {
    client_ = std::make_unique<CollectorClient>(paced_, out_, table(1), 0, description());
    return *client_;
  }
  Outcome offerFile(const std::string& content, bool first = true) {
    std::string p = dir_.write("a.log", content);
    auto f = platform::RandomAccessFile::open(p, platform::RandomAccessFile::Mode::kReadOnly);
    return client_->offer(p, f, static_cast<int64_t>(content.size()), first, 3);
  }
  // The bytes of the compressed stream: everything sent after the command.
  static std::string stream(const ScriptedConnection& c) {
    std::string all = c.allSent();
    return all.substr(all.find('\n') + 1);
  }

  FakeNetwork net_;
  PacedNetwork paced_;
  std::string text_;
  Output out_;
  TestDir dir_;
  std::unique_ptr<CollectorClient> client_;
};

// --- The exchange: commands, replies, the stream -------------------------

TEST_F(TessalyClient, ReadyThenAckSendsHelloAndAStreamThatInflatesToTheFile) {
  ScriptedConnection& c = net_.add("c0:9000");
  c.pieces = {"READY\n", "ACK\n"};
  ASSERT_TRUE(client().connect());
  const std::string content = "0.00\tinfo\tAbsolute_Time\t2026.12.09\n";
  EXPECT_EQ(offerFile(content), Outcome::kAcknowledged);
  EXPECT_EQ(c.sends[0], "HELLO\t1.5\tbf\tLinux (6.1 - 6.1.0 - 1.5.7)\t10.0.0.7\t" +
                            std::to_string(content.size()) + "\t3\n");
  std::string s = stream(c);
  ASSERT_GE(s.size(), 6u);
  EXPECT_EQ(static_cast<unsigned char>(s[0]), 0x78);
  EXPECT_EQ(static_cast<unsigned char>(s[1]), 0xDA);
  // Sync-flushed and never finished: it ends with the empty stored block.
  EXPECT_EQ(s.substr(s.size() - 4), std::string("\0\0\xff\xff", 4));
  EXPECT_EQ(inflateAll(s), content);
  EXPECT_NE(text_.find("Sent: Connect HELLO\n"), std::string::npos);
  EXPECT_NE(text_.find("Received:  ACK\n\n"), std::string::npos);
}

TEST_F(TessalyClient, NextFileCommandAndAckWithMoreOnTheLine) {
  ScriptedConnection& c = net_.add("c0:9000");
  c.pieces = {"READY\n", "ACK stored\n"};
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc", false), Outcome::kAcknowledged);
  EXPECT_EQ(c.sends[0], "NEXTFILE\t3\n");
  EXPECT_NE(text_.find("Sent INFO: NEXTFILE\t3\n"), std::string::npos);
}

TEST_F(TessalyClient, RepliesOtherThanReadyOrPlainTooLarge) {
  struct Case {
    std::vector<std::string> pieces;
    bool first;
    Outcome outcome;
    const char* line;
  } cases[] = {
      {{"FILE_TOO_LARGE\n"}, true, Outcome::kTooLarge, nullptr},
      {{"FILE_TOO_LARGE\tSYNTAX_ERROR\n"},
       true,
       Outcome::kAborted,
       "[E08]: *** ERROR server response \"FILE_TOO_LARGE\tSYNTAX_ERROR\" ... aborting"},
      {{"UNSUPPORTED_VERSION\n"}, true, Outcome::kAborted, "[E08]"},
      {{"FILE_TOO_LARGE UNKNOWN_TYPE\n"}, true, Outcome::kAborted, "[E08]"},
      {{"REDIRECT\tc1:7000\n"}, false, Outcome::kAborted, "[E08]"},
      {{}, true, Outcome::kAborted, "[E08]: *** ERROR server response \"\" ... aborting"},
      {{"ACK\n"}, true, Outcome::kAborted, "[E08]"},
  };
  for (const Case& k : cases) {
    text_.clear();
    ScriptedConnection& c = net_.add("c0:9000");
    c.pieces.assign(k.pieces.begin(), k.pieces.end());
    ASSERT_TRUE(client().connect());
    EXPECT_EQ(offerFile("abc", k.first), k.outcome) << k.pieces.size();
    if (k.line != nullptr) {
      EXPECT_NE(text_.find(k.line), std::string::npos) << text_;
    }
    EXPECT_EQ(c.sends.size(), 1u);  // no file data after a refusal
  }
}

TEST_F(TessalyClient, FailedReceivesAndMissingAck) {
  ScriptedConnection& c1 = net_.add("c0:9000");
  c1.failWhenEmpty = true;
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAborted);
  EXPECT_NE(text_.find("[E04]: *** Error reading HELLO reply!"), std::string::npos);

  ScriptedConnection& c2 = net_.add("c0:9000");
  c2.pieces = {"READY\n"};
  c2.failWhenEmpty = true;
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAborted);
  EXPECT_NE(text_.find("[E05]: ** Error reading ACK reply!"), std::string::npos);

  ScriptedConnection& c3 = net_.add("c0:9000");
  c3.pieces = {"READY\n", "DONE\nACK\n"};
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAborted);
  EXPECT_NE(text_.find("[E04]: *** Unknown response \"DONE\" waiting for ACK"), std::string::npos);
}

// --- Replies as TCP delivers them ----------------------------------------

TEST_F(TessalyClient, RepliesInPiecesOrTogether) {
  ScriptedConnection& c1 = net_.add("c0:9000");
  c1.pieces = {"RE", "AD", "Y", "\n", "A", "CK\n"};
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAcknowledged);

  // The ACK that comes with READY, before the file, does not count; the
  // one after the file does.
  ScriptedConnection& c2 = net_.add("c0:9000");
  c2.pieces = {"READY\nACK\n", "ACK\n"};
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAcknowledged);
  EXPECT_TRUE(c2.pieces.empty());
}

// The log is deleted on an acknowledgement, so only an ACK that answers the
// file may count: whatever came before the file was sent is dropped, and
// the ACK is read afresh after it.
TEST_F(TessalyClient, AnAckBeforeTheFileIsNoAcknowledgement) {
  using Then = PacedConnection::Then;
  struct Case {
    std::vector<std::pair<std::string, int>> steps;  // bytes, after how many sends
    Then then;
    Outcome outcome;
    const char* line;
  } cases[] = {
      {{{"READY\nACK\n", 0}},
       Then::kEnd,
       Outcome::kAborted,
       "[E04]: *** Unknown response \"\" waiting for ACK"},
      {{{"READY\n", 0}, {"ACK\n", 0}}, Then::kEnd, Outcome::kAborted, "Unknown response \"\""},
      {{{"READY\nACK\n", 0}, {"DONE\n", 2}},
       Then::kSilence,
       Outcome::kAborted,
       "[E04]: *** Unknown response \"DONE\" waiting for ACK"},
      {{{"READY\nACK\n", 0}, {"ACK\n", 2}},
       Then::kSilence,
       Outcome::kAcknowledged,
       "Received:  ACK\n"},
  };
  for (const Case& k : cases) {
    text_.clear();
    PacedConnection& c = paced_.add();
    for (const auto& [bytes, afterSends] : k.steps) c.add(bytes, afterSends);
    c.then = k.then;
    ASSERT_TRUE(pacedClient().connect());
    EXPECT_EQ(offerFile("abc"), k.outcome) << k.steps.size();
    EXPECT_EQ(c.sends.size(), 2u);  // HELLO and the file: it was sent
    EXPECT_NE(text_.find("Ignored 4 bytes received before the file was sent\n"), std::string::npos)
        << text_;
    EXPECT_NE(text_.find(k.line), std::string::npos) << text_;
  }
}

// A collector that ends no reply with LF and keeps the connection open:
// each reply is taken once it falls quiet.
TEST_F(TessalyClient, RepliesWithoutLineFeedOnAnOpenConnection) {
  using Then = PacedConnection::Then;
  PacedConnection& c = paced_.add();
  c.add("READY");
  c.add("ACK", 2);
  c.then = Then::kSilence;
  ASSERT_TRUE(pacedClient().connect());
  EXPECT_EQ(offerFile("the whole log\n"), Outcome::kAcknowledged);
  ASSERT_EQ(c.sends.size(), 2u);
  EXPECT_EQ(inflateAll(c.sends[1]), "the whole log\n");
  EXPECT_EQ(std::count(c.waits.begin(), c.waits.end(), ReplyReader::kQuietMillis), 2);

  PacedConnection& big = paced_.add();
  big.add("FILE_TOO_LARGE");
  big.then = Then::kSilence;
  ASSERT_TRUE(pacedClient().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kTooLarge);

  PacedConnection& test = paced_.add();
  test.add("CONN_TEST_OK");
  test.then = Then::kSilence;
  ASSERT_TRUE(pacedClient().connect());
  EXPECT_EQ(client_->connectionTest(), CollectorClient::TestOutcome::kDone);
  EXPECT_NE(text_.find("Received: CONN_TEST_OK"), std::string::npos);
}

TEST_F(TessalyClient, NulBytesAreTextLikeAnyOther) {
  ScriptedConnection& c = net_.add("c0:9000");
  c.pieces = {std::string("\0\0READY\n", 8), std::string("\0ACK\0\n", 6)};
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAcknowledged);
}

TEST_F(TessalyClient, RepliesOfEveryLengthUpToTheBuffer) {
  const size_t lengths[] = {1, 2, 5, 6, 100, 1023, 4096, 63999, 64000, 64001, 100000};
  for (size_t n : lengths) {
    for (bool lf : {false, true}) {
      // Filler, then READY at the very end of the reply.
      std::string reply(n, 'x');
      if (n >= 5) reply.replace(n - 5, 5, "READY");
      if (lf) reply += "\n";
      ScriptedConnection& c = net_.add("c0:9000");
      c.pieces = {reply};
      ASSERT_TRUE(client().connect());
      offerFile("abc");
      // A reply is at most 64000 bytes: READY past that is not in it, and
      // the file is sent only when READY was seen.
      bool seen = n >= 5 && n <= ReplyReader::kBufferSize;
      EXPECT_EQ(c.sends.size() > 1, seen) << n << " " << lf;
    }
  }
}

// --- Chunks ----------------------------------------------------------------

TEST_F(TessalyClient, ChunksOf64000Bytes) {
  for (size_t size : {size_t(64000), size_t(64001)}) {
    ScriptedConnection& c = net_.add("c0:9000");
    c.pieces = {"READY\n", "ACK\n"};
    ASSERT_TRUE(client().connect());
    std::string content(size, 'a');
    for (size_t i = 0; i < size; i += 97) content[i] = static_cast<char>('b' + i % 13);
    EXPECT_EQ(offerFile(content), Outcome::kAcknowledged);
    EXPECT_EQ(c.sends.size(), 1 + (size == 64000 ? 1u : 2u)) << size;
    EXPECT_EQ(inflateAll(stream(c)), content);
  }
}

// A chunk that does not compress (random bytes) deflates to more than the
// 64000-byte output buffer; the rest must follow, not stay in the
// compressor, or the collector never sees the whole file.
TEST_F(TessalyClient, IncompressibleChunkIsSentWhole) {
  ScriptedConnection& c = net_.add("c0:9000");
  c.pieces = {"READY\n", "ACK\n"};
  ASSERT_TRUE(client().connect());
  std::mt19937 rng(7);
  std::string content(2 * 64000, '\0');
  for (char& ch : content) ch = static_cast<char>(rng());
  EXPECT_EQ(offerFile(content), Outcome::kAcknowledged);
  EXPECT_GT(c.sends.size(), 3u);
  EXPECT_EQ(inflateAll(stream(c)), content);
}

TEST_F(TessalyClient, ShortSends) {
  ScriptedConnection& c1 = net_.add("c0:9000");
  c1.shortSendAt = 0;
  c1.shortSendBytes = 4;
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAborted);
  EXPECT_NE(text_.find("[E03]: *** Error sending HELLO! (e:0 -- 4, r:"), std::string::npos);

  ScriptedConnection& c2 = net_.add("c0:9000");
  c2.shortSendAt = 0;
  c2.shortSendBytes = -1;
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc", false), Outcome::kAborted);
  EXPECT_NE(text_.find("[E03]: *** Error sending \"NEXTFILE\t3\n\" command! (e:0 -- 0, r:11)"),
            std::string::npos);

  ScriptedConnection& c3 = net_.add("c0:9000");
  c3.pieces = {"READY\n"};
  c3.shortSendAt = 1;
  c3.shortSendBytes = 2;
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAborted);
  EXPECT_NE(text_.find("[E09]: *** Error sending file...\n"), std::string::npos);
  EXPECT_NE(text_.find(", actually sent 2 (e:0)]"), std::string::npos);
}

// A file that shrank after its size was announced cannot be completed; the
// collector would wait for the missing bytes, so the exchange is aborted.
TEST_F(TessalyClient, FileShorterThanAnnouncedAborts) {
  ScriptedConnection& c = net_.add("c0:9000");
  c.pieces = {"READY\n", "ACK\n"};
  ASSERT_TRUE(client().connect());
  std::string p = dir_.write("short.log", "abc");
  auto f = platform::RandomAccessFile::open(p, platform::RandomAccessFile::Mode::kReadOnly);
  EXPECT_EQ(client_->offer(p, f, 10, true, 1), Outcome::kAborted);
  EXPECT_NE(text_.find("ended after 3 of 10 bytes ... aborting"), std::string::npos) << text_;
}

// --- REDIRECT ----------------------------------------------------------------

TEST(TessalyRedirectParse, HostAndPort) {
  using E = CollectorClient::Redirect::Error;
  auto r = CollectorClient::parseRedirect("REDIRECT\tother.example:7000\n");
  EXPECT_EQ(r.error, E::kNone);
  EXPECT_EQ(r.host, "other.example");
  EXPECT_EQ(r.port, 7000);
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT\th:65535x").port, 65535);
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT other:7000\n").error, E::kAddress);
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT\tother\n").error, E::kPort);
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT\t:7000\n").error, E::kAddress);
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT\th:\n").error, E::kPort);
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT\th:0\n").error, E::kPort);
  // Beyond 16 bits is an error, not a port cut to 16 bits.
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT\th:70000\n").error, E::kPort);
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT\th:99999999999999999999\n").error, E::kPort);
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT\t" + std::string(127, 'h') + ":1").error,
            E::kNone);
  EXPECT_EQ(CollectorClient::parseRedirect("REDIRECT\t" + std::string(200, 'h') + ":1").error,
            E::kAddress);
}

TEST_F(TessalyClient, RedirectReconnectsElsewhereAndKeepsTheIndex) {
  ScriptedConnection& a = net_.add("c1:9001");
  a.pieces = {"REDIRECT\tother:7000\n"};
  net_.add("other:7000");
  CollectorClient& cl = client(3, 1);
  ASSERT_TRUE(cl.connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kRedirected);
  EXPECT_EQ(cl.target(), (Endpoint{"other", 7000}));
  EXPECT_EQ(cl.index(), 1u);
  EXPECT_NE(text_.find("\n---> Received REDIRECT to other:7000\n\n"), std::string::npos);
  EXPECT_EQ(net_.attempts, (std::vector<std::string>{"c1:9001", "other:7000"}));
}

TEST_F(TessalyClient, MalformedRedirects) {
  ScriptedConnection& a = net_.add("c0:9000");
  a.pieces = {"REDIRECT other:7000\n"};
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAborted);
  EXPECT_NE(text_.find("\n\n[E05]: *** Malformed REDIRECT address\n\n\n"), std::string::npos);
  ScriptedConnection& b = net_.add("c0:9000");
  b.pieces = {"REDIRECT\tother\n"};
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(offerFile("abc"), Outcome::kAborted);
  EXPECT_NE(text_.find("\n\n[E06]: *** Malformed REDIRECT port\n"), std::string::npos);
  EXPECT_EQ(net_.attempts.size(), 2u);
}

// Two collectors that send the uploader to each other would keep it for
// ever; after ten redirections it gives up and keeps its logs.
TEST_F(TessalyClient, RedirectLoopEnds) {
  for (int i = 0; i <= CollectorClient::kMaxRedirects; ++i)
    net_.add(i == 0 ? "c0:9000" : "x:1").pieces = {"REDIRECT\tx:1\n"};
  CollectorClient& cl = client();
  ASSERT_TRUE(cl.connect());
  Outcome o = Outcome::kRedirected;
  int rounds = 0;
  while (o == Outcome::kRedirected && rounds < 50) {
    o = offerFile("abc");
    ++rounds;
  }
  EXPECT_EQ(o, Outcome::kAborted);
  EXPECT_EQ(rounds, CollectorClient::kMaxRedirects + 1);
  EXPECT_NE(text_.find("[E07]: *** Too many REDIRECTs (10) ... aborting"), std::string::npos);
}

// --- Failover ----------------------------------------------------------------

TEST_F(TessalyClient, TenDeadCollectorsMakeExactlyTenAttempts) {
  CollectorClient& cl = client(10, 7);
  EXPECT_FALSE(cl.connect());
  std::vector<std::string> expected;
  for (int i = 0; i < 10; ++i) {
    int k = (7 + i) % 10;
    expected.push_back("c" + std::to_string(k) + ":" + std::to_string(9000 + k));
  }
  EXPECT_EQ(net_.attempts, expected);
  EXPECT_NE(text_.find("\n\n[E02]: *** Couldn't connect any known collector.\n\n\n"),
            std::string::npos);
  EXPECT_NE(text_.find("Connecting to collector \"c7:9007\" ... failed\n"), std::string::npos);
}

TEST_F(TessalyClient, FailoverMovesOnToTheNextLiveEntryAndWrapsShortTables) {
  net_.add("c1:9001");
  CollectorClient& cl = client(3, 2);
  EXPECT_TRUE(cl.connect());
  EXPECT_EQ(net_.attempts, (std::vector<std::string>{"c2:9002", "c0:9000", "c1:9001"}));
  EXPECT_EQ(cl.index(), 1u);
  // A short table is gone through again until ten attempts are made.
  FakeNetwork none;
  CollectorClient again(none, out_, table(3), 0, description());
  EXPECT_FALSE(again.connect());
  EXPECT_EQ(none.attempts.size(), 10u);
}

// --- Connection test -----------------------------------------------------------

TEST_F(TessalyClient, ConnectionTest) {
  ScriptedConnection& c = net_.add("c0:9000");
  c.pieces = {"CONN_TEST_OK\n"};
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(client_->connectionTest(), CollectorClient::TestOutcome::kDone);
  EXPECT_EQ(c.sends[0], "CONN_TEST\t1.5\tbf\tLinux (6.1 - 6.1.0 - 1.5.7)\t10.0.0.7\n");
  EXPECT_NE(text_.find("Sent: Connect CONN_TEST\nReceived: CONN_TEST_OK\n"), std::string::npos);

  ScriptedConnection& d = net_.add("c0:9000");
  d.shortSendAt = 0;
  d.shortSendBytes = 3;
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(client_->connectionTest(), CollectorClient::TestOutcome::kSendFailed);
  EXPECT_NE(text_.find("[E30]: *** Error sending CONN_TEST!(e:0 -- 3, r:"), std::string::npos);

  ScriptedConnection& e = net_.add("c0:9000");
  e.failWhenEmpty = true;
  ASSERT_TRUE(client().connect());
  EXPECT_EQ(client_->connectionTest(), CollectorClient::TestOutcome::kReceiveFailed);
  EXPECT_NE(text_.find("[E31]: *** Error reading CONN_TEST reply!"), std::string::npos);
}

}  // namespace
}  // namespace uploader
