#!/usr/bin/env bash
# Performance benchmarks: Kelvarin's print job and Tesmo's search and patch against the tools a
# user would otherwise pick, each figure the median of several runs, reported as ratios.
#
#   bash scripts/bench.sh
#
# Installs what it needs (Debian packages, only those missing), builds the benchmarks in
# build/bench, makes the inputs in build/bench/inputs (the drive tree is kept between runs),
# runs every benchmark and prints a table, then one line per figure for scripts:
#   RESULT <figure> ratio=<ours/reference> goal<=<goal> PASS|FAIL   (goal=none INFO: reported)
# The exit status is 0 when every goal is met, 1 otherwise.
#
# VORN_BENCH_RUNS (default 7) sets the runs per figure; the memory figure runs 3 times.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
source "$VORN_REPO_ROOT/scripts/lib/cups.sh"
source "$VORN_REPO_ROOT/scripts/lib/xvfb.sh"

RUNS=${VORN_BENCH_RUNS:-7}
MEMORY_RUNS=3
BUILD=$VORN_REPO_ROOT/build/bench
BIN=$BUILD/bench
INPUTS=$BUILD/inputs
WORK=$BUILD/work

# The build's tools and libraries, the print server, the virtual screen and its fonts, and the
# reference tools the figures compare against.
vorn_ensure_packages g++ cmake ninja-build qt6-base-dev libcups2-dev libcups2 libgtest-dev \
  libgmock-dev libbenchmark-dev libx11-dev cups-daemon cups-client xvfb xauth x11-utils \
  fonts-dejavu-core fonts-liberation fontconfig procps paps enscript fd-find findutils sed \
  coreutils g++-mingw-w64-x86-64-posix wine wine64 ghostscript

vorn_log "building the benchmarks in $BUILD"
mkdir -p "$BUILD" || vorn_die "cannot create $BUILD"
cmake -S "$VORN_REPO_ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORN_BUILD_BENCH=ON >"$BUILD/configure.log" 2>&1 \
  || { cat "$BUILD/configure.log" >&2; vorn_die "configure failed"; }
cmake --build "$BUILD" -j "$(nproc 2>/dev/null || echo 2)" --target kelvarin bench_inputs \
  bench_render bench_print_memory bench_search bench_patch bench_minimal_dialog \
  bench_time_to_window >"$BUILD/build.log" 2>&1 \
  || { tail -n 40 "$BUILD/build.log" >&2; vorn_die "build failed"; }

vorn_clear_printer_env
export XDG_RUNTIME_DIR
XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vorn-bench-xdg.XXXXXX")
rm -rf "$WORK"
mkdir -p "$INPUTS" "$WORK"
cleanup() {
  xvfb_stop
  cups_stop
  rm -rf "$XDG_RUNTIME_DIR"
}
trap cleanup EXIT

vorn_log "making the inputs in $INPUTS"
"$BIN/bench_inputs" print "$INPUTS/quote20k.prn" 20000
"$BIN/bench_inputs" print "$INPUTS/quote20k.txt" 20000 LF
"$BIN/bench_inputs" print "$INPUTS/quote2k.prn" 2000
"$BIN/bench_inputs" print "$INPUTS/quote200k.prn" 200000
"$BIN/bench_inputs" data "$INPUTS/PROG01.DTA" 32767
if [[ ! -f $INPUTS/drive.done ]]; then
  "$BIN/bench_inputs" tree "$INPUTS/drive" >&2
  touch "$INPUTS/drive.done"
fi

# Google Benchmark flags shared by every in-process benchmark: medians only, runs interleaved
# so that a change in the machine's load falls on ours and the reference alike.
GB_FLAGS=(--benchmark_repetitions="$RUNS" --benchmark_enable_random_interleaving=true
  --benchmark_report_aggregates_only=true --benchmark_format=csv)

