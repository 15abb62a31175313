#!/usr/bin/env bash
# Signs a Windows program (marvolet.scr) in place with Authenticode, then checks the signature.
#
# Usage: scripts/sign-windows.sh FILE
# Environment:
#   MARVOLET_SIGN_CERT   the code-signing certificate, PEM or DER (a PEM file may hold the chain)
#   MARVOLET_SIGN_KEY    its private key, PEM or DER
#   MARVOLET_SIGN_PASS   optional: a file holding the key's passphrase
#   MARVOLET_SIGN_TIMESTAMP  optional: an RFC 3161 time-stamping service URL, so that the signature
#                        outlives the certificate
#   MARVOLET_SIGN_CA     the root to check the signature against (default: the system's roots)
# Needs osslsigncode (Debian: osslsigncode), which it installs when missing.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
file=${1:?usage: sign-windows.sh FILE}
cert=${MARVOLET_SIGN_CERT:?MARVOLET_SIGN_CERT must name the code-signing certificate}
key=${MARVOLET_SIGN_KEY:?MARVOLET_SIGN_KEY must name the certificate\'s private key}
ca=${MARVOLET_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}

log() { printf '[sign-windows] %s\n' "$*"; }
fail() {
  printf 'sign-windows: %s\n' "$*" >&2
  exit 1
}

for input in "$file" "$cert" "$key" "$ca"; do
  [[ -f "$input" && -r "$input" ]] || fail "cannot read $input"
done
bash "$repo/scripts/install-packages.sh" osslsigncode

options=(-certs "$cert" -key "$key" -h sha256 -n "Marvolet screen saver")
[[ -n "${MARVOLET_SIGN_PASS:-}" ]] && options+=(-readpass "$MARVOLET_SIGN_PASS")
[[ -n "${MARVOLET_SIGN_TIMESTAMP:-}" ]] && options+=(-ts "$MARVOLET_SIGN_TIMESTAMP")

# Signed beside the file and moved over it only once the signature checks out, so that a failure
# never leaves a half-signed program behind.
signed=$(mktemp "$(dirname "$file")/.signing.XXXXXX")
trap 'rm -f "$signed" "$signed.log"' EXIT
rm -f "$signed"
osslsigncode sign "${options[@]}" -in "$file" -out "$signed" >"$signed.log" 2>&1 ||
  fail "osslsigncode could not sign $file: $(cat "$signed.log")"
if ! osslsigncode verify -CAfile "$ca" -in "$signed" >"$signed.log" 2>&1; then
  fail "the signature of $file does not verify against $ca (set MARVOLET_SIGN_CA to the root of" \
    "the certificate): $(tail -n 5 "$signed.log")"
fi
rm -f "$signed.log"
chmod --reference="$file" "$signed"
mv "$signed" "$file"
log "signed $file as $(openssl x509 -in "$cert" -noout -subject 2>/dev/null ||
  openssl x509 -inform DER -in "$cert" -noout -subject)"
