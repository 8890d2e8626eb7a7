// Fuzz entry point for the uploader's handling of collector replies. The
// input is the collector's side of a connection: pieces separated by the
// byte 0x1e, each returned by one receive call; a final 0x1f makes the
// receive fail once the pieces are used up (else the connection ends).
// Every connection, redirected ones included, reads from the same script.
#include <cstdint>
#include <cstring>
#include <deque>
#include <string>

#include "platform/FileSystem.h"
#include "platform/RandomAccessFile.h"
#include "uploader/CollectorClient.h"

namespace {

struct Script {
  std::deque<std::string> pieces;
  bool fail = false;
};

class ScriptConnection : public platform::Connection {
 public:
  explicit ScriptConnection(Script& s) : s_(s) {}
  long sendOnce(const char*, size_t size) override { return static_cast<long>(size); }
  long receive(char* data, size_t size) override {
    if (s_.pieces.empty()) return s_.fail ? -1 : 0;
    std::string& p = s_.pieces.front();
    size_t n = std::min(size, p.size());
    std::memcpy(data, p.data(), n);
    p.erase(0, n);
    if (p.empty()) s_.pieces.pop_front();
    return static_cast<long>(n);
  }

 private:
  Script& s_;
};

class ScriptNetwork : public platform::Network {
 public:
  explicit ScriptNetwork(Script& s) : s_(s) {}
  std::unique_ptr<platform::Connection> connect(const std::string& host, uint16_t) override {
    if (host.empty() || host[0] == 'x') return nullptr;  // some hosts are dead
    return std::make_unique<ScriptConnection>(s_);
  }

 private:
  Script& s_;
};

const std::string& sampleFile() {
  static const std::string path = [] {
    std::string p = "/tmp/upload_reply_fuzzer_sample.log";
    platform::writeFile(p, std::string(70000, 'k'));
    return p;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  Script script;
  if (!input.empty() && input.back() == '\x1f') {
    script.fail = true;
    input.pop_back();
  }
  size_t start = 0;
  for (;;) {
    size_t sep = input.find('\x1e', start);
    script.pieces.push_back(input.substr(start, sep == std::string::npos ? sep : sep - start));
    if (sep == std::string::npos) break;
    start = sep + 1;
  }
  uploader::CollectorClient::parseRedirect(input);

  ScriptNetwork network(script);
  uploader::Output quiet;
  uploader::ClientDescription d;
  d.system = "Linux (1.0 - fuzz - 1.5.7)";
  uploader::CollectorClient client(network, quiet,
                                   uploader::CollectorTable::parseList("a:1,x:2,b:3"), 0, d);
  if (!client.connect()) return 0;
  auto file =
      platform::RandomAccessFile::open(sampleFile(), platform::RandomAccessFile::Mode::kReadOnly);
  bool first = true;
  for (int i = 0; i < 30; ++i) {
    auto outcome = client.offer(sampleFile(), file, 70000, first, 2);
    using O = uploader::CollectorClient::Outcome;
    if (outcome == O::kAborted || outcome == O::kNoCollector) break;
    first = outcome == O::kRedirected;
  }
  client.connect();
  client.connectionTest();
  return 0;
}
