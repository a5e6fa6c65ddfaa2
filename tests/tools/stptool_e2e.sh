#!/usr/bin/env bash
# stptool as an administrator uses it, on a fresh Wine prefix: the installer's
# own installation, a library, a help and a data product, an update, and
# erasing everything again. What lands in the registry is checked with
# `wine reg query`, what lands in links with `lnkinfo`.
# Usage: stptool_e2e.sh STPTOOL.EXE WORKDIR
set -uo pipefail
stptool=$1
work=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
export KYSETUP_WINEPREFIX="$work/prefix"
source "$root/scripts/wine-env.sh"
source "$root/tests/support/e2e.sh"

rm -rf "$work"
mkdir -p "$work/bin" "$work/src"
ky_wine_prefix
wineserver -p 2>/dev/null || true  # may already run for this prefix
trap 'wineserver -k 2>/dev/null' EXIT
C="$WINEPREFIX/drive_c"
programs=$(find "$C/users" -maxdepth 8 -type d -path '*Start Menu/Programs' | head -n1)
[ -n "$programs" ] || { echo "no Programs folder in the prefix"; exit 1; }

cp "$stptool" "$work/bin/stptool.exe"
stp() { (cd "$work" && wine bin/stptool.exe "$@"); }
has_value() { wine reg query "$1" /v "$2" >/dev/null 2>&1; }
expect_status() { # code command...
  local want=$1; shift
  local out
  out=$("$@" 2>&1); local rc=$?
  [ "$rc" = "$want" ] || fail "'$*' exited $rc, expected $want: $out"
}

# The system folder of 32-bit programs, where run-time packages go: the
# 32-bit one of a 64-bit Windows.
if [ "$WINEARCH" = win64 ]; then sysdir="$C/windows/syswow64"; else sysdir="$C/windows/system32"; fi

# Fake development environments: Delphi 5 and C++Builder 5 installed and
# started. They are 32-bit programs: their machine keys are in the 32-bit view.
for env in 'Delphi\5.0:D5:Delphi5.cnt' 'C++Builder\5.0:CB5:bcb5.cnt'; do
  IFS=: read -r key dir cnt <<<"$env"
  wine reg add "HKLM\\SoftWare\\Borland\\$key" /v RootDir /d "C:\\$dir" /f /reg:32 >/dev/null
  wine reg add "HKCU\\SoftWare\\Borland\\$key" /f >/dev/null
  mkdir -p "$C/$dir/Include" "$C/$dir/Lib" "$C/$dir/Bin" "$C/$dir/Help"
  printf ':Base Borland.hlp\r\n' >"$C/$dir/Help/$cnt"
done

# Delphi 6 only in the 64-bit view: no 32-bit IDE sees that key, so it is no environment.
if [ "$WINEARCH" = win64 ]; then
  wine reg add 'HKLM\SoftWare\Borland\Delphi\6.0' /v RootDir /d 'C:\D6' /f /reg:64 >/dev/null
  wine reg add 'HKCU\SoftWare\Borland\Delphi\6.0' /f >/dev/null
  mkdir -p "$C/D6/Include" "$C/D6/Lib" "$C/D6/Bin" "$C/D6/Help"
fi

# Before the installer exists.
expect_status 1 stp install nothing.stp
expect_status 2 stp install
expect_status 1 stp setup --folder 'C:\Tessaro' --group Tessaro     # KySetup.exe missing beside stptool
printf 'MZ installer' >"$work/bin/KySetup.exe"
expect_status 1 stp setup --folder 'c:\windows' --group Tessaro     # the Windows folder is reserved
for reserved in 'C:\windows\system32\' 'c:\Windows\SysWOW64'; do  # both system folders
  expect_status 1 stp setup --folder "$reserved" --group Tessaro
done
expect_status 0 stp setup --folder 'C:\Tessaro' --group Tessaro --language 1
expect_status 1 stp setup --folder 'C:\Tessaro' --group Tessaro     # already installed

T='HKCU\SoftWare\Tessaro'
expect_val "$T" Language 1
expect_val "$T" PathInstall 'C:\Tessaro'
expect_val "$T\\KySetup" Ver1 2
expect_val "$T\\KySetup" Ver2 5
expect_val "$T\\KySetup" Ver3 15
expect_val "$T\\KySetup" FileSetup KySetup
expect_val "$T\\KySetup" Description 'KySetup Ver: 2.5.15'
# The ".stp" type and the installer's "Programs and Features" entry, for this user only.
U='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall'
expect_val "$U\\KySetup" DisplayName 'KySetup 2.5.15'
expect_val "$U\\KySetup" UninstallString '"C:\Tessaro\KySetup\KySetup.exe"'
opens=$(wine reg query 'HKCU\Software\Classes\Tessaro.SetupFile\shell\open\command' /ve 2>/dev/null | tr -d '\r' |
  grep -cF '"C:\Tessaro\KySetup\KySetup.exe" "%1"')
