#!/usr/bin/env bash
# KySetup.exe as its users run it, on a fresh Wine prefix and a virtual
# display: the first run installs the installer (checked in the registry,
# the program folder and the shortcuts); a second start adds a product
# through the open dialog, installs and erases it while a second copy ends
# before any window; a last start ends with Close. The driver program
# posts the input; this script prepares and checks.
# Usage: kysetup_e2e.sh KYSETUP.EXE DRIVER.EXE STPTOOL.EXE WORKDIR
set -uo pipefail
kysetup=$1
driver=$2
stptool=$3
work=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$@"
fi
export KYSETUP_WINEPREFIX="$work/prefix"
source "$root/scripts/wine-env.sh"

E2E_SCREENS=$work
source "$root/tests/support/e2e.sh"

rm -rf "$work"
mkdir -p "$work/bin" "$work/src"
ky_wine_prefix
wineserver -p 2>/dev/null || true
trap 'wineserver -k 2>/dev/null' EXIT
C="$WINEPREFIX/drive_c"
programs=$(find "$C/users" -maxdepth 8 -type d -path '*Start Menu/Programs' | head -n1)
[ -n "$programs" ] || { echo "no Programs folder in the prefix"; exit 1; }
cp "$kysetup" "$work/bin/KySetup.exe"
cp "$driver" "$work/bin/kysetup_driver.exe"
cp "$stptool" "$work/bin/stptool.exe"
win() { wine winepath -w "$1" 2>/dev/null | tr -d "\r"; }

# A Delphi 5 to install for.
wine reg add 'HKLM\SoftWare\Borland\Delphi\5.0' /v RootDir /d 'C:\D5' /f /reg:32 >/dev/null
wine reg add 'HKCU\SoftWare\Borland\Delphi\5.0' /f >/dev/null
mkdir -p "$C/D5/Include" "$C/D5/Lib" "$C/D5/Bin" "$C/D5/Help"

echo "== first run"
wine "$work/bin/kysetup_driver.exe" firstrun "$(win "$work/bin/KySetup.exe")" || fail "first run"
T='HKCU\SoftWare\Tessaro'
expect_val "$T" Language 0
# The proposed products folder is the 32-bit programs' one, as for the IDEs.
if [ "$WINEARCH" = win64 ]; then pf='C:\Program Files (x86)'; else pf='C:\Program Files'; fi
expect_val "$T" PathInstall "$pf\Tessaro"
expect_val "$T\\KySetup" Ver1 2
expect_val "$T\\KySetup" Ver2 5
expect_val "$T\\KySetup" Ver3 15
expect_val "$T\\KySetup" FileSetup KySetup
installed=$(find "$C" -maxdepth 4 -ipath '*/Tessaro/KySetup/KySetup.exe' | head -n1)
check "the installer copied into its program folder" test -n "$installed"
[ -n "$installed" ] && check "the copy is this program" cmp -s "$installed" "$kysetup"
check "License.txt written" test -f "$(dirname "$installed")/License.txt"
group="$programs/Tessaro"
check "program group" test -d "$group"
check "shortcut to the installer" test -f "$group/KySetup.lnk"
[ -f "$group/KySetup.lnk" ] && expect_link "$group/KySetup.lnk" "$(win "$installed" | sed 's/^Z:/C:/')" 2>/dev/null

echo "== a second start: add a product through the open dialog, install it, erase it"
(cd "$work/src" && for f in KyPanel.hpp KyPanel.dcu dclKy50.bpl Ky50.bpl; do echo "$f v1" >"$f"; done
printf '[Product]\nName=KyControls\nKind=2\nVersion=2.1.0\n[Files]\nKyPanel.hpp=KyPanel.hpp\nKyPanel.dcu=KyPanel.dcu\ndclKy50.bpl=dclKy50.bpl\nKy50.bpl=Ky50.bpl\n' >lib.ini)
(cd "$work" && wine bin/stptool.exe pack src/lib.ini src/KyD5.stp >/dev/null) || fail "packing the product"
wine "$work/bin/kysetup_driver.exe" product "$(win "$work/bin/KySetup.exe")" "$(win "$work/src/KyD5.stp")" KyControls_D5Lib ||
  fail "adding, installing and erasing a product"
check "the product's header erased" test ! -e "$C/D5/Include/KyPanel.hpp"
check "the product's stored setup file erased" test ! -e "$(dirname "$(dirname "$installed")")/KyControls_D5Lib.stp"

echo "== a second start: a second copy ends before any window"
wine "$work/bin/kysetup_driver.exe" second "$(win "$work/bin/KySetup.exe")" || fail "second start"
check "the installer stays installed" wine reg query "$T\\KySetup" >/dev/null 2>&1

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
