# Sourced by the scripts that build and run Windows programs: the target
# architecture, the project's own Wine prefix, quiet, without Mono/Gecko
# prompts or desktop menu entries.
#
# The installer is a 32-bit program (i686). Some machines cannot execute
# 32-bit code at all (their kernel refuses 32-bit binaries, so Debian's
# wine32 fails with "Exec format error"); there the build and the tests use
# the x86_64 target under wine64 instead. KY_ARCH=i686 or x86_64 overrides.
_kyroot=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

ky_detect_arch() {
  if [ -n "${KY_ARCH:-}" ]; then return 0; fi
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    KY_ARCH=i686
  elif [ ! -e /usr/lib/wine/wine ] && [ ! -e /usr/lib/wine/wine64 ]; then
    # Nothing installed yet: ask the machine whether it runs 32-bit code
    # once wine32 is there; until then the usual target.
    KY_ARCH=i686
  else
    KY_ARCH=x86_64
  fi
}
ky_detect_arch
export KY_ARCH
if [ "$KY_ARCH" = x86_64 ]; then
  export WINEARCH=win64
  export KY_WINE=/usr/lib/wine/wine64
  export WINELOADER=$KY_WINE
else
  export WINEARCH=win32
  export KY_WINE=/usr/lib/wine/wine
fi
export WINEPREFIX="${KYSETUP_WINEPREFIX:-$_kyroot/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Debian's wine wrapper would pick the 32-bit loader whenever it is
# installed, even where it cannot run.
wine() { "$KY_WINE" "$@"; }

# Creates the prefix once; later calls return at once. A prefix of the other
# architecture is made anew.
ky_wine_prefix() {
  # The marker names what the prefix was made with: a newer recipe makes it anew.
  local ready="$WINEPREFIX/.kysetup-ready-$WINEARCH-3"
  [ -f "$ready" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1 || true
    # Without a window manager, closing a top-level window would stall.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # The Windows fonts that display sets name, as metric-compatible fonts.
    local face
    for face in "Arial=Liberation Sans" "Times New Roman=Liberation Serif" "Courier New=Liberation Mono"; do
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%=*}" /d "${face#*=}" /f >/dev/null 2>&1
    done
    # Wine draws caption buttons with Marlett, found only in the prefix.
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
      cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
    wineserver -w
    touch "$ready"
  ) 9>"$WINEPREFIX.lock"
}

# One persistent, warmed server for a whole run instead of one per process
# (a Wine process starts in about 0.1 s then, not 0.5 s); stopped when the
# calling script exits.
ky_wine_server() {
  wineserver -p 2>/dev/null || true  # may already run for this prefix
  trap 'wineserver -k 2>/dev/null || true' EXIT
  wine cmd /c exit >/dev/null 2>&1 || true
}
