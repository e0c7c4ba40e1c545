#!/usr/bin/env bash
# The reliability run: (1) the whole native test suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer (preset asan), (2) each libFuzzer target built with clang (preset
# fuzz) and run for a bounded time. Fails on any test failure, crash, leak or sanitizer report.
# An input a fuzzer finds is copied to fuzz/regressions/<target>/, where the replay tests of
# every build pick it up once it is committed.
#
#   scripts/test_reliability.sh [--no-asan] [--no-fuzz]
#   FUZZ_SECONDS=30 (each target)   ASAN_CTEST_ARGS="-LE e2e" (extra ctest arguments)
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

run_asan=1 run_fuzz=1
for arg in "$@"; do
  case $arg in
    --no-asan) run_asan=0 ;;
    --no-fuzz) run_fuzz=0 ;;
    *) vorn_die "unknown argument $arg" ;;
  esac
done
FUZZ_SECONDS=${FUZZ_SECONDS:-30}
FUZZ_TARGETS=(settings_reader print_job port_patcher number_parse tree_search)
# Two cores are shared: never more than two jobs.
njobs=$(nproc 2>/dev/null || echo 2)
((njobs > 2)) && njobs=2

vorn_clear_printer_env
vorn_ensure_packages "${VORN_PACKAGES[@]}" clang libclang-rt-14-dev
cd "$VORN_REPO_ROOT" || exit 1
started=$SECONDS
failures=0

# Sanitizer reports end the process with an error; leaks are reported at exit. Qt's own
# one-time allocations that are never freed are listed, with the proof, in the suppressions.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$VORN_REPO_ROOT/tests/reliability/lsan_qt.supp:print_suppressions=0}

if ((run_asan)); then
  vorn_log "configuring and building with sanitizers (preset asan)"
  cmake --preset asan >/dev/null || vorn_die "cmake configure (preset asan) failed"
  cmake --build --preset asan -j "$njobs" || vorn_die "build (preset asan) failed"
  vorn_log "sanitizer build took $((SECONDS - started)) s; running every test under it"
  read -r -a extra <<<"${ASAN_CTEST_ARGS:-}"
  if ! ctest --test-dir build/asan --output-on-failure --no-tests=error -j "$njobs" \
      --timeout 600 "${extra[@]}"; then
    failures=$((failures + 1))
    vorn_log "FAILED: the test suite under the sanitizers"
  fi
  vorn_log "sanitizer part done after $((SECONDS - started)) s"
fi

if ((run_fuzz)); then
  fuzz_started=$SECONDS
  vorn_log "configuring and building the fuzz targets (preset fuzz, clang)"
  cmake --preset fuzz >/dev/null || vorn_die "cmake configure (preset fuzz) failed"
  cmake --build --preset fuzz -j "$njobs" || vorn_die "build (preset fuzz) failed"
  work=build/fuzz/work
  fuzz_passed=0 fuzz_failed=0
  for target in "${FUZZ_TARGETS[@]}"; do
    # New inputs go to a scratch corpus; the committed seeds and regressions are only read.
    rm -rf "${work:?}/$target" && mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
    vorn_log "fuzzing $target for $FUZZ_SECONDS s"
    if build/fuzz/fuzz/fuzz_"$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/$target/artifacts/" \
        "$work/$target/corpus" "fuzz/corpus/$target" "fuzz/regressions/$target" \
        >"$work/$target/log" 2>&1; then
      fuzz_passed=$((fuzz_passed + 1))
      vorn_log "$target: $(grep -E '^stat::number_of_executed_units' "$work/$target/log" | awk '{ print $2 }') inputs, no finding"
    else
      fuzz_failed=$((fuzz_failed + 1))
      tail -n 40 "$work/$target/log" >&2
      for found in "$work/$target/artifacts"/*; do
        [[ -f $found ]] || continue
        cp -- "$found" "fuzz/regressions/$target/"
        vorn_log "FOUND: $target input kept as fuzz/regressions/$target/${found##*/} (commit it)"
      done
    fi
  done
  vorn_log "fuzzing took $((SECONDS - fuzz_started)) s"
  echo "fuzz: $fuzz_passed passed, $fuzz_failed failed"
  ((fuzz_failed == 0)) || failures=$((failures + 1))
fi

vorn_log "reliability run finished after $((SECONDS - started)) s with $failures failing part(s)"
((failures == 0))
