#!/usr/bin/env bash
# Memory soak: runs the X11 saver full screen on a private Xvfb at each size, then the headless
# renderer, sampling resident memory against frames, and prints the growth after the warm-up.
#
# Usage: bench/soak.sh [options]
#   --build DIR          build folder (default build/soak; configured and built when needed)
#   --sizes "WxH ..."    screen sizes (default "640x480 1280x720")
#   --warmup SECONDS     X11 warm-up before the reference sample (default 120)
#   --frames N           X11 frames measured after the warm-up (default 50000)
#   --max-seconds S      stop an X11 run after S seconds even if short of its frames (default none)
#   --headless-frames N  headless frames per size (default 100000; 0 skips the headless runs)
#   --headless-warmup N  headless frames before the reference sample (default 3600)
#   --interval SECONDS   X11 sampling interval (default 10)
#   --mode ARG           the saver's mode argument (default -root; -s also works)
#   --only x11|headless  run one kind only
# Environment variables such as LP_NUM_THREADS or MALLOC_ARENA_MAX reach both programs.
# Installs what it needs with apt-get when missing. A benchmark, not a test: it prints numbers.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/soak"
sizes="640x480 1280x720"
warmup=120
frames=50000
max_seconds=0
headless_frames=100000
headless_warmup=3600
interval=10
mode=-root
only=""

while (($#)); do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --sizes) sizes="$2"; shift 2 ;;
    --warmup) warmup="$2"; shift 2 ;;
    --frames) frames="$2"; shift 2 ;;
    --max-seconds) max_seconds="$2"; shift 2 ;;
    --headless-frames) headless_frames="$2"; shift 2 ;;
    --headless-warmup) headless_warmup="$2"; shift 2 ;;
    --interval) interval="$2"; shift 2 ;;
    --mode) mode="$2"; shift 2 ;;
    --only) only="$2"; shift 2 ;;
    -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
    *) echo "soak.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

bash "$root/scripts/install-packages.sh" cmake ninja-build g++ pkgconf libgl-dev libglu1-mesa-dev \
  libegl-dev libegl-mesa0 libgl1-mesa-dri libglx-mesa0 libjpeg62-turbo-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev fonts-texgyre libpng-dev zlib1g-dev \
  libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxft-dev xvfb

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMARVOLET_BUILD_TESTS=OFF -DMARVOLET_BUILD_TOOLS=ON -DMARVOLET_BUILD_X11=ON \
    -DMARVOLET_BUILD_WAYLAND=OFF >/dev/null
fi
cmake --build "$build" -j2 --target marvolet soak_headless marvolet_swap_counter >/dev/null

scratch="$(mktemp -d /tmp/marvolet-soak-XXXXXX)"
xvfb_pid=""
saver_pid=""
cleanup() {
  if [[ -n "$saver_pid" ]]; then kill "$saver_pid" 2>/dev/null || true; wait "$saver_pid" 2>/dev/null || true; fi
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  saver_pid=""
  xvfb_pid=""
}
trap 'cleanup; rm -rf "$scratch"' EXIT

status_kib() {  # status_kib PID FIELD
  awk -v field="$2:" '$1 == field { print $2 }' "/proc/$1/status" 2>/dev/null || true
}

growth() {  # growth FROM TO: percent, one decimal
  awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.1f%%", (b - a) * 100 / a }'
}

summary=()

soak_x11() {
  local size="$1" width="${1%x*}" height="${1#*x}"
  local count="$scratch/frames-$size" config="$scratch/config-$size"
  mkdir -p "$config"  # empty: the saver runs with its default options
  exec {display_fd}>"$scratch/display-$size"
  Xvfb -displayfd "$display_fd" -screen 0 "${width}x${height}x24" -nolisten tcp \
    >"$scratch/xvfb-$size.log" 2>&1 &
  xvfb_pid=$!
  exec {display_fd}>&-
  local display=""
  for _ in $(seq 100); do
    display="$(cat "$scratch/display-$size" 2>/dev/null || true)"
    [[ -n "$display" ]] && break
    sleep 0.1
  done
  [[ -n "$display" ]] || { echo "soak.sh: Xvfb did not start" >&2; exit 1; }

  DISPLAY=":$display" XDG_CONFIG_HOME="$config" MARVOLET_SWAP_COUNT_FILE="$count" \
    LD_PRELOAD="$build/bench/libmarvolet_swap_counter.so" "$build/marvolet" "$mode" &
  saver_pid=$!
  local start=$SECONDS
  echo "# x11 $size ($mode), warm-up ${warmup} s, then $frames frames"
  printf '%8s %9s %10s %10s\n' seconds frames "rss KiB" "anon KiB"
  local base_rss="" base_frames="" rss=0 done_frames=0 elapsed=0
  while :; do
    if ! kill -0 "$saver_pid" 2>/dev/null; then
      echo "soak.sh: the saver ended early" >&2
      exit 1
    fi
    elapsed=$((SECONDS - start))
    done_frames=0
    if [[ -s "$count" ]]; then done_frames="$(tr -d ' \n' <"$count")"; fi
    rss="$(status_kib "$saver_pid" VmRSS)"
    printf '%8d %9d %10s %10s\n' "$elapsed" "$done_frames" "$rss" \
      "$(status_kib "$saver_pid" RssAnon)"
    if [[ -z "$base_rss" ]] && ((elapsed >= warmup)); then
      base_rss=$rss
      base_frames=$done_frames
    fi
    if [[ -n "$base_rss" ]]; then
      ((done_frames - base_frames >= frames)) && break
      ((max_seconds > 0 && elapsed >= max_seconds)) && break
    fi
    sleep "$interval"
  done
  cleanup
  summary+=("x11 $size: $base_rss KiB at ${warmup} s (frame $base_frames), $rss KiB at $elapsed s \
(frame $done_frames): $(growth "$base_rss" "$rss") over $((done_frames - base_frames)) frames")
}

soak_headless() {
  local size="$1" output="$scratch/headless-$1"
  echo "# headless $size, $headless_frames frames, reference after $headless_warmup"
  local every=$((headless_frames >= 100 ? headless_frames / 100 : 1))
  "$build/bench/soak_headless" --size "$size" --frames "$headless_frames" --every "$every" |
    tee "$output"
  local line
  line="$(awk -v warm="$headless_warmup" '
    $1 ~ /^[0-9]+$/ { if (base == "" && $1 >= warm) { base = $2; baseFrame = $1 } last = $2; lastFrame = $1 }
    END { print base, baseFrame, last, lastFrame }' "$output")"
  read -r base base_frame last last_frame <<<"$line"
  if [[ -n "${base_frame:-}" ]]; then
    summary+=("headless $size: $base KiB at frame $base_frame, $last KiB at frame $last_frame: \
$(growth "$base" "$last")")
  fi
}

for size in $sizes; do
  if [[ "$only" != headless ]]; then soak_x11 "$size"; fi
done
if ((headless_frames > 0)); then
  for size in $sizes; do
    if [[ "$only" != x11 ]]; then soak_headless "$size"; fi
  done
fi

echo "# growth after the warm-up"
printf '%s\n' "${summary[@]}"
