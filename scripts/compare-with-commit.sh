#!/usr/bin/env bash
# Shows that the working tree draws what a given commit draws: the same pixels and the same GL
# calls. Both versions are built from scratch under build/compare; every frame of the headless
# renderer is compared as decoded pixels, on both drawing paths, and the GL call log of building
# a renderer and drawing frames is compared line for line.
#
# Usage: scripts/compare-with-commit.sh COMMIT
# Exit status 0 when everything matches, 1 when anything differs, 2 on a usage or build error.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if (($# != 1)); then
  echo "usage: scripts/compare-with-commit.sh COMMIT" >&2
  exit 2
fi
base=$(git rev-parse --verify "$1^{commit}") || exit 2

bash scripts/install-packages.sh cmake ninja-build g++ pkgconf libgtest-dev libgmock-dev \
  libbenchmark-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri \
  libjpeg62-turbo-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev fonts-texgyre libpng-dev zlib1g-dev imagemagick

out=$root/build/compare
rm -rf "$out/base-src" "$out/frames" "$out/calls"
mkdir -p "$out/base-src" "$out/frames" "$out/calls"
git archive "$base" | tar -x -C "$out/base-src"

# Only the headless parts: the renderer, its recorded twin, the headless context, the tools.
configure() {
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMARVOLET_BUILD_X11=OFF \
    -DMARVOLET_BUILD_TESTS=ON -DMARVOLET_BUILD_TOOLS=ON >"$2.configure.log" 2>&1 || {
    cat "$2.configure.log" >&2
    exit 2
  }
}
build() {
  local dir=$1
  shift
  cmake --build "$dir" -j "$(nproc)" --target "$@" >"$dir.build.log" 2>&1 || {
    tail -40 "$dir.build.log" >&2
    exit 2
  }
}

echo "[compare] building $(git rev-parse --short "$base") and the working tree"
mkdir -p "$out/base-build" "$out/head-build"
configure "$out/base-src" "$out/base-build"
configure "$root" "$out/head-build"
build "$out/head-build" dump_frames gl_call_log
if grep -q 'gl_call_log' "$out/base-src/tests/CMakeLists.txt"; then
  build "$out/base-build" dump_frames gl_call_log
  base_log=$out/base-build/tests/gl_call_log
else
  # An older commit without the logger: the logger from the working tree, built against its
  # recorded core. It needs only the renderer's constructor and renderFrame.
  build "$out/base-build" dump_frames marvolet_core_recorded marvolet_headless marvolet_platform
  base_log=$out/base-build/gl_call_log
  g++ -std=c++17 -O2 -DMARVOLET_GL_RECORDER -I "$out/base-src" -I "$out/base-src/tests/support" \
    -I "$out/base-src/tools" "$root/tests/support/gl_call_log.cpp" \
    "$out/base-build/tests/libmarvolet_core_recorded.a" \
    "$out/base-build/tools/libmarvolet_headless.a" \
    "$out/base-build/platform/libmarvolet_platform.a" \
    -lGLU -lGL -lEGL -ljpeg -lz -o "$base_log"
fi
head_log=$out/head-build/tests/gl_call_log

differences=0

echo "[compare] frames at 0, 1000, 3500 and 9000 ms, pixel by pixel"
for size in 1280x720 152x112; do
  for flags in 0 4 6 7; do
    for path in fast literal; do
      case_name="$size-flags$flags-$path"
      literal_arg=()
      [[ $path == literal ]] && literal_arg=(--literal)
      for side in base head; do
        "$out/$side-build/tools/dump_frames" --size "$size" --flags "$flags" \
          --times 0,1000,3500,9000 "${literal_arg[@]}" --out "$out/frames/$case_name-$side" \
          >/dev/null
      done
      line="$case_name:"
      for t in 0 1000 3500 9000; do
        # Pixels whose colours differ at all; identical decoded images give 0.
        changed=$(compare -metric AE "$out/frames/$case_name-base/frame_$t.png" \
          "$out/frames/$case_name-head/frame_$t.png" null: 2>&1 || true)
        line+=" ${t}ms=$changed"
        [[ $changed == 0 ]] || differences=$((differences + 1))
      done
      echo "  $line"
    done
  done
done

echo "[compare] GL calls of building a renderer, drawing three frames and deleting it"
for size in 1280x720 152x112; do
  for flags in 6 7; do
    for path in fast literal; do
      name="$size-flags$flags-$path"
      "$base_log" "$size" "$flags" "$path" 3 33 >"$out/calls/$name-base.txt"
      "$head_log" "$size" "$flags" "$path" 3 33 >"$out/calls/$name-head.txt"
      if cmp -s "$out/calls/$name-base.txt" "$out/calls/$name-head.txt"; then
        echo "  $name: same $(wc -l <"$out/calls/$name-head.txt") lines"
      else
        differences=$((differences + 1))
        echo "  $name: DIFFERENT (diff -u $out/calls/$name-base.txt $out/calls/$name-head.txt)"
        # diff exits 1 on a difference and head may close the pipe early: neither is an error.
        { diff -u "$out/calls/$name-base.txt" "$out/calls/$name-head.txt" || true; } |
          head -20 | sed 's/^/    /' || true
      fi
    done
  done
done

if ((differences == 0)); then
  echo "[compare] identical: every frame and every call log"
  exit 0
fi
echo "[compare] $differences comparisons differ"
exit 1
