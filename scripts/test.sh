#!/usr/bin/env bash
# Builds everything and runs every test under Wine (with Xvfb when there is no display).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh
source scripts/wine-env.sh
ky_wine_prefix
# One persistent, warmed server for the whole run instead of one per process.
wineserver -p 2>/dev/null || true  # may already run for this prefix
trap 'wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit >/dev/null 2>&1 || true
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s '-screen 0 1280x1024x24' ctest --test-dir build --output-on-failure -j2 "$@"
else
  ctest --test-dir build --output-on-failure -j2 "$@"
fi
