#!/usr/bin/env bash
# Rebuilds tools/assetgen and regenerates the font atlas, glyph table, logos, icon and previews.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ASSETGEN_BUILD_DIR:-$root/build-assetgen}"
font=/usr/share/texmf/fonts/opentype/public/tex-gyre/texgyretermes-regular.otf

missing=()
for package in fonts-texgyre libfreetype-dev libjpeg-dev libpng-dev cmake g++; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update
  $sudo apt-get install -y "${missing[@]}"
fi

cmake -S "$root/tools/assetgen" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target assetgen -j2
"$build/assetgen" "$root" "$font"
# The preview compiles the table that was just written, so it is built only now.
cmake --build "$build" --target assetpreview -j2
"$build/assetpreview" "$root/assets/data/font_atlas.jpg" "$root/docs/assets/text_sample.png"
