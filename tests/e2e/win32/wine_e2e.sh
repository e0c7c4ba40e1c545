#!/usr/bin/env bash
# Kelvarin.exe and Tesmo.exe end to end under Wine: the real programs on the Windows job's
# virtual screen, printing to its private print server, answered with the mouse and keyboard
# through xdotool. What the windows show is read by window_texts.exe in the same Wine.
#
#   bash wine_e2e.sh <bin dir> <window_texts.exe> <scripts dir> <scenario>
#
# Runs inside scripts/test_windows.sh, which provides DISPLAY (Xvfb, Wine drawing its own
# title bars), WINEPREFIX and the print server; exit 77 (skipped) without them. Screenshots
# go to $E2E_ARTIFACTS.
set -uo pipefail

if (($# != 4)); then
  echo "usage: $0 <bin dir> <window_texts.exe> <scripts dir> <scenario>" >&2
  exit 2
fi
BIN_DIR=$(cd "$1" && pwd) || exit 2
WT_EXE=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
E2E_SCRIPTS_DIR=$(cd "$3" && pwd) || exit 2
SCENARIO=$4
E2E_NAME="wine e2e $SCENARIO"
if [[ -z ${WINEPREFIX:-} || -z ${DISPLAY:-} || -z ${CUPS_SERVER:-} || -z ${CUPS_CAPTURE_INDEX:-} ]]
then
  echo "skipped: run inside scripts/test_windows.sh" >&2
  exit 77
fi
SAVED_TMPDIR=${TMPDIR:-/tmp}
source "$(dirname "${BASH_SOURCE[0]}")/../e2e_lib.sh"

PHONE=${VORN_SUPPORT_PHONE:-(555) 010-0000}
MSG_PRINT_FILE="There is a problem opening the Print File.  Please contact Orvalle at $PHONE."
MSG_INVALID="Some of your choices were omitted or are invalid.  Please correct or cancel."
MSG_TESMO_LATER="To use this auto configuration utility later, you must reinstall the Print Utility."
MSG_CONFIRM='This utility will now automatically configure your Vorn programs.\n\nAll Vorn programs should be closed prior to clicking the "OK" button. If you wish to manually configure each Vorn program installed, click cancel.'

# Control ids: 100 + the control's place in its form's layout table.
ID_SELECTED=100 ID_PRINTER=103 ID_WHERE=105 ID_COPIES=107 ID_TYPE=109 ID_FONT=111
ID_NEW_FONT=112 ID_OK=114 ID_CANCEL=115
ID_FONT_SELECTED=100 ID_FONT_NAME=103 ID_FONT_OK=105
ID_TITLE=100 ID_STATUS_LIST=101 ID_CLOSE=102 ID_STATUS=103 ID_PRINT=104
ID_BOX_TEXT=65535 ID_BOX_OK=1 ID_BOX_CANCEL=2

# The print server, the screen and the Wine prefix belong to the Windows job: only this test's
# programs and folder go when it ends.
e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill -TERM "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
    fi
  done
  rm -f "$WINEPREFIX/dosdevices/v:"
  # The screen's key repeat and the prefix's display scaling as they were, for the tests that
  # follow.
  [[ -n ${KEY_RATE_CHANGED:-} ]] && xset r rate
  if [[ -n ${DPI_CHANGED:-} ]]; then
    if [[ -n $DPI_BEFORE ]]; then
      wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$((DPI_BEFORE))" /f >/dev/null 2>&1
    else
      wine reg delete "$DPI_KEY" /v LogPixels /f >/dev/null 2>&1
    fi
  fi
  if [[ -n $E2E_TMP ]]; then
    if ((E2E_FAILURES == 0)); then
      rm -rf -- "$E2E_TMP"
    else
      echo "kept for inspection: $E2E_TMP" >&2
    fi
  fi
}

we_setup() {
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
  E2E_ARTIFACTS=${E2E_ARTIFACTS:-$(mktemp -d "$SAVED_TMPDIR/vorn-wine-e2e-artifacts.XXXXXX")}
  mkdir -p "$E2E_ARTIFACTS"
  E2E_TMP=$(mktemp -d "$SAVED_TMPDIR/vorn-wine-e2e.XXXXXX") || e2e_abort "mktemp failed"
  SUFFIX=$$
}

# Prints what window_texts sees for its arguments (a title, or --child TEXT); fails when no
# such window is shown.
we_texts() {
  local out=$E2E_TMP/texts.out rc
  wine "$WT_EXE" "$@" >"$out" 2>/dev/null
  rc=$?
  tr -d '\r' <"$out"
  return $rc
}

# Runs COMMAND every INTERVAL seconds until it succeeds; fails when SECONDS pass first.
we_until() {
  local deadline=$((SECONDS + $1)) interval=$2; shift 2
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep "$interval"
  done
}

# Reads the window's texts into WE_OUT; fails when it is not shown.
we_read() { WE_OUT=$(we_texts "$@"); }

# True when no such window is shown.
we_absent() { ! we_texts "$@" >/dev/null; }

# Waits up to SECONDS until the window is shown; its texts land in WE_OUT.
we_wait() { we_until "$1" 0.2 we_read "${@:2}"; }

# Waits up to SECONDS until no such window is shown.
we_wait_gone() { we_until "$1" 0.2 we_absent "${@:2}"; }

# From WE_OUT: the text of control ID; one of its attributes; its centre "X Y"; its items.
we_text() { sed -n "s/^control $1 [^ ]* .* text=\"\(.*\)\"\$/\1/p" <<<"$WE_OUT" | head -n 1; }
we_attr() { sed -n "s/^control $1 .* $2=\([^ ]*\) .*/\1/p" <<<"$WE_OUT" | head -n 1; }
we_centre() { sed -n "s/^control $1 .* centre=\([0-9-]*\),\([0-9-]*\) .*/\1 \2/p" <<<"$WE_OUT" | head -n 1; }
we_items() { sed -n "s/^item $1 [0-9]* \"\(.*\)\"\$/\1/p" <<<"$WE_OUT"; }
we_selected() { sed -n "s/^selected $1 //p" <<<"$WE_OUT"; }

# Clicks control ID of the window (read afresh).
we_click() {
  local id=$1; shift
  WE_OUT=$(we_texts "$@") || return 1
  local x y
  read -r x y < <(we_centre "$id")
  [[ -n ${x:-} ]] || return 1
  xdotool mousemove --sync "$x" "$y" click 1
}

# Gives the X window titled TITLE the keyboard focus and waits until it holds it.
we_focus_window() {
  local xid deadline=$((SECONDS + 10))
  xid=$(xvfb_find_windows "$1" | tail -n 1)
  [[ -n $xid ]] || return 1
  until [[ $(xdotool getwindowfocus 2>/dev/null) == "$xid" ]]; do
    ((SECONDS < deadline)) || return 1
    xdotool windowfocus "$xid" 2>/dev/null
    sleep 0.2
  done
}

# Whether control ID of the window (a title, or --child TEXT; read afresh) is ATTR (focus,
# enabled, visible) as the program reports.
we_is() { we_read "${@:3}" && [[ $(we_attr "$1" "$2") == 1 ]]; }

# Waits until control ID of the window holds the focus.
we_wait_focus() { we_until 10 0.2 we_is "$1" focus "${@:2}"; }

# Puts the focus in control ID of the window titled TITLE and waits until the program reports
# it there.
we_focus_control() {
  we_focus_window "$1" && we_click "$2" "$1" && we_wait_focus "$2" "$1"
}

# The client area of the window titled TITLE (read afresh into WE_OUT): "X Y W H".
we_client() {
  WE_OUT=$(we_texts "$1") || return 1
  sed -n 's/^window .* client=\([0-9-]*\),\([0-9-]*\) size=\([0-9]*\)x\([0-9]*\) .*/\1 \2 \3 \4/p' \
    <<<"$WE_OUT" | head -n 1
}

# Clicks the title bar of the window titled TITLE, as a person switching back to it does.
we_click_title() {
  local x y
  read -r x y _ < <(we_client "$1")
  [[ -n ${y:-} ]] || return 1
  xdotool mousemove --sync $((x + 120)) $((y - 8)) click 1
}

# Replaces the text of control ID in window TITLE with TEXT, as typed.
we_type() {
  we_focus_control "$1" "$2" || return 1
  xdotool key --delay 60 End shift+Home BackSpace
  xdotool type --delay 40 -- "$3"
  sleep 0.3
}

# Clicks button ID of the window and confirms that the window went away.
we_press_and_gone() {
  local id=$1; shift
  we_click "$id" "$@" && we_wait_gone 20 "$@"
}

# Answers the message box titled TITLE: checks its text, saves a picture, clicks BUTTON.
we_answer_box() {
  local title=$1 expected=$2 button=$3 shot=$4
  if ! we_wait 20 "$title"; then
    echo "FAIL - a message box \"$title\" appears"
    E2E_FAILURES=$((E2E_FAILURES + 1))
    return 1
  fi
  e2e_check_equal "the message box says: ${expected:0:50}..." "$expected" "$(we_text $ID_BOX_TEXT)"
  e2e_shot "$(xvfb_find_windows "$title" | tail -n 1)" "$shot"
  e2e_check "the message box closes on $([[ $button == 1 ]] && echo OK || echo Cancel)" \
    we_press_and_gone "$button" "$title"
}

# Copies the programs into a new application folder (the action log lands there).
we_app_dir() {
  local app
  app=$(mktemp -d "$E2E_TMP/app.XXXXXX") || return 1
  cp "$BIN_DIR/Kelvarin.exe" "$BIN_DIR/Tesmo.exe" "$app/" || return 1
  printf '%s\n' "$app"
}

# Starts PROGRAM (with ARGS) in folder WORK under Wine; sets PID.
we_start() {
  local work=$1 program=$2; shift 2
  (cd "$work" && exec wine "$program" "$@") >>"$work.out" 2>&1 &
  PID=$!
  E2E_PIDS+=("$PID")
}

write_two_page_file() {
  printf '%s\r\n' "QUOTE PAGE ONE FIRST LINE" "" "Premium total      1,234.56" \
    $'QUOTE PAGE ONE LAST LINE\f' "QUOTE PAGE TWO FIRST LINE" \
    $'QUOTE PAGE TWO LAST LINE\f' "NEVER PRINTED LAST LINE" >"$1"
}

expected_settings() { printf '%s\n' "" "$1" "" N N "$2" "$3" 0 --- '***'; }

# The text of PAGE of the captured PostScript job FILE, hyphens as typed.
job_page_text() {
  local pdf=$E2E_TMP/page.pdf
  ps2pdf "$1" "$pdf" 2>/dev/null
  pdftotext -layout -f "$2" -l "$2" "$pdf" - 2>/dev/null | sed -e 's/\xc2\xad/-/g' \
    -e 's/[[:space:]]*$//' -e '/^$/d'
}
job_pages() {
  local pdf=$E2E_TMP/pages.pdf
  ps2pdf "$1" "$pdf" 2>/dev/null
  pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }'
}
job_fonts() {
  local pdf=$E2E_TMP/fonts.pdf
  ps2pdf "$1" "$pdf" 2>/dev/null
  pdffonts "$pdf" 2>/dev/null
}

