# Shared set-up and checks of the end-to-end tests. The caller sets E2E_SCRIPTS_DIR (the
# repository's scripts/ folder) and sources this file; e2e_setup then starts a private print
# server and a virtual screen for this test alone, and everything is stopped on exit.

source "$E2E_SCRIPTS_DIR/lib/common.sh"
source "$E2E_SCRIPTS_DIR/lib/cups.sh"
source "$E2E_SCRIPTS_DIR/lib/xvfb.sh"
source "$E2E_SCRIPTS_DIR/lib/kelvarin_ui.sh"

E2E_FAILURES=0
E2E_PIDS=()
E2E_TMP=
E2E_NAME=${E2E_NAME:-e2e}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill -TERM "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
    fi
  done
  xvfb_stop
  ((E2E_FAILURES > 0)) && cups_dump_log
  cups_stop
  if [[ -n $E2E_TMP ]]; then
    if ((E2E_FAILURES == 0)); then
      rm -rf -- "$E2E_TMP"
    else
      echo "kept for inspection: $E2E_TMP" >&2
    fi
  fi
}

# Starts the print server and the screen; makes the artifacts folder.
e2e_setup() {
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
  vorn_clear_printer_env
  if [[ -z ${E2E_ARTIFACTS:-} ]]; then
    E2E_ARTIFACTS=$(mktemp -d "${TMPDIR:-/tmp}/vorn-e2e-artifacts.XXXXXX")
  fi
  mkdir -p "$E2E_ARTIFACTS"
  E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/vorn-e2e.XXXXXX") || e2e_abort "mktemp failed"
  cups_start || e2e_abort "the private print server did not start"
  unset DISPLAY
  xvfb_start || e2e_abort "Xvfb did not start"
  # Every temporary file of the test, the program's included, goes into one folder.
  export TMPDIR=$E2E_TMP
  # Qt keeps its runtime files here; nothing of the user's may leak into the run.
  export XDG_RUNTIME_DIR
  XDG_RUNTIME_DIR=$(e2e_temp_dir runtime)
  chmod 0700 "$XDG_RUNTIME_DIR"
  export HOME
  HOME=$(e2e_temp_dir home)
}

# A new folder inside the test's temporary folder (removed after a passing test, kept
# after a failing one); prints its path.
e2e_temp_dir() {
  mktemp -d "$E2E_TMP/$1.XXXXXX" || e2e_abort "mktemp failed"
}

e2e_abort() {
  echo "ABORT: $*" >&2
  E2E_FAILURES=$((E2E_FAILURES + 1))
  exit 1
}

# Records one check: e2e_check "what is checked" command args...
e2e_check() {
  local what=$1; shift
  if "$@"; then
    echo "ok   - $what"
  else
    echo "FAIL - $what"
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
}

# Compares two texts and shows both on a difference.
e2e_check_equal() {
  local what=$1 expected=$2 actual=$3
  if [[ $expected == "$actual" ]]; then
    echo "ok   - $what"
  else
    echo "FAIL - $what"
    echo "  expected: $(printf '%q' "$expected")"
    echo "  actual:   $(printf '%q' "$actual")"
    E2E_FAILURES=$((E2E_FAILURES + 1))
  fi
}

# Ends the test with its verdict as a closing line.
e2e_finish() {
  if ((E2E_FAILURES == 0)); then
    echo "$E2E_NAME: all checks passed"
    exit 0
  fi
  echo "$E2E_NAME: $E2E_FAILURES check(s) failed; artifacts in $E2E_ARTIFACTS"
  exit 1
}

# Starts kelvarin from APP_DIR with WORK_DIR as its current directory; sets KV_PID.
e2e_start_kelvarin() {
  local app=$1 work=$2
  local launch=("$app/kelvarin")
  # E2E_NO_PROC=1: in a mount namespace of its own where /proc is missing.
  [[ ${E2E_NO_PROC:-} == 1 ]] && launch=(unshare --mount --propagation private
    sh -c 'mount -t tmpfs -o size=4k none /proc && exec "$0"' "$app/kelvarin")
  (cd "$work" && exec "${launch[@]}") >>"$work.out" 2>&1 &
  KV_PID=$!
  E2E_PIDS+=("$KV_PID")
}

# Waits up to SECONDS for process PID to end; its exit status lands in KV_STATUS.
e2e_wait_exit() {
  local pid=$1 seconds=${2:-30}
  local deadline=$((SECONDS + seconds))
  while kill -0 "$pid" 2>/dev/null; do
    if ((SECONDS >= deadline)); then
      KV_STATUS=timeout
      return 1
    fi
    sleep 0.1
  done
  wait "$pid"
  KV_STATUS=$?
  return 0
}

