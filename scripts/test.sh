#!/usr/bin/env bash
# Installs what is missing and checks the C++ files' format, then builds and
# runs every test twice: in the release build with warnings as errors (then
# the Debian package made from it is checked: scripts/test-package.sh), and in
# a build with AddressSanitizer and UndefinedBehaviorSanitizer. Third, the Windows
# programs and their unit tests are cross-built with mingw-w64 and run under
# Wine (scripts/build-windows.sh installs its own packages).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
status=0

echo "=== format (clang-format with the repository's .clang-format) ==="
bash scripts/check-format.sh || status=1

echo "=== release build (warnings are errors) ==="
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DWERROR=ON
(cd build-release && ctest --output-on-failure -j "$jobs") || status=1

echo "=== Debian package (from the release build): lintian, programs run from it, systemd units ==="
bash scripts/test-package.sh build-release || status=1

echo "=== AddressSanitizer + UndefinedBehaviorSanitizer build (clang, with short fuzzing runs) ==="
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWERROR=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DENABLE_SANITIZERS=ON -DENABLE_FUZZERS=ON -DENABLE_BENCHMARKS=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$jobs") || status=1

echo "=== Windows build (mingw-w64), its programs and tests under Wine ==="
if bash scripts/build-windows.sh build-windows; then
  bash scripts/test-windows.sh build-windows build-release || status=1
else
  echo "the Windows build failed"
  status=1
fi

if [ $status -ne 0 ]; then
  echo "TESTS FAILED"
else
  echo "ALL TESTS PASSED (release, package, sanitizer and Windows builds)"
fi
exit $status
