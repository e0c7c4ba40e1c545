#!/usr/bin/env bash
# Two Kelvarins started at once in one folder, as two quick Print Test Page clicks do: the
# real program on a virtual screen, both "Select Printer" dialogs answered (one with 2 copies,
# one with 3) a moment apart, a private print server capturing the jobs. Afterwards the action log holds
# whole lines only, "Printer.inp" is one of the two complete versions, and the quote was
# printed or is still there unchanged: never lost unprinted.
#
#   bash two_kelvarins.sh <bin dir> <scripts dir> [rounds]
set -uo pipefail

if (($# < 2)); then
  echo "usage: $0 <bin dir> <scripts dir> [rounds]" >&2
  exit 2
fi
BIN_DIR=$(cd "$1" && pwd) || exit 2
E2E_SCRIPTS_DIR=$(cd "$2" && pwd) || exit 2
ROUNDS=${3:-3}
E2E_NAME="two kelvarins at once"
source "$E2E_SCRIPTS_DIR/../tests/e2e/e2e_lib.sh"
# A three-page quote keeps each run printing long enough for the two to overlap.
source "$E2E_SCRIPTS_DIR/lib/sample_quote.sh"

[[ -x $BIN_DIR/kelvarin ]] || { echo "no kelvarin in $BIN_DIR" >&2; exit 1; }

# The ten settings lines with CR LF, as Kelvarin writes them for COPIES.
settings_version() {
  printf '%s\r\n' "" "$1" "" N N "Courier New" "$2" 0 --- '***'
}

same_bytes() { cmp -s "$1" "$2"; }

# Ends process PID if it still runs, and waits for it.
end_leftover() {
  kill -0 "$1" 2>/dev/null || return 0
  echo "round leftover: ending Kelvarin $1" >&2
  kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

one_round() {
  local round=$1 queue=twin$1
  cups_add_capture_queue "$queue" && cups_set_default "$queue" || e2e_abort "no queue"
  local app work
  app=$(kv_private_app_dir "$BIN_DIR") || e2e_abort "no app folder"
  E2E_TEMP_DIRS+=("$app")
  work=$(e2e_temp_dir work)
  kv_write_settings "$work" "$queue" "Courier New" 1
  write_sample_quote "$work/VORN.PRN"
  local original=$work.quote version1=$work.v1 version2=$work.v2
  cp "$work/VORN.PRN" "$original"
  settings_version "$queue" 2 >"$version1"
  settings_version "$queue" 3 >"$version2"

  e2e_start_kelvarin "$app" "$work"; local pid1=$KV_PID
  e2e_start_kelvarin "$app" "$work"; local pid2=$KV_PID
  # Each run's own dialog, found by its process: never a window of an earlier round.
  local id1 id2
  id1=$(xvfb_wait_window "$KV_TITLE_PRINTER" 60 "$pid1") || e2e_abort "run 1: no \"Select Printer\""
  id2=$(xvfb_wait_window "$KV_TITLE_PRINTER" 60 "$pid2") || e2e_abort "run 2: no \"Select Printer\""
  sleep 0.5
  xdotool windowmove "$id1" 0 0
  sleep 0.5
  kv_printer_set_copies "$id1" 2 || e2e_check "round $round: copies typed into run 1" false
  kv_printer_set_copies "$id2" 3 || e2e_check "round $round: copies typed into run 2" false
  # Both OKs as close together as a person's two clicks can be; a click that went astray
  # is made again.
  kv_printer_ok_closing "$id1" || e2e_check "round $round: run 1's dialog closes on OK" false
  kv_printer_ok_closing "$id2" || e2e_check "round $round: run 2's dialog closes on OK" false

  # Answer every message either run shows until both have ended; each box counts once.
  local messages=0 box
  local -A answered=()
  local deadline=$((SECONDS + 120))
  while kill -0 "$pid1" 2>/dev/null || kill -0 "$pid2" 2>/dev/null; do
    ((SECONDS < deadline)) || { e2e_check "round $round: both runs end" false; break; }
    for box in $(xvfb_find_windows "$KV_TITLE_MESSAGE" "$pid1" "$pid2"); do
      if [[ -z ${answered[$box]:-} ]]; then
        answered[$box]=1
        e2e_shot "$box" "twin-round$round-message$messages"
        messages=$((messages + 1))
      fi
      kv_message_ok "$box" || e2e_check "round $round: message box $box closes on OK" false
    done
    sleep 0.2
  done
  e2e_wait_exit "$pid1" 5; local status1=$KV_STATUS
  e2e_wait_exit "$pid2" 5; local status2=$KV_STATUS
  # A run still going at the end of its round is ended with it, so that no later round meets
  # its windows.
  end_leftover "$pid1"
  end_leftover "$pid2"
  cups_wait_drained "" 60

  local log=$app/actionlog.txt jobs errors
  jobs=$(cups_captured_count "$queue")
  errors=$(e2e_log_messages "$log" | grep -c '^ERROR IN OutputPrinter ROUTINE: ')
  e2e_check_equal "round $round: every action log line is whole" 0 "$(e2e_bad_log_lines "$log")"
  e2e_check "round $round: action log lines end with CR LF" e2e_all_crlf "$log"
  e2e_check_equal "round $round: both runs started printing" 2 \
    "$(e2e_log_messages "$log" | grep -c '^STARTING PRINTER OUTPUT$')"
  e2e_check "round $round: Printer.inp is one of the two complete versions" \
    bash -c 'cmp -s "$1" "$2" || cmp -s "$1" "$3"' _ "$work/Printer.inp" "$version1" "$version2"
  e2e_check_equal "round $round: one message box per logged error" "$errors" "$messages"
  e2e_check_equal "round $round: both runs exit normally" "0 0" "$status1 $status2"
  local kept=deleted
  if [[ -e $work/VORN.PRN ]]; then
    kept=kept
    e2e_check "round $round: the kept quote is unchanged" same_bytes "$original" "$work/VORN.PRN"
  else
    e2e_check "round $round: the deleted quote was printed" test "$jobs" -ge 1
    local file printed=0
    while IFS= read -r file; do
      grep -q "Quote number : Q-2026-004417" <(pdftotext "$file" - 2>/dev/null) && printed=$((printed + 1))
    done < <(cups_captured_files "$queue")
    e2e_check_equal "round $round: every captured job holds the quote" "$jobs" "$printed"
  fi
  e2e_check_equal "round $round: no file left beside the quote and the settings" "" \
    "$(cd "$work" && ls -A | grep -vx -e Printer.inp -e VORN.PRN)"
  local copies
  copies=$(e2e_lines "$work/Printer.inp" | sed -n 7p)
  echo "round $round: $jobs job(s) printed, quote $kept, $errors error line(s) and $messages message(s), Printer.inp holds copies $copies"
  rm -f "$original" "$version1" "$version2"
}

e2e_setup
for ((r = 1; r <= ROUNDS; r++)); do one_round "$r"; done
e2e_finish
