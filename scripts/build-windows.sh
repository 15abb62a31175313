#!/usr/bin/env bash
# Builds build-windows/marvolet.scr, one self-contained 64-bit Windows program, with the
# mingw-w64 cross tool chain. Installs what is missing (Debian), builds libjpeg-turbo's jpeg62
# library statically from Debian's own source package once and keeps it in the build tree.
#
# Usage: scripts/build-windows.sh [build-dir]     (default: build-windows)
# Environment: JOBS (parallel jobs, default 2).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build-windows}
mkdir -p "$build"
build=$(cd "$build" && pwd)
jobs=${JOBS:-2}
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
deps=$build/deps
jpeg_prefix=$deps/jpeg

log() { printf '[build-windows] %s\n' "$*"; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

apt_updated=no
apt_update_once() {
  if [ "$apt_updated" = no ]; then
    as_root apt-get update -qq
    apt_updated=yes
  fi
}

# Installs the Debian packages whose commands are missing: pairs of command and package.
need_commands() {
  local missing=()
  while [ $# -gt 0 ]; do
    command -v "$1" >/dev/null 2>&1 || missing+=("$2")
    shift 2
  done
  if [ ${#missing[@]} -gt 0 ]; then
    log "installing ${missing[*]}"
    apt_update_once
    # Without recommends, as everywhere else, so a missing declaration shows on a fresh machine.
    as_root env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# Debian's source package comes through a private apt configuration under the build folder:
# deb-src entries derived from the machine's binary ones, and their own lists and cache. The
# machine's apt configuration is only read.
# shellcheck source=lib/apt-private.sh
. "$repo/scripts/lib/apt-private.sh"

# Earlier versions of this script added these two files, which can leave apt refusing every
# command; remove exactly those.
remove_old_deb_src_files() {
  local file
  for file in /etc/apt/sources.list.d/marvolet-deb-src.list \
    /etc/apt/sources.list.d/marvolet-deb-src.sources; do
    if [ -e "$file" ]; then
      log "removing $file (left by an earlier version of this script)"
      as_root rm -f "$file"
    fi
  done
}

remove_old_deb_src_files

need_commands x86_64-w64-mingw32-g++ mingw-w64 cmake cmake ninja ninja-build \
  dpkg-source dpkg-dev x86_64-w64-mingw32-objdump binutils-mingw-w64-x86-64 patch patch

fetch_jpeg_source() {
  local into=$1 private=$deps/apt
  apt_private_configure "$private"
  apt_private_options "$private"
  log "fetching Debian's libjpeg-turbo source package (apt configuration: $private)"
  apt-get "${apt_private_opts[@]}" update -qq >"$deps/apt-update.log" 2>&1 || {
    cat "$deps/apt-update.log" >&2
    echo "apt-get update of the deb-src entries failed" >&2
    exit 1
  }
  (cd "$into" && apt-get "${apt_private_opts[@]}" source -qq libjpeg-turbo) \
    >"$deps/apt-source.log" 2>&1 && return
  # An archive that lacks the .dsc but holds the tarballs (seen on a partial mirror) still
  # serves them, checked against its signed index; they are unpacked as dpkg-source would.
  log "apt-get source libjpeg-turbo failed; fetching its tarballs alone"
  local tarballs=$deps/tarballs
  rm -rf "$tarballs"
  mkdir -p "$tarballs"
  (cd "$tarballs" && apt-get "${apt_private_opts[@]}" source -qq --tar-only libjpeg-turbo &&
    apt-get "${apt_private_opts[@]}" source -qq --diff-only libjpeg-turbo) \
    >>"$deps/apt-source.log" 2>&1 || {
    cat "$deps/apt-source.log" >&2
    echo "apt-get source libjpeg-turbo failed, and so did fetching its tarballs" >&2
    exit 1
  }
  unpack_debian_source "$tarballs" "$into"
}

# Unpacks a 3.0 (quilt) source from its upstream and debian tarballs in $1 into $2/<name>-<version>,
# with Debian's patches applied in their series order.
unpack_debian_source() {
  local from=$1 into=$2 orig debian dir patch
  orig=$(find "$from" -maxdepth 1 -name '*.orig.tar.*' | head -n 1)
  debian=$(find "$from" -maxdepth 1 -name '*.debian.tar.*' | head -n 1)
  if [ -z "$orig" ] || [ -z "$debian" ]; then
    echo "no upstream and debian tarballs in $from" >&2
    exit 1
  fi
  dir=$(basename "$orig")
  dir=${dir%.orig.tar.*}
  dir=$into/${dir/_/-}
  # Unpacked under a name the source search skips, until whole.
  local staging=$into/.unpacking
  rm -rf "$staging"
  mkdir -p "$staging"
  tar -xf "$orig" -C "$staging" --strip-components=1 --no-same-owner
  tar -xf "$debian" -C "$staging" --no-same-owner
  if [ -f "$staging/debian/patches/series" ]; then
    while read -r patch _; do
      case "$patch" in '' | '#'*) continue ;; esac
      patch -d "$staging" -p1 -s -N -F0 <"$staging/debian/patches/$patch" || {
        echo "Debian's patch $patch does not apply to $(basename "$orig")" >&2
        exit 1
      }
    done <"$staging/debian/patches/series"
  fi
  mv "$staging" "$dir"
}

build_jpeg() {
  if [ -f "$jpeg_prefix/lib/libjpeg.a" ] && [ -f "$jpeg_prefix/include/jpeglib.h" ]; then
    log "libjpeg: cached in $jpeg_prefix"
    return
  fi
  local src_root=$deps/src
  mkdir -p "$src_root"
  local src
  src=$(find "$src_root" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  if [ -z "$src" ]; then
    fetch_jpeg_source "$src_root"
    src=$(find "$src_root" -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
  fi
  log "building libjpeg (jpeg62, static) from $src"
  # No SIMD: three small images are decoded once per run, and it spares an assembler.
  cmake -S "$src" -B "$deps/jpeg-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" \
    -DCMAKE_INSTALL_LIBDIR=lib \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF \
    -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF >"$deps/jpeg-configure.log"
  cmake --build "$deps/jpeg-build" --target jpeg-static -j "$jobs" >"$deps/jpeg-build.log"
  mkdir -p "$jpeg_prefix/lib" "$jpeg_prefix/include"
  cp "$deps/jpeg-build/libjpeg.a" "$jpeg_prefix/lib/"
  cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$deps/jpeg-build/jconfig.h" \
    "$jpeg_prefix/include/"
}

# The program icon is drawn by our own tool into resources/; until it exists a plain
# placeholder keeps the build going (it is never written into the source tree).
icon_args=(-DMARVOLET_ICON_DIR="$repo/resources")
if [ ! -f "$repo/resources/marvolet.ico" ]; then
  mkdir -p "$build/placeholder"
  placeholder=$build/placeholder/marvolet.ico
  log "resources/marvolet.ico is missing; using a placeholder icon"
  need_commands python3 python3
  python3 - "$placeholder" <<'EOF'
# A 16-colour icon with a 32 x 32 and a 16 x 16 image: a white ring on black.
import struct, sys

def image(size):
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(0, size, 2):
            pair = 0
            for dx in (0, 1):
                cx, cy = x + dx - size / 2 + 0.5, y - size / 2 + 0.5
                r2 = cx * cx + cy * cy
                pair = pair << 4 | (15 if (size * 0.3) ** 2 <= r2 <= (size * 0.45) ** 2 else 0)
            row.append(pair)
        rows.append(bytes(row) + bytes(-len(row) % 4))
    mask_row = bytes((size + 31) // 32 * 4)
    palette = b"".join(struct.pack("<4B", v, v, v, 0) for v in [0] * 15 + [255])
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    return header + palette + b"".join(reversed(rows)) + mask_row * size

images = [image(32), image(16)]
offset = 6 + 16 * len(images)
out = struct.pack("<HHH", 0, 1, len(images))
for size, data in zip((32, 16), images):
    out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
    offset += len(data)
open(sys.argv[1], "wb").write(out + b"".join(images))
EOF
  icon_args=(-DMARVOLET_ICON_DIR="$build/placeholder")
fi

build_jpeg

log "configuring $build"
cmake -S "$repo" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DJPEG_INCLUDE_DIR="$jpeg_prefix/include" \
  -DJPEG_LIBRARY="$jpeg_prefix/lib/libjpeg.a" \
  "${icon_args[@]}" >"$build/configure.log" || {
  cat "$build/configure.log" >&2
  exit 1
}
log "building marvolet.scr"
cmake --build "$build" --target marvolet -j "$jobs"

scr=$build/marvolet.scr
# Only the platform's own DLLs may be imported: the saver is copied alone into the system folder.
"$repo/tests/wine/check_program_file.sh" "$scr" >"$build/check.log" || {
  cat "$build/check.log" >&2
  exit 1
}
log "$(grep imports "$build/check.log")"
log "built $scr"
