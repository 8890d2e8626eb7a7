#!/usr/bin/env bash
# Takes the screenshots of the README: a match index page and a player page of
# the demo site, at desktop (1280) and phone (390) widths, into docs/.
# Run scripts/demo.sh first (or pass the page directory of another site).
set -euo pipefail
cd "$(dirname "$0")/.."
site=${1:-demo/run/html}
games="$site/Individual_Game_Stats"
[ -d "$games" ] || { echo "no site at $site: run scripts/demo.sh first" >&2; exit 1; }
# A Capture the Flag match shows the most tables; any match will do.
match=""
for d in "$games"/[0-9]*; do
  if grep -q "Flag Event Summary" "$d/index.html" 2>/dev/null; then match=$d; break; fi
done
# The main page and a career page, at desktop width.
python3 tests/e2e/browser_probe.py /usr/bin/chromium "file://$(realpath "$site/Vardo_Main.html")" \
  1280 900 --screenshot "docs/screenshot_main_1280.png" | grep -E '^(screenshot|failed|error)='
python3 tests/e2e/browser_probe.py /usr/bin/chromium "file://$(realpath "$site/Total_Game_Stats/0.html")" \
  1280 900 --screenshot "docs/screenshot_career_1280.png" | grep -E '^(screenshot|failed|error)=' 
[ -n "$match" ] || match=$(ls -d "$games"/[0-9]* | head -1)
player="$match/0.html"
[ -f "$player" ] || player="$match/index.html"
mkdir -p docs
for width in 1280 390; do
  python3 tests/e2e/browser_probe.py /usr/bin/chromium "file://$(realpath "$match/index.html")" \
    "$width" 900 --screenshot "docs/screenshot_match_$width.png" | grep -E '^(screenshot|failed|error)='
  python3 tests/e2e/browser_probe.py /usr/bin/chromium "file://$(realpath "$player")" \
    "$width" 900 --screenshot "docs/screenshot_player_$width.png" | grep -E '^(screenshot|failed|error)='
done
# The main page and a career page, at desktop width.
python3 tests/e2e/browser_probe.py /usr/bin/chromium "file://$(realpath "$site/Vardo_Main.html")" \
  1280 900 --screenshot "docs/screenshot_main_1280.png" | grep -E '^(screenshot|failed|error)='
python3 tests/e2e/browser_probe.py /usr/bin/chromium "file://$(realpath "$site/Total_Game_Stats/0.html")" \
  1280 900 --screenshot "docs/screenshot_career_1280.png" | grep -E '^(screenshot|failed|error)=' 
# The explorer: its player list, a player and a match, at both widths
# (docs/explorer-*.png).
python3 tests/e2e/explorer_probe.py screenshots "$site" docs
