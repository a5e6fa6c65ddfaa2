#!/usr/bin/env bash
# Installation benchmark, one command: bench/run.sh [ROUNDS]
#
# Two data products are installed in interleaved rounds under one Wine
# prefix: "big", about 250 MB in 200 files (one of 100 MB), and "small",
# 10,000 files of 4 KiB. Contenders per payload:
#   stp   stptool install of the packed setup file
#   copy  a Windows program copying the same files in 64 KiB chunks
#   store Windows' own copy of the setup file (cmd's copy): the installer
#         keeps that copy for later removal, so stp's floor is copy + store
#   nsis  an NSIS installer of the same files (no compression, no CRC), /S,
#         where this machine can run it (NSIS installers are 32-bit programs)
#   cp    cp -r natively, the outside reference
# Before every timed run the target is removed and sync runs (untimed);
# every result is checked against the payload's hashes, and stp's stored
# copy of the setup file against the setup file. Then "stptool list" on a
# record without products is timed against starting a program that does
# nothing. Prints, per ratio, the median of the per-round ratios with their
# minimum and maximum.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
cd "$root"
bash scripts/build.sh >/dev/null

work="$root/build/bench"
mkdir -p "$work"
export KYSETUP_WINEPREFIX="$work/prefix"
source scripts/wine-env.sh
ky_wine_prefix
ky_wine_server
C="$WINEPREFIX/drive_c"
winpath() { echo "Z:${1//\//\\}"; }

# NSIS installers are 32-bit programs: only where this machine runs them.
nsis=no
if [ "$KY_ARCH" = i686 ]; then
  if ! command -v makensis >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q nsis >/dev/null
  fi
  nsis=yes
else
  echo "NSIS: not compared here (this machine cannot run 32-bit programs, and NSIS installers are 32-bit)"
fi

# ---- the payloads, made once ----
make_payload() {  # name
  local p="$work/payload-$1"
  [ -f "$work/payload-$1.sha" ] && return
  echo "making the $1 payload..."
  rm -rf "$p"
  if [ "$1" = big ]; then
    mkdir -p "$p/big" "$p/lib" "$p/help" "$p/samples"
    head -c $((100 * 1024 * 1024)) /dev/urandom >"$p/big/Database.dat"
    local folders=(lib help samples)
    for i in $(seq 1 199); do
      # 150 MB over 199 files, sizes varying from 0.25 to 1.25 MB.
      head -c $(( (256 + (i * 37) % 1024) * 1024 )) /dev/urandom >"$p/${folders[i % 3]}/File$i.bin"
    done
  else
    # 10,000 files of 4 KiB in 20 folders, cut from one random stream.
    mkdir -p "$p"
    head -c $((10000 * 4096)) /dev/urandom >"$work/small.raw"
    (cd "$p" && split -a 4 -d -b 4096 "$work/small.raw" f)
    rm "$work/small.raw"
    for d in $(seq -w 0 19); do mkdir -p "$p/dir$d"; done
    local i=0
    for f in "$p"/f*; do
      mv "$f" "$p/dir$(printf '%02d' $((i % 20)))/$(basename "$f").bin"
      i=$((i + 1))
    done
  fi
  (cd "$p" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/payload-$1.sha"
}

mkdir -p "$work/bin"
cp build/tools/stptool/stptool.exe "$work/bin/"
printf 'MZ' >"$work/bin/KySetup.exe"
stp() { (cd "$work" && wine bin/stptool.exe "$@"); }
for payload in big small; do
  make_payload $payload
  echo "payload $payload: $(find "$work/payload-$payload" -type f | wc -l) files, $(du -sm "$work/payload-$payload" | cut -f1) MB"
  if [ ! -f "$work/$payload.stp" ] || [ "$work/$payload.stp" -ot build/tools/stptool/stptool.exe ]; then
    {
      printf '[Product]\nName=Bench%s\nKind=4\nVersion=1.0.0\n[Files]\n' "$payload"
      (cd "$work/payload-$payload" && find . -type f | sort | sed 's|^\./||') | while read -r f; do
        printf '%s=payload-%s/%s\n' "${f//\//\\}" "$payload" "$f"
      done
    } >"$work/$payload.ini"
    stp pack "$payload.ini" "$payload.stp"
  fi
  if [ $nsis = yes ] && [ ! -f "$work/$payload-nsis.exe" ]; then
    cat >"$work/$payload.nsi" <<NSI
Name "Bench$payload"
OutFile "$payload-nsis.exe"
SetCompress off
CRCCheck off
RequestExecutionLevel user
InstallDir "C:\\bench-nsis"
Section
  SetOutPath \$INSTDIR
  File /r "payload-$payload\\*.*"
SectionEnd
NSI
    (cd "$work" && makensis -V1 "$payload.nsi")
  fi
done
if ! wine reg query 'HKCU\SoftWare\Tessaro\KySetup' >/dev/null 2>&1; then
  stp setup --folder 'C:\bench-kysetup' --group Bench >/dev/null 2>&1
fi

# ---- one timed run per contender: prepare (untimed), run, check ----
prepare() {  # contender payload
  case $1 in
    stp) stp remove "Bench$2" >/dev/null 2>&1 || true; rm -rf "$C/bench-kysetup/Bench$2" ;;
    copy) rm -rf "$C/bench-copy" ;;
    nsis) rm -rf "$C/bench-nsis" ;;
    cp) rm -rf "$work/cp-target" ;;
    store) rm -rf "$C/bench-store"; mkdir -p "$C/bench-store" ;;
  esac
  sync
}
target() {
  case $1 in
    stp) echo "$C/bench-kysetup/Bench$2" ;;
    copy) echo "$C/bench-copy" ;;
    nsis) echo "$C/bench-nsis" ;;
    cp) echo "$work/cp-target" ;;
    store) echo "$C/bench-store" ;;
  esac
}
execute() {
  case $1 in
    stp) stp install "$2.stp" >/dev/null 2>&1 ;;
    copy) wine "$root/build/bench/bench_copy64k.exe" "$(winpath "$work/payload-$2")" 'C:\bench-copy' ;;
    nsis) (cd "$work" && wine "$2-nsis.exe" /S '/D=C:\bench-nsis') ;;
    cp) cp -r "$work/payload-$2" "$work/cp-target" ;;
    store) (cd "$work" && wine cmd /c copy /y "$2.stp" 'C:\bench-store\bench.stp' >/dev/null) ;;
  esac
}
verify() {
  local dir
  dir=$(target "$1" "$2")
  if [ "$1" = store ]; then
    cmp -s "$work/$2.stp" "$dir/bench.stp" || { echo "store: copy differs" >&2; exit 1; }
    return
  fi
  [ -d "$dir" ] || { echo "$1: target $dir missing" >&2; exit 1; }
  if ! (cd "$dir" && sha256sum --quiet -c "$work/payload-$2.sha"); then
    echo "$1: installed files differ from the payload" >&2
    exit 1
  fi
  if [ "$1" = stp ]; then
    cmp -s "$work/$2.stp" "$C/bench-kysetup/Bench$2.stp" || { echo "stp: stored setup file differs" >&2; exit 1; }
  fi
}
timed() {  # contender payload
  prepare "$1" "$2"
  local t0 t1
  t0=$(date +%s.%N)
  execute "$1" "$2"
  t1=$(date +%s.%N)
  verify "$1" "$2"
  echo "$t1 - $t0" | bc
}

