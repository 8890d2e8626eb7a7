#!/usr/bin/env bash
# Installs what is missing, builds only the two programs the demo runs,
# generates an evening of sample match logs of every game type and runs
# vardobf over them in demo/run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --demo
# A build of its own without the tests and benchmarks, so that a newcomer
# sees the site in a few minutes; scripts/test.sh builds everything.
cmake -S . -B build-demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DENABLE_BENCHMARKS=OFF >/dev/null
cmake --build build-demo -j "$(nproc)" --target vardobf loggen

# The build folder has the installed layout (bin/ beside share/vardobf/html),
# so vardobf lays its page files (style sheet, images, help pages) into the
# site by itself, as an installed one does.
rm -rf demo
home=demo/run
mkdir -p "$home/Logs"
cat > "$home/VardoBF.cfg" <<'CFG'
# Settings of the demo run
LogFileHandling	save
DebugType	Both
Max_Most_Recent	30
CFG

# Two logs of each game type, with distinct dates one after another.
build-demo/bin/loggen --type all --count 14 --seed 2026 --date 2026-12-01T18:00 --out "$home/Logs"

(cd "$home" && ../../build-demo/bin/vardobf Logs)

page="$(pwd)/$home/html/Vardo_Main.html"
echo
echo "Demo finished. The statistics site is at: $page"
echo "Open it in a browser:        xdg-open '$page'   (or file://$page)"
echo "or, on a machine without one, serve it and browse to http://<this machine>:8000/Vardo_Main.html:"
echo "                             python3 -m http.server --directory '$(pwd)/$home/html' 8000"
