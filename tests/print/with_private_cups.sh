#!/usr/bin/env bash
# Runs a test program against a private print server with one capture queue, the default,
# and tells it what to expect there.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/scripts/lib/common.sh"
source "$repo/scripts/lib/cups.sh"
vorn_clear_printer_env
cups_start
trap cups_stop EXIT
cups_add_capture_queue vorn-probe
cups_set_default vorn-probe
export VORN_EXPECT_PRINTER=vorn-probe VORN_EXPECT_DEFAULT=vorn-probe
export VORN_EXPECT_PORT=${VORN_EXPECT_PORT-capture:/}
"$@"
