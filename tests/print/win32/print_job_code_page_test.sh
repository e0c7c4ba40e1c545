#!/usr/bin/env bash
# Runs print_job_code_page_test.exe under Wine with a Russian locale (ANSI code page 1251),
# built for the run into a private folder. Exit 77 (skipped) outside the Windows job or
# without the locale's sources.
#
#   bash print_job_code_page_test.sh <print_job_code_page_test.exe> <scripts dir>
set -uo pipefail
if [[ -z ${WINEPREFIX:-} ]]; then
  echo "skipped: run inside scripts/test_windows.sh" >&2
  exit 77
fi
LOCALES=$(mktemp -d "${TMPDIR:-/tmp}/vorn-locale.XXXXXX")
trap 'rm -rf -- "$LOCALES"' EXIT
if ! localedef -i ru_RU -f UTF-8 "$LOCALES/ru_RU.UTF-8" >/dev/null 2>&1; then
  echo "skipped: the ru_RU locale cannot be built here" >&2
  exit 77
fi
LOCPATH=$LOCALES LANG=ru_RU.UTF-8 VORN_EXPECT_ACP=1251 bash "$2/lib/wine_run.sh" "$1"
