#pragma once

#include <cstdint>
#include <vector>

namespace tools::sitegen {

// The background image of a score graph of `width` x `height` pixels, as a
// whole GIF file: its palette leaves the graph's fixed colours (entries 237
// to 255) to the graph. Throws std::runtime_error when it cannot be encoded.
std::vector<uint8_t> graphBackground(int32_t width, int32_t height);

}  // namespace tools::sitegen
