#include "programs/vardobf/DbText.h"

#include <cmath>
#include <cstdint>

#include "base/Failure.h"

namespace programs::vardobf {

std::string readText(util::ByteReader& in) { return in.readString(in.remaining()); }

void writeText(util::ByteWriter& out, const std::string& s) { out.putString(s); }

std::string bytesOf(util::ByteWriter& out) {
  std::vector<uint8_t> b = out.take();
  return std::string(b.begin(), b.end());
}

int32_t truncateToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace programs::vardobf
