#!/usr/bin/env bash
# Both programs on a display that cannot be opened: one line on stderr and exit status 1,
# within a bounded time, instead of Qt's abort (status 134).
#   no_display.sh BIN_DIR
set -u
bin_dir=$1
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
failures=0

# check NAME DISPLAY_VALUE COMMAND...: runs the command with that display and no platform set.
check() {
  local name=$1 display=$2
  shift 2
  local status envs=(-u QT_QPA_PLATFORM -u WAYLAND_DISPLAY)
  if [[ -n $display ]]; then envs+=("DISPLAY=$display"); else envs+=(-u DISPLAY); fi
  (cd "$work" && env "${envs[@]}" timeout -s KILL 30 "$@" >"$work/out" 2>"$work/err" </dev/null)
  status=$?
  local lines
  lines=$(grep -c '' "$work/err")
  if [[ $status -ne 1 || $lines -ne 1 ]] || ! grep -q 'cannot open the display' "$work/err"; then
    echo "FAIL $name: status $status (want 1), $lines stderr lines (want 1):" >&2
    sed 's/^/  | /' "$work/err" >&2
    failures=$((failures + 1))
  else
    echo "ok   $name: status 1, stderr: $(cat "$work/err")"
  fi
}

for program in kelvarin tesmo; do
  [[ -x $bin_dir/$program ]] || { echo "FAIL: $bin_dir/$program missing" >&2; exit 1; }
  args=()
  [[ $program == tesmo ]] && args=(/d)
  check "$program, unreachable display" ":987" "$bin_dir/$program" "${args[@]}"
  check "$program, no DISPLAY" "" "$bin_dir/$program" "${args[@]}"
done
# Kelvarin leaves the print file and creates no settings file when it cannot start.
[[ -e $work/Printer.inp ]] && { echo "FAIL: Printer.inp created without a display" >&2; failures=$((failures + 1)); }
exit $((failures > 0))