contenders=(stp copy store cp)
[ $nsis = yes ] && contenders+=(nsis)
n=${#contenders[@]}
results="$work/results.txt"
: >"$results"
for payload in big small; do
  echo "warm-up round ($payload)"
  for c in "${contenders[@]}"; do timed "$c" $payload >/dev/null; done
done
for r in $(seq 1 "$rounds"); do
  for payload in big small; do
    declare -A t=()
    for k in $(seq 0 $((n - 1))); do
      c=${contenders[(k + r) % n]}  # a different order each round
      t[$c]=$(timed "$c" $payload)
    done
    line="$payload stp=${t[stp]} copy=${t[copy]} store=${t[store]} cp=${t[cp]}"
    [ $nsis = yes ] && line+=" nsis=${t[nsis]}"
    echo "round $r: $line"
    echo "$line" >>"$results"
    unset t
  done
done

# Starting: "stptool list" with no product in the record, against a program that does nothing.
stp remove Benchbig >/dev/null 2>&1 || true
stp remove Benchsmall >/dev/null 2>&1 || true
for r in $(seq 0 "$rounds"); do
  for c in list empty; do
    t0=$(date +%s.%N)
    if [ $c = list ]; then stp list >/dev/null; else wine "$root/build/bench/bench_empty.exe"; fi
    t1=$(date +%s.%N)
    [ "$r" -gt 0 ] && eval "s_$c=\$(echo \"\$t1 - \$t0\" | bc)"
  done
  [ "$r" -gt 0 ] && echo "start list=$s_list empty=$s_empty" | tee -a "$results" >/dev/null
done

python3 - "$results" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    parts = line.split()
    if not parts:
        continue
    rows.setdefault(parts[0], []).append({k: float(v) for k, v in (p.split("=") for p in parts[1:])})
def show(payload, label, num, den):
    r = [row[num] / sum(row[d] for d in den) for row in rows[payload] if all(d in row for d in den)]
    if r:
        print(f"{payload:<6} {label:<44} median {statistics.median(r):6.3f}  min {min(r):6.3f}  max {max(r):6.3f}  ({len(r)} rounds)")
for payload in ("big", "small"):
    show(payload, "stptool install / (chunked copy + setup copy)", "stp", ("copy", "store"))
    show(payload, "stptool install / 64 KiB chunked copy", "stp", ("copy",))
    show(payload, "stptool install / NSIS installer /S", "stp", ("nsis",))
    show(payload, "stptool install / cp -r (native)", "stp", ("cp",))
show("start", "stptool list (no products) / empty program", "list", ("empty",))
PY
