#!/usr/bin/env bash
# Prints a sample insurance quote with Kelvarin into a PDF.
#
# Installs what is missing, builds Kelvarin (preset "default", or VORN_PRESET), starts a
# private print server whose default printer saves each job as a PDF, writes a sample
# VORN.PRN into a fresh folder under build/demo/ and starts Kelvarin there. With a usable
# display you answer Kelvarin's windows yourself; without one Kelvarin runs on a virtual
# screen, its windows are answered as a person would (OK in "Select Printer") and
# screenshots are saved beside the PDF. Everything it started is stopped on exit.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
source "$VORN_REPO_ROOT/scripts/lib/cups.sh"
source "$VORN_REPO_ROOT/scripts/lib/xvfb.sh"
source "$VORN_REPO_ROOT/scripts/lib/kelvarin_ui.sh"
source "$VORN_REPO_ROOT/scripts/lib/sample_quote.sh"

preset=${VORN_PRESET:-default}
queue=quote-pdf
kelvarin_pid=

cleanup() {
  if [[ -n $kelvarin_pid ]] && kill -0 "$kelvarin_pid" 2>/dev/null; then
    kill -TERM "$kelvarin_pid" 2>/dev/null
    wait "$kelvarin_pid" 2>/dev/null
  fi
  xvfb_stop
  cups_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

vorn_clear_printer_env
vorn_ensure_packages "${VORN_PACKAGES[@]}"
vorn_log "building kelvarin (preset $preset)"
vorn_build "$preset" kelvarin form_layouts
KV_BIN_DIR=$(vorn_build_dir "$preset")/bin
kelvarin=$(vorn_build_dir "$preset")/bin/kelvarin
[[ -x $kelvarin ]] || vorn_die "no executable at $kelvarin"

run_dir=$VORN_REPO_ROOT/build/demo/$(date +%Y%m%d-%H%M%S)
mkdir -p "$run_dir" || vorn_die "cannot create $run_dir"
write_sample_quote "$run_dir/VORN.PRN"

vorn_log "starting the private print server"
cups_start || vorn_die "the private print server did not start"
cups_add_capture_queue "$queue" && cups_set_default "$queue" || vorn_die "no capture queue"

interactive=0
if xvfb_display_usable; then
  interactive=1
  vorn_log "Kelvarin opens on display $DISPLAY: confirm the printer \"$queue\" with OK"
else
  unset DISPLAY
  xvfb_start || vorn_die "Xvfb did not start"
  vorn_log "no display: Kelvarin runs on the virtual screen $DISPLAY"
fi

(cd "$run_dir" && exec "$kelvarin") >"$run_dir/kelvarin.out" 2>&1 &
kelvarin_pid=$!

answer_windows() {
  local progress dialog box
  dialog=$(xvfb_wait_window "$KV_TITLE_PRINTER" 60) || return 1
  progress=$(xvfb_wait_window "$KV_TITLE_PROGRESS" 10) &&
    kv_screenshot_progress "$progress" "$dialog" "$run_dir/progress-window.png"
  xvfb_screenshot "$dialog" "$run_dir/select-printer.png"
  kv_printer_ok "$dialog"
  xvfb_wait_wid_gone "$dialog" 20 || return 1
  # A message box appears only when printing failed.
  local deadline=$((SECONDS + 60))
  while kill -0 "$kelvarin_pid" 2>/dev/null; do
    box=$(xvfb_find_windows "$KV_TITLE_MESSAGE" | tail -n 1)
    if [[ -n $box ]]; then
      sleep 0.3
      xvfb_screenshot "$box" "$run_dir/message.png"
      vorn_log "Kelvarin reported a problem (see $run_dir/message.png); answering OK"
      kv_message_ok "$box"
      sleep 0.5
    fi
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}

if ((interactive == 0)); then
  answer_windows || vorn_log "Kelvarin's windows did not behave as expected"
fi
wait "$kelvarin_pid"
status=$?
kelvarin_pid=
vorn_log "kelvarin ended with status $status"

cups_wait_drained "" 30
copies=$(cups_captured_count)
if ((copies == 0)); then
  vorn_log "nothing was printed (cancelled, or see $run_dir/kelvarin.out and the action log)"
  [[ -e $run_dir/VORN.PRN ]] && vorn_log "the print file is still in $run_dir"
  exit 1
fi
n=0
while IFS= read -r pdf; do
  n=$((n + 1))
  target=$run_dir/quote.pdf
  ((copies > 1)) && target=$run_dir/quote-copy$n.pdf
  cp "$pdf" "$target"
  pages=$(pdfinfo "$target" 2>/dev/null | awk '/^Pages:/ { print $2 }')
  vorn_log "PDF: $target (${pages:-?} pages)"
done < <(cups_captured_files)
vorn_log "folder: $run_dir (Printer.inp, kelvarin.out$( ((interactive == 0)) && echo ", screenshots"))"
vorn_log "action log: $(dirname "$kelvarin")/actionlog.txt"
exit 0
