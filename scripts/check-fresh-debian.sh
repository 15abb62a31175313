#!/usr/bin/env bash
# Tries the README's two commands as a new user would: on a freshly bootstrapped minimal Debian 12
# or 13, in a clean clone, as root, with no display; prints the time and result of each.
#
# Usage (as root): scripts/check-fresh-debian.sh [bookworm|trixie [git ref]]
#   The suite defaults to bookworm (Debian 12), the ref to HEAD.
#   MARVOLET_FRESH_ROOT  the folder kept between runs (default /var/tmp/marvolet-fresh-<suite>):
#                        pristine.tar (the bootstrapped root, made once), root/ (reset from it on
#                        every run), logs/ (each step's output). It must be new, empty or one an
#                        earlier check made: a folder of other files is refused.
#   MARVOLET_FRESH_MIRROR the archive to bootstrap from (default: the machine's own entry for the
#                        suite, or else the archive its own release comes from)
# Only committed work is checked. The packages come from the archive, so it takes minutes.
set -euo pipefail

# Read whole before it runs, so that a checkout changing this file cannot alter a running check.
{
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
args=("$@")
suite=bookworm
case "${1:-}" in
bookworm | trixie)
  suite=$1
  shift
  ;;
esac
case "$suite" in
bookworm) release="Debian 12" ;;
trixie) release="Debian 13" ;;
esac
ref=${1:-HEAD}
# One folder per suite, so that checking one does not throw away the other's bootstrapped root.
state=${MARVOLET_FRESH_ROOT:-/var/tmp/marvolet-fresh-$suite}
root=$state/root
logs=$state/logs
# shellcheck source=lib/fresh-state.sh
. "$repo/scripts/lib/fresh-state.sh"

die() {
  echo "check-fresh-debian: $*" >&2
  exit 1
}

