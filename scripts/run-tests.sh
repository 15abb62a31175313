#!/usr/bin/env bash
# Installs what is missing (Debian 12 or 13, as root), builds, and runs every test: unit and GL
# tests (plain and under ASan+UBSan), the fuzzers briefly, the Windows saver under Wine and the
# X11 saver under Xvfb. MARVOLET_SKIP_WINE=1 or MARVOLET_SKIP_SANITIZE=1 leave those parts out.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-packages.sh cmake ninja-build g++ clang pkgconf libgtest-dev libgmock-dev \
  libbenchmark-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libpng-dev \
  libjpeg62-turbo-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev fonts-texgyre zlib1g-dev libx11-dev libxext-dev libxi-dev libxtst-dev \
  libxrandr-dev libxinerama-dev libxft-dev xvfb xserver-xephyr xdotool x11-utils x11-xserver-utils \
  imagemagick xscreensaver xscreensaver-gl libxml2-utils groff-base libglx-mesa0 openssl \
  osslsigncode libwayland-dev wayland-protocols libxkbcommon-dev sway grim wtype weston swayidle \
  libdbus-1-dev libdecor-0-dev libdecor-0-plugin-1-cairo dbus-daemon fonts-dejavu-core fonts-lohit-deva fonts-wqy-microhei
# shellcheck source=lib/clang-runtime.sh
. scripts/lib/clang-runtime.sh
install_clang_with_runtime "$root"

wine_args=()
if [[ "${MARVOLET_SKIP_WINE:-0}" != 1 ]]; then
  bash scripts/install-packages.sh wine wine64
  bash scripts/build-windows.sh
  wine_args=(-DMARVOLET_WINDOWS_SCR="$root/build-windows/marvolet.scr")
fi

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${wine_args[@]}"
cmake --build build/test -j2
# Wine cases that Wine itself failed once (a crash of its own processes) are run again and listed.
retried=build/test/tests/wine/work/retried.log
rm -f "$retried"
status=0
ctest --test-dir build/test --output-on-failure -j2 --timeout 600 || status=$?
if [[ -s "$retried" ]]; then
  echo "Wine cases run a second time because Wine failed the first attempt:"
  cat "$retried"
fi
((status == 0)) || exit "$status"

if [[ "${MARVOLET_SKIP_SANITIZE:-0}" != 1 ]]; then
  cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMARVOLET_SANITIZE=ON \
    -DMARVOLET_BUILD_X11=OFF -DMARVOLET_BUILD_TOOLS=OFF
  cmake --build build/sanitize -j2
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$root/tests/lsan-suppressions.txt" \
    ctest --test-dir build/sanitize -L 'unit|gl' --output-on-failure -j2 --timeout 600
fi

MARVOLET_FUZZ_BUILD="$root/build/fuzz" bash scripts/run-fuzzers.sh 20
