#!/usr/bin/env bash
# Renders the README's gallery with the headless renderer (the fast path unless --literal is
# given) into docs/gallery. Needs a build tree with dump_frames (default build/test) and
# ImageMagick's convert.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MARVOLET_BUILD:-$root/build/test}"
out="$root/docs/gallery"
path=()
[[ "${1:-}" == --literal ]] && path=(--literal)

cmake --build "$build" --target dump_frames >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# name, size, flags, time in ms
frame() {
  "$build/tools/dump_frames" --size "$2" --flags "$3" --times "$4" --step 100 --seed 3 \
    "${path[@]}" --out "$work/$1" >/dev/null
  echo "$work/$1/frame_$4.png"
}

convert "$(frame default 1280x720 6 8000)" -quality 90 "$out/default-1280x720.jpg"
convert "$(frame plain 1280x720 4 8000)" -quality 90 "$out/no-light-effects-1280x720.jpg"
convert "$(frame trails 1280x720 5 3000)" -quality 90 "$out/trails-1280x720.jpg"
cp "$(frame preview 152x112 6 8000)" "$out/preview-152x112.png"
echo "wrote $out"
