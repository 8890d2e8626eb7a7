#pragma once

#include <cstdint>

namespace palvex::quant {

// One distinct sampled colour: weighted component sums, their means, the
// weight, the nearest neighbour recorded while merging with its merge cost,
// the identity key and the next bin of the same coarse cell.
struct Bin {
  float sum[3] = {0, 0, 0};
  float mean[3] = {0, 0, 0};
  float weight = 0;
  float cost = 0;
  int32_t neighbour = 0;
  int32_t key = 0;
  int32_t next = 0;
};

}  // namespace palvex::quant
