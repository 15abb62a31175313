#!/usr/bin/env bash
# Checks the private deb-src configuration the Windows build derives from sample apt source
# configurations: apt must accept each one, and nothing under /etc/apt may change. No network.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/apt-private.sh
. "$here/../../scripts/lib/apt-private.sh"
command -v apt-get >/dev/null || {
  echo "no apt-get here: skipped"
  exit 77
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL [$case]: $*" >&2
  failures=$((failures + 1))
}

etc_listing() { find /etc/apt -xdev \( -type f -o -type l \) -print0 | LC_ALL=C sort -z | xargs -0 sha256sum; }
etc_before=$(etc_listing)

key=$tmp/archive-keyring.gpg
: >"$key"
m=http://mirror.example

# Derives the private configuration from $tmp/$case/etc and asks apt what an update would fetch;
# every expected Sources index must be there once, and nothing else.
check_case() {
  local etc=$tmp/$case/etc private=$tmp/$case/private expected=$1 uris errors
  apt_private_configure "$private" "$etc" || {
    fail "no configuration derived"
    return
  }
  apt_private_options "$private"
  if ! uris=$(apt-get "${apt_private_opts[@]}" update --print-uris 2>"$tmp/$case/stderr"); then
    fail "apt refused the derived configuration: $(cat "$tmp/$case/stderr")"
    return
  fi
  errors=$(grep -E '^(E|W):' "$tmp/$case/stderr" || true)
  [[ -z "$errors" ]] || fail "apt complained: $errors"
  local got
  got=$(grep -o "'[^']*/source/Sources[^']*'" <<<"$uris" | tr -d "'" | sed 's/\.[a-z0-9]*$//' |
    LC_ALL=C sort)
  [[ "$got" == "$(LC_ALL=C sort <<<"$expected")" ]] ||
    fail "$(printf 'fetches\n%s\ninstead of\n%s' "$got" "$expected")"
}

new_case() {
  case=$1
  mkdir -p "$tmp/$case/etc/sources.list.d"
}

# As debootstrap and the installer write it: one line per archive, no keys named, no deb-src.
new_case one-line-plain
cat >"$tmp/$case/etc/sources.list" <<EOF
# a comment
deb $m/debian bookworm main
deb $m/debian bookworm-updates main
deb $m/debian-security bookworm-security main
EOF
check_case "$m/debian/dists/bookworm/main/source/Sources
$m/debian/dists/bookworm-updates/main/source/Sources
$m/debian-security/dists/bookworm-security/main/source/Sources"

# deb-src lines already there, options in brackets, components named twice for one archive.
new_case one-line-options
cat >"$tmp/$case/etc/sources.list" <<EOF
deb [arch=amd64 signed-by=$key] $m/debian bookworm main
deb-src [signed-by=$key] $m/debian bookworm main
deb [ signed-by=$key ] $m/debian bookworm contrib non-free-firmware # trailing comment
EOF
printf 'deb %s/other stable main\n' "$m" >"$tmp/$case/etc/sources.list.d/other.list"
# Names apt itself skips.
printf 'deb %s/skipped stable main\n' "$m" >"$tmp/$case/etc/sources.list.d/other.list.disabled"
printf 'deb %s/skipped stable main\n' "$m" >"$tmp/$case/etc/sources.list.d/bad~name.list"
check_case "$m/debian/dists/bookworm/main/source/Sources
$m/debian/dists/bookworm/contrib/source/Sources
$m/debian/dists/bookworm/non-free-firmware/source/Sources
$m/other/dists/stable/main/source/Sources"

# deb822 only, as a cloud image writes it, with a stanza turned off and one for sources only.
new_case deb822
cat >"$tmp/$case/etc/sources.list.d/debian.sources" <<EOF
Types: deb
# a comment between fields
URIs: $m/debian
Suites: bookworm
  bookworm-updates
Components: main
Signed-By: $key

Types: deb deb-src
URIs: $m/debian-security
Suites: bookworm-security
Components: main
Signed-By: $key

Types: deb
URIs: $m/off
Suites: bookworm
Components: main
Enabled: no

Types: deb-src
URIs: $m/sources-only
Suites: bookworm
Components: main
EOF
check_case "$m/debian/dists/bookworm/main/source/Sources
$m/debian/dists/bookworm-updates/main/source/Sources
$m/debian-security/dists/bookworm-security/main/source/Sources"

# Both at once for the same archive, one without a key and one with it: apt takes the machine's
# own configuration with a warning, but refuses the same source named twice with different keys.
new_case both-formats
cat >"$tmp/$case/etc/sources.list" <<EOF
deb $m/debian/ bookworm main
deb $m/debian-security bookworm-security main
EOF
cp "$tmp/deb822/etc/sources.list.d/debian.sources" "$tmp/$case/etc/sources.list.d/"
# A deb-src file an earlier build left behind contributes nothing.
printf 'deb-src %s/debian bookworm main\n' "$m" >"$tmp/$case/etc/sources.list.d/marvolet-deb-src.list"
check_case "$m/debian/dists/bookworm/main/source/Sources
$m/debian/dists/bookworm-updates/main/source/Sources
$m/debian-security/dists/bookworm-security/main/source/Sources"
signed=$(grep -c "^Signed-By: $key\$" "$tmp/$case/private/sources.list.d/deb-src.sources" || true)
((signed == 3)) || fail "the key is named in $signed of 3 entries"
# The fresh-machine check bootstraps from the first bookworm archive.
[[ "$(apt_binary_sources "$tmp/$case/etc" | head -n 1)" == "$m/debian/ bookworm" ]] ||
  fail "first archive: $(apt_binary_sources "$tmp/$case/etc" | head -n 1)"

# Installed from a disc: the installer's cdrom entry names the disc in brackets, with spaces. It
# has no sources to fetch and is no archive to bootstrap from; the network entry is used.
new_case cdrom
cat >"$tmp/$case/etc/sources.list" <<EOF
deb cdrom:[Debian GNU/Linux 12.5.0 _Bookworm_ - Official amd64 DVD Binary-1 20240210-11:28]/ bookworm contrib main
deb [arch=amd64] cdrom:[Debian GNU/Linux 12 _Bookworm_]/ bookworm main
deb $m/debian bookworm main
EOF
check_case "$m/debian/dists/bookworm/main/source/Sources"
[[ "$(apt_binary_sources "$tmp/$case/etc")" == "$m/debian bookworm" ]] ||
  fail "archives: $(apt_binary_sources "$tmp/$case/etc" | tr '\n' ';')"
# A disc only: nothing to derive, and said so, rather than a configuration apt refuses.
new_case cdrom-only
printf 'deb cdrom:[Debian GNU/Linux 12 _Bookworm_ - Official]/ bookworm main\n' \
  >"$tmp/$case/etc/sources.list"
apt_private_configure "$tmp/$case/private" "$tmp/$case/etc" 2>/dev/null &&
  fail "a configuration was derived from a disc entry alone"

new_case empty
apt_private_configure "$tmp/$case/private" "$tmp/$case/etc" 2>/dev/null &&
  fail "a configuration without binary entries was accepted"

case=etc
[[ "$(etc_listing)" == "$etc_before" ]] || fail "/etc/apt changed"

((failures == 0)) || exit 1
echo "all apt configurations accepted"
