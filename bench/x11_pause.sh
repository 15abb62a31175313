#!/usr/bin/env bash
# Frames the X11 saver (-root, default options) presents in the SECONDS before and the SECONDS
# after its monotonic clock moves an hour forward, as after an hour with the display dark: the
# two counts should be alike.
# Usage: bench/x11_pause.sh [BUILD_DIR] [SIZE] [SECONDS]   (defaults build/test 1280x720 15)
# Needs a build with the saver and bench/ (libmarvolet_swap_counter.so, libmarvolet_clock_shift.so).
set -euo pipefail

build="${1:-build/test}"
size="${2:-1280x720}"
seconds="${3:-15}"
saver="$build/marvolet"
bench="$(cd "$build/bench" && pwd)"
scratch="$(mktemp -d /tmp/marvolet-pause-XXXXXX)"
saver_pid=""
source "$(dirname "${BASH_SOURCE[0]}")/private_xvfb.sh"
cleanup() {
  [[ -n "$saver_pid" ]] && kill "$saver_pid" 2>/dev/null && wait "$saver_pid" 2>/dev/null
  stop_private_xvfb
  rm -rf "$scratch"
}
trap cleanup EXIT

start_private_xvfb "$size"

frames_now() { tr -d ' ' <"$scratch/count" 2>/dev/null || echo 0; }

echo 0 >"$scratch/shift"
XDG_CONFIG_HOME="$scratch/config" MARVOLET_SWAP_COUNT_FILE="$scratch/count" \
  MARVOLET_CLOCK_SHIFT_FILE="$scratch/shift" \
  LD_PRELOAD="$bench/libmarvolet_swap_counter.so $bench/libmarvolet_clock_shift.so" \
  "$saver" -root &
saver_pid=$!
sleep 5  # past start-up and the frame delay's first adjustments
f0="$(frames_now)"
sleep "$seconds"
f1="$(frames_now)"
echo 3600 >"$scratch/shift"
sleep "$seconds"
f2="$(frames_now)"
echo "x11 $size frames in ${seconds} s: before=$((f1 - f0)) after_an_hour_forward=$((f2 - f1))"
