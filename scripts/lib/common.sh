# Shared helpers for the project's scripts: messages, the repository root, Debian packages
# and the CMake build. Source it; it defines functions and changes nothing by itself.

VORN_REPO_ROOT=${VORN_REPO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}

vorn_log() { printf '[%s] %s\n' "${0##*/}" "$*" >&2; }
vorn_die() { vorn_log "error: $*"; exit 1; }

# Every Debian package the build, the tests and the demo use. Nothing is pulled in by
# "recommends", so whatever a fresh minimal system lacks is named here.
VORN_PACKAGES=(
  # compiler and build tools
  g++ cmake ninja-build
  # libraries: Qt widgets and printing, CUPS, GoogleTest
  qt6-base-dev libcups2-dev libcups2 libgtest-dev libgmock-dev
  # access lists copied when a file is replaced
  libacl1-dev
  # the display check before Qt starts
  libxcb1-dev
  # the private print server and its command-line clients
  cups-daemon cups-client
  # a virtual screen, window automation, screenshots
  xvfb xauth xdotool x11-utils imagemagick
  # reading the captured PDFs back, and message boxes from their pictures
  poppler-utils tesseract-ocr
  # fonts: DejaVu, and Liberation Mono for "Courier New" (fontconfig maps it)
  fonts-dejavu-core fonts-liberation fontconfig
  # ps, pgrep
  procps
  # a locale with a decimal comma, for the tests that numbers read the same in every locale
  locales
)

# Installs the named packages that are not installed yet; runs apt-get update only when
# something is missing.
vorn_ensure_packages() {
  local missing=() pkg status
  for pkg in "$@"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [[ $status == installed ]] || missing+=("$pkg")
  done
  if ((${#missing[@]} == 0)); then
    return 0
  fi
  vorn_log "installing missing packages: ${missing[*]}"
  local sudo=()
  if ((EUID != 0)); then
    command -v sudo >/dev/null || vorn_die "not root and no sudo: install ${missing[*]} first"
    sudo=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q || vorn_die "apt-get update failed"
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" \
    || vorn_die "apt-get install failed"
}

# Makes the German locale (its decimal sign is a comma) available to the tests, once.
vorn_ensure_comma_locale() {
  locale -a 2>/dev/null | grep -qix 'de_DE.utf-\?8' && return 0
  vorn_log "generating the locale de_DE.UTF-8 for the tests"
  localedef -i de_DE -c -f UTF-8 de_DE.UTF-8 || vorn_log "could not generate de_DE.UTF-8"
}

# Configures and builds with a CMake preset (default or ci); TARGETS optional. Extra
# configure arguments may come in VORN_CMAKE_ARGS (split at blanks).
vorn_build() {
  local preset=$1; shift
  local njobs targets=() extra=()
  read -r -a extra <<<"${VORN_CMAKE_ARGS:-}"
  njobs=$(nproc 2>/dev/null || echo 2)
  (($# > 0)) && targets=(--target "$@")
  # Presets are read from the current directory.
  (cd "$VORN_REPO_ROOT" && cmake --preset "$preset" "${extra[@]}") \
    || vorn_die "cmake configure (preset $preset) failed"
  (cd "$VORN_REPO_ROOT" && cmake --build --preset "$preset" -j "$njobs" "${targets[@]}") \
    || vorn_die "build (preset $preset) failed"
}

# The build directory of a preset, as CMakePresets.json names it.
vorn_build_dir() { printf '%s/build/%s\n' "$VORN_REPO_ROOT" "$1"; }

# Keeps the machine's own printer choices out of a run: no default from the environment.
vorn_clear_printer_env() { unset PRINTER LPDEST; }

# Waits until COMMAND... succeeds, trying every 0.1 s for at most SECONDS; fails on timeout.
vorn_wait_until() {
  local seconds=$1; shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# True when PROGRAM can be run in a mount namespace of its own without /proc: only as root,
# where namespaces are allowed, and only for a program without a sanitizer runtime (those read
# /proc themselves, LeakSanitizer at every exit).
vorn_can_run_without_proc() {
  [[ $(id -u) -eq 0 ]] && unshare --mount true 2>/dev/null || return 1
  ! ldd "$1" 2>/dev/null | grep -q -E 'lib(a|ub|l|t)san'
}
