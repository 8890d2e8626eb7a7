#include "tools/collector/CollectorServer.h"

#include <cstring>
#include <thread>
#include <vector>

#include <zlib.h>

#include "base/Failure.h"
#include "platform/FileSystem.h"
#include "tools/collector/CollectorCommand.h"

namespace tools::collector {
namespace {

constexpr size_t kBufferSize = 65536;
constexpr char kSyncMarker[4] = {0, 0, static_cast<char>(0xff), static_cast<char>(0xff)};

// One uploader's connection.
class Session {
 public:
  Session(CollectorServer& server, platform::Socket socket, uint64_t id)
      : server_(server), options_(server.options()), socket_(std::move(socket)), id_(id) {
    peer_ = socket_.peerText();
    buffer_.resize(kBufferSize);
  }

  void run();

 private:
  enum class Read { kData, kClosed, kFailed };

  void log(const std::string& what) {
    server_.log("#" + std::to_string(id_) + " " + peer_ + ": " + what);
  }
  // Receives into buffer_, counting bytes for the drop-after fault.
  Read receive(size_t* got);
  // Reads one command line (without its LF) into `line`.
  Read readLine(std::string* line);
  bool reply(const std::string& text) {
    size_t n = text.size();
    if (options_.fault == CollectorOptions::Fault::kNoNewline && n > 0 && text[n - 1] == '\n') --n;
    return socket_.sendAll(text.data(), n);
  }
  // Handles one command; false when the connection is to end.
  bool handle(const CollectorCommand& c);
  // Receives and stores a log of `size` bytes; false when the connection is
  // to end.
  bool receiveLog(int64_t size);
  enum class Stream { kComplete, kConnectionLost, kBadData };
  Stream inflateInto(int64_t size, LogStore::Incoming* incoming, bool* writeFailed,
                     std::string* error);
  void stall();

  CollectorServer& server_;
  const CollectorOptions& options_;
  platform::Socket socket_;
  uint64_t id_;
  std::string peer_;
  std::vector<char> buffer_;
  std::string pending_;  // received bytes not yet used
  int64_t received_ = 0;
  bool dropped_ = false;
  bool sawHello_ = false;
  int files_ = 0;
};

Session::Read Session::receive(size_t* got) {
  size_t want = buffer_.size();
  if (options_.dropAfterBytes >= 0) {
    int64_t left = options_.dropAfterBytes - received_;
    if (left <= 0) {
      log("dropped after " + std::to_string(received_) + " bytes (fault)");
      socket_.closeWithReset();
      dropped_ = true;
      return Read::kFailed;
    }
    want = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(want)));
  }
  long n = socket_.receive(buffer_.data(), want);
  if (n < 0) return Read::kFailed;
  if (n == 0) return Read::kClosed;
  received_ += n;
  *got = static_cast<size_t>(n);
  return Read::kData;
}

Session::Read Session::readLine(std::string* line) {
  for (;;) {
    size_t lf = pending_.find('\n');
    if (lf != std::string::npos) {
      line->assign(pending_, 0, lf);
      pending_.erase(0, lf + 1);
      return Read::kData;
    }
    if (pending_.size() > CollectorCommand::kMaxLine) {
      *line = pending_;
      return Read::kData;  // refused by the parser as too long
    }
    size_t got = 0;
    Read r = receive(&got);
    if (r != Read::kData) return r;
    pending_.append(buffer_.data(), got);
  }
}

void Session::stall() {
  log("stalling (fault)");
  if (!socket_.setReceiveTimeout(0)) log("cannot clear the receive timeout");
  size_t got = 0;
  while (receive(&got) == Read::kData) {
  }
  log("stalled client left");
}

void Session::run() {
  if (!socket_.setReceiveTimeout(options_.idleTimeoutSeconds * 1000))
    log("cannot set the receive timeout");
  log("connected");
  for (;;) {
    std::string line;
    Read r = readLine(&line);
    if (r == Read::kClosed) {
      log("closed after " + std::to_string(files_) + " logs");
      return;
    }
    if (r == Read::kFailed) {
      if (!dropped_) log("dropped: receive failed or idle too long");
      return;
    }
    if (options_.fault == CollectorOptions::Fault::kStall) return stall();
    ParsedCommand p = CollectorCommand::parse(line);
    if (!p.command) {
      log("dropped: " + p.reason);
      reply(p.refusal + "\n");
      return;
    }
    if (!handle(*p.command)) return;
  }
}

