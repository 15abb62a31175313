#!/usr/bin/env bash
# frame_cost --compare of a baseline commit (default 660b240, "today") and of this working tree
# ("now"), run in turn twice so that both meet the same load; every line is prefixed with its
# version. Usage: bench/compare-today.sh [FRAMES] [COMMIT]   (defaults 40 660b240)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
frames="${1:-40}"
baseline=$(bash bench/build-baseline.sh "${2:-660b240}")
cmake --build build/test -j2 --target frame_cost >/dev/null
for round in 1 2; do
  "$baseline/bench/frame_cost" --compare "$frames" | sed "s/^/today round$round /"
  build/test/bench/frame_cost --compare "$frames" | sed "s/^/now   round$round /"
done