check_two_page_job() {
  local file=$1 label=$2
  e2e_check_equal "$label has two pages" 2 "$(job_pages "$file")"
  e2e_check_equal "$label page 1 text" \
    "$(printf '%s\n' "QUOTE PAGE ONE FIRST LINE" "Premium total      1,234.56" \
      "QUOTE PAGE ONE LAST LINE")" "$(job_page_text "$file" 1)"
  e2e_check_equal "$label page 2 text" \
    "$(printf '%s\n' "QUOTE PAGE TWO FIRST LINE" "QUOTE PAGE TWO LAST LINE")" \
    "$(job_page_text "$file" 2)"
}

# A capture queue named $queue, an application folder with both programs and a work folder
# holding the two-page quote and a Printer.inp that names the queue, with line 4 FLAG (N) and
# line 8 NUMBER (0); the work folder is named after FOLDER (work). Sets the caller's app and
# work.
prepare_run() {
  local flag=${1:-N} number=${2:-0} folder=${3:-work}
  cups_add_capture_queue "$queue" >/dev/null || e2e_abort "no queue"
  app=$(we_app_dir) || e2e_abort "no app folder"
  work=$(e2e_temp_dir "$folder")
  printf '%s\r\n' "" "$queue" "" "$flag" N "Courier New" 1 "$number" --- '***' >"$work/Printer.inp"
  write_two_page_file "$work/VORN.PRN"
}

# Starts Kelvarin.exe in WORK and checks both its windows as loaded; DLG_OUT keeps the dialog.
start_kelvarin() {
  local app=$1 work=$2 printer=$3 shot=$4
  we_start "$work" "$app/Kelvarin.exe"
  we_wait 60 "Select Printer" || e2e_abort "no \"Select Printer\" window"
  DLG_OUT=$WE_OUT
  e2e_check_equal "the status line names the printer" \
    "The VORN Quote Printer currently assigned = $printer" "$(we_text $ID_SELECTED)"
  e2e_check_equal "the focus is in the printer list" 1 "$(we_attr $ID_PRINTER focus)"
  e2e_shot "$(xvfb_find_windows "Select Printer" | tail -n 1)" "$shot-select-printer"
  if we_wait 10 "Printing Quote"; then
    e2e_check_equal "the progress window's text" "Printing VORN Quote.  Please wait....." \
      "$(we_text 100)"
  else
    echo "FAIL - the progress window \"Printing Quote\" is shown"
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
  WE_OUT=$DLG_OUT
}

# OK: the remembered printer is shown with its port, driver, font and copies; OK prints it.
scenario_ok() {
  local queue=we-ok-$SUFFIX app work
  prepare_run
  start_kelvarin "$app" "$work" "$queue" ok
  e2e_check_equal "the printer list shows it" "$queue" "$(we_text $ID_PRINTER)"
  e2e_check_equal "its port" "CUPS:$queue" "$(we_text $ID_WHERE)"
  e2e_check_equal "the font" "Courier New" "$(we_text $ID_FONT)"
  e2e_check_equal "the copies" 1 "$(we_text $ID_COPIES)"
  e2e_check "the list holds the queue" grep -qx "$queue" <(we_items $ID_PRINTER)
  e2e_check "\"Select Printer\" closes on OK" we_press_and_gone $ID_OK "Select Printer"
  e2e_check "kelvarin ends" e2e_wait_exit "$PID" 60
  e2e_check_equal "exit status" 0 "$KV_STATUS"
  e2e_check "the progress window is gone" we_wait_gone 10 "Printing Quote"
  cups_wait_captured 1 60 "$queue"
  e2e_check_equal "one job" 1 "$(cups_captured_count "$queue")"
  check_two_page_job "$(cups_captured_files "$queue" | head -n 1)" "the job"
  e2e_check "printed in Courier New's metric twin" grep -q LiberationMono \
    <(job_fonts "$(cups_captured_files "$queue" | head -n 1)")
  e2e_check_equal "the action log" "$(e2e_expected_log 1)" "$(e2e_log_messages "$app/actionlog.txt")"
  e2e_check "the print file is deleted" test ! -e "$work/VORN.PRN"
}

# Cancel: nothing printed, Printer.inp rewritten, the print file kept.
scenario_cancel() {
  local queue=we-cancel-$SUFFIX app work
  prepare_run y 0.50
  cp "$work/VORN.PRN" "$work.original"
  start_kelvarin "$app" "$work" "$queue" cancel
  e2e_check "\"Select Printer\" closes on Cancel" we_press_and_gone $ID_CANCEL "Select Printer"
  e2e_check "kelvarin ends" e2e_wait_exit "$PID" 30
  e2e_check_equal "exit status" 0 "$KV_STATUS"
  sleep 1
  e2e_check_equal "nothing printed" 0 "$(cups_captured_count "$queue")"
  e2e_check_equal "Printer.inp rewritten" \
    "$(printf '%s\n' "" "$queue" "" Y N "Courier New" 1 0.5 --- '***')" "$(e2e_lines "$work/Printer.inp")"
  e2e_check "the print file is kept unchanged" cmp -s "$work.original" "$work/VORN.PRN"
  e2e_check "no log entry" test ! -s "$app/actionlog.txt"
}

