#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need, when
# some are missing. Needs root for the install; without root it only checks.
set -euo pipefail

# install-deps.sh --demo installs only what scripts/demo.sh builds with.
PACKAGES=(g++ cmake ninja-build zlib1g-dev libpng-dev nlohmann-json3-dev)
if [ "${1:-}" != "--demo" ]; then
PACKAGES+=(make libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev python3 imagemagick giflib-tools)
# The format check of the C++ files.
PACKAGES+=(clang-format)
# The page checks: the HTML checker and the headless browser; the site data
# checks: the JSON Schema validator.
PACKAGES+=(tidy chromium python3-jsonschema)
# The palvex quality benchmark compares with pngquant.
PACKAGES+=(pngquant bc)
# palvex reads and writes PNG files.
PACKAGES+=(libpng-dev)
# The interrupted-run tests kill vardobf at chosen system calls.
PACKAGES+=(strace)
# The manual pages are checked with groff and read with man.
PACKAGES+=(groff-base man-db)
# The package test: the Debian package's checker and the unit checker.
PACKAGES+=(lintian systemd)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages (install them as root): ${missing[*]}" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
