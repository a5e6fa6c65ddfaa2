#!/usr/bin/env bash
# stptool plan, verify and the running-IDE checks on a fresh Wine prefix: a
# plan that changes nothing, refusals with the installation's exit status,
# a verify that finds a changed byte, a deleted file and an unregistered
# package, and a fake Delphi 5 IDE (a copy of Wine's ping.exe started as
# C:\D5\Bin\delphi32.exe) that stops install and remove unless --force.
# Usage: stptool_plan_e2e.sh STPTOOL.EXE WORKDIR
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
wineserver -p 2>/dev/null || true
ide=""
stop_ide() { [ -n "$ide" ] && kill "$ide" 2>/dev/null; wait "$ide" 2>/dev/null; ide=""; }
trap 'stop_ide; wineserver -k 2>/dev/null' EXIT
C="$WINEPREFIX/drive_c"

cp "$stptool" "$work/bin/stptool.exe"
printf 'MZ installer' >"$work/bin/KySetup.exe"
stp() { (cd "$work" && wine bin/stptool.exe "$@"); }
run() { # code command... ; the output in $out
  local want=$1; shift
  out=$("$@" 2>&1 | tr -d '\r'); local rc=${PIPESTATUS[0]}
  [ "$rc" = "$want" ] || fail "'$*' exited $rc, expected $want: $out"
}
says() { grep -qF -- "$1" <<<"$out" || fail "expected '$1' in: $out"; }
state() { # what a plan must not change: the environment's folders and the record
  (cd "$C" && find D5 Tessaro -type f -exec md5sum {} + 2>/dev/null | sort)
  wine reg query 'HKCU\SoftWare\Tessaro' /s 2>/dev/null | tr -d '\r'
  wine reg query 'HKCU\SoftWare\Borland' /s 2>/dev/null | tr -d '\r'
}

# Delphi 5 installed and started; C++Builder 5 installed but never started
# by this user (no key below HKEY_CURRENT_USER).
wine reg add 'HKLM\SoftWare\Borland\Delphi\5.0' /v RootDir /d 'C:\D5' /f /reg:32 >/dev/null
wine reg add 'HKCU\SoftWare\Borland\Delphi\5.0' /f >/dev/null
wine reg add 'HKLM\SoftWare\Borland\C++Builder\5.0' /v RootDir /d 'C:\CB5' /f /reg:32 >/dev/null
for d in D5 CB5; do mkdir -p "$C/$d/Include" "$C/$d/Lib" "$C/$d/Bin" "$C/$d/Help"; done
printf ':Base Borland.hlp\r\n' >"$C/D5/Help/Delphi5.cnt"
run 0 stp setup --folder 'C:\Tessaro' --group Tessaro

cd "$work/src"
for f in KyPanel.hpp KyPanel.dcu dclKy50.bpl Ky.hlp; do echo "$f v1" >"$f"; done
cat >lib.ini <<'INI'
[Product]
Name=KyControls
Kind=2
Version=2.1.0
[Files]
KyPanel.hpp=KyPanel.hpp
KyPanel.dcu=KyPanel.dcu
dclKy50.bpl=dclKy50.bpl
[Obsolete]
OldPanel.dcu
INI
printf '[Product]\nName=KyHelp\nKind=7\nVersion=1.0.0\n[Files]\nKy.hlp=Ky.hlp\n' >help.ini
printf '[Product]\nName=KyCB\nKind=12\nVersion=1.0.0\n[Files]\nKyPanel.dcu=KyPanel.dcu\n' >cb5.ini
cd "$work"
for p in lib:KyD5 help:KyHelp cb5:KyCB5; do run 0 stp pack "src/${p%%:*}.ini" "src/${p#*:}.stp"; done

