#!/usr/bin/env bash
# The project's test command (CI runs exactly this): installs what is missing, configures
# with the "ci" preset (warnings are errors), builds everything and runs every CTest test
# (unit, window and end-to-end). Exits non-zero on any failure.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

vorn_clear_printer_env
vorn_ensure_packages "${VORN_PACKAGES[@]}"

started=$SECONDS
vorn_log "configuring and building (preset ci)"
vorn_build ci
vorn_log "build took $((SECONDS - started)) s"

njobs=$(nproc 2>/dev/null || echo 2)
cd "$VORN_REPO_ROOT" || exit 1
# CTest prints its summary line ("N% tests passed, N tests failed out of N") itself; a run
# that finds no test is a failure.
ctest --preset ci --output-on-failure --no-tests=error -j "$njobs" --timeout 300
status=$?
vorn_log "ctest exit status $status after $((SECONDS - started)) s in all"
exit "$status"
