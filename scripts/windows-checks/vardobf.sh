# Checks of vardobf.exe and palvex.exe, sourced by scripts/test-windows.sh:
# windows_checks_vardobf uses its check and run helpers and its variables
# win (the Windows build), lin (the Linux build), work (the scratch folder,
# holding the Wine prefix) and wine.
#
#  - vardobf.exe, run under Wine over logs of every match type, writes the
#    same databases and pages, byte for byte, as the Linux vardobf on the
#    same logs and settings (the player database up to the zeros of its
#    free slots, see below); a second run over more logs (totals carried
#    over) too;
#  - its numbers follow the user's regional settings; a run lock of an
#    ended process is stale at once;
#  - cpack's zip package holds the programs, the site's files and the
#    README, and vardobf.exe runs from it;
#  - spawnBrowser.exe is installed beside it and never fails a run;
#  - palvex.exe reads and writes PNG pictures as the Linux palvex does.

# The files below a folder with their checksums, sorted by name; the trace,
# the settings file and the player database are left out.
vardobf_tree() {
  (cd "$1" && find . -type f ! -name VardoDebug.txt ! -name VardoBF.cfg ! -name '*.exe' \
    ! -name bf_player.db -exec md5sum {} + | sort -k2)
}

# The player database is preallocated differently by system: on Linux its
# free slots are written out as zeros, on Windows the file is extended by a
# write past its end (and a reopened file counts its free slots, so it grows
# again later). Its bytes are the same once the shorter file is filled up
# with zeros to the longer one's length.
vardobf_same_player_db() {
  python3 - "$1" "$2" <<'PY'
import sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
n = max(len(a), len(b))
sys.exit(0 if a and a.ljust(n, b"\0") == b.ljust(n, b"\0") else 1)
PY
}

