#!/usr/bin/env bash
# Every option the program's own usage text names is in its manual page, and the page formats
# without groff warnings.
#
# Usage: manual_page_test.sh MARVOLET-BINARY MANUAL-PAGE
set -euo pipefail

binary=$1
page=$2

# groff writes a dash as \-; the usage text's options are the words that start with - or /.
text=$(sed 's/\\-/-/g; s/\\c$//' "$page")
mapfile -t options < <("$binary" -help | grep -oE '(^|[ ,])[-/][a-z][a-z-]*' | tr -d ' ,' | sort -u)
((${#options[@]} >= 10)) || {
  echo "FAIL: the usage text names only ${#options[@]} options"
  exit 1
}
missing=()
for option in "${options[@]}"; do
  grep -qE "(^|[^a-z-])${option}([^a-z-]|$)" <<<"$text" || missing+=("$option")
done
if ((${#missing[@]})); then
  echo "FAIL: the manual page lacks ${missing[*]}"
  exit 1
fi

if command -v groff >/dev/null; then
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
  [[ -z "$warnings" ]] || {
    echo "FAIL: groff warns: $warnings"
    exit 1
  }
fi
echo "PASS: the manual page names all ${#options[@]} options of the usage text"
