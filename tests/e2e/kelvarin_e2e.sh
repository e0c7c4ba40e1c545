#!/usr/bin/env bash
# Kelvarin end to end: the real program on a virtual screen, printing to a private print
# server whose capture queues keep every job as a PDF. Its windows are answered with the
# mouse and keyboard, as a person would.
#
#   bash kelvarin_e2e.sh <bin dir> <scripts dir> <scenario>
#
# Screenshots go to $E2E_ARTIFACTS (default: a new temporary folder).
set -uo pipefail

if (($# != 3)); then
  echo "usage: $0 <bin dir> <scripts dir> <scenario>" >&2
  exit 2
fi
BIN_DIR=$(cd "$1" && pwd) || exit 2
E2E_SCRIPTS_DIR=$(cd "$2" && pwd) || exit 2
SCENARIO=$3
E2E_NAME="kelvarin e2e $SCENARIO"
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"

[[ -x $BIN_DIR/kelvarin ]] || { echo "no kelvarin in $BIN_DIR" >&2; exit 1; }
PHONE=${VORN_SUPPORT_PHONE:-(555) 010-0000}
MSG_PRINT_FILE="There is a problem opening the Print File.  Please contact Orvalle at $PHONE."
MSG_INVALID="Some of your choices were omitted or are invalid.  Please correct or cancel."

# Two pages: a form feed ends page one, another ends page two; the last line is never printed.
write_two_page_file() {
  printf '%s\r\n' "QUOTE PAGE ONE FIRST LINE" "" "Premium total      1,234.56" \
    $'QUOTE PAGE ONE LAST LINE\f' "QUOTE PAGE TWO FIRST LINE" \
    $'QUOTE PAGE TWO LAST LINE\f' "NEVER PRINTED LAST LINE" >"$1"
}

# The ten settings lines a run leaves: printer, font and copies, the rest as Kelvarin writes them.
expected_settings() {
  printf '%s\n' "" "$1" "" N N "$2" "$3" 0 --- '***'
}

# Starts kelvarin in WORK (app folder APP) and waits for its windows; sets KV_PID, DLG.
# Saves pictures of the progress window and the dialog under PREFIX.
start_and_wait_dialog() {
  local app=$1 work=$2 prefix=$3
  e2e_start_kelvarin "$app" "$work"
  DLG=$(xvfb_wait_window "$KV_TITLE_PRINTER" 60 "$KV_PID") || e2e_abort "no \"Select Printer\" window"
  local progress
  if progress=$(xvfb_wait_window "$KV_TITLE_PROGRESS" 10 "$KV_PID"); then
    echo "ok   - the progress window \"Printing Quote\" is shown"
    kv_screenshot_progress "$progress" "$DLG" "$E2E_ARTIFACTS/$prefix-progress.png"
  else
    echo "FAIL - the progress window \"Printing Quote\" is shown"
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
  e2e_shot "$DLG" "$prefix-select-printer"
}

# Checks that captured job FILE holds the two pages of write_two_page_file.
check_two_page_job() {
  local file=$1 label=$2
  e2e_check_equal "$label has two pages" 2 "$(e2e_pdf_pages "$file")"
  e2e_check_equal "$label page 1 text" \
    "$(printf '%s\n' "QUOTE PAGE ONE FIRST LINE" "Premium total      1,234.56" \
      "QUOTE PAGE ONE LAST LINE")" "$(e2e_pdf_page_text "$file" 1)"
  e2e_check_equal "$label page 2 text" \
    "$(printf '%s\n' "QUOTE PAGE TWO FIRST LINE" "QUOTE PAGE TWO LAST LINE")" \
    "$(e2e_pdf_page_text "$file" 2)"
}

# (a) Printer.inp names a capture queue with 2 copies: two jobs on that queue, the print
# file deleted, the whole step sequence in the action log.
scenario_print_copies() {
  cups_add_capture_queue decoy && cups_set_default decoy && cups_add_capture_queue quotes ||
    e2e_abort "no queues"
  local app work
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  work=$(e2e_temp_dir work)
  kv_write_settings "$work" quotes "Courier New" 2
  write_two_page_file "$work/VORN.PRN"
  start_and_wait_dialog "$app" "$work" copies
  kv_printer_ok "$DLG"
  e2e_check "kelvarin ends after OK" e2e_wait_exit "$KV_PID" 60
  e2e_check_equal "exit status" 0 "$KV_STATUS"
  cups_wait_captured 2 30 quotes
  cups_wait_drained "" 30
  e2e_check_equal "two jobs on the chosen queue" 2 "$(cups_captured_count quotes)"
  e2e_check_equal "no job on the default queue" 0 "$(cups_captured_count decoy)"
  e2e_check_equal "job titles" $'VORN Quote\nVORN Quote' \
    "$(awk -F'\t' '{ print $4 }' "$CUPS_CAPTURE_INDEX")"
  local n=0 file
  while IFS= read -r file; do
    n=$((n + 1))
    check_two_page_job "$file" "copy $n"
  done < <(cups_captured_files quotes)
  e2e_check "the print file is deleted" test ! -e "$work/VORN.PRN"
  e2e_check_equal "Printer.inp after the run" "$(expected_settings quotes "Courier New" 2)" \
    "$(e2e_lines "$work/Printer.inp")"
  local log=$app/actionlog.txt
  e2e_check_equal "action log sequence" "$(e2e_expected_log 2)" "$(e2e_log_messages "$log")"
  e2e_check_equal "action log lines are well formed" 0 "$(e2e_bad_log_lines "$log")"
  e2e_check "action log lines end with CR LF" e2e_all_crlf "$log"
}

# (b) First run in an empty folder: Printer.inp is created, then saved with the default
# printer; the missing print file brings up the message box. As root it runs where /proc is
# missing: its log still lands beside the program, and a connectlog.txt in the quote folder
# is not the program's.
scenario_first_run() {
  cups_add_capture_queue another && cups_add_capture_queue firstq && cups_set_default firstq ||
    e2e_abort "no queues"
  local app work
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  work=$(e2e_temp_dir work)
  printf 'not the log\r\n' >"$work/connectlog.txt"
  if vorn_can_run_without_proc "$app/kelvarin"; then
    echo "#    without /proc"
    E2E_NO_PROC=1 start_and_wait_dialog "$app" "$work" first-run
  else
    start_and_wait_dialog "$app" "$work" first-run
  fi
  e2e_check_equal "Printer.inp created empty at start" \
    "$(printf '%s\n' "" "" "" N N "" 0 0 --- '***')" "$(e2e_lines "$work/Printer.inp")"
  e2e_check "Printer.inp has CR LF lines" e2e_all_crlf "$work/Printer.inp"
  kv_printer_ok "$DLG"
  local text
  text=$(e2e_answer_message first-run-message 30 "$KV_PID") ||
    { echo "FAIL - a message box \"Kelvarin\" appears"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
  e2e_check "message text (blanks squeezed)" e2e_window_shows "$MSG_PRINT_FILE" "$text"
  e2e_check "kelvarin ends after the message" e2e_wait_exit "$KV_PID" 30
  e2e_check_equal "Printer.inp after OK" "$(expected_settings firstq "Courier New" 1)" \
    "$(e2e_lines "$work/Printer.inp")"
  e2e_check "Printer.inp has CR LF lines" e2e_all_crlf "$work/Printer.inp"
  cups_wait_drained "" 10
  e2e_check_equal "nothing printed" 0 "$(cups_captured_count)"
  local messages
  messages=$(e2e_log_messages "$app/actionlog.txt")
  e2e_check_equal "log up to the error" \
    "$(printf '%s\n' "STARTING PRINTER OUTPUT" "PRINTER FOUND" "STARTING PRINTOUT COPY 1")" \
    "$(head -n 3 <<<"$messages")"
  e2e_check "log ends with the error line" \
    grep -qE '^ERROR IN OutputPrinter ROUTINE: Error Number: -?[0-9]+ Error Desc: .+' \
    <(tail -n 1 <<<"$messages")
  e2e_check "no log in the quote folder" test ! -e "$work/actionlog.txt"
  e2e_check "the quote folder's connectlog.txt kept" test -e "$work/connectlog.txt"
}

# (c) A queue that refuses jobs: the error is logged, the message shown, the file kept.
scenario_rejected() {
  cups_add_capture_queue closedq && cups_set_default closedq && cups_reject closedq ||
    e2e_abort "no queue"
  local app work
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  work=$(e2e_temp_dir work)
  kv_write_settings "$work" closedq "Courier New" 1
  write_two_page_file "$work/VORN.PRN"
  cp "$work/VORN.PRN" "$work.original"
  start_and_wait_dialog "$app" "$work" rejected
  kv_printer_ok "$DLG"
  local text
  text=$(e2e_answer_message rejected-message 30 "$KV_PID") ||
    { echo "FAIL - a message box \"Kelvarin\" appears"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
  e2e_check "message text (blanks squeezed)" e2e_window_shows "$MSG_PRINT_FILE" "$text"
  e2e_check "kelvarin ends after the message" e2e_wait_exit "$KV_PID" 30
  e2e_check "the print file is kept unchanged" cmp -s "$work.original" "$work/VORN.PRN"
  rm -f "$work.original"
  e2e_check_equal "nothing printed" 0 "$(cups_captured_count)"
  local log=$app/actionlog.txt
  e2e_check "the log holds the error line" \
    grep -qE '^ERROR IN OutputPrinter ROUTINE: Error Number: -?[0-9]+ Error Desc: .+' \
    <(e2e_log_messages "$log")
  e2e_check "the log does not report the file deleted" \
    bash -c '! grep -q "PRINT FILE TERMINATED" "$1"' _ "$log"
  e2e_check_equal "action log lines are well formed" 0 "$(e2e_bad_log_lines "$log")"
}

# (d) Two runs sharing one application folder log at the same time: only whole lines.
scenario_concurrent_log() {
  cups_add_capture_queue quotes && cups_set_default quotes || e2e_abort "no queue"
  source "$E2E_SCRIPTS_DIR/lib/sample_quote.sh"
  local app work1 work2 copies=4
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  work1=$(e2e_temp_dir work1)
  work2=$(e2e_temp_dir work2)
  local w
  for w in "$work1" "$work2"; do
    kv_write_settings "$w" quotes "Courier New" "$copies"
    # A longer quote keeps each run busy long enough for the two to overlap.
    write_sample_quote "$w/VORN.PRN"
  done
  e2e_start_kelvarin "$app" "$work1"; local pid1=$KV_PID
  e2e_start_kelvarin "$app" "$work2"; local pid2=$KV_PID
  # Both dialogs open in the centre; the first one is moved aside so both are visible.
  local ids=()
  ids[0]=$(xvfb_wait_window "$KV_TITLE_PRINTER" 60 "$pid1") || e2e_abort "run 1: no \"Select Printer\""
  ids[1]=$(xvfb_wait_window "$KV_TITLE_PRINTER" 60 "$pid2") || e2e_abort "run 2: no \"Select Printer\""
  sleep 0.5
  xdotool windowmove "${ids[0]}" 0 0
  sleep 0.5
  kv_printer_ok_closing "${ids[0]}"
  kv_printer_ok_closing "${ids[1]}"
  e2e_check "first kelvarin ends" e2e_wait_exit "$pid1" 90
  e2e_check "second kelvarin ends" e2e_wait_exit "$pid2" 90
  cups_wait_captured $((2 * copies)) 30
  e2e_check_equal "jobs printed" $((2 * copies)) "$(cups_captured_count quotes)"
  local log=$app/actionlog.txt per_run
  per_run=$(e2e_expected_log "$copies" | wc -l)
  e2e_check_equal "log line count is the sum of both runs" $((2 * per_run)) \
    "$(e2e_lines "$log" | wc -l)"
  e2e_check_equal "every log line is whole" 0 "$(e2e_bad_log_lines "$log")"
  e2e_check "log lines end with CR LF" e2e_all_crlf "$log"
  cp "$log" "$E2E_ARTIFACTS/concurrent-actionlog.txt" 2>/dev/null
  # Whether the two runs' entries interleaved this time (timing decides; shown, not checked).
  local second_start first_end
  second_start=$(e2e_log_messages "$log" | grep -n '^STARTING PRINTER OUTPUT$' | sed -n '2s/:.*//p')
  first_end=$(e2e_log_messages "$log" | grep -n '^PRINT FILE TERMINATED$' | sed -n '1s/:.*//p')
  if [[ -n $second_start && -n $first_end ]] && ((second_start < first_end)); then
    echo "note: the two runs wrote to the log at the same time"
  else
    echo "note: the two runs did not overlap in the log this time"
  fi
  e2e_check_equal "each message twice as often as in one run" \
    "$(e2e_expected_log "$copies" | sort | uniq -c | awk '{ $1 = 2 * $1; print }')" \
    "$(e2e_log_messages "$log" | sort | uniq -c | awk '{ $1 = $1; print }')"
}

# Issue 3 (1): pick the second printer in the list, type 2 copies, OK.
scenario_pick_printer() {
  cups_add_capture_queue alpha && cups_add_capture_queue beta && cups_set_default alpha ||
    e2e_abort "no queues"
  local app work
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  work=$(e2e_temp_dir work)
  kv_write_settings "$work" alpha "Courier New" 1
  write_two_page_file "$work/VORN.PRN"
  start_and_wait_dialog "$app" "$work" pick
  kv_printer_pick "$DLG" 1
  kv_printer_set_copies "$DLG" 2
  sleep 0.3
  e2e_shot "$DLG" pick-after-choice
  kv_printer_ok "$DLG"
  e2e_check "kelvarin ends after OK" e2e_wait_exit "$KV_PID" 60
  cups_wait_captured 2 30 beta
  cups_wait_drained "" 10
  e2e_check_equal "two jobs on the picked queue" 2 "$(cups_captured_count beta)"
  e2e_check_equal "no job on the first queue" 0 "$(cups_captured_count alpha)"
  local n=0 file
  while IFS= read -r file; do
    n=$((n + 1))
    check_two_page_job "$file" "copy $n"
  done < <(cups_captured_files beta)
  e2e_check_equal "Printer.inp holds the choice" "$(expected_settings beta "Courier New" 2)" \
    "$(e2e_lines "$work/Printer.inp")"
  e2e_check "the print file is deleted" test ! -e "$work/VORN.PRN"
}

# Issue 3 (2): New Font, type a family in "Select a Printer Font", OK, then OK again.
scenario_new_font() {
  local family="DejaVu Serif"
  cups_add_capture_queue fontq && cups_set_default fontq || e2e_abort "no queue"
  local app work
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  work=$(e2e_temp_dir work)
  kv_write_settings "$work" fontq "Courier New" 1
  write_two_page_file "$work/VORN.PRN"
  start_and_wait_dialog "$app" "$work" font
  kv_printer_new_font "$DLG"
  local font
  font=$(xvfb_wait_window "$KV_TITLE_FONT" 30 "$KV_PID") || e2e_abort "no \"Select a Printer Font\" window"
  e2e_shot "$font" font-select-font
  kv_font_type "$font" "$family"
  sleep 0.3
  e2e_shot "$font" font-select-font-typed
  kv_font_ok "$font"
  xvfb_wait_wid_gone "$font" 20 || e2e_abort "the font dialog did not close"
  local again
  again=$(xvfb_wait_window "$KV_TITLE_PRINTER" 30 "$KV_PID") || e2e_abort "\"Select Printer\" not shown again"
  e2e_shot "$again" font-select-printer-again
  kv_printer_ok "$again"
  e2e_check "kelvarin ends after OK" e2e_wait_exit "$KV_PID" 60
  cups_wait_captured 1 30 fontq
  local file
  file=$(cups_captured_files fontq | head -n 1)
  e2e_check_equal "one job" 1 "$(cups_captured_count fontq)"
  e2e_check "the job uses $family" grep -q "DejaVuSerif" <(pdffonts "$file" 2>/dev/null)
  e2e_check_equal "Printer.inp line 6 holds the family" "$family" \
    "$(e2e_lines "$work/Printer.inp" | sed -n 6p)"
}

# Issue 3 (3): Cancel: nothing printed, Printer.inp rewritten, the print file kept.
scenario_cancel() {
  cups_add_capture_queue cq && cups_set_default cq || e2e_abort "no queue"
  local app work
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  work=$(e2e_temp_dir work)
  # Written unlike Kelvarin would (lower-case flag, 0.50): the rewrite shows in the file.
  printf '%s\r\n' "" cq "" y N "Courier New" 1 0.50 --- '***' >"$work/Printer.inp"
  write_two_page_file "$work/VORN.PRN"
  cp "$work/VORN.PRN" "$work.original"
  start_and_wait_dialog "$app" "$work" cancel
  kv_printer_cancel "$DLG"
  e2e_check "kelvarin ends after Cancel" e2e_wait_exit "$KV_PID" 30
  cups_wait_drained "" 10
  e2e_check_equal "nothing printed" 0 "$(cups_captured_count)"
  e2e_check_equal "no job reached the server" "" "$(lpstat -W all -o 2>/dev/null)"
  e2e_check_equal "Printer.inp rewritten" \
    "$(printf '%s\n' "" cq "" Y N "Courier New" 1 0.5 --- '***')" "$(e2e_lines "$work/Printer.inp")"
  e2e_check "the print file is kept unchanged" cmp -s "$work.original" "$work/VORN.PRN"
  rm -f "$work.original"
  e2e_check "no log entry" test ! -s "$app/actionlog.txt"
}

# Issue 3 (4): copies "abc" and OK: the message, the dialog stays; then Cancel.
scenario_invalid_copies() {
  cups_add_capture_queue iq && cups_set_default iq || e2e_abort "no queue"
  local app work
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  work=$(e2e_temp_dir work)
  kv_write_settings "$work" iq "Courier New" 1
  write_two_page_file "$work/VORN.PRN"
  start_and_wait_dialog "$app" "$work" invalid
  kv_printer_set_copies "$DLG" abc
  kv_printer_ok "$DLG"
  local text
  text=$(e2e_answer_message invalid-message 20 "$KV_PID") ||
    { echo "FAIL - a message box \"Kelvarin\" appears"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
  e2e_check "message text (blanks squeezed)" e2e_window_shows "$MSG_INVALID" "$text"
  sleep 0.5
  e2e_check "the dialog is still open" \
    bash -c 'xwininfo -id "$1" | grep -q "IsViewable"' _ "$DLG"
  e2e_check "kelvarin is still running" kill -0 "$KV_PID"
  kv_printer_cancel "$DLG"
  e2e_check "kelvarin ends after Cancel" e2e_wait_exit "$KV_PID" 30
  cups_wait_drained "" 10
  e2e_check_equal "nothing printed" 0 "$(cups_captured_count)"
  e2e_check "the print file is kept" test -e "$work/VORN.PRN"
  e2e_check_equal "Printer.inp holds copies 0" "$(expected_settings iq "Courier New" 0)" \
    "$(e2e_lines "$work/Printer.inp")"
}

# A remembered printer that is not installed (it differs only in letter case) and a name
# typed into the combo: OK passes, the print job finds no printer and prints nowhere, not
# even on the default printer.
scenario_printer_not_found() {
  cups_add_capture_queue quotes && cups_set_default quotes || e2e_abort "no queue"
  local app work
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  work=$(e2e_temp_dir work)
  kv_write_settings "$work" QUOTES "Courier New" 1
  write_two_page_file "$work/VORN.PRN"
  cp "$work/VORN.PRN" "$work.original"
  start_and_wait_dialog "$app" "$work" not-found
  kv_printer_type "$DLG" "typed printer"
  kv_printer_ok "$DLG"
  # A message box would hold the process until answered.
  e2e_check "kelvarin ends after OK, showing no message" e2e_wait_exit "$KV_PID" 30
  cups_wait_drained "" 10
  e2e_check_equal "nothing printed, not even on the default printer" 0 "$(cups_captured_count)"
  e2e_check "the print file is kept unchanged" cmp -s "$work.original" "$work/VORN.PRN"
  e2e_check_equal "the log" "$(printf '%s\n' "STARTING PRINTER OUTPUT" "PRINTER NOT FOUND")" \
    "$(e2e_log_messages "$app/actionlog.txt")"
  e2e_check_equal "Printer.inp keeps the remembered name" \
    "$(expected_settings QUOTES "Courier New" 1)" "$(e2e_lines "$work/Printer.inp")"
}

case $SCENARIO in
  print_copies | first_run | rejected | concurrent_log | pick_printer | new_font | cancel | \
    invalid_copies | printer_not_found) ;;
  *) echo "unknown scenario $SCENARIO" >&2; exit 2 ;;
esac
e2e_setup
"scenario_$SCENARIO"
e2e_finish