# Mount points at or below $1, deepest first.
mounts_under() {
  awk -v r="$1" '$5 == r || index($5, r "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}

undo_mounts() {
  local point
  for point in $(mounts_under "$1"); do
    umount "$point" 2>/dev/null || umount -l "$point"
  done
}

duration() { printf '%dm %02ds' $(($1 / 60)) $(($1 % 60)); }

# ---- outside: checks, then the rest again in a private mount and process namespace -------------
# Mounts made in there never reach the machine, and when the check ends or is killed, every
# process it started goes with it.
if [[ "${_MARVOLET_FRESH_INSIDE:-}" != 1 ]]; then
  ((EUID == 0)) || die "run it as root (it bootstraps and enters a root file system)"
  bash "$repo/scripts/install-packages.sh" debootstrap git mount util-linux tar
  commit=$(git -c safe.directory='*' -C "$repo" rev-parse --verify "$ref^{commit}") ||
    die "no commit $ref in $repo"
  if [[ "$ref" == HEAD ]] && [[ -n "$(git -c safe.directory='*' -C "$repo" status --porcelain)" ]]; then
    echo "note: uncommitted changes in $repo are not part of the check"
  fi
  mirror=${MARVOLET_FRESH_MIRROR:-}
  if [[ -z "$mirror" ]]; then
    # shellcheck source=lib/apt-private.sh
    . "$repo/scripts/lib/apt-private.sh"
    # Another release comes from the archive that serves the machine's own.
    own=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
    mirror=$(apt_binary_sources | awk -v s="$suite" -v own="$own" '
      $2 == s { print $1; found = 1; exit }
      $2 == own && fallback == "" { fallback = $1 }
      END { if (!found && fallback != "") print fallback }')
    [[ -n "$mirror" ]] ||
      die "no '$suite' or '$own' entry in the apt sources; set MARVOLET_FRESH_MIRROR"
  fi
  # An archive behind https needs the certificates, here for debootstrap and in the new root for apt.
  [[ "$mirror" != https:* ]] || bash "$repo/scripts/install-packages.sh" ca-certificates
  fresh_state_claim "$state" || die "refusing $state"
  # A stale mount left below the root would make resetting it delete the machine's own files.
  [[ -z "$(mounts_under "$state")" ]] || die "something is mounted below $state; unmount it first"
  export _MARVOLET_FRESH_INSIDE=1 _MARVOLET_FRESH_COMMIT=$commit _MARVOLET_FRESH_MIRROR=$mirror
  unshare --mount --propagation private --pid --fork --kill-child bash "$0" "${args[@]}" &
  ns=$!
  # unshare ignores stop signals while its child runs, so they are passed on to the check inside;
  # if it cannot be found, killing unshare takes the whole namespace down with it.
  stop_inside() {
    local inside=""
    read -r inside _ <"/proc/$ns/task/$ns/children" 2>/dev/null || true
    if [[ -n "$inside" ]]; then
      kill -TERM "$inside" 2>/dev/null || true
    else
      kill -KILL "$ns" 2>/dev/null || true
    fi
  }
  trap stop_inside INT TERM
  status=0
  while :; do
    if wait "$ns"; then
      status=0
      break
    else
      status=$?
    fi
    kill -0 "$ns" 2>/dev/null || break
  done
  exit "$status"
fi

# ---- inside the namespaces (this shell is process 1 of its own process namespace) --------------
(($$ == 1)) || die "the inner stage runs only as process 1 of its own namespace"
[[ -f "$state/$fresh_state_mark" ]] || die "$state is not marked as this check's folder"
commit=$_MARVOLET_FRESH_COMMIT
mirror=$_MARVOLET_FRESH_MIRROR

finish() {
  set +e
  # Stray servers (Xvfb, wineserver) would keep the mounts busy.
  kill -KILL -1 2>/dev/null
  wait 2>/dev/null
  undo_mounts "$root"
  [[ -z "$(mounts_under "$root")" ]] || echo "warning: mounts left below $root" >&2
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

rm -rf --one-file-system "$logs"
mkdir -p "$logs"

bootstrap_result="reused $state/pristine.tar"
if [[ ! -f "$state/pristine.tar" ]] || [[ "$(cat "$state/pristine.source" 2>/dev/null)" != "$mirror $suite" ]]; then
  echo "Bootstrapping a minimal $release (debootstrap --variant=minbase $suite); log: $logs/debootstrap.log"
  start=$SECONDS
  rm -rf --one-file-system "$state/bootstrap"
  include=()
  [[ "$mirror" != https:* ]] || include=(--include=ca-certificates)
  debootstrap --variant=minbase "${include[@]}" "$suite" "$state/bootstrap" "$mirror" \
    >"$logs/debootstrap.log" 2>&1 || {
    tail -n 20 "$logs/debootstrap.log" >&2
    die "debootstrap failed"
  }
  undo_mounts "$state/bootstrap"
  tar -C "$state/bootstrap" --numeric-owner --xattrs -cf "$state/pristine.tar.new" .
  mv "$state/pristine.tar.new" "$state/pristine.tar"
  echo "$mirror $suite" >"$state/pristine.source"
  rm -rf --one-file-system "$state/bootstrap"
  bootstrap_result="bootstrapped in $(duration $((SECONDS - start)))"
fi

echo "Resetting $root from the pristine root"
rm -rf --one-file-system "$root"
mkdir -p "$root"
tar -C "$root" --numeric-owner --xattrs -xpf "$state/pristine.tar"
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# Packages installed in a chroot must not start services.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"

git -c safe.directory='*' clone --quiet --no-hardlinks --no-checkout "$repo" "$root/root/marvolet"
git -C "$root/root/marvolet" cat-file -e "$commit^{commit}" 2>/dev/null ||
  git -c safe.directory='*' -C "$root/root/marvolet" fetch --quiet "$repo" "$commit"
git -C "$root/root/marvolet" checkout --quiet --detach "$commit"
subject=$(git -C "$root/root/marvolet" log -1 --format='%h %s')

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"

# Runs one README command in the clone, in a login environment of the new root with no display.
results=()
failed=0
run_step() {
  local command=$2 log="$logs/$1.log" status=0 start=$SECONDS
  echo "Running '$command' in the fresh root; log: $log"
  env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    chroot "$root" /bin/bash -c "cd /root/marvolet && $command" >"$log" 2>&1 </dev/null &
  # Waiting in the background lets a stop request end the check at once.
  wait $! || status=$?
  local took
  took=$(duration $((SECONDS - start)))
  if ((status == 0)); then
    results+=("$(printf '%-26s passed in %s' "$command" "$took")")
  else
    failed=1
    results+=("$(printf '%-26s FAILED (exit %d) in %s' "$command" "$status" "$took")")
    echo "--- last lines of $log ---"
    tail -n 25 "$log"
  fi
}

# The commands may install packages, but must leave the apt configuration as they found it.
apt_listing() {
  (cd "$root/etc/apt" && find . -xdev -type l -printf 'link %p -> %l\n' &&
    find . -xdev -type f -print0 | xargs -0r sha256sum) | LC_ALL=C sort
}
apt_before=$(apt_listing)

run_step run-saver "bash scripts/run-saver.sh"
run_step run-tests "bash scripts/run-tests.sh"

if [[ "$(apt_listing)" == "$apt_before" ]]; then
  results+=("$(printf '%-26s unchanged' /etc/apt)")
else
  failed=1
  results+=("$(printf '%-26s CHANGED:' /etc/apt)")
  mapfile -t -O "${#results[@]}" results < <(diff <(echo "$apt_before") <(apt_listing) | grep '^[<>]')
fi

echo
echo "Fresh $release ($suite, minbase), commit $subject"
echo "  root:                      $bootstrap_result"
printf '  %s\n' "${results[@]}"
exit "$failed"
}
