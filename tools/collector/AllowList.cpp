#include "tools/collector/AllowList.h"

namespace tools::collector {

std::optional<uint32_t> AllowList::parseAddress(const std::string& text) {
  uint32_t address = 0;
  size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    size_t start = pos;
    uint32_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < 3)
      value = value * 10 + static_cast<uint32_t>(text[pos++] - '0');
    if (pos == start || value > 255) return std::nullopt;
    address = (address << 8) | value;
  }
  if (pos != text.size()) return std::nullopt;
  return address;
}

std::optional<AllowList::Net> AllowList::parseNet(const std::string& text) {
  size_t slash = text.find('/');
  auto address = parseAddress(text.substr(0, slash));
  if (!address) return std::nullopt;
  Net net{*address, 32};
  if (slash != std::string::npos) {
    std::string bits = text.substr(slash + 1);
    if (bits.empty() || bits.size() > 2 ||
        bits.find_first_not_of("0123456789") != std::string::npos)
      return std::nullopt;
    net.prefix = std::stoi(bits);
    if (net.prefix > 32) return std::nullopt;
  }
  return net;
}

bool AllowList::allows(const std::string& peer) const {
  if (nets_.empty()) return true;
  auto address = parseAddress(peer.substr(0, peer.find(':')));
  if (!address) return false;
  for (const Net& n : nets_) {
    // A shift by 32 is undefined, so a /0 network is handled on its own.
    uint32_t mask = n.prefix == 0 ? 0 : ~uint32_t{0} << (32 - n.prefix);
    if ((*address & mask) == (n.address & mask)) return true;
  }
  return false;
}

}  // namespace tools::collector
