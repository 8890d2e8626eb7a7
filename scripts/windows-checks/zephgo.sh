# Checks of zephgo.exe, sourced by scripts/test-windows.sh:
# windows_checks_zephgo uses its check helper and its variables win (the
# Windows build), work (the scratch folder, holding the Wine prefix) and wine.
# It ends the Wine session it finds, to start one on its own display, and
# leaves the prefix as it found it (no CD drive, no client, Wine's browser),
# its session ended.
#
# zephgo.exe runs with its real Win32 side: the registry of the Wine prefix,
# a drive letter that Wine reports as a CD-ROM drive (HKLM\Software\Wine\
# Drives), its hidden window, message boxes and resource dialogs on an Xvfb
# display of its own, and the shell's "open", which Wine hands to the
# browser named in HKCU\Software\Wine\WineBrowser: here a script that records
# the address. The boxes are answered, and the hidden window asked
# "QueryCancelAutoPlay", by a small helper (zgtool.exe, built here with the
# cross compiler) that finds the windows by class and caption and sends them
# the messages a click would; it prints what each box said. One helper process
# per run, started with zephgo.exe, works all its windows, so that Wine's
# start-up time does not come between the steps.
#
#  - zephgo.exe is a windowed program whose resources are icon 109, the
#    dialogs 106 and 107 (with their sizes, font and texts) and the version
#    block;
#  - the client installed: the login address in the browser, the browser
#    notice (dialog 107) shown, AutoPlay not cancelled, exit status 0 after
#    about 20 seconds;
#  - no argument, and "abc": the boxes INVALID ARGUMENT COUNT (2) and NON
#    NUMERIC ARGUMENT (3);
#  - no client and no installer on the CD: the CD box, answered OK (AutoPlay
#    cancelled meanwhile) and then Cancel, gives "Look for installer at" and
#    exit status 1;
#  - the installer in a subdirectory of the CD (one in "Recycled" is passed
#    over) installs the client: the page is opened, exit status 0, and the
#    AutoRun policy value of the 9x family is not written;
#  - an installer that installs nothing: INSTALL FAILURE, exit status 4;
#  - in a Wine session without a display no window can be made: the program
#    ends at once with the initial result, exit status 6.

# zephgo_wine ARGS...: a Wine program on the checks' display, at most 90 s.
zephgo_wine() { timeout 90 "$wine" "$@"; }

