#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each briefly from its seeds.
# Usage: scripts/run-fuzzers.sh [seconds per fuzzer, default 20]; MARVOLET_FUZZ_BUILD overrides
# the build folder (build-fuzz/).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MARVOLET_FUZZ_BUILD:-$root/build-fuzz}"
seconds="${1:-20}"

# The fuzzers link clang's libFuzzer and sanitizer runtimes; the project configures its tests as
# well, so their libraries are needed too.
# shellcheck source=lib/clang-runtime.sh
. "$root/scripts/lib/clang-runtime.sh"
install_clang_with_runtime "$root"
bash "$root/scripts/install-packages.sh" cmake ninja-build pkgconf \
  libgtest-dev libgmock-dev libbenchmark-dev libgl-dev libglu1-mesa-dev libegl-dev libpng-dev \
  libjpeg62-turbo-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev fonts-texgyre zlib1g-dev libx11-dev libxext-dev libxi-dev libxtst-dev \
  libxrandr-dev libxinerama-dev libxft-dev libwayland-dev wayland-protocols libxkbcommon-dev libdbus-1-dev libdecor-0-dev \
  fonts-dejavu-core fonts-lohit-deva fonts-wqy-microhei

generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi

cmake -S "$root" -B "$build" "${generator[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMARVOLET_FUZZ=ON -DMARVOLET_FUZZ_SECONDS="$seconds"
cmake --build "$build" --target marvolet_fuzzers -j2
ctest --test-dir "$build" -L fuzz --output-on-failure
