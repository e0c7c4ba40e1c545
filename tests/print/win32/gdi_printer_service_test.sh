#!/usr/bin/env bash
# Kelvarin's print job on the GDI printer service under Wine, read back from the private print
# server: Wine's PostScript driver sends each document as PostScript, ps2pdf and pdftotext
# turn it back into text, page by page.
#
#   bash gdi_printer_service_test.sh <gdi_print_driver.exe> <scripts dir> <case>
#
# Runs inside the Windows job (scripts/test_windows.sh), which provides WINEPREFIX and the
# private print server (CUPS_SERVER, CUPS_CAPTURE_DIR, CUPS_CAPTURE_INDEX). Exit 77 (skipped)
# without them.
set -uo pipefail
DRIVER=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source "$2/lib/common.sh"
source "$2/lib/cups.sh"
CASE=$3

if [[ -z ${WINEPREFIX:-} || -z ${CUPS_SERVER:-} || -z ${CUPS_CAPTURE_INDEX:-} ]]; then
  echo "skipped: run inside scripts/test_windows.sh" >&2
  exit 77
fi
FAILURES=0
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vorn-gdi.XXXXXX")
trap 'rm -rf -- "$WORK"' EXIT
QUEUE=gdi-${CASE//_/-}-$$
cups_add_capture_queue "$QUEUE" >/dev/null || { echo "no queue $QUEUE" >&2; exit 1; }

check_equal() {
  if [[ $2 == "$3" ]]; then
    echo "ok   - $1"
  else
    echo "FAIL - $1"
    echo "  expected: $(printf '%q' "$2")"
    echo "  actual:   $(printf '%q' "$3")"
    FAILURES=$((FAILURES + 1))
  fi
}

# Writes the print file from its lines (CR LF after each).
write_print_file() { printf '%s\r\n' "$@" >"$WORK/VORN.PRN"; }

# Runs the print job on QUEUE with COPIES copies (and FONT); its output lands in OUT.
print_job() {
  local copies=$1 font=${2:-Courier New}
  OUT=$(cd "$WORK" && wine "$DRIVER" print "$QUEUE" "$copies" "$font" 2>/dev/null | tr -d '\r')
}

# Waits for COUNT documents on the queue, then turns each into a PDF; prints their paths.
captured_pdfs() {
  local count=$1 n=0 file
  cups_wait_captured "$count" 60 "$QUEUE" || return 1
  while read -r file; do
    n=$((n + 1))
    ps2pdf "$file" "$WORK/job$n.pdf" && echo "$WORK/job$n.pdf"
  done < <(cups_captured_files "$QUEUE")
}

pages() { pdfinfo "$1" 2>/dev/null | awk '/^Pages:/ { print $2 }'; }

# The text of page PAGE, trailing blanks and empty lines dropped; Wine's PostScript gives a
# hyphen back as a soft hyphen, which is made a hyphen again.
page_text() {
  pdftotext -layout -f "$2" -l "$2" "$1" - 2>/dev/null | sed -e 's/\xc2\xad/-/g' \
    -e 's/[[:space:]]*$//' -e '/^$/d'
}

all_text() { pdftotext -layout "$1" - 2>/dev/null | sed -e 's/\xc2\xad/-/g' -e 's/[[:space:]]*$//' -e '/^$/d' -e 's/\f//g'; }

check_job_count() {
  sleep 1  # a late extra job would show up here
  check_equal "$1 document(s) on the queue" "$1" "$(cups_captured_count "$QUEUE")"
}

check_printed() {
  check_equal "the print file is deleted" no "$([[ -e $WORK/VORN.PRN ]] && echo yes || echo no)"
  check_equal "no message" "" "$(grep '^MESSAGE' <<<"$OUT")"
}

case $CASE in
  three_lines)
    # Printing runs one line behind reading: the last line is never printed.
    write_print_file A B C
    print_job 1
    mapfile -t pdfs < <(captured_pdfs 1)
    check_equal "one page" 1 "$(pages "${pdfs[0]}")"
    check_equal "A and B printed" "$(printf 'A\nB')" "$(page_text "${pdfs[0]}" 1)"
    check_job_count 1
    check_printed
    ;;
  form_feed)
    write_print_file $'A\f' B ""
    print_job 1
    mapfile -t pdfs < <(captured_pdfs 1)
    check_equal "two pages" 2 "$(pages "${pdfs[0]}")"
    check_equal "page 1" A "$(page_text "${pdfs[0]}" 1)"
    check_equal "page 2" B "$(page_text "${pdfs[0]}" 2)"
    check_printed
    ;;
  two_copies)
    write_print_file "QUOTE ONE" $'TOTAL 1,234.56\f' "QUOTE TWO" $'END\f' "NEVER"
    print_job 2
    mapfile -t pdfs < <(captured_pdfs 2)
    for n in 0 1; do
      check_equal "copy $((n + 1)): two pages" 2 "$(pages "${pdfs[$n]}")"
      check_equal "copy $((n + 1)): page 1" "$(printf 'QUOTE ONE\nTOTAL 1,234.56')" \
        "$(page_text "${pdfs[$n]}" 1)"
      check_equal "copy $((n + 1)): page 2" "$(printf 'QUOTE TWO\nEND')" "$(page_text "${pdfs[$n]}" 2)"
    done
    check_equal "each copy titled VORN Quote" "VORN Quote VORN Quote" \
      "$(awk -F'\t' -v q="$QUEUE" '$2 == q { printf "%s%s", sep, $4; sep = " " }' "$CUPS_CAPTURE_INDEX")"
    check_job_count 2
    check_printed
    ;;
  page_overflow)
    # 150 lines and no form feed: the page fills up and the next line starts a new one.
    lines=()
    for ((i = 1; i <= 151; i++)); do lines+=("$(printf 'LINE %03d' "$i")"); done
    write_print_file "${lines[@]}"
    print_job 1
    mapfile -t pdfs < <(captured_pdfs 1)
    total=$(pages "${pdfs[0]}")
    first=$(page_text "${pdfs[0]}" 1 | wc -l)
    check_equal "every line once, in order" "$(printf '%s\n' "${lines[@]:0:150}")" "$(all_text "${pdfs[0]}")"
    check_equal "pages as the first page's lines make" $(((150 + first - 1) / first)) "$total"
    if ((total < 2)); then
      echo "FAIL - more than one page"
      FAILURES=$((FAILURES + 1))
    fi
    check_printed
    ;;
  no_trailing_page)
    # A form feed on the last printed line asks for a page nothing fills: none is ejected.
    write_print_file A $'B\f' LAST
    print_job 1
    mapfile -t pdfs < <(captured_pdfs 1)
    check_equal "one page" 1 "$(pages "${pdfs[0]}")"
    check_equal "A and B" "$(printf 'A\nB')" "$(page_text "${pdfs[0]}" 1)"
    check_printed
    ;;
  ansi_text)
    # Bytes of the ANSI code page (1252 here) reach the page as their characters.
    write_print_file $'Caf\xe9 na\xefve \xa35 \xb11-2 \xc4\xd6\xdc\xdf' "END"
    print_job 1
    mapfile -t pdfs < <(captured_pdfs 1)
    check_equal "the characters" "Café naïve £5 ±1-2 ÄÖÜß" "$(page_text "${pdfs[0]}" 1)"
    check_equal "Courier New prints as its metric twin" yes \
      "$(pdffonts "${pdfs[0]}" | grep -q LiberationMono && echo yes || echo no)"
    check_printed
    ;;
  font_liberation_serif)
    write_print_file "SERIF TEXT" "END"
    print_job 1 "Liberation Serif"
    mapfile -t pdfs < <(captured_pdfs 1)
    check_equal "the text" "SERIF TEXT" "$(page_text "${pdfs[0]}" 1)"
    check_equal "in the font asked for" yes \
      "$(pdffonts "${pdfs[0]}" | grep -q LiberationSerif && echo yes || echo no)"
    ;;
  name_outside_code_page)
    # A queue whose name holds letters the ANSI code page (1252) lacks: the program knows it by
    # its code-page name ("L" for "Ł"), and the job still reaches that queue.
    QUEUE="gdi-Łódź-$$"
    cups_add_capture_queue "$QUEUE" >/dev/null || { echo "no queue $QUEUE" >&2; exit 1; }
    write_print_file "QUOTE FOR LODZ" "END"
    print_job 1
    check_equal "no message" "" "$(grep '^MESSAGE' <<<"$OUT")"
    mapfile -t pdfs < <(captured_pdfs 1)
    check_equal "the text" "QUOTE FOR LODZ" "$(page_text "${pdfs[0]}" 1)"
    check_job_count 1
    check_printed
    ;;
  rejected)
    # A queue that refuses jobs: Wine reports it only when the document ends. Error 482 is
    # logged, the message shown, and the print file kept.
    cups_reject "$QUEUE"
    write_print_file A B C
    print_job 1
    check_equal "the message" \
      "MESSAGE: There is a problem opening the Print File.  Please contact Orvalle at ${VORN_SUPPORT_PHONE:-(555) 010-0000}." \
      "$(grep '^MESSAGE' <<<"$OUT")"
    check_equal "error 482 logged" 1 \
      "$(tr -d '\r' <"$WORK/actionlog.txt" | grep -c 'ERROR IN OutputPrinter ROUTINE: Error Number: 482 Error Desc: ')"
    check_equal "the print file is kept" yes "$([[ -e $WORK/VORN.PRN ]] && echo yes || echo no)"
    check_job_count 0
    ;;
  *)
    echo "unknown case $CASE" >&2
    exit 2
    ;;
esac

if ((FAILURES > 0)); then
  echo "gdi print $CASE: $FAILURES check(s) failed"
  exit 1
fi
echo "gdi print $CASE: all checks passed"
