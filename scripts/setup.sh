#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing,
# and the packages named on the command line (what another script needs too).
# Run as root. Packages already present are skipped, so a second run is quick.
#   bash scripts/setup.sh [PACKAGE...]
set -euo pipefail

packages=(
  cmake make g++ clang clang-format libclang-rt-14-dev libgtest-dev zlib1g-dev libfreetype-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386 xvfb xauth x11-utils imagemagick
  fonts-dejavu-core osslsigncode openssl
  # FreeType's source package for the static builds (scripts/freetype.sh)
  dpkg-dev xz-utils debian-archive-keyring
  # Arial's metrics (Liberation Sans) and Wine's own Tahoma, Marlett and
  # MS Sans Serif in the Wine prefixes, so windows measure as on Windows
  fonts-liberation fonts-wine
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  # dpkg-query knows "wine32:i386" as well as plain names.
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: these packages are missing; run as root to install them: ${missing[*]}" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's 32-bit programs on machines whose kernel runs only 64-bit ones.
bash "$(dirname "$0")/i386-emulation.sh"
