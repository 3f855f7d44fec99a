#!/usr/bin/env bash
# Benchmark of a whole install under Wine (prints figures, checks nothing):
# a package of 200 fonts of 100 KiB each, from launch to the success message
# with the wizard driven straight through, against CopyFileA copying the same
# 200 files in one Wine program. Uses the end-to-end harness's prefix and
# Xvfb, so it must not run beside the end-to-end tests; needs both builds
# (bash scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tests="$root/build/host/tests/e2e/e2e_tests"
if [ ! -x "$tests" ]; then
  echo "bench-install: $tests is missing; run scripts/build.sh first" >&2
  exit 1
fi
"$tests" --gtest_also_run_disabled_tests --gtest_filter='BenchInstallRun.*' |
  grep -E '^bench:|FAILED|Failure|^\[  PASSED' || true
