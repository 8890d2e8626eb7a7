#pragma once

// Images and byte helpers of the GIF codec's tests.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestDir.h"
#include "platform/FileSystem.h"
#include "util/Gif.h"

namespace testing_support::gif {

using util::Gif;
using Bytes = std::vector<uint8_t>;

inline Gif randomImage(int32_t w, int32_t h, int colours, uint32_t seed) {
  std::mt19937 rng(seed);
  Gif g;
  g.width = g.columns = w;
  g.height = g.rows = h;
  g.pixels.assign(static_cast<size_t>(h), std::vector<uint8_t>(static_cast<size_t>(w)));
  for (auto& row : g.pixels)
    for (auto& p : row) p = static_cast<uint8_t>(rng() % static_cast<uint32_t>(colours));
  g.colormap.resize(768);
  for (auto& c : g.colormap) c = static_cast<uint8_t>(rng());
  return g;
}

inline Bytes encoded(Gif g) {
  Bytes out;
  EXPECT_TRUE(g.encode(out));
  return out;
}

inline void writeBytes(const std::string& path, const Bytes& b) {
  platform::writeFile(path, std::string(b.begin(), b.end()));
}

struct Decoded {
  bool ok;
  std::string text;  // what decode() printed
  Gif gif;
};

inline Decoded decodeBytes(const Bytes& b) {
  Decoded d;
  StdoutCapture out;
  d.ok = d.gif.decode(b);
  d.text = out.text();
  return d;
}

// The RGB triples of the image as its colour table maps them.
inline std::string rgbOf(const Gif& g) {
  std::string rgb;
  for (const auto& row : g.pixels)
    for (uint8_t p : row)
      for (size_t c = 0; c < 3; ++c) rgb.push_back(static_cast<char>(g.colormap.at(p * 3u + c)));
  return rgb;
}

}  // namespace testing_support::gif
