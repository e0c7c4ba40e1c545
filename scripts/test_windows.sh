#!/usr/bin/env bash
# Cross-builds the Qt-free libraries, the Windows platform files and their tests with
# MinGW-w64 and runs every test under Wine through CTest. Qt for Windows is not available
# here: the windows and the Qt printer service are built on Windows itself (see README).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/lib/cups.sh"

vorn_ensure_packages g++-mingw-w64-x86-64-posix wine wine64 libcups2 cmake ninja-build \
  googletest procps cups-daemon cups-client

# A private, quiet, non-interactive Wine; console programs need no display.
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/vorn-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
# Wine keeps file names that are not ASCII in the Unix locale's character set: a UTF-8 one
# lets the tests make folders such as "Größe 日本" whatever locale the caller has.
export LANG=C.UTF-8
unset LC_ALL LC_CTYPE
unset DISPLAY
# Wine stops before the print server: a printer call to a vanished server stalls.
stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  cups_stop
}
trap stop_all EXIT

# A private print server whose queue the Windows printer lookup must list, as Wine shows
# CUPS queues: port "CUPS:<queue>".
vorn_clear_printer_env
cups_start
cups_add_capture_queue vorn-probe
cups_set_default vorn-probe
export VORN_EXPECT_PRINTER=vorn-probe VORN_EXPECT_DEFAULT=vorn-probe VORN_EXPECT_PORT=CUPS:vorn-probe

# Wine's background services inherit the output pipe of the first program started; start
# them with their output elsewhere so that CTest does not wait on them after every test.
vorn_log "preparing a Wine prefix in $WINEPREFIX"
(wineboot -i && wineserver -w) >/dev/null 2>&1
wineserver -p >/dev/null 2>&1
wine cmd /c exit >/dev/null 2>&1

vorn_build windows-cross
cd "$VORN_REPO_ROOT"
ctest --preset windows-cross
