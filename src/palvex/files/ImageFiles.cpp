#include "palvex/files/ImageFiles.h"

#include <cstdio>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "base/Failure.h"
#include "palvex/files/BmpCodec.h"
#include "palvex/files/OutputBuffer.h"
#include "palvex/files/PcxCodec.h"
#include "palvex/files/PngCodec.h"
#include "palvex/files/TgaCodec.h"
#include "platform/FileSystem.h"
#include "platform/OutputFile.h"

namespace palvex::files {
namespace {

// Files larger than this are not read into memory: no texture of the
// largest accepted size needs more.
constexpr int64_t kMaxFileBytes = int64_t{1} << 30;

class FileSink : public Sink {
 public:
  explicit FileSink(platform::OutputFile& file) : file_(file) {}
  bool write(std::span<const uint8_t> data) override {
    return file_.write(data.data(), data.size());
  }

 private:
  platform::OutputFile& file_;
};

// Opens, writes through the buffer and closes; removes the file when any
// of it failed. `what` names the format in the messages.
template <typename Encode>
bool writeFile(const std::string& name, const char* what, Encode encode) {
  auto file = platform::OutputFile::open(name, platform::OutputFile::Mode::kReplace);
  if (!file) {
    std::printf(" Could not open %s file %s for writing.\n", what, name.c_str());
    return false;
  }
  FileSink sink(*file);
  OutputBuffer out(sink);
  const bool written = encode(out);
  if (!file->close() || !written) {
    const bool removed = platform::removePath(name);
    std::printf(" Could not write %s file %s: the disk may be full.\n", what, name.c_str());
    if (!removed) std::printf(" Could not remove the partial file %s.\n", name.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool ImageFiles::load(Image& image, bool allow8bit) {
  image.releasePixels();
  const std::string& name = image.inputName;
  if (!platform::isFile(name)) {
    std::printf(" Input file [%s] not found. ", name.c_str());
    return false;
  }
  std::string bytes;
  try {
    if (platform::fileSize(name) > kMaxFileBytes) {
      std::printf(" Input file [%s] is too large. ", name.c_str());
      return false;
    }
    bytes = platform::readFile(name);
  } catch (const base::Failure&) {
    std::printf(" Input file [%s] not found. ", name.c_str());
    return false;
  }
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  try {
    if (data.size() < kSniffSize) throw DecodeError(" Couldn't read from input file. ");
    if (data[0] == 'B' && data[1] == 'M') {
      BmpCodec::decode(data, allow8bit, image);
    } else if (data[0] == kPcxMagic && data[2] < 2) {
      PcxCodec::decode(data, image);
      std::printf("PCX file read.");
    } else if (PngCodec::recognises(data)) {
      PngCodec::decode(data, image);
    } else {
      TgaCodec::decode(data, image);
    }
  } catch (const DecodeError& e) {
    std::printf("%s", e.what());
    return false;
  } catch (const std::bad_alloc&) {
    image.releasePixels();
    std::printf("Out of memory.");
    return false;
  }
  return true;
}

bool ImageFiles::writeIndexed(const IndexedImage& r, const std::string& name, OutputFormat format,
                              bool debug) {
  if (!r.complete()) return false;
  switch (format) {
    case OutputFormat::kBmp:
      return writeFile(name, "BMP", [&](OutputBuffer& out) {
        return BmpCodec::encodeIndexed(r.width, r.height, r.indices, r.palette, out);
      });
    case OutputFormat::kPcx:
      if (debug) std::printf("Writing PCX file data header\n");
      return writeFile(name, "PCX", [&](OutputBuffer& out) {
        return PcxCodec::encode(r.width, r.height, r.indices, r.palette, out);
      });
    case OutputFormat::kPng:
      return writeFile(name, "PNG", [&](OutputBuffer& out) {
        return PngCodec::encode(r.width, r.height, r.indices, r.palette, out);
      });
    case OutputFormat::kTga:
      return writeFile(name, "TGA", [&](OutputBuffer& out) {
        // The codec turns the rows over in place; the result stays as it is.
        std::vector<uint8_t> rows = r.indices;
        return TgaCodec::encodeIndexed(r.width, r.height, rows, r.palette, out);
      });
  }
  return false;
}

bool ImageFiles::writeTrueColour(const SourcePicture& picture, const std::string& name) {
  const auto n = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  if (picture.pixels.size() != n * 3 || n == 0) return false;
  return writeFile(name, "24 Bit", [&](OutputBuffer& out) {
    return BmpCodec::encodeTrueColour(picture.width, picture.height, picture.pixels, out);
  });
}

}  // namespace palvex::files
