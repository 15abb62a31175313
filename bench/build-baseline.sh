#!/usr/bin/env bash
# Builds another commit's saver and frame_cost (the working tree's benchmark source, so that
# both print the same lines) into build/baseline-<commit>, for the benchmarks' "today" figures.
# Usage: bench/build-baseline.sh [COMMIT]   (default 660b240); prints the build folder.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
commit=$(git rev-parse --short "${1:-660b240}^{commit}")
out="$root/build/baseline-$commit"
# A build folder configured elsewhere (a copied or moved tree) cannot be reused.
if [[ -f "$out/build/CMakeCache.txt" ]] &&
  ! grep -qx "CMAKE_CACHEFILE_DIR:INTERNAL=$out/build" "$out/build/CMakeCache.txt"; then
  rm -rf "$out/build"
fi
if [[ ! -x "$out/build/marvolet" || "$root/bench/frame_cost.cpp" -nt "$out/build/bench/frame_cost" ]]; then
  rm -rf "$out/src"
  mkdir -p "$out/src"
  git archive "$commit" | tar -x -C "$out/src"
  cp bench/frame_cost.cpp bench/swap_counter.cpp "$out/src/bench/"
  cmake -S "$out/src" -B "$out/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMARVOLET_BUILD_TESTS=OFF >"$out/configure.log" 2>&1 || {
    cat "$out/configure.log" >&2
    exit 2
  }
  cmake --build "$out/build" -j2 --target marvolet frame_cost marvolet_swap_counter \
    >"$out/build.log" 2>&1 || {
    tail -40 "$out/build.log" >&2
    exit 2
  }
fi
echo "$out/build"
