#!/usr/bin/env bash
# Configures and builds both builds from this tree:
#   build/win32  the installer stub and the Windows tools (MinGW, 32-bit)
#   build/host   the packaging tool, the native tests and the fuzz targets
# and gathers the programs a font maker uses into dist/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

# FreeType for the Windows build (made once, kept in build/freetype-win32).
bash scripts/freetype.sh win32
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win32 -j "$jobs"

cmake -S . -B build/host -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=Release -DKERVALE_WIN32_DIR="$root/build/win32" >/dev/null
cmake --build build/host -j "$jobs"

mkdir -p dist
cp build/win32/kervale-stub.exe dist/
cp build/host/pack/kervale-pack dist/
[ -f build/win32/pack/kervale-pack.exe ] && cp build/win32/pack/kervale-pack.exe dist/
echo "build: stub $(stat -c %s dist/kervale-stub.exe) bytes; programs in dist/"
