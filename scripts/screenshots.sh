#!/usr/bin/env bash
# Builds, then writes pictures of the wizard's every page in every language,
# of the folder search dialog and of the about box into build/screenshots
# (PNG), on a fresh prefix (a first run) and a virtual display, and prints
# their paths.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh >&2
out="$root/build/screenshots"
work="$root/build/screenshots-prefix"
rm -rf "$work" "$out"
mkdir -p "$out"
export KYSETUP_WINEPREFIX="$work"
source scripts/wine-env.sh
ky_wine_prefix
run() {
  ky_wine_server
  "$KY_WINE" build/src/setup/forms/KySetup.exe --shots "$("$KY_WINE" winepath -w "$out" | tr -d "\r")" >/dev/null
}
if [ -z "${DISPLAY:-}" ]; then
  export -f run ky_wine_server
  xvfb-run -a -s '-screen 0 1280x1024x24' bash -c 'source scripts/wine-env.sh; run'
else
  run
fi
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
  echo "${bmp%.bmp}.png"
done