# Copies "abc" and OK: the message, the dialog stays open; Enter in the copies box presses
# nothing; then Cancel.
scenario_invalid_copies() {
  local queue=we-invalid-$SUFFIX app work
  prepare_run
  start_kelvarin "$app" "$work" "$queue" invalid
  e2e_check "typed into the copies box" we_type "Select Printer" $ID_COPIES abc
  xdotool key Return Escape
  sleep 1
  e2e_check "Enter and Escape in a text box press no button" we_wait 5 "Select Printer"
  e2e_check "no message box after Enter" we_absent Kelvarin
  we_click $ID_OK "Select Printer" || e2e_abort "OK not found"
  we_answer_box Kelvarin "$MSG_INVALID" $ID_BOX_OK invalid-message
  e2e_check "the dialog is still open" we_wait 5 "Select Printer"
  e2e_check_equal "the copies box still says abc" abc "$(we_text $ID_COPIES)"
  # The dialog has the activation back, and OK the focus: Return presses it again.
  e2e_check "OK has the focus again" we_wait_focus $ID_OK "Select Printer"
  xdotool key Return
  we_answer_box Kelvarin "$MSG_INVALID" $ID_BOX_OK invalid-message-again
  e2e_check "kelvarin is still running" kill -0 "$PID"
  e2e_check "\"Select Printer\" closes on Cancel" we_press_and_gone $ID_CANCEL "Select Printer"
  e2e_check "kelvarin ends" e2e_wait_exit "$PID" 30
  sleep 1
  e2e_check_equal "nothing printed" 0 "$(cups_captured_count "$queue")"
  e2e_check "the print file is kept" test -e "$work/VORN.PRN"
  e2e_check_equal "Printer.inp holds copies 0" "$(expected_settings "$queue" "Courier New" 0)" \
    "$(e2e_lines "$work/Printer.inp")"
}

# A queue that refuses jobs: OK, the job fails when the document ends, the message box of the
# print job appears over the progress window; error 482 is logged and the print file kept.
scenario_rejected() {
  local queue=we-rejected-$SUFFIX app work
  prepare_run
  cp "$work/VORN.PRN" "$work.original"
  cups_reject "$queue"
  start_kelvarin "$app" "$work" "$queue" rejected
  e2e_check "\"Select Printer\" closes on OK" we_press_and_gone $ID_OK "Select Printer"
  we_answer_box Kelvarin "$MSG_PRINT_FILE" $ID_BOX_OK rejected-message
  e2e_check "kelvarin ends" e2e_wait_exit "$PID" 60
  e2e_check_equal "exit status" 0 "$KV_STATUS"
  e2e_check "the progress window is gone" we_wait_gone 10 "Printing Quote"
  e2e_check "the print file is kept unchanged" cmp -s "$work.original" "$work/VORN.PRN"
  sleep 1
  e2e_check_equal "nothing printed" 0 "$(cups_captured_count "$queue")"
  e2e_check_equal "the log up to the failure" \
    "$(printf '%s\n' "STARTING PRINTER OUTPUT" "PRINTER FOUND" "STARTING PRINTOUT COPY 1" \
      "PRINT FILE OPENED" "ABOUT TO CLOSE PRINT FILE" "PRINT FILE CLOSED" \
      "SENDING OUTPUT TO PRINTER")" "$(e2e_log_messages "$app/actionlog.txt" | head -n -1)"
  e2e_check "the log ends with error 482" grep -q \
    "^ERROR IN OutputPrinter ROUTINE: Error Number: 482 Error Desc: ." \
    <(e2e_log_messages "$app/actionlog.txt" | tail -n 1)
  e2e_check_equal "Printer.inp saved" "$(expected_settings "$queue" "Courier New" 1)" \
    "$(e2e_lines "$work/Printer.inp")"
}

# The printer list comes from a worker thread with a deadline: the window still appears at
# every start. Each run is ended once its window is there; the print file stays for the next.
scenario_many_starts() {
  local queue=we-starts-$SUFFIX app work i shown=0 starts=${WE_STARTS:-10} began
  prepare_run
  for ((i = 1; i <= starts; i++)); do
    began=$SECONDS
    we_start "$work" "$app/Kelvarin.exe"
    if we_wait 60 "Select Printer"; then
      shown=$((shown + 1))
      echo "#    start $i: \"Select Printer\" after $((SECONDS - began)) s"
    else
      echo "#    start $i: no \"Select Printer\" within 60 s"
    fi
    kill "$PID" 2>/dev/null
    wait "$PID" 2>/dev/null
    # The next start counts only a window of its own.
    we_wait_gone 20 "Select Printer" || e2e_abort "a killed run's window stays"
  done
  e2e_check_equal "\"Select Printer\" appeared at every start" "$starts" "$shown"
  e2e_check "the print file kept" test -e "$work/VORN.PRN"
}

# The second printer picked from the list with the keyboard, two copies typed, OK.
scenario_pick_printer() {
  local first=we-pick-1-$SUFFIX second=we-pick-2-$SUFFIX app work i
  cups_add_capture_queue "$first" >/dev/null && cups_add_capture_queue "$second" >/dev/null ||
    e2e_abort "no queues"
  app=$(we_app_dir) || e2e_abort "no app folder"
  work=$(e2e_temp_dir work)
  printf '%s\r\n' "" "$first" "" N N "Courier New" 1 0 --- '***' >"$work/Printer.inp"
  write_two_page_file "$work/VORN.PRN"
  start_kelvarin "$app" "$work" "$first" pick
  we_focus_control "Select Printer" $ID_PRINTER || e2e_abort "no focus in the printer list"
  # Down picks the next entry of the list, as a pick with the mouse does.
  for ((i = 0; i < 20; i++)); do
    [[ $(we_text $ID_PRINTER) == "$second" ]] && break
    xdotool key Down
    sleep 0.3
    WE_OUT=$(we_texts "Select Printer")
  done
  e2e_check_equal "the second printer is picked" "$second" "$(we_text $ID_PRINTER)"
  e2e_check_equal "its port" "CUPS:$second" "$(we_text $ID_WHERE)"
  e2e_check_equal "the status line follows the pick" \
    "The VORN Quote Printer currently assigned = $second" "$(we_text $ID_SELECTED)"
  e2e_check "two copies typed" we_type "Select Printer" $ID_COPIES 2
  e2e_shot "$(xvfb_find_windows "Select Printer" | tail -n 1)" pick-after-choice
  e2e_check "\"Select Printer\" closes on OK" we_press_and_gone $ID_OK "Select Printer"
  e2e_check "kelvarin ends" e2e_wait_exit "$PID" 60
  cups_wait_captured 2 60 "$second"
  sleep 1
  e2e_check_equal "two jobs on the picked queue" 2 "$(cups_captured_count "$second")"
  e2e_check_equal "no job on the first queue" 0 "$(cups_captured_count "$first")"
  local n=0 file
  while IFS= read -r file; do
    n=$((n + 1))
    check_two_page_job "$file" "copy $n"
  done < <(cups_captured_files "$second")
  e2e_check_equal "Printer.inp holds the choice" "$(expected_settings "$second" "Courier New" 2)" \
    "$(e2e_lines "$work/Printer.inp")"
  e2e_check "the print file is deleted" test ! -e "$work/VORN.PRN"
}

# New Font: the font dialog lists the printer's fonts; a face typed there comes back in
# "Select Printer" and reaches the job.
scenario_new_font() {
  local queue=we-font-$SUFFIX app work family="Liberation Serif"
  prepare_run
  start_kelvarin "$app" "$work" "$queue" font
  e2e_check "\"Select Printer\" closes on New Font" we_press_and_gone $ID_NEW_FONT "Select Printer"
  we_wait 30 "Select a Printer Font" || e2e_abort "no \"Select a Printer Font\" window"
  e2e_check_equal "the font status line" "The Printer Font currently assigned = Courier New" \
    "$(we_text $ID_FONT_SELECTED)"
  e2e_check_equal "the font box" "Courier New" "$(we_text $ID_FONT_NAME)"
  e2e_check "the none marker is listed" grep -qx -- "- None Assigned-" <(we_items $ID_FONT_NAME)
  e2e_check "the printer's fonts are listed" grep -qx "Liberation Mono" <(we_items $ID_FONT_NAME)
  e2e_check_equal "the list is sorted, letter case ignored" \
    "$(we_items $ID_FONT_NAME | LC_ALL=C sort -f)" "$(we_items $ID_FONT_NAME)"
  e2e_shot "$(xvfb_find_windows "Select a Printer Font" | tail -n 1)" font-select-font
  e2e_check "a face typed" we_type "Select a Printer Font" $ID_FONT_NAME "$family"
  e2e_check "the font dialog closes on OK" we_press_and_gone $ID_FONT_OK "Select a Printer Font"
  we_wait 30 "Select Printer" || e2e_abort "\"Select Printer\" not shown again"
  e2e_check_equal "the font box shows the new face" "$family" "$(we_text $ID_FONT)"
  e2e_check "\"Select Printer\" closes on OK" we_press_and_gone $ID_OK "Select Printer"
  e2e_check "kelvarin ends" e2e_wait_exit "$PID" 60
  cups_wait_captured 1 60 "$queue"
  e2e_check "the job is in $family" grep -q LiberationSerif \
    <(job_fonts "$(cups_captured_files "$queue" | head -n 1)")
  e2e_check_equal "Printer.inp holds the face" "$(expected_settings "$queue" "$family" 1)" \
    "$(e2e_lines "$work/Printer.inp")"
}

