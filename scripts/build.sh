#!/usr/bin/env bash
# Installs what the build needs and builds everything into build/, for the
# architecture this machine can run (scripts/wine-env.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
source scripts/wine-env.sh
bash scripts/build-libjpeg.sh
# A build of the other architecture is configured anew.
if [ -f build/CMakeCache.txt ] && ! grep -q "mingw-$KY_ARCH.cmake" build/CMakeCache.txt; then
  rm -rf build/CMakeCache.txt build/CMakeFiles build/build.ninja
fi
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$KY_ARCH.cmake"
fi
cmake --build build
