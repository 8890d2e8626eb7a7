#include "palvex/files/PngCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <png.h>

#include "palvex/files/Layout.h"

// libpng reports errors by longjmp. The functions that call into it below
// hold no objects with destructors between setjmp and the calls, so that
// a jump leaks and skips nothing; everything they fill is owned by callers.
namespace palvex::files {
namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr png_uint_32 kMaxSide = 8192;
// No ancillary chunk of a texture needs more.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at;
  char message[160];
};

void readBytes(png_structp png, png_bytep out, size_t n) {
  auto* r = static_cast<Reader*>(png_get_io_ptr(png));
  if (n > r->size - r->at) png_error(png, "the file ends early");
  std::memcpy(out, r->data + r->at, n);
  r->at += n;
}

void onError(png_structp png, png_const_charp message) {
  auto* r = static_cast<Reader*>(png_get_error_ptr(png));
  if (r != nullptr) {
    std::strncpy(r->message, message, sizeof r->message - 1);
    r->message[sizeof r->message - 1] = '\0';
  }
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

struct Header {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int depth = 0;
  int colourType = 0;
  int interlace = 0;
  int paletteSize = 0;
  png_colorp palette = nullptr;
};

bool readHeader(png_structp png, png_infop info, Header* h) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_read_info(png, info);
  png_get_IHDR(png, info, &h->width, &h->height, &h->depth, &h->colourType, &h->interlace, nullptr,
               nullptr);
  if (h->colourType == PNG_COLOR_TYPE_PALETTE)
    png_get_PLTE(png, info, &h->palette, &h->paletteSize);
  return true;
}

// Reads the rows into `rows` (height pointers into caller-owned memory),
// as palette indices for paletted files and as RGB otherwise.
bool readRows(png_structp png, png_infop info, const Header* h, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  if (h->colourType == PNG_COLOR_TYPE_PALETTE) {
    png_set_packing(png);
  } else {
    if (h->colourType == PNG_COLOR_TYPE_GRAY && h->depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if ((h->colourType & PNG_COLOR_MASK_ALPHA) != 0) png_set_strip_alpha(png);
    if ((h->colourType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  }
  png_read_update_info(png, info);
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

std::string failure(const Reader& r) {
  return std::string(" Input file is not a readable PNG file (") + r.message + "). ";
}

}  // namespace

bool PngCodec::recognises(std::span<const uint8_t> data) {
  return data.size() >= sizeof kSignature && std::memcmp(data.data(), kSignature, 8) == 0;
}

void PngCodec::decode(std::span<const uint8_t> data, SourcePicture& image, Checksums checksums) {
  Reader reader{data.data(), data.size(), 0, "damaged"};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, onError, onWarning);
  if (png == nullptr) throw std::bad_alloc();
  png_infop info = png_create_info_struct(png);
  struct Release {
    png_structp* p;
    png_infop* i;
    ~Release() { png_destroy_read_struct(p, i, nullptr); }
  } release{&png, &info};
  if (info == nullptr) throw std::bad_alloc();
  png_set_read_fn(png, &reader, readBytes);
  if (checksums == Checksums::kIgnore) {
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  }

  Header h;
  if (!readHeader(png, info, &h)) throw DecodeError(failure(reader));
  if (h.interlace != PNG_INTERLACE_NONE)
    throw DecodeError(" Interlaced PNG files are not supported. ");
  checkImageSize(h.width, h.height);
  const bool paletted = h.colourType == PNG_COLOR_TYPE_PALETTE;
  const size_t w = h.width;
  // 16-bit samples are read as they are and brought to 8 bits below.
  const size_t sample = h.depth == 16 ? 2 : 1;
  const size_t rowBytes = paletted ? w : w * 3 * sample;
  std::vector<uint8_t> plane(rowBytes * h.height);
  std::vector<png_bytep> rows(h.height);
  for (size_t y = 0; y < rows.size(); ++y) rows[y] = plane.data() + y * rowBytes;
  std::array<uint8_t, 1024> palette{};
  for (int i = 0; paletted && i < std::min(h.paletteSize, 256); ++i) {
    palette[static_cast<size_t>(i) * 4] = h.palette[i].red;
    palette[static_cast<size_t>(i) * 4 + 1] = h.palette[i].green;
    palette[static_cast<size_t>(i) * 4 + 2] = h.palette[i].blue;
  }
  if (!readRows(png, info, &h, rows.data())) throw DecodeError(failure(reader));

  if (!paletted && sample == 2) {
    // v ÷ 257 rounded down: each 8-bit value k widened to 257 k comes back
    // as k, and the result is the one other common readers give.
    for (size_t i = 0; i < plane.size() / 2; ++i) {
      plane[i] = static_cast<uint8_t>(((plane[i * 2] << 8) | plane[i * 2 + 1]) / 257);
    }
    plane.resize(plane.size() / 2);
  }
  if (!paletted) {
    image.width = static_cast<int32_t>(h.width);
    image.height = static_cast<int32_t>(h.height);
    image.pixels = std::move(plane);
    image.sourcePaletteSize = 0;
    return;
  }
  std::vector<uint8_t> pixels(w * h.height * 3);
  for (size_t i = 0; i < plane.size(); ++i) {
    std::copy_n(palette.begin() + plane[i] * 4, 3,
                pixels.begin() + static_cast<std::ptrdiff_t>(i * 3));
  }
  image.width = static_cast<int32_t>(h.width);
  image.height = static_cast<int32_t>(h.height);
  image.pixels = std::move(pixels);
  image.sourcePalette = palette;
  image.sourcePaletteSize = 256;
  image.indexPlane = image.keepIndexPlane ? std::move(plane) : std::vector<uint8_t>{};
}

namespace {

struct Writer {
  OutputBuffer* out;
  bool failed;
};

void writeBytes(png_structp png, png_bytep data, size_t n) {
  auto* w = static_cast<Writer*>(png_get_io_ptr(png));
  if (!w->out->put(std::span<const uint8_t>(data, n))) w->failed = true;
}

void flushNothing(png_structp) {}

void onWriteError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

bool writeAll(png_structp png, png_infop info, png_uint_32 width, png_uint_32 height,
              png_colorp colours, int count, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_PLTE(png, info, colours, count);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool PngCodec::encode(int32_t width, int32_t height, std::span<const uint8_t> indices,
                      const Palette& palette, OutputBuffer& out) {
  const auto w = static_cast<size_t>(width);
  if (width <= 0 || height <= 0 || indices.size() != w * static_cast<size_t>(height)) return false;
  const int highest = *std::max_element(indices.begin(), indices.end());
  const int count = std::clamp(std::max(palette.size, highest + 1), 1, 256);
  std::vector<png_color> colours(static_cast<size_t>(count));
  for (size_t i = 0; i < colours.size(); ++i) {
    colours[i] = {palette.entries[i][0], palette.entries[i][1], palette.entries[i][2]};
  }
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (size_t y = 0; y < rows.size(); ++y) {
    rows[y] = const_cast<png_bytep>(indices.data() + y * w);
  }
  Writer writer{&out, false};
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onWriteError, onWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  const bool written = info != nullptr && (png_set_write_fn(png, &writer, writeBytes, flushNothing),
                                           writeAll(png, info, static_cast<png_uint_32>(width),
                                                    static_cast<png_uint_32>(height),
                                                    colours.data(), count, rows.data()));
  png_destroy_write_struct(&png, &info);
  return written && !writer.failed && out.flush();
}

}  // namespace palvex::files
