#pragma once

#include <cstdint>

namespace platform {

// What the operating system hands out for an open file or socket: a file
// descriptor on POSIX systems; on Windows a HANDLE or a SOCKET, kept as an
// integer of pointer width. kNoHandle holds nothing (it is also the value of
// INVALID_HANDLE_VALUE and INVALID_SOCKET there).
#ifdef _WIN32
using NativeHandle = std::intptr_t;
#else
using NativeHandle = int;
#endif
inline constexpr NativeHandle kNoHandle = -1;

}  // namespace platform
