#!/usr/bin/env bash
# The release a font maker downloads, built from this tree into release/
# (or OUT_DIR):
#   kervale-VERSION-linux-x86_64.tar.gz  kervale-VERSION/bin/kervale-pack,
#       share/kervale/kervale-stub.exe, share/man/man1/kervale-pack.1,
#       README.md and LICENSES/
#   kervale_VERSION_amd64.deb            /usr/bin/kervale-pack,
#       /usr/share/kervale/kervale-stub.exe, the man page, and
#       /usr/share/doc/kervale/ with the copyright file
#   kervale-VERSION-windows-x86.zip      kervale-VERSION/kervale-pack.exe and
#       kervale-stub.exe side by side, README.md and LICENSES/
#   SHA256SUMS
# The Linux kervale-pack is linked statically, C library included, so it
# runs on any x86-64 Linux without installing anything.
#
# Two runs give the same bytes: the programs carry no time or build path,
# and every archive member has the time of the last commit
# (SOURCE_DATE_EPOCH, unless it is set already), owner root, a fixed mode,
# and its place in name order.
#   bash scripts/release.sh [OUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/release}" && cd "${1:-$root/release}" && pwd)
cd "$root"
umask 022
start=$SECONDS
export LC_ALL=C

bash scripts/setup.sh zip

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if ! SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null); then
    echo "release: not a git checkout; set SOURCE_DATE_EPOCH to the sources' time" >&2
    exit 1
  fi
