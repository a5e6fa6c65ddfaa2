#!/usr/bin/env bash
# Runs a Windows program of the build in the project's Wine prefix.
source "$(dirname "$0")/wine-env.sh"
ky_wine_prefix
exec "$KY_WINE" "$@"
