#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RandomAccessFile.h"
#include "platform/Socket.h"
#include "uploader/ClientDescription.h"
#include "uploader/CollectorTable.h"
#include "uploader/Output.h"
#include "uploader/ReplyReader.h"

namespace uploader {

// The uploader's side of the collector protocol: choosing and failing over
// between collectors, following redirections, offering files with HELLO and
// NEXTFILE, streaming them compressed, and the connection test. Messages go
// to the Output given; the caller decides what each outcome does to the
// file.
class CollectorClient {
 public:
  static constexpr size_t kChunkSize = 64000;
  static constexpr int kConnectAttempts = 10;
  // Redirections followed in one run before the uploader gives up (two
  // collectors sending it to each other would otherwise keep it for ever).
  static constexpr int kMaxRedirects = 10;
  static constexpr size_t kTestReplyLimit = 1024;

  enum class Outcome {
    kAcknowledged,  // the collector has the file
    kTooLarge,      // the collector refused it for its size
    kRedirected,    // reconnected elsewhere; the listing starts again
    kAborted,       // the exchange failed (message printed)
    kNoCollector,   // a redirection's reconnect found no collector
  };
  enum class TestOutcome { kDone, kSendFailed, kReceiveFailed };

  // What a REDIRECT reply asks for.
  struct Redirect {
    enum class Error { kNone, kAddress, kPort } error = Error::kNone;
    std::string host;
    uint16_t port = 0;
  };

  // `startIndex` is taken modulo the table's size.
  CollectorClient(platform::Network& network, Output& out, CollectorTable table, size_t startIndex,
                  ClientDescription description);

  // Connects to the current target, moving on through the table after each
  // failure; false (after the E02 line) when ten attempts in a row failed.
  bool connect();
  void disconnect();

  // Offers a file of `size` bytes that is open in `file`: with HELLO when
  // `first` (carrying `listed`, the number of logs listed), else NEXTFILE.
  Outcome offer(const std::string& path, const platform::RandomAccessFile& file, int64_t size,
                bool first, int listed);

  // The CONN_TEST exchange on the current connection.
  TestOutcome connectionTest();

  const Endpoint& target() const { return target_; }
  size_t index() const { return index_; }
  int redirects() const { return redirects_; }

  // Reads the host and port of a REDIRECT reply (text after the first TAB up
  // to the first ":", and the decimal number after it).
  static Redirect parseRedirect(std::string_view reply);

 private:
  bool sendCommand(const std::string& command, bool hello);
  Outcome followRedirect(std::string_view reply);
  Outcome sendFile(const std::string& path, const platform::RandomAccessFile& file, int64_t size);
  Outcome awaitAck();

  platform::Network& network_;
  Output& out_;
  CollectorTable table_;
  ClientDescription description_;
  size_t index_;
  Endpoint target_;
  std::unique_ptr<platform::Connection> connection_;
  ReplyReader reader_;
  std::vector<uint8_t> chunk_;
  std::vector<uint8_t> compressed_;
  int redirects_ = 0;
};

}  // namespace uploader