# median_of CSV NAME [COLUMN]: the median of COLUMN (default real_time, in ms; cpu_ms is the
# processor time) of benchmark NAME in a Google Benchmark CSV.
median_of() {
  awk -F, -v name="\"$2/" -v column="${3:-real_time}" '
    NR == 1 { for (i = 1; i <= NF; i++) { h = $i; gsub(/"/, "", h); if (h == column) c = i }; next }
    c && index($1, name) == 1 && $1 ~ /_median"$/ { print $c; exit }' "$1"
}
# median of the numbers on standard input, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# verdict RATIO GOAL: PASS when RATIO <= GOAL.
verdict() { awk -v r="$1" -v g="$2" 'BEGIN { print (r <= g ? "PASS" : "FAIL") }'; }

ROWS=()
RESULTS=()
FAILED=0
# row FIGURE OURS REFERENCE RATIO GOAL VERDICT CPU-RATIO
FORMAT='%-36s %-10s %-32s %-6s %-6s %-8s %s'
row() { ROWS+=("$(printf "$FORMAT" "$@")"); }
result() {
  local figure=$1 value=$2 goal=$3
  if [[ $goal == none ]]; then
    RESULTS+=("RESULT $figure ratio=$value goal=none INFO")
  else
    local v
    v=$(verdict "$value" "$goal")
    [[ $v == PASS ]] || FAILED=1
    RESULTS+=("RESULT $figure ratio=$value goal<=$goal $v")
  fi
}

# 1. Rendering: the print job writing a PDF through Qt, against paps and enscript.
vorn_log "rendering: 20,000 lines, $RUNS runs each"
"$BIN/bench_render" "${GB_FLAGS[@]}" "$INPUTS/quote20k.prn" "$INPUTS/quote20k.txt" \
  "$WORK/render" >"$WORK/render.csv" 2>"$WORK/render.log" \
  || { cat "$WORK/render.log" >&2; vorn_die "the rendering benchmark failed"; }
ours=$(median_of "$WORK/render.csv" render/ours)
paps=$(median_of "$WORK/render.csv" render/paps)
ours_cpu=$(median_of "$WORK/render.csv" render/ours cpu_ms)
render_native=$ours
r=$(ratio "$ours" "$paps")
row "render 20,000 lines to PDF (ms)" "$ours" "paps $paps (PostScript)" "$r" "0.5" \
  "$(verdict "$r" 0.5)" "$(ratio "$ours_cpu" "$(median_of "$WORK/render.csv" render/paps cpu_ms)")"
result render "$r" 0.5
enscript=$(median_of "$WORK/render.csv" render/enscript)
if [[ -n $enscript ]]; then
  row "  beside: enscript to PostScript" "$ours" "enscript $enscript" "$(ratio "$ours" "$enscript")" \
    "-" "INFO" "$(ratio "$ours_cpu" "$(median_of "$WORK/render.csv" render/enscript cpu_ms)")"
fi

# 2. Memory: peak resident memory of the print job, 200,000 lines against 2,000.
vorn_log "memory: 2,000 and 200,000 lines, $MEMORY_RUNS runs each"
peak() {
  local file=$1 i
  for ((i = 0; i < MEMORY_RUNS; i++)); do
    { "$BIN/bench_print_memory" "$file" "$WORK/memory" 2>>"$WORK/memory.log" || true; } \
      | sed -n 's/.*peak_rss_kb=\([0-9]*\).*/\1/p'
  done | median
}
small=$(peak "$INPUTS/quote2k.prn") && large=$(peak "$INPUTS/quote200k.prn") || true
[[ -n $small && -n $large ]] || { cat "$WORK/memory.log" >&2; vorn_die "the memory benchmark failed"; }
r=$(ratio "$large" "$small")
row "memory: peak RSS, 200,000 lines (kB)" "$large" "2,000 lines $small" "$r" "1.2" \
  "$(verdict "$r" 1.2)" "-"
result memory "$r" 1.2

# 3. Start-up: process start to the "Select Printer" dialog mapped on a virtual screen, against
# a minimal Qt Widgets program showing one dialog; both timed from outside the same way.
STARTUP_RUNS=$((RUNS * 3))
vorn_log "start-up: $STARTUP_RUNS runs each on Xvfb, with a private print server"
cups_start || vorn_die "the private print server did not start"
cups_add_capture_queue bench_pdf && cups_set_default bench_pdf
xvfb_start || vorn_die "Xvfb did not start"
mkdir -p "$WORK/startup"
startup_ms() {
  (cd "$WORK/startup" && env -u QT_QPA_PLATFORM "$BIN/bench_time_to_window" "$1" 30 "$2") \
    2>>"$WORK/startup.log" || { cat "$WORK/startup.log" >&2; vorn_die "no \"$1\" window"; }
}
startup_ms "Minimal Dialog" "$BIN/bench_minimal_dialog" >/dev/null  # warms the caches
startup_ms "Select Printer" "$BUILD/bin/kelvarin" >/dev/null
: >"$WORK/startup_min.txt"
: >"$WORK/startup_kel.txt"
for ((i = 0; i < STARTUP_RUNS; i++)); do
  startup_ms "Minimal Dialog" "$BIN/bench_minimal_dialog" >>"$WORK/startup_min.txt"
  startup_ms "Select Printer" "$BUILD/bin/kelvarin" >>"$WORK/startup_kel.txt"
done
xvfb_stop
cups_stop
minimal=$(median <"$WORK/startup_min.txt")
kelvarin=$(median <"$WORK/startup_kel.txt")
[[ -n $minimal && -n $kelvarin ]] || { cat "$WORK/startup.log" >&2; vorn_die "the start-up benchmark failed"; }
r=$(ratio "$kelvarin" "$minimal")
row "start-up to \"Select Printer\" (ms)" "$kelvarin" "minimal Qt dialog $minimal" "$r" "1.3" \
  "$(verdict "$r" 1.3)" "-"
result startup "$r" 1.3

# 3b. The Windows programs under Wine: Kelvarin.exe's start-up to "Select Printer" against a
# bare Win32 program showing one dialog, both timed from outside the same way; and the
# 20,000-line print file through Kelvarin's print job and the GDI printer service to a private
# queue (Wine's PostScript driver), timed until the last document is handed to the spooler.
vorn_log "Windows: building Kelvarin.exe and the bare Win32 dialog (preset windows-cross)"
(cd "$VORN_REPO_ROOT" && cmake --preset windows-cross -DVORN_BUILD_BENCH=ON &&
  cmake --build --preset windows-cross -j "$(nproc 2>/dev/null || echo 2)" --target kelvarin \
    bench_minimal_win32_dialog bench_minimal_spooler_dialog bench_same_windows_dialog \
    gdi_print_driver) \
  >"$BUILD.windows.log" 2>&1 \
  || { tail -n 40 "$BUILD.windows.log" >&2; vorn_die "the Windows build failed"; }
WINBUILD=$VORN_REPO_ROOT/build/windows-cross
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/vorn-bench-wine.XXXXXX")
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  xvfb_stop
  cups_stop
  rm -rf "$XDG_RUNTIME_DIR"
}
cups_start || vorn_die "the private print server did not start"
cups_add_capture_queue bench_win && cups_set_default bench_win
xvfb_start || vorn_die "Xvfb did not start"
(wineboot -i && wineserver -w) >/dev/null 2>&1
wineserver -p >/dev/null 2>&1
{
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Courier New" /t REG_SZ /d "Liberation Mono" /f
} >/dev/null 2>&1 || vorn_die "the Wine prefix could not be set up"
mkdir -p "$WORK/winstartup" "$WORK/winrender"
printf '%s\r\n' "" bench_win "" N N "Courier New" 1 0 --- '***' >"$WORK/winstartup/Printer.inp"
winstart_ms() {
  (cd "$WORK/winstartup" && "$BIN/bench_time_to_window" "$1" 60 wine "$2") \
    2>>"$WORK/winstartup.log" || { cat "$WORK/winstartup.log" >&2; vorn_die "no \"$1\" window under Wine"; }
}
vorn_log "Windows start-up: $STARTUP_RUNS runs each under Wine"
# Beside the bare dialog, the same dialog shown after one question to the spooler: loading the
# spooler's library has Wine bring its printer list up to date, which every printing program
# pays before its first window. And Kelvarin's two windows built from the same layout tables by
# the system's dialog manager after the same question to the spooler, without Kelvarin's form kit:
# what is left between it and Kelvarin is Kelvarin's own start.
MINIMAL_EXE=$WINBUILD/bench/win32/bench_minimal_win32_dialog.exe
SPOOLER_EXE=$WINBUILD/bench/win32/bench_minimal_spooler_dialog.exe
SAME_EXE=$WINBUILD/bench/win32/bench_same_windows_dialog.exe
winstart_ms "Minimal Dialog" "$MINIMAL_EXE" >/dev/null  # warms the caches
winstart_ms "Minimal Dialog" "$SPOOLER_EXE" >/dev/null
winstart_ms "Select Printer" "$SAME_EXE" >/dev/null
winstart_ms "Select Printer" "$WINBUILD/bin/Kelvarin.exe" >/dev/null
: >"$WORK/winstartup_min.txt"
: >"$WORK/winstartup_spool.txt"
: >"$WORK/winstartup_same.txt"
: >"$WORK/winstartup_kel.txt"
for ((i = 0; i < STARTUP_RUNS; i++)); do
  winstart_ms "Minimal Dialog" "$MINIMAL_EXE" >>"$WORK/winstartup_min.txt"
  winstart_ms "Minimal Dialog" "$SPOOLER_EXE" >>"$WORK/winstartup_spool.txt"
  winstart_ms "Select Printer" "$SAME_EXE" >>"$WORK/winstartup_same.txt"
  winstart_ms "Select Printer" "$WINBUILD/bin/Kelvarin.exe" >>"$WORK/winstartup_kel.txt"
done
minimal=$(median <"$WORK/winstartup_min.txt")
spooler=$(median <"$WORK/winstartup_spool.txt")
same=$(median <"$WORK/winstartup_same.txt")
kelvarin=$(median <"$WORK/winstartup_kel.txt")
r=$(ratio "$kelvarin" "$minimal")
row "Wine: start-up to \"Select Printer\" (ms)" "$kelvarin" "bare Win32 dialog $minimal" "$r" "1.1" \
  "$(verdict "$r" 1.1)" "-"
result wine_startup "$r" 1.1
# The fastest start of each, which a busy machine disturbs least.
fastest() { sort -g "$1" | head -n 1; }
row "  the fastest of each" "$(fastest "$WORK/winstartup_kel.txt")" \
  "bare Win32 dialog $(fastest "$WORK/winstartup_min.txt")" \
  "$(ratio "$(fastest "$WORK/winstartup_kel.txt")" "$(fastest "$WORK/winstartup_min.txt")")" "-" \
  "INFO" "-"
row "  beside: the dialog after the spooler" "$kelvarin" "spooler + dialog $spooler" \
  "$(ratio "$kelvarin" "$spooler")" "-" "INFO" "-"
result wine_startup_after_spooler "$(ratio "$kelvarin" "$spooler")" none
row "  beside: the same windows as templates" "$kelvarin" "dialog templates $same" \
  "$(ratio "$kelvarin" "$same")" "-" "INFO" "-"
result wine_startup_same_windows "$(ratio "$kelvarin" "$same")" none

WIN_RENDER_RUNS=$((RUNS < 3 ? RUNS : 3))
vorn_log "Windows render: 20,000 lines through GDI to a private queue, $WIN_RENDER_RUNS runs"
: >"$WORK/winrender.txt"
for ((i = 1; i <= WIN_RENDER_RUNS; i++)); do
  cp "$INPUTS/quote20k.prn" "$WORK/winrender/VORN.PRN"
  start_ns=$(date +%s%N)
  (cd "$WORK/winrender" && wine "$WINBUILD/tests/print/gdi_print_driver.exe" print bench_win 1) \
    >"$WORK/winrender.out" 2>&1 || { cat "$WORK/winrender.out" >&2; vorn_die "the GDI print failed"; }
  end_ns=$(date +%s%N)
  echo $(((end_ns - start_ns) / 1000000)) >>"$WORK/winrender.txt"
  cups_wait_captured "$i" 300 bench_win || vorn_die "the GDI job did not arrive"
done
wine_render=$(median <"$WORK/winrender.txt")
job=$(cups_captured_files bench_win | tail -n 1)
job_pages=$(grep -a '^%%Pages:' "$job" | tail -n 1 | awk '{ print $2 }')
job_mb=$(awk -v b="$(stat -c %s "$job")" 'BEGIN { printf "%.1f", b / 1048576 }')
row "Wine: render 20,000 lines via GDI (ms)" "$wine_render" "Qt to PDF, native $render_native" \
  "$(ratio "$wine_render" "$render_native")" "-" "INFO" "-"
row "  the job: $job_pages pages, $job_mb MB PostScript" "-" "-" "-" "-" "INFO" "-"
result wine_render "$(ratio "$wine_render" "$render_native")" none
wineserver -k >/dev/null 2>&1 || true
xvfb_stop
cups_stop

# 4. Search: FindProduct for all sixteen rows (one run: one walk) against one pass of find with
#    -iname for the sixteen names, and fdfind with one pattern for all sixteen.
vorn_log "search: 16 names over 100,000 files in 10,000 folders, $RUNS runs each"
"$BIN/bench_search" "${GB_FLAGS[@]}" "$INPUTS/drive" "$WORK/search" >"$WORK/search.csv" \
  2>"$WORK/search.log" || { cat "$WORK/search.log" >&2; vorn_die "the search benchmark failed"; }
ours=$(median_of "$WORK/search.csv" search/ours)
find=$(median_of "$WORK/search.csv" search/find)
ours_cpu=$(median_of "$WORK/search.csv" search/ours cpu_ms)
r=$(ratio "$ours" "$find")
row "search: 16 rows, 100,000 files (ms)" "$ours" "find, 16 x -iname $find" "$r" "1.0" \
  "$(verdict "$r" 1.0)" "$(ratio "$ours_cpu" "$(median_of "$WORK/search.csv" search/find cpu_ms)")"
result search "$r" 1.0
fd=$(median_of "$WORK/search.csv" search/fdfind)
if [[ -n $fd ]]; then
  r=$(ratio "$ours" "$fd")
  row "  against fdfind, one pattern" "$ours" "fdfind $fd" "$r" "1.0" "$(verdict "$r" 1.0)" \
    "$(ratio "$ours_cpu" "$(median_of "$WORK/search.csv" search/fdfind cpu_ms)")"
  result search_fd "$r" 1.0
fi

# 5. Patch: SetPrinterPort (which flushes to disk) against sed -i, with and without sync.
vorn_log "patch: 32,767 lines, $RUNS runs each"
"$BIN/bench_patch" "${GB_FLAGS[@]}" "$INPUTS/PROG01.DTA" "$WORK/patch" >"$WORK/patch.csv" \
  2>"$WORK/patch.log" || { cat "$WORK/patch.log" >&2; vorn_die "the patch benchmark failed"; }
ours=$(median_of "$WORK/patch.csv" patch/ours)
sed_plain=$(median_of "$WORK/patch.csv" patch/sed)
sed_sync=$(median_of "$WORK/patch.csv" patch/sed_sync)
ours_cpu=$(median_of "$WORK/patch.csv" patch/ours cpu_ms)
r_sync=$(ratio "$ours" "$sed_sync")
r_plain=$(ratio "$ours" "$sed_plain")
row "patch: 32,767 lines, flushed (ms)" "$ours" "sed -i + sync FILE $sed_sync" "$r_sync" "-" \
  "INFO" "$(ratio "$ours_cpu" "$(median_of "$WORK/patch.csv" patch/sed_sync cpu_ms)")"
row "  against sed -i, not flushed" "$ours" "sed -i $sed_plain" "$r_plain" "-" "INFO" \
  "$(ratio "$ours_cpu" "$(median_of "$WORK/patch.csv" patch/sed cpu_ms)")"
result patch_flushed "$r_sync" none
result patch_unflushed "$r_plain" none

echo
echo "Medians of $RUNS runs ($MEMORY_RUNS for memory, $STARTUP_RUNS for start-up); ratio = ours /"
echo "reference in elapsed time, goal = the highest ratio allowed, cpu = the same ratio in"
echo "processor time; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) at the end."
printf "$FORMAT\n" figure ours reference ratio goal verdict cpu
printf '%s\n' "${ROWS[@]}"
echo
printf '%s\n' "${RESULTS[@]}"
exit "$FAILED"
