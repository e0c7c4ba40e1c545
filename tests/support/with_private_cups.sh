#!/usr/bin/env bash
# Runs a test program against a private print server of its own (never the machine's), and
# tells it the server's process and capture index (VORN_CUPS_PID, VORN_CUPS_CAPTURE_INDEX) so
# that it can stop the server or count the captured jobs.
#
# Usage: with_private_cups.sh [--probe-queue NAME] [--offscreen] [--] PROGRAM [ARGS...]
#   --probe-queue NAME  adds the capture queue NAME, makes it the default and tells the program
#                       to expect it there (VORN_EXPECT_PRINTER, _DEFAULT, _PORT)
#   --offscreen         Qt windows on the offscreen platform
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/scripts/lib/common.sh"
source "$repo/scripts/lib/cups.sh"

probe=
while (($# > 0)); do
  case $1 in
    --probe-queue) probe=$2; shift 2 ;;
    --offscreen) export QT_QPA_PLATFORM=offscreen; shift ;;
    --) shift; break ;;
    -*) vorn_die "with_private_cups.sh: unknown option $1" ;;
    *) break ;;
  esac
done
(($# > 0)) || vorn_die "usage: with_private_cups.sh [--probe-queue NAME] [--offscreen] [--] PROGRAM [ARGS...]"

vorn_clear_printer_env
cups_start
trap cups_stop EXIT
export VORN_CUPS_PID=$CUPS_PID VORN_CUPS_CAPTURE_INDEX=$CUPS_CAPTURE_INDEX
if [[ -n $probe ]]; then
  cups_add_capture_queue "$probe"
  cups_set_default "$probe"
  export VORN_EXPECT_PRINTER=$probe VORN_EXPECT_DEFAULT=$probe
  export VORN_EXPECT_PORT=${VORN_EXPECT_PORT-capture:/}
fi
"$@"
