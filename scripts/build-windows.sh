#!/usr/bin/env bash
# Builds build-windows/marvolet.scr, one self-contained 64-bit Windows program, with the
# mingw-w64 cross tool chain. Installs what is missing (Debian), builds libjpeg-turbo's jpeg62
# library, zlib, libpng, FreeType and HarfBuzz statically from Debian's own source packages once
# and keeps them in the build tree (build-windows/deps/<name>/{include,lib}).
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
# The font face the program carries is taken from Debian's package at build time.
bash "$repo/scripts/install-packages.sh" fonts-texgyre

# Fetches Debian's source package $2 into $1 through the private apt configuration; its index is
# updated once per run.
apt_private_updated=no
fetch_source() {
  local into=$1 package=$2 private=$deps/apt
  apt_private_configure "$private"
  apt_private_options "$private"
  if [ "$apt_private_updated" = no ]; then
    log "updating the deb-src index (apt configuration: $private)"
    apt-get "${apt_private_opts[@]}" update -qq >"$deps/apt-update.log" 2>&1 || {
      cat "$deps/apt-update.log" >&2
      echo "apt-get update of the deb-src entries failed" >&2
      exit 1
    }
    apt_private_updated=yes
  fi
  log "fetching Debian's $package source package"
  local log_file=$deps/apt-source-$package.log version
  (cd "$into" && apt-get "${apt_private_opts[@]}" source -qq "$package") >"$log_file" 2>&1 &&
    return
  # The newest version can be listed before its files reach the mirror (a security update, say);
  # an older one of the same release serves as well.
  for version in $(apt-cache "${apt_private_opts[@]}" showsrc "$package" |
    awk '/^Version:/ { print $2 }' | sort -u -r -V); do
    log "retrying with $package=$version"
    (cd "$into" && apt-get "${apt_private_opts[@]}" source -qq "$package=$version") \
      >>"$log_file" 2>&1 && return
  done
  # An archive that lacks the .dsc but holds the tarballs (seen on a partial mirror) still
  # serves them, checked against its signed index; they are unpacked as dpkg-source would.
  log "apt-get source $package failed; fetching its tarballs alone"
  local tarballs=$deps/tarballs-$package
  rm -rf "$tarballs"
  mkdir -p "$tarballs"
  (cd "$tarballs" && apt-get "${apt_private_opts[@]}" source -qq --tar-only "$package") \
    >>"$log_file" 2>&1 || {
    cat "$log_file" >&2
    echo "apt-get source $package failed, and so did fetching its tarballs" >&2
    exit 1
  }
  # The upstream tarball is shared by every Debian revision of a version, so it outlives a
  # revision's own files on a mirror; without Debian's changes it is built as released.
  (cd "$tarballs" && apt-get "${apt_private_opts[@]}" source -qq --diff-only "$package") \
    >>"$log_file" 2>&1 ||
    log "Debian's changes to $package are not on the mirror: building its upstream source alone"
  unpack_debian_source "$tarballs" "$into"
}