# ---- plan: what an installation would do, changing nothing ----
before=$(state)
run 0 stp plan src/KyD5.stp
says 'Install KyControls Delphi5 Library  Ver: 2.1.0 (KyControls_D5Lib)'
says 'new      C:\D5\Include\KyPanel.hpp'
says 'new      C:\D5\Lib\KyPanel.dcu'
says 'D5 C:\D5\Bin\dclKy50.bpl = Library KyControls  (2.1.0)'
says 'C:\Tessaro\KyControls_D5Lib\OldPanel.dcu'
says 'FileSetup = KyControls_D5Lib.stp'
run 0 stp plan src/KyD5.stp --json
says '"identifier": "KyControls_D5Lib"'
says '"path": "C:\\D5\\Bin\\dclKy50.bpl", "replaces": false, "environment": "D5", "package": "Library KyControls  (2.1.0)"'
check "plan changed nothing" test "$before" = "$(state)"
# The refusals of an installation, with its exit status.
run 1 stp plan src/KyCB5.stp
says 'Borland C++Builder5 has never been started by this user: start it once and close it, then go on.'
run 1 stp install src/KyCB5.stp
says 'Borland C++Builder5 has never been started by this user'
wine reg query 'HKCU\SoftWare\Borland\C++Builder\5.0' >/dev/null 2>&1 && fail "the never-started environment's key was made"
run 1 stp plan src/nothing.stp
run 2 stp plan
run 2 stp plan src/KyD5.stp --envs D5   # only for kind 3
check "refusals changed nothing" test "$before" = "$(state)"

# ---- verify ----
run 0 stp install src/KyD5.stp
run 0 stp install src/KyHelp.stp
run 0 stp verify
says '2 installed items match their setup files.'
run 0 stp plan src/KyD5.stp
says 'Removed first:'
says 'replace  C:\D5\Lib\KyPanel.dcu'
printf 'X' | dd of="$C/D5/Lib/KyPanel.dcu" bs=1 seek=3 conv=notrunc 2>/dev/null
rm "$C/D5/Include/KyPanel.hpp"
wine reg delete 'HKCU\SoftWare\Borland\Delphi\5.0\Known Packages' /v 'C:\D5\Bin\dclKy50.bpl' /f >/dev/null 2>&1
printf ':Base Borland.hlp\r\n' >"$C/D5/Help/Delphi5.cnt"
run 1 stp verify
says 'KyControls_D5Lib: C:\D5\Lib\KyPanel.dcu differs from byte 3'
says 'KyControls_D5Lib: C:\D5\Include\KyPanel.hpp is missing'
says 'KyControls_D5Lib: the package C:\D5\Bin\dclKy50.bpl is not registered'
says 'KyHelp_D5Help: the help entry of Ky.hlp is missing from C:\D5\Help\Delphi5.cnt'
says '4 differences in 2 installed items.'
run 1 stp verify KyControls_D5Lib
says '3 differences in 1 installed items.'
run 1 stp verify NoSuchProduct
echo 'KyPanel.dcu v1 and more' >"$C/D5/Lib/KyPanel.dcu"
run 1 stp verify KyControls_D5Lib
says 'C:\D5\Lib\KyPanel.dcu has 24 bytes, not 15'
# A repair is a re-install.
run 0 stp install src/KyD5.stp
run 0 stp install src/KyHelp.stp
run 0 stp verify
says '2 installed items match their setup files.'

# ---- a running IDE ----
cp "$C/windows/system32/ping.exe" "$C/D5/Bin/delphi32.exe"
(cd "$C" && exec "$KY_WINE" 'C:\D5\Bin\delphi32.exe' -n 600 127.0.0.1 >/dev/null 2>&1) &
ide=$!
# Waits until the process is seen (event: the refusal appears), with a deadline.
for _ in $(seq 60); do
  out=$(stp plan src/KyD5.stp 2>&1 | tr -d '\r')
  grep -qF 'is running' <<<"$out" && break
  sleep 0.5
done
before=$(state)
run 1 stp plan src/KyD5.stp
says 'replace  C:\D5\Lib\KyPanel.dcu'   # the plan all the same
says 'Borland Delphi5 is running (C:\D5\Bin\delphi32.exe): close it, then go on.'
run 1 stp install src/KyD5.stp
says 'Borland Delphi5 is running (C:\D5\Bin\delphi32.exe)'
run 1 stp remove KyControls_D5Lib
says 'Borland Delphi5 is running'
check "a refused run changed nothing" test "$before" = "$(state)"
run 0 stp plan src/KyD5.stp --force
run 0 stp install src/KyD5.stp --force
run 0 stp remove KyHelp_D5Help --force
# Another environment's IDE is no obstacle: a data product goes ahead.
printf '[Product]\nName=Data\nKind=4\nVersion=1.0.0\n[Files]\nA.txt=KyPanel.dcu\n' >src/data.ini
run 0 stp pack src/data.ini src/Data.stp
run 0 stp install src/Data.stp
stop_ide
run 0 stp remove KyControls_D5Lib
run 0 stp verify
says '1 installed items match their setup files.'

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
