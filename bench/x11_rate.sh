#!/usr/bin/env bash
# Frame rate and CPU cost of the X11 saver full screen (-root) on a private Xvfb: presented
# frames per second and process CPU milliseconds per frame. Cases, each beside the baseline
# build's when one is given: the default (fast) path, the literal path, the glow without GLSL
# (layered: the preloaded counter hides the shader functions) and no GPU work at all
# (noop: GALLIUM_NOOP=1, where the CPU per frame is what a GPU machine would spend).
# Usage: bench/x11_rate.sh [BUILD_DIR] [SIZE] [SECONDS] [BASELINE_BUILD_DIR]
#   (defaults build/test 1280x720 30; bench/build-baseline.sh makes a baseline build)
# Needs a build with the saver and bench/ (marvolet, libmarvolet_swap_counter.so).
set -euo pipefail

build="${1:-build/test}"
size="${2:-1280x720}"
seconds="${3:-30}"
baseline="${4:-}"
counter="$(cd "$build/bench" && pwd)/libmarvolet_swap_counter.so"
scratch="$(mktemp -d /tmp/marvolet-rate-XXXXXX)"
source "$(dirname "${BASH_SOURCE[0]}")/private_xvfb.sh"
cleanup() {
  stop_private_xvfb
  rm -rf "$scratch"
}
trap cleanup EXIT

start_private_xvfb "$size"
ticks="$(getconf CLK_TCK)"

frames_now() { cat "$scratch/count" 2>/dev/null | tr -d ' ' || echo 0; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# One run: label, saver, then environment assignments for it.
rate() {
  local label=$1 saver=$2
  shift 2
  rm -f "$scratch/count"
  # An empty settings folder: the default options.
  env XDG_CONFIG_HOME="$scratch/config" LD_PRELOAD="$counter" \
    MARVOLET_SWAP_COUNT_FILE="$scratch/count" "$@" "$saver" -root &
  local pid=$!
  sleep 5  # past start-up and the frame delay's first adjustments
  local f0 c0 f1 c1
  f0="$(frames_now)"
  c0="$(cpu_ticks "$pid")"
  sleep "$seconds"
  f1="$(frames_now)"
  c1="$(cpu_ticks "$pid")"
  kill -TERM "$pid"
  wait "$pid" || true
  awk -v l="$label" -v s="$size" -v f="$((f1 - f0))" -v c="$((c1 - c0))" -v t="$seconds" \
    -v hz="$ticks" 'BEGIN { per = (f > 0) ? 1000 * c / hz / f : 0
      printf "x11 %s %s fps=%.1f cpu_ms_per_frame=%.1f\n", s, l, f / t, per }'
}

# Each case for the baseline, then at once for this build, so both meet the same load.
builds=("now:$build")
[[ -n "$baseline" ]] && builds=("today:$baseline" "now:$build")
for case_name in fast literal layered noop; do
  for entry in "${builds[@]}"; do
    version=${entry%%:*}
    saver="${entry#*:}/marvolet"
    case $case_name in
      fast) rate "$version path=fast" "$saver" MARVOLET_DRAW_PATH=fast ;;
      literal) rate "$version path=literal" "$saver" MARVOLET_DRAW_PATH=literal ;;
      layered) rate "$version layered" "$saver" MARVOLET_DRAW_PATH=fast MARVOLET_HIDE_GLSL=1 ;;
      noop) rate "$version noop" "$saver" MARVOLET_DRAW_PATH=fast GALLIUM_NOOP=1 ;;
    esac
  done
done
