#!/usr/bin/env bash
# See an installer as its users will, before shipping it: runs INSTALLER.exe
# (any Kervale installer) under Wine on an Xvfb of its own, in a scratch
# prefix that is removed afterwards, goes through every page its package has
# (welcome, About box, license when there is one, options with every extra
# ticked, Install, the outcome message), saves a picture of each into FOLDER
# and prints what was installed where.
#   bash scripts/preview.sh INSTALLER.exe [FOLDER]
# FOLDER defaults to INSTALLER-preview in the current folder; only the
# pictures of this run are replaced in it. Needs what scripts/setup.sh
# installs, and builds the demo and the Windows driver from this tree when
# they are missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: bash scripts/preview.sh INSTALLER.exe [FOLDER]" >&2
  exit 2
fi
installer=$1
if [ ! -f "$installer" ]; then
  echo "preview: $installer is not a file" >&2
  exit 1
fi
name=$(basename "$installer")
folder=${2:-${name%.[eE][xX][eE]}-preview}

bash "$root/scripts/setup.sh"
demo=$root/build/host/tools/demo/kervale-demo
driver=$root/build/win32/tools/driver/e2e-driver.exe
if [ -x "$demo" ] && [ -f "$driver" ]; then
  cmake --build "$root/build/win32" --target e2e-driver >/dev/null
  cmake --build "$root/build/host" --target kervale-demo >/dev/null
else
  bash "$root/scripts/build.sh"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kervale-preview.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Without a display of its own the demo walks the wizard by itself on Xvfb.
status=0
"$demo" --package "$installer" --work "$work" --screenshots "$folder" || status=$?
echo "preview: pictures in $folder; the scratch prefix is removed"
exit "$status"
