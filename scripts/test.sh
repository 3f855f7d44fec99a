#!/usr/bin/env bash
# Every test: installs what is missing, builds both builds, then runs the
# native unit tests, the packaging tool's tests, short fuzz runs and the
# end-to-end tests of the real installer under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh
ctest --test-dir build/host --output-on-failure -j 2
