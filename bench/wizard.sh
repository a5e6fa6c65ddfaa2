#!/usr/bin/env bash
# The wizard against the engine alone: bench/wizard.sh [ROUNDS] (default 5)
#
# Two data products, 100 files of 2 MiB and 5,000 files of 4 KiB, are
# installed and erased in interleaved rounds under one Wine prefix, once by
# `stptool install` / `stptool remove` and once through KySetup's wizard,
# driven as a user drives it (Add, the open dialog, the licence, Next; then
# Erase). The wizard is timed from the Enter that starts the run to its
# record being written (or erased); stptool as a whole process, its start
# included. Prints the median, minimum and maximum of the per-round
# ratios wizard / stptool. Needs a display; without one it runs on Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}
cd "$root"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$0" "$@"
fi
bash scripts/build.sh >/dev/null

work="$root/build/bench-wizard"
mkdir -p "$work/bin"
export KYSETUP_WINEPREFIX="$work/prefix"
source scripts/wine-env.sh
ky_wine_prefix
ky_wine_server
winpath() { echo "Z:${1//\//\\}"; }

cp build/tools/stptool/stptool.exe build/src/setup/forms/KySetup.exe build/tests/kysetup/kysetup_driver.exe "$work/bin/"
stp() { (cd "$work" && wine bin/stptool.exe "$@"); }
if ! wine reg query 'HKCU\SoftWare\Tessaro\KySetup' >/dev/null 2>&1; then
  stp setup --folder 'C:\bench-wizard' --group BenchWizard >/dev/null 2>&1
fi

make_payload() {  # name count size-KiB
  local p="$work/payload-$1"
  if [ ! -f "$work/$1.stp" ]; then
    rm -rf "$p"
    mkdir -p "$p"
    head -c $(($2 * $3 * 1024)) /dev/urandom >"$work/$1.raw"
    (cd "$p" && split -a 4 -d -b $(($3 * 1024)) "$work/$1.raw" f)
    rm "$work/$1.raw"
    {
      printf '[Product]\nName=Wiz%s\nKind=4\nVersion=1.0.0\n[Files]\n' "$1"
      (cd "$p" && ls) | while read -r f; do printf 'd%s\\%s.bin=payload-%s/%s\n' "${f:1:2}" "$f" "$1" "$f"; done
    } >"$work/$1.ini"
    stp pack "$1.ini" "$1.stp" >/dev/null
  fi
  echo "payload $1: $2 files of $3 KiB"
}
make_payload big 100 2048
make_payload small 5000 4

# Wall milliseconds of one stptool command.
stp_timed() {
  local t0; t0=$(date +%s%3N)
  (cd "$work" && wine bin/stptool.exe "$@" >/dev/null 2>&1)
  echo $(($(date +%s%3N) - t0))
}
results="$work/results.txt"
: >"$results"
for r in $(seq 0 "$rounds"); do  # round 0 warms up and is not counted
  for payload in big small; do
    order="stp wizard"
    [ $((r % 2)) = 1 ] && order="wizard stp"  # a different order every other round
    for c in $order; do
      if [ $c = stp ]; then
        si=$(stp_timed install "$payload.stp")
        se=$(stp_timed remove "Wiz$payload")
      else
        out=$(wine "$work/bin/kysetup_driver.exe" timed "$(winpath "$work/bin/KySetup.exe")" \
          "$(winpath "$work/$payload.stp")" "Wiz$payload" 2>/dev/null | tr -d '\r')
        wi=$(awk '/^install ms/ { print $3 }' <<<"$out")
        we=$(awk '/^erase ms/ { print $3 }' <<<"$out")
      fi
    done
    line="$payload stp_install=$si stp_erase=$se wizard_install=$wi wizard_erase=$we"
    echo "round $r: $line"
    [ "$r" -gt 0 ] && echo "$line" >>"$results"
  done
done

python3 - "$results" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    parts = line.split()
    rows.setdefault(parts[0], []).append({k: float(v) for k, v in (p.split("=") for p in parts[1:])})
for payload, label in (("big", "100 x 2 MiB"), ("small", "5,000 x 4 KiB")):
    for what in ("install", "erase"):
        r = [row[f"wizard_{what}"] / row[f"stp_{what}"] for row in rows.get(payload, [])]
        if r:
            print(f"{label:<14} {what:<8} wizard / stptool  median {statistics.median(r):5.2f}"
                  f"  min {min(r):5.2f}  max {max(r):5.2f}  ({len(r)} rounds)")
PY
