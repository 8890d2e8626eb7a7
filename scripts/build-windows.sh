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
# their tests; Wine and Xvfb to run them (scripts/test-windows.sh).
PACKAGES=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest cmake ninja-build wine64 xvfb)
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

cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake "$@" >/dev/null
nice -n 15 cmake --build "$dir" -j "${JOBS:-$(nproc)}"
