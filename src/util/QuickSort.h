#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "util/Comp.h"

namespace util {

// The in-place quick sort every ranking uses. Elements that rank first (a
// positive compare) end at the low indexes. The sort is not stable: the
// order of ties follows from its exact steps, which pages show, so they are
// kept as they are.
class QuickSort {
 public:
  // Sorts data[left] to data[right] with comparator `c` and returns `data`.
  template <class T>
  static std::vector<T>& quickSort(std::vector<T>& data, int32_t left, int32_t right,
                                   const Comp<T>& c) {
    if (data.empty() || left < 0 || right >= static_cast<int32_t>(data.size())) return data;
    sort(data, left, right, c);
    return data;
  }

 private:
  template <class T>
  static void sort(std::vector<T>& data, int32_t left, int32_t right, const Comp<T>& c) {
    const int32_t L = left;
    const int32_t R = right;
    if (L > R) return;
    const T mid = data[static_cast<size_t>((left + right) / 2)];
    // The bounds tests only matter for a comparator that is not a consistent
    // order; with a consistent one the scans stop at the middle element.
    do {
      while (left < R && c.compare(mid, data[static_cast<size_t>(left)]) < 0) ++left;
      while (right > L && c.compare(data[static_cast<size_t>(right)], mid) < 0) --right;
      if (left <= right) {
        std::swap(data[static_cast<size_t>(left)], data[static_cast<size_t>(right)]);
        ++left;
        --right;
      }
    } while (right >= left);
    if (L < right) sort(data, L, right, c);
    if (left < R) sort(data, left, R, c);
  }
};

}  // namespace util
