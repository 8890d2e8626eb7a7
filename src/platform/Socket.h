#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/NativeHandle.h"

// TCP sockets of the uploader and the collector server. Every socket call of
// the programs goes through here.
namespace platform {

// One end of a connected byte stream. The uploader's protocol code sees only
// this interface, so tests can feed it scripted replies.
class Connection {
 public:
  virtual ~Connection() = default;
  // Sends with a single call and returns the number of bytes the system
  // accepted, or -1 on failure. A reset peer is a failure, never a signal.
  virtual long sendOnce(const char* data, size_t size) = 0;
  // Receives at most `size` bytes with a single call: the number received,
  // 0 when the peer closed the connection, -1 on failure.
  virtual long receive(char* data, size_t size) = 0;

  // What waitReadable() found.
  enum class Readiness {
    kReadable,  // receive() returns at once: data, the end, or a failure
    kQuiet,     // nothing came within the time given
    kUnknown,   // the connection cannot tell; receive() may block
  };
  // Waits at most `millis` milliseconds (0: only looks) until receive()
  // would return without blocking. Connections that cannot wait say
  // kUnknown.
  virtual Readiness waitReadable(int64_t millis) {
    static_cast<void>(millis);
    return Readiness::kUnknown;
  }
};

// Opens connections. The real one resolves host names and connects over TCP.
class Network {
 public:
  virtual ~Network() = default;
  // Resolves `host` (a name or a dotted address) to its first IPv4 address
  // and connects to it; nullptr when the name does not resolve or the
  // connection fails. Blocks as long as the system lets it.
  virtual std::unique_ptr<Connection> connect(const std::string& host, uint16_t port) = 0;
};

// The system's TCP network.
Network& systemNetwork();

// A TCP socket. Move-only; the destructor closes it and never throws; a
// moved-from socket holds nothing.
class Socket : public Connection {
 public:
  Socket() = default;
  explicit Socket(NativeHandle fd) : fd_(fd) {}
  Socket(Socket&& other) noexcept;
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() override;

  [[nodiscard]] bool isOpen() const { return fd_ != kNoHandle; }
  NativeHandle descriptor() const { return fd_; }

  long sendOnce(const char* data, size_t size) override;
  long receive(char* data, size_t size) override;
  Readiness waitReadable(int64_t millis) override;
  // Sends everything, retrying short sends; false on failure.
  [[nodiscard]] bool sendAll(const char* data, size_t size);

  // Makes receive() fail after `millis` without data (0: wait for ever).
  [[nodiscard]] bool setReceiveTimeout(int64_t millis);
  // Closes so that the peer sees a reset instead of an orderly end.
  void closeWithReset();
  void close();

  // The local port the socket is bound to; 0 when unknown.
  uint16_t localPort() const;
  // The peer's address as "a.b.c.d:port"; "?" when unknown.
  std::string peerText() const;

 private:
  NativeHandle fd_ = kNoHandle;
};

// Why a local port could not be bound.
enum class BindFailure {
  kNone,
  kNoSocket,  // the socket could not be had
  kInUse,     // the port is taken (or binding failed otherwise)
};

// Binds a TCP socket to `port` on all local addresses, without listening.
// While the returned socket is open no other socket on the machine can bind
// that port, which makes it an instance lock (on Windows the port is bound
// for exclusive use, so that not even a socket that asks to reuse addresses
// gets it). On failure the socket is empty and `*failure` says why.
Socket bindLocalPort(uint16_t port, BindFailure* failure);

// A listening TCP socket (address reuse on, so a restarted server can bind
// at once; on Windows, where address reuse would let another program take a
// port in use, the port is bound for exclusive use instead).
class Listener {
 public:
  // Listens on `address` (dotted IPv4, or a host name) and `port` (0: any
  // free port). Returns an empty listener and sets `*error` on failure.
  static Listener open(const std::string& address, uint16_t port, std::string* error);

  Listener() = default;
  [[nodiscard]] bool isOpen() const { return socket_.isOpen(); }
  uint16_t port() const { return socket_.localPort(); }
  // Waits for the next connection; an empty socket on failure.
  Socket accept();

 private:
  Socket socket_;
};

// The first IPv4 address of a host name or dotted address, in host byte
// order; none when the name does not resolve.
std::optional<uint32_t> resolveIPv4(const std::string& host);
// "a.b.c.d" of an address in host byte order.
std::string dottedQuad(uint32_t address);
// The local host's name; none when it cannot be had.
std::optional<std::string> localHostName();

}  // namespace platform