# A drive V: in the Wine prefix holding a \vorn\ tree; Tesmo /v configures it.
make_vorn_drive() {
  DRIVE=$(e2e_temp_dir drive)
  mkdir -p "$DRIVE/vorn/Program 03" "$DRIVE/vorn/deep/sub/prog07" "$DRIVE/elsewhere"
  # PROG03.DTA's setting is on its first line; the last line has no line end.
  printf 'PORT=1\r\nline 2\r\nline 3' >"$DRIVE/vorn/Program 03/PROG03.DTA"
  local i
  for ((i = 1; i <= 9; i++)); do printf 'x%d\r\n' "$i"; done >"$DRIVE/vorn/deep/sub/prog07/prog07.dta"
  printf '"PORT=1"\r\nlast\r\n' >>"$DRIVE/vorn/deep/sub/prog07/prog07.dta"
  printf 'PORT=1\r\n' >"$DRIVE/elsewhere/PROG01.DTA"
  ln -sfn "$DRIVE" "$WINEPREFIX/dosdevices/v:"
}

# The drive's data files as Tesmo patches them: PROG03.DTA's first line, every line ending in
# CR LF; prog07.dta by its two-character rule, before its closing quotation mark; the file
# outside \vorn\ untouched.
check_drive_patched() {
  local i
  printf 'PORT=4\r\nline 2\r\nline 3\r\n' >"$E2E_TMP/prog03.expected"
  e2e_check "PROG03.DTA patched, every line ending in CR LF" \
    cmp "$E2E_TMP/prog03.expected" "$DRIVE/vorn/Program 03/PROG03.DTA"
  { for ((i = 1; i <= 9; i++)); do printf 'x%d\r\n' "$i"; done
    printf '"PORT=4"\r\nlast\r\n'; } >"$E2E_TMP/prog07.expected"
  e2e_check "prog07.dta patched by its two-character rule" \
    cmp "$E2E_TMP/prog07.expected" "$DRIVE/vorn/deep/sub/prog07/prog07.dta"
  e2e_check_equal "a file outside \\vorn\\ is untouched" "$(printf 'PORT=1\r\n' | od -c)" \
    "$(od -c <"$DRIVE/elsewhere/PROG01.DTA")"
}

# Answers Tesmo's confirmation (window_texts shows line breaks as \n), waits for its status
# window and until its run has ended (Close enabled). SHOT names the box's picture.
answer_tesmo_and_wait() {
  we_answer_box Tesmo "$MSG_CONFIRM" $ID_BOX_OK "$1"
  we_wait 60 --child "Print Test Page" || e2e_abort "no status window"
  we_until 30 0.3 we_is $ID_CLOSE enabled --child "Print Test Page"
}

start_tesmo_configured() {
  local app=$1 work=$2
  make_vorn_drive
  we_start "$work" "$app/Tesmo.exe" /v
  answer_tesmo_and_wait tesmo-confirm
}

# The X window of Tesmo's status window, which has no title: found by its program's class.
tesmo_xid() { xdotool search --onlyvisible --classname '^tesmo\.exe$' 2>/dev/null | tail -n 1; }

# Tesmo /v on a drive of the Wine prefix: confirmed, both programs found and patched, listed.
scenario_tesmo_run() {
  local app work
  app=$(we_app_dir) || e2e_abort "no app folder"
  work=$(e2e_temp_dir cwd)
  start_tesmo_configured "$app" "$work"
  e2e_check_equal "the list" "$(printf '%s\n' "Looking for Vorn programs installed on Drive (V)" "" \
    "Vorn Program 03 found..." "Vorn Program 03 printer port set...ok" "" \
    "Vorn Program 07 found..." "Vorn Program 07 printer port set...ok" "")" \
    "$(we_items $ID_STATUS_LIST)"
  e2e_check_equal "the last item is selected" 7 "$(we_selected $ID_STATUS_LIST)"
  e2e_check_equal "the title" "Vorn Auto Config" "$(we_text $ID_TITLE)"
  e2e_check_equal "the status" "Configuration complete!" "$(we_text $ID_STATUS)"
  e2e_check_equal "Close is enabled" 1 "$(we_attr $ID_CLOSE enabled)"
  e2e_check_equal "Print Test Page is shown" 1 "$(we_attr $ID_PRINT visible)"
  e2e_shot "$(tesmo_xid)" tesmo-configured
  check_drive_patched
  e2e_check "the status window closes on Close" we_press_and_gone $ID_CLOSE --child "Print Test Page"
  e2e_check "tesmo ends" e2e_wait_exit "$PID" 30
  e2e_check_equal "exit status" 0 "$KV_STATUS"
  rm -f "$WINEPREFIX/dosdevices/v:"
}

# Print Test Page starts Kelvarin.exe from Tesmo's folder, in Tesmo's current directory.
scenario_tesmo_print() {
  local queue=we-tesmo-$SUFFIX app work tesmo_pid
  prepare_run N 0 cwd
  start_tesmo_configured "$app" "$work"
  tesmo_pid=$PID
  e2e_check "Print Test Page clicked" we_click $ID_PRINT --child "Print Test Page"
  we_wait 60 "Select Printer" || e2e_abort "Kelvarin's \"Select Printer\" did not appear"
  e2e_check_equal "Kelvarin reads Tesmo's current directory" \
    "The VORN Quote Printer currently assigned = $queue" "$(we_text $ID_SELECTED)"
  e2e_check "\"Select Printer\" closes on OK" we_press_and_gone $ID_OK "Select Printer"
  cups_wait_captured 1 60 "$queue"
  e2e_check_equal "the test page printed" 1 "$(cups_captured_count "$queue")"
  check_two_page_job "$(cups_captured_files "$queue" | head -n 1)" "the job"
  e2e_check "the action log is beside Tesmo's Kelvarin.exe" test -s "$app/actionlog.txt"
  e2e_check "the print file is deleted" test ! -e "$work/VORN.PRN"
  e2e_check "the status window stays" we_wait 5 --child "Print Test Page"
  e2e_check "the status window closes on Close" we_press_and_gone $ID_CLOSE --child "Print Test Page"
  e2e_check "tesmo ends" e2e_wait_exit "$tesmo_pid" 30
  rm -f "$WINEPREFIX/dosdevices/v:"
}

# Another program's window: Wine's own notepad, started in WORK, made small in the screen's
# corner so that it leaves the dialog free.
NOTEPAD_TITLE="Untitled - Notepad"
start_notepad() {
  local xid
  we_start "$1" notepad
  we_wait 30 "$NOTEPAD_TITLE" || return 1
  xid=$(xvfb_find_windows "$NOTEPAD_TITLE" | tail -n 1)
  xdotool windowsize "$xid" 300 200 windowmove "$xid" 10 10 || return 1
  sleep 0.5
}

# Switches to the other program with a click into its window and waits until it has the
# keyboard; then back to "Select Printer" with a click on its title bar.
switch_away_and_back() {
  local x y w h
  read -r x y w h < <(we_client "$NOTEPAD_TITLE")
  [[ -n ${h:-} ]] || return 1
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1
  # Its text area (id 0) has the keyboard; nothing of the dialog has.
  we_wait_focus 0 "$NOTEPAD_TITLE" || return 1
  WE_OUT=$(we_texts "Select Printer") && ! grep -q ' focus=1 ' <<<"$WE_OUT" || return 1
  we_click_title "Select Printer"
}

