#!/usr/bin/env bash
# Runs a test program against a private print server of its own (never the machine's), and
# tells it the server's process and capture index so that it can stop the server or count
# the captured jobs.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/scripts/lib/common.sh"
source "$repo/scripts/lib/cups.sh"
vorn_clear_printer_env
cups_start
trap cups_stop EXIT
export VORN_CUPS_PID=$CUPS_PID VORN_CUPS_CAPTURE_INDEX=$CUPS_CAPTURE_INDEX
export QT_QPA_PLATFORM=offscreen
"$@"
