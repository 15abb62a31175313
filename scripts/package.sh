#!/usr/bin/env bash
# Makes the downloads from a clean build: the Debian package (checked with lintian), the Windows
# zip, and SHA256SUMS for both, in dist/ (Debian 12, as root or through sudo).
#
# Usage: scripts/package.sh [output-dir]     (default: dist)
# Environment: JOBS (parallel jobs, default 2); MARVOLET_SKIP_WINDOWS=1 makes the .deb only;
# MARVOLET_SIGN_CERT and MARVOLET_SIGN_KEY sign marvolet.scr (scripts/sign-windows.sh lists the rest).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
dist=${1:-$repo/dist}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
jobs=${JOBS:-2}
build=$repo/build/package

log() { printf '[package] %s\n' "$*"; }

# dpkg-shlibdeps computes the dependencies and needs `file` to find the binaries.
bash scripts/install-packages.sh cmake ninja-build g++ pkgconf dpkg-dev file lintian zip \
  libgl-dev libglu1-mesa-dev libjpeg62-turbo-dev libfreetype-dev libharfbuzz-dev libfontconfig-dev fonts-texgyre libpng-dev libx11-dev libxext-dev libxrandr-dev \
  libxinerama-dev libxft-dev libegl-dev libwayland-dev wayland-protocols libxkbcommon-dev libdbus-1-dev libdecor-0-dev

log "building the X11 saver in $build"
rm -rf "$build"
# Debian's hardening flags, as its own packages are built with; for this configure only, since
# the Windows cross build must not see them.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
env CFLAGS="$(flags CFLAGS) $(flags CPPFLAGS)" CXXFLAGS="$(flags CXXFLAGS) $(flags CPPFLAGS)" \
  LDFLAGS="$(flags LDFLAGS)" \
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARVOLET_BUILD_TESTS=OFF \
  -DMARVOLET_BUILD_TOOLS=OFF -DMARVOLET_BUILD_X11=ON
cmake --build "$build" -j "$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# The package is for the machine it is built on; CPack is told so rather than left to guess.
arch=$(dpkg --print-architecture)
(cd "$build" && cpack -G DEB -D CPACK_DEBIAN_PACKAGE_ARCHITECTURE="$arch")
deb=marvolet_${version}_${arch}.deb
cp "$build/package/$deb" "$dist/"
[[ "$(dpkg-deb -f "$dist/$deb" Architecture)" == "$arch" ]] || {
  echo "$deb's control names architecture $(dpkg-deb -f "$dist/$deb" Architecture), not $arch" >&2
  exit 1
}
# What the README's install steps rely on, and dependencies that dpkg-shlibdeps really found.
listing=$(dpkg-deb -c "$dist/$deb")
for path in usr/libexec/xscreensaver/marvolet usr/share/xscreensaver/config/marvolet.xml \
  usr/bin/marvolet usr/share/man/man6/marvolet.6.gz usr/share/doc/marvolet/copyright \
  usr/share/doc/marvolet/changelog.gz; do
  grep -qE " \./$path( -> |$)" <<<"$listing" || {
    echo "$deb lacks /$path" >&2
    exit 1
  }
done
dpkg-deb -I "$dist/$deb" postinst | grep -q -- -add-to-xscreensaver || {
  echo "$deb does not name -add-to-xscreensaver after installing" >&2
  exit 1
}
dpkg-deb -f "$dist/$deb" Depends | grep -q libjpeg62-turbo || {
  echo "$deb does not depend on the JPEG library it links" >&2
  exit 1
}
dpkg-deb -f "$dist/$deb" Depends | grep -q libwayland-client0 || {
  echo "$deb does not depend on the Wayland library it links" >&2
  exit 1
}
log "lintian $deb"
lintian --fail-on error --info "$dist/$deb"
outputs=("$deb")

if [[ "${MARVOLET_SKIP_WINDOWS:-0}" != 1 ]]; then
  JOBS=$jobs bash scripts/build-windows.sh
  jpeg_src=$(find build-windows/deps/src -mindepth 1 -maxdepth 1 -type d -name 'libjpeg-turbo-*' |
    head -n 1)
  [[ -n "$jpeg_src" ]] || {
    echo "no libjpeg-turbo source in build-windows/deps/src" >&2
    exit 1
  }
  zip_name=marvolet-${version}-windows-x64
  stage=$build/$zip_name
  rm -rf "$stage"
  mkdir -p "$stage/licences"
  cp build-windows/marvolet.scr "$stage/"
  # Authenticode, when a certificate and its key are given (see scripts/sign-windows.sh).
  if [[ -n "${MARVOLET_SIGN_CERT:-}${MARVOLET_SIGN_KEY:-}" ]]; then
    bash scripts/sign-windows.sh "$stage/marvolet.scr"
  fi
  sed "s/@VERSION@/$version/" resources/windows-readme.txt >"$stage/README.txt"
  cp "$jpeg_src/LICENSE.md" "$stage/licences/libjpeg-turbo-LICENSE.md"
  cp "$jpeg_src/README.ijg" "$stage/licences/libjpeg-turbo-README.ijg.txt"
  cp resources/licences/GUST-Font-License.txt "$stage/licences/"
  # The other static libraries scripts/build-windows.sh builds, each from its Debian source folder
  # (name pattern, licence file in it, name in the zip). FreeType is taken under its own licence,
  # the FTL, of the two it offers.
  while read -r pattern licence name; do
    src=$(find build-windows/deps/src -mindepth 1 -maxdepth 1 -type d -name "$pattern" | head -n 1)
    [[ -n "$src" && -f "$src/$licence" ]] || {
      echo "no $licence in a $pattern folder of build-windows/deps/src" >&2
      exit 1
    }
    cp "$src/$licence" "$stage/licences/$name"
  done <<'EOF'
zlib-* LICENSE zlib-LICENSE.txt
libpng1.6-* LICENSE libpng-LICENSE.txt
freetype-* LICENSE.TXT FreeType-LICENSE.txt
freetype-* docs/FTL.TXT FreeType-FTL.txt
harfbuzz-* COPYING HarfBuzz-COPYING.txt
EOF
  # libstdc++ and libgcc are linked in under GPL-3 with the GCC Runtime Library Exception; the
  # start-up code and import libraries come from the mingw-w64 runtime.
  sed -n '/^GCC RUNTIME LIBRARY EXCEPTION/,/^requirements of the license of GCC\./p' \
    /usr/share/doc/gcc-mingw-w64-base/copyright >"$stage/licences/gcc-runtime-library-exception.txt"
  [[ -s "$stage/licences/gcc-runtime-library-exception.txt" ]] || {
    echo "the GCC Runtime Library Exception was not found in gcc-mingw-w64-base's copyright" >&2
    exit 1
  }
  cp /usr/share/common-licenses/GPL-3 "$stage/licences/GPL-3.txt"
  cp /usr/share/doc/mingw-w64-common/copyright "$stage/licences/mingw-w64-runtime-copyright.txt"
  # Windows' own editors expect CRLF in the text files.
  find "$stage" -name '*.txt' -o -name '*.md' | while read -r text; do
    sed -i 's/\r$//; s/$/\r/' "$text"
  done
  rm -f "$dist/$zip_name.zip"
  (cd "$build" && zip -qrX "$dist/$zip_name.zip" "$zip_name")
  outputs+=("$zip_name.zip")
fi

(cd "$dist" && sha256sum "${outputs[@]}" >SHA256SUMS)
log "made in $dist:"
(cd "$dist" && ls -l "${outputs[@]}" SHA256SUMS)
