#!/usr/bin/env bash
# Long fuzz runs of every target (default 600 s each); not part of the test
# command. Findings are written to build/fuzz-findings/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-600}
[ -x build/host/tests/fuzz/fuzz_trailer ] || bash scripts/build.sh
mkdir -p build/fuzz-findings
for target in fuzz_trailer fuzz_descriptor; do
  mkdir -p "build/fuzz-corpus/$target"
  echo "fuzz: $target for ${seconds}s"
  build/host/tests/fuzz/$target -max_total_time="$seconds" -rss_limit_mb=1024 \
    -artifact_prefix=build/fuzz-findings/ "build/fuzz-corpus/$target" "tests/fuzz/corpus/$target" \
    2>&1 | tail -n 2
done
echo "fuzz: findings: $(ls build/fuzz-findings | wc -l)"
