# A private CUPS print server for the tests and the demo, never the machine's own.
#
# cups_start makes a temporary folder with the server's own configuration, state, cache,
# spool, logs and socket, runs `cupsd -f` on it (no network port, no browsing) and exports
# CUPS_SERVER (the socket) and CUPS_SERVERROOT, so that libcups, Qt and the lp* commands of
# this shell and its children talk to it alone. Capture queues save every job's document as
# $CUPS_CAPTURE_DIR/job-<id>.pdf and add a line to $CUPS_CAPTURE_INDEX:
#   <job id> TAB <queue> TAB <user> TAB <title> TAB <copies> TAB <options>
#
#   source scripts/lib/cups.sh
#   cups_start || exit 1; trap cups_stop EXIT
#   cups_add_capture_queue quotes; cups_set_default quotes
#   ... print ...; cups_wait_captured 2 60; cups_wait_drained quotes 30
#
# Needs packages cups-daemon and cups-client. Runs as root (the backend is root-run).

CUPS_SYSTEM_SERVERBIN=${CUPS_SYSTEM_SERVERBIN:-/usr/lib/cups}
CUPS_SYSTEM_DATADIR=${CUPS_SYSTEM_DATADIR:-/usr/share/cups}
CUPSD=${CUPSD:-/usr/sbin/cupsd}

