#!/usr/bin/env bash
# Prints how fast kervale-pack writes a package with one 256 MiB font, next to
# plain `cat stub font > out`, and the tool's peak memory. Figures only: it
# passes or fails nothing. Targets: at most 1.3x cat, peak memory under 16 MiB.
#
# Also printed: `dd bs=64K`, a plain read/write copy with the tool's chunk
# size. GNU cat copies inside the kernel (copy_file_range) where it can,
# which no read/write loop matches; dd shows the floor for one that does.
#
#   scripts/bench-pack.sh [PATH-TO-kervale-pack]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build/host/pack/kervale-pack}
runs=${BENCH_RUNS:-5}
font_mib=${BENCH_FONT_MIB:-256}

if [ ! -x "$tool" ]; then
  echo "bench-pack: $tool not found; run scripts/build.sh first or pass the tool's path" >&2
  exit 1
fi
# GNU time for the peak-memory figure.
[ -x /usr/bin/time ] || bash "$root/scripts/setup.sh" time >&2

work=$(mktemp -d /tmp/kervale-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The real stub: the tool refuses anything that is not a Windows GUI program.
stub=""
for candidate in "$root/dist/kervale-stub.exe" "$root/build/win32/kervale-stub.exe"; do
  [ -f "$candidate" ] && { stub=$candidate; break; }
done
if [ -z "$stub" ]; then
  echo "bench-pack: no kervale-stub.exe in dist/ or build/win32/; run scripts/build.sh first" >&2
  exit 1
fi
cp "$stub" "$work/stub.exe"
# The tool as it ships, with its stub beside it: no --stub, and the stub is
# the tool's own (a stub of its own it would name in a warning).
mkdir "$work/tool"
cp "$tool" "$work/tool/kervale-pack"
cp "$stub" "$work/tool/kervale-stub.exe"
tool=$work/tool/kervale-pack
# A valid font of the wanted size, since the tool packs nothing else: DejaVu
# Sans Mono with one more table, of random bytes, at its end. FreeType reads
# the table directory; the table itself only the copy and the checksum.
dejavu=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
perl -e '
  my ($path, $total) = @ARGV;
  open(my $in, "<:raw", $path) or die "$path: $!";
  my $font = do { local $/; <$in> };
  my $tables = unpack("n", substr($font, 4, 2));
  my $body = substr($font, 12 + 16 * $tables);
  $body .= "\0" x ((4 - length($body) % 4) % 4);
  my $dir = "";
  for my $i (0 .. $tables - 1) {    # every table moves by one directory entry
    my ($tag, $sum, $at, $len) = unpack("a4NNN", substr($font, 12 + 16 * $i, 16));
    $dir .= pack("a4NNN", $tag, $sum, $at + 16, $len);
  }
  my $at = 12 + 16 * ($tables + 1) + length($body);
  binmode STDOUT;
  print substr($font, 0, 4), pack("n", $tables + 1), substr($font, 6, 6), $dir,
    pack("a4NNN", "Xbig", 0, $at, $total - $at), $body;
' "$dejavu" $((font_mib * 1024 * 1024)) >"$work/Bench-Regular.ttf"
head -c $((font_mib * 1024 * 1024 - $(stat -c %s "$work/Bench-Regular.ttf"))) /dev/urandom \
  >>"$work/Bench-Regular.ttf"
# Both contenders read from the page cache.
cat "$work/stub.exe" "$work/Bench-Regular.ttf" >/dev/null

# Each contender starts with no dirty pages left by the one before it.
settle() { rm -f "$work/cat.exe" "$work/dd.exe" "$work/pack.exe"; sync; }
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
best() { printf '%s\n' "$@" | sort -g | head -n1; }

cat_times=() dd_times=() pack_times=()
for ((i = 1; i <= runs; i++)); do
  settle
  t0=$(now)
  cat "$work/stub.exe" "$work/Bench-Regular.ttf" >"$work/cat.exe"
  t1=$(now)
  cat_times+=("$(elapsed "$t0" "$t1")")

  settle
  t0=$(now)
  dd if="$work/Bench-Regular.ttf" of="$work/dd.exe" bs=64K status=none
  t1=$(now)
  dd_times+=("$(elapsed "$t0" "$t1")")

  settle
  t0=$(now)
  "$tool" build -o "$work/pack.exe" "$work/Bench-Regular.ttf" >/dev/null
  t1=$(now)
  pack_times+=("$(elapsed "$t0" "$t1")")
done

# Peak memory from a run of its own, so the timed runs carry no wrapper.
settle
/usr/bin/time -v -o "$work/time.txt" "$tool" build -o "$work/pack.exe" "$work/Bench-Regular.ttf" \
  >/dev/null
peak_kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")

cat_best=$(best "${cat_times[@]}")
dd_best=$(best "${dd_times[@]}")
pack_best=$(best "${pack_times[@]}")
printf 'font:             %d MiB, stub %d bytes, best of %d runs\n' "$font_mib" \
  "$(stat -c %s "$work/stub.exe")" "$runs"
printf 'cat stub font:    %.3f s   (runs: %s)\n' "$cat_best" "${cat_times[*]}"
printf 'dd bs=64K font:   %.3f s   (runs: %s)\n' "$dd_best" "${dd_times[*]}"
printf 'kervale-pack:     %.3f s   (runs: %s)\n' "$pack_best" "${pack_times[*]}"
printf 'ratio pack/cat:   %.2fx    (target <= 1.30x)\n' "$(awk -v p="$pack_best" -v c="$cat_best" 'BEGIN { print p / c }')"
printf 'ratio pack/dd:    %.2fx\n' "$(awk -v p="$pack_best" -v d="$dd_best" 'BEGIN { print p / d }')"
printf 'peak memory:      %.1f MiB (target < 16 MiB)\n' "$(awk -v k="$peak_kib" 'BEGIN { print k / 1024 }')"