bool Session::handle(const CollectorCommand& c) {
  using Kind = CollectorCommand::Kind;
  if (c.kind == Kind::kConnTest) {
    log("connection test from " + c.gameType + " / " + c.system);
    return reply("CONN_TEST_OK\n");
  }
  if ((c.kind == Kind::kHello) == sawHello_) {
    log(sawHello_ ? "dropped: second HELLO" : "dropped: NEXTFILE before HELLO");
    reply("SYNTAX_ERROR\n");
    return false;
  }
  if (c.kind == Kind::kHello) {
    sawHello_ = true;
    log("HELLO " + c.gameType + " / " + c.system + " / " + c.address + ", " +
        std::to_string(c.count) + " logs");
    if (server_.takeRedirect()) {
      std::string to = options_.redirectHost + ":" + std::to_string(options_.redirectPort);
      log("redirected to " + to);
      reply("REDIRECT\t" + to + "\n");
      return false;
    }
  }
  if (options_.fault == CollectorOptions::Fault::kGarbage) {
    log("answering garbage (fault)");
    static const char kGarbage[] = "\x01\x7f\x00GARBAGE\xfe\xff\n";
    if (!socket_.sendAll(kGarbage, sizeof kGarbage - 1)) log("the client left before the garbage");
    return false;
  }
  if (c.size > options_.maxSize) {
    log("refused a log of " + std::to_string(c.size) + " bytes");
    return reply("FILE_TOO_LARGE\n");
  }
  if (options_.fault == CollectorOptions::Fault::kEarlyAck) {
    log("acknowledging before the log comes (fault)");
    if (!reply("READY\nACK\n")) return false;
    bool writeFailed = false;
    std::string error;
    if (inflateInto(c.size, nullptr, &writeFailed, &error) == Stream::kComplete)
      log("log received, not stored (fault)");
    return false;
  }
  // The room is held from before READY until the log is stored or given up,
  // so a log that would pass --max-store is refused before any of it comes.
  std::string full;
  std::unique_ptr<LogStore::Room> room = server_.store().reserve(c.size, &full);
  if (!room) {
    log("refused a log of " + std::to_string(c.size) + " bytes: " + full);
    reply("STORE_FAILED\n");
    return false;
  }
  if (!reply("READY\n")) return false;
  return receiveLog(c.size);
}

bool Session::receiveLog(int64_t size) {
  std::string storeError;
  std::unique_ptr<LogStore::Incoming> incoming = server_.store().begin(&storeError);
  // Without a place to write, the log is still read off the wire (into
  // nothing), so that the client hears a clear answer instead of a stall.
  bool writeFailed = false;
  std::string error;
  Stream s = inflateInto(size, incoming.get(), &writeFailed, &error);
  if (s == Stream::kConnectionLost) return false;
  if (s == Stream::kBadData) {
    log("dropped: " + error);
    return false;
  }
  if (options_.fault == CollectorOptions::Fault::kNoAck) {
    log("log received, answering without ACK (fault)");
    reply("DONE\n");
    return false;
  }
  std::optional<std::string> stored;
  if (writeFailed)
    storeError = "cannot write the log";
  else if (incoming)
    stored = incoming->commit(&storeError);
  if (!stored) {
    log("cannot store a log of " + std::to_string(size) + " bytes: " + storeError);
    reply("STORE_FAILED\n");
    return false;
  }
  ++files_;
  log("stored " + platform::baseName(*stored) + " (" + std::to_string(size) + " bytes)");
  return reply("ACK\n");
}

