#!/usr/bin/env bash
# test-package.sh [BUILD_DIR]: builds the Debian package in a release build
# (default build-release, configured when missing), checks it with lintian,
# unpacks it into a scratch root and runs every program from there: a log
# uploaded by tessaly to the collector, a statistics run over the
# collector's store with the shipped settings, the tools on what these wrote.
# Then checks the systemd units against that root. Exits non-zero on the
# first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWERROR=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)" >/dev/null

fail() { echo "test-package: FAILED: $*" >&2; exit 1; }
step() { echo "test-package: $*"; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
rm -f "$build"/brimfall-companions_*.deb
(cd "$build" && cpack -G DEB >/dev/null) || fail "cpack -G DEB"
deb="$build/brimfall-companions_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"
step "built $deb"

# Dependencies come from the libraries the programs use.
depends=$(dpkg-deb -f "$deb" Depends)
for d in adduser libc6 libstdc++6 zlib1g libpng16-16; do
  [[ "$depends" == *"$d"* ]] || fail "Depends lacks $d: $depends"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/{vardobf,spawnBrowser.exe,tessaly,uploadstarter,palvex,zephgo,collector} \
         ./usr/bin/{loggen,matchdump,dbdump} \
         ./usr/share/vardobf/html/skins/skin.css ./usr/share/vardobf/html/Help_Using_Vardo.html \
         ./lib/systemd/system/brimfall-{collector.service,stats.service,stats.timer} \
         ./lib/systemd/system/brimfall-{upload.service,upload.timer} \
         ./etc/default/brimfall-{collector,upload} ./etc/brimfall/VardoBF.cfg \
         ./usr/share/doc/brimfall-companions/{copyright,changelog.gz,README.md} \
         ./usr/share/doc/brimfall-companions/examples/{VardoBF.cfg,collectors.txt}; do
  grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -e "$deb" "$scratch/control"
for f in /etc/default/brimfall-collector /etc/default/brimfall-upload /etc/brimfall/VardoBF.cfg; do
  grep -qxF "$f" "$scratch/control/conffiles" || fail "$f is not a conffile"
done

# lintian: no errors (warnings are printed).
lintian --allow-root --fail-on error "$deb" \
  | tee "$scratch/lintian.txt" || fail "lintian reported errors"
step "lintian: $(grep -c '^E:' "$scratch/lintian.txt" || true) errors, $(grep -c '^W:' "$scratch/lintian.txt" || true) warnings"

# The maintainer scripts, with adduser and systemctl replaced by recorders.
mkdir -p "$scratch/stub"
for cmd in adduser systemctl deb-systemd-invoke deb-systemd-helper; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/calls"\n' "$cmd" "$scratch" > "$scratch/stub/$cmd"
  chmod +x "$scratch/stub/$cmd"
done
printf '#!/bin/sh\nexit 2\n' > "$scratch/stub/getent"  # no user brimfall yet
chmod +x "$scratch/stub/getent"
for s in postinst prerm postrm; do
  sh -n "$scratch/control/$s" || fail "$s: syntax"
  PATH="$scratch/stub:$PATH" sh "$scratch/control/$s" \
    "$([ $s = postinst ] && echo configure || echo remove)" || fail "$s failed"
done
grep -q "^adduser --system --group --home /var/lib/brimfall .* brimfall$" "$scratch/calls" ||
  fail "postinst did not create the user: $(cat "$scratch/calls")"

# Every program from the unpacked package.
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
run() {  # run EXPECTED_STATUS COMMAND...: the command ends with that status
  local want=$1 got=0
  shift
  "$@" >"$scratch/out" 2>&1 </dev/null || got=$?
  [ "$got" = "$want" ] || fail "$* ended with $got, not $want: $(head -c 2000 "$scratch/out")"
}
# Each program answers --version with its name and the package's version,
# and has its manual page.
version=$(dpkg-deb -f "$deb" Version)
for p in vardobf tessaly uploadstarter palvex zephgo collector loggen matchdump dbdump; do
  run 0 "$bin/$p" --version
  [ "$(cat "$scratch/out")" = "$p $version" ] || fail "$p --version: $(head -c 200 "$scratch/out")"
  [ -s "$root/usr/share/man/man1/$p.1.gz" ] || fail "no manual page for $p"
done
run 0 "$bin/vardobf" -u
run 255 "$bin/uploadstarter"
run 2 "$bin/zephgo"
run 156 "$bin/tessaly" -d "$scratch/no-such-folder"
run 2 "$bin/collector" --store "$scratch" --allow 10.0.0/8
grep -q "bad value for --allow" "$scratch/out" || fail "collector: no usage error"
run 1 "$bin/palvex"
grep -q "no input filename" "$scratch/out" || fail "palvex: no complaint about the missing input"

# A game server's logs go through tessaly to the collector...
mkdir -p "$scratch/game/Logs" "$scratch/store"
run 0 "$bin/loggen" --type all --count 7 --seed 7 --date 2026-12-01T18:00 --out "$scratch/game/Logs"
"$bin/collector" --listen 127.0.0.1:0 --store "$scratch/store" --port-file "$scratch/port" \
  --allow 127.0.0.0/8 >"$scratch/collector.out" 2>&1 &
collector=$!
for _ in $(seq 100); do [ -s "$scratch/port" ] && break; sleep 0.05; done
[ -s "$scratch/port" ] || fail "the collector did not start: $(cat "$scratch/collector.out")"
# One uploader runs per machine (lock port 19273): while another one holds
# it (status 10), the upload is tried again a little later.
status=10
for _ in $(seq 30); do
  status=0
  TESSALY_COLLECTORS="127.0.0.1:$(cat "$scratch/port")" \
    "$bin/tessaly" -l -d "$scratch/game/Logs" -g bf >"$scratch/out" 2>&1 </dev/null || status=$?
  [ "$status" = 10 ] || break
  sleep 1
done
[ "$status" = 50 ] || fail "tessaly ended with $status, not 50: $(head -c 2000 "$scratch/out")"
kill "$collector"
wait "$collector" 2>/dev/null || true
[ "$(ls "$scratch/store" | wc -l)" = 7 ] || fail "the store holds $(ls "$scratch/store" | wc -l) logs, not 7"
[ -z "$(ls "$scratch/game/Logs")" ] || fail "tessaly left logs behind"
log=$(ls "$scratch/store" | head -1)
run 0 "$bin/matchdump" "$scratch/store/$log"
grep -q '"validGame":true' "$scratch/out" || fail "matchdump: not a valid match"

# ...and a statistics run with the shipped settings takes them out of the
# store and writes the site, with the installed page files.
mkdir -p "$scratch/stats"
run 0 "$bin/vardobf" -b false -j "$scratch/stats" -c "$root/etc/brimfall/VardoBF.cfg" \
  -l "$scratch/store"
for f in Vardo_Main.html skins/skin.css Help_Using_Vardo.html; do
  [ -s "$scratch/stats/html/$f" ] || fail "the site lacks $f"
done
[ -z "$(ls "$scratch/store")" ] || fail "the statistics run left logs in the store"
run 0 "$bin/dbdump" "$scratch/stats/data"
step "programs ran from the package: upload, collector, statistics site, tools"

# The units, against the unpacked root: their programs exist there, and the
# system's own units (the targets they refer to) are copied in beside them.
# verify goes on past a misspelt key or value with a warning, so any output
# counts as a failure too.
if command -v systemd-analyze >/dev/null; then
  cp -rn /lib/systemd/system/. "$root/lib/systemd/system/"
  for u in "$root"/lib/systemd/system/brimfall-*; do
    systemd-analyze verify --root="$root" "$u" >"$scratch/verify" 2>&1 && [ ! -s "$scratch/verify" ] ||
      fail "systemd-analyze verify $(basename "$u"): $(cat "$scratch/verify")"
  done
  step "systemd-analyze verify: units pass"
else
  fail "systemd-analyze is missing (install the package systemd)"
fi
echo "test-package: all checks passed"
