# A private virtual screen (Xvfb) and helpers to work its windows as a person would.
#
#   source scripts/lib/xvfb.sh
#   xvfb_start || exit 1; trap xvfb_stop EXIT      # exports DISPLAY
#   wid=$(xvfb_wait_window "Select Printer" 30)
#   xvfb_click "$wid" 278 221; xvfb_screenshot "$wid" shot.png
#
# There is no window manager: windows have no frames, and positions given to xvfb_click are
# relative to the window's client area. Needs xvfb, x11-utils, xdotool and imagemagick.

XVFB_SCREEN=${XVFB_SCREEN:-1280x1024x24}

# Starts Xvfb on a free display number (the server picks it), no TCP. Sets XVFB_PID,
# XVFB_DISPLAY and exports DISPLAY once the server answers.
xvfb_start() {
  command -v Xvfb >/dev/null || { echo "xvfb_start: Xvfb missing (package xvfb)" >&2; return 1; }
  XVFB_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vorn-xvfb.XXXXXX") || return 1
  local fdfile=$XVFB_DIR/display
  : >"$fdfile"
  # -displayfd: the server takes the first free display number and writes it to fd 3.
  Xvfb -displayfd 3 -nolisten tcp -screen 0 "$XVFB_SCREEN" -noreset \
    3>"$fdfile" >"$XVFB_DIR/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local deadline=$((SECONDS + 20))
  # The number arrives with a line feed in one write.
  until [[ $(od -An -c "$fdfile") == *'\n'* ]]; do
    if ! kill -0 "$XVFB_PID" 2>/dev/null || ((SECONDS >= deadline)); then
      echo "xvfb_start: Xvfb did not start" >&2
      cat "$XVFB_DIR/xvfb.log" >&2
      xvfb_stop
      return 1
    fi
    sleep 0.05
  done
  XVFB_DISPLAY=:$(tr -dc '0-9' <"$fdfile")
  export DISPLAY=$XVFB_DISPLAY
  until xdpyinfo >/dev/null 2>&1; do
    if ((SECONDS >= deadline)); then
      echo "xvfb_start: display $DISPLAY does not answer" >&2
      xvfb_stop
      return 1
    fi
    sleep 0.05
  done
}

# Stops the Xvfb that xvfb_start started, by its PID.
xvfb_stop() {
  if [[ -n ${XVFB_PID:-} ]] && kill -0 "$XVFB_PID" 2>/dev/null; then
    kill -TERM "$XVFB_PID" 2>/dev/null
    local i
    for ((i = 0; i < 50; i++)); do
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$XVFB_PID" 2>/dev/null && kill -KILL "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
  fi
  XVFB_PID=
  [[ -n ${XVFB_DIR:-} ]] && rm -rf -- "$XVFB_DIR"
  XVFB_DIR=
}

# True when DISPLAY names a screen that answers.
xvfb_display_usable() { [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; }

# The visible windows whose title is exactly TITLE, one id a line (none: empty).
xvfb_find_windows() {
  local title=$1
  local pattern
  pattern="^$(printf '%s' "$title" | sed 's/[][\.*^$(){}?+|/]/\\&/g')\$"
  xdotool search --onlyvisible --name "$pattern" 2>/dev/null
}

# Waits until a visible window titled TITLE exists and prints its id (the newest when there
# are several). SECONDS defaults to 30. Fails on timeout.
xvfb_wait_window() {
  local title=$1 seconds=${2:-30} ids
  local deadline=$((SECONDS + seconds))
  while :; do
    ids=$(xvfb_find_windows "$title")
    if [[ -n $ids ]]; then
      # Give the window a moment to be mapped and drawn before it is used.
      sleep 0.3
      printf '%s\n' "$ids" | tail -n 1
      return 0
    fi
    ((SECONDS < deadline)) || { echo "xvfb_wait_window: no window \"$title\"" >&2; return 1; }
    sleep 0.1
  done
}

# Waits until no visible window titled TITLE is left, for at most SECONDS (30).
xvfb_wait_window_gone() {
  local title=$1 seconds=${2:-30}
  local deadline=$((SECONDS + seconds))
  while [[ -n $(xvfb_find_windows "$title") ]]; do
    ((SECONDS < deadline)) || { echo "xvfb_wait_window_gone: \"$title\" still open" >&2; return 1; }
    sleep 0.1
  done
}

# Waits until window WID is no longer visible (closed or unmapped), SECONDS (30).
xvfb_wait_wid_gone() {
  local wid=$1 seconds=${2:-30}
  local deadline=$((SECONDS + seconds))
  while xwininfo -id "$wid" 2>/dev/null | grep -q 'Map State: IsViewable'; do
    ((SECONDS < deadline)) || { echo "xvfb_wait_wid_gone: window $wid still open" >&2; return 1; }
    sleep 0.1
  done
}

# Clicks the left button at client position X Y of window WID (CLICKS times, default once).
xvfb_click() {
  local wid=$1 x=$2 y=$3 clicks=${4:-1}
  xdotool mousemove --sync --window "$wid" "$x" "$y" click --repeat "$clicks" --delay 80 1
}

# Gives window WID the keyboard focus, so that xvfb_key and xvfb_type reach it.
xvfb_focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# Presses KEYS (xdotool key names such as Down, Return, ctrl+a) on the focused window.
xvfb_key() { xdotool key --delay 60 "$@"; }

# Types TEXT on the focused window.
xvfb_type() { xdotool type --delay 40 -- "$1"; }

# Saves a picture of window WID as FILE (PNG).
xvfb_screenshot() {
  local wid=$1 file=$2
  import -window "$wid" "$file" 2>/dev/null || { echo "xvfb_screenshot: import failed" >&2; return 1; }
}

# Client-area size of window WID as "WIDTH HEIGHT".
xvfb_window_size() {
  xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }'
}
