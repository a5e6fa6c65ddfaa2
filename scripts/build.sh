#!/usr/bin/env bash
# Installs what the build needs and builds everything into build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
bash scripts/build-libjpeg.sh
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
fi
cmake --build build
