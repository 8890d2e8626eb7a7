// The collector server as a running program, spoken to directly: clients
// that misbehave are dropped without harm to the others, and only complete
// logs ever appear in the store.
#include "tools/collector/CollectorServer.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>
#include <zlib.h>

#include "TestDir.h"
#include "e2e/CollectorProcess.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Socket.h"
#include "tools/collector/CollectorOptions.h"

namespace {

using testing_support::CollectorProcess;
using testing_support::TestDir;

// A raw client of the collector.
class Client {
 public:
  explicit Client(int port)
      : c_(platform::systemNetwork().connect("127.0.0.1", static_cast<uint16_t>(port))) {}
  bool ok() const { return c_ != nullptr; }
  void send(const std::string& s) { c_->sendOnce(s.data(), s.size()); }
  // One reply line; "" when the connection ended.
  std::string reply() {
    std::string r;
    char ch;
    while (c_->receive(&ch, 1) == 1) {
      r += ch;
      if (ch == '\n') break;
    }
    return r;
  }

 private:
  std::unique_ptr<platform::Connection> c_;
};

std::string hello(size_t size) {
  return "HELLO\t1.5\tbf\tLinux (6 - x - 1.5.7)\t127.0.0.1\t" + std::to_string(size) + "\t1\n";
}

// A sync-flushed, unfinished zlib stream of `text`.
std::string deflated(const std::string& text) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
  std::string out(text.size() + 1024, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_SYNC_FLUSH);
  out.resize(out.size() - z.avail_out);
  deflateEnd(&z);
  return out;
}

class CollectorServerTest : public ::testing::Test {
 protected:
  CollectorServerTest() : store_(dir_.mkdir("store")) {}
  size_t stored() const { return platform::listDirectory(store_).size(); }
  TestDir dir_;
  std::string store_;
};

TEST_F(CollectorServerTest, StoresALogSentInPieces) {
  CollectorProcess c(store_);
  Client a(c.port());
  ASSERT_TRUE(a.ok());
  const std::string text = "0.00\tgame_start\r\n5.00\tkill\t1\tPistol\t2\r\n";
  a.send(hello(text.size()));
  EXPECT_EQ(a.reply(), "READY\n");
  std::string z = deflated(text);
  // Byte by byte, so the end of the stream arrives on its own.
  for (char ch : z) a.send(std::string(1, ch));
  EXPECT_EQ(a.reply(), "ACK\n");
  ASSERT_EQ(stored(), 1u);
  EXPECT_EQ(platform::readFile(store_ + "/" + platform::listDirectory(store_)[0]), text);
  a.send("NEXTFILE\t2000000\n");
  EXPECT_EQ(a.reply(), "FILE_TOO_LARGE\n");
  a.send("HELLO\t1.5\tbf\ts\t127.0.0.1\t1\t1\n");
  EXPECT_EQ(a.reply(), "SYNTAX_ERROR\n");  // one HELLO per connection
  EXPECT_EQ(a.reply(), "");
}

TEST_F(CollectorServerTest, BadClientsAreDroppedAndOthersServed) {
  CollectorProcess c(store_, {"--idle-timeout", "1"});
  Client stalled(c.port());
  stalled.send("HEL");  // and nothing more
  Client garbage(c.port());
  garbage.send(std::string("\x00\xff\x13garbage\n", 11));
  EXPECT_EQ(garbage.reply(), "SYNTAX_ERROR\n");
  EXPECT_EQ(garbage.reply(), "");
  Client first(c.port());
  first.send("NEXTFILE\t5\n");
  EXPECT_EQ(first.reply(), "SYNTAX_ERROR\n");
  Client version(c.port());
  version.send("HELLO\t2.0\tbf\ts\t127.0.0.1\t1\t1\n");
  EXPECT_EQ(version.reply(), "UNSUPPORTED_VERSION\n");
  Client tooMuch(c.port());
  tooMuch.send(hello(3));
  EXPECT_EQ(tooMuch.reply(), "READY\n");
  tooMuch.send(deflated("more than three"));
  EXPECT_EQ(tooMuch.reply(), "");
  Client notZlib(c.port());
  notZlib.send(hello(10));
  EXPECT_EQ(notZlib.reply(), "READY\n");
  notZlib.send("this is not a zlib stream");
  EXPECT_EQ(notZlib.reply(), "");
  Client cut(c.port());
  std::string text(50000, 'q');
  cut.send(hello(text.size()));
  EXPECT_EQ(cut.reply(), "READY\n");
  std::string z = deflated(text);
  cut.send(z.substr(0, z.size() / 2));
  { Client gone = std::move(cut); }

  // Meanwhile a good client gets its log stored.
  Client good(c.port());
  good.send(hello(4));
  EXPECT_EQ(good.reply(), "READY\n");
  good.send(deflated("good"));
  EXPECT_EQ(good.reply(), "ACK\n");
  EXPECT_EQ(stored(), 1u);
  // The stalled client is let go after its idle time.
  EXPECT_EQ(stalled.reply(), "");
  std::string log = c.log();
  EXPECT_NE(log.find("dropped: unknown command"), std::string::npos) << log;
  EXPECT_NE(log.find("dropped: more data than announced"), std::string::npos) << log;
  EXPECT_NE(log.find("dropped: bad compressed data"), std::string::npos) << log;
  EXPECT_NE(log.find("dropped: receive failed or idle too long"), std::string::npos) << log;
}

