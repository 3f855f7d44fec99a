#!/usr/bin/env bash
# A static FreeType made from Debian's own source package of the FreeType the
# host links (same version, same Debian patches), so every build of
# kervale-pack reads fonts with the same engine:
#   bash scripts/freetype.sh win32   for the Windows build (MinGW i686)
#   bash scripts/freetype.sh linux   for the release's self-contained Linux tool
# Without the optional libraries: no bzip2, PNG, HarfBuzz or Brotli; zlib is
# FreeType's own copy for Windows, the system's static one for Linux. What
# it keeps:
#   build/freetype/apt/          a private apt configuration whose deb-src
#                                entries are made from the machine's own
#                                sources (those are left as they are)
#   build/freetype/src/          the source package, fetched once for all targets
#   build/freetype-TARGET/install/  headers, libfreetype.a, the CMake package,
#                                and FreeType's license texts in share/doc/freetype
# A later run reuses a build only while its stamp still holds: the same
# version and script, the .dsc it was made from (still listed in the index
# apt fetched it by, every file it names unchanged) and the library it made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:-}
case $target in
  win32) toolchain=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DFT_DISABLE_ZLIB=ON)
         what="Windows" ;;
  # The Linux tool links zlib itself (the format core's CRC-32): FreeType
  # takes that one instead of its own copy, whose symbols would clash.
  linux) toolchain=(-DFT_REQUIRE_ZLIB=ON) what="the Linux release" ;;
  *) echo "usage: bash scripts/freetype.sh win32|linux" >&2; exit 2 ;;
esac
source "$root/scripts/apt-sources.sh"
shared=$root/build/freetype
src=$shared/src
dir=$root/build/freetype-$target
install=$dir/install
stamp=$install/.made-from

version=$(dpkg-query -W -f='${source:Version}' "libfreetype6:$(dpkg --print-architecture)" \
  2>/dev/null || true)
script=$(cat "$root/scripts/freetype.sh" "$root/scripts/apt-sources.sh" | sha256sum | cut -c1-16)

hash_of() { sha256sum "$1" | cut -d' ' -f1; }

# True when the .dsc is listed with this checksum in the Sources index apt
# checked against the archive's signed Release file, and every file the .dsc
# names is there with the checksum it gives.
source_sound() {
  local dsc=$1 sum size name
  sum=$(hash_of "$dsc")
  size=$(stat -c %s "$dsc")
  name=$(basename "$dsc")
  local index
  for index in "$shared/apt/lists/"*_Sources*; do
    [ -f "$index" ] || continue
    # grep reads to the end: with -q, apt-helper could die of SIGPIPE.
    if /usr/lib/apt/apt-helper cat-file "$index" | grep -xF " $sum $size $name" >/dev/null; then
      awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on && NF == 3 { print $1 "  " $3 }' \
        "$dsc" | (cd "$(dirname "$dsc")" && sha256sum --quiet --strict -c - >/dev/null 2>&1)
      return
    fi
  done
  return 1
}

# The stamp of a build from this .dsc with this library.
stamp_of() { printf 'freetype %s\nscript %s\nsource %s %s\nlibrary %s\n' "${version:-newest}" \
  "$script" "$(basename "$1")" "$(hash_of "$1")" "$(hash_of "$2")"; }

if [ -f "$stamp" ] && [ -f "$install/lib/libfreetype.a" ]; then
  made_from=$(sed -n 's/^source \([^ ]*\) .*/\1/p' "$stamp")
  if [ -n "$made_from" ] && [ -f "$src/$made_from" ] &&
    [ "$(cat "$stamp")" = "$(stamp_of "$src/$made_from" "$install/lib/libfreetype.a")" ] &&
    source_sound "$src/$made_from"; then
    exit 0
  fi
fi
echo "freetype: building FreeType ${version:-(newest)} for $what in $dir"
start=$SECONDS

