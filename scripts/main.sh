#!/usr/bin/env bash
# The main job: installs what is missing, builds everything and packs a
# sample installer into out/ with kervale-pack.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh

font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
mkdir -p out
dist/kervale-pack build -o out/DejaVuSansMono-Setup.exe \
  --font-name "DejaVu Sans Mono" \
  --readme samples/README.TXT --license samples/LICENSE.TXT \
  --web-url "https://dejavu-fonts.github.io/" --link-title "DejaVu Fonts" \
  "$font"
dist/kervale-pack verify out/DejaVuSansMono-Setup.exe
dist/kervale-pack list out/DejaVuSansMono-Setup.exe
