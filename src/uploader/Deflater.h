#pragma once

#include <cstddef>
#include <cstdint>

#include <zlib.h>

namespace uploader {

// One zlib stream (level 9, 32 KiB window, memory level 8, default
// strategy) that is sync-flushed after every chunk and never finished.
// Move-less and copy-less; the destructor releases the compressor.
class Deflater {
 public:
  Deflater() = default;
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;
  ~Deflater();

  // Starts the stream; returns zlib's code (Z_OK on success).
  int init();
  // The next chunk of input; it must stay alive until flush() says no more.
  void input(const uint8_t* data, size_t size);
  // Compresses the pending input with a sync flush into `out`. Sets
  // `*produced`, and `*more` when `out` filled up and more output is waiting
  // (call again with a fresh buffer). Returns zlib's code: Z_OK, or an error.
  int flush(uint8_t* out, size_t capacity, size_t* produced, bool* more);

 private:
  z_stream stream_{};
  bool started_ = false;
};

}  // namespace uploader
