#!/usr/bin/env bash
# marvolet.scr signed as scripts/package.sh signs it, with a throwaway self-signed certificate:
# the Authenticode signature verifies against that certificate and no other, a changed byte
# breaks it, and the signed saver still passes the core end-to-end cases under Wine.
#
# Usage: signed_saver_test.sh REPO   (with wine_e2e.sh's environment: MARVOLET_SCR and the rest)
set -euo pipefail

repo=${1:?usage: signed_saver_test.sh REPO}
: "${MARVOLET_SCR:?MARVOLET_SCR must name marvolet.scr}"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for pair in osslsigncode:osslsigncode openssl:openssl; do
  command -v "${pair%%:*}" >/dev/null || fail "${pair%%:*} is needed (Debian: ${pair#*:})"
done

work=$(mktemp -d "${TMPDIR:-/tmp}/marvolet-signed.XXXXXX")
trap 'rm -rf "$work"' EXIT
certificate() {
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=$1" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/$2.key" -out "$work/$2.pem" 2>/dev/null
}
certificate "Marvolet test signer" signer
certificate "Someone else" other

signed=$work/marvolet.scr
cp "$MARVOLET_SCR" "$signed"
MARVOLET_SIGN_CERT=$work/signer.pem MARVOLET_SIGN_KEY=$work/signer.key \
  MARVOLET_SIGN_CA=$work/signer.pem bash "$repo/scripts/sign-windows.sh" "$signed"

verifies() { osslsigncode verify -CAfile "$2" -in "$1" >"$work/verify.log" 2>&1; }
verifies "$signed" "$work/signer.pem" || fail "the signature does not verify: $(cat "$work/verify.log")"
grep -q "CN *= *Marvolet test signer" "$work/verify.log" || fail "the signer is not named"
verifies "$MARVOLET_SCR" "$work/signer.pem" && fail "the unsigned saver verifies"
verifies "$signed" "$work/other.pem" && fail "the signature verifies against another certificate"
# One byte of the code changed: the digest no longer matches.
cp "$signed" "$work/changed.scr"
printf '\x90' | dd of="$work/changed.scr" bs=1 seek=$((0x1000 + 77)) conv=notrunc status=none
verifies "$work/changed.scr" "$work/signer.pem" && fail "a changed copy still verifies"
echo "signature: verifies against the signer only; a changed byte breaks it"

for case in saver_fills_screen key_press_ends config_ok_writes; do
  MARVOLET_SCR=$signed bash "$repo/tests/wine/wine_e2e.sh" "$case"
done
echo "PASS: the signed saver passes the core Wine cases"