windows_checks_vardobf() {
  if [ ! -e "$win/bin/vardobf.exe" ]; then
    echo "skipped vardobf.exe: not built"
    return 0
  fi
  local d=$work/vardobf
  if ! nice -n 15 cmake --build "$lin" -j "${JOBS:-$(nproc)}" --target vardobf loggen >/dev/null; then
    check "vardobf.exe: the Linux vardobf and loggen to compare with" 1 "cannot build them in $lin"
    return
  fi
  mkdir -p "$d/logs1" "$d/logs2" "$d/lin/bin" "$d/win/bin" "$d/win/share"
  # Logs of every match type, then a second set with later dates.
  if ! "$lin/bin/loggen" --type all --count 14 --seed 11 --out "$d/logs1" >/dev/null ||
    ! "$lin/bin/loggen" --type all --count 7 --seed 12 --date 2001-05-01 --out "$d/logs2" >/dev/null; then
    check "vardobf.exe: logs of every type generated" 1
    return
  fi

  # The Windows installation: the program, its browser launcher and the
  # site's files as the package lays them out; its home is the folder of
  # the program. The Linux one runs with that home given by -j.
  cp "$win/bin/vardobf.exe" "$win/bin/spawnBrowser.exe" "$d/win/bin/"
  cp -r "$win/share/vardobf" "$d/win/share/"
  local side
  for side in lin win; do
    printf 'SpawnBrowser\tfalse\nDebugType\tStdOut\n' >"$d/$side/bin/VardoBF.cfg"
    mkdir -p "$d/$side/logs"
  done

  # The user's regional settings of Windows with the number format of the
  # C locale (no digit grouping, "." as the decimal sign); test-windows.sh
  # sets them too.
  "$wine" reg add 'HKCU\Control Panel\International' /v sGrouping /t REG_SZ /d 0 /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\International' /v sDecimal /t REG_SZ /d . /f >/dev/null 2>&1

  local round status lin_status
  for round in 1 2; do
    for side in lin win; do
      rm -f "$d/$side/logs"/*
      cp "$d/logs$round"/* "$d/$side/logs/"
    done
    LC_ALL=C TZ=UTC run "$d/win/bin" "$d/win-$round.out" "$d/win/bin/vardobf.exe" '..\logs'
    status=$?
    (cd "$d/lin/bin" && LC_ALL=C TZ=UTC "$lin/bin/vardobf" -j "$d/lin/bin" ../logs \
      >"$d/lin-$round.out" 2>&1)
    lin_status=$?
    local wtree ltree
    wtree=$(vardobf_tree "$d/win/bin")
    ltree=$(vardobf_tree "$d/lin/bin")
    [ $status -eq 0 ] && [ $lin_status -eq 0 ] && [ -n "$ltree" ] && [ "$wtree" = "$ltree" ] &&
      [ "$(ls "$d/win/bin/data"/bf_*.db | wc -l)" -eq 4 ] &&
      [ -s "$d/win/bin/html/Vardo_Main.html" ] &&
      vardobf_same_player_db "$d/win/bin/data/bf_player.db" "$d/lin/bin/data/bf_player.db"
    check "vardobf.exe: run $round writes the Linux vardobf's databases and pages" $? \
      "status $status (Linux: $lin_status), $(diff <(echo "$wtree") <(echo "$ltree") | grep -c '^[<>]') lines differ: $(diff <(echo "$wtree") <(echo "$ltree") | grep '^[<>]' | head -4 | tr '\n' ' ')"
  done

  # Other regional settings: the numbers follow them. A one-second delay
  # makes the first timing longer than a thousand milliseconds.
  mkdir -p "$d/regional/bin" "$d/regional/logs"
  cp -r "$d/win/share" "$d/regional/"
  cp "$d/win/bin"/*.exe "$d/regional/bin/"
  cp "$d/logs2"/* "$d/regional/logs/"
  printf 'SpawnBrowser\tfalse\nDebugType\tStdOut\nDelay\t1\n' >"$d/regional/bin/VardoBF.cfg"
  "$wine" reg add 'HKCU\Control Panel\International' /v sThousand /t REG_SZ /d "'" /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\International' /v sGrouping /t REG_SZ /d '3;0' /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\International' /v sDecimal /t REG_SZ /d , /f >/dev/null 2>&1
  run "$d/regional/bin" "$d/regional.out" "$d/regional/bin/vardobf.exe" '..\logs'
  status=$?
  # Back to the settings of the "C" locale that the other checks expect.
  "$wine" reg delete 'HKCU\Control Panel\International' /v sThousand /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\International' /v sGrouping /t REG_SZ /d 0 /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\International' /v sDecimal /t REG_SZ /d . /f >/dev/null 2>&1
  [ $status -eq 0 ] && grep -Eq "^[0-9]{3}'[0-9]{3} ms Init$" "$d/regional.out" &&
    grep -Eq ';[0-9]+,[0-9]%?&nbsp' "$d/regional/bin/html/Total_Game_Stats/All_Totals.html" &&
    ! grep -Eq ';[0-9]+\.[0-9]%?&nbsp' "$d/regional/bin/html/Total_Game_Stats/All_Totals.html" &&
    grep -Eq ';[0-9]+\.[0-9]%?&nbsp' "$d/lin/bin/html/Total_Game_Stats/All_Totals.html"
  check "vardobf.exe: the numbers follow the user's regional settings" $? \
    "status $status: $(grep ' ms Init$' "$d/regional.out")"

  # Run locks: a fresh lock of a process that no longer runs on this host
  # is stale at once (the process table of Windows is asked), and the run
  # goes on; one written on another host keeps the run out for five
  # minutes.
  local lk=$d/locks owner
  for owner in "999999 $(hostname)" "999999 another-host"; do
    rm -rf "$lk"
    mkdir -p "$lk/bin/data" "$lk/logs"
    cp -r "$d/win/share" "$lk/"
    cp "$d/win/bin"/*.exe "$lk/bin/"
    cp "$d/logs2"/* "$lk/logs/"
    printf 'SpawnBrowser\tfalse\nDebugType\tStdOut\n' >"$lk/bin/VardoBF.cfg"
    printf '%s\n' "$owner" >"$lk/bin/data/$(($(date +%s) * 1000)).lock"
    run "$lk/bin" "$lk.out" "$lk/bin/vardobf.exe" '..\logs'
    status=$?
    if [ "$owner" = "999999 another-host" ]; then
      [ $status -eq 0 ] && grep -q '^Another Vardo is running, now exiting...$' "$lk.out" &&
        [ ! -e "$lk/bin/html/Vardo_Main.html" ]
      check "vardobf.exe: a fresh lock of another host keeps the run out" $? "status $status"
    else
      [ $status -eq 0 ] && ! grep -q '^Another Vardo' "$lk.out" &&
        [ -s "$lk/bin/html/Vardo_Main.html" ] && [ -z "$(ls "$lk/bin/data" | grep '\.lock$')" ]
      check "vardobf.exe: the lock of a process that has ended is stale at once" $? \
        "status $status: $(grep -i 'another\|lock' "$lk.out" | head -3 | tr '\n' ' ')"
    fi
  done

  # The package: cpack's zip holds the programs, the site's files and the
  # README, and vardobf.exe run from it lays the site's files into its site.
  local pkg=$d/package zip
  if (cd "$win" && cpack -G ZIP -B "$pkg" >"$d/cpack.out" 2>&1); then
    zip=$(ls "$pkg"/*.zip 2>/dev/null | head -1)
    mkdir -p "$pkg/unpacked"
    [ -n "$zip" ] && python3 -m zipfile -e "$zip" "$pkg/unpacked" &&
      top=$(ls -d "$pkg/unpacked"/*/ | head -1) && mkdir -p "$pkg/logs" &&
      cp "$d/logs1"/* "$pkg/logs/" &&
      printf 'SpawnBrowser\tfalse\nDebugType\tStdOut\n' >"$top/bin/VardoBF.cfg"
    local missing=""
    for f in bin/vardobf.exe bin/spawnBrowser.exe bin/tessaly.exe bin/uploadstarter.exe \
      bin/zephgo.exe README.md share/vardobf/html/skins/skin.css \
      share/vardobf/html/processing.html; do
      [ -f "${top:-/nonexistent}/$f" ] || missing+=" $f"
    done
    [ -e "$win/bin/palvex.exe" ] && [ ! -f "${top:-/nonexistent}/bin/palvex.exe" ] && missing+=" bin/palvex.exe"
    ls "${top:-/nonexistent}/bin" | grep -q '_test\.exe$' && missing+=" (test programs packed)"
    status=1
    if [ -z "$missing" ]; then
      run "$top/bin" "$pkg/run.out" "$top/bin/vardobf.exe" '..\..\..\logs'
      status=$?
    fi
    [ -z "$missing" ] && [ $status -eq 0 ] && [ -s "$top/bin/html/Vardo_Main.html" ] &&
      cmp -s "$top/bin/html/skins/skin.css" "$top/share/vardobf/html/skins/skin.css"
    check "the zip package: the programs, the site's files and the README; vardobf.exe runs from it" $? \
      "missing:${missing:- none}, status $status"
  else
    check "the zip package: cpack -G ZIP in $win" 1 "$(tail -3 "$d/cpack.out" | tr '\n' ' ')"
  fi

  # vardobf.exe starts the launcher beside it with the page's path in double
  # quotes, and waits for the first start. A program that prints the name it
  # is given (palvex.exe) stands in for the launcher here.
  if [ -e "$win/bin/palvex.exe" ]; then
    local bl=$d/launcher
    mkdir -p "$bl/bin" "$bl/logs"
    cp -r "$d/win/share" "$bl/"
    cp "$win/bin/vardobf.exe" "$bl/bin/"
    cp "$win/bin/palvex.exe" "$bl/bin/spawnBrowser.exe"
    cp "$d/logs2"/* "$bl/logs/"
    printf 'SpawnBrowser\ttrue\nDebugType\tStdOut\n' >"$bl/bin/VardoBF.cfg"
    run "$bl/bin" "$bl.out" "$bl/bin/vardobf.exe" '..\logs'
    status=$?
    [ $status -eq 0 ] && grep -q '^Processing file:  "[A-Z]:\\.*\\bin\\html/processing.html"$' "$bl.out" &&
      [ -s "$bl/bin/html/Vardo_Main.html" ]
    check "vardobf.exe: the launcher beside it gets the page's path in double quotes" $? \
      "status $status: $(grep -i 'processing file\|launch' "$bl.out" | head -2 | tr '\n' ' ')"
  fi

  # The browser launcher strips the quotes and, when the page cannot be
  # opened, says where it is; it never fails.
  run "$d/win/bin" "$d/spawn.out" "$d/win/bin/spawnBrowser.exe" '"no such folder\page.html"'
  status=$?
  [ $status -eq 0 ] && grep -q '^Page: no such folder\\page.html$' "$d/spawn.out"
  check "spawnBrowser.exe: a page that cannot be opened is reported" $? \
    "status $status: $(tr '\n' ' ' <"$d/spawn.out")"

  windows_checks_palvex_png
}

# palvex.exe reads and writes PNG pictures (with the libpng that
# scripts/build-windows.sh builds) as the Linux palvex does.
windows_checks_palvex_png() {
  if [ ! -e "$win/bin/palvex.exe" ]; then
    echo "skipped palvex.exe with PNG pictures: not built"
    return 0
  fi
  if ! nice -n 15 cmake --build "$lin" -j "${JOBS:-$(nproc)}" --target palvex >/dev/null; then
    check "palvex.exe: the Linux palvex to compare with" 1 "cannot build it in $lin"
    return
  fi
  local d=$work/palvex-png side args out all=0
  mkdir -p "$d/win" "$d/lin"
  # A true-colour PNG picture with an alpha channel, smooth and sharp changes.
  python3 - "$d/win/in.png" <<'PY'
import struct, sys, zlib
w, h = 80, 48
rows = b"".join(
    b"\0" + bytes(v for x in range(w) for v in
                  ((x * 255) // (w - 1), (y * 255) // (h - 1), ((x ^ y) * 37) & 255,
                   0 if (x // 8 + y // 8) % 5 == 0 else 255))
    for y in range(h))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
       chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
open(sys.argv[1], "wb").write(png)
PY
  cp "$d/win/in.png" "$d/lin/"
  for args in "in.png out.pcx" "in.png out.png -png -colors 32" "in.png out.bmp -bmp -mask 0.2"; do
    out=$(echo "$args" | cut -d' ' -f2)
    run "$d/win" "$d/win/$out.txt" "$win/bin/palvex.exe" $args
    (cd "$d/lin" && "$lin/bin/palvex" $args >"$out.txt" 2>&1)
    [ -s "$d/lin/$out" ] && cmp -s "$d/win/$out" "$d/lin/$out" || { all=1; echo "  $out differs"; }
  done
  check "palvex.exe: PNG pictures read and written as the Linux palvex does" $all
}
