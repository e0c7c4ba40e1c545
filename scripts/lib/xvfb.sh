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

# The visible windows whose title is exactly TITLE, one id a line (none: empty). With PIDs
# given, only the windows of those processes: a window left over from an earlier step, or of
# another program, is never taken for the one wanted.
xvfb_find_windows() {
  local title=$1 pattern pid
  shift
  pattern="^$(printf '%s' "$title" | sed 's/[][\.*^$(){}?+|/]/\\&/g')\$"
  if (($# == 0)); then
    xdotool search --onlyvisible --name "$pattern" 2>/dev/null
    return 0
  fi
  for pid in "$@"; do
    xdotool search --all --onlyvisible --pid "$pid" --name "$pattern" 2>/dev/null
  done
  return 0
}

# Waits until a visible window titled TITLE exists and prints its id (the newest when there
# are several). SECONDS defaults to 30; PIDs, when given, limit the search to those
# processes' windows. Fails on timeout.
xvfb_wait_window() {
  local title=$1 seconds=${2:-30} ids
  shift 2 2>/dev/null || shift $#
  local deadline=$((SECONDS + seconds))
  while :; do
    ids=$(xvfb_find_windows "$title" "$@")
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
  while xvfb_wid_viewable "$wid"; do
    ((SECONDS < deadline)) || { echo "xvfb_wait_wid_gone: window $wid still open" >&2; return 1; }
    sleep 0.1
  done
}

# True while window WID is mapped and viewable.
xvfb_wid_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# Gives window WID the keyboard focus and waits until the X server reports it there (or on a
# window inside it), asking again now and then: without a window manager two programs take the
# focus from each other, and a click or a key that straddles such a change goes astray.
# SECONDS defaults to 10; fails when the focus never arrives.
xvfb_focus() {
  local wid=$1 seconds=${2:-10} focused tries=0
  local deadline=$((SECONDS + seconds))
  while :; do
    if ((tries % 5 == 0)); then
      xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid" 2>/dev/null
    fi
    tries=$((tries + 1))
    focused=$(xdotool getwindowfocus 2>/dev/null)
    [[ -n $focused ]] && { [[ $focused == "$wid" ]] || xvfb_is_inside "$focused" "$wid"; } && return 0
    ((SECONDS < deadline)) || { echo "xvfb_focus: window $wid did not get the focus" >&2; return 1; }
    sleep 0.1
  done
}

# True when window CHILD lies inside window PARENT (at any depth).
xvfb_is_inside() {
  local child=$1 parent=$2 up
  while :; do
    up=$(xwininfo -children -id "$child" 2>/dev/null | awk '/Parent window id:/ { print $4 }')
    [[ -z $up || $up == 0x0 ]] && return 1
    (( up == parent )) && return 0
    child=$up
  done
}

# Clicks the left button at client position X Y of window WID (CLICKS times, default once),
# after the window has been raised above any other one at that place (two programs centre
# their windows on the same spot) and has the focus, so that press and release reach it.
xvfb_click() {
  local wid=$1 x=$2 y=$3 clicks=${4:-1}
  xdotool windowraise "$wid" 2>/dev/null
  xvfb_focus "$wid" || return 1
  xdotool mousemove --sync --window "$wid" "$x" "$y" click --repeat "$clicks" --delay 80 1
}

# Runs "COMMAND..." (a click on a closing button) until window WID has gone, as a person
# clicks again when a click went astray: at most TRIES times (3), waiting SECONDS (5) after
# each. Fails when the window is still there.
xvfb_press_until_gone() {
  local wid=$1 tries=$2 seconds=$3 i
  shift 3
  for ((i = 0; i < tries; i++)); do
    xvfb_wid_viewable "$wid" || return 0
    "$@"
    xvfb_wait_wid_gone "$wid" "$seconds" 2>/dev/null && return 0
  done
  echo "xvfb_press_until_gone: window $wid still open after $tries presses" >&2
  return 1
}

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