# Unpacks a 3.0 (quilt) source from its upstream and debian tarballs in $1 into $2/<name>-<version>,
# with Debian's patches applied in their series order; the upstream tarball alone if that is all
# there is.
unpack_debian_source() {
  local from=$1 into=$2 orig debian dir patch
  orig=$(find "$from" -maxdepth 1 -name '*.orig.tar.*' | head -n 1)
  debian=$(find "$from" -maxdepth 1 -name '*.debian.tar.*' | head -n 1)
  if [ -z "$orig" ]; then
    echo "no upstream tarball in $from" >&2
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
  [ -z "$debian" ] || tar -xf "$debian" -C "$staging" --no-same-owner
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

# Sets source_dir to the unpacked folder of Debian's source package $1 whose name matches the
# glob $2, fetching the package first when it is not there yet.
source_dir=
find_source() {
  local package=$1 pattern=$2 src_root=$deps/src
  mkdir -p "$src_root"
  source_dir=$(find "$src_root" -mindepth 1 -maxdepth 1 -type d -name "$pattern" | head -n 1)
  if [ -z "$source_dir" ]; then
    fetch_source "$src_root" "$package"
    source_dir=$(find "$src_root" -mindepth 1 -maxdepth 1 -type d -name "$pattern" | head -n 1)
  fi
  [ -n "$source_dir" ] || {
    echo "no $pattern folder after fetching $package" >&2
    exit 1
  }
}

build_jpeg() {
  if [ -f "$jpeg_prefix/lib/libjpeg.a" ] && [ -f "$jpeg_prefix/include/jpeglib.h" ]; then
    log "libjpeg: cached in $jpeg_prefix"
    return
  fi
  find_source libjpeg-turbo 'libjpeg-turbo-*'
  local src=$source_dir
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

# The libraries for the user's own words and pictures: zlib and libpng (PNG pictures), FreeType
# (glyphs) and HarfBuzz (shaping), each static and kept in its own prefix under $deps. zlib, libpng
# and HarfBuzz are small enough to compile file by file; FreeType uses its own CMake build.
# The saver does not link them yet; marvolet_user_files, built below, is their first user.
zlib_prefix=$deps/zlib
png_prefix=$deps/png
freetype_prefix=$deps/freetype
harfbuzz_prefix=$deps/harfbuzz
cross_cc=x86_64-w64-mingw32-gcc
cross_cxx=x86_64-w64-mingw32-g++
cross_ar=x86_64-w64-mingw32-ar

# Compiles the C (.c) or C++ (.cc) files $3... of folder $2, $jobs at a time, into the static
# library $1 (a path), with the flags in the array compile_flags.
compile_flags=()
static_library() {
  local library=$1 src=$2 objects=$1.objects file compiler running=0
  local build_log=$deps/$(basename "$library" .a)-build.log
  shift 2
  rm -rf "$objects"
  mkdir -p "$objects" "$(dirname "$library")"
  : >"$build_log"
  static_library_failed() {
    cat "$build_log" >&2
    echo "compiling $library failed" >&2
    exit 1
  }
  for file in "$@"; do
    compiler=$cross_cc
    [[ "$file" == *.cc ]] && compiler=$cross_cxx
    "$compiler" "${compile_flags[@]}" -c "$src/$file" -o "$objects/$(basename "${file%.*}").o" \
      2>>"$build_log" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
      wait -n || static_library_failed
      running=$((running - 1))
    fi
  done
  while [ "$running" -gt 0 ]; do
    wait -n || static_library_failed
    running=$((running - 1))
  done
  rm -f "$library"
  "$cross_ar" rcs "$library" "$objects"/*.o
  rm -rf "$objects"
}

build_zlib() {
  if [ -f "$zlib_prefix/lib/libz.a" ] && [ -f "$zlib_prefix/include/zlib.h" ]; then
    log "zlib: cached in $zlib_prefix"
    return
  fi
  find_source zlib 'zlib-*'
  local src=$source_dir
  log "building zlib (static) from $src"
  compile_flags=(-O2 -DNDEBUG -I"$src")
  static_library "$zlib_prefix/lib/libz.a" "$src" adler32.c compress.c crc32.c deflate.c \
    gzclose.c gzlib.c gzread.c gzwrite.c infback.c inffast.c inflate.c inftrees.c trees.c \
    uncompr.c zutil.c
  mkdir -p "$zlib_prefix/include"
  cp "$src/zlib.h" "$src/zconf.h" "$zlib_prefix/include/"
}

build_png() {
  if [ -f "$png_prefix/lib/libpng.a" ] && [ -f "$png_prefix/include/png.h" ]; then
    log "libpng: cached in $png_prefix"
    return
  fi
  find_source libpng1.6 'libpng1.6-*'
  local src=$source_dir
  log "building libpng (static) from $src"
  mkdir -p "$png_prefix/include"
  # The configuration libpng ships ready-made: every feature of the default build.
  cp "$src/scripts/pnglibconf.h.prebuilt" "$png_prefix/include/pnglibconf.h"
  # No ARM, MIPS, PowerPC or Intel filter code: the generic code serves on x86-64.
  compile_flags=(-O2 -DNDEBUG -DPNG_INTEL_SSE_OPT=0 -I"$src" -I"$png_prefix/include"
    -I"$zlib_prefix/include")
  static_library "$png_prefix/lib/libpng.a" "$src" png.c pngerror.c pngget.c pngmem.c \
    pngpread.c pngread.c pngrio.c pngrtran.c pngrutil.c pngset.c pngtrans.c pngwio.c \
    pngwrite.c pngwtran.c pngwutil.c
  cp "$src/png.h" "$src/pngconf.h" "$png_prefix/include/"
}

build_freetype() {
  if [ -f "$freetype_prefix/lib/libfreetype.a" ] &&
    [ -f "$freetype_prefix/include/freetype2/ft2build.h" ]; then
    log "FreeType: cached in $freetype_prefix"
    return
  fi
  find_source freetype 'freetype-*'
  local src=$source_dir
  log "building FreeType (static) from $src"
  # zlib for compressed fonts and libpng for colour bitmap glyphs; HarfBuzz is built on top of
  # FreeType, not under it.
  cmake -S "$src" -B "$deps/freetype-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$freetype_prefix" \
    -DCMAKE_INSTALL_LIBDIR=lib \
    -DBUILD_SHARED_LIBS=OFF \
    -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY="$zlib_prefix/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="$zlib_prefix/include" \
    -DFT_REQUIRE_PNG=ON -DPNG_LIBRARY="$png_prefix/lib/libpng.a" \
    -DPNG_PNG_INCLUDE_DIR="$png_prefix/include" \
    -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_HARFBUZZ=ON \
    >"$deps/freetype-configure.log"
  cmake --build "$deps/freetype-build" -j "$jobs" >"$deps/freetype-build.log"
  cmake --install "$deps/freetype-build" >"$deps/freetype-install.log"
}

build_harfbuzz() {
  if [ -f "$harfbuzz_prefix/lib/libharfbuzz.a" ] &&
    [ -f "$harfbuzz_prefix/include/harfbuzz/hb.h" ]; then
    log "HarfBuzz: cached in $harfbuzz_prefix"
    return
  fi
  find_source harfbuzz 'harfbuzz-*'
  local src=$source_dir
  log "building HarfBuzz (static, one translation unit) from $src"
  # FreeType 2.12 has every variation call hb-ft looks for. No exceptions or RTTI, as
  # HarfBuzz's own builds.
  compile_flags=(-O2 -DNDEBUG -std=c++11 -fno-exceptions -fno-rtti -fno-threadsafe-statics
    -DHAVE_FREETYPE=1 -DHAVE_FT_GET_VAR_BLEND_COORDINATES=1 -DHAVE_FT_SET_VAR_BLEND_COORDINATES=1
    -DHAVE_FT_DONE_MM_VAR=1 -DHAVE_FT_GET_TRANSFORM=1
    -I"$freetype_prefix/include/freetype2")
  static_library "$harfbuzz_prefix/lib/libharfbuzz.a" "$src/src" harfbuzz.cc
  mkdir -p "$harfbuzz_prefix/include/harfbuzz"
  cp "$src"/src/hb.h "$src"/src/hb-*.h "$harfbuzz_prefix/include/harfbuzz/"
}

# Links a small program against all four libraries, in the order the saver will need them, and
# checks that it still imports only system DLLs: the libraries are complete and static.
check_font_libraries() {
  local check=$deps/library-check
  mkdir -p "$check"
  cat >"$check/library_check.cpp" <<'EOF'
#include <ft2build.h>
#include FT_FREETYPE_H
#include <harfbuzz/hb-ft.h>
#include <png.h>
#include <zlib.h>
#include <cstdio>
int main() {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return 1;
  hb_buffer_t* buffer = hb_buffer_create();
  hb_buffer_add_utf8(buffer, "words", -1, 0, -1);
  std::printf("FreeType, HarfBuzz %s, libpng %s, zlib %s\n", hb_version_string(),
              png_get_libpng_ver(nullptr), zlibVersion());
  hb_buffer_destroy(buffer);
  FT_Done_FreeType(library);
  return 0;
}
EOF
  "$cross_cxx" -O2 -static -I"$freetype_prefix/include/freetype2" -I"$harfbuzz_prefix/include" \
    -I"$png_prefix/include" -I"$zlib_prefix/include" "$check/library_check.cpp" \
    -o "$check/library_check.exe" "$harfbuzz_prefix/lib/libharfbuzz.a" \
    "$freetype_prefix/lib/libfreetype.a" "$png_prefix/lib/libpng.a" "$zlib_prefix/lib/libz.a" \
    >"$check/link.log" 2>&1 || {
    cat "$check/link.log" >&2
    echo "the static font and picture libraries do not link" >&2
    exit 1
  }
  local imports foreign
  imports=$(x86_64-w64-mingw32-objdump -p "$check/library_check.exe" |
    sed -n 's/^\s*DLL Name: //p')
  foreign=$(grep -Eiv '^(KERNEL32|USER32|GDI32|ADVAPI32|msvcrt)\.dll$' <<<"$imports" || true)
  [ -z "$foreign" ] || {
    echo "the font and picture libraries import non-system DLLs: $(echo $foreign)" >&2
    exit 1
  }
  log "font and picture libraries link statically; they import $(echo $imports)"
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
build_zlib
build_png
build_freetype
build_harfbuzz
check_font_libraries

log "configuring $build"
cmake -S "$repo" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DJPEG_INCLUDE_DIR="$jpeg_prefix/include" \
  -DJPEG_LIBRARY="$jpeg_prefix/lib/libjpeg.a" \
  -DPNG_PNG_INCLUDE_DIR="$png_prefix/include" -DPNG_LIBRARY="$png_prefix/lib/libpng.a" \
  -DZLIB_INCLUDE_DIR="$zlib_prefix/include" -DZLIB_LIBRARY="$zlib_prefix/lib/libz.a" \
  -DFREETYPE_INCLUDE_DIR_ft2build="$freetype_prefix/include/freetype2" \
  -DFREETYPE_INCLUDE_DIR_freetype2="$freetype_prefix/include/freetype2" \
  -DFREETYPE_LIBRARY="$freetype_prefix/lib/libfreetype.a" \
  -DMARVOLET_HARFBUZZ_PREFIX="$harfbuzz_prefix" \
  "${icon_args[@]}" >"$build/configure.log" || {
  cat "$build/configure.log" >&2
  exit 1
}
log "building marvolet.scr and the user-file readers"
cmake --build "$build" --target marvolet marvolet_user_files -j "$jobs"

scr=$build/marvolet.scr
# Only the platform's own DLLs may be imported: the saver is copied alone into the system folder.
"$repo/tests/wine/check_program_file.sh" "$scr" >"$build/check.log" || {
  cat "$build/check.log" >&2
  exit 1
}
log "$(grep imports "$build/check.log")"
log "built $scr"
