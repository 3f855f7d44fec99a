#!/usr/bin/env bash
# Benchmarks of the real installer under Wine (prints figures, checks nothing):
# extraction of a 64 MiB font from launch to the welcome page against CopyFileA
# on the same file, peak memory with a 256 MiB font against a 1 MiB one, and the
# stub's size. Uses the end-to-end harness's prefix and Xvfb; needs both builds
# (bash scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench="$root/build/host/bench/bench-installer"
if [ ! -x "$bench" ]; then
  echo "bench-installer: $bench is missing; run scripts/build.sh first" >&2
  exit 1
fi
"$bench" | grep -E '^bench:' || true