check "the .stp type opens with the installer" test "$opens" = 1
group="$programs/Tessaro"
expect_link "$group/KySetup.lnk" 'C:\Tessaro\KySetup\KySetup.exe'
expect_link "$group/License.lnk" 'C:\Tessaro\KySetup\License.txt'
check "License.txt" grep -q 'Licence Agreement' "$C/Tessaro/KySetup/License.txt"
check "web shortcut" grep -q '^URL=http://www.tessaro.com/' "$group/Web www.tessaro.com.url"

# A library product for Delphi 5.
cd "$work/src"
for f in KyPanel.hpp KyPanel.dcu dclKy50.bpl Ky50.bpl Demo.exe; do echo "$f v1" >"$f"; done
cat >lib.ini <<'INI'
[Product]
Name=KyControls
Kind=2
Version=2.1.0
Shortcuts=EXE
[Files]
KyPanel.hpp=KyPanel.hpp
KyPanel.dcu=KyPanel.dcu
dclKy50.bpl=dclKy50.bpl
Ky50.bpl=Ky50.bpl
Demo\Demo.exe=Demo.exe
INI
cd "$work"
expect_status 0 stp pack src/lib.ini src/KyD5.stp
expect_status 0 stp install src/KyD5.stp
check "header placed" test -f "$C/D5/Include/KyPanel.hpp"
check "unit placed" test -f "$C/D5/Lib/KyPanel.dcu"
check "run-time package in the 32-bit system folder" test -f "$sysdir/Ky50.bpl"
[ "$WINEARCH" = win64 ] && check "nothing in the 64-bit system folder" test ! -e "$C/windows/system32/Ky50.bpl"
expect_val 'HKCU\SoftWare\Borland\Delphi\5.0\Known Packages' 'C:\D5\Bin\dclKy50.bpl' 'Library KyControls  (2.1.0)'
expect_val "$T\\KyControls_D5Lib" FileSetup KyControls_D5Lib.stp   # named after the product, not the file
expect_val "$T\\KyControls_D5Lib" Description 'KyControls Delphi5 Library  Ver: 2.1.0'
expect_val "$U\\KySetup.KyControls_D5Lib" UninstallString '"C:\Tessaro\KySetup\KySetup.exe" /erase KyControls_D5Lib'
expect_link "$group/KyControls_D5Lib/Demo/Demo.lnk" 'C:\Tessaro\KyControls_D5Lib\Demo\Demo.exe'
check "stored setup file" cmp -s src/KyD5.stp "$C/Tessaro/KyControls_D5Lib.stp"

# A Delphi 6 library: refused (its environment is at most in the 64-bit view).
printf '[Product]\nName=KyD6\nKind=8\nVersion=1.0.0\n[Files]\nKyPanel.dcu=KyPanel.dcu\n' >src/d6.ini
expect_status 0 stp pack src/d6.ini src/KyD6.stp
expect_status 1 stp install src/KyD6.stp
check "nothing placed for Delphi 6" test ! -e "$C/D6/Lib/KyPanel.dcu"

# A system folder the system refuses to write to (as for a user without
# elevation): the run ends with the system's reason naming the file, and
# leaves nothing of the product and no record.
printf '[Product]\nName=Locked\nKind=2\nVersion=1.0.0\n[Files]\nLocked.hpp=KyPanel.hpp\nLocked.dcu=KyPanel.dcu\nLocked.bpl=Ky50.bpl\n' >src/locked.ini
expect_status 0 stp pack src/locked.ini src/Locked.stp
if chattr +i "$sysdir" 2>/dev/null; then
  out=$(stp install src/Locked.stp 2>&1); rc=$?
  chattr -i "$sysdir"
  [ "$rc" = 1 ] || fail "install into a refused system folder exited $rc: $out"
  grep -qi 'Locked.bpl.*Access denied\|Access denied.*Locked.bpl' <<<"$out" ||
    fail "the refusal should give the system's reason and the file: $out"
  check "no header left" test ! -e "$C/D5/Include/Locked.hpp"
  check "no unit left" test ! -e "$C/D5/Lib/Locked.dcu"
  wine reg query "$T\\Locked_D5Lib" >/dev/null 2>&1 && fail "a record written for a refused run"
