#!/usr/bin/env bash
# Checks marvolet.scr as a file: its resources (dialog 104, string 1, icon group 1, manifest, all
# in language 1033), that it is a GUI program, and that it imports only Windows system DLLs.
set -euo pipefail
scr=${1:?usage: check_program_file.sh marvolet.scr}
prefix=x86_64-w64-mingw32
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

rc=$("$prefix-windres" -i "$scr" -J coff -O rc)

# The dialog exactly as tabled: size, style, font, the first nine controls in template order;
# the controls of settings added later follow them, with their labels and the file rows' buttons
# and lines (tests/host/option_resources_test.cpp holds those to the option table).
expected_dialog='104 DIALOG 0, 0, 228, 178
STYLE 0x80c800c0
CAPTION "Config dialog"
FONT 8, "MS Sans Serif"
BEGIN
  CONTROL "OK", 1, "BUTTON", 0x50010001, 172, 4, 50, 14
  CONTROL "Cancel", 2, "BUTTON", 0x50010000, 172, 23, 50, 14
  CONTROL "Stars", 1001, "BUTTON", 0x50010003, 9, 14, 37, 10
  CONTROL "Version 1.0", 65535, "STATIC", 0x50020000, 7, 64, 60, 8
  CONTROL "Light Effects", 1002, "BUTTON", 0x50010003, 7, 32, 52, 10
  CONTROL "Trails", 1003, "BUTTON", 0x50010003, 88, 14, 52, 10
  CONTROL "Burn-in guard", 1004, "BUTTON", 0x50010003, 88, 32, 78, 10
  CONTROL "Main monitor only", 1005, "BUTTON", 0x50010003, 7, 48, 78, 10
  CONTROL "Slower on battery", 1006, "BUTTON", 0x50010003, 88, 48, 78, 10'
# Later rows' controls, the file rows' buttons and lines, and the labels (id -1) beside them.
later_control='^  CONTROL "[^"]*", (1[0-9]{3}|9[0-9]{2}|65535), "(BUTTON|EDIT|COMBOBOX|STATIC)", 0x[0-9a-f]{8}(, [0-9]+){4}$'
dialog=$(sed -n '/^104 DIALOG/,/^END/p' <<<"$rc")
head_lines=$(wc -l <<<"$expected_dialog")
later=$(tail -n +$((head_lines + 1)) <<<"$dialog")
if [ "$(head -n "$head_lines" <<<"$dialog")" = "$expected_dialog" ] &&
  [ "$(tail -n 1 <<<"$later")" = END ] &&
  ! head -n -1 <<<"$later" | grep -qvE "$later_control"; then
  ok "dialog 104 ($(($(wc -l <<<"$later") - 1)) controls after the first nine)"
else
  fail "dialog 104 differs:"
  diff <(echo "$expected_dialog"; echo END) <(echo "$dialog") >&2 || true
fi

grep -qx '  1, "Marvolet screen saver"' <<<"$rc" && ok "string 1" || fail "string 1"

group=$(sed -n '/RT_GROUP_ICON/,/^END/p' <<<"$rc")
before=$failures
grep -q '^1 14 /\* RT_GROUP_ICON \*/' <<<"$group" || fail "icon group 1 missing"
grep -q 'Has 2 elements' <<<"$group" || fail "icon group 1 should hold two images"
grep -q '"\\040\\040\\020\\000"' <<<"$group" || fail "no 32 x 32 16-colour image"
grep -q '"\\020\\020\\020\\000"' <<<"$group" || fail "no 16 x 16 16-colour image"
[ "$failures" -eq "$before" ] && ok "icon group 1: 32 x 32 and 16 x 16, 16 colours"

# LANGUAGE 9, 1 is English (United States), 1033; no resource may carry another language.
languages=$(grep '^LANGUAGE' <<<"$rc" | sort -u)
[ "$languages" = "LANGUAGE 9, 1" ] && ok "language 1033" || fail "languages: $languages"

manifest=$(sed -n '/RT_MANIFEST/,/^END/p' <<<"$rc")
grep -q 'PerMonitorV2' <<<"$manifest" && grep -q 'true/pm' <<<"$manifest" &&
  ok "manifest: PerMonitorV2 with the dpiAware fallback" || fail "manifest lacks DPI awareness"

headers=$("$prefix-objdump" -p "$scr")
grep -q 'Subsystem.*Windows GUI' <<<"$headers" && ok "GUI subsystem" || fail "not a GUI program"
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
foreign=$(grep -Eiv '^(KERNEL32|USER32|GDI32|ADVAPI32|COMDLG32|OPENGL32|GLU32|WINMM|msvcrt)\.dll$' \
  <<<"$imports" || true)
[ -z "$foreign" ] && ok "imports only system DLLs: $(echo $imports)" ||
  fail "imports non-system DLLs: $(echo $foreign)"

[ "$failures" -eq 0 ] || exit 1