# The copies box edited, a switch to another program and back: the box still has the focus;
# Tab moves on from it; edited again, away and back, Cancel takes the focus out of it, so the
# edited number is converted (2.5 to 2, half to even) and saved.
scenario_focus_switch() {
  local queue=we-switch-$SUFFIX app work kelvarin_pid
  prepare_run
  start_kelvarin "$app" "$work" "$queue" switch
  kelvarin_pid=$PID
  e2e_check "another program is running" start_notepad "$work"
  e2e_check "3 typed into the copies box" we_type "Select Printer" $ID_COPIES 3
  e2e_check "switched to the other program and back" switch_away_and_back
  e2e_check "the copies box has the focus again" we_wait_focus $ID_COPIES "Select Printer"
  xdotool key Tab
  e2e_check "Tab moves on to the printer list" we_wait_focus $ID_PRINTER "Select Printer"
  e2e_check "2.5 typed into the copies box" we_type "Select Printer" $ID_COPIES 2.5
  e2e_check "switched away and back again" switch_away_and_back
  e2e_check "the copies box has the focus once more" we_wait_focus $ID_COPIES "Select Printer"
  e2e_check "\"Select Printer\" closes on Cancel" we_press_and_gone $ID_CANCEL "Select Printer"
  e2e_check "kelvarin ends" e2e_wait_exit "$kelvarin_pid" 30
  e2e_check_equal "Printer.inp holds the converted copies" \
    "$(expected_settings "$queue" "Courier New" 2)" "$(e2e_lines "$work/Printer.inp")"
  e2e_check "the print file is kept" test -e "$work/VORN.PRN"
}

# Enter held down on Print Test Page: one press, one Kelvarin, one job.
scenario_tesmo_held_enter() {
  local queue=we-held-$SUFFIX app work tesmo_pid
  prepare_run N 0 cwd
  start_tesmo_configured "$app" "$work"
  tesmo_pid=$PID
  xvfb_focus "$(tesmo_xid)" || e2e_abort "the status window does not get the keyboard"
  we_click $ID_STATUS_LIST --child "Print Test Page" || e2e_abort "no status list"
  xdotool key Tab Tab
  e2e_check "Tab reaches Print Test Page" we_wait_focus $ID_PRINT --child "Print Test Page"
  # Held down for three seconds: the screen repeats the key, as a keyboard does, from the
  # first tenth of a second on, before Kelvarin's window can take the keyboard.
  KEY_RATE_CHANGED=1
  xset r on r rate 100 30
  xdotool keydown Return
  sleep 3
  xdotool keyup Return
  xset r rate
  we_wait 60 "Select Printer" || e2e_abort "no Kelvarin started"
  # Late starters would show their windows within a few seconds.
  sleep 8
  e2e_check_equal "one Kelvarin started" 1 "$(we_texts "Select Printer" | grep -c '^window ')"
  e2e_check_equal "one progress window" 1 "$(we_texts "Printing Quote" | grep -c '^window ')"
  e2e_check "\"Select Printer\" closes on OK" we_press_and_gone $ID_OK "Select Printer"
  cups_wait_captured 1 60 "$queue"
  sleep 2
  e2e_check_equal "one job printed" 1 "$(cups_captured_count "$queue")"
  e2e_check "the status window closes on Close" we_press_and_gone $ID_CLOSE --child "Print Test Page"
  e2e_check "tesmo ends" e2e_wait_exit "$tesmo_pid" 30
  rm -f "$WINEPREFIX/dosdevices/v:"
}

# The size of the window read into WE_OUT: "W H".
we_size() { sed -n 's/^window .* size=\([0-9]*\)x\([0-9]*\) .*/\1 \2/p' <<<"$WE_OUT" | head -n 1; }