else
  echo "SKIP: this file system cannot make a folder refuse writes (chattr +i)"
fi

# Its update, then erasing the update brings the base back.
echo "KyPanel.dcu v2" >src/KyPanel.dcu
printf '[Product]\nName=KyControls\nKind=2\nVersion=2.1.1\nBaseVersion=2.1.0\nUpdate=1\n[Files]\nKyPanel.dcu=KyPanel.dcu\n' >src/upd.ini
expect_status 0 stp pack src/upd.ini src/KyD5-upd.stp
expect_status 0 stp install src/KyD5-upd.stp
check "update placed" grep -q v2 "$C/D5/Lib/KyPanel.dcu"
expect_val "$T\\KyControls_D5Lib" FileSetupUpd KyControls_D5Lib.upd
expect_val "$T\\KyControls_D5Lib" DescriptionUpd 'KyControls Delphi5 Library  Ver: 2.1.1 Update'
check "list shows the update" grep -q '^KyControls_D5Lib *update' <(stp list)
expect_status 0 stp remove KyControls_D5Lib --update
check "base unit back" grep -q v1 "$C/D5/Lib/KyPanel.dcu"
has_value "$T\\KyControls_D5Lib" FileSetupUpd && fail "FileSetupUpd left after erasing the update"
expect_val "$T\\KyControls_D5Lib" Ver3 0

# A help product for the ticked environments.
echo help >src/Ky.hlp
printf '[Product]\nName=KyControls\nKind=3\nQualifier=English\nVersion=2.1.0\n[Files]\nKy.hlp=Ky.hlp\n' >src/help.ini
expect_status 0 stp pack src/help.ini src/KyHelp.stp
expect_status 2 stp install src/KyHelp.stp                  # kind 3 needs --envs
expect_status 1 stp install src/KyHelp.stp --envs D3        # Delphi 3 not installed here
expect_status 0 stp install src/KyHelp.stp --envs D5,C5
expect_val "$T\\KyControls_HelpLib_English" InstallLangs 'D5,C5'
check "D5 help index" grep -q '^:Index Help KyControls (Ky.hlp) =Ky.hlp' "$C/D5/Help/Delphi5.cnt"
check "C5 help index" grep -q '^:Index Help KyControls (Ky.hlp) =Ky.hlp' "$C/CB5/Help/bcb5.cnt"
expect_link "$group/KyControls_HelpLib_English/Ky.lnk" 'C:\CB5\Help\Ky.hlp'

# A data product with a shortcut and an obsolete file.
mkdir -p "$C/Tessaro/Samples"
echo old >"$C/Tessaro/Samples/Old.txt"
echo sample >src/Sample.txt
printf '[Product]\nName=Samples\nKind=4\nVersion=1.0.0\nShortcuts=TXT\n[Files]\nSample.txt=Sample.txt\n[Obsolete]\nOld.txt\n' >src/data.ini
expect_status 0 stp pack src/data.ini src/Samples.stp
expect_status 0 stp install src/Samples.stp
check "obsolete file deleted" test ! -e "$C/Tessaro/Samples/Old.txt"
expect_link "$group/Samples/Sample.lnk" 'C:\Tessaro\Samples\Sample.txt'

# Erasing: the installer only after every product.
expect_status 1 stp remove KySetup
expect_status 1 stp remove NoSuchProduct
for id in Samples KyControls_HelpLib_English KyControls_D5Lib; do expect_status 0 stp remove "$id"; done
check "help index removed" bash -c "! grep -q Ky.hlp '$C/D5/Help/Delphi5.cnt'"
has_value 'HKCU\SoftWare\Borland\Delphi\5.0\Known Packages' 'C:\D5\Bin\dclKy50.bpl' && fail "package still registered"
check "run-time package removed" test ! -e "$sysdir/Ky50.bpl"
check "only the installer left" test "$(stp list | tr -d '\r' | awk '{print $1}')" = KySetup
expect_status 0 stp remove KySetup
wine reg query "$T" >/dev/null 2>&1 && fail "values left under $T: $(wine reg query "$T" /s)"
check "program group removed" test ! -e "$group"
check "installer's own files removed" test ! -e "$C/Tessaro/KySetup"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
