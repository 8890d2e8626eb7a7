#!/usr/bin/env bash
# Checks that every C++ file of the repository is as clang-format writes it
# with the repository's .clang-format; lists the files that are not. Format a
# file with `clang-format -i FILE`.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "clang-format is not installed (scripts/install-deps.sh)" >&2
  exit 1
fi
bad=()
count=0
while IFS= read -r file; do
  count=$((count + 1))
  clang-format --style=file "$file" | cmp -s - "$file" || bad+=("$file")
done < <(git ls-files '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
  echo "not formatted as .clang-format says (clang-format -i FILE):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "format: all $count C++ files follow .clang-format"