# Whether two "L T W H" (or "W H") lists agree within a pixel each.
within_a_pixel() {
  local -a want=($1) got=($2)
  ((${#want[@]} == ${#got[@]})) || return 1
  local i d
  for ((i = 0; i < ${#want[@]}; i++)); do
    d=$((want[i] - got[i]))
    ((d >= -1 && d <= 1)) || return 1
  done
}

# The window read into WE_OUT against FORM's layout at DPI (LAYOUTS: form_layouts' listing at
# that DPI): its client area and every control's rectangle, within a pixel of rounding.
check_scaled() {
  local form=$1 dpi=$2 layouts=$3 line want got id=100 wrong=()
  want=$(sed -n "s/^${form}_client='\(.*\)'\$/\1/p" <<<"$layouts")
  got=$(we_size)
  e2e_check "$form's client area at $dpi dpi is $want" within_a_pixel "$want" "$got"
  # Controls are listed in table order; a control's id is 100 + its place in the table.
  while IFS= read -r line; do
    want=${line#*=\'}
    want=${want%\'}
    got=$(sed -n "s/^control $id .* rect=\([0-9-]*\),\([0-9-]*\),\([0-9]*\)x\([0-9]*\) .*/\1 \2 \3 \4/p" \
      <<<"$WE_OUT" | head -n 1)
    within_a_pixel "$want" "$got" || wrong+=("${line%%=*} is '${got:-missing}', not '$want'")
    id=$((id + 1))
  done < <(grep "^${form}_" <<<"$layouts" | grep -v "^${form}_client=")
  e2e_check_equal "every control of $form where its twips put it at $dpi dpi" "" \
    "$(printf '%s\n' "${wrong[@]}" | sed '/^$/d')"
}

# At 96, 120 and 144 dots per inch (100, 125 and 150 % display scaling, Windows' LogPixels in
# the prefix, read by each program as it starts): every window of both programs laid out from
# its twips at that DPI, the message box growing with it, and the OK run printing. Pictures
# at 150 % go to the artifacts as win150-*.
scenario_scaling() {
  local dpi queue app work layouts shot box96=() box=() tesmo_pid
  DPI_KEY='HKCU\Control Panel\Desktop'
  DPI_BEFORE=$(wine reg query "$DPI_KEY" /v LogPixels 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *LogPixels *REG_DWORD *//p')
  for dpi in 96 120 144; do
    echo "# at $dpi dpi"
    wine reg add "$DPI_KEY" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 ||
      e2e_abort "LogPixels cannot be set"
    DPI_CHANGED=1
    layouts=$(wine "$BIN_DIR/form_layouts.exe" "$dpi" 2>/dev/null | tr -d '\r')
    [[ -n $layouts ]] || e2e_abort "no layout listing"
    shot=""
    ((dpi == 144)) && shot=win150
    queue=we-scale-$dpi-$SUFFIX
    prepare_run
    we_start "$work" "$app/Kelvarin.exe"
    we_wait 60 "Select Printer" || e2e_abort "no \"Select Printer\" window at $dpi dpi"
    check_scaled frmPrinterChoice "$dpi" "$layouts"
    [[ -n $shot ]] && e2e_shot "$(xvfb_find_windows "Select Printer" | tail -n 1)" "$shot-select-printer"
    we_wait 10 "Printing Quote" || e2e_abort "no progress window"
    check_scaled frmControls "$dpi" "$layouts"

    e2e_check "\"Select Printer\" closes on New Font" we_press_and_gone $ID_NEW_FONT "Select Printer"
    we_wait 30 "Select a Printer Font" || e2e_abort "no font dialog at $dpi dpi"
    check_scaled frmPrinterFont "$dpi" "$layouts"
    [[ -n $shot ]] && e2e_shot "$(xvfb_find_windows "Select a Printer Font" | tail -n 1)" "$shot-select-font"
    e2e_check "the font dialog closes on OK" we_press_and_gone $ID_FONT_OK "Select a Printer Font"

    we_wait 30 "Select Printer" || e2e_abort "\"Select Printer\" not shown again"
    e2e_check "abc typed into the copies box" we_type "Select Printer" $ID_COPIES abc
    we_click $ID_OK "Select Printer" || e2e_abort "OK not found"
    if we_wait 20 Kelvarin; then
      read -r -a box < <(we_size)
      ((dpi == 96)) && box96=("${box[@]}")
      # The box's text and buttons grow with the system's font: at least nine tenths of the
      # scaling in each direction.
      e2e_check "the message box grows with the scaling (${box[*]} at $dpi dpi, ${box96[*]} at 96)" \
        test $((box[0] * 96 * 10)) -ge $((box96[0] * dpi * 9)) -a \
        $((box[1] * 96 * 10)) -ge $((box96[1] * dpi * 9))
    fi
    we_answer_box Kelvarin "$MSG_INVALID" $ID_BOX_OK "${shot:-scale-$dpi}-invalid"
    e2e_check "1 typed into the copies box" we_type "Select Printer" $ID_COPIES 1
    e2e_check "\"Select Printer\" closes on OK" we_press_and_gone $ID_OK "Select Printer"
    e2e_check "kelvarin ends" e2e_wait_exit "$PID" 60
    cups_wait_captured 1 60 "$queue"
    check_two_page_job "$(cups_captured_files "$queue" | head -n 1)" "the job at $dpi dpi"

    start_tesmo_configured "$app" "$work"
    tesmo_pid=$PID
    check_scaled frmMain "$dpi" "$layouts"
    [[ -n $shot ]] && e2e_shot "$(tesmo_xid)" "$shot-tesmo-configured"
    e2e_check "the status window closes on Close" we_press_and_gone $ID_CLOSE --child "Print Test Page"
    e2e_check "tesmo ends" e2e_wait_exit "$tesmo_pid" 30
  done
}

UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VornPrintUtility'
SETTINGS_KEY='HKLM\Software\VORN\Print Utility'
UNINSTALLER=VornPrintUninstall.exe

# The uninstall entry's value NAME, or nothing.
uninstall_value() {
  wine reg query "$UNINSTALL_KEY" /v "$1" /reg:64 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

# Waits up to SECONDS until PATH is gone.
wait_file_gone() { we_until "$2" 0.3 test ! -e "$1"; }

# Wine's icacls.exe changes nothing and Wine keeps no access lists: a stand-in put in its place
# records every call's arguments, one line each, in ICACLS_RECORD, and ends with the status in
# VORN_ICACLS_STATUS. SETUP_LOG is the setup log, in the Windows temporary folder. Sets the
# caller's work, a new current folder for the setup program.
prepare_setup_run() {
  [[ -f ${VORN_SETUP_EXE:-} ]] || e2e_abort "no setup program (VORN_SETUP_EXE)"
  work=$(e2e_temp_dir cwd)
  [[ -f ${VORN_ICACLS_RECORDER:-} ]] || e2e_abort "no icacls stand-in (VORN_ICACLS_RECORDER)"
  cp "$VORN_ICACLS_RECORDER" "$WINEPREFIX/drive_c/windows/system32/icacls.exe" ||
    e2e_abort "the stand-in icacls.exe could not be put in place"
  wine reg add 'HKCU\Software\Wine\DllOverrides' /v icacls.exe /t REG_SZ /d native /f \
    >/dev/null 2>&1 || e2e_abort "Wine could not be told to run the stand-in icacls.exe"
  ICACLS_RECORD=$E2E_TMP/icacls.record
  VORN_ICACLS_RECORD=$(winepath -w "$ICACLS_RECORD" 2>/dev/null)
  export VORN_ICACLS_RECORD
  unset VORN_ICACLS_STATUS
  SETUP_LOG=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
  SETUP_LOG=${SETUP_LOG%/}/VornPrintSetup.log
}

# Empties the record of icacls calls and the setup log before a run.
clear_records() { : >"$ICACLS_RECORD" && : >"$SETUP_LOG"; }
recorded_calls() { [[ -f $ICACLS_RECORD ]] && cat "$ICACLS_RECORD"; }
# The setup log's lines without their time stamps.
setup_log() { e2e_lines "$SETUP_LOG" | sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} //'; }

# What setup must ask of icacls for FOLDER (Windows path), on every install, upgrade and
# repair: everything in it back to inherited rights, the folder protected with Administrators
# and SYSTEM full control and Users read and execute, Administrators the owner of all of it,
# and Users modify on the action log alone.
expected_calls() {
  printf '%s\n' "\"$1\" /reset /T" \
    "\"$1\" /inheritance:r /grant:r *S-1-5-32-544:(OI)(CI)F *S-1-5-18:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX" \
    "\"$1\" /setowner *S-1-5-32-544 /T" "\"$1\\actionlog.txt\" /grant:r *S-1-5-32-545:M"
}

# Runs the setup program silently (waited for) with ARGS; its exit status lands in KV_STATUS.
run_setup() {
  we_start "$work" "$VORN_SETUP_EXE" /S "$@"
  e2e_wait_exit "$PID" 60
}

# A silent setup without Tesmo into FOLDER (Windows path) over an installation, named LABEL:
# it succeeds and asks icacls what every installation asks.
run_setup_over() {
  local label=$1 folder=$2
  clear_records
  run_setup /NOTESMO "/D=$folder"
  e2e_check_equal "$label's exit status" 0 "$KV_STATUS"
  e2e_check_equal "$label asks icacls the same" "$(expected_calls "$folder")" "$(recorded_calls)"
}

# True when the program waited for ended by itself with a failure status.
ended_failing() { [[ $KV_STATUS != 0 && $KV_STATUS != timeout ]]; }

# A silent setup with ARGS that must be refused: the records emptied first, then LABEL's
# failure status checked.
run_refused_setup() {
  local label=$1; shift
  clear_records
  run_setup "$@"
  e2e_check "$label: a failure status" ended_failing
}

# Every file on drive V: with its checksum, but those FIND_ARGS leave out.
drive_sums() { (cd "$DRIVE" && find . -type f "$@" -print0 | sort -z | xargs -0 -r sha256sum); }

# The names in folder DIR, sorted, on one line.
folder_names() { (cd "$1" && LC_ALL=C ls -A) | tr '\n' ' ' | sed 's/ $//'; }

# The setup program, silently (/S), on drive V: with a \vorn\ tree: the folder locked before
# anything is copied, Tesmo answered, the files in place, the data files patched, the uninstall
# entry written; Kelvarin printing from the installed folder with its action log there; a
# repair and an upgrade from the uninstaller's old name asking icacls the same; the uninstall
# refusing while Tesmo runs, then removing exactly what was installed.
scenario_setup() {
  local queue=we-setup-$SUFFIX work installed setup_pid f
  cups_add_capture_queue "$queue" >/dev/null || e2e_abort "no queue"
  make_vorn_drive
  prepare_setup_run
  clear_records
  we_start "$work" "$VORN_SETUP_EXE" /S '/D=V:\VORN\Print'
  setup_pid=$PID
  answer_tesmo_and_wait setup-tesmo-confirm
  e2e_check_equal "Tesmo lists the drive installed to" \
    "Looking for Vorn programs installed on Drive (V)" "$(we_items $ID_STATUS_LIST | head -n 1)"
  e2e_check "Tesmo's window closes on Close" we_press_and_gone $ID_CLOSE --child "Print Test Page"
  e2e_check "setup ends after Tesmo" e2e_wait_exit "$setup_pid" 60
  e2e_check_equal "setup's exit status" 0 "$KV_STATUS"
  e2e_check_equal "icacls asked to lock the folder, then to open the action log" \
    "$(expected_calls 'V:\VORN\Print')" "$(recorded_calls)"
  e2e_check_equal "the setup log" "$(printf '%s\n' \
    "Installing VORN Print Utility ${VORN_VERSION:-} into V:\\VORN\\Print" \
    "Installed VORN Print Utility ${VORN_VERSION:-} into V:\\VORN\\Print")" "$(setup_log)"

  installed=$(find "$DRIVE" -maxdepth 2 -type d -ipath "$DRIVE/vorn/print" | head -n 1)
  [[ -n $installed ]] || e2e_abort "no V:\VORN\Print folder"
  e2e_check_equal "setup installs nothing else" \
    "Kelvarin.exe Tesmo.exe TestPage $UNINSTALLER actionlog.txt" "$(folder_names "$installed")"
  e2e_check "the action log made empty" test -f "$installed/actionlog.txt" -a ! -s "$installed/actionlog.txt"
  for f in Kelvarin.exe Tesmo.exe; do
    e2e_check "$f installed byte for byte" cmp -s "$BIN_DIR/$f" "$installed/$f"
  done
  check_drive_patched
  e2e_check_equal "the uninstall entry's name" "VORN Print Utility" "$(uninstall_value DisplayName)"
  e2e_check_equal "the uninstall entry's version" "${VORN_VERSION:-}" "$(uninstall_value DisplayVersion)"
  e2e_check_equal "the uninstall entry's command" "\"V:\\VORN\\Print\\$UNINSTALLER\"" \
    "$(uninstall_value UninstallString)"

  # Kelvarin from the installed folder prints and logs beside itself.
  printf '%s\r\n' "" "$queue" "" N N "Courier New" 1 0 --- '***' >"$work/Printer.inp"
  write_two_page_file "$work/VORN.PRN"
  we_start "$work" 'V:\VORN\Print\Kelvarin.exe'
  we_wait 60 "Select Printer" || e2e_abort "the installed Kelvarin shows no dialog"
  e2e_check "\"Select Printer\" closes on OK" we_press_and_gone $ID_OK "Select Printer"
  e2e_check "the installed Kelvarin ends" e2e_wait_exit "$PID" 60
  cups_wait_captured 1 60 "$queue"
  check_two_page_job "$(cups_captured_files "$queue" | head -n 1)" "the job"
  e2e_check_equal "the action log in the installed folder" "$(e2e_expected_log 1)" \
    "$(e2e_log_messages "$installed/actionlog.txt")"

  # Setup again while the installed Kelvarin runs: its program file cannot be replaced, and
  # setup says so by its exit status instead of skipping the file.
  we_start "$work" 'V:\VORN\Print\Kelvarin.exe'
  local kelvarin_pid=$PID
  we_wait 60 "Select Printer" || e2e_abort "the installed Kelvarin shows no dialog"
  run_setup /NOTESMO '/D=V:\VORN\Print'
  e2e_check "setup over a running Kelvarin reports the failure" test "$KV_STATUS" != 0
  e2e_check "\"Select Printer\" closes on Cancel" we_press_and_gone $ID_CANCEL "Select Printer"
  e2e_check "the installed Kelvarin ends" e2e_wait_exit "$kelvarin_pid" 60

  # A repair (setup again over the installation, Tesmo left out): the programs are replaced,
  # the log and the user's files stay, and icacls is asked the same.
  cp "$installed/actionlog.txt" "$E2E_TMP/actionlog.before"
  printf 'damaged' >"$installed/Tesmo.exe"
  printf '%s\r\n' "" "$queue" "" N N "Courier New" 1 0 --- '***' >"$installed/Printer.inp"
  printf 'QUOTE\r\n' >"$installed/VORN.PRN"
  run_setup_over "the repair" 'V:\VORN\Print'
  e2e_check "Tesmo.exe replaced" cmp -s "$installed/Tesmo.exe" "$BIN_DIR/Tesmo.exe"
  e2e_check "the action log kept" cmp -s "$E2E_TMP/actionlog.before" "$installed/actionlog.txt"

  # An upgrade of an installation whose uninstaller still had the common name: in the folder
  # the uninstall entry names, that Uninstall.exe was ours; it gives way to the new one.
  local second before
  second=$(dirname "$installed")/Second
  mkdir -p "$second"
  cp "$BIN_DIR/Kelvarin.exe" "$BIN_DIR/Tesmo.exe" "$second/"
  printf 'old uninstaller' >"$second/Uninstall.exe"
  printf '2026-01-02 09:10:11 AM - PRINT FILE TERMINATED\r\n' >"$second/actionlog.txt"
  cp "$second/actionlog.txt" "$E2E_TMP/second-log.before"
  wine reg add "$UNINSTALL_KEY" /v InstallLocation /t REG_SZ /d 'V:\VORN\Second' /f /reg:64 \
    >/dev/null 2>&1
  wine reg add "$SETTINGS_KEY" /v InstallDir /t REG_SZ /d 'V:\VORN\Second' /f /reg:64 \
    >/dev/null 2>&1
  run_setup_over "the upgrade" 'V:\VORN\Second'
  e2e_check_equal "the old uninstaller replaced by the new" \
    "Kelvarin.exe Tesmo.exe $UNINSTALLER actionlog.txt" "$(folder_names "$second")"
  e2e_check "the upgraded action log kept" cmp -s "$E2E_TMP/second-log.before" "$second/actionlog.txt"
  e2e_check_equal "the entry names the new uninstaller" "\"V:\\VORN\\Second\\$UNINSTALLER\"" \
    "$(uninstall_value UninstallString)"

  # The uninstaller, run (in place, waited for) while Tesmo runs, deletes nothing: Kelvarin
  # stays, so that the product can still print, and so do itself and the entry.
  before=$(drive_sums)
  we_start "$work" 'V:\VORN\Second\Tesmo.exe' /v
  local tesmo_pid=$PID
  we_wait 60 Tesmo || e2e_abort "the second Tesmo asks nothing"
  clear_records
  wine "V:\\VORN\\Second\\$UNINSTALLER" /S '_?=V:\VORN\Second' >/dev/null 2>&1
  e2e_check "uninstalling while Tesmo runs reports the failure" test $? != 0
  e2e_check_equal "the uninstaller's log names the program in use" \
    'Uninstall stopped: Tesmo.exe in V:\VORN\Second is in use' "$(setup_log)"
  e2e_check_equal "nothing deleted while Tesmo runs" "$before" "$(drive_sums)"
  e2e_check_equal "the entry kept while Tesmo runs" 'V:\VORN\Second' \
    "$(uninstall_value InstallLocation)"
  e2e_check "Tesmo's question closes on Cancel" we_press_and_gone $ID_BOX_CANCEL Tesmo
  we_answer_box Tesmo "$MSG_TESMO_LATER" $ID_BOX_OK setup-tesmo-later
  e2e_check "the second Tesmo ends" e2e_wait_exit "$tesmo_pid" 60

  # The uninstaller (silent) removes exactly what setup installed, the test page's folder with
  # it; the first folder's uninstaller leaves the second installation's entry alone.
  before=$(drive_sums ! -ipath './vorn/print/kelvarin.exe' ! -ipath './vorn/print/tesmo.exe' \
    ! -ipath "./vorn/print/$UNINSTALLER" ! -ipath './vorn/print/testpage/*' ! -ipath './vorn/second/*')
  wine "V:\\VORN\\Print\\$UNINSTALLER" /S >/dev/null 2>&1
  e2e_check "the uninstaller removes itself" wait_file_gone "$installed/$UNINSTALLER" 60
  for f in Kelvarin.exe Tesmo.exe TestPage; do e2e_check "$f removed" test ! -e "$installed/$f"; done
  for f in actionlog.txt Printer.inp VORN.PRN; do e2e_check "$f kept" test -e "$installed/$f"; done
  e2e_check_equal "the second installation's entry kept" 'V:\VORN\Second' \
    "$(uninstall_value InstallLocation)"
  wine "V:\\VORN\\Second\\$UNINSTALLER" /S >/dev/null 2>&1
  e2e_check "the second uninstaller removes itself" wait_file_gone "$second/$UNINSTALLER" 60
  e2e_check_equal "the second folder keeps only its log" actionlog.txt "$(folder_names "$second")"
  rm -rf "$second"
  e2e_check_equal "the uninstall entry removed" "" "$(uninstall_value DisplayName)"
  e2e_check_equal "everything else on the drive is as it was" "$before" "$(drive_sums)"
}

# Setup runs Tesmo in a folder holding a test quote: Print Test Page prints it through the
# default printer, and the page says what it is. The uninstaller removes that folder and
# whatever Kelvarin left there.
scenario_setup_test_page() {
  local queue=$VORN_EXPECT_DEFAULT work setup_pid jobs folder date
  make_vorn_drive
  prepare_setup_run
  # Wine finds the folder \VORN\ of the path in the drive's "vorn".
  folder=$DRIVE/vorn/Page
  jobs=$(cups_captured_count "$queue")
  date=$(date +%F)
  we_start "$work" "$VORN_SETUP_EXE" /S '/D=V:\VORN\Page'
  setup_pid=$PID
  answer_tesmo_and_wait page-tesmo-confirm
  e2e_check "Print Test Page clicked" we_click $ID_PRINT --child "Print Test Page"
  we_wait 60 "Select Printer" || e2e_abort "Kelvarin's \"Select Printer\" did not appear"
  e2e_check_equal "Kelvarin offers the default printer" \
    "The VORN Quote Printer currently assigned = $queue" "$(we_text $ID_SELECTED)"
  e2e_check "\"Select Printer\" closes on OK" we_press_and_gone $ID_OK "Select Printer"
  cups_wait_captured $((jobs + 1)) 60 "$queue"
  local job
  job=$(cups_captured_files "$queue" | tail -n 1)
  e2e_check_equal "one page" 1 "$(job_pages "$job")"
  e2e_check_equal "the test page names the utility, its version and the date" \
    "$(printf '%s\n' "VORN Print Utility ${VORN_VERSION:-}" "TEST PAGE" \
      "Printed by Kelvarin through Print Test Page on $date." \
      "VORN quotes print on this printer in the font chosen for them.")" "$(job_page_text "$job" 1)"
  e2e_check_equal "the action log says it printed" "$(e2e_expected_log 1)" \
    "$(e2e_log_messages "$folder/actionlog.txt")"
  e2e_check_equal "the test quote is deleted, the choice kept" Printer.inp \
    "$(folder_names "$folder/TestPage")"
  e2e_check "Tesmo's window closes on Close" we_press_and_gone $ID_CLOSE --child "Print Test Page"
  e2e_check "setup ends after Tesmo" e2e_wait_exit "$setup_pid" 60
  e2e_check_equal "setup's exit status" 0 "$KV_STATUS"
  wine "V:\\VORN\\Page\\$UNINSTALLER" /S >/dev/null 2>&1
  e2e_check "the uninstaller removes itself" wait_file_gone "$folder/$UNINSTALLER" 60
  e2e_check_equal "the uninstall keeps the log alone" actionlog.txt "$(folder_names "$folder")"
  rm -f "$WINEPREFIX/dosdevices/v:"
}

# Folders setup cannot use, lock or own: each is refused with a line in the setup log (and,
# when someone is at the desk, a message box that names the risk), a non-zero status, and
# nothing installed, overwritten or deleted.
scenario_setup_refusals() {
  local work given why
  DRIVE=$(e2e_temp_dir drive)
  ln -sfn "$DRIVE" "$WINEPREFIX/dosdevices/v:"
  prepare_setup_run
  # Without a usable folder the setup's start would take another one: the default, on the
  # system drive, which Tesmo would then configure.
  while IFS='|' read -r given why; do
    run_refused_setup "/D=$given" /NOTESMO "/D=$given"
    e2e_check_equal "/D=$given: the log says why" \
      "Setup stopped: it cannot install into $given: $why." "$(setup_log)"
    e2e_check_equal "/D=$given: icacls never asked" "" "$(recorded_calls)"
  done <<'CASES'
V:\|it is the root of a drive
VORN\Print|it is not a full path on a lettered drive (X:\folder)
\\?\V:\VORN\Print|it is not a full path on a lettered drive (X:\folder)
V:\VORN\..\Print|it holds the name "..", which Windows does not keep as given
V:\VORN\Print.|it holds the name "Print.", which Windows does not keep as given
V:\VORN\Print:x|it holds the character :
CASES
  # A quoted path, as an administrator might type it (Wine hands the quotation marks over
  # escaped, so the log's text is not compared).
  run_refused_setup "a quoted /D=" /NOTESMO '/D="V:\VORN\Print"'
  e2e_check "a quoted /D=: the log says why" grep -q '^Setup stopped: it cannot install into ' \
    <(setup_log)
  e2e_check_equal "no folder made, on either drive" "" \
    "$(ls -A "$DRIVE"; ls -d "$WINEPREFIX/drive_c/"[Vv][Oo][Rr][Nn] 2>/dev/null)"

  # A new folder that already holds a DLL Kelvarin.exe would load, and another program's
  # Uninstall.exe: refused before its rights are touched, each file left as it was.
  local folder=$DRIVE/Shared
  mkdir -p "$folder"
  printf 'not ours' >"$folder/winspool.drv"
  printf 'another program' >"$folder/Uninstall.exe"
  run_refused_setup "files not ours" /NOTESMO '/D=V:\Shared'
  e2e_check_equal "files not ours: the log names them" "$(printf '%s\n' \
    'Installing VORN Print Utility '"${VORN_VERSION:-}"' into V:\Shared' \
    'Setup stopped: V:\Shared holds files it did not install: Uninstall.exe, winspool.drv')" \
    "$(setup_log)"
  e2e_check_equal "files not ours: icacls never asked" "" "$(recorded_calls)"
  e2e_check_equal "files not ours: left as they were" "another program|not ours" \
    "$(cat "$folder/Uninstall.exe"; printf '|'; cat "$folder/winspool.drv")"
  e2e_check_equal "files not ours: nothing added" "Uninstall.exe winspool.drv" \
    "$(folder_names "$folder")"

  # A file made in a new folder while it was still open to everyone (here by the stand-in at
  # its first call): refused once the folder is locked, before anything is copied or run.
  VORN_ICACLS_PLANT='V:\Race\winspool.drv' run_refused_setup "a file made before the lock" \
    '/D=V:\Race'
  e2e_check_equal "a file made before the lock: the folder locked, then refused" \
    "$(expected_calls 'V:\Race' | head -n 3)" "$(recorded_calls)"
  e2e_check_equal "a file made before the lock: the log names it" \
    'Setup stopped: V:\Race holds files it did not install: winspool.drv' "$(setup_log | tail -n 1)"
  e2e_check_equal "a file made before the lock: nothing copied" winspool.drv \
    "$(folder_names "$DRIVE/Race")"

  # A drive whose folders keep no rights (FAT, exFAT): icacls fails. A silent setup writes the
  # risk to its log and stops with a failure status before it copies anything.
  export VORN_ICACLS_STATUS=1332
  run_refused_setup "rights not set" /NOTESMO '/D=V:\Fat'
  e2e_check_equal "rights not set: the log names the risk" "$(printf '%s\n' \
    'Installing VORN Print Utility '"${VORN_VERSION:-}"' into V:\Fat' \
    'icacls "V:\Fat" /reset /T ended with status 1332' \
    'The rights of V:\Fat could not be set: any user can replace the programs in it.')" \
    "$(setup_log)"
  e2e_check_equal "rights not set: nothing copied" "" "$(folder_names "$DRIVE/Fat")"

  # The folder locked but the action log not opened to Users: a silent setup stops before it
  # copies a program.
  VORN_ICACLS_FAIL_ON=actionlog.txt run_refused_setup "log not opened" /NOTESMO '/D=V:\Closed'
  e2e_check_equal "log not opened: the log says so" \
    'Users cannot add to V:\Closed\actionlog.txt: its rights could not be set.' \
    "$(setup_log | tail -n 1)"
  e2e_check_equal "log not opened: no program copied" actionlog.txt "$(folder_names "$DRIVE/Closed")"

  # With someone at the desk the same failure is a message box that names the risk; Cancel,
  # its default, stops setup.
  clear_records
  rm -rf "$DRIVE/Fat"
  we_start "$work" "$VORN_SETUP_EXE" /NOTESMO '/D=V:\Fat'
  local setup_pid=$PID title="VORN Print Utility Setup" box
  we_wait 60 "$title: Installation Folder" || e2e_abort "setup shows no folder page"
  e2e_check "Install pressed" we_click 1 "$title: Installation Folder"
  local deadline=$((SECONDS + 30))
  until box=$(we_texts "$title" | grep -F 'Any user could then replace') ; do
    ((SECONDS < deadline)) || break
    sleep 0.3
  done
  e2e_check_equal "the message box names the risk" \
    "$(printf '%s' 'Setup could not set the rights of the folder V:\Fat (a FAT or exFAT drive keeps none).\n\nAny user could then replace Kelvarin.exe, which everyone who prints runs, or the uninstaller, which an administrator runs.\n\nClick OK to install there all the same (Tesmo is then not run), or Cancel to stop and choose an NTFS folder.')" \
    "$(sed -n 's/^control [0-9]* Static .* text="\(.*\)"$/\1/p' <<<"$box")"
  e2e_shot "$(xvfb_find_windows "$title" | tail -n 1)" setup-rights-message
  e2e_check "the message box takes the keyboard" we_focus_window "$title"
  xdotool key Return
  e2e_check "setup ends on Return (Cancel)" e2e_wait_exit "$setup_pid" 60
  e2e_check "the stop is a failure status" ended_failing
  e2e_check_equal "nothing copied" "" "$(folder_names "$DRIVE/Fat")"
  unset VORN_ICACLS_STATUS
  rm -f "$WINEPREFIX/dosdevices/v:"
}

we_setup
case $SCENARIO in
  ok | cancel | invalid_copies | pick_printer | rejected | new_font | tesmo_run | tesmo_print | \
    focus_switch | tesmo_held_enter | scaling | setup | setup_test_page | setup_refusals | \
    many_starts)
    "scenario_$SCENARIO" ;;
  *) echo "unknown scenario $SCENARIO" >&2; exit 2 ;;
esac
e2e_finish
