#include "uploader/CollectorClient.h"

#include <algorithm>

#include "uploader/Deflater.h"

namespace uploader {
namespace {

bool contains(std::string_view s, std::string_view what) {
  return s.find(what) != std::string_view::npos;
}

std::string_view firstLine(std::string_view reply) {
  size_t lf = reply.find('\n');
  return lf == std::string_view::npos ? reply : reply.substr(0, lf);
}

}  // namespace

CollectorClient::CollectorClient(platform::Network& network, Output& out, CollectorTable table,
                                 size_t startIndex, ClientDescription description)
    : network_(network),
      out_(out),
      table_(std::move(table)),
      description_(std::move(description)),
      index_(startIndex % table_.size()),
      target_(table_[index_]) {}

bool CollectorClient::connect() {
  disconnect();
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    out_.say("Connecting to collector \"%s:%d\" ... ", target_.host.c_str(), target_.port);
    connection_ = network_.connect(target_.host, target_.port);
    if (connection_) {
      out_.say("success\n");
      return true;
    }
    out_.say("failed\n");
    index_ = (index_ + 1) % table_.size();
    target_ = table_[index_];
  }
  out_.say("\n\n[E02]: *** Couldn't connect any known collector.\n\n\n");
  return false;
}

void CollectorClient::disconnect() {
  connection_.reset();
  reader_.reset();
}

bool CollectorClient::sendCommand(const std::string& command, bool hello) {
  long sent = connection_ ? connection_->sendOnce(command.data(), command.size()) : -1;
  if (sent != static_cast<long>(command.size())) {
    long shown = std::max(sent, 0L);
    if (hello) {
      out_.say("\n\n[E03]: *** Error sending HELLO! (e:%d -- %ld, r:%zu)\n\n\n", 0, shown,
               command.size());
    } else {
      out_.say("\n\n[E03]: *** Error sending \"%s\" command! (e:%d -- %ld, r:%zu)\n\n\n",
               command.c_str(), 0, shown, command.size());
    }
    return false;
  }
  if (hello)
    out_.say("Sent: Connect HELLO\n");
  else
    out_.say("Sent INFO: %s", command.c_str());
  return true;
}

CollectorClient::Outcome CollectorClient::offer(const std::string& path,
                                                const platform::RandomAccessFile& file,
                                                int64_t size, bool first, int listed) {
  const ClientDescription& d = description_;
  std::string command = first ? "HELLO\t" + d.version + "\t" + d.gameType + "\t" + d.system + "\t" +
                                    d.address + "\t" + std::to_string(size) + "\t" +
                                    std::to_string(listed) + "\n"
                              : "NEXTFILE\t" + std::to_string(size) + "\n";
  if (!sendCommand(command, first)) return Outcome::kAborted;

  std::string reply;
  if (!reader_.next(*connection_, ReplyReader::kBufferSize, &reply)) {
    out_.say("\n\n[E04]: *** Error reading HELLO reply!\n\n\n");
    return Outcome::kAborted;
  }
  out_.sayBytes("Received: ");
  out_.sayBytes(reply);
  if (first && contains(reply, "REDIRECT")) return followRedirect(reply);
  if (contains(reply, "READY")) {
    // The collector can acknowledge a file only after it has the file:
    // bytes that came with READY or before the file is sent (an early
    // "ACK" above all) are no answer to it, and must not cost the log.
    size_t early = reader_.discard(*connection_);
    if (early > 0) out_.say("Ignored %zu bytes received before the file was sent\n", early);
    return sendFile(path, file, size);
  }
  std::string_view line = firstLine(reply);
  if (contains(line, "SYNTAX_ERROR") || contains(line, "UNSUPPORTED_VERSION") ||
      contains(line, "UNKNOWN_TYPE") || !contains(line, "FILE_TOO_LARGE")) {
    out_.sayBytes("\n\n[E08]: *** ERROR server response \"");
    out_.sayBytes(line);
    out_.sayBytes("\" ... aborting\n\n\n");
    return Outcome::kAborted;
  }
  return Outcome::kTooLarge;
}

CollectorClient::Redirect CollectorClient::parseRedirect(std::string_view reply) {
  Redirect r;
  size_t tab = reply.find('\t');
  if (tab == std::string_view::npos) {
    r.error = Redirect::Error::kAddress;
    return r;
  }
  std::string_view rest = reply.substr(tab + 1);
  size_t colon = rest.find(':');
  if (colon == std::string_view::npos) {
    r.error = Redirect::Error::kPort;
    return r;
  }
  std::string_view host = rest.substr(0, colon);
  // An empty host, or one longer than a table entry may be, is no address.
  if (host.empty() || host.size() > CollectorTable::kMaxHostLength) {
    r.error = Redirect::Error::kAddress;
    return r;
  }
  std::string_view digits = rest.substr(colon + 1);
  size_t n = 0;
  uint32_t port = 0;
  while (n < digits.size() && digits[n] >= '0' && digits[n] <= '9' && port <= 65535) {
    port = port * 10 + static_cast<uint32_t>(digits[n] - '0');
    ++n;
  }
  // No digits, port 0, or a number that does not fit a port: the port is
  // malformed rather than silently cut to 16 bits.
  if (n == 0 || port == 0 || port > 65535) {
    r.error = Redirect::Error::kPort;
    return r;
  }
  r.host = std::string(host);
  r.port = static_cast<uint16_t>(port);
  return r;
}

