#!/usr/bin/env bash
# Checks which folders the fresh-machine check takes as its own: only new, empty or marked ones,
# never a folder of someone's files (whose root/, logs/ and bootstrap/ it would delete).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=../../scripts/lib/fresh-state.sh
. "$here/../../scripts/lib/fresh-state.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
listing() { (cd "$1" && find . -printf '%p %s %y\n' | LC_ALL=C sort); }

fresh_state_claim "$tmp/new/state" 2>/dev/null || fail "a new folder was refused"
[[ -f "$tmp/new/state/$fresh_state_mark" ]] || fail "a new folder was not marked"

mkdir "$tmp/empty"
fresh_state_claim "$tmp/empty" 2>/dev/null || fail "an empty folder was refused"
[[ -f "$tmp/empty/$fresh_state_mark" ]] || fail "an empty folder was not marked"

# A second run finds its own folder as the first left it.
mkdir -p "$tmp/empty/root/etc" "$tmp/empty/logs"
: >"$tmp/empty/pristine.tar"
fresh_state_claim "$tmp/empty" 2>/dev/null || fail "the check's own folder was refused"

# A folder an earlier check made before there was a mark.
mkdir -p "$tmp/earlier/root/etc" "$tmp/earlier/logs"
: >"$tmp/earlier/pristine.tar"
echo "http://mirror.example/debian bookworm" >"$tmp/earlier/pristine.source"
fresh_state_claim "$tmp/earlier" 2>/dev/null || fail "an earlier check's folder was refused"

# Someone's home, with folders of the names the check resets.
home=$tmp/home
mkdir -p "$home/root" "$home/logs" "$home/bootstrap/keep" "$home/.config"
echo letter >"$home/letter.txt"
echo notes >"$home/logs/notes.txt"
echo data >"$home/bootstrap/keep/data"
before=$(listing "$home")
fresh_state_claim "$home" 2>/dev/null && fail "a folder of other files was taken"
[[ "$(listing "$home")" == "$before" ]] || fail "the refused folder changed"

# Names the check uses are not enough without the rest of what it leaves.
mkdir -p "$tmp/only-logs/logs"
fresh_state_claim "$tmp/only-logs" 2>/dev/null && fail "a folder holding only logs/ was taken"

# Only a folder holding something unknown is refused, even if that is one hidden file.
mkdir "$tmp/hidden"
: >"$tmp/hidden/.profile"
fresh_state_claim "$tmp/hidden" 2>/dev/null && fail "a folder with a hidden file was taken"

# A mark that is a link to another folder's mark does not count.
mkdir "$tmp/linked"
echo data >"$tmp/linked/data"
ln -s "$tmp/empty/$fresh_state_mark" "$tmp/linked/$fresh_state_mark"
fresh_state_claim "$tmp/linked" 2>/dev/null && fail "a linked mark was taken as the check's own"

echo file >"$tmp/file"
fresh_state_claim "$tmp/file" 2>/dev/null && fail "a file was taken as the folder"
[[ "$(cat "$tmp/file")" == file ]] || fail "the file changed"

((failures == 0)) || exit 1
echo "only new, empty or marked folders are taken"
