#!/usr/bin/env bash
# The benchmark table, in one run on this machine (prints figures; checks
# nothing). Not part of the test command. Needs both builds
# (bash scripts/build.sh) and must not run beside the end-to-end tests, whose
# Wine prefix it shares.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[ -x build/host/bench/bench-installer ] && [ -x build/host/bench/bench-font-inputs ] ||
  bash scripts/build.sh >/dev/null

echo "== installer stub: its size and where the bytes go"
bash scripts/stub-size.sh
echo
echo "== packing a 256 MiB font: kervale-pack build against cat"
bash scripts/bench-pack.sh | grep -E '^(cat|kervale-pack|ratio|peak)'
echo
echo "== kervale-pack on fonts made to cost their reader, next to normal ones"
bash scripts/bench-fonts.sh
echo
echo "== the installer under Wine"
{ build/host/bench/bench-installer; build/host/bench/bench-install-run; } | grep -E '^bench:' || true
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  echo "(Wine's 32-bit programs run under qemu-i386 emulation on this machine.)"
fi