# The capture backend: copies the job's document byte for byte into the capture folder.
# Written out with the folder's path filled in, because cupsd starts backends with a bare
# environment.
_cups_write_backend() {
  local target=$1 capture_dir=$2
  cat >"$target" <<EOF
#!/bin/sh
# capture backend: saves each job's document as job-<id>.pdf and indexes it.
capture_dir='$capture_dir'
if [ \$# -eq 0 ]; then
  echo 'direct capture "Unknown" "Document capture to files"'
  exit 0
fi
if [ \$# -lt 5 ] || [ \$# -gt 6 ]; then
  echo "Usage: capture job-id user title copies options [file]" >&2
  exit 1
fi
job=\$1 user=\$2 title=\$3 copies=\$4 options=\$5
part="\$capture_dir/.job-\$job.part"
if [ \$# -eq 6 ]; then
  cat -- "\$6" >"\$part" || exit 1
else
  cat >"\$part" || exit 1
fi
# The rename makes a finished file appear whole; the index line follows the file.
chmod 0644 "\$part"
mv -f -- "\$part" "\$capture_dir/job-\$job.pdf" || exit 1
printf '%s\t%s\t%s\t%s\t%s\t%s\n' "\$job" "\${PRINTER:-}" "\$user" "\$title" "\$copies" \\
  "\$options" >>"\$capture_dir/index.tsv"
echo "INFO: captured job \$job" >&2
exit 0
EOF
  # Mode 0700: cupsd runs a backend that others may not execute as root.
  chmod 0700 "$target"
}

# Starts the server. Sets CUPS_DIR, CUPS_PID, CUPS_SOCKET, CUPS_CAPTURE_DIR,
# CUPS_CAPTURE_INDEX; exports CUPS_SERVER and CUPS_SERVERROOT; unsets PRINTER and LPDEST.
cups_start() {
  [[ -x $CUPSD ]] || { echo "cups_start: $CUPSD missing (package cups-daemon)" >&2; return 1; }
  local base=${TMPDIR:-/tmp}
  # A unix socket path must stay under 108 bytes.
  ((${#base} <= 60)) || base=/tmp
  CUPS_DIR=$(mktemp -d "$base/vorn-cups.XXXXXX") || return 1
  chmod 0755 "$CUPS_DIR"
  local d
  for d in etc etc/ppd etc/ssl cache state state/certs log spool spool/tmp run capture serverbin \
           serverbin/backend; do
    mkdir -p "$CUPS_DIR/$d"
  done
  chmod 0710 "$CUPS_DIR/spool"
  chmod 1777 "$CUPS_DIR/spool/tmp"
  CUPS_SOCKET=$CUPS_DIR/run/cups.sock
  CUPS_CAPTURE_DIR=$CUPS_DIR/capture
  CUPS_CAPTURE_INDEX=$CUPS_CAPTURE_DIR/index.tsv
  : >"$CUPS_CAPTURE_INDEX"

  # The server's programs: the system's filters, daemons and so on, our backend alone.
  local entry
  for entry in "$CUPS_SYSTEM_SERVERBIN"/*; do
    [[ ${entry##*/} == backend ]] && continue
    ln -s "$entry" "$CUPS_DIR/serverbin/${entry##*/}"
  done
  _cups_write_backend "$CUPS_DIR/serverbin/backend/capture" "$CUPS_CAPTURE_DIR"

  cat >"$CUPS_DIR/etc/cups-files.conf" <<EOF
ServerRoot $CUPS_DIR/etc
ServerBin $CUPS_DIR/serverbin
DataDir $CUPS_SYSTEM_DATADIR
StateDir $CUPS_DIR/state
CacheDir $CUPS_DIR/cache
RequestRoot $CUPS_DIR/spool
TempDir $CUPS_DIR/spool/tmp
AccessLog $CUPS_DIR/log/access_log
ErrorLog $CUPS_DIR/log/error_log
PageLog $CUPS_DIR/log/page_log
Printcap $CUPS_DIR/state/printcap
FileDevice No
SystemGroup root
CreateSelfSignedCerts no
EOF
  cat >"$CUPS_DIR/etc/cupsd.conf" <<EOF
# Private test server: a local socket only, nothing shared or announced.
Listen $CUPS_SOCKET
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
LogLevel info
MaxLogSize 0
DefaultAuthType None
PreserveJobHistory Yes
PreserveJobFiles No
MaxJobs 0
JobRetryLimit 0
ErrorPolicy abort-job
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  # Client side: no user or system lpoptions may name another default.
  : >"$CUPS_DIR/etc/client.conf"

  "$CUPSD" -f -c "$CUPS_DIR/etc/cupsd.conf" -s "$CUPS_DIR/etc/cups-files.conf" \
    >"$CUPS_DIR/log/cupsd.out" 2>&1 &
  CUPS_PID=$!
  export CUPS_SERVER=$CUPS_SOCKET
  export CUPS_SERVERROOT=$CUPS_DIR/etc
  unset PRINTER LPDEST

  local deadline=$((SECONDS + 20))
  until lpstat -r 2>/dev/null | grep -q 'is running'; do
    if ! kill -0 "$CUPS_PID" 2>/dev/null || ((SECONDS >= deadline)); then
      echo "cups_start: the private cupsd did not come up" >&2
      cups_dump_log >&2
      cups_stop
      return 1
    fi
    sleep 0.1
  done
}

# Adds a raw queue NAME whose jobs land in the capture folder, enabled and accepting.
cups_add_capture_queue() {
  local name=$1
  lpadmin -p "$name" -E -v capture:/ -D "Capture queue $name" -L "$CUPS_CAPTURE_DIR" \
    || { echo "cups_add_capture_queue: lpadmin failed for $name" >&2; return 1; }
  cupsenable "$name" && cupsaccept "$name"
}

# Makes NAME the private server's default printer.
cups_set_default() { lpadmin -d "$1"; }

# Makes queue NAME refuse new jobs.
cups_reject() { cupsreject -r "closed by the test" "$1"; }

# Waits until queue NAME (or every queue) has no pending job, for at most SECONDS (30).
cups_wait_drained() {
  local name=${1:-} seconds=${2:-30}
  local deadline=$((SECONDS + seconds)) args=()
  [[ -n $name ]] && args=("$name")
  while [[ -n $(lpstat -o "${args[@]}" 2>/dev/null) ]]; do
    ((SECONDS < deadline)) || { echo "cups_wait_drained: jobs still pending" >&2; return 1; }
    sleep 0.2
  done
}

# Number of documents captured so far (on QUEUE when given).
cups_captured_count() {
  local queue=${1:-}
  if [[ -n $queue ]]; then
    awk -F'\t' -v q="$queue" '$2 == q' "$CUPS_CAPTURE_INDEX" | wc -l
  else
    wc -l <"$CUPS_CAPTURE_INDEX"
  fi
}

# Waits until at least COUNT documents were captured (on QUEUE when given), SECONDS (60).
cups_wait_captured() {
  local count=$1 seconds=${2:-60} queue=${3:-}
  local deadline=$((SECONDS + seconds))
  while (($(cups_captured_count "$queue") < count)); do
    ((SECONDS < deadline)) || { echo "cups_wait_captured: fewer than $count jobs" >&2; return 1; }
    sleep 0.2
  done
}

# The captured files of QUEUE (or all), in job order, one path a line.
cups_captured_files() {
  local queue=${1:-}
  awk -F'\t' -v q="$queue" -v d="$CUPS_CAPTURE_DIR" 'q == "" || $2 == q { print d "/job-" $1 ".pdf" }' \
    "$CUPS_CAPTURE_INDEX"
}

# Prints the server's error log (for a failing test's output).
cups_dump_log() {
  [[ -n ${CUPS_DIR:-} ]] || return 0
  echo "---- private cupsd error_log ----"
  tail -n 60 "$CUPS_DIR/log/error_log" 2>/dev/null
  tail -n 20 "$CUPS_DIR/log/cupsd.out" 2>/dev/null
}

# Stops the server by its PID and removes its folder (kept when CUPS_KEEP=1).
cups_stop() {
  if [[ -n ${CUPS_PID:-} ]] && kill -0 "$CUPS_PID" 2>/dev/null; then
    kill -TERM "$CUPS_PID" 2>/dev/null
    local i
    for ((i = 0; i < 100; i++)); do
      kill -0 "$CUPS_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$CUPS_PID" 2>/dev/null && kill -KILL "$CUPS_PID" 2>/dev/null
    wait "$CUPS_PID" 2>/dev/null
  fi
  CUPS_PID=
  if [[ -n ${CUPS_DIR:-} && -d $CUPS_DIR && ${CUPS_KEEP:-0} != 1 ]]; then
    rm -rf -- "$CUPS_DIR"
  fi
  CUPS_DIR=
  unset CUPS_SERVER CUPS_SERVERROOT
}