# zephgo_case NAME ARGS...: runs zephgo.exe with ARGS while the helper, in
# one process started with it, works its windows with the commands in the
# array zephgo_hand; the helper's output goes to $d/NAME.hand, zephgo's exit
# status to $d/NAME.status, its run time in seconds to $d/NAME.time.
zephgo_case() {
  local name=$1 start hand=
  shift
  : >"$d/$name.hand"
  if [ ${#zephgo_hand[@]} -gt 0 ]; then
    zephgo_wine "$d/zgtool.exe" "${zephgo_hand[@]}" >"$d/$name.hand" 2>/dev/null &
    hand=$!
  fi
  start=$(date +%s)
  zephgo_wine "$d/bin/zephgo.exe" "$@" >"$d/$name.out" 2>&1
  echo $? >"$d/$name.status"
  echo $(($(date +%s) - start)) >"$d/$name.time"
  [ -z "$hand" ] || wait "$hand"
  tr -d '\r' <"$d/$name.hand" >"$d/$name.hand.lf" && mv "$d/$name.hand.lf" "$d/$name.hand"
}

# The client's registry keys and program gone, or laid as its installer would.
zephgo_no_client() {
  "$wine" reg delete 'HKLM\Software\Classes\.spi' /f >/dev/null 2>&1
  "$wine" reg delete 'HKLM\Software\Classes\ZephClient' /f >/dev/null 2>&1
  rm -rf "$WINEPREFIX/drive_c/zeph"
}
zephgo_client() {
  mkdir -p "$WINEPREFIX/drive_c/zeph" && : >"$WINEPREFIX/drive_c/zeph/zephclient.exe"
  "$wine" reg add 'HKLM\Software\Classes\.spi' /ve /d ZephClient /f >/dev/null 2>&1 &&
    "$wine" reg add 'HKLM\Software\Classes\ZephClient\Shell\Open\command' /ve \
      /d '"C:\zeph\zephclient.exe" "%1"' /f >/dev/null 2>&1
}
# The CD in drive R: is the folder $d/$1.
zephgo_cd() { ln -sfn "$d/$1" "$WINEPREFIX/dosdevices/r:"; }

windows_checks_zephgo() {
  if [ ! -e "$win/bin/zephgo.exe" ]; then
    echo "skipped zephgo.exe: not built"
    return 0
  fi
  local d=$work/zephgo cc=x86_64-w64-mingw32-gcc-posix
  local wineserver
  wineserver=$(dirname "$wine")/wineserver
  mkdir -p "$d/bin" "$d/cd-empty/Recycled" "$d/cd-setup/disk1/setup" "$d/cd-setup/Recycled" \
    "$d/cd-bad/setup"
  cp "$win/bin/zephgo.exe" "$d/bin/"

  # The program's resources as windres reads them back, and its subsystem.
  local rc headers
  rc=$(x86_64-w64-mingw32-windres -i "$d/bin/zephgo.exe" -J coff -O rc 2>&1 | grep -v '^  0x')
  headers=$(x86_64-w64-mingw32-objdump -p "$d/bin/zephgo.exe" 2>&1)
  grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" &&
    grep -q '^106 DIALOGEX 0, 0, 140, 50$' <<<"$rc" && grep -q '^107 DIALOGEX 0, 0, 165, 59$' <<<"$rc" &&
    [ "$(grep -c '^FONT 12, "Times New Roman"$' <<<"$rc")" = 2 ] &&
    grep -q 'CTEXT "Looking for ZEPH installer\.\.\."' <<<"$rc" &&
    grep -q 'CTEXT "Starting default web browser to ZEPH"' <<<"$rc" &&
    grep -q '^109 14 /\* RT_GROUP_ICON \*/$' <<<"$rc" &&
    grep -q 'VALUE "FileDescription", "ZEPH launcher: verifies the ZEPH client installation' <<<"$rc"
  check "zephgo.exe: a windowed program with icon 109, dialogs 106 and 107 and its version block" $?

  # The helper and two installers: one that lays the client and its keys, one
  # that does nothing.
  cat >"$d/zgtool.c" <<'EOF'
/* The checks' hand on zephgo's windows: runs its commands in turn, each
 * waiting at most 60 seconds for its window.
 *   answer CAPTION ok|cancel  the message box CAPTION: prints "CAPTION: TEXT"
 *                             and clicks the button
 *   autoplay                  asks zephgo's hidden window
 *                             "QueryCancelAutoPlay", prints the answer
 *   notice TEXT               a shown dialog saying TEXT: prints "notice shown"
 * Exit status 1, after "(no window for: COMMAND)", when a window did not come. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

static void put(const wchar_t *w) {
  char s[4096];
  WideCharToMultiByte(CP_UTF8, 0, w, -1, s, sizeof s, NULL, NULL);
  fputs(s, stdout);
}

static const wchar_t *wanted;
static HWND found;

static BOOL CALLBACK byNoticeText(HWND h, LPARAM l) {
  wchar_t text[512];
  (void)l;
  if (!IsWindowVisible(h) || GetDlgItemTextW(h, 1000, text, 512) == 0) return TRUE;
  if (wcscmp(text, wanted) != 0) return TRUE;
  found = h;
  return FALSE;
}

/* One command: 1 done, 0 its window is not there yet, -1 failed. */
static int attempt(wchar_t **cmd) {
  if (wcscmp(cmd[0], L"answer") == 0) {
    wchar_t text[2048];
    int i;
    HWND box = FindWindowW(L"#32770", cmd[1]);
    if (box == NULL || !IsWindowVisible(box)) return 0;
    Sleep(300);
    GetDlgItemTextW(box, 0xFFFF, text, 2048); /* the box's text */
    put(cmd[1]);
    put(L": ");
    put(text);
    fputs("\n", stdout);
    PostMessageW(box, WM_COMMAND, wcscmp(cmd[2], L"ok") == 0 ? IDOK : IDCANCEL, 0);
    for (i = 0; i < 100 && IsWindow(box); ++i) Sleep(50);
    return 1;
  }
  if (wcscmp(cmd[0], L"autoplay") == 0) {
    DWORD_PTR answer = 0;
    HWND w = FindWindowW(L"MyMainWindowClass", L"MyWindowClass window :)");
    if (w == NULL) return 0;
    if (!SendMessageTimeoutW(w, RegisterWindowMessageW(L"QueryCancelAutoPlay"), 0, 0, SMTO_BLOCK,
                             15000, &answer)) {
      printf("autoplay: no answer (error %lu)\n", (unsigned long)GetLastError());
      return -1;
    }
    printf("autoplay: %d\n", (int)answer);
    return 1;
  }
  wanted = cmd[1];
  found = NULL;
  EnumWindows(byNoticeText, 0);
  if (found == NULL) return 0;
  puts("notice shown");
  return 1;
}

int wmain(int argc, wchar_t **argv) {
  int at = 1;
  while (at < argc) {
    int args = wcscmp(argv[at], L"answer") == 0 ? 3 : wcscmp(argv[at], L"notice") == 0 ? 2 : 1;
    int i, done = 0;
    if (at + args > argc) return 2;
    for (i = 0; i < 600 && done == 0; ++i) {
      done = attempt(argv + at);
      if (done == 0) Sleep(100);
    }
    if (done != 1) {
      put(L"(no window for: ");
      put(argv[at]);
      puts(")");
      return 1;
    }
    fflush(stdout);
    at += args;
  }
  return 0;
}
EOF
  cat >"$d/setup.c" <<'EOF'
/* A client's installer on the checks' CD: registers the client's open
 * command and lays its program in C:\zeph (without INSTALLS: does nothing). */
#include <windows.h>

int main(void) {
#ifdef INSTALLS
  static const wchar_t cls[] = L"ZephClient";
  static const wchar_t command[] = L"\"C:\\zeph\\zephclient.exe\" \"%1\"";
  HKEY key;
  HANDLE file;
  CreateDirectoryW(L"C:\\zeph", NULL);
  file = CreateFileW(L"C:\\zeph\\zephclient.exe", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(file);
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.spi", 0, NULL, 0, KEY_SET_VALUE,
                      NULL, &key, NULL) != ERROR_SUCCESS)
    return 1;
  RegSetValueExW(key, NULL, 0, REG_SZ, (const BYTE *)cls, sizeof cls);
  RegCloseKey(key);
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\ZephClient\\Shell\\Open\\command",
                      0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
    return 1;
  RegSetValueExW(key, NULL, 0, REG_SZ, (const BYTE *)command, sizeof command);
  RegCloseKey(key);
#endif
  return 0;
}
EOF
  if ! "$cc" -O1 -municode -o "$d/zgtool.exe" "$d/zgtool.c" -luser32 ||
    ! "$cc" -O1 -DINSTALLS -o "$d/cd-setup/disk1/setup/ZEPH0100.EXE" "$d/setup.c" -ladvapi32 ||
    ! "$cc" -O1 -o "$d/cd-setup/Recycled/zeph0001.exe" "$d/setup.c" ||
    ! cp "$d/cd-setup/Recycled/zeph0001.exe" "$d/cd-empty/Recycled/zeph0002.exe" ||
    ! cp "$d/cd-setup/Recycled/zeph0001.exe" "$d/cd-bad/setup/zephfail.exe"; then
    check "zephgo.exe: the helper and the installers built with $cc" 1
    return
  fi

  # A display of the checks' own (Xvfb picks a free number and writes it):
  # windows need one under Wine.
  : >"$d/display"
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$d/display" >/dev/null 2>&1 &
  local xvfb=$!
  for _ in $(seq 100); do [ -s "$d/display" ] && break; sleep 0.1; done
  if [ ! -s "$d/display" ]; then
    check "zephgo.exe: a display from Xvfb" 1
    kill "$xvfb" 2>/dev/null
    return
  fi
  local saved_display=${DISPLAY-}
  export DISPLAY=:$(tr -dc 0-9 <"$d/display")

  # A new Wine session on that display: the drive R: is a CD-ROM drive (Wine
  # reads the drive types when the session starts), the browser records.
  "$wineserver" -k 2>/dev/null
  "$wineserver" -w 2>/dev/null
  printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s"\n' "$d/opened.txt" >"$d/browser"
  chmod +x "$d/browser"
  "$wine" reg add 'HKLM\Software\Wine\Drives' /v 'r:' /d cdrom /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$d/browser" /f >/dev/null 2>&1
  zephgo_cd cd-empty
  "$wineserver" -k 2>/dev/null
  "$wineserver" -w 2>/dev/null

  local status hand time opened start policy=0
  # --- the client installed ---
  zephgo_client
  rm -f "$d/opened.txt"
  zephgo_hand=(notice 'Starting default web browser to ZEPH' autoplay)
  zephgo_case installed 42
  status=$(cat "$d/installed.status") hand=$(cat "$d/installed.hand")
  time=$(cat "$d/installed.time") opened=$(cat "$d/opened.txt" 2>/dev/null)
  [ "$status" = 0 ] && [ "$opened" = "http://zeph.example/login?game_id=42" ] &&
    [ "$hand" = $'notice shown\nautoplay: 0' ] && [ "$time" -ge 19 ] && [ "$time" -le 60 ]
  check "zephgo.exe: the client installed: the login page opened, exit 0 after 20 s" $? \
    "status $status after ${time}s, browser: [$opened], $(echo "$hand" | tr '\n' ' ')"

  # --- the argument ---
  zephgo_hand=(answer 'INVALID ARGUMENT COUNT' ok)
  zephgo_case count
  status=$(cat "$d/count.status") hand=$(cat "$d/count.hand")
  [ "$status" = 2 ] &&
    [ "$hand" = "INVALID ARGUMENT COUNT: Format is: zephgo.exe <game_class_id>" ]
  check "zephgo.exe: no argument: INVALID ARGUMENT COUNT, exit 2" $? "status $status, [$hand]"
  zephgo_hand=(answer 'NON NUMERIC ARGUMENT' ok)
  zephgo_case word abc
  status=$(cat "$d/word.status") hand=$(cat "$d/word.hand")
  [ "$status" = 3 ] &&
    [ "$hand" = "NON NUMERIC ARGUMENT: First argument must be a number (the game class id)" ]
  check "zephgo.exe: abc: NON NUMERIC ARGUMENT, exit 3" $? "status $status, [$hand]"

  # --- no client, no installer on the CD ---
  zephgo_no_client
  rm -f "$d/opened.txt"
  zephgo_hand=(answer 'INSTALLER NOT FOUND' ok autoplay answer 'INSTALLER NOT FOUND' cancel
    answer 'INSTALLER NOT FOUND' ok)
  zephgo_case nocd 5
  status=$(cat "$d/nocd.status") hand=$(cat "$d/nocd.hand")
  [ "$status" = 1 ] && [ ! -e "$d/opened.txt" ] && [ "$hand" = "INSTALLER NOT FOUND: Please put CD with ZEPH installer in CD drive
autoplay: 1
INSTALLER NOT FOUND: Please put CD with ZEPH installer in CD drive
INSTALLER NOT FOUND: Look for installer at http://zeph.example/" ]
  check "zephgo.exe: no installer on the CD: OK searches again, Cancel gives exit 1" $? \
    "status $status, $(echo "$hand" | tr '\n' ' ')"

  # --- the installer on the CD ---
  zephgo_no_client
  "$wine" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer' \
    /v NoDriveTypeAutoRun /f >/dev/null 2>&1
  zephgo_cd cd-setup
  rm -f "$d/opened.txt"
  zephgo_hand=()
  zephgo_case setup 7
  status=$(cat "$d/setup.status") opened=$(cat "$d/opened.txt" 2>/dev/null)
  "$wine" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer' \
    /v NoDriveTypeAutoRun >/dev/null 2>&1 && policy=1
  [ "$status" = 0 ] && [ "$opened" = "http://zeph.example/login?game_id=7" ] &&
    [ -e "$WINEPREFIX/drive_c/zeph/zephclient.exe" ] && [ $policy = 0 ]
  check "zephgo.exe: the installer in a CD subdirectory installs the client, the page opens" $? \
    "status $status, browser: [$opened], AutoRun policy written: $policy"

  # --- an installer that installs nothing ---
  zephgo_no_client
  zephgo_cd cd-bad
  rm -f "$d/opened.txt"
  zephgo_hand=(answer 'INSTALL FAILURE' ok)
  zephgo_case bad 7
  status=$(cat "$d/bad.status") hand=$(cat "$d/bad.hand")
  [ "$status" = 4 ] && [ ! -e "$d/opened.txt" ] &&
    [ "$hand" = "INSTALL FAILURE: Installation failed or was cancelled" ]
  check "zephgo.exe: an installer that installs nothing: INSTALL FAILURE, exit 4" $? \
    "status $status, [$hand]"

  # The display goes; so does the session that used it.
  "$wineserver" -k 2>/dev/null
  "$wineserver" -w 2>/dev/null
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null

  # --- no window can be made (a session without a display) ---
  unset DISPLAY
  zephgo_client
  start=$(date +%s)
  zephgo_wine "$d/bin/zephgo.exe" 42 >"$d/nodisplay.out" 2>&1
  status=$? time=$(($(date +%s) - start))
  [ "$status" = 6 ] && [ "$time" -lt 15 ]
  check "zephgo.exe: no window can be made: it ends at once with exit 6" $? \
    "status $status after ${time}s"
  # The prefix as the checks found it: no CD drive, no client, Wine's browser.
  zephgo_no_client
  "$wine" reg delete 'HKLM\Software\Wine\Drives' /v 'r:' /f >/dev/null 2>&1
  "$wine" reg delete 'HKCU\Software\Wine\WineBrowser' /v Browsers /f >/dev/null 2>&1
  rm -f "$WINEPREFIX/dosdevices/r:"
  "$wineserver" -k 2>/dev/null
  "$wineserver" -w 2>/dev/null
  if [ -n "$saved_display" ]; then export DISPLAY=$saved_display; fi
}
