#!/usr/bin/env bash
# The project's test command (CI runs exactly this): installs what is missing, configures
# with the "ci" preset (warnings are errors), builds everything and runs every CTest test
# (unit, window, reliability and end-to-end); then the Windows job (the Qt-free code
# cross-built with MinGW-w64, its tests run under Wine); then the reliability job (every test
# again under AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for a
# bounded time). Exits non-zero on any failure.
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

vorn_clear_printer_env
vorn_ensure_packages "${VORN_PACKAGES[@]}"
vorn_ensure_comma_locale

started=$SECONDS
vorn_log "configuring and building (preset ci)"
vorn_build ci
vorn_log "build took $((SECONDS - started)) s"

njobs=$(nproc 2>/dev/null || echo 2)
cd "$VORN_REPO_ROOT" || exit 1
# CTest prints its summary line ("N% tests passed, N tests failed out of N") itself; a run
# that finds no test is a failure.
# Every suite's summary line is kept, for the closing count of all suites together.
summary=$(mktemp "${TMPDIR:-/tmp}/vorn-test-summary.XXXXXX")
trap 'rm -f "$summary"' EXIT
ctest --preset ci --output-on-failure --no-tests=error -j "$njobs" --timeout 300 \
  | tee -a "$summary"
status=${PIPESTATUS[0]}
vorn_log "native ctest exit status $status after $((SECONDS - started)) s in all"

vorn_log "Windows job: cross build and tests under Wine"
bash "$VORN_REPO_ROOT/scripts/test_windows.sh" | tee -a "$summary"
windows_status=${PIPESTATUS[0]}
vorn_log "Windows job exit status $windows_status after $((SECONDS - started)) s in all"

vorn_log "Reliability job: sanitizers and fuzzing"
bash "$VORN_REPO_ROOT/scripts/test_reliability.sh" | tee -a "$summary"
reliability_status=${PIPESTATUS[0]}
vorn_log "Reliability job exit status $reliability_status after $((SECONDS - started)) s in all"

# The three suites' counts together (native, Windows under Wine, under the sanitizers).
awk '/tests passed, [0-9]+ tests failed out of/ {failed += $4; total += $NF}
     END {printf "Tests: %d passed, %d failed\n", total - failed, failed}' "$summary"
((status == 0 && windows_status == 0 && reliability_status == 0))
