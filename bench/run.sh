#!/usr/bin/env bash
# Installation benchmark, one command: bench/run.sh [ROUNDS]
#
# A data product of about 250 MB in 200 files (one of 100 MB) is installed
# in interleaved rounds by four contenders under one Wine prefix:
#   stp   stptool install of the packed setup file
#   copy  a Windows program copying the same files in 64 KiB chunks
#   nsis  an NSIS installer of the same files (no compression, no CRC), /S
#   cp    cp -r natively, the outside reference
#   store Windows' own copy of the setup file (CopyFile through cmd's copy):
#         the installer keeps that copy for later removal, so stp's floor
#         is about copy + store
# Before every timed run the target is removed and sync runs (untimed);
# every result is checked against the payload's hashes. Prints the median
# of the per-round ratios with their minimum and maximum.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
cd "$root"
bash scripts/build.sh >/dev/null
if ! command -v makensis >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q nsis >/dev/null
fi

work="$root/build/bench"
mkdir -p "$work"
export KYSETUP_WINEPREFIX="$work/prefix"
source scripts/wine-env.sh
ky_wine_prefix
wineserver -p 2>/dev/null || true  # may already run for this prefix
trap 'wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit >/dev/null 2>&1 || true
C="$WINEPREFIX/drive_c"
winpath() { echo "Z:${1//\//\\}"; }

# ---- the payload, made once ----
payload="$work/payload"
if [ ! -f "$work/payload.sha" ]; then
  echo "making the payload..."
  rm -rf "$payload"
  mkdir -p "$payload/big" "$payload/lib" "$payload/help" "$payload/samples"
  head -c $((100 * 1024 * 1024)) /dev/urandom >"$payload/big/Database.dat"
  folders=(lib help samples)
  for i in $(seq 1 199); do
    # 150 MB over 199 files, sizes varying from 0.25 to 1.25 MB.
    size=$(( (256 + (i * 37) % 1024) * 1024 ))
    head -c "$size" /dev/urandom >"$payload/${folders[i % 3]}/File$i.bin"
  done
  (cd "$payload" && find . -type f -print0 | sort -z | xargs -0 sha256sum) >"$work/payload.sha"
fi
echo "payload: $(find "$payload" -type f | wc -l) files, $(du -sm "$payload" | cut -f1) MB"

# ---- the contenders' inputs ----
mkdir -p "$work/bin"
cp build/tools/stptool/stptool.exe "$work/bin/"
printf 'MZ' >"$work/bin/KySetup.exe"
{
  printf '[Product]\nName=BenchData\nKind=4\nVersion=1.0.0\n[Files]\n'
  (cd "$payload" && find . -type f | sort | sed 's|^\./||') | while read -r f; do
    printf '%s=payload/%s\n' "${f//\//\\}" "$f"
  done
} >"$work/bench.ini"
stp() { (cd "$work" && wine bin/stptool.exe "$@"); }
[ -f "$work/bench.stp" ] || stp pack bench.ini bench.stp
cat >"$work/bench.nsi" <<NSI
Name "BenchData"
OutFile "bench-nsis.exe"
SetCompress off
CRCCheck off
RequestExecutionLevel user
InstallDir "C:\\bench-nsis"
Section
  SetOutPath \$INSTDIR
  File /r "payload\\*.*"
SectionEnd
NSI
[ -f "$work/bench-nsis.exe" ] || (cd "$work" && makensis -V1 bench.nsi)
if ! wine reg query 'HKCU\SoftWare\Tessaro\KySetup' >/dev/null 2>&1; then
  stp setup --folder 'C:\bench-kysetup' --group Bench >/dev/null 2>&1
fi

# ---- one timed run per contender: prepare (untimed), run, check ----
prepare() {
  case $1 in
    stp) stp remove BenchData >/dev/null 2>&1 || true; rm -rf "$C/bench-kysetup/BenchData" ;;
    copy) rm -rf "$C/bench-copy" ;;
    nsis) rm -rf "$C/bench-nsis" ;;
    cp) rm -rf "$work/cp-target" ;;
    store) rm -rf "$C/bench-store"; mkdir -p "$C/bench-store" ;;
  esac
  sync
}
target() {
  case $1 in
    stp) echo "$C/bench-kysetup/BenchData" ;;
    copy) echo "$C/bench-copy" ;;
    nsis) echo "$C/bench-nsis" ;;
    cp) echo "$work/cp-target" ;;
    store) echo "$C/bench-store" ;;
  esac
}
execute() {
  case $1 in
    stp) stp install bench.stp >/dev/null 2>&1 ;;
    copy) wine "$root/build/bench/bench_copy64k.exe" "$(winpath "$payload")" 'C:\bench-copy' ;;
    nsis) (cd "$work" && wine bench-nsis.exe /S '/D=C:\bench-nsis') ;;
    cp) cp -r "$payload" "$work/cp-target" ;;
    store) (cd "$work" && wine cmd /c copy /y bench.stp 'C:\bench-store\bench.stp' >/dev/null) ;;
  esac
}
verify() {
  local dir
  dir=$(target "$1")
  if [ "$1" = store ]; then
    cmp -s "$work/bench.stp" "$dir/bench.stp" || { echo "store: copy differs" >&2; exit 1; }
    return
  fi
  [ -d "$dir" ] || { echo "$1: target $dir missing" >&2; exit 1; }
  if ! (cd "$dir" && sha256sum --quiet -c "$work/payload.sha"); then
    echo "$1: installed files differ from the payload" >&2
    exit 1
  fi
}
timed() {
  prepare "$1"
  local t0 t1
  t0=$(date +%s.%N)
  execute "$1"
  t1=$(date +%s.%N)
  verify "$1"
  echo "$t1 - $t0" | bc
}

contenders=(stp copy nsis cp store)
echo "warm-up round"
for c in "${contenders[@]}"; do timed "$c" >/dev/null; done
results="$work/results.txt"
: >"$results"
for r in $(seq 1 "$rounds"); do
  declare -A t=()
  for k in 0 1 2 3 4; do
    c=${contenders[(k + r) % 5]}  # a different order each round
    t[$c]=$(timed "$c")
  done
  echo "round $r: stp ${t[stp]}s copy ${t[copy]}s nsis ${t[nsis]}s cp ${t[cp]}s store ${t[store]}s"
  echo "${t[stp]} ${t[copy]} ${t[nsis]} ${t[cp]} ${t[store]}" >>"$results"
done

python3 - "$results" <<'PY'
import statistics, sys
rows = [list(map(float, l.split())) for l in open(sys.argv[1]) if l.strip()]
def show(name, idx):
    r = [row[0] / (sum(row[i] for i in idx) if isinstance(idx, tuple) else row[idx]) for row in rows]
    print(f"stptool install / {name:<28} median {statistics.median(r):6.3f}  min {min(r):6.3f}  max {max(r):6.3f}")
show("64 KiB chunked copy (Wine)", 1)
show("NSIS installer /S (Wine)", 2)
show("cp -r (native)", 3)
show("chunked copy + stored .stp copy", (1, 4))
PY
