#!/usr/bin/env bash
# KySetup.exe as its users run it, on a fresh Wine prefix and a virtual
# display: the first run installs the installer (checked in the registry,
# the program folder and the shortcuts); a second start adds a product
# through the open dialog, installs and erases it while a second copy ends
# before any window; a last start ends with Close. Then, as Windows users
# meet it: the ".stp" type and the "Programs and Features" entries in the
# registry, a setup file started through its type opens the wizard on it,
# a second file goes to the running wizard, and a product's uninstall
# command opens its erase page. The driver program
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

echo "== the .stp type and the installer's Programs and Features entry"
expect_default() { # key expected
  local got
  got=$(wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | awk '/REG_SZ/ { sub(/^ *[^ ]+ +REG_SZ +/, ""); print }')
  [ "$got" = "$2" ] || fail "$1 default value: expected '$2', got '$got'"
}
absent() { ! wine reg query "$1" >/dev/null 2>&1; }
U='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
location=$(wine reg query "$U\\KySetup" /v InstallLocation 2>/dev/null | tr -d '\r' |
  awk '$1 == "InstallLocation" { sub(/^ *[^ ]+ +REG_SZ +/, ""); print }')
check "the entry's InstallLocation is the installer's folder" test "$location" = "$pf\Tessaro\KySetup"
program="$location\KySetup.exe"
expect_val "$U\\KySetup" DisplayName "KySetup 2.5.15"
expect_val "$U\\KySetup" DisplayVersion 2.5.15
expect_val "$U\\KySetup" Publisher Tessaro
expect_val "$U\\KySetup" DisplayIcon "\"$program\",0"
expect_val "$U\\KySetup" UninstallString "\"$program\""
expect_val "$U\\KySetup" NoModify 0x1
expect_val "$U\\KySetup" NoRepair 0x1
size=$(wine reg query "$U\\KySetup" /v EstimatedSize 2>/dev/null | tr -d '\r' | awk '$1 == "EstimatedSize" { print $3 }')
check "EstimatedSize is the program's size in KB (got '$size')" test "$((size))" -ge $(($(stat -c %s "$kysetup") / 1024))
expect_default 'HKCU\Software\Classes\.stp' Tessaro.SetupFile
expect_default 'HKCU\Software\Classes\Tessaro.SetupFile' "KySetup setup file"
expect_default 'HKCU\Software\Classes\Tessaro.SetupFile\shell\open\command' "\"$program\" \"%1\""
check "nothing for the whole machine" absent 'HKLM\Software\Classes\Tessaro.SetupFile'
check "the installer's entry exists (the absence check can see keys)" wine reg query "$U\\KySetup" >/dev/null 2>&1

echo "== a setup file started through its type, then a second one handed over"
(cd "$work/src" && echo "readme" >readme.txt &&
  printf '[Product]\nName=Samples\nKind=4\nVersion=1.2.0\n[Files]\nreadme.txt=readme.txt\n' >data.ini)
(cd "$work" && wine bin/stptool.exe pack src/data.ini src/Samples.stp >/dev/null) || fail "packing the data product"
# What a double-click runs: the type's open command with the file for "%1".
# (Wine 8 does not look into HKCU\Software\Classes when it opens a file, so
# the command is read and run here as Windows would.)
open=$(wine reg query 'HKCU\Software\Classes\Tessaro.SetupFile\shell\open\command' /ve 2>/dev/null | tr -d '\r' |
  awk '/REG_SZ/ { sub(/^ *[^ ]+ +REG_SZ +/, ""); print }')
check "the type opens with the installed program" test "$open" = "\"$program\" \"%1\""
wine "$work/bin/kysetup_driver.exe" opened "${open//%1/$(win "$work/src/KyD5.stp")}" KyControls_D5Lib \
  "$(win "$work/bin/KySetup.exe")" "$(win "$work/src/Samples.stp")" Samples || fail "the opened and the handed setup files"
for id in KyControls_D5Lib Samples; do
  expect_val "$U\\KySetup.$id" UninstallString "\"$program\" /erase $id"
  expect_val "$U\\KySetup.$id" Publisher Tessaro
  expect_val "$U\\KySetup.$id" InstallLocation "$pf\\Tessaro\\$id"
done
expect_val "$U\\KySetup.Samples" DisplayVersion 1.2.0

echo "== a product's uninstall command opens its erase page"
wine "$work/bin/kysetup_driver.exe" erase "\"$program\" /erase Samples" Samples || fail "erasing through the entry"
check "the erased product's entry is gone" absent "$U\\KySetup.Samples"
check "the other product's entry stays" wine reg query "$U\\KySetup.KyControls_D5Lib" >/dev/null 2>&1

echo "== anything else on the command line is refused with how to call it"
# The message box is answered by the driver's wait: the program ends once it closes.
wine "$work/bin/kysetup_driver.exe" usage "$(win "$work/bin/KySetup.exe")" || fail "a wrong command line"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
