#!/usr/bin/env bash
# The main job: installs what is missing, builds everything, packs a sample
# installer into out/ with kervale-pack and runs it under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh

# No --font-name: the tool takes the font's own name and says so.
font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
mkdir -p out
dist/kervale-pack build -o out/DejaVuSansMono-Setup.exe \
  --readme samples/README.TXT --license samples/LICENSE.TXT \
  --web-url "https://dejavu-fonts.github.io/" --link-title "DejaVu Fonts" \
  "$font"
dist/kervale-pack verify out/DejaVuSansMono-Setup.exe
dist/kervale-pack list out/DejaVuSansMono-Setup.exe

# The demo: the installer just packed, run under Wine in a scratch prefix
# below build/. With a display of a person's session the wizard opens there;
# otherwise it goes through every page by itself on an Xvfb and saves a PNG
# of each window to out/screenshots/. Either way it ends with what went where.
demo=(build/host/tools/demo/kervale-demo --package out/DejaVuSansMono-Setup.exe
  --work "$root/build/demo" --screenshots "$root/out/screenshots")
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && xwininfo -root >/dev/null 2>&1; then
  "${demo[@]}" --display "$DISPLAY"
else
  "${demo[@]}"
fi
