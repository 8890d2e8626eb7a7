#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <utility>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "platform/Socket.h"

namespace platform {
namespace {

sockaddr_in ipv4Address(uint32_t address, uint16_t port) {
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  return sa;
}

class TcpNetwork : public Network {
 public:
  std::unique_ptr<Connection> connect(const std::string& host, uint16_t port) override {
    std::optional<uint32_t> address = resolveIPv4(host);
    if (!address) return nullptr;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    auto socket = std::make_unique<Socket>(fd);
    sockaddr_in sa = ipv4Address(*address, port);
    int rc;
    do {
      rc = ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) return nullptr;
    return socket;
  }
};

}  // namespace

Network& systemNetwork() {
  static TcpNetwork network;
  return network;
}

Socket::Socket(Socket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

Socket::~Socket() { close(); }

void Socket::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void Socket::closeWithReset() {
  if (fd_ < 0) return;
  linger l;
  l.l_onoff = 1;
  l.l_linger = 0;
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  close();
}

long Socket::sendOnce(const char* data, size_t size) {
  if (fd_ < 0) return -1;
  ssize_t n;
  do {
    n = ::send(fd_, data, size, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

bool Socket::sendAll(const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    long n = sendOnce(data + done, size - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

long Socket::receive(char* data, size_t size) {
  if (fd_ < 0) return -1;
  ssize_t n;
  do {
    n = ::recv(fd_, data, size, 0);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

Connection::Readiness Socket::waitReadable(int64_t millis) {
  // A closed socket's receive() fails at once.
  if (fd_ < 0) return Readiness::kReadable;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(std::max<int64_t>(millis, 0));
  for (;;) {
    int64_t left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p;
    p.fd = fd_;
    p.events = POLLIN;
    p.revents = 0;
    int rc = ::poll(&p, 1, static_cast<int>(std::clamp<int64_t>(left, 0, INT_MAX)));
    // Data, the peer's end, an error or a reset all make receive() return.
    if (rc > 0) return Readiness::kReadable;
    if (rc == 0) return Readiness::kQuiet;
    if (errno != EINTR) return Readiness::kUnknown;
  }
}

bool Socket::setReceiveTimeout(int64_t millis) {
  timeval tv;
  tv.tv_sec = static_cast<time_t>(millis / 1000);
  tv.tv_usec = static_cast<suseconds_t>((millis % 1000) * 1000);
  return fd_ >= 0 && ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0;
}

uint16_t Socket::localPort() const {
  sockaddr_in sa;
  socklen_t len = sizeof sa;
  if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
  return ntohs(sa.sin_port);
}

std::string Socket::peerText() const {
  sockaddr_in sa;
  socklen_t len = sizeof sa;
  if (fd_ < 0 || ::getpeername(fd_, reinterpret_cast<sockaddr*>(&sa), &len) != 0 ||
      sa.sin_family != AF_INET)
    return "?";
  return dottedQuad(ntohl(sa.sin_addr.s_addr)) + ":" + std::to_string(ntohs(sa.sin_port));
}

Socket bindLocalPort(uint16_t port, BindFailure* failure) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *failure = BindFailure::kNoSocket;
    return Socket();
  }
  Socket socket(fd);
  sockaddr_in sa = ipv4Address(INADDR_ANY, port);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    *failure = BindFailure::kInUse;
    return Socket();
  }
  *failure = BindFailure::kNone;
  return socket;
}

Listener Listener::open(const std::string& address, uint16_t port, std::string* error) {
  Listener l;
  std::optional<uint32_t> a = resolveIPv4(address);
  if (!a) {
    *error = "cannot resolve \"" + address + "\"";
    return l;
  }
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = std::string("socket: ") + std::strerror(errno);
    return l;
  }
  Socket s(fd);
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in sa = ipv4Address(*a, port);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, 64) != 0) {
    *error =
        "cannot listen on " + address + ":" + std::to_string(port) + ": " + std::strerror(errno);
    return l;
  }
  l.socket_ = std::move(s);
  return l;
}

Socket Listener::accept() {
  for (;;) {
    int fd = ::accept4(socket_.descriptor(), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) return Socket(fd);
    if (errno != EINTR && errno != ECONNABORTED) return Socket();
  }
}

std::optional<uint32_t> resolveIPv4(const std::string& host) {
  in_addr direct;
  if (::inet_pton(AF_INET, host.c_str(), &direct) == 1) return ntohl(direct.s_addr);
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
    return std::nullopt;
  uint32_t a = ntohl(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
  ::freeaddrinfo(found);
  return a;
}

std::optional<std::string> localHostName() {
  char buf[256];
  if (::gethostname(buf, sizeof buf) != 0) return std::nullopt;
  buf[sizeof buf - 1] = '\0';
  return std::string(buf);
}

}  // namespace platform
