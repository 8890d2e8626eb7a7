#pragma once

// Internal to the Windows side of the platform layer: the one loop that
// writes a whole buffer to a file handle.

#include <cstddef>

#include <windows.h>

namespace platform::detail {

// Writes all `size` bytes of `data` at the handle's position (or at the end
// for a handle opened to append). Returns ERROR_SUCCESS when everything is
// written, otherwise the system's error code (ERROR_WRITE_FAULT when the
// handle takes no more bytes).
inline DWORD writeFully(HANDLE h, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(h, p, chunk, &written, nullptr)) return ::GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    p += written;
    size -= written;
  }
  return ERROR_SUCCESS;
}

}  // namespace platform::detail
