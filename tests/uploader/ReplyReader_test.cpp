// How the uploader reads the collector's replies: across receives up to a
// LF, after a quiet time for a begun reply without one, at the end of the
// connection; and the bytes it drops before it sends a file.
#include "uploader/ReplyReader.h"

#include <gtest/gtest.h>

#include "platform/FakeNetwork.h"
#include "uploader/PacedConnection.h"

namespace uploader {
namespace {

using testing_support::PacedConnection;
using testing_support::ScriptedConnection;
using Then = PacedConnection::Then;
using Readiness = platform::Connection::Readiness;

constexpr int64_t kQuiet = 250;

std::string nextReply(ReplyReader& r, platform::Connection& c) {
  std::string reply = "(unset)";
  EXPECT_TRUE(r.next(c, ReplyReader::kBufferSize, &reply));
  return reply;
}

// --- Where a reply ends ------------------------------------------------------

TEST(ReplyReaderEnd, ReplyWithoutLineFeedIsTakenOnceTheCollectorFallsQuiet) {
  PacedConnection c;
  c.then = Then::kSilence;
  c.add("READY");
  ReplyReader r(kQuiet);
  EXPECT_EQ(nextReply(r, c), "READY");
  EXPECT_EQ(c.waits, std::vector<int64_t>{kQuiet});
  EXPECT_EQ(c.receives, 1);

  PacedConnection d;
  d.then = Then::kSilence;
  d.add("ACK");
  ReplyReader standard;
  EXPECT_EQ(nextReply(standard, d), "ACK");
  EXPECT_EQ(d.waits, std::vector<int64_t>{ReplyReader::kQuietMillis});
}

TEST(ReplyReaderEnd, PiecesAreOneReplyUntilTheLineFeedOrTheQuiet) {
  PacedConnection c;
  c.then = Then::kSilence;
  for (const char* piece : {"RE", "AD", "Y\n"}) c.add(piece);
  ReplyReader r(kQuiet);
  EXPECT_EQ(nextReply(r, c), "READY\n");
  EXPECT_EQ(c.receives, 3);

  PacedConnection d;
  d.then = Then::kSilence;
  for (const char* piece : {"FILE_", "TOO_", "LARGE"}) d.add(piece);
  EXPECT_EQ(nextReply(r, d), "FILE_TOO_LARGE");
  EXPECT_EQ(d.receives, 3);

  // A pause longer than the quiet time inside a reply cuts it in two.
  PacedConnection e;
  e.then = Then::kSilence;
  e.add("REDI");
  e.steps.push_back(PacedConnection::pause());
  e.add("RECT\n");
  EXPECT_EQ(nextReply(r, e), "REDI");
  EXPECT_EQ(nextReply(r, e), "RECT\n");
}

TEST(ReplyReaderEnd, TwoRepliesInOneReceiveAreTakenOneByOne) {
  PacedConnection c;
  c.then = Then::kSilence;
  c.add("READY\nACK\n");
  ReplyReader r(kQuiet);
  EXPECT_EQ(nextReply(r, c), "READY\n");
  EXPECT_EQ(nextReply(r, c), "ACK\n");
  EXPECT_EQ(c.receives, 1);
  EXPECT_TRUE(c.waits.empty());
}

// A collector may take its time before it answers (it stores a log before
// the ACK); only a reply that has begun is ended by the quiet time.
TEST(ReplyReaderEnd, TheFirstByteIsAwaitedWithoutLimit) {
  PacedConnection c;
  c.then = Then::kSilence;
  c.steps.push_back(PacedConnection::pause());
  c.add("ACK\n");
  ReplyReader r(kQuiet);
  EXPECT_EQ(nextReply(r, c), "ACK\n");
  EXPECT_TRUE(c.waits.empty());
}

TEST(ReplyReaderEnd, EndOfConnectionAndFailure) {
  PacedConnection c;
  c.add("ACK");
  ReplyReader r(kQuiet);
  EXPECT_EQ(nextReply(r, c), "ACK");
  EXPECT_EQ(nextReply(r, c), "");

  PacedConnection d;
  d.then = Then::kFailure;
  d.add("REA");
  ReplyReader f(kQuiet);
  std::string reply;
  EXPECT_FALSE(f.next(d, ReplyReader::kBufferSize, &reply));
}

// --- Dropping what came before the file ----------------------------------------

TEST(ReplyReaderDiscard, DropsWhatArrivedSoFarButNotWhatComesAfter) {
  PacedConnection c;
  c.then = Then::kSilence;
  c.add("READY\nAC");
  c.add("K\n");
  c.add("ACK stored\n", 1);  // the answer to what is sent below
  ReplyReader r(kQuiet);
  EXPECT_EQ(nextReply(r, c), "READY\n");
  EXPECT_EQ(r.discard(c), 4u);
  ASSERT_EQ(c.sendOnce("file", 4), 4);
  EXPECT_EQ(nextReply(r, c), "ACK stored\n");
}

TEST(ReplyReaderDiscard, AnEndOrFailureMetWhileDroppingIsTheNextReply) {
  PacedConnection c;
  c.add("READY\nACK\n");
  ReplyReader r(kQuiet);
  EXPECT_EQ(nextReply(r, c), "READY\n");
  EXPECT_EQ(r.discard(c), 4u);
  EXPECT_EQ(nextReply(r, c), "");

  PacedConnection d;
  d.then = Then::kFailure;
  d.add("READY\nACK\n");
  ReplyReader f(kQuiet);
  EXPECT_EQ(nextReply(f, d), "READY\n");
  EXPECT_EQ(f.discard(d), 4u);
  std::string reply;
  EXPECT_FALSE(f.next(d, ReplyReader::kBufferSize, &reply));
}

// A connection that cannot tell whether bytes wait would block in a
// receive; only the pending bytes are dropped.
TEST(ReplyReaderDiscard, AConnectionThatCannotTellKeepsItsBytes) {
  ScriptedConnection c;
  c.pieces = {"READY\nACK\n", "ACK\n"};
  ReplyReader r(kQuiet);
  EXPECT_EQ(nextReply(r, c), "READY\n");
  EXPECT_EQ(r.discard(c), 4u);
  EXPECT_EQ(nextReply(r, c), "ACK\n");
}

TEST(ReplyReaderDiscard, APeerThatNeverStopsSendingCannotKeepTheReaderThere) {
  PacedConnection c;
  c.then = Then::kSilence;
  for (int i = 0; i < 10; ++i) c.add(std::string(10000, 'x'));
  ReplyReader r(kQuiet);
  EXPECT_EQ(r.discard(c), ReplyReader::kBufferSize);
  EXPECT_EQ(nextReply(r, c), std::string(36000, 'x'));
}

// --- Over a real connection ----------------------------------------------------

TEST(ReplyReaderSocket, WaitsForReadabilityAndTakesAReplyWithoutLineFeed) {
  std::string error;
  platform::Listener listener = platform::Listener::open("127.0.0.1", 0, &error);
  ASSERT_TRUE(listener.isOpen()) << error;
  std::unique_ptr<platform::Connection> collector =
      platform::systemNetwork().connect("127.0.0.1", listener.port());
  ASSERT_TRUE(collector);
  platform::Socket uploader = listener.accept();
  ASSERT_TRUE(uploader.isOpen());
  // A reader that waited for a LF would fail here instead of hanging.
  ASSERT_TRUE(uploader.setReceiveTimeout(10000));

  EXPECT_EQ(uploader.waitReadable(0), Readiness::kQuiet);
  EXPECT_EQ(uploader.waitReadable(20), Readiness::kQuiet);
  ASSERT_EQ(collector->sendOnce("READY", 5), 5);
  EXPECT_EQ(uploader.waitReadable(20000), Readiness::kReadable);
  ReplyReader r(50);
  EXPECT_EQ(nextReply(r, uploader), "READY");
  ASSERT_EQ(collector->sendOnce("ACK\n", 4), 4);
  EXPECT_EQ(nextReply(r, uploader), "ACK\n");
  collector.reset();
  EXPECT_EQ(uploader.waitReadable(20000), Readiness::kReadable);
  EXPECT_EQ(nextReply(r, uploader), "");

  platform::Socket closed;
  EXPECT_EQ(closed.waitReadable(20000), Readiness::kReadable);
}

}  // namespace
}  // namespace uploader
