#!/usr/bin/env bash
# FreeType for the Windows build, made from Debian's own source package of the
# FreeType the host build links (same version, same Debian patches), so both
# builds read fonts with the same engine. Static, for MinGW i686, without the
# optional libraries (zlib comes from FreeType's own copy; no bzip2, PNG,
# HarfBuzz or Brotli). Everything lives below build/freetype-win32/:
#   apt/      a private apt configuration with deb-src entries (the machine's
#             own sources are left as they are)
#   src/      the downloaded source package and its unpacked tree
#   install/  headers, libfreetype.a and the CMake package the build finds
# A second run with the same version and this same script does nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$root/build/freetype-win32
install=$dir/install
stamp=$install/.made-from

version=$(dpkg-query -W -f='${source:Version}' "libfreetype6:$(dpkg --print-architecture)" \
  2>/dev/null || true)
want="freetype ${version:-newest}; $(sha256sum "$0" | cut -c1-16)"
if [ -f "$install/lib/libfreetype.a" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$want" ]; then
  exit 0
fi
echo "freetype-win32: building FreeType ${version:-(newest)} for Windows in $dir"
start=$SECONDS

# Source package, unless this version was fetched before.
mkdir -p "$dir/apt/lists/partial" "$dir/apt/cache/archives/partial" "$dir/src"
dsc=$(ls "$dir/src"/freetype_"${version:-}"*.dsc 2>/dev/null | tail -1 || true)
if [ -z "$version" ] || [ -z "$dsc" ]; then
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  {
    echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename main"
    echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian $codename-updates main"
    echo "deb-src [signed-by=$keyring] http://deb.debian.org/debian-security $codename-security main"
  } > "$dir/apt/sources.list"
  apt=(-o Dir::Etc::SourceList="$dir/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
       -o Dir::State::Lists="$dir/apt/lists" -o Dir::Cache="$dir/apt/cache"
       -o APT::Sandbox::User=root -qq)
  apt-get "${apt[@]}" update
  rm -f "$dir/src"/freetype_*
  # The host's version when the archive still has it, else the newest.
  (cd "$dir/src" &&
    { { [ -n "$version" ] && apt-get "${apt[@]}" source --download-only "freetype=$version"; } ||
      apt-get "${apt[@]}" source --download-only freetype; })
  dsc=$(ls "$dir/src"/freetype_*.dsc | tail -1)
fi
rm -rf "$dir/src/tree" "$dir/build" "$install"

# Each step's output goes to its log; a failing step shows the end of it.
step() {
  local log=$dir/$1.log
  shift
  if ! "$@" >"$log" 2>&1; then
    tail -20 "$log" >&2
    echo "freetype-win32: failed; see $log" >&2
    exit 1
  fi
}
# dpkg-source checks the files against the .dsc (whose own checksum apt
# checked against the signed index) and applies Debian's patches.
step unpack dpkg-source -x "$dsc" "$dir/src/tree"
step configure cmake -S "$dir/src/tree" -B "$dir/build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$install" -DFT_DISABLE_ZLIB=ON \
  -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
step build cmake --build "$dir/build" -j "$(nproc)"
step install cmake --install "$dir/build"
rm -rf "$dir/src/tree" "$dir/build"
echo "$want" > "$stamp"
echo "freetype-win32: done in $((SECONDS - start)) s ($(basename "$dsc" .dsc))"
