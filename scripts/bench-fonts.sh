#!/usr/bin/env bash
# Prints what kervale-pack costs on fonts made to cost their reader, next to
# normal ones: wall time and peak memory of `build` on each font, and of
# `verify` and `list` on packages of them, for the Linux build and for the
# Windows build under Wine. Figures only: it passes or fails nothing.
# Targets: every hostile input handled in under 1 s and under 64 MiB.
# Each figure is the best time and the largest peak memory of 3 runs
# (BENCH_RUNS).
#
# Under Wine the figures include Wine itself (and, on this machine, the
# qemu-i386 emulator): the normal fonts' rows show that share.
#
#   scripts/bench-fonts.sh            both builds (bash scripts/build.sh first)
#   BENCH_WINE=0 scripts/bench-fonts.sh   the Linux build only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$root/build/host/pack/kervale-pack
tool_exe=$root/build/win32/pack/kervale-pack.exe
inputs=$root/build/host/bench/bench-font-inputs
stub=$root/build/win32/kervale-stub.exe
for needed in "$tool" "$inputs" "$stub"; do
  if [ ! -e "$needed" ]; then
    echo "bench-fonts: $needed not found; run scripts/build.sh first" >&2
    exit 1
  fi
done
# GNU time for the peak-memory figure.
[ -x /usr/bin/time ] || bash "$root/scripts/setup.sh" time >&2
wine_too=${BENCH_WINE:-1}
runs=${BENCH_RUNS:-3}
[ -e "$tool_exe" ] || wine_too=0

work=$(mktemp -d /tmp/kervale-bench-fonts.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$inputs" "$work" "$stub" >/dev/null
# The tools as they ship, each with its stub beside it: build needs no
# --stub, and verify knows the packages' stub as the tool's own.
mkdir "$work/tool"
cp "$tool" "$stub" "$work/tool/"
tool=$work/tool/kervale-pack
if [ "$wine_too" = 1 ]; then
  cp "$tool_exe" "$work/tool/"
  tool_exe=$work/tool/kervale-pack.exe
fi

if [ "$wine_too" = 1 ]; then
  source "$root/scripts/wine-console.sh"
  wine_console_prefix "$root/build/bench-fonts-wine" /dev/null || true
fi

# Runs one command `runs` times; prints "SECONDS MIB EXIT": the best time,
# the largest peak memory, the exit status.
measure() {
  local t0 t1 code best="" peak=0 kib i
  for ((i = 1; i <= runs; i++)); do
    rm -f "$work/out.exe"
    code=0
    t0=$(date +%s.%N)
    /usr/bin/time -o "$work/time.txt" -f '%M' "$@" >"$work/stdout" 2>"$work/stderr" || code=$?
    t1=$(date +%s.%N)
    best=$(awk -v a="$t0" -v b="$t1" -v best="$best" \
      'BEGIN { t = b - a; if (best == "" || t < best) best = t; print best }')
    kib=$(tail -n1 "$work/time.txt")
    [ "$kib" -gt "$peak" ] && peak=$kib
  done
  awk -v t="$best" -v k="$peak" -v c="$code" 'BEGIN { printf "%6.3f %7.1f %4d", t, k / 1024, c }'
}

row() {
  local what=$1 command=$2 file=$3 linux wine=""
  local args=("$command")
  if [ "$command" = build ]; then
    args=(build -o "$work/out.exe" --font-name Bench)
  fi
  linux=$(measure "$tool" "${args[@]}" "$work/$file")
  local outcome="ok, $(wc -l <"$work/stdout") lines printed"
  if [ "${linux##* }" != 0 ]; then
    outcome="refused: $(grep -o -m1 'too costly to read: .*\|not a font file.*' "$work/stderr" ||
      head -c 80 "$work/stderr")"
  fi
  if [ "$wine_too" = 1 ]; then
    wine=$(measure wine "$tool_exe" "${args[@]}" "$work/$file")
  fi
  printf '%-42s %-7s %s   %s   %s\n' "$what" "$command" "$linux" "${wine:-    -       -    -}" \
    "$outcome"
}

printf '%-42s %-7s %s   %s   %s\n' "input" "command" "Linux: s     MiB exit" \
  "Wine: s     MiB exit" "outcome (Linux)"
row "DejaVu Sans Mono (normal)" build normal-DejaVuSansMono.ttf
row "4 DejaVu Sans Mono styles, a .ttc (normal)" build normal-4-styles.ttc
row "1,000 faces, one 65,535-table directory" build hostile-1000-faces.ttc
row "10,922 name records on one 64 KiB string" build hostile-10922-names.ttf
for tag in cmap fpgm prep; do
  row "'$tag' claims 1 GiB (336 KiB on disk)" build "hostile-$tag-1GiB.ttf"
done
for command in verify list; do
  row "package of 4 fonts (normal)" "$command" normal-package.exe
  row "package of ten 1,000-face collections" "$command" ten-1000-face-collections.exe
  row "package of ten 80-face collections" "$command" ten-80-face-collections.exe
done
if [ "$wine_too" = 1 ] && [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  echo "(Wine's 32-bit programs run under qemu-i386 emulation on this machine.)"
fi
