#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Safe to run again.
set -euo pipefail

need_root() { if [ "$(id -u)" -ne 0 ]; then exec sudo -E bash "$0" "$@"; fi; }
need_root "$@"

export DEBIAN_FRONTEND=noninteractive

# 32-bit Wine needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  updated=0
fi

# libjpeg-turbo is built from Debian's source package, so deb-src must be on.
enable_deb_src() {
  local changed=0
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    if grep -q '^Types: deb$' /etc/apt/sources.list.d/debian.sources; then
      sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
      changed=1
    fi
  elif [ -f /etc/apt/sources.list ] && ! grep -q '^deb-src' /etc/apt/sources.list; then
    sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list >> /etc/apt/sources.list
    changed=1
  fi
  [ "$changed" = 1 ] && updated=0
  return 0
}
updated=${updated:-1}
enable_deb_src

pkgs=(wine wine32:i386 wine64 mingw-w64 cmake ninja-build xvfb xauth liblnk-utils
      dpkg-dev googletest imagemagick x11-utils xdotool
      fonts-wine fonts-liberation lld)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ] || [ "$updated" = 0 ]; then
  apt-get update -q
fi
if [ "${#missing[@]}" -gt 0 ]; then
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# GCC's -fuse-ld=lld looks for the linker beside the configured GNU ld under
# the name <ld>.lld; Debian's lld package does not make that name.
for arch in i686 x86_64; do
  ld="/usr/bin/$arch-w64-mingw32-ld.lld"
  [ -e "$ld" ] || ln -s ld.lld "$ld"
done
