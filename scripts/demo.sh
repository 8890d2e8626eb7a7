#!/usr/bin/env bash
# Installs what is missing, builds, generates an evening of sample match logs of
# every game type and runs vardobf over them in demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DWERROR=ON

bin=build-release/bin
home=demo
rm -rf "$home"
mkdir -p "$home/data" "$home/html" "$home/processedLogs" "$home/Logs"
cp "$bin/spawnBrowser.exe" "$home/"
if [ -d assets/graphics ]; then cp -r assets/graphics "$home/html/"; fi
cat > "$home/VardoBF.cfg" <<'CFG'
# Settings of the demo run
LogFileHandling	save
DebugType	Both
Max_Most_Recent	30
CFG

# Two logs of each game type, with distinct dates one after another.
"$bin/loggen" --type all --count 14 --seed 2026 --date 2026-12-01T18:00 --out "$home/Logs"

(cd "$home" && "../$bin/vardobf" Logs)

echo
echo "Demo finished. The statistics site is at: $(pwd)/$home/html/Vardo_Main.html"
