// Eight uploaders at once, fifty logs each, into one collector: every log is
// delivered exactly once. The instance lock allows one uploader per machine,
// so the clients here are the uploader's own run code with the lock left
// out, each in a thread of its own.
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "e2e/CollectorProcess.h"
#include "platform/FileSystem.h"
#include "platform/ProcessTable.h"
#include "platform/Socket.h"
#include "uploader/Uploader.h"

namespace {

using testing_support::CollectorProcess;
using testing_support::TestDir;

TEST(TessalyLoad, EightClientsFiftyLogsEachExactlyOnce) {
  constexpr int kClients = 8;
  constexpr int kLogs = 50;
  TestDir work;
  std::string store = work.mkdir("store");
  CollectorProcess collector(store);
  ASSERT_GT(collector.port(), 0);
  const std::string endpoint = collector.endpoint();

  std::multiset<std::string> sent;
  std::vector<std::string> dirs;
  for (int c = 0; c < kClients; ++c) {
    dirs.push_back(work.mkdir("client" + std::to_string(c)));
    for (int i = 0; i < kLogs; ++i) {
      std::string text = "client " + std::to_string(c) + " log " + std::to_string(i) + "\n";
      while (text.size() < static_cast<size_t>(2000 + 37 * i))
        text += "0.00\tkill\t1\tPistol\t2\r\n";
      platform::writeFile(dirs.back() + "/m" + std::to_string(i) + ".log", text);
      sent.insert(text);
    }
  }

  std::vector<int> codes(kClients, 0);
  std::vector<std::thread> threads;
  for (int c = 0; c < kClients; ++c) {
    threads.emplace_back([&, c] {
      uploader::Output quiet;
      uploader::Environment env;
      env.network = &platform::systemNetwork();
      env.processes = &platform::systemProcessTable();
      env.out = &quiet;
      env.collectors = endpoint.c_str();
      env.home = dirs[c];
      env.lockPort.reset();
      codes[c] = uploader::Uploader(std::move(env)).run({"-l", "-d", dirs[c]});
    });
  }
  for (auto& t : threads) t.join();

  for (int c = 0; c < kClients; ++c) {
    EXPECT_EQ(codes[c], 50) << "client " << c;
    EXPECT_TRUE(platform::listDirectory(dirs[c]).empty()) << "client " << c;
  }
  std::multiset<std::string> stored;
  for (const auto& n : platform::listDirectory(store))
    stored.insert(platform::readFile(store + "/" + n));
  EXPECT_EQ(stored.size(), static_cast<size_t>(kClients * kLogs));
  EXPECT_TRUE(stored == sent);
}

}  // namespace
