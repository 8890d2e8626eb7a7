#pragma once

#include <string>

#include <zlib.h>

namespace testing_support {

// Inflates a zlib stream that may be unfinished (sync-flushed only); returns
// what it decodes to, or "<error>" when the data is not a zlib stream.
inline std::string inflateAll(const std::string& stream) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return "<error>";
  std::string out;
  char buf[65536];
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  for (;;) {
    z.next_out = reinterpret_cast<Bytef*>(buf);
    z.avail_out = sizeof buf;
    int rc = inflate(&z, Z_SYNC_FLUSH);
    out.append(buf, sizeof buf - z.avail_out);
    if (rc == Z_STREAM_END || (rc == Z_BUF_ERROR && z.avail_in == 0)) break;
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
      inflateEnd(&z);
      return "<error>";
    }
    if (z.avail_in == 0 && z.avail_out != 0) break;
  }
  inflateEnd(&z);
  return out;
}

}  // namespace testing_support
