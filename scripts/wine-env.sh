# Sourced by the scripts that run Windows programs: the project's own 32-bit
# Wine prefix, quiet, without Mono/Gecko prompts or desktop menu entries.
_kyroot=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${KYSETUP_WINEPREFIX:-$_kyroot/build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Creates the prefix once; later calls return at once.
ky_wine_prefix() {
  [ -f "$WINEPREFIX/.kysetup-ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$WINEPREFIX/.kysetup-ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Without a window manager, closing a top-level window would stall.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.kysetup-ready"
  ) 9>"$WINEPREFIX.lock"
}
