#!/usr/bin/env bash
# Builds everything and starts the installer's wizard, KySetup.exe, under
# Wine. With a display the wizard opens there; without one it runs under
# Xvfb, and the script writes a screenshot of its first page and prints the
# picture's path.
#
#   scripts/run.sh              the wizard
#   scripts/run.sh stptool ARGS the command-line tool instead
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh >&2
source scripts/wine-env.sh
ky_wine_prefix
if [ "${1:-}" = stptool ]; then
  shift
  exec "$KY_WINE" build/tools/stptool/stptool.exe "$@"
fi
program=build/src/setup/forms/KySetup.exe
if [ -n "${DISPLAY:-}" ]; then
  exec "$KY_WINE" "$program"
fi

# No display: a virtual one, the wizard on it, and a picture of it.
shots="$root/build/screenshots"
mkdir -p "$shots"
shot="$shots/first-page.png"
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  set -euo pipefail
  source scripts/wine-env.sh
  ky_wine_server
  "$KY_WINE" "$1" &
  pid=$!
  # Until the wizard has shown and painted its first page.
  for _ in $(seq 1 300); do
    if xdotool search --onlyvisible --name "^Install Manager" >/dev/null 2>&1; then break; fi
    sleep 0.1
  done
  window=$(xdotool search --onlyvisible --name "^Install Manager" | head -n 1)
  [ -n "$window" ] || { echo "run.sh: the wizard did not open" >&2; kill $pid; exit 1; }
  sleep 1
  import -window root "$2"
  wineserver -k 2>/dev/null || true
  wait $pid 2>/dev/null || true
' _ "$program" "$shot"
echo "$shot"
