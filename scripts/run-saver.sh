#!/usr/bin/env bash
# Builds the X11 saver and shows it: in a window on $DISPLAY when there is one, otherwise full
# screen on a virtual display (Xvfb) for a few seconds, saving a screenshot and printing its path.
# Installs what is missing first (Debian 12 or 13; as root, or through sudo). Extra arguments go to the
# saver, e.g. scripts/run-saver.sh -no-stars -fps.
#   MARVOLET_SECONDS  how long the virtual-display run lasts (default 6)
#   MARVOLET_SCREEN   its screen size (default 1024x768)
#   MARVOLET_SHOT     where the screenshot goes (default build-run/marvolet-screenshot.png)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-run"
seconds="${MARVOLET_SECONDS:-6}"
screen="${MARVOLET_SCREEN:-1024x768}"
shot="${MARVOLET_SHOT:-$build/marvolet-screenshot.png}"

bash "$root/scripts/install-packages.sh" cmake ninja-build g++ pkgconf libgl-dev libglu1-mesa-dev \
  libgl1-mesa-dri libglx-mesa0 libjpeg62-turbo-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev fonts-texgyre libpng-dev libx11-dev libxext-dev libxrandr-dev \
  libxinerama-dev libxft-dev xvfb x11-utils imagemagick libegl-dev libwayland-dev wayland-protocols \
  libxkbcommon-dev libdbus-1-dev libdecor-0-dev libdecor-0-plugin-1-cairo

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DMARVOLET_BUILD_TESTS=OFF -DMARVOLET_BUILD_TOOLS=OFF -DMARVOLET_BUILD_X11=ON >/dev/null
cmake --build "$build" --target marvolet -j2
saver="$build/marvolet"

if [[ -n "${DISPLAY:-}" ]] && xdpyinfo >/dev/null 2>&1; then
  echo "Running in a window on $DISPLAY: Escape or closing the window ends it; B and S toggle"
  echo "the light effects and the frame rate."
  exec "$saver" -window -x11 "$@"
fi

work="$(mktemp -d)"
server=""
saver_pid=""
cleanup() {
  [[ -n "$saver_pid" ]] && kill "$saver_pid" 2>/dev/null || true
  [[ -n "$server" ]] && kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to fd 3 once it accepts connections.
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
server=$!
for _ in $(seq 100); do
  [[ -s "$work/display" ]] && break
  sleep 0.1
done
[[ -s "$work/display" ]] || {
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
}
export DISPLAY=":$(head -n1 "$work/display")"

echo "No display: running the saver full screen on Xvfb $DISPLAY ($screen) for $seconds s"
"$saver" -s -x11 "$@" &
saver_pid=$!
sleep "$seconds"
kill -0 "$saver_pid" 2>/dev/null || {
  wait "$saver_pid" || true
  echo "the saver ended early" >&2
  exit 1
}
mkdir -p "$(dirname "$shot")"
import -window root "$shot"
kill -TERM "$saver_pid"
status=0
wait "$saver_pid" || status=$?
saver_pid=""
echo "Screenshot: $(cd "$(dirname "$shot")" && pwd)/$(basename "$shot")"
exit "$status"
