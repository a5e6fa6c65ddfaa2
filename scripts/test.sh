#!/usr/bin/env bash
# Builds everything and runs every test under Wine (with Xvfb when there is no display).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh
source scripts/wine-env.sh
ky_wine_prefix
ky_wine_server
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s '-screen 0 1280x1024x24' ctest --test-dir build --output-on-failure -j2 "$@"
else
  ctest --test-dir build --output-on-failure -j2 "$@"
fi
