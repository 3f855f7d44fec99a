#!/usr/bin/env bash
# Benchmark of a whole install under Wine (prints figures, checks nothing):
# a package of 200 fonts of 100 KiB each, from launch to the success message
# with the wizard driven straight through, against CopyFileA copying the same
# 200 files in one Wine program. Uses the end-to-end harness's prefix and
# Xvfb, so it must not run beside the end-to-end tests; needs both builds
# (bash scripts/build.sh).
exec "$(dirname "$0")/../build/host/bench/bench-install-run"
