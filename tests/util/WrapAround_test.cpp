#include "util/WrapAround.h"

#include <limits>

#include <gtest/gtest.h>

namespace util {
namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();
constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

// Run under the undefined-behaviour sanitizer: every case at the edges must
// wrap without an overflow being reported.
TEST(WrapAround, Int32WrapsAtBothEnds) {
  EXPECT_EQ(wrapAdd(kMax32, 1), kMin32);
  EXPECT_EQ(wrapAdd(kMin32, -1), kMax32);
  EXPECT_EQ(wrapAdd(kMax32, kMax32), -2);
  EXPECT_EQ(wrapAdd(kMin32, kMin32), 0);
  EXPECT_EQ(wrapSub(kMin32, 1), kMax32);
  EXPECT_EQ(wrapSub(kMax32, -1), kMin32);
  EXPECT_EQ(wrapSub(0, kMin32), kMin32);
  EXPECT_EQ(wrapSub(kMin32, kMin32), 0);
  EXPECT_EQ(wrapSub(-1, kMax32), kMin32);
}

TEST(WrapAround, Int64WrapsAtBothEnds) {
  EXPECT_EQ(wrapAdd(kMax64, int64_t{1}), kMin64);
  EXPECT_EQ(wrapAdd(kMin64, int64_t{-1}), kMax64);
  EXPECT_EQ(wrapAdd(kMin64, kMin64), 0);
  EXPECT_EQ(wrapSub(kMin64, int64_t{1}), kMax64);
  EXPECT_EQ(wrapSub(int64_t{0}, kMin64), kMin64);
  EXPECT_EQ(wrapSub(kMax64, int64_t{-1}), kMin64);
}

TEST(WrapAround, OrdinaryValuesAreExact) {
  EXPECT_EQ(wrapAdd(40, 2), 42);
  EXPECT_EQ(wrapSub(40, 42), -2);
  EXPECT_EQ(wrapSub(int64_t{5'000'000'000}, int64_t{1}), int64_t{4'999'999'999});
}

// Subtracting is not adding the negated value: negating INT32_MIN overflows,
// while the subtraction is defined and gives the wrapped difference.
TEST(WrapAround, SubtractingTheSmallestValue) {
  EXPECT_EQ(wrapSub(5, kMin32), wrapAdd(5, kMin32));
  EXPECT_EQ(wrapSub(int64_t{5}, kMin64), wrapAdd(int64_t{5}, kMin64));
}

}  // namespace
}  // namespace util
