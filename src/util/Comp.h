#pragma once

#include <cstdint>

namespace util {

// A ranking of two values: positive when `a` ranks above `b`, negative when
// below, 0 when they tie. Sorts list higher-ranking elements first.
template <class T>
class Comp {
 public:
  virtual ~Comp() = default;
  virtual int32_t compare(const T& a, const T& b) const = 0;
};

}  // namespace util