CollectorClient::Outcome CollectorClient::followRedirect(std::string_view reply) {
  Redirect r = parseRedirect(reply);
  if (r.error == Redirect::Error::kAddress) {
    out_.say("\n\n[E05]: *** Malformed REDIRECT address\n\n\n");
    return Outcome::kAborted;
  }
  if (r.error == Redirect::Error::kPort) {
    out_.say("\n\n[E06]: *** Malformed REDIRECT port\n");
    return Outcome::kAborted;
  }
  if (++redirects_ > kMaxRedirects) {
    out_.say("\n\n[E07]: *** Too many REDIRECTs (%d) ... aborting\n\n\n", kMaxRedirects);
    return Outcome::kAborted;
  }
  out_.say("\n---> Received REDIRECT to %s:%d\n\n", r.host.c_str(), r.port);
  disconnect();
  target_ = Endpoint{r.host, r.port};
  return connect() ? Outcome::kRedirected : Outcome::kNoCollector;
}

CollectorClient::Outcome CollectorClient::sendFile(const std::string& path,
                                                   const platform::RandomAccessFile& file,
                                                   int64_t size) {
  out_.say("Sending: \"%s\"\n", path.c_str());
  Deflater deflater;
  int rc = deflater.init();
  if (rc != Z_OK) {
    out_.always("[EZ00]: Error deflateInit (%d)\n", rc);
    return Outcome::kAborted;
  }
  chunk_.resize(kChunkSize);
  compressed_.resize(kChunkSize);
  int64_t offset = 0;
  int64_t sentTotal = 0;
  while (offset < size) {
    size_t want = static_cast<size_t>(std::min<int64_t>(size - offset, kChunkSize));
    size_t got = 0;
    try {
      got = file.readAt(offset, std::span<uint8_t>(chunk_.data(), want));
    } catch (const std::exception&) {
      got = 0;
    }
    if (got == 0) break;
    offset += static_cast<int64_t>(got);
    deflater.input(chunk_.data(), got);
    // Everything the chunk compresses to is sent, in as many buffers as it
    // takes, so nothing stays behind in the compressor.
    bool more = true;
    while (more) {
      size_t produced = 0;
      rc = deflater.flush(compressed_.data(), compressed_.size(), &produced, &more);
      if (rc != Z_OK) {
        out_.always("\n\n[EZ01]: *** Deflate did not finish (%d)...\n\n\n", rc);
        return Outcome::kAborted;
      }
      if (produced == 0) continue;
      long sent =
          connection_->sendOnce(reinterpret_cast<const char*>(compressed_.data()), produced);
      if (sent != static_cast<long>(produced)) {
        out_.say("\n\n[E09]: *** Error sending file...\n");
        out_.say("       [Tried to send %zu bytes, actually sent %ld (e:%d)]\n\n\n", produced,
                 std::max(sent, 0L), 0);
        return Outcome::kAborted;
      }
      sentTotal += sent;
    }
  }
  if (offset < size) {
    // The file shrank after it was announced; the collector would wait for
    // the missing bytes for ever.
    out_.say("\n\n[E12]: *** \"%s\" ended after %lld of %lld bytes ... aborting\n\n\n",
             path.c_str(), static_cast<long long>(offset), static_cast<long long>(size));
    return Outcome::kAborted;
  }
  out_.say("  [ Sent %lld bytes (%lld total) ]\n", static_cast<long long>(sentTotal),
           static_cast<long long>(size));
  return awaitAck();
}

CollectorClient::Outcome CollectorClient::awaitAck() {
  std::string reply;
  if (!reader_.next(*connection_, ReplyReader::kBufferSize, &reply)) {
    out_.say("\n\n[E05]: ** Error reading ACK reply!\n\n\n");
    return Outcome::kAborted;
  }
  std::string_view line = firstLine(reply);
  if (!contains(line, "ACK")) {
    out_.sayBytes("\n\n[E04]: *** Unknown response \"");
    out_.sayBytes(line);
    out_.sayBytes("\" waiting for ACK\n\n\n");
    return Outcome::kAborted;
  }
  out_.sayBytes("Received:  ");
  out_.sayBytes(line);
  out_.sayBytes("\n\n");
  return Outcome::kAcknowledged;
}

CollectorClient::TestOutcome CollectorClient::connectionTest() {
  const ClientDescription& d = description_;
  std::string command =
      "CONN_TEST\t" + d.version + "\t" + d.gameType + "\t" + d.system + "\t" + d.address + "\n";
  long sent = connection_ ? connection_->sendOnce(command.data(), command.size()) : -1;
  if (sent != static_cast<long>(command.size())) {
    out_.say("\n\n[E30]: *** Error sending CONN_TEST!");
    out_.say("(e:%d -- %ld, r:%zu)\n\n\n", 0, std::max(sent, 0L), command.size());
    disconnect();
    return TestOutcome::kSendFailed;
  }
  out_.say("Sent: Connect CONN_TEST\n");
  std::string reply;
  if (!reader_.next(*connection_, kTestReplyLimit, &reply)) {
    out_.say("\n\n[E31]: *** Error reading CONN_TEST reply!\n\n\n");
    disconnect();
    return TestOutcome::kReceiveFailed;
  }
  out_.sayBytes("Received: ");
  out_.sayBytes(reply);
  disconnect();
  return TestOutcome::kDone;
}

}  // namespace uploader
