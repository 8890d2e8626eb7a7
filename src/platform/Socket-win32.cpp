#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include <winsock2.h>
#include <windows.h>
#include <ws2tcpip.h>

#include "platform/Socket.h"
#include "platform/WideText.h"

namespace platform {
namespace {

// Winsock is started once, on first use, and left running until the process
// ends.
bool winsockReady() {
  static const bool ready = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

SOCKET socketOf(NativeHandle h) { return static_cast<SOCKET>(h); }
NativeHandle handleOf(SOCKET s) { return static_cast<NativeHandle>(s); }

// A TCP socket that child processes do not inherit.
SOCKET newTcpSocket() {
  if (!winsockReady()) return INVALID_SOCKET;
  return ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
}

sockaddr_in ipv4Address(uint32_t address, uint16_t port) {
  sockaddr_in sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(address);
  return sa;
}

std::string socketErrorText() {
  return detail::systemErrorText(static_cast<uint32_t>(::WSAGetLastError()));
}

class TcpNetwork : public Network {
 public:
  std::unique_ptr<Connection> connect(const std::string& host, uint16_t port) override {
    std::optional<uint32_t> address = resolveIPv4(host);
    if (!address) return nullptr;
    SOCKET s = newTcpSocket();
    if (s == INVALID_SOCKET) return nullptr;
    auto socket = std::make_unique<Socket>(handleOf(s));
    sockaddr_in sa = ipv4Address(*address, port);
    if (::connect(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) return nullptr;
    return socket;
  }
};

}  // namespace

Network& systemNetwork() {
  static TcpNetwork network;
  return network;
}

Socket::Socket(Socket&& other) noexcept : fd_(std::exchange(other.fd_, kNoHandle)) {}

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, kNoHandle);
  }
  return *this;
}

Socket::~Socket() { close(); }

void Socket::close() {
  if (fd_ != kNoHandle) ::closesocket(socketOf(fd_));
  fd_ = kNoHandle;
}

void Socket::closeWithReset() {
  if (fd_ == kNoHandle) return;
  linger l;
  l.l_onoff = 1;
  l.l_linger = 0;
  ::setsockopt(socketOf(fd_), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
  close();
}

long Socket::sendOnce(const char* data, size_t size) {
  if (fd_ == kNoHandle) return -1;
  // Windows raises no signal for a reset peer; send() only fails.
  const int n = ::send(socketOf(fd_), data, static_cast<int>(std::min<size_t>(size, INT_MAX)), 0);
  return n == SOCKET_ERROR ? -1 : static_cast<long>(n);
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
  if (fd_ == kNoHandle) return -1;
  // The receive timeout is kept by the socket (SO_RCVTIMEO), but not every
  // implementation of the interface ends a blocking recv() by it: waited
  // for here first.
  DWORD timeout = 0;
  int length = sizeof timeout;
  if (::getsockopt(socketOf(fd_), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&timeout),
                   &length) == 0 &&
      timeout > 0 && waitReadable(static_cast<int64_t>(timeout)) == Readiness::kQuiet) {
    ::WSASetLastError(WSAETIMEDOUT);
    return -1;
  }
  const int n = ::recv(socketOf(fd_), data, static_cast<int>(std::min<size_t>(size, INT_MAX)), 0);
  return n == SOCKET_ERROR ? -1 : static_cast<long>(n);
}

Connection::Readiness Socket::waitReadable(int64_t millis) {
  // A closed socket's receive() fails at once.
  if (fd_ == kNoHandle) return Readiness::kReadable;
  const int64_t wait = std::clamp<int64_t>(millis, 0, INT_MAX);
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socketOf(fd_), &readable);
  fd_set failed;
  FD_ZERO(&failed);
  FD_SET(socketOf(fd_), &failed);
  timeval tv;
  tv.tv_sec = static_cast<long>(wait / 1000);
  tv.tv_usec = static_cast<long>((wait % 1000) * 1000);
  // Data, the peer's end, an error or a reset all make receive() return.
  const int rc = ::select(0, &readable, nullptr, &failed, &tv);
  if (rc > 0) return Readiness::kReadable;
  if (rc == 0) return Readiness::kQuiet;
  return Readiness::kUnknown;
}

bool Socket::setReceiveTimeout(int64_t millis) {
  // Windows takes the time in milliseconds as a DWORD.
  const DWORD ms = static_cast<DWORD>(std::clamp<int64_t>(millis, 0, 0x7FFFFFFF));
  return fd_ != kNoHandle && ::setsockopt(socketOf(fd_), SOL_SOCKET, SO_RCVTIMEO,
                                          reinterpret_cast<const char*>(&ms), sizeof ms) == 0;
}

uint16_t Socket::localPort() const {
  sockaddr_in sa;
  int len = sizeof sa;
  if (fd_ == kNoHandle || ::getsockname(socketOf(fd_), reinterpret_cast<sockaddr*>(&sa), &len) != 0)
    return 0;
  return ntohs(sa.sin_port);
}

std::string Socket::peerText() const {
  sockaddr_in sa;
  int len = sizeof sa;
  if (fd_ == kNoHandle ||
      ::getpeername(socketOf(fd_), reinterpret_cast<sockaddr*>(&sa), &len) != 0 ||
      sa.sin_family != AF_INET)
    return "?";
  return dottedQuad(ntohl(sa.sin_addr.s_addr)) + ":" + std::to_string(ntohs(sa.sin_port));
}

Socket bindLocalPort(uint16_t port, BindFailure* failure) {
  SOCKET s = newTcpSocket();
  if (s == INVALID_SOCKET) {
    *failure = BindFailure::kNoSocket;
    return Socket();
  }
  Socket socket(handleOf(s));
  // Without exclusive use another socket could still bind the port by
  // asking to reuse the address.
  BOOL one = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
  sockaddr_in sa = ipv4Address(INADDR_ANY, port);
  if (::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
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
  SOCKET s = newTcpSocket();
  if (s == INVALID_SOCKET) {
    *error = "socket: " + socketErrorText();
    return l;
  }
  Socket socket(handleOf(s));
  BOOL one = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
  sockaddr_in sa = ipv4Address(*a, port);
  if (::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(s, 64) != 0) {
    *error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + socketErrorText();
    return l;
  }
  l.socket_ = std::move(socket);
  return l;
}

Socket Listener::accept() {
  for (;;) {
    SOCKET s = ::accept(socketOf(socket_.descriptor()), nullptr, nullptr);
    if (s != INVALID_SOCKET) {
      // Accepted sockets take the listener's attributes; made non-inheritable
      // all the same, as on the POSIX side.
      ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
      return Socket(handleOf(s));
    }
    const int error = ::WSAGetLastError();
    if (error != WSAEINTR && error != WSAECONNRESET) return Socket();
  }
}

std::optional<uint32_t> resolveIPv4(const std::string& host) {
  if (host.empty() || !winsockReady()) return std::nullopt;
  const std::wstring wide = detail::wideText(host);
  in_addr direct;
  if (::InetPtonW(AF_INET, wide.c_str(), &direct) == 1) return ntohl(direct.s_addr);
  ADDRINFOW hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  ADDRINFOW* found = nullptr;
  if (::GetAddrInfoW(wide.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
    return std::nullopt;
  uint32_t a = ntohl(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
  ::FreeAddrInfoW(found);
  return a;
}

std::optional<std::string> localHostName() {
  if (!winsockReady()) return std::nullopt;
  wchar_t buf[256];
  if (::GetHostNameW(buf, 256) != 0) return std::nullopt;
  buf[255] = L'\0';
  return detail::utf8Text(buf);
}

}  // namespace platform
