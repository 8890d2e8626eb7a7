#include "palvex/special/CopierSelfTest.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "palvex/special/BitCopier.h"

namespace palvex::special {
namespace {

constexpr int kCopiesPerRound = 10;
constexpr size_t kMaxCopyBits = 8;
constexpr size_t kTimingBytes = 4096;

size_t pick(const CopierSelfTest::Random& random, size_t n) {
  return std::min(n - 1, static_cast<size_t>(random() * static_cast<double>(n)));
}

// One round: random buffers, ten random copies by the copier and the
// reference into twin destinations. Returns the wrong bytes found.
int oneRound(const CopierSelfTest::Random& random) {
  const size_t size = 4 + static_cast<size_t>(8192 * random());
  std::vector<uint8_t> src(size);
  std::vector<uint8_t> dst(size);
  for (auto& b : src) b = static_cast<uint8_t>(pick(random, 256));
  for (auto& b : dst) b = static_cast<uint8_t>(pick(random, 256));
  std::vector<uint8_t> ref = dst;
  const size_t totalBits = size * 8;
  int wrong = 0;
  for (int c = 0; c < kCopiesPerRound; ++c) {
    const size_t bits = pick(random, kMaxCopyBits + 1);
    const size_t srcBit = pick(random, totalBits - bits + 1);
    const size_t dstBit = pick(random, totalBits - bits + 1);
    BitCopier::copy(dst, dstBit, src, srcBit, bits);
    BitCopier::copyReference(ref, dstBit, src, srcBit, bits);
    const size_t first = dstBit / 8;
    const size_t last = bits == 0 ? first : (dstBit + bits - 1) / 8;
    for (size_t i = 0; i < size; ++i) {
      if (dst[i] == ref[i]) continue;
      ++wrong;
      std::printf(
          " Error in byte %i,  after copy session destbit %i, srcbit %i,size %i, startdestbyte "
          "%i enddestbyte %i SrcAlign %i DestAlign %i \n",
          static_cast<int>(i), static_cast<int>(dstBit), static_cast<int>(srcBit),
          static_cast<int>(bits), static_cast<int>(first), static_cast<int>(last),
          static_cast<int>(srcBit % 8), static_cast<int>(dstBit % 8));
    }
    if (wrong > 0) dst = ref;
  }
  return wrong;
}

// Copies fields of every length up to 64 bits across a buffer `repeats`
// times; returns the milliseconds taken.
template <typename Copy>
int timeCopier(const CopierSelfTest::Clock& clock, int repeats, Copy copy) {
  std::vector<uint8_t> src(kTimingBytes);
  std::vector<uint8_t> dst(kTimingBytes);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 37 + 11);
  const double start = clock();
  for (int r = 0; r < repeats; ++r) {
    for (size_t bits = 1; bits <= 64; ++bits) {
      const size_t shift = (static_cast<size_t>(r) + bits) % 8;
      for (size_t at = shift; at + bits + 8 < kTimingBytes * 8; at += 997) {
        copy(dst, at + 3, src, at, bits);
      }
    }
  }
  return static_cast<int>((clock() - start) * 1000.0);
}

}  // namespace

int CopierSelfTest::run(const Random& random, const Clock& clock, int rounds, int timingRepeats) {
  std::printf("TESTING bit copy routines.  Initializing...\n");
  std::printf(" Time:  %f \n", clock());
  int wrong = 0;
  for (int r = 0; r < rounds; ++r) wrong += oneRound(random);
  std::printf("Random tests done. Time:  %f \n", clock());
  std::printf("Starting Gruelling test of copier A: Time:  %f \n", clock());
  const int a = timeCopier(clock, timingRepeats, BitCopier::copy);
  std::printf("A-Time: %i  \n", a);
  std::printf("Starting Gruelling test of copier B: Time:  %f \n", clock());
  const int b = timeCopier(clock, timingRepeats, BitCopier::copyBytewise);
  std::printf("B-Time: %i  \n", b);
  const int c = timeCopier(clock, timingRepeats, BitCopier::copyReference);
  std::printf("A-Time: %i  B-Time: %i C-Time: %i      xxx  %i \n", a, b, c, wrong);
  return wrong;
}

}  // namespace palvex::special