# The source package, unless a sound copy of this version is here already.
dsc=$(ls "$src"/freetype_"${version:-}"*.dsc 2>/dev/null | tail -1 || true)
if [ -z "$version" ] || [ -z "$dsc" ] || ! source_sound "$dsc"; then
  mkdir -p "$shared/apt/lists/partial" "$shared/apt/cache/archives/partial" \
    "$shared/apt/sources.list.d" "$src"
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  apt_sources_like deb-src \
    "$codename=$codename $codename-updates=$codename-updates $codename-security=$codename-security" \
    "$shared/apt/sources.list" "$shared/apt/sources.list.d/machine.sources"
  apt=(-o Dir::Etc::SourceList="$shared/apt/sources.list"
       -o Dir::Etc::SourceParts="$shared/apt/sources.list.d"
       -o Dir::State::Lists="$shared/apt/lists" -o Dir::Cache="$shared/apt/cache"
       -o APT::Sandbox::User=root -qq)
  apt-get "${apt[@]}" update
  rm -f "$src"/freetype_*
  # The host's version when the archive still has it, else the newest.
  (cd "$src" &&
    { { [ -n "$version" ] && apt-get "${apt[@]}" source --download-only "freetype=$version"; } ||
      apt-get "${apt[@]}" source --download-only freetype; })
  dsc=$(ls "$src"/freetype_*.dsc | tail -1)
  if ! source_sound "$dsc"; then
    echo "freetype: $(basename "$dsc") does not match the index apt fetched it by" >&2
    exit 1
  fi
fi
# (apt/ and src/ in $dir are an earlier layout's per-target copies.)
rm -rf "$dir/tree" "$dir/build" "$install" "$dir/apt" "$dir/src"
mkdir -p "$dir"

# Each step's output goes to its log; a failing step shows the end of it.
step() {
  local log=$dir/$1.log
  shift
  if ! "$@" >"$log" 2>&1; then
    tail -20 "$log" >&2
    echo "freetype: failed; see $log" >&2
    exit 1
  fi
}
# dpkg-source checks the files against the .dsc and applies Debian's patches.
step unpack dpkg-source --no-copy -x "$dsc" "$dir/tree"
# No build path in the objects, so the release's programs do not depend on
# where the tree was.
step configure cmake -S "$dir/tree" -B "$dir/build" "${toolchain[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS="-ffile-prefix-map=$dir/=" \
  -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$install" \
  -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
step build cmake --build "$dir/build" -j "$(nproc)"
step install cmake --install "$dir/build"
# FreeType's licenses for the release archives: which one we take it under
# (the FreeType License, FTL), the BDF and PCF drivers' own, and the credit
# the FTL asks for, with the year of this version.
doc=$install/share/doc/freetype
mkdir -p "$doc"
cp "$dir/tree/LICENSE.TXT" "$dir/tree/docs/FTL.TXT" "$doc/"
cp "$dir/tree/src/bdf/README" "$doc/BDF-README.TXT"
cp "$dir/tree/src/pcf/README" "$doc/PCF-README.TXT"
year=$(sed -n 's/.*Copyright (C) [0-9]*-\([0-9]*\) by.*/\1/p' "$dir/tree/include/freetype/freetype.h" |
  head -1)
# The credit text as the license gives it, between its triple quotes.
awk '/^ *"""$/ { on = !on; next } on { sub(/^ +/, ""); print }' "$dir/tree/docs/FTL.TXT" |
  sed "s/<year>/$year/" > "$doc/CREDIT.TXT"
if ! grep -q "copyright .* $year The FreeType" "$doc/CREDIT.TXT"; then
  echo "freetype: no credit text found in docs/FTL.TXT" >&2
  exit 1
fi
rm -rf "$dir/tree" "$dir/build"
stamp_of "$dsc" "$install/lib/libfreetype.a" > "$stamp"
echo "freetype: done in $((SECONDS - start)) s ($(basename "$dsc" .dsc))"
