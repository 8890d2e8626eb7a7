#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tools::collector {

// The IPv4 networks whose clients the collector serves (--allow). An empty
// list serves everyone.
class AllowList {
 public:
  // One network: an address and the number of leading bits that must match.
  struct Net {
    uint32_t address = 0;
    int prefix = 32;
  };

  // Reads "a.b.c.d" (one address) or "a.b.c.d/n" (0 <= n <= 32); none when
  // the text is anything else. Host bits set below the prefix are accepted
  // and ignored, as in "10.1.2.3/8".
  static std::optional<Net> parseNet(const std::string& text);
  // Reads a dotted IPv4 address of four decimal numbers 0..255.
  static std::optional<uint32_t> parseAddress(const std::string& text);

  void add(Net net) { nets_.push_back(net); }
  bool empty() const { return nets_.empty(); }

  // True when the list is empty or `peer` ("a.b.c.d" or "a.b.c.d:port", as
  // platform::Socket::peerText() gives it) lies in one of its networks. A
  // peer that cannot be read ("?") is allowed only by an empty list.
  bool allows(const std::string& peer) const;

 private:
  std::vector<Net> nets_;
};

}  // namespace tools::collector