fi
export SOURCE_DATE_EPOCH
version=$(sed -n 's/^project(Kervale VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
jobs=$(nproc)

# The programs. The Windows build as scripts/build.sh makes it, in a tree of
# its own; the Linux tool as a packer-only build taking that stub, linked
# statically against a FreeType of its own and zlib's static library.
bash scripts/freetype.sh win32
bash scripts/freetype.sh linux
win=build/release/win32
linux=build/release/linux
cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$win" -j "$jobs" --target kervale-stub kervale-pack
cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release -DKERVALE_PACKER_ONLY=ON \
  -DKERVALE_STUB="$root/$win/kervale-stub.exe" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_PREFIX_PATH="$root/build/freetype-linux/install" -DZLIB_USE_STATIC_LIBS=ON \
  -DCMAKE_EXE_LINKER_FLAGS="-static -s" >/dev/null
cmake --build "$linux" -j "$jobs" --target kervale-pack
if readelf -d "$linux/pack/kervale-pack" 2>/dev/null | grep -q NEEDED; then
  echo "release: $linux/pack/kervale-pack is not linked statically" >&2
  exit 1
fi

stage=build/release/stage
rm -rf "$stage"
mkdir -p "$stage"

# The license notices of everything inside a program: ours, FreeType's, and
# the Debian copyright file of each package whose static library went in.
# LICENSES/README.txt says which is which.
#   licenses DIR FREETYPE_DOC_DIR HEADLINE "WHAT=LIBRARY_FILE"...
licenses() {
  local dir=$1 freetype=$2 headline=$3 library package copyright
  local -A copied=()  # one copy of a file two packages share
  shift 3
  mkdir -p "$dir/FreeType"
  cp "$freetype"/* "$dir/FreeType/"
  {
    echo "$headline"
    echo
    if [ -f LICENSE ]; then
      cp LICENSE "$dir/Kervale.txt"
      echo "Kervale itself: Kervale.txt."
    else
      echo "Kervale itself: the source tree states no license of its own yet."
    fi
    echo
    echo "FreeType (the font engine), under the FreeType License: FreeType/FTL.TXT,"
    echo "with the BDF and PCF drivers' notices and FreeType's gzip module under"
    echo "zlib's license (FreeType/LICENSE.TXT). The credit the license asks for:"
    sed 's/^/  /' "$freetype/CREDIT.TXT"
    for library in "$@"; do
      package=$(dpkg -S "$(readlink -f "${library#*=}")" | head -1 | cut -d: -f1)
      copyright=$(readlink -f "/usr/share/doc/$package/copyright")
      if [ -z "${copied[$copyright]:-}" ]; then
        copied[$copyright]=$package.copyright
        cp "$copyright" "$dir/$package.copyright"
      fi
      echo
      echo "${library%%=*}: ${copied[$copyright]} (from Debian's $package" \
        "$(dpkg-query -W -f='${Version}' "$package"))"
    done
  } > "$dir/README.txt"
}
linux_libraries=(
  "The GNU C Library (LGPL 2.1 or later; to link kervale-pack with another, build it from Kervale's source)=/usr/lib/x86_64-linux-gnu/libc.a"
  "The GNU C++ library (GPL 3 with the GCC Runtime Library Exception)=$(clang++ -print-file-name=libstdc++.a)"
  "GCC's runtime library (GPL 3 with the GCC Runtime Library Exception)=$(clang++ -print-libgcc-file-name)"
  "zlib (zlib's license)=/usr/lib/x86_64-linux-gnu/libz.a")
windows_libraries=(
  "The MinGW-w64 runtime and Windows import libraries=$(i686-w64-mingw32-g++ -print-file-name=libmingw32.a)"
  "The GNU C++ library (GPL 3 with the GCC Runtime Library Exception)=$(i686-w64-mingw32-g++ -print-file-name=libstdc++.a)"
  "GCC's runtime library (GPL 3 with the GCC Runtime Library Exception)=$(i686-w64-mingw32-g++ -print-libgcc-file-name)")

# The tarball: the install layout of the packer-only build.
tree=$stage/tar/kervale-$version
cmake --install "$linux" --prefix "$root/$tree" >/dev/null
cp README.md "$tree/"
licenses "$tree/LICENSES" build/freetype-linux/install/share/doc/freetype \
  "kervale-pack for Linux holds these, linked in statically:" "${linux_libraries[@]}"

# The .deb: the same programs below /usr, the man page compressed, and one
# copyright file with every notice.
deb=$stage/deb
cmake --install "$linux" --prefix "$root/$deb/usr" >/dev/null
gzip -9n "$deb/usr/share/man/man1/kervale-pack.1"
doc=$deb/usr/share/doc/kervale
mkdir -p "$doc"
cp README.md "$doc/"
{
  echo "Kervale $version: kervale-pack and the installer stub kervale-stub.exe."
  echo
  cat "$tree/LICENSES/README.txt"
  for file in $(cd "$tree/LICENSES" && find . -type f ! -name README.txt | sort); do
    printf '\n\n==> %s <==\n\n' "${file#./}"
    cat "$tree/LICENSES/$file"
  done
} > "$doc/copyright"
maker_site=$(sed -n 's/.*kMakerWebSite\[\] = "\(.*\)";/\1/p' shell/maker.h)
maker_mail=$(sed -n 's/.*kContactMail\[\] = "\(.*\)";/\1/p' shell/maker.h)
mkdir -p "$deb/DEBIAN"
cat > "$deb/DEBIAN/control" <<EOF
Package: kervale
Version: $version
Architecture: amd64
Maintainer: Kervale <$maker_mail>
Installed-Size: $(du -sk --apparent-size "$deb/usr" | cut -f1)
Section: utils
Priority: optional
Homepage: $maker_site
Description: self-extracting font installers for Windows
 kervale-pack turns fonts, a readme and a license into one Windows
 program that installs the fonts with a small wizard, and lists,
 extracts and verifies such installers. Every font is read with
 FreeType first; what Windows cannot install is refused.
EOF

# The zip: the Windows programs side by side.
zipped=$stage/zip/kervale-$version
mkdir -p "$zipped"
cp "$win/pack/kervale-pack.exe" "$win/kervale-stub.exe" README.md "$zipped/"
licenses "$zipped/LICENSES" build/freetype-win32/install/share/doc/freetype \
  "kervale-pack.exe and kervale-stub.exe hold these, linked in statically:" "${windows_libraries[@]}"

# Fixed modes and times on everything, then the archives.
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$tree/bin/kervale-pack" "$deb/usr/bin/kervale-pack" "$zipped"/*.exe
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

tarball=kervale-$version-linux-x86_64.tar.gz
package=kervale_${version}_amd64.deb
zipfile=kervale-$version-windows-x86.zip
rm -f "$out"/kervale-*-linux-x86_64.tar.gz "$out"/kervale_*_amd64.deb \
  "$out"/kervale-*-windows-x86.zip "$out/SHA256SUMS"
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" --format=gnu \
  -C "$stage/tar" -cf - "kervale-$version" | gzip -9n > "$out/$tarball"
dpkg-deb --root-owner-group -Zxz --build "$deb" "$out/$package" >/dev/null
# zip keeps local times: UTC makes them the same everywhere. -X leaves out
# owners and access times, -D the folder entries.
(cd "$stage/zip" && find "kervale-$version" -type f | sort |
  TZ=UTC zip -X -D -9 -q "$out/$zipfile" -@)
(cd "$out" && sha256sum "$tarball" "$package" "$zipfile" > SHA256SUMS)

echo "release: $out in $((SECONDS - start)) s"
(cd "$out" && for f in "$tarball" "$package" "$zipfile"; do
  echo "  $f $(stat -c %s "$f") bytes"
done)
# The stub's line for resources/released-stubs.sha256 once the release is
# published: the digest kervale-pack compares, not the file's plain SHA-256.
echo "  kervale-stub.exe $(stat -c %s "$win/kervale-stub.exe") bytes; its line for" \
  "resources/released-stubs.sha256:"
if command -v python3 >/dev/null; then
  echo "    $(python3 "$root/scripts/stub-digest.py" "$win/kervale-stub.exe" "$version")"
else
  echo "    (python3 scripts/stub-digest.py STUB $version prints it)"
fi
