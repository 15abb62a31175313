#!/usr/bin/env bash
# Draws one headless frame of a short passage and title in each of ten scripts and lays them
# out, labelled, as docs/scripts.png, to look at what the shaper and the grown atlas make of
# them. Needs a build tree with dump_frames (default build/test), the fonts the tests use and
# ImageMagick. Usage: tools/make-script-sheet.sh [--literal]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MARVOLET_BUILD:-$root/build/test}"
out="$root/docs/scripts.png"
path=()
[[ "${1:-}" == --literal ]] && path=(--literal)

bash "$root/scripts/install-packages.sh" imagemagick fonts-dejavu-core fonts-lohit-deva \
  fonts-wqy-microhei
cmake --build "$build" --target dump_frames >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# label | passage | title: the same words as tests/scene/scripts_gl_test.cpp
samples=(
  "French|Là où l'été s'éveille, ça déçoit peu.|Garçon, où êtes-vous ?"
  "Polish|Zażółć gęślą jaźń, pchnąć w tę łódź jeża.|Źródło"
  "Greek|Καλημέρα κόσμε, ξεσκεπάζω την ψυχοφθόρα βδελυγμία.|Ελληνικά"
  "Russian|Съешь же ещё этих мягких французских булок.|Русский"
  "Hebrew|שלום עולם ומלואו, דג סקרן שט בים מאוכזב.|עברית"
  "Arabic|مرحبا بالعالم الجميل، نص حكيم له سر قاطع.|العربية"
  "Hindi|नमस्ते दुनिया, ऋषियों को सताने वाले दुष्ट राक्षसों।|हिन्दी"
  "Chinese|天地玄黄，宇宙洪荒。日月盈昃，辰宿列张。|千字文"
  "Japanese|いろはにほへと　ちりぬるを　わかよたれそ　つねならむ。|日本語"
  "Korean|다람쥐 헌 쳇바퀴에 타고파. 키스의 고유조건은 입술끼리 만나야 하고.|한국어"
)
frames=()
for sample in "${samples[@]}"; do
  IFS='|' read -r label passage title <<<"$sample"
  printf '%s ' "$passage" "$passage" "$passage" >"$work/$label.txt"
  "$build/tools/dump_frames" --size 640x480 --flags 4 --times 6000 --step 100 --seed 5 \
    "${path[@]}" --passage "$work/$label.txt" --title "$title" --out "$work/$label" >/dev/null
  # At full size: the middle of the sphere, where the rings face the viewer, and the title.
  convert "$work/$label/frame_6000.png" \( -clone 0 -crop 320x150+160+165 +repage \) \
    \( -clone 0 -crop 320x40+300+442 +repage \) -delete 0 -append \
    -gravity north -background '#202020' -fill white -splice 0x18 \
    -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -pointsize 14 -annotate +0+2 "$label" \
    "$work/$label.png"
  frames+=("$work/$label.png")
done
montage "${frames[@]}" -tile 5x2 -geometry +2+2 -background '#202020' "$work/sheet.png"
convert "$work/sheet.png" -colors 128 "PNG8:$out"
echo "wrote $out"
