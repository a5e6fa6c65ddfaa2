#!/usr/bin/env bash
# Checks what the platform layer leaves behind with tools outside the
# program: `wine reg query` for registry values, `lnkinfo` for a shell link,
# and the Linux view of DeleteTree on a folder Linux made read-only.
# Usage: check_outside.sh PATH/TO/platform_probe.exe
set -uo pipefail
probe=$1
source "$(dirname "$0")/../../scripts/wine-env.sh"
ky_wine_prefix

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Linux path -> the same file seen through Wine's Z: drive.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

tmp=$(mktemp -d)
key="Software\\KySetupTests\\outside-$$"
cleanup() {
  chmod -R u+w "$tmp" 2>/dev/null
  rm -rf "$tmp"
  wine reg delete "HKCU\\$key" /f >/dev/null 2>&1
}
trap cleanup EXIT

# --- registry: every value is a REG_SZ, integers as decimal text ---
wine "$probe" reg-write-int "$key\\KyLib" Ver1 -42 || fail "reg-write-int"
wine "$probe" reg-write "$key\\KyLib" Description "KyLib Delphi5 Library  Ver: 2.5.15" || fail "reg-write"
out=$(wine reg query "HKCU\\$key\\KyLib" 2>&1 | tr -d '\r')
echo "$out"
grep -Eq '^ +Ver1 +REG_SZ +-42$' <<<"$out" || fail "Ver1 is not REG_SZ -42"
grep -Eq '^ +Description +REG_SZ +KyLib Delphi5 Library  Ver: 2\.5\.15$' <<<"$out" || fail "Description"
# ...and a hexadecimal text put in by reg.exe reads back as a number.
wine reg add "HKCU\\$key\\KyLib" /v Ver2 /d 0x1F /f >/dev/null 2>&1 || fail "reg add"
got=$(wine "$probe" reg-read-int "$key\\KyLib" Ver2 -1 | tr -d '\r')
[ "$got" = 31 ] || fail "0x1F read as '$got', not 31"

# --- shell link: lnkinfo sees the target and the working folder ---
mkdir -p "$tmp/Tessaro/Work Dir"
printf 'MZ' >"$tmp/Tessaro/KyDemo.exe"
target=$(winpath "$tmp/Tessaro/KyDemo.exe")
work=$(winpath "$tmp/Tessaro/Work Dir")
wine "$probe" link "$(winpath "$tmp/KyDemo.lnk")" "$target" "$work" || fail "link"
if [ -f "$tmp/KyDemo.lnk" ]; then
  info=$(lnkinfo "$tmp/KyDemo.lnk" 2>&1)
  echo "$info"
  # lnkinfo prints "<tab>Name<tabs>: value".
  field() { sed -n "s/^\t$1\t*: //p" <<<"$info"; }
  [ "$(field 'Local path')" = "$target" ] || fail "lnkinfo: local path is '$(field 'Local path')', not $target"
  [ "$(field 'Working directory')" = "$work" ] || fail "lnkinfo: working directory is '$(field 'Working directory')'"
  [ "$(field 'Command line arguments')" = "" ] || fail "lnkinfo: arguments are not empty"
else
  fail "no .lnk written"
fi

# --- DeleteTree: a folder Linux made read-only shows as read-only; it is
# made writable again and walked into, so the whole tree goes and nothing
# is reported as left ---
mkdir -p "$tmp/tree/sub/deeper" "$tmp/tree/ro"
touch "$tmp/tree/a.dcu" "$tmp/tree/sub/b.dcu" "$tmp/tree/sub/deeper/c.hlp" "$tmp/tree/ro/kept.dcu"
chmod a-w "$tmp/tree/ro" "$tmp/tree/ro/kept.dcu"
wine "$probe" delete-tree "$(winpath "$tmp/tree")" 1 >"$tmp/failed.txt"
status=$?
[ "$status" = 0 ] || fail "delete-tree reported what stayed (status $status): $(tr -d '\r' <"$tmp/failed.txt")"
[ ! -e "$tmp/tree" ] || fail "the tree with a read-only folder was not removed"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all outside checks passed"
