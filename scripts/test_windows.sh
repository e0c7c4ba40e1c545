#!/usr/bin/env bash
# The Windows job: cross-builds Kelvarin.exe, Tesmo.exe, the Qt-free libraries and their tests
# with MinGW-w64 and runs every test under Wine through CTest: the unit tests, the GDI printer
# service against a private print server, and the end-to-end scenarios of both programs on a
# virtual screen, driven with xdotool.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
source "$(dirname "${BASH_SOURCE[0]}")/lib/cups.sh"
source "$(dirname "${BASH_SOURCE[0]}")/lib/xvfb.sh"

vorn_ensure_packages g++-mingw-w64-x86-64-posix wine wine64 libcups2 cmake \
  ninja-build googletest procps cups-daemon cups-client xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick \
  ghostscript poppler-utils fonts-liberation nsis

# A private, quiet, non-interactive Wine on a virtual screen of its own.
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
  xvfb_stop
}
trap stop_all EXIT

# A private print server whose queue the Windows printer lookup must list, as Wine shows
# CUPS queues: port "CUPS:<queue>".
vorn_clear_printer_env
cups_start
cups_add_capture_queue vorn-probe
cups_set_default vorn-probe
export VORN_EXPECT_PRINTER=vorn-probe VORN_EXPECT_DEFAULT=vorn-probe VORN_EXPECT_PORT=CUPS:vorn-probe
# The print tests and the end-to-end tests add their own capture queues and read them here.
export CUPS_CAPTURE_DIR CUPS_CAPTURE_INDEX

# The screen the programs' windows appear on; Wine opens it when the prefix is made.
xvfb_start || vorn_die "Xvfb did not start"

# Wine's background services inherit the output pipe of the first program started; start
# them with their output elsewhere so that CTest does not wait on them after every test.
vorn_log "preparing a Wine prefix in $WINEPREFIX"
(wineboot -i && wineserver -w) >/dev/null 2>&1
wineserver -p >/dev/null 2>&1
wine cmd /c exit >/dev/null 2>&1
# With no window manager Wine draws the title bars itself, as Windows does. The fonts a
# Windows machine has are given their metric twins, as fontconfig does on Linux.
{
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Courier New" /t REG_SZ /d "Liberation Mono" /f
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Arial" /t REG_SZ /d "Liberation Sans" /f
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Times New Roman" /t REG_SZ /d "Liberation Serif" /f
} >/dev/null 2>&1 || vorn_die "the Wine prefix could not be set up"

vorn_build windows-cross
cd "$VORN_REPO_ROOT"
# A whole run gives each test a second try: once in a few runs a Tesmo.exe started under Wine
# shows no window at all for 80 s (its confirmation never appears; not yet understood, see
# docs/windows.md). A failure that repeats still fails the run. Arguments replace this.
(($# > 0)) || set -- --repeat until-pass:2
ctest --preset windows-cross "$@"
