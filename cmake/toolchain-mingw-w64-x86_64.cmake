# Cross-building the Windows programs (64-bit) on Debian with mingw-w64, the
# variant with POSIX threads (std::thread and std::mutex need it):
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake
# Debian packages: g++-mingw-w64-x86-64-posix, libz-mingw-w64-dev.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRIM_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRIM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRIM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BRIM_MINGW_PREFIX}-windres)

# Libraries and headers of the target (zlib) come from the mingw-w64 tree
# only; the programs that run during the build (none yet) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${BRIM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static programs: no runtime DLLs of the compiler (libgcc, libstdc++,
# winpthread) or of zlib need to travel with the .exe files.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and tools that run programs on the build machine use Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
