#!/usr/bin/env bash
# Frame rate and CPU cost of the X11 saver full screen (-root) on a private Xvfb: presented
# frames per second and process CPU milliseconds per frame, for each drawing path.
# Usage: bench/x11_rate.sh [BUILD_DIR] [SIZE] [SECONDS]   (defaults build/test 1280x720 30)
# Needs a build with the saver and bench/ (marvolet, libmarvolet_swap_counter.so).
set -euo pipefail

build="${1:-build/test}"
size="${2:-1280x720}"
seconds="${3:-30}"
saver="$build/marvolet"
counter="$(cd "$build/bench" && pwd)/libmarvolet_swap_counter.so"
scratch="$(mktemp -d /tmp/marvolet-rate-XXXXXX)"
xvfb_pid=""
cleanup() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 10 -u "$display_fd" display_number
export DISPLAY=":$display_number"
ticks="$(getconf CLK_TCK)"

frames_now() { cat "$scratch/count" 2>/dev/null | tr -d ' ' || echo 0; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

for path in literal fast; do
  # An empty settings folder: the default options.
  XDG_CONFIG_HOME="$scratch/config" MARVOLET_DRAW_PATH="$path" LD_PRELOAD="$counter" \
    MARVOLET_SWAP_COUNT_FILE="$scratch/count" "$saver" -root &
  pid=$!
  sleep 5  # past start-up and the frame delay's first adjustments
  f0="$(frames_now)"
  c0="$(cpu_ticks "$pid")"
  sleep "$seconds"
  f1="$(frames_now)"
  c1="$(cpu_ticks "$pid")"
  kill -TERM "$pid"
  wait "$pid" || true
  awk -v p="$path" -v s="$size" -v f="$((f1 - f0))" -v c="$((c1 - c0))" -v t="$seconds" \
    -v hz="$ticks" 'BEGIN { per = (f > 0) ? 1000 * c / hz / f : 0
      printf "x11 %s path=%s fps=%.1f cpu_ms_per_frame=%.1f\n", s, p, f / t, per }'
done
