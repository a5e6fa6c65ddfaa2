#!/usr/bin/env bash
# Builds, then drives the real KySetup.exe as a user would, with X input on
# a virtual display of its own (whether or not a display is set), on fresh
# Wine prefixes, in each of the five languages (or those given: en es fr
# it de), and saves a picture of every page it passes into
# build/screenshots/LANG-NN-what.png. Every picture is checked against the
# form's own painting of the page it must show; the exit status is not 0
# when one is not. The form's own paintings of every page, the search
# dialog and the about box land in build/screenshots/reference/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh >&2
out="$root/build/screenshots"
status=0
bash tests/kysetup/kysetup_pictures.sh build/src/setup/forms/KySetup.exe build/tools/stptool/stptool.exe "$out" "$@" ||
  status=$?
mkdir -p "$out/reference"
for bmp in "$out"/work/ref/*.bmp; do
  [ -f "$bmp" ] || continue
  name=$(basename "${bmp%.bmp}")
  convert "$bmp" "$out/reference/$name.png"
done
rm -rf "$out/work"
ls "$out"/*.png 2>/dev/null
exit "$status"
