#!/usr/bin/env bash
# Makes the README's moving picture, docs/marvolet-loop.webp: seven seconds of the headless
# renderer at 640 x 360 and 10 frames a second, looped without a jump (the last second fades
# into the first), as an animated WebP.
#
# Usage: scripts/make-readme-loop.sh [output]   (Debian 12; installs what it needs)
# Environment: MARVOLET_LOOP_BUILD (build folder, default build/readme-loop), JOBS (default 2).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$repo/docs/marvolet-loop.webp}
build=${MARVOLET_LOOP_BUILD:-$repo/build/readme-loop}

# dump_frames draws on offscreen Mesa; img2webp (webp) makes the animation, ImageMagick blends.
bash "$repo/scripts/install-packages.sh" cmake ninja-build g++ pkgconf libgl-dev libglu1-mesa-dev \
  libegl-dev libegl-mesa0 libgl1-mesa-dri libjpeg62-turbo-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev fonts-texgyre libpng-dev zlib1g-dev webp imagemagick

cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARVOLET_BUILD_TESTS=OFF \
  -DMARVOLET_BUILD_X11=OFF -DMARVOLET_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" --target dump_frames -j "${JOBS:-2}" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Simulated time: from 4 s (the picture settled) for 7 s, plus 1 s more to fade into the start.
# Every frame differs all over (the verse moves everywhere), so the animation costs about 35 kB
# a frame at quality 35: 7 s at 10 frames a second stays under 3 MB.
step=100
start=4000
frames=70
fade=10
times=$(seq -s, "$start" "$step" $((start + (frames + fade - 1) * step)))
"$build/tools/dump_frames" --size 640x360 --flags 6 --seed 3 --step "$step" --times "$times" \
  --out "$work/frames" >/dev/null
frame() { echo "$work/frames/frame_$((start + $1 * step)).png"; }

# Frame i of the loop is frame i of the run, except that the first `fade` frames are blended
# from the frames after the end (weight falling to nothing) into their own: the last frame of
# the loop then runs on into the first as one step of the animation.
mkdir -p "$work/loop"
for ((i = 0; i < frames; i++)); do
  target=$(printf '%s/loop/%03d.png' "$work" "$i")
  if ((i < fade)); then
    percent=$(((i + 1) * 100 / (fade + 1)))
    composite -blend "$percent" "$(frame "$i")" "$(frame $((frames + i)))" "$target"
  else
    cp "$(frame "$i")" "$target"
  fi
done

img2webp -loop 0 -lossy -q 35 -m 6 -d "$step" "$work"/loop/*.png -o "$out" >/dev/null 2>&1
bytes=$(stat -c %s "$out")
((bytes <= 3 * 1024 * 1024)) || {
  echo "make-readme-loop: $out is $bytes bytes, more than 3 MB" >&2
  exit 1
}
echo "wrote $out: $frames frames, 640x360, $((frames * step / 1000)) s, $bytes bytes"
