#pragma once

// The checks shared by the fuzz entry points of the palvex image readers. A
// file a reader accepts must have the announced shape, and its index plane
// must survive an indexed PCX round trip; a file it refuses must say why.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "palvex/SourcePicture.h"
#include "palvex/files/Layout.h"
#include "palvex/files/OutputBuffer.h"
#include "palvex/files/PcxCodec.h"

// `decode(bytes, image)` is the reader under test.
template <class Decode>
int checkImageReader(const uint8_t* data, size_t size, Decode decode) {
  const std::span<const uint8_t> bytes(data, size);
  palvex::SourcePicture im;
  im.keepIndexPlane = true;
  try {
    decode(bytes, im);
  } catch (const palvex::files::DecodeError& e) {
    if (e.what()[0] == '\0') std::abort();
    return 0;
  }
  const auto n = static_cast<size_t>(im.width) * static_cast<size_t>(im.height);
  if (im.width <= 0 || im.height <= 0 || im.pixels.size() != n * 3) std::abort();
  if (!im.indexPlane.empty() && im.indexPlane.size() != n) std::abort();
  if (!im.indexPlane.empty() && n <= (1u << 16)) {
    palvex::Palette pal;
    palvex::files::MemorySink sink;
    palvex::files::OutputBuffer out(sink);
    if (!palvex::files::PcxCodec::encode(im.width, im.height, im.indexPlane, pal, out))
      std::abort();
    palvex::SourcePicture back;
    back.keepIndexPlane = true;
    palvex::files::PcxCodec::decode(sink.bytes, back);
    if (back.indexPlane != im.indexPlane) std::abort();
  }
  return 0;
}
