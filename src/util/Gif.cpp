#include "util/Gif.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "base/Failure.h"
#include "util/Console.h"
#include "util/Trace.h"

namespace util {
namespace {

// Bounds-checked little-endian reader over the file bytes.
class LittleEndianReader {
 public:
  explicit LittleEndianReader(std::span<const uint8_t> data) : data_(data) {}

  size_t pos = 0;

  uint8_t u8() {
    need(1);
    return data_[pos++];
  }
  int32_t u16() {
    need(2);
    int32_t v = data_[pos] | (data_[pos + 1] << 8);
    pos += 2;
    return v;
  }
  std::vector<uint8_t> bytes(size_t n) {
    need(n);
    std::vector<uint8_t> v(data_.begin() + static_cast<std::ptrdiff_t>(pos),
                           data_.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
    return v;
  }

 private:
  void need(size_t n) const {
    if (pos > data_.size() || data_.size() - pos < n)
      throw base::FormatError("unexpected end of the data at offset " + std::to_string(pos) +
                              " of " + std::to_string(data_.size()));
  }
  std::span<const uint8_t> data_;
};

void putWord(std::vector<uint8_t>& out, int32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void checkWord(const char* what, int32_t v) {
  if (v < 0 || v > 0xFFFF)
    throw base::FormatError(std::string(what) + " " + std::to_string(v) + " is outside 0 to 65535");
}

// The variable-width code writer of the LZW coder: packs codes LSB first and
// emits them in data sub-blocks of 254 bytes.
class CodeWriter {
 public:
  explicit CodeWriter(std::vector<uint8_t>& out) : out_(out) {}

  int32_t nBits = 9;      // current code width
  int32_t maxCode = 511;  // largest code of this width
  int32_t freeEnt = 0;    // next free code, read for the widening rule

  void output(int32_t code) {
    if (bitCount_ > 0)
      accum_ |= static_cast<uint32_t>(code) << bitCount_;
    else
      accum_ = static_cast<uint32_t>(code);
    bitCount_ += nBits;
    while (bitCount_ >= 8) {
      put(static_cast<uint8_t>(accum_ & 0xFF));
      accum_ >>= 8;
      bitCount_ -= 8;
    }
    if (freeEnt > maxCode) {
      ++nBits;
      maxCode = nBits == Gif::MaxGIFBits ? Gif::MaxGIFTable : (1 << nBits) - 1;
    }
  }

  void finish() {
    if (bitCount_ > 0) put(static_cast<uint8_t>(accum_ & 0xFF));
    if (count_ > 0) flushPacket();
    out_.push_back(0);
  }

 private:
  void put(uint8_t b) {
    packet_[static_cast<size_t>(count_++)] = b;
    if (count_ >= 254) flushPacket();
  }
  void flushPacket() {
    out_.push_back(static_cast<uint8_t>(count_));
    out_.insert(out_.end(), packet_.begin(), packet_.begin() + count_);
    count_ = 0;
  }

  std::vector<uint8_t>& out_;
  uint32_t accum_ = 0;
  int32_t bitCount_ = 0;
  std::array<uint8_t, 256> packet_{};
  int32_t count_ = 0;
};

// Reads the variable-width codes of the image data from its sub-blocks.
class CodeReader {
 public:
  // `offset` is the first sub-block's length byte.
  CodeReader(std::span<const uint8_t> buf, size_t offset) : buf_(buf), offset_(offset) {}

  // The next code of `width` bits; false when the data ends first (at the
  // block terminator, or a data stream cut short, which ends the image like
  // a terminator).
  bool next(int32_t width, int32_t mask, int32_t& code) {
    while (bits_ < width) {
      if (count_ == 0) {
        if (offset_ >= buf_.size() || buf_.size() - offset_ - 1 < buf_[offset_]) return false;
        count_ = Gif::readBlock(offset_, buf_, packet_);
        offset_ += static_cast<size_t>(count_) + 1;
        if (count_ == 0) return false;
        packetPos_ = 0;
      }
      datum_ += static_cast<uint32_t>(packet_[packetPos_++]) << bits_;
      bits_ += 8;
      --count_;
    }
    code = static_cast<int32_t>(datum_ & static_cast<uint32_t>(mask));
    datum_ >>= width;
    bits_ -= width;
    return true;
  }

 private:
  std::span<const uint8_t> buf_;
  size_t offset_;
  std::array<uint8_t, 256> packet_{};
  uint32_t datum_ = 0;
  int32_t bits_ = 0;
  int32_t count_ = 0;  // bytes left in the packet
  size_t packetPos_ = 0;
};

// Expands the LZW codes of root size `dataSize` whose sub-blocks start at
// `offset` into `pix`; returns the number of pixels produced, fewer than
// pix.size() when the codes end early or are corrupt (said by a line).
size_t expandCodes(std::span<const uint8_t> buf, size_t offset, int32_t dataSize,
                   std::vector<uint8_t>& pix) {
  const size_t n = pix.size();
  std::vector<int32_t> prefix(Gif::MaxStackSize, 0);
  std::vector<uint8_t> suffix(Gif::MaxStackSize, 0);
  std::vector<uint8_t> pixelStack(Gif::MaxStackSize + 1);

  const int32_t clear = 1 << dataSize;
  const int32_t endCode = clear + 1;
  int32_t available = clear + 2;
  int32_t oldCode = Gif::NullCode;
  int32_t codeSize = dataSize + 1;
  int32_t codeMask = (1 << codeSize) - 1;
  for (int32_t code = 0; code < clear; ++code)
    suffix[static_cast<size_t>(code)] = static_cast<uint8_t>(code);
  CodeReader reader(buf, offset);
  int32_t first = 0;
  size_t top = 0;
  auto push = [&](int32_t v) {
    // Only a corrupt table (a code defined through itself) can overflow.
    if (top >= pixelStack.size()) throw base::FormatError("an LZW string is longer than any table");
    pixelStack[top++] = static_cast<uint8_t>(v);
  };

  size_t produced = 0;
  try {
    while (produced < n) {
      if (top > 0) {
        pix[produced++] = pixelStack[--top];
        continue;
      }
      int32_t code = 0;
      if (!reader.next(codeSize, codeMask, code)) break;
      if (code > available || code == endCode) {
        printLine("c>a = " + std::to_string(code) + " " + std::to_string(available));
        printLine("c=e = " + std::to_string(code) + " " + std::to_string(endCode));
        break;
      }
      if (code == clear) {
        codeSize = dataSize + 1;
        codeMask = (1 << codeSize) - 1;
        available = clear + 2;
        oldCode = Gif::NullCode;
        continue;
      }
      if (oldCode == Gif::NullCode) {
        push(suffix[static_cast<size_t>(code)]);
        oldCode = code;
        first = code;
        continue;
      }
      const int32_t inCode = code;
      if (code == available) {
        push(first);
        code = oldCode;
      }
      while (code > clear) {
        push(suffix[static_cast<size_t>(code)]);
        code = prefix[static_cast<size_t>(code)];
      }
      first = suffix[static_cast<size_t>(code)];
      if (available >= Gif::MaxStackSize) {
        printLine("a>m = " + std::to_string(available) + " " + std::to_string(Gif::MaxStackSize));
        break;
      }
      push(first);
      prefix[static_cast<size_t>(available)] = oldCode;
      suffix[static_cast<size_t>(available)] = static_cast<uint8_t>(first);
      ++available;
      if ((available & codeMask) == 0 && available < Gif::MaxStackSize) {
        ++codeSize;
        codeMask += available;
      }
      oldCode = inCode;
    }
  } catch (const base::FormatError& e) {
    printLine("decode: " + std::string(e.what()));
  }
  return produced;
}

}  // namespace

bool Gif::encode(std::vector<uint8_t>& out) {
  const size_t start = out.size();
  try {
    checkWord("width", width);
    checkWord("height", height);
    checkWord("columns", columns);
    checkWord("rows", rows);
    checkWord("xbase", xbase);
    checkWord("ybase", ybase);
    if (colormap.size() != 768)
      throw base::FormatError("the colour table holds " + std::to_string(colormap.size()) +
                              " bytes instead of 768");
    const auto cols = static_cast<size_t>(columns);
    const auto nRows = static_cast<size_t>(rows);
    if (pixels.size() < nRows) throw base::FormatError("fewer pixel rows than the image has");
    if (pix.size() < cols * nRows) pix.resize(cols * nRows);
    for (size_t y = 0; y < nRows; ++y) {
      if (pixels[y].size() < cols) throw base::FormatError("a pixel row is shorter than the image");
      std::copy_n(pixels[y].begin(), cols, pix.begin() + static_cast<std::ptrdiff_t>(y * cols));
    }

    out.reserve(out.size() + 800 + cols * nRows / 2);
    static constexpr char kSignature[] = "GIF89a";
    out.insert(out.end(), kSignature, kSignature + 6);
    putWord(out, width);
    putWord(out, height);
    out.push_back(0x87);  // global table of 256 entries
    out.push_back(0);     // background colour index
    out.push_back(0);     // pixel aspect ratio
    out.insert(out.end(), colormap.begin(), colormap.end());
    out.push_back(0x2C);
    putWord(out, xbase);
    putWord(out, ybase);
    putWord(out, columns);
    putWord(out, rows);
    out.push_back(0x00);  // no local table, not interlaced
    if (!encodePixels(out)) {
      out.resize(start);
      printLine("encode: could not encode pixels");
      printLine("encode: end");
      return false;
    }
    out.push_back(0x3B);
    return true;
  } catch (const std::exception& e) {
    out.resize(start);
    printLine(failureLine("Gif", "encode", e));
    return false;
  }
}

bool Gif::encodePixels(std::vector<uint8_t>& out) {
  const size_t start = out.size();
  try {
    const size_t n =
        static_cast<size_t>(std::max(rows, 0)) * static_cast<size_t>(std::max(columns, 0));
    if (pix.size() < n) throw base::FormatError("the work buffer is shorter than the image");

    constexpr int32_t kClear = 256;
    constexpr int32_t kEnd = 257;
    constexpr int32_t kFirstFree = 258;
    out.push_back(8);  // minimum code size
    CodeWriter w(out);
    w.freeEnt = kFirstFree;
    // The string table: (prefix code, next pixel) -> code, open addressing
    // in 8192 slots, so that at most 3838 strings leave it half empty and
    // the whole table stays in the cache. The codes it gives are those of
    // any exact string table, so the output is the same as with any other.
    constexpr uint32_t kSlotBits = 13;
    constexpr uint32_t kSlots = 1u << kSlotBits;
    std::vector<uint32_t> keys(kSlots, 0);  // key + 1; 0 = empty slot
    std::vector<uint16_t> values(kSlots);
    auto slotOf = [](uint32_t key) { return (key * 2654435761u) >> (32 - kSlotBits); };
    w.output(kClear);
    if (n == 0) {
      w.output(kEnd);
      w.finish();
      return true;
    }
    int32_t ent = pix[0];
    const uint8_t* px = pix.data();
    for (size_t i = 1; i < n; ++i) {
      const uint8_t p = px[i];
      const uint32_t key = (static_cast<uint32_t>(ent) << 8 | p) + 1;
      uint32_t k = slotOf(key);
      while (keys[k] != 0 && keys[k] != key) k = (k + 1) & (kSlots - 1);
      if (keys[k] == key) {
        ent = values[k];
        continue;
      }
      w.output(ent);
      if (w.freeEnt < MaxGIFTable) {
        keys[k] = key;
        values[k] = static_cast<uint16_t>(w.freeEnt++);
      } else {
        // The table is full: start afresh with 9-bit codes.
        std::fill(keys.begin(), keys.end(), 0);
        w.freeEnt = kFirstFree;
        w.output(kClear);
        w.nBits = 9;
        w.maxCode = 511;
      }
      ent = p;
    }
    w.output(ent);
    w.output(kEnd);
    w.finish();
    return true;
  } catch (const std::exception& e) {
    out.resize(start);
    printLine(failureLine("Gif", "encodePixels", e));
    return false;
  }
}

int32_t Gif::readBlock(size_t offset, std::span<const uint8_t> buf,
                       std::array<uint8_t, 256>& block) {
  if (offset >= buf.size())
    throw base::FormatError("unexpected end of the data at offset " + std::to_string(offset) +
                            " of " + std::to_string(buf.size()));
  const size_t n = buf[offset];
  if (buf.size() - offset - 1 < n)
    throw base::FormatError("a data sub-block of " + std::to_string(n) + " bytes at offset " +
                            std::to_string(offset) + " runs past the end of " +
                            std::to_string(buf.size()) + " bytes");
  std::copy_n(buf.begin() + static_cast<std::ptrdiff_t>(offset + 1), n, block.begin());
  return static_cast<int32_t>(n);
}

bool Gif::decode(std::span<const uint8_t> in) {
  auto refuse = [](std::string_view why) {
    printLine(why);
    printLine("decode: end");
    return false;
  };
  try {
    std::array<uint8_t, 256> block{};
    if (in.size() < 4) return refuse("decode: Input Stream was empty");
    if (std::memcmp(in.data(), "GIF8", 4) != 0) return refuse("decode: Input Stream is not a GIF");

    LittleEndianReader r(in);
    r.pos = 6;
    width = r.u16();
    height = r.u16();
    flag = r.u8();
    background = r.u8();
    r.pos = 13;
    if ((flag & 0x80) != 0) {
      global_colors = 1 << ((flag & 7) + 1);
      colormap = r.bytes(static_cast<size_t>(global_colors) * 3);
    }

    for (;;) {
      const uint8_t b = r.u8();
      if (b == 0x2C || b == 0x3B) break;
      if (b != 0x21) continue;
      const uint8_t label = r.u8();
      int32_t n;
      do {
        n = readBlock(r.pos, in, block);
        r.pos += static_cast<size_t>(n) + 1;
      } while (n != 0);
      if (label == 0xF9) {
        dispose = (block[0] >> 2) & 0x3F;
        delay = block[1] | (block[2] << 8);
        if ((block[0] & 1) != 0) transparency_index = block[3];
      }
    }

    xbase = r.u16();
    ybase = r.u16();
    columns = r.u16();
    rows = r.u16();
    flag = r.u8();
    if (xbase != 0 || ybase != 0) return refuse("decode: image not at origin, not decoding...");
    if ((flag & 0x40) != 0) return refuse("decode: image is interlaced, not decoding...");
    if ((flag & 0x80) != 0)
      return refuse("decode: image doesn't use global colormap, not decoding...");
    if (int64_t{columns} * rows > kMaxPixels)
      return refuse("decode: image of " + std::to_string(columns) + " x " + std::to_string(rows) +
                    " pixels is too large, not decoding...");
    if (!decodePixels(in, r.pos)) return refuse("decode: pixels could not be decoded");

    const auto cols = static_cast<size_t>(columns);
    pixels.assign(static_cast<size_t>(rows), std::vector<uint8_t>(cols));
    for (size_t y = 0; y < pixels.size(); ++y)
      std::copy_n(pix.begin() + static_cast<std::ptrdiff_t>(y * cols), cols, pixels[y].begin());
    return true;
  } catch (const std::exception& e) {
    printLine(failureLine("Gif", "decode", e, " : "));
    return false;
  }
}

bool Gif::decodePixels(std::span<const uint8_t> buf, size_t loc) {
  try {
    const int64_t total = int64_t{std::max(columns, 0)} * std::max(rows, 0);
    if (total > kMaxPixels) {
      printLine("decode: image of " + std::to_string(columns) + " x " + std::to_string(rows) +
                " pixels is too large, not decoding...");
      return false;
    }
    if (loc >= buf.size())
      throw base::FormatError("no image data at offset " + std::to_string(loc) + " of " +
                              std::to_string(buf.size()));
    const int32_t dataSize = buf[loc];
    // Pixels are bytes, so wider root codes cannot stand for a pixel.
    if (dataSize < 1 || dataSize > 8) {
      printLine("decode: LZW code size " + std::to_string(dataSize) + " is not 1 to 8");
      return false;
    }

    const auto n = static_cast<size_t>(total);
    pix.assign(n, 0);
    const size_t produced = expandCodes(buf, loc + 1, dataSize, pix);
    if (produced < n) {
      printLine("decode: Corrupt GIF :: " + std::to_string(produced) + " of " + std::to_string(n) +
                " pixels read");
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    printLine(failureLine("Gif", "decode", e));
    return false;
  }
}

}  // namespace util
