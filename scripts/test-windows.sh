#!/usr/bin/env bash
# test-windows.sh [WINDOWS_BUILD] [LINUX_BUILD]: runs the cross-built Windows
# programs and tests under Wine, in a Wine prefix of their own that is removed
# at the end. WINDOWS_BUILD (default build-windows) is made by
# scripts/build-windows.sh; LINUX_BUILD (default build-release) is a Linux
# build whose collector server receives the uploads, whose tessaly answers a
# bad option as tessaly.exe must and whose palvex gives the expected images
# (these targets are built there when missing).
#
#  - the unit test programs (*_test.exe) pass, one after the other (their
#    counts of tests passed and skipped are listed);
#  - tessaly.exe answers a bad option as the Linux tessaly does, passes the
#    connection test, delivers every log of a folder whose name is not ASCII
#    byte for byte to the collector, ends a stuck tessaly.exe, and loses no
#    log under any of the collector's faults;
#  - uploadstarter.exe starts tessaly.exe with a folder name holding a blank
#    and a percent sign, and reports its exit code;
#  - palvex.exe, where it was built, writes the same bytes as the Linux palvex;
#  - the checks of each scripts/windows-checks/NAME.sh: the file is sourced
#    and its function windows_checks_NAME called (it may use check, run,
#    sums and the variables win, lin, work and wine).
#
# Everything runs in one Wine prefix, made once, and on a virtual X display
# (xvfb-run) when there is none, for the programs that open windows.
# SUITES (a regular expression, default all) limits the test programs run.
set -uo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${BRIM_TEST_WINDOWS_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
  BRIM_TEST_WINDOWS_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
root=$PWD
win=$root/${1:-build-windows}
lin=$root/${2:-build-release}
wine=/usr/lib/wine/wine64

for f in "$win/bin/tessaly.exe" "$win/bin/uploadstarter.exe" "$wine"; do
  [ -e "$f" ] || { echo "missing $f (run scripts/build-windows.sh)" >&2; exit 1; }
done
[ -f "$lin/build.ninja" ] || { echo "missing the Linux build $lin" >&2; exit 1; }
linux_targets=(collector tessaly)
[ -e "$win/bin/palvex.exe" ] && linux_targets+=(palvex)
nice -n 15 cmake --build "$lin" -j "${JOBS:-$(nproc)}" --target "${linux_targets[@]}" >/dev/null ||
  { echo "cannot build ${linux_targets[*]} in $lin" >&2; exit 1; }

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
collector_pid=
cleanup() {
  [ -n "$collector_pid" ] && kill "$collector_pid" 2>/dev/null && wait "$collector_pid" 2>/dev/null
  [ -d "$WINEPREFIX" ] && /usr/lib/wine/wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # check NAME STATUS [DETAILS]: counts and reports one check
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
    echo "ok      $1"
  else
    failed=$((failed + 1))
    echo "FAILED  $1${3:+: $3}"
  fi
}
# run DIR OUTPUT PROGRAM ARGS...: a Windows program under Wine (at most two
# minutes), its output in OUTPUT with the line ends of Windows text output
# (CR LF) made LF; the status is the program's, as the shell sees it.
run() {
  local dir=$1 out=$2 status
  shift 2
  (cd "$dir" && timeout 120 "$wine" "$@" >"$out.crlf" 2>&1)
  status=$?
  tr -d '\r' <"$out.crlf" >"$out"
  return $status
}
# The checksums of the files in a folder, sorted (names left out).
sums() { (cd "$1" && find . -type f -exec md5sum {} + | cut -d' ' -f1 | sort); }

echo "creating the Wine prefix..."
"$wine" cmd /c exit >/dev/null 2>&1
# The programs take their number format from the user's regional settings
# (Wine's default is that of English (United States), with "," grouping):
# those of the "C" locale the Linux tests run in, no grouping and ".".
"$wine" reg add 'HKCU\Control Panel\International' /v sGrouping /t REG_SZ /d 0 /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Control Panel\International' /v sDecimal /t REG_SZ /d . /f >/dev/null 2>&1

# --- the unit tests ---
units_passed=0
units_skipped=0
for t in "$win"/bin/*_test.exe; do
  [ -e "$t" ] || continue
  name=$(basename "$t" .exe)
  [[ $name =~ ${SUITES:-.} ]] || continue
  start=$SECONDS
  run "$work" "$work/$name.out" "$t" --gtest_brief=1
  status=$?
  n_passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p' "$work/$name.out")
  n_skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}[.,].*$/\1/p' "$work/$name.out")
  units_passed=$((units_passed + ${n_passed:-0}))
  units_skipped=$((units_skipped + ${n_skipped:-0}))
  check "$name: ${n_passed:-0} passed, ${n_skipped:-0} skipped ($((SECONDS - start)) s)" $status \
    "$(grep -E '^\[  FAILED  \]' "$work/$name.out" | head -5 | tr '\n' ' ')"
  # The reasons of the skipped tests.
  grep -A1 -E ': Skipped$' "$work/$name.out" | grep -vE ': Skipped$|^--$' | sort -u |
    sed 's/^/          skipped: /'
done
echo "unit tests under Wine: $units_passed passed, $units_skipped skipped"

# --- tessaly ---
mkdir -p "$work/store"
"$lin/bin/collector" --store "$work/store" --listen 127.0.0.1:0 --port-file "$work/port" \
  >"$work/collector.out" 2>&1 &
collector_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
export TESSALY_COLLECTORS=127.0.0.1:$(cat "$work/port" 2>/dev/null)

logs="logs-caf$(printf '\xc3\xa9')-$(printf '\xce\xb1\xce\xb2')"
mkdir -p "$work/$logs" "$work/sent"
for i in 1 2 3; do
  head -c $((20000 * i + 7)) /dev/urandom | base64 >"$work/$logs/match$i.log"
done
printf 'x' >"$work/$logs/tiny-$(printf '\xc3\xbc').log"
cp "$work/$logs"/*.log "$work/sent/"

run "$work" "$work/bad.out" "$win/bin/tessaly.exe" -h
win_status=$?
(cd "$work" && "$lin/bin/tessaly" -h >"$work/bad-linux.out" 2>&1)
lin_status=$?
grep -q '^Usage: ' "$work/bad.out" && [ $win_status -eq $lin_status ]
check "tessaly.exe: a bad option" $? "status $win_status (Linux: $lin_status)"

run "$work" "$work/conn.out" "$win/bin/tessaly.exe" -v -t -d "$logs"
grep -q 'Received: CONN_TEST_OK' "$work/conn.out"
check "tessaly.exe: connection test" $? "$(tail -3 "$work/conn.out" | tr '\n' ' ')"

run "$work" "$work/send.out" "$win/bin/tessaly.exe" -v -d "$logs"
status=$?
[ $status -eq 50 ] && [ "$(sums "$work/sent")" = "$(sums "$work/store")" ] &&
  [ "$(ls "$work/$logs")" = batch_info.txt ]
check "tessaly.exe: every log delivered byte for byte" $? "status $status"

# A stuck uploader (its collector never answers) holds the instance lock;
# once the logs are old the next run ends it and delivers them.
mkdir -p "$work/store-stalled" "$work/stuck-logs"
"$lin/bin/collector" --store "$work/store-stalled" --listen 127.0.0.1:0 --fault stall \
  --port-file "$work/port-stalled" >"$work/collector-stalled.out" 2>&1 &
stalled_pid=$!
for _ in $(seq 100); do [ -s "$work/port-stalled" ] && break; sleep 0.1; done
cp "$work/sent"/match1.log "$work/sent"/match2.log "$work/stuck-logs/"
(cd "$work" && TESSALY_COLLECTORS=127.0.0.1:$(cat "$work/port-stalled") timeout 100 "$wine" \
  "$win/bin/tessaly.exe" -v -d stuck-logs >"$work/stuck.out" 2>&1) &
stuck_pid=$!
for _ in $(seq 300); do grep -qs 'Sent: Connect HELLO' "$work/stuck.out" && break; sleep 0.1; done
touch -d '3 hours ago' "$work/stuck-logs"/*.log
run "$work" "$work/second.out" "$win/bin/tessaly.exe" -v -d stuck-logs
status=$?
ended=1
for _ in $(seq 100); do kill -0 $stuck_pid 2>/dev/null || { ended=0; break; }; sleep 0.1; done
kill "$stalled_pid" 2>/dev/null
wait "$stalled_pid" 2>/dev/null
[ $status -eq 50 ] && [ $ended -eq 0 ] && grep -q 'Stuck batcher process killed' "$work/second.out" &&
  [ "$(ls "$work/stuck-logs")" = batch_info.txt ]
check "tessaly.exe: a stuck tessaly.exe is ended and the logs delivered" $? \
  "status $status, $(grep -E '^\[(W50a|E5)' "$work/second.out" | tr '\n' ' ')"

# Under each of the collector's faults no log is lost: every log is still in
# its folder, byte for byte, or stored whole; a run against a sound collector
# then delivers the rest.
# start_collector NAME OPTIONS...: a collector on a free port of 127.0.0.1,
# storing in $work/store-NAME; its pid in fault_pid, its port in fault_port.
start_collector() {
  local name=$1
  shift
  mkdir -p "$work/store-$name"
  rm -f "$work/port-$name"
  "$lin/bin/collector" --store "$work/store-$name" --listen 127.0.0.1:0 "$@" \
    --port-file "$work/port-$name" >"$work/collector-$name.out" 2>&1 &
  fault_pid=$!
  for _ in $(seq 100); do [ -s "$work/port-$name" ] && break; sleep 0.1; done
  fault_port=$(cat "$work/port-$name" 2>/dev/null)
}
# missing_logs DIR...: how many sent logs are found, byte for byte, in none
# of the folders DIR.
missing_logs() {
  local dir
  for dir in "$@"; do sums "$dir"; done | sort -u >"$work/found.sums"
  sums "$work/sent" | sort -u | comm -23 - "$work/found.sums" | wc -l
}
# tessaly_to_collector DIR OUTPUT: tessaly.exe delivers the logs of DIR to
# the collector on $fault_port, its output in OUTPUT; its status is returned.
tessaly_to_collector() {
  (cd "$work" && TESSALY_COLLECTORS=127.0.0.1:$fault_port timeout 120 "$wine" \
    "$win/bin/tessaly.exe" -v -d "$(basename "$1")" >"$2" 2>&1)
}
# run_end OUTPUT: the last lines of a run's output, on one line.
run_end() { tail -4 "$1" | tr -d '\r\0' | tr '\n' ' '; }
for fault in "drop-after 1000" "drop-after 10" "fault garbage" "fault no-ack" "fault full-disk" \
  "fault no-newline" "fault early-ack"; do
  name=${fault#* }-${fault%% *}
  logs_dir="$work/fault-logs-$name"
  mkdir -p "$logs_dir"
  cp "$work/sent"/*.log "$logs_dir/"
  start_collector "$name" --${fault%% *} ${fault#* }
  tessaly_to_collector "$logs_dir" "$work/fault-$name.out.crlf"
  status=$?
  # Once in a few runs under Wine a run against a connection reset ends
  # with status 1, which is none of tessaly's codes; the run is tried once
  # more (its logs are still there) and the first status is reported.
  if [ $status -ne 50 ] && [ "${fault%% *}" = drop-after ]; then
    echo "          tessaly.exe under $fault ended with status $status" \
      "($(run_end "$work/fault-$name.out.crlf")); tried once more"
    tessaly_to_collector "$logs_dir" "$work/fault-$name.out.crlf"
    status=$?
  fi
  kill "$fault_pid" 2>/dev/null
  wait "$fault_pid" 2>/dev/null
  rm -f "$logs_dir/batch_info.txt"
  lost_bad=$(missing_logs "$logs_dir" "$work/store-$name")
  # A fault that still lets the logs through (replies without LF) leaves
  # nothing for the sound run.
  status_sound=none
  if ls "$logs_dir" | grep -q '\.log$'; then
    start_collector "$name-sound"
    tessaly_to_collector "$logs_dir" "$work/fault-$name-sound.out.crlf"
    status_sound=$?
    kill "$fault_pid" 2>/dev/null
    wait "$fault_pid" 2>/dev/null
  fi
  mkdir -p "$work/store-$name-sound"
  lost_sound=$(missing_logs "$work/store-$name" "$work/store-$name-sound")
  ok=0
  [ $status -eq 50 ] && [ "$lost_bad" -eq 0 ] && [ "$lost_sound" -eq 0 ] || ok=1
  case $status_sound in 50 | none) ;; *) ok=1 ;; esac
  ls "$logs_dir" | grep -q '\.log$' && ok=1
  check "tessaly.exe: nothing lost under the collector's $fault" $ok \
    "status $status then $status_sound; lost $lost_bad then $lost_sound; the first run ended: $(run_end "$work/fault-$name.out.crlf")"
done

# --- uploadstarter ---
starter_logs="logs $(printf '\xc3\xa4')%s"
mkdir -p "$work/$starter_logs" "$work/cwd"
cp "$work/sent"/*.log "$work/$starter_logs/"
rm -f "$work/store"/*
cp "$win/bin/tessaly.exe" "$work/cwd/"
run "$work/cwd" "$work/starter.out" "$win/bin/uploadstarter.exe" "..\\$starter_logs" 20
status=$?
[ $status -eq 0 ] && grep -q '^Batcher finished with exit code: 50$' "$work/starter.out" &&
  [ "$(sums "$work/sent")" = "$(sums "$work/store")" ]
check "uploadstarter.exe: tessaly.exe started and its exit code read" $? \
  "$(tr '\n' ' ' <"$work/starter.out")"

# --- palvex ---
if [ -e "$win/bin/palvex.exe" ]; then
  mkdir -p "$work/palvex-win" "$work/palvex-lin"
  # A 24-bit Targa picture with smooth and sharp colour changes.
  python3 - "$work/palvex-win/in.tga" <<'EOF'
import sys
w, h = 96, 64
px = bytearray()
for y in range(h):
    for x in range(w):
        r, g, b = (x * 255) // (w - 1), (y * 255) // (h - 1), ((x ^ y) * 37) & 255
        px += bytes((b, g, r))
header = bytes((0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, w & 255, w >> 8, h & 255, h >> 8, 24, 0))
open(sys.argv[1], "wb").write(header + px)
EOF
  cp "$work/palvex-win/in.tga" "$work/palvex-lin/"
  all=0
  for args in "in.tga out.pcx" "in.tga out.bmp -bmp -dither 0 -colors 64" "in.tga out.tga -tga -rgb"; do
    out=$(echo "$args" | cut -d' ' -f2)
    run "$work/palvex-win" "$work/palvex-win/$out.txt" "$win/bin/palvex.exe" $args
    (cd "$work/palvex-lin" && "$lin/bin/palvex" $args >"$out.txt" 2>&1)
    cmp -s "$work/palvex-win/$out" "$work/palvex-lin/$out" || { all=1; echo "  $out differs"; }
  done
  check "palvex.exe: the same bytes as the Linux palvex" $all
else
  echo "skipped palvex.exe: not built (no libpng for Windows)"
fi

# --- the checks of the programs' own files ---
for f in scripts/windows-checks/*.sh; do
  [ -e "$f" ] || continue
  name=$(basename "$f" .sh)
  # shellcheck source=/dev/null
  if ! source "$f"; then
    check "$f: sourced" 1
    continue
  fi
  if ! declare -F "windows_checks_$name" >/dev/null; then
    check "$f: defines windows_checks_$name" 1
    continue
  fi
  echo "--- $name ---"
  "windows_checks_$name"
done

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
