#!/usr/bin/env bash
# build-windows.sh [DIR] [cmake options...]: cross-builds the 64-bit Windows
# programs with mingw-w64 into DIR (default build-windows; the programs end up
# in DIR/bin). Installs the missing Debian packages first when run as root.
# The build runs at low priority; JOBS sets the number of parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-windows}
[ $# -gt 0 ] && shift

# The cross compiler, zlib and the GoogleTest sources for the programs and
# their tests; the JSON library's headers; Wine and Xvfb to run them
# (scripts/test-windows.sh); dpkg-dev unpacks libpng's source.
PACKAGES=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest nlohmann-json3-dev cmake ninja-build wine64 xvfb dpkg-dev)
missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (install them as root): ${missing[*]}" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

toolchain=$PWD/cmake/toolchain-mingw-w64-x86_64.cmake

# libpng for palvex.exe: Debian has none built for Windows, so Debian's own
# source of it is cross-built once into DIR/deps (static, with the mingw-w64
# zlib). Its source package comes from the Debian mirror's source index,
# which is added when missing (as root). Without it palvex.exe is left out.
case $dir in
  /*) deps=$dir/deps ;;
  *) deps=$PWD/$dir/deps ;;
esac
png=$deps/mingw
png_options=()
build_libpng() {
  local uris
  uris=$(apt-get source --print-uris libpng1.6 2>/dev/null || true)
  if [[ $uris != *.dsc* ]]; then
    [ "$(id -u)" -eq 0 ] || { echo "no source index of the Debian mirror (add one as root)" >&2; return 1; }
    local suite
    suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    cat >/etc/apt/sources.list.d/debian-src.sources <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    apt-get update -q >/dev/null || return 1
  fi
  rm -rf "$deps/src" "$deps/build"
  mkdir -p "$deps/src"
  (cd "$deps/src" && apt-get source --download-only libpng1.6 >/dev/null 2>&1 &&
    dpkg-source -x --no-check libpng1.6_*.dsc libpng >/dev/null) || return 1
  cmake -S "$deps/src/libpng" -B "$deps/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$png" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON >/dev/null &&
    nice -n 15 cmake --build "$deps/build" -j "${JOBS:-$(nproc)}" >/dev/null &&
    cmake --install "$deps/build" >/dev/null
}
if [ ! -f "$png/lib/libpng16.a" ]; then
  echo "building libpng for Windows from Debian's source..."
  build_libpng || echo "libpng could not be built for Windows: palvex.exe is left out" >&2
fi
if [ -f "$png/lib/libpng16.a" ]; then
  png_options=(-DPNG_LIBRARY="$png/lib/libpng16.a" -DPNG_PNG_INCLUDE_DIR="$png/include")
fi

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${png_options[@]}" "$@" >/dev/null
nice -n 15 cmake --build "$dir" -j "${JOBS:-$(nproc)}"
