#!/usr/bin/env bash
# The release as a font maker gets it. scripts/release.sh, run twice, gives
# the same bytes; then each archive is unpacked and its kervale-pack builds
# the same installer from the same inputs (the zip's under Wine), which
# verify accepts. The Linux tool must need no library beyond the C library's
# own, and no glibc newer than 2.31.
#   release_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
root=$1
work=$2
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The Wine prefix is kept between runs: making one takes 15 s or more.
mkdir -p "$work"
find "$work" -mindepth 1 -maxdepth 1 ! -name wine -exec rm -rf {} +
for run in first second; do
  if ! bash "$root/scripts/release.sh" "$work/$run" > "$work/$run.log" 2>&1; then
    tail -30 "$work/$run.log"
    echo "FAIL: scripts/release.sh failed (see $work/$run.log)"
    exit 1
  fi
done
release=$work/first
cmp "$release/SHA256SUMS" "$work/second/SHA256SUMS" ||
  fail "two runs of scripts/release.sh gave different archives"
(cd "$release" && sha256sum --quiet --strict -c SHA256SUMS) || fail "SHA256SUMS does not match"

version=$(sed -n 's/^project(Kervale VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
mkdir -p "$work/tar"
tar -xzf "$release/kervale-$version-linux-x86_64.tar.gz" -C "$work/tar"
dpkg-deb -x "$release/kervale_${version}_amd64.deb" "$work/deb"
unzip -q "$release/kervale-$version-windows-x86.zip" -d "$work/zip"
tarball=$work/tar/kervale-$version
zipped=$work/zip/kervale-$version

expect_files() {
  local where=$1 file
  shift
  for file in "$@"; do [ -f "$where/$file" ] || fail "${where#"$work"/} has no $file"; done
}
expect_files "$tarball" bin/kervale-pack share/kervale/kervale-stub.exe \
  share/man/man1/kervale-pack.1 README.md LICENSES/README.txt LICENSES/FreeType/FTL.TXT
expect_files "$work/deb" usr/bin/kervale-pack usr/share/kervale/kervale-stub.exe \
  usr/share/man/man1/kervale-pack.1.gz usr/share/doc/kervale/copyright
expect_files "$zipped" kervale-pack.exe kervale-stub.exe README.md LICENSES/README.txt \
  LICENSES/FreeType/FTL.TXT
for notice in "Portions of this software are copyright" "FreeType License" "zlib" "GNU C Library"; do
  grep -q "$notice" "$work/deb/usr/share/doc/kervale/copyright" ||
    fail "the .deb's copyright file does not mention \"$notice\""
done
[ "$(dpkg-deb -f "$release/kervale_${version}_amd64.deb" Version)" = "$version" ] ||
  fail "the .deb's version is not $version"

# What the Linux tool asks of the system it runs on.
for tool in "$tarball/bin/kervale-pack" "$work/deb/usr/bin/kervale-pack"; do
  needed=$(readelf -d "$tool" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
  for library in $needed; do
    case $library in
      libc.so.6 | libm.so.6 | libpthread.so.0 | libdl.so.2 | librt.so.1 | ld-linux-x86-64.so.2) ;;
      *) fail "${tool#"$work"/} needs $library, which a machine may not have" ;;
    esac
  done
  newest=$(readelf -V --wide "$tool" | { grep -o 'GLIBC_[0-9][0-9.]*' || true; } | sed 's/GLIBC_//' |
    sort -t. -k1,1n -k2,2n -k3,3n | tail -1)
  if [ -n "$newest" ] && [ "$(printf '%s\n' "$newest" 2.31 | sort -t. -k1,1n -k2,2n | tail -1)" != 2.31 ]; then
    fail "${tool#"$work"/} asks for glibc $newest; Debian 11 and Ubuntu 20.04 have 2.31"
  fi
  echo "${tool#"$work"/}: needs ${needed:-no shared library}; newest glibc symbol: ${newest:-none}"
done

# Each tool builds an installer from the same inputs, with no environment
# of the caller's and no --stub: the stub comes with the tool.
font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
inputs=(--readme "$root/samples/README.TXT" --license "$root/samples/LICENSE.TXT"
  --web-url "https://example.org/mono/" --link-title "Mono Home" "$font")
clean=(env -i PATH=/usr/bin:/bin)
build() {  # build NAME COMMAND... : the command's output into NAME.log
  local name=$1
  shift
  if ! "$@" > "$work/$name.log" 2>&1; then
    cat "$work/$name.log"
    fail "$name: the build failed"
  fi
}
build from-tarball "${clean[@]}" "$tarball/bin/kervale-pack" build -o "$work/from-tarball.exe" \
  "${inputs[@]}"
build from-deb "${clean[@]}" "$work/deb/usr/bin/kervale-pack" build -o "$work/from-deb.exe" \
  "${inputs[@]}"
for tool in "$tarball/bin/kervale-pack" "$work/deb/usr/bin/kervale-pack"; do
  [ "$("$tool" --version)" = "kervale-pack $version" ] ||
    fail "${tool#"$work"/} --version does not say $version"
done

# The zip's tool under Wine, in a prefix of its own.
source "$root/scripts/wine-console.sh"
wine_console_prefix "$work/wine" "$work/wineboot.log" ||
  fail "wineboot failed (see $work/wineboot.log)"
build from-zip wine "$zipped/kervale-pack.exe" build -o "$work/from-zip.exe" "${inputs[@]}"

for name in from-tarball from-deb from-zip; do
  [ -f "$work/$name.exe" ] || continue
  "$tarball/bin/kervale-pack" verify "$work/$name.exe" > "$work/$name.verify.log" 2>&1 ||
    fail "verify refuses $name.exe: $(tail -1 "$work/$name.verify.log")"
  cmp -s "$work/$name.exe" "$work/from-tarball.exe" ||
    fail "$name.exe differs from the tarball's installer made of the same inputs"
done
wine "$zipped/kervale-pack.exe" verify "$work/from-tarball.exe" > "$work/zip-verify.log" 2>&1 ||
  fail "the zip's kervale-pack.exe refuses the tarball's installer"

if ((failures)); then
  echo "$failures failures"
  exit 1
fi
echo "release: $(cd "$release" && stat -c '%n %s bytes' -- *.tar.gz *.deb *.zip | paste -sd ';')"
