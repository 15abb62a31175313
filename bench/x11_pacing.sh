#!/usr/bin/env bash
# Evenness of the X11 saver's frames with no refresh to follow: full screen (-root) on a private
# Xvfb with GALLIUM_NOOP=1, so that only the pacing is measured. Prints, per build, the present
# intervals' mean, standard deviation, 95th percentile and largest (milliseconds) and the rate,
# over SECONDS after 5 seconds of start-up. Each round runs the baseline build's saver, then
# this build's, so both meet the same load.
# Usage: bench/x11_pacing.sh [BUILD_DIR] [SECONDS] [BASELINE_BUILD_DIR] [ROUNDS]
#   (defaults build/test 30, no baseline, 1 round; bench/build-baseline.sh makes a baseline)
set -euo pipefail

build="${1:-build/test}"
seconds="${2:-30}"
baseline="${3:-}"
rounds="${4:-1}"
size=1280x720
scratch="$(mktemp -d /tmp/marvolet-pacing-XXXXXX)"
source "$(dirname "${BASH_SOURCE[0]}")/private_xvfb.sh"
cleanup() {
  stop_private_xvfb
  rm -rf "$scratch"
}
trap cleanup EXIT
start_private_xvfb "$size"

# One run: label, build folder.
measure() {
  local label=$1 dir=$2
  local counter
  counter="$(cd "$dir/bench" && pwd)/libmarvolet_swap_counter.so"
  rm -f "$scratch/presents"
  env XDG_CONFIG_HOME="$scratch/config" LD_PRELOAD="$counter" GALLIUM_NOOP=1 \
    MARVOLET_PRESENT_LOG="$scratch/presents" "$dir/marvolet" -root &
  local pid=$!
  sleep $((seconds + 5))
  kill -TERM "$pid"
  wait "$pid" || true
  # The intervals after start-up, sorted for the percentile.
  sort -n "$scratch/presents" | awk -v skip=5000000 '
    NR == 1 { first = $1 }
    $1 - first >= skip { printf "%.3f\n", ($1 - previous) / 1000 }
    { previous = $1 }' | sort -n | awk -v l="$label" '
    { d[NR] = $1; sum += $1; sq += $1 * $1 }
    END {
      n = NR; mean = sum / n; sd = sqrt(sq / n - mean * mean)
      printf "x11 1280x720 noop %s frames=%d mean_ms=%.2f sd_ms=%.2f p95_ms=%.1f max_ms=%.1f fps=%.2f\n",
        l, n, mean, sd, d[int(n * 0.95)], d[n], 1000 / mean }'
}

for ((round = 1; round <= rounds; round++)); do
  [[ -n "$baseline" ]] && measure today "$baseline"
  measure now "$build"
done
