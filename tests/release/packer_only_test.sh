#!/usr/bin/env bash
# A packer-only build is configured on a machine without MinGW or Wine: with
# them (and Xvfb) hidden from PATH, configuring succeeds, searches for none
# of them, and gives kervale-pack and its tests but nothing of the installer.
#   packer_only_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1
work=$2
rm -rf "$work"
mkdir -p "$work/bin"

# The caller's PATH, less every program that belongs to MinGW, Wine or Xvfb.
IFS=: read -ra dirs <<< "$PATH"
for dir in "${dirs[@]}"; do
  for program in "$dir"/*; do
    name=${program##*/}
    case $name in *mingw32* | wine* | Xvfb | xvfb-run) continue ;; esac
    [ -x "$program" ] && [ ! -e "$work/bin/$name" ] && ln -s "$program" "$work/bin/$name"
  done
done
# Any file serves as the release's stub: configuring only checks it is there.
printf 'MZ' > "$work/kervale-stub.exe"

log=$work/configure.log
if ! PATH=$work/bin cmake -S "$source_dir" -B "$work/build" -DKERVALE_PACKER_ONLY=ON \
  -DKERVALE_STUB="$work/kervale-stub.exe" --debug-find > "$log" 2>&1; then
  tail -20 "$log"
  echo "FAIL: configuring a packer-only build without MinGW and Wine failed (see $log)"
  exit 1
fi
# --debug-find logs every search configuring made, with the names sought.
if grep -i -n -E 'mingw|wine|xvfb' "$log" "$work/build/CMakeCache.txt"; then
  echo "FAIL: the packer-only configuration looked for MinGW, Wine or Xvfb (above)"
  exit 1
fi
targets=$(cmake --build "$work/build" --target help)
for wanted in kervale-pack pack_tests; do
  if ! grep -qx "\.\.\. $wanted" <<< "$targets"; then
    echo "FAIL: the packer-only build has no target $wanted"
    exit 1
  fi
done
for unwanted in kervale-stub kervale_startup wine_harness kervale-demo e2e_tests installer_tests; do
  if grep -qx "\.\.\. $unwanted" <<< "$targets"; then
    echo "FAIL: the packer-only build has the installer's target $unwanted"
    exit 1
  fi
done
echo "packer-only configure: $(grep -c . <<< "$targets") targets, no MinGW, Wine or Xvfb sought"
