#!/usr/bin/env bash
# Benchmarks of the real installer under Wine (prints figures, checks nothing):
# extraction of a 64 MiB font from launch to the welcome page against CopyFileA
# on the same file, peak memory with a 256 MiB font against a 1 MiB one, and the
# stub's size. Uses the end-to-end harness's prefix and Xvfb; needs both builds
# (bash scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tests="$root/build/host/tests/e2e/e2e_tests"
if [ ! -x "$tests" ]; then
  echo "bench-installer: $tests is missing; run scripts/build.sh first" >&2
  exit 1
fi
"$tests" --gtest_also_run_disabled_tests --gtest_filter='BenchInstaller.*' |
  grep -E '^bench:|FAILED|Failure|^\[  PASSED' || true
