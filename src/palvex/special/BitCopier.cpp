#include "palvex/special/BitCopier.h"

#include <algorithm>

namespace palvex::special {
namespace {

bool fits(size_t bytes, size_t bit, size_t bits) {
  return bit <= bytes * 8 && bits <= bytes * 8 - bit;
}

// Up to 8 bytes from `at`, little-endian; bytes past the end read as 0.
uint64_t load(std::span<const uint8_t> b, size_t at) {
  uint64_t v = 0;
  const size_t n = std::min<size_t>(8, b.size() - at);
  for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(b[at + i]) << (8 * i);
  return v;
}

// Writes the bytes of `v` under `mask` back from `at`.
void store(std::span<uint8_t> b, size_t at, uint64_t v, uint64_t mask) {
  const size_t n = std::min<size_t>(8, b.size() - at);
  for (size_t i = 0; i < n; ++i) {
    const auto m = static_cast<uint8_t>(mask >> (8 * i));
    if (m == 0) continue;
    b[at + i] = static_cast<uint8_t>((b[at + i] & ~m) | (static_cast<uint8_t>(v >> (8 * i)) & m));
  }
}

// A field of 1..32 bits through one word (it spans at most 5 bytes).
void copyWord(std::span<uint8_t> dst, size_t dstBit, std::span<const uint8_t> src, size_t srcBit,
              size_t bits) {
  const uint64_t field = (load(src, srcBit / 8) >> (srcBit % 8)) & ((uint64_t{1} << bits) - 1);
  const size_t shift = dstBit % 8;
  store(dst, dstBit / 8, field << shift, ((uint64_t{1} << bits) - 1) << shift);
}

}  // namespace

bool BitCopier::copy(std::span<uint8_t> dst, size_t dstBit, std::span<const uint8_t> src,
                     size_t srcBit, size_t bits) {
  if (!fits(dst.size(), dstBit, bits) || !fits(src.size(), srcBit, bits)) return false;
  if (bits <= 32) {
    if (bits > 0) copyWord(dst, dstBit, src, srcBit, bits);
    return true;
  }
  // Longer fields: up to the next destination byte boundary, then whole
  // destination bytes, then the rest.
  size_t head = (8 - dstBit % 8) % 8;
  if (head > 0) {
    copyWord(dst, dstBit, src, srcBit, head);
    dstBit += head;
    srcBit += head;
    bits -= head;
  }
  const size_t shift = srcBit % 8;
  size_t d = dstBit / 8;
  size_t s = srcBit / 8;
  for (; bits >= 8; bits -= 8, ++d, ++s, srcBit += 8, dstBit += 8) {
    const unsigned next = s + 1 < src.size() ? src[s + 1] : 0u;
    dst[d] = static_cast<uint8_t>((src[s] >> shift) | (next << (8 - shift)));
  }
  if (bits > 0) copyWord(dst, dstBit, src, srcBit, bits);
  return true;
}

bool BitCopier::copyBytewise(std::span<uint8_t> dst, size_t dstBit, std::span<const uint8_t> src,
                             size_t srcBit, size_t bits) {
  if (!fits(dst.size(), dstBit, bits) || !fits(src.size(), srcBit, bits)) return false;
  while (bits > 0) {
    // As many bits as fit in the current destination byte and come from
    // at most two source bytes.
    const size_t room = 8 - dstBit % 8;
    const size_t n = std::min(bits, room);
    const size_t s = srcBit / 8;
    unsigned v = src[s];
    if (s + 1 < src.size()) v |= static_cast<unsigned>(src[s + 1]) << 8;
    const unsigned field = (v >> (srcBit % 8)) & ((1u << n) - 1);
    const auto mask = static_cast<uint8_t>(((1u << n) - 1) << (dstBit % 8));
    uint8_t& out = dst[dstBit / 8];
    out = static_cast<uint8_t>((out & ~mask) | ((field << (dstBit % 8)) & mask));
    dstBit += n;
    srcBit += n;
    bits -= n;
  }
  return true;
}

bool BitCopier::copyReference(std::span<uint8_t> dst, size_t dstBit, std::span<const uint8_t> src,
                              size_t srcBit, size_t bits) {
  if (!fits(dst.size(), dstBit, bits) || !fits(src.size(), srcBit, bits)) return false;
  for (size_t i = 0; i < bits; ++i) {
    const size_t s = srcBit + i;
    const size_t d = dstBit + i;
    const auto bit = static_cast<uint8_t>(1u << (d % 8));
    if ((src[s / 8] >> (s % 8)) & 1u) {
      dst[d / 8] = static_cast<uint8_t>(dst[d / 8] | bit);
    } else {
      dst[d / 8] = static_cast<uint8_t>(dst[d / 8] & ~bit);
    }
  }
  return true;
}

}  // namespace palvex::special
