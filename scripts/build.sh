#!/usr/bin/env bash
# Installs what the build needs and builds everything into build/, for the
# architecture this machine can run (scripts/wine-env.sh): the tree that is
# tested. Where that is not i686, the program users get (the 32-bit
# KySetup.exe and stptool.exe) is built as well, into build-i686/, with the
# generators of build/: a change that breaks it fails here even where it
# cannot run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
source scripts/wine-env.sh

# configure DIR ARCH [cmake options...]: a tree of another architecture is
# configured anew; an existing one takes the options again (cheap).
configure() {
  local dir=$1 arch=$2; shift 2
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "mingw-$arch.cmake" "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles" "$dir/build.ninja"
  fi
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" "$@"
  elif [ "$#" -gt 0 ]; then
    cmake -S . -B "$dir" "$@" >/dev/null
  fi
}

bash scripts/build-libjpeg.sh
configure build "$KY_ARCH"
cmake --build build

if [ "$KY_ARCH" != i686 ]; then
  KY_ARCH=i686 bash scripts/build-libjpeg.sh
  configure build-i686 i686 -DKY_TESTS=OFF -DKY_HOST_TOOLS_DIR="$root/build" -DKY_HOST_ARCH="$KY_ARCH"
  cmake --build build-i686 --target KySetup stptool
  echo "The program users get: build-i686/src/setup/forms/KySetup.exe and build-i686/tools/stptool/stptool.exe"
fi
