#!/usr/bin/env bash
# Benchmarks of the real installer under Wine (prints figures, checks nothing):
# extraction of a 64 MiB font from launch to the welcome page against CopyFileA
# on the same file, peak memory with a 256 MiB font against a 1 MiB one, the
# stub's size, and the checksum's share of the extraction. Uses the end-to-end
# harness's prefix and Xvfb, so it must not run beside the end-to-end tests;
# needs both builds (bash scripts/build.sh).
exec "$(dirname "$0")/../build/host/bench/bench-installer"
