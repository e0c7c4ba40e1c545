#!/usr/bin/env bash
# Builds Kelvarin.exe and Tesmo.exe for 64-bit Windows with Debian's MinGW-w64 (preset
# windows-cross), statically linked, side by side in build/windows-cross/bin, checks that each
# needs only DLLs every Windows has, and makes the setup program
# build/windows-cross/VornPrintSetup-<version>.exe with NSIS.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

vorn_ensure_packages g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake ninja-build \
  googletest nsis
vorn_build windows-cross kelvarin tesmo setup
bin=$(vorn_build_dir windows-cross)/bin
bash "$VORN_REPO_ROOT/scripts/lib/check_windows_imports.sh" "$bin/Kelvarin.exe" "$bin/Tesmo.exe" ||
  vorn_die "a program needs a DLL that is not part of Windows"
vorn_log "built:"
printf '  %s\n' "$bin/Kelvarin.exe" "$bin/Tesmo.exe" "$(vorn_build_dir windows-cross)"/VornPrintSetup-*.exe