// --allow: a client from outside the allowed networks is closed before any
// exchange, with a log line; one from inside is served as usual.
TEST_F(CollectorServerTest, AllowServesOnlyTheGivenNetworks) {
  {
    CollectorProcess c(store_, {"--allow", "10.0.0.0/8", "--allow", "192.168.1.1"});
    ASSERT_NE(c.port(), 0) << c.log();
    Client outsider(c.port());
    ASSERT_TRUE(outsider.ok());
    outsider.send(hello(4));
    EXPECT_EQ(outsider.reply(), "");
    std::string log = c.log();
    EXPECT_NE(log.find("refused 127.0.0.1:"), std::string::npos) << log;
    EXPECT_NE(log.find("not an allowed address"), std::string::npos) << log;
    EXPECT_EQ(log.find("HELLO"), std::string::npos) << log;
  }
  // A store of its own, so that the first server's port file is not read.
  std::string store = dir_.mkdir("inside");
  CollectorProcess c(store, {"--allow", "10.0.0.0/8", "--allow", "127.0.0.0/8"});
  ASSERT_NE(c.port(), 0) << c.log();
  Client insider(c.port());
  insider.send(hello(4));
  EXPECT_EQ(insider.reply(), "READY\n");
  insider.send(deflated("good"));
  EXPECT_EQ(insider.reply(), "ACK\n");
  EXPECT_EQ(platform::listDirectory(store).size(), 1u);
  EXPECT_EQ(stored(), 0u);
}

// --max-store: a log that would take the store past its limit is refused
// before any of it is sent, so neither the store nor the incoming directory
// ever holds part of it. Logs still being received count against the limit,
// and room comes back when a statistics run empties the store.
TEST_F(CollectorServerTest, MaxStoreRefusesWholeLogs) {
  CollectorProcess c(store_, {"--max-store", "100"});
  ASSERT_NE(c.port(), 0) << c.log();
  const std::string sixty(60, 'a');
  Client a(c.port());
  a.send(hello(sixty.size()));
  EXPECT_EQ(a.reply(), "READY\n");
  // While a's 60 bytes are on their way, 50 more would not fit.
  Client b(c.port());
  b.send(hello(50));
  EXPECT_EQ(b.reply(), "STORE_FAILED\n");
  EXPECT_EQ(b.reply(), "");
  a.send(deflated(sixty));
  EXPECT_EQ(a.reply(), "ACK\n");
  a.send("NEXTFILE\t40\n");  // exactly up to the limit
  EXPECT_EQ(a.reply(), "READY\n");
  a.send(deflated(std::string(40, 'b')));
  EXPECT_EQ(a.reply(), "ACK\n");
  a.send("NEXTFILE\t1\n");
  EXPECT_EQ(a.reply(), "STORE_FAILED\n");
  EXPECT_EQ(a.reply(), "");
  EXPECT_EQ(stored(), 2u);
  EXPECT_TRUE(platform::listDirectory(store_ + ".incoming").empty());
  EXPECT_NE(c.log().find("refused a log of 1 bytes: the store is full"), std::string::npos)
      << c.log();

  // A statistics run takes the logs away: there is room again.
  for (const std::string& name : platform::listDirectory(store_))
    ASSERT_TRUE(platform::removePath(store_ + "/" + name));
  Client cut(c.port());
  cut.send(hello(100));
  EXPECT_EQ(cut.reply(), "READY\n");
  cut.send(deflated(std::string(100, 'c')).substr(0, 10));
  { Client gone = std::move(cut); }
  // The abandoned log gives its room back once the server has noticed.
  std::string answer;
  for (int i = 0; i < 200 && answer != "READY\n"; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Client d(c.port());
    d.send(hello(100));
    answer = d.reply();
    if (answer == "READY\n") {
      d.send(deflated(std::string(100, 'd')));
      EXPECT_EQ(d.reply(), "ACK\n");
    }
  }
  EXPECT_EQ(answer, "READY\n");
  ASSERT_EQ(stored(), 1u);
  EXPECT_EQ(platform::readFile(store_ + "/" + platform::listDirectory(store_)[0]),
            std::string(100, 'd'));
}

// A start refused for a missing store, or for an address the server cannot
// listen on, leaves the disk as it was: no incoming directory appears, no
// port file, and the parts an earlier server left stay for the next start.
TEST(CollectorServerStart, ARefusedStartTouchesNothing) {
  using tools::collector::CollectorOptions;
  using tools::collector::CollectorServer;
  TestDir d;
  auto start = [&](const std::string& store, const std::string& listen) {
    std::string error;
    auto o = CollectorOptions::parse(
        {"--store", store, "--listen", listen, "--port-file", d / "port"}, &error);
    EXPECT_TRUE(o) << error;
    return o ? CollectorServer(*o).run() : -1;
  };
  EXPECT_EQ(start(d / "missing", "127.0.0.1:0"), 1);
  EXPECT_TRUE(platform::listDirectory(d.path()).empty());

  std::string error;
  platform::Listener taken = platform::Listener::open("127.0.0.1", 0, &error);
  ASSERT_TRUE(taken.isOpen()) << error;
  const std::string busy = "127.0.0.1:" + std::to_string(taken.port());
  d.mkdir("store");
  EXPECT_EQ(start(d / "store", busy), 1);
  EXPECT_EQ(platform::listDirectory(d.path()), std::vector<std::string>{"store"});

  d.mkdir("kept");
  d.mkdir("kept.incoming");
  d.write("kept.incoming/1-1.part", "half a log");
  EXPECT_EQ(start(d / "kept", busy), 1);
  EXPECT_EQ(platform::listDirectory(d / "kept.incoming"), std::vector<std::string>{"1-1.part"});
  EXPECT_FALSE(platform::exists(d / "port"));
}

}  // namespace
