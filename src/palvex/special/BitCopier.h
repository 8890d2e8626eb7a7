#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace palvex::special {

// Copies bit fields between buffers, bits numbered from the least
// significant bit of byte 0. Destination bits outside the field are left
// as they were. A field that does not lie wholly inside both buffers is
// not copied (returns false).
class BitCopier {
 public:
  // Fields of up to 32 bits move through one little-endian word; longer
  // ones in steps of a byte with shifting.
  static bool copy(std::span<uint8_t> dst, size_t dstBit, std::span<const uint8_t> src,
                   size_t srcBit, size_t bits);
  // The same result one byte at a time (the second copier of the timing
  // runs).
  static bool copyBytewise(std::span<uint8_t> dst, size_t dstBit, std::span<const uint8_t> src,
                           size_t srcBit, size_t bits);
  // The bit-by-bit reference.
  static bool copyReference(std::span<uint8_t> dst, size_t dstBit, std::span<const uint8_t> src,
                            size_t srcBit, size_t bits);
};

}  // namespace palvex::special
