#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest (the cross build's emulator). Now and then Wine
# fails to start a program at all ("Application could not be started"), before any of its code
# runs; only that start is tried once more. Whatever the program itself does counts as it is.
set -uo pipefail
out=$(mktemp "${TMPDIR:-/tmp}/vorn-wine-run.XXXXXX")
err=$(mktemp "${TMPDIR:-/tmp}/vorn-wine-run.XXXXXX")
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2; do
  wine "$@" >"$out" 2>"$err"
  status=$?
  if ((status != 0)) && [[ ! -s $out ]] && grep -q 'Application could not be started' "$err" &&
    ((attempt == 1)); then
    echo "wine_run: Wine could not start $1; starting it once more" >&2
    sleep 1
    continue
  fi
  break
done
cat "$out"
cat "$err" >&2
exit "$status"