// Reads compressed bytes until they inflate to `size` bytes and the stream
// stands at the end of a sync flush (the uploader never finishes its
// stream; the announced size is the only end marker).
Session::Stream Session::inflateInto(int64_t size, LogStore::Incoming* incoming, bool* writeFailed,
                                     std::string* error) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) {
    *error = "inflateInit failed";
    return Stream::kBadData;
  }
  struct End {
    z_stream* z;
    ~End() { inflateEnd(z); }
  } end{&z};
  std::vector<char> out(kBufferSize);
  std::string input = std::move(pending_);
  pending_.clear();
  char tail[4] = {1, 1, 1, 1};  // the last four bytes received
  bool ended = false;
  for (;;) {
    size_t keep = std::min<size_t>(input.size(), 4);
    std::memmove(tail, tail + keep, 4 - keep);
    std::memcpy(tail + 4 - keep, input.data() + input.size() - keep, keep);
    z.next_in = reinterpret_cast<Bytef*>(input.data());
    z.avail_in = static_cast<uInt>(input.size());
    while (z.avail_in > 0 && !ended) {
      z.next_out = reinterpret_cast<Bytef*>(out.data());
      z.avail_out = static_cast<uInt>(out.size());
      int rc = inflate(&z, Z_NO_FLUSH);
      if (rc == Z_STREAM_END) ended = true;
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
        *error = "bad compressed data";
        return Stream::kBadData;
      }
      size_t produced = out.size() - z.avail_out;
      if (static_cast<int64_t>(z.total_out) > size) {
        *error = "more data than announced";
        return Stream::kBadData;
      }
      if (produced > 0 && incoming != nullptr && !*writeFailed &&
          !incoming->write(out.data(), produced))
        *writeFailed = true;
      if (rc == Z_BUF_ERROR && produced == 0) break;
    }
    if (z.avail_in > 0) {
      *error = "data after the end of the stream";
      return Stream::kBadData;
    }
    if (static_cast<int64_t>(z.total_out) == size &&
        (size == 0 || ended ||
         ((z.data_type & 128) != 0 && std::memcmp(tail, kSyncMarker, 4) == 0)))
      return Stream::kComplete;
    size_t got = 0;
    if (receive(&got) != Read::kData) {
      if (!dropped_) log("dropped inside a log: connection ended");
      return Stream::kConnectionLost;
    }
    input.assign(buffer_.data(), got);
  }
}

}  // namespace

CollectorServer::CollectorServer(CollectorOptions options) : options_(std::move(options)) {}

void CollectorServer::log(const std::string& line) {
  std::lock_guard<std::mutex> lock(logMutex_);
  std::fwrite("collector: ", 1, 11, stdout);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

bool CollectorServer::takeRedirect() {
  if (options_.redirectHost.empty()) return false;
  return options_.redirectAll || redirected_.fetch_add(1) == 0;
}

void CollectorServer::serve(platform::Socket socket, uint64_t id) {
  Session(*this, std::move(socket), id).run();
  --active_;
}

int CollectorServer::run() {
  // The store directory and the address are checked before the store is
  // opened: opening creates the incoming directory and clears it of the
  // parts an earlier server left, which a refused start must not do.
  if (!platform::isDirectory(options_.storeDir)) {
    log("the store directory " + options_.storeDir + " does not exist");
    return 1;
  }
  std::string error;
  platform::Listener listener = platform::Listener::open(options_.address, options_.port, &error);
  if (!listener.isOpen()) {
    log(error);
    return 1;
  }
  store_.emplace(options_.storeDir, options_.incomingDir,
                 options_.fault == CollectorOptions::Fault::kFullDisk, options_.maxStore);
  if (!platform::isDirectory(options_.incomingDir)) {
    log("cannot create the incoming directory " + options_.incomingDir);
    return 1;
  }
  if (!options_.portFile.empty()) {
    try {
      platform::writeFile(options_.portFile + ".new", std::to_string(listener.port()) + "\n");
      if (!platform::replaceFile(options_.portFile + ".new", options_.portFile))
        throw base::IOError("cannot replace " + options_.portFile);
    } catch (const base::IOError& e) {
      log(e.what());
      return 1;
    }
  }
  log("listening on " + options_.address + ":" + std::to_string(listener.port()) +
      ", storing into " + options_.storeDir);
  for (uint64_t id = 1;; ++id) {
    platform::Socket s = listener.accept();
    if (!s.isOpen()) continue;
    // A client from outside --allow is closed before it can say anything.
    if (!options_.allow.allows(s.peerText())) {
      log("refused " + s.peerText() + ": not an allowed address");
      continue;
    }
    if (active_.load() >= options_.maxClients) {
      log("refused " + s.peerText() + ": too many clients");
      continue;
    }
    ++active_;
    std::thread(&CollectorServer::serve, this, std::move(s), id).detach();
  }
}

}  // namespace tools::collector
