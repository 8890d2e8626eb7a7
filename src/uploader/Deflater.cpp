#include "uploader/Deflater.h"

namespace uploader {

Deflater::~Deflater() {
  if (started_) deflateEnd(&stream_);
}

int Deflater::init() {
  int rc = deflateInit2(&stream_, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
  started_ = rc == Z_OK;
  return rc;
}

void Deflater::input(const uint8_t* data, size_t size) {
  stream_.next_in = const_cast<Bytef*>(data);
  stream_.avail_in = static_cast<uInt>(size);
}

int Deflater::flush(uint8_t* out, size_t capacity, size_t* produced, bool* more) {
  stream_.next_out = out;
  stream_.avail_out = static_cast<uInt>(capacity);
  int rc = deflate(&stream_, Z_SYNC_FLUSH);
  *produced = capacity - stream_.avail_out;
  // A full buffer may hide more output; Z_BUF_ERROR only says that a call
  // found nothing left to do.
  *more = stream_.avail_out == 0;
  if (rc == Z_BUF_ERROR && *produced == 0) {
    *more = false;
    return Z_OK;
  }
  return rc == Z_STREAM_END ? Z_OK : rc;
}

}  // namespace uploader
