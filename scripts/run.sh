#!/usr/bin/env bash
# Builds everything and starts the program under Wine. Until the wizard
# exists this is the command-line tool stptool; arguments are passed on.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/build.sh >&2
source scripts/wine-env.sh
ky_wine_prefix
if [ $# -eq 0 ]; then set -- help; fi
exec "$KY_WINE" build/tools/stptool/stptool.exe "$@"