# The lines of FILE with their CR removed (a missing file gives nothing).
e2e_lines() { [[ -f $1 ]] && tr -d '\r' <"$1"; }

# True when every line of FILE ends with CR LF.
e2e_all_crlf() {
  [[ -s $1 ]] || return 1
  local lf crlf
  lf=$(tr -cd '\n' <"$1" | wc -c)
  crlf=$(grep -c $'\r$' "$1")
  [[ $lf -eq $crlf && $(tail -c 1 "$1" | od -An -c | tr -d ' ') == '\n' ]]
}

# The action log's messages (timestamps removed), one a line.
e2e_log_messages() { e2e_lines "$1" | sed -E 's/^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} (AM|PM) - //'; }

# Number of lines of FILE that are not "yyyy-mm-dd hh:mm:ss AM - MESSAGE" with CR LF.
e2e_bad_log_lines() {
  local cr=$'\r'
  LC_ALL=C grep -cvE "^[0-9]{4}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01]) (0[1-9]|1[0-2]):[0-5][0-9]:[0-5][0-9] (AM|PM) - [^$cr]*$cr\$" "$1"
}

# The expected log of a successful run with COPIES copies.
e2e_expected_log() {
  local copies=$1 c
  printf '%s\n' "STARTING PRINTER OUTPUT" "PRINTER FOUND"
  for ((c = 1; c <= copies; c++)); do
    printf '%s\n' "STARTING PRINTOUT COPY $c" "PRINT FILE OPENED" "ABOUT TO CLOSE PRINT FILE" \
      "PRINT FILE CLOSED" "SENDING OUTPUT TO PRINTER" "OUTPUT SENT TO PRINTER"
  done
  printf '%s\n' "FIRING CLOSE ALL FILE BACKUP COMMAND" "CLOSE ALL COMMAND FIRED" \
    "ABOUT TO TERMINATE FILE" "PRINT FILE TERMINATED"
}

# The text a person reads in window WID: its picture, enlarged, read by OCR. Blanks and line
# breaks come out as single blanks, so texts are compared with e2e_squeeze applied to both.
e2e_read_window() {
  local wid=$1 png
  png=$(mktemp "${TMPDIR:-/tmp}/vorn-e2e-ocr.XXXXXX.png") || return 1
  if xvfb_screenshot "$wid" "$png" && convert "$png" -resize 300% -colorspace Gray "$png"; then
    tesseract "$png" - 2>/dev/null | e2e_squeeze
  fi
  rm -f -- "$png"
}

# TEXT (or stdin) with every run of blanks and line breaks made one blank, trimmed.
e2e_squeeze() {
  if (($# > 0)); then printf '%s' "$1"; else cat; fi | tr -s ' \t\n' '   ' | sed -e 's/^ //' -e 's/ $//'
}

# True when EXPECTED (blanks squeezed) occurs in the text read from window WID.
e2e_window_shows() {
  local expected actual
  expected=$(e2e_squeeze "$1")
  actual=$2
  [[ $actual == *"$expected"* ]] || { echo "  read: $actual" >&2; return 1; }
}

# The text of page PAGE of PDF, lines without trailing blanks, empty lines dropped.
e2e_pdf_page_text() {
  pdftotext -layout -f "$2" -l "$2" "$1" - 2>/dev/null | sed -e 's/[[:space:]]*$//' -e '/^$/d'
}

e2e_pdf_pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ { print $2 }'; }

# Saves a picture of window WID as NAME.png in the artifacts folder.
e2e_shot() {
  xvfb_screenshot "$1" "$E2E_ARTIFACTS/$2.png" || echo "note: no screenshot $2" >&2
}

# Waits for a "Kelvarin" message box (of process PID when given), saves a picture, reads its
# text and clicks its OK until it has gone. Prints the text as read (blanks squeezed); fails
# when no box appears within SECONDS (20).
e2e_answer_message() {
  local shot=$1 seconds=${2:-20} pid=${3:-} box text
  box=$(xvfb_wait_window "$KV_TITLE_MESSAGE" "$seconds" ${pid:+"$pid"}) || return 1
  e2e_shot "$box" "$shot"
  text=$(e2e_read_window "$box")
  kv_message_ok "$box"
  xvfb_wait_wid_gone "$box" 10 || return 1
  printf '%s\n' "$text"
}
