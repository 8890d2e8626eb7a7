#!/usr/bin/env bash
# Installs what is missing, builds, generates an evening of sample match logs of
# every game type and runs vardobf over them in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DWERROR=ON

# Installed as a user installs it; vardobf then lays its page files (style
# sheet, images, help pages) into the site by itself.
rm -rf demo
cmake --install build-release --prefix demo/install >/dev/null
home=demo/run
mkdir -p "$home/Logs"
cat > "$home/VardoBF.cfg" <<'CFG'
# Settings of the demo run
LogFileHandling	save
DebugType	Both
Max_Most_Recent	30
CFG

# Two logs of each game type, with distinct dates one after another.
build-release/bin/loggen --type all --count 14 --seed 2026 --date 2026-12-01T18:00 --out "$home/Logs"

(cd "$home" && ../install/bin/vardobf Logs)

echo
echo "Demo finished. The statistics site is at: $(pwd)/$home/html/Vardo_Main.html"
