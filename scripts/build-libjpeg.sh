#!/usr/bin/env bash
# Builds libjpeg-turbo for the target from Debian's source package into
# deps/libjpeg-ARCH (static, no SIMD). Does nothing when already built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
prefix="$root/deps/libjpeg-$KY_ARCH"
[ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jpeglib.h" ] && exit 0

work="$root/deps/src"
mkdir -p "$work"
cd "$work"
src=$(find . -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
if [ -z "$src" ]; then
  apt-get source --download-only libjpeg-turbo >/dev/null 2>&1 || apt-get source --download-only libjpeg-turbo
  dsc=$(ls libjpeg-turbo_*.dsc | head -n1)
  dpkg-source --no-check -x "$dsc" >/dev/null
  src=$(find . -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
fi
rm -rf build-jpeg
cmake -S "$src" -B build-jpeg -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$KY_ARCH.cmake" \
  -DCMAKE_CROSSCOMPILING_EMULATOR= \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DWITH_SIMD=0 -DENABLE_SHARED=0 -DENABLE_STATIC=1 \
  -DWITH_TURBOJPEG=0 -DWITH_JAVA=0 >/dev/null
cmake --build build-jpeg --target install >/dev/null
rm -rf build-jpeg
echo "libjpeg-turbo installed in $prefix"
