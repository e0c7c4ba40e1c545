#!/usr/bin/env bash
# End-to-end run of Tesmo on a private X display: a Wine-style prefix whose drive d: holds a
# "vorn" tree, `tesmo /d` confirmed as a person would, the data files checked byte for byte,
# Print Test Page starting Kelvarin, Close ending Tesmo.
#
# Usage: tesmo_e2e.sh <bin dir>     (the folder holding tesmo and kelvarin)
# Screenshots go to $E2E_ARTIFACTS (default /tmp). Exit 0 on pass.
set -uo pipefail

fail() {
  echo "tesmo_e2e: FAIL: $*" >&2
  exit 1
}
note() { echo "tesmo_e2e: $*"; }

[[ $# -eq 1 ]] || fail "usage: tesmo_e2e.sh <bin dir>"
BIN_DIR=$(cd "$1" 2>/dev/null && pwd) || fail "no such bin dir: $1"
[[ -x $BIN_DIR/tesmo ]] || fail "$BIN_DIR/tesmo is missing; build the tesmo target"
ARTIFACTS=${E2E_ARTIFACTS:-/tmp}
mkdir -p "$ARTIFACTS" || fail "cannot create $ARTIFACTS"
for tool in Xvfb xdotool xdpyinfo xwininfo import cmp pgrep; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

SCRIPTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd) || fail "no scripts folder"
# shellcheck source=../../scripts/lib/common.sh
source "$SCRIPTS_DIR/lib/common.sh" || fail "cannot load scripts/lib/common.sh"
# shellcheck source=../../scripts/lib/xvfb.sh
source "$SCRIPTS_DIR/lib/xvfb.sh" || fail "cannot load scripts/lib/xvfb.sh"
# shellcheck source=../../scripts/lib/cups.sh
source "$SCRIPTS_DIR/lib/cups.sh" || fail "cannot load scripts/lib/cups.sh"
# shellcheck source=../../scripts/lib/kelvarin_ui.sh
source "$SCRIPTS_DIR/lib/kelvarin_ui.sh" || fail "cannot load scripts/lib/kelvarin_ui.sh"
kv_load_layouts || fail "cannot read the forms' layouts"
# The status window draws a one-pixel border around its client area.
read -r STATUS_W STATUS_H <<<"$frmMain_client"
STATUS_SIZE="$((STATUS_W + 2))x$((STATUS_H + 2))"

WORK=$(mktemp -d /tmp/tesmo_e2e.XXXXXX)
TESMO_PID=
# Everything this script started, stopped by PID: Tesmo, the Kelvarin it started in our
# folder, the print server, the X server.
cleanup() {
  [[ -n $TESMO_PID ]] && kill "$TESMO_PID" 2>/dev/null && wait "$TESMO_PID" 2>/dev/null
  local pid
  for pid in $(kelvarin_pids_in_cwd); do kill "$pid" 2>/dev/null; done
  cups_stop
  xvfb_stop
  rm -rf "$WORK"
}
trap cleanup EXIT

# Polls `$@` every 0.1 s for up to $TIMEOUT seconds; succeeds as soon as it does.
TIMEOUT=20
poll() {
  local i
  for ((i = 0; i < TIMEOUT * 10; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# Kelvarin processes (not zombies) whose current directory is the one Tesmo was started in.
kelvarin_pids_in_cwd() {
  local pid
  for pid in $(pgrep -x kelvarin 2>/dev/null); do
    [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == "$WORK/cwd" ]] && echo "$pid"
  done
}

# --- A display and a print server of our own ---------------------------------------------------
xvfb_start || fail "cannot start Xvfb"
note "Xvfb on $DISPLAY"
# Kelvarin's "Select Printer" needs an installed default printer.
cups_start || fail "cannot start the private print server"
cups_add_capture_queue tesmo_test || fail "cannot add a printer queue"
cups_set_default tesmo_test || fail "cannot set the default printer"

# --- The installation drive: a Wine prefix whose d: is a folder with a vorn tree ------------
export WINEPREFIX=$WORK/prefix
DRIVE=$WORK/drive_d
mkdir -p "$WINEPREFIX/dosdevices" "$DRIVE/vorn/prog03" "$DRIVE/Vorn.other" "$DRIVE/vorn/QUOTE7/data" \
  "$DRIVE/vorn/p12/a/b/c" "$DRIVE/elsewhere" "$WORK/expected" "$WORK/cwd"
ln -s "$DRIVE" "$WINEPREFIX/dosdevices/d:"

# PROG03.DTA, setting line 1: one line, lone CR terminators elsewhere.
printf 'PORT=1\rname=Vorn 3\rlast' >"$DRIVE/vorn/prog03/PROG03.DTA"
printf 'PORT=4\r\nname=Vorn 3\r\nlast\r\n' >"$WORK/expected/PROG03.DTA"
# PROG07.DTA found as prog07.dta in a sub-folder, setting line 10, quoted.
{
  for i in 1 2 3 4 5 6 7 8 9; do printf 'line %d\r\n' "$i"; done
  printf '"LPT1"\r\nend'
} >"$DRIVE/vorn/QUOTE7/data/prog07.dta"
{
  for i in 1 2 3 4 5 6 7 8 9; do printf 'line %d\r\n' "$i"; done
  printf '"LPT4"\r\nend\r\n'
} >"$WORK/expected/prog07.dta"
# PROG12.DTA four folders down, setting line 13 beyond its end: only terminators change.
printf 'a\r\nb\rc\n' >"$DRIVE/vorn/p12/a/b/c/PROG12.DTA"
printf 'a\r\nb\r\nc\n\r\n' >"$WORK/expected/PROG12.DTA"
# PROG16.DTA is read-only: its patch fails and it stays as it was.
printf '1\r\n2\r\n3\r\n' >"$DRIVE/vorn/PROG16.DTA"
chmod 0444 "$DRIVE/vorn/PROG16.DTA"
cp "$DRIVE/vorn/PROG16.DTA" "$WORK/expected/PROG16.DTA"
# Outside the vorn tree: never found, never touched.
printf 'PORT=1\r\n' >"$DRIVE/elsewhere/PROG01.DTA"
printf 'PORT=1\r\n' >"$DRIVE/Vorn.other/PROG02.DTA"
cp "$DRIVE/elsewhere/PROG01.DTA" "$WORK/expected/PROG01.DTA"
cp "$DRIVE/Vorn.other/PROG02.DTA" "$WORK/expected/PROG02.DTA"

export QT_QPA_PLATFORM=xcb

# --- tesmo /d ----------------------------------------------------------------------------------
cd "$WORK/cwd" || fail "cannot enter $WORK/cwd"
"$BIN_DIR/tesmo" /d >"$WORK/tesmo.out" 2>&1 &
TESMO_PID=$!
cd / || true

# Visible windows of a process, one id a line.
visible_windows() { xdotool search --onlyvisible --pid "$1" 2>/dev/null; }
# The visible window of tesmo with the status window's size.
status_window() {
  local id
  for id in $(visible_windows "$TESMO_PID"); do
    if xdotool getwindowgeometry "$id" 2>/dev/null | grep -q "Geometry: $STATUS_SIZE"; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

BOX=$(xvfb_wait_window Tesmo 20 "$TESMO_PID") ||
  fail "the confirmation message box did not appear ($(cat "$WORK/tesmo.out"))"
xvfb_screenshot "$BOX" "$ARTIFACTS/tesmo_confirm.png" || note "no screenshot of the box"
# Nothing is patched before the user has answered.
cmp -s "$DRIVE/vorn/prog03/PROG03.DTA" <(printf 'PORT=1\rname=Vorn 3\rlast') ||
  fail "PROG03.DTA changed before the confirmation was answered"
# Answer OK as a person would: focus the box and press Return (OK is its default button).
xvfb_focus "$BOX"
xvfb_key Return

find_status() { STATUS_ID=$(status_window); }
poll find_status || fail "the status window did not appear ($(cat "$WORK/tesmo.out"))"
note "status window $STATUS_ID"

# --- The data files on disk ---------------------------------------------------------------------
patched() {
  cmp -s "$DRIVE/vorn/prog03/PROG03.DTA" "$WORK/expected/PROG03.DTA" &&
    cmp -s "$DRIVE/vorn/QUOTE7/data/prog07.dta" "$WORK/expected/prog07.dta" &&
    cmp -s "$DRIVE/vorn/p12/a/b/c/PROG12.DTA" "$WORK/expected/PROG12.DTA"
}
if ! poll patched; then
  for f in vorn/prog03/PROG03.DTA vorn/QUOTE7/data/prog07.dta vorn/p12/a/b/c/PROG12.DTA; do
    echo "--- $f:" >&2
    od -c "$DRIVE/$f" >&2
  done
  fail "the data files were not patched as expected"
fi
cmp -s "$DRIVE/vorn/PROG16.DTA" "$WORK/expected/PROG16.DTA" || fail "read-only PROG16.DTA changed"
cmp -s "$DRIVE/elsewhere/PROG01.DTA" "$WORK/expected/PROG01.DTA" || fail "PROG01.DTA outside vorn changed"
cmp -s "$DRIVE/Vorn.other/PROG02.DTA" "$WORK/expected/PROG02.DTA" || fail "PROG02.DTA outside vorn changed"
[[ $(stat -c %a "$DRIVE/vorn/PROG16.DTA") == 444 ]] || fail "PROG16.DTA lost its permissions"
leftovers=$(find "$DRIVE" -name '*.DTA.*' -o -name '*.dta.*')
[[ -z $leftovers ]] || fail "temporary files left beside the data files: $leftovers"
note "data files patched byte for byte"

# The run is over once the files are written; give the window a moment to paint its end state.
sleep 1
import -window "$STATUS_ID" "$ARTIFACTS/tesmo_configured.png" ||
  fail "cannot take a screenshot of the status window"
note "screenshot $ARTIFACTS/tesmo_configured.png"

# --- Print Test Page ---------------------------------------------------------------------------
# Clicks the centre of a control of the status window, inside its one-pixel border.
click_in_status_window() {
  local left top width height
  read -r left top width height < <(kv_rect frmMain "$1")
  xvfb_click "$STATUS_ID" $((1 + left + width / 2)) $((1 + top + height / 2))
}

if [[ -x $BIN_DIR/kelvarin ]]; then
  click_in_status_window cmdPrint
  has_kelvarin() { [[ -n $(kelvarin_pids_in_cwd) ]]; }
  poll has_kelvarin || fail "Print Test Page started no kelvarin in $WORK/cwd"
  note "kelvarin started in the current directory: pid $(kelvarin_pids_in_cwd | tr '\n' ' ')"
  SELECT=$(xvfb_wait_window "Select Printer" 30) ||
    fail "kelvarin's \"Select Printer\" window did not appear"
  xvfb_screenshot "$SELECT" "$ARTIFACTS/tesmo_select_printer.png" || true
  note "\"Select Printer\" window $SELECT appeared"
  kill -0 "$TESMO_PID" 2>/dev/null || fail "Tesmo ended after Print Test Page"
  # The test print itself is Kelvarin's business: end the one we made, by its PID.
  for pid in $(kelvarin_pids_in_cwd); do kill "$pid"; done
  xvfb_wait_wid_gone "$SELECT" 10 || fail "kelvarin did not end"
else
  fail "$BIN_DIR/kelvarin is missing: build the kelvarin target before this test"
fi

# --- Close -------------------------------------------------------------------------------------
xdotool windowraise "$STATUS_ID"
click_in_status_window cmdClose
tesmo_ended() { ! kill -0 "$TESMO_PID" 2>/dev/null; }
poll tesmo_ended || fail "Close did not end Tesmo"
wait "$TESMO_PID"
status=$?
TESMO_PID=
[[ $status -eq 0 ]] || fail "Tesmo ended with status $status ($(cat "$WORK/tesmo.out"))"
note "Close ended Tesmo"

# --- Print Test Page with no Kelvarin beside Tesmo: the run-time error report ends Tesmo -----
# A kelvarin planted in the current folder is never started. As root, Tesmo runs where /proc
# is missing (a mount namespace of its own), started by a path relative to its current folder.
mkdir -p "$WORK/lonely"
cp "$BIN_DIR/tesmo" "$WORK/lonely/tesmo"
printf '#!/bin/sh\ntouch "%s"\n' "$WORK/planted_kelvarin_ran" >"$WORK/cwd/kelvarin"
chmod +x "$WORK/cwd/kelvarin"
launch=(../lonely/tesmo /d)
if vorn_can_run_without_proc "$WORK/lonely/tesmo"; then
  launch=(unshare --mount --propagation private
    sh -c 'mount -t tmpfs -o size=4k none /proc && exec "$0" /d' ../lonely/tesmo)
  note "the next run has no /proc"
fi
cd "$WORK/cwd" || fail "cannot enter $WORK/cwd"
"${launch[@]}" >"$WORK/lonely.out" 2>&1 &
TESMO_PID=$!
cd / || true
BOX=$(xvfb_wait_window Tesmo 20 "$TESMO_PID") || fail "the second run's confirmation box did not appear"
xvfb_focus "$BOX"
xvfb_key Return
poll find_status || fail "the second run's status window did not appear"
poll patched || fail "the second run changed the patched files"
sleep 1
click_in_status_window cmdPrint
REPORT=$(xvfb_wait_window Tesmo 20 "$TESMO_PID") || fail "no run-time error report for a missing kelvarin"
xvfb_screenshot "$REPORT" "$ARTIFACTS/tesmo_no_kelvarin.png" || true
xvfb_focus "$REPORT"
xvfb_key Return
poll tesmo_ended || fail "the run-time error report did not end Tesmo"
wait "$TESMO_PID"
status=$?
TESMO_PID=
((status != 0)) || fail "Tesmo ended with status 0 after failing to start kelvarin"
grep -q "^Run-time error '53':" "$WORK/lonely.out" && grep -qF "$WORK/lonely/kelvarin" "$WORK/lonely.out" ||
  fail "no run-time error for lonely/kelvarin on stderr: $(cat "$WORK/lonely.out")"
[[ ! -e $WORK/planted_kelvarin_ran ]] || fail "Tesmo started the kelvarin of its current folder"
note "without kelvarin: the run-time error report, exit status $status"
echo "tesmo_e2e: PASS"
