# Working Kelvarin's windows with the mouse and keyboard, as a person at the screen would.
# Positions come from the forms' own layout tables, printed in client pixels by the
# form_layouts tool beside the programs (KV_BIN_DIR, or BIN_DIR, names that folder); they are
# relative to the client area, which is what xdotool uses when no window manager draws frames.
# Needs scripts/lib/xvfb.sh (sourced by the caller) and a DISPLAY.

KV_TITLE_PROGRESS="Printing Quote"
KV_TITLE_PRINTER="Select Printer"
KV_TITLE_FONT="Select a Printer Font"
KV_TITLE_MESSAGE="Kelvarin"

# Loads the forms' layouts as variables <form>_<control>='LEFT TOP WIDTH HEIGHT' (pixels) and
# <form>_client='WIDTH HEIGHT', once.
kv_load_layouts() {
  [[ -n ${frmPrinterChoice_client:-} ]] && return 0
  local tool=${KV_BIN_DIR:-${BIN_DIR:-}}/form_layouts layouts
  if [[ ! -x $tool ]]; then
    echo "kelvarin_ui: $tool is missing: build the form_layouts target" >&2
    return 1
  fi
  layouts=$("$tool") || return 1
  eval "$layouts"
}

# The rectangle of CONTROL on FORM in client pixels; prints "LEFT TOP WIDTH HEIGHT".
kv_rect() {
  kv_load_layouts || return 1
  local var="$1_$2"
  [[ -n ${!var:-} ]] || { echo "kelvarin_ui: no control $2 on $1" >&2; return 1; }
  printf '%s\n' "${!var}"
}

# Clicks CONTROL on FORM in window WID: at its centre, or (with RIGHT_MARGIN) at the middle of
# the part left of that many pixels at its right end. CLICKS defaults to 1.
kv_click() {
  local form=$1 control=$2 wid=$3 clicks=${4:-1} margin=${5:-0} left top width height
  read -r left top width height < <(kv_rect "$form" "$control") || return 1
  xvfb_click "$wid" $((left + (width - margin) / 2)) $((top + height / 2)) "$clicks"
}

# "Select Printer".
kv_printer_ok()       { kv_click frmPrinterChoice btnOK "$1"; }
# OK on a dialog whose entries are valid, so that it must close: clicked again while it stays.
kv_printer_ok_closing() { xvfb_press_until_gone "$1" 3 5 kv_printer_ok "$1"; }
kv_printer_cancel()   { kv_click frmPrinterChoice btnCancel "$1"; }
kv_printer_new_font() { kv_click frmPrinterChoice btnFont "$1"; }

# Opens the printer list with the arrow at the right end of cmbPrinter.
kv_printer_open_list() {
  local wid=$1 left top width height
  read -r left top width height < <(kv_rect frmPrinterChoice cmbPrinter) || return 1
  xvfb_click "$wid" $((left + width - 8)) $((top + height / 2))
}

# Picks entry INDEX (0 = first) of the printer list: open it, move down, confirm with Return.
kv_printer_pick() {
  local wid=$1 index=$2 i keys=(Home)
  kv_printer_open_list "$wid"
  sleep 0.5
  for ((i = 0; i < index; i++)); do keys+=(Down); done
  keys+=(Return)
  xvfb_key "${keys[@]}"
  sleep 0.3
}

# Replaces the text of the editable cmbPrinter with TEXT (typing picks nothing). The click
# lands in the text field, clear of the arrow.
kv_printer_type() {
  local wid=$1 text=$2
  kv_click frmPrinterChoice cmbPrinter "$wid" 1 48
  sleep 0.2
  xvfb_focus "$wid" || return 1
  xvfb_key ctrl+a
  xvfb_type "$text"
}

# Replaces the text of txtCopies: three clicks select it all, then the new text is typed.
kv_printer_set_copies() {
  local wid=$1 text=$2
  kv_click frmPrinterChoice txtCopies "$wid" 3
  sleep 0.2
  xvfb_focus "$wid" || return 1
  xvfb_key ctrl+a
  xvfb_type "$text"
}

# "Select a Printer Font".
kv_font_ok()     { kv_click frmPrinterFont btnOK "$1"; }
kv_font_cancel() { kv_click frmPrinterFont btnCancel "$1"; }

# Replaces the text of the editable cmbFont with NAME.
kv_font_type() {
  local wid=$1 name=$2
  kv_click frmPrinterFont cmbFont "$wid" 1 48
  sleep 0.2
  xvfb_focus "$wid" || return 1
  xvfb_key ctrl+a
  xvfb_type "$name"
}

# Clicks the OK button of a message box WID. The box's buttons sit at its bottom right;
# OK is the only one, 80 x 26 pixels or so, inside a margin of about 10 pixels.
kv_message_click_ok() {
  local wid=$1 w h
  read -r w h < <(xvfb_window_size "$wid")
  [[ -n $w && -n $h ]] || return 0  # gone already
  xvfb_click "$wid" $((w - 11 - 40)) $((h - 11 - 12))
}

# Answers message box WID with OK, and clicks again while it stays open.
kv_message_ok() { xvfb_press_until_gone "$1" 3 5 kv_message_click_ok "$1"; }

# Writes a Printer.inp with PRINTER, FONT and COPIES (CR LF lines) into DIR.
kv_write_settings() {
  local dir=$1 printer=$2 font=${3:-Courier New} copies=${4:-1}
  printf '%s\r\n' "" "$printer" "" N N "$font" "$copies" 0 --- '***' >"$dir/Printer.inp"
}

# Copies the kelvarin executable from BIN_DIR into a new application folder and prints
# the folder (the action log lands there).
kv_private_app_dir() {
  local bin_dir=$1 app
  app=$(mktemp -d "${TMPDIR:-/tmp}/kelvarin-app.XXXXXX") || return 1
  cp "$bin_dir/kelvarin" "$app/kelvarin" || return 1
  printf '%s\n' "$app"
}

# Saves a picture of the progress window PROGRESS_WID to FILE. Both windows open in the
# centre of the screen, so the dialog DIALOG_WID is first moved aside (as a person would drag
# it) and then put back where it was.
kv_screenshot_progress() {
  local progress=$1 dialog=$2 file=$3 x y
  read -r x y < <(xwininfo -id "$dialog" |
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }')
  xdotool windowmove --sync "$dialog" 0 0 2>/dev/null || xdotool windowmove "$dialog" 0 0
  sleep 0.5
  xvfb_screenshot "$progress" "$file"
  local rc=$?
  xdotool windowmove "$dialog" "$x" "$y"
  sleep 0.3
  return $rc
}
