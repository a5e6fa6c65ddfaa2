#!/usr/bin/env bash
# Every speed figure users and developers feel, in one run, each with its aim:
#   bench/speed.sh [ROUNDS] [--full]      (default 5 rounds; Xvfb without a display)
#
#   wizard        installing and erasing through the driven wizard / stptool
#                 (bench/wizard.sh, same rounds)
#   start         process start until the window is mapped on the X display,
#                 seen from outside (xev on the root window): KySetup on a
#                 later day (its installer installed) / a plain Win32 window
#   memory        peak resident memory of KySetup over Add, an installation
#                 and an erasure (driven), and of KySetup idle, / a plain
#                 window program; and / the same plain program showing the
#                 system's open dialog that Add shows
#   language      a language switch of the wizard until every caption is
#                 repainted (bench_kysetup), in milliseconds
#   rebuild       touch src/skin/Panel.cpp and rebuild build/, compiler cache
#                 off, in seconds
#   --full        also a fresh build of both architectures' trees in a
#                 scratch folder (cache off): wall time and the sum of steps
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=5 full=0
for a in "$@"; do
  case $a in
    --full) full=1 ;;
    *) rounds=$a ;;
  esac
done
cd "$root"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$0" "$@"
fi
bash scripts/build.sh >/dev/null

work="$root/build/bench-speed"
mkdir -p "$work/bin"
export KYSETUP_WINEPREFIX="$work/prefix"
source scripts/wine-env.sh
ky_wine_prefix
ky_wine_server
winpath() { echo "Z:${1//\//\\}"; }
vis="$root/build/bench/visual"
cp build/tools/stptool/stptool.exe build/src/setup/forms/KySetup.exe build/tests/kysetup/kysetup_driver.exe "$work/bin/"
stp() { (cd "$work" && wine bin/stptool.exe "$@"); }
if ! wine reg query 'HKCU\SoftWare\Tessaro\KySetup' >/dev/null 2>&1; then
  stp setup --folder 'C:\bench-speed' --group BenchSpeed >/dev/null 2>&1
fi
if [ ! -f "$work/mem.stp" ]; then
  mkdir -p "$work/payload"
  for i in $(seq -w 1 300); do head -c 4096 /dev/urandom >"$work/payload/f$i.bin"; done
  { printf '[Product]\nName=SpeedMem\nKind=4\nVersion=1.0.0\n[Files]\n'
    (cd "$work/payload" && ls) | while read -r f; do printf 'data\\%s=payload/%s\n' "$f" "$f"; done
  } >"$work/mem.ini"
  stp pack mem.ini mem.stp >/dev/null
fi
# The first window of a server starts Wine's desktop: not part of any round.
wine "$vis/bench_plainwindow.exe" >/dev/null

results="$work/results.txt"
: >"$results"
note() { echo "$1 $2" >>"$results"; }

# Milliseconds from launch to the first map of a window at least 200 px
# wide; the program is then ended.
start_ms() {
  local fifo t0 line next id width pid ms=""
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  stdbuf -oL xev -root -event substructure >"$fifo" 2>/dev/null &
  local xev=$!
  exec 3<"$fifo"
  sleep 0.3  # xev selects its events before the program starts
  t0=${EPOCHREALTIME/./}
  "$KY_WINE" "$@" >/dev/null 2>&1 &
  pid=$!
  while IFS= read -t 30 -r line <&3; do
    [[ $line == MapNotify* ]] || continue
    IFS= read -r next <&3
    id=$(sed -n 's/.*window \(0x[0-9a-f]*\).*/\1/p' <<<"$next")
    width=$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ { print $2 }')
    if [ "${width:-0}" -ge 200 ]; then ms=$(((${EPOCHREALTIME/./} - t0) / 1000)); break; fi
  done
  exec 3<&-
  kill "$xev" 2>/dev/null || true
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -f "$fifo"
  echo "${ms:-nan}"
}

# Peak resident kB (VmHWM) of the process whose command line starts with
# PATTERN while CMD runs.
peak_kb() {
  local pattern=$1 max=0 h p
  shift
  "$@" >/dev/null 2>&1 &
  local cmd=$!
  while kill -0 "$cmd" 2>/dev/null; do
    for p in $(pgrep -f "$pattern"); do
      h=$(awk '/^VmHWM/ { print $2 }' "/proc/$p/status" 2>/dev/null || true)
      [ -n "$h" ] && [ "$h" -gt "$max" ] && max=$h
    done
    sleep 0.1
  done
  wait "$cmd" || true
  echo "$max"
}

# A program that stays: started, left PERIOD seconds after its window
# with WINDOW_NAME shows, its peak read, then ended.
idle_peak_kb() {  # pattern window-name seconds program args...
  local pattern=$1 name=$2 secs=$3 p h=0
  shift 3
  "$KY_WINE" "$@" >/dev/null 2>&1 &
  local pid=$!
  xdotool search --sync --name "$name" >/dev/null 2>&1 || true
  sleep "$secs"
  for p in $(pgrep -f "$pattern"); do h=$(awk '/^VmHWM/ { print $2 }' "/proc/$p/status" 2>/dev/null || echo 0); done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$h"
}

rebuild_s() {
  touch src/skin/Panel.cpp
  local t0=${EPOCHREALTIME/./}
  CCACHE_DISABLE=1 cmake --build build >/dev/null
  echo "$(((${EPOCHREALTIME/./} - t0) / 1000))"
}

kysetup="$work/bin/KySetup.exe"
for r in $(seq 1 "$rounds"); do
  if [ $((r % 2)) = 1 ]; then  # a different order every other round
    plain=$(start_ms "$vis/bench_plainwindow.exe" stay)
    wizard=$(start_ms "$kysetup")
  else
    wizard=$(start_ms "$kysetup")
    plain=$(start_ms "$vis/bench_plainwindow.exe" stay)
  fi
  note start_plain_ms "$plain"; note start_kysetup_ms "$wizard"
  note start_ratio "$(awk -v a="$wizard" -v b="$plain" 'BEGIN { printf "%.3f", a / b }')"

  m_plain=$(idle_peak_kb '^[^ ]*bench_plainwindow\.exe' '^Plain$' 2 "$vis/bench_plainwindow.exe" stay)
  m_dialog=$(idle_peak_kb '^[^ ]*bench_plainwindow\.exe' '^Open$' 3 "$vis/bench_plainwindow.exe" dialog)
  m_idle=$(idle_peak_kb '^[^ ]*bench-speed.bin.KySetup\.exe' '^Install' 2 "$kysetup")
  m_run=$(peak_kb '^[^ ]*bench-speed.bin.KySetup\.exe' "$KY_WINE" "$work/bin/kysetup_driver.exe" timed \
    "$(winpath "$kysetup")" "$(winpath "$work/mem.stp")" SpeedMem)
  note mem_plain_mb "$(awk -v a="$m_plain" 'BEGIN { printf "%.1f", a / 1024 }')"
  note mem_kysetup_mb "$(awk -v a="$m_run" 'BEGIN { printf "%.1f", a / 1024 }')"
  note mem_run_ratio "$(awk -v a="$m_run" -v b="$m_plain" 'BEGIN { printf "%.3f", a / b }')"
  note mem_idle_ratio "$(awk -v a="$m_idle" -v b="$m_plain" 'BEGIN { printf "%.3f", a / b }')"
  note mem_run_dialog_ratio "$(awk -v a="$m_run" -v b="$m_dialog" 'BEGIN { printf "%.3f", a / b }')"

  sw=$(wine "$vis/bench_kysetup.exe" 2>/dev/null | tr -d '\r' | sed -n 's/^language switch median \([0-9.]*\).*/\1/p' || true)
  note language_ms "$sw"
  if [ "$r" -le 3 ]; then note rebuild_s "$(awk -v a="$(rebuild_s)" 'BEGIN { printf "%.2f", a / 1000 }')"; fi
  echo "round $r: start ${wizard} ms / ${plain} ms; memory ${m_run} kB (idle ${m_idle}) / ${m_plain} kB (with the dialog ${m_dialog}); switch ${sw} ms"
done

if [ "$full" = 1 ]; then
  scratch=$(mktemp -d)
  git clone -q "$root" "$scratch/src"
  mkdir -p "$scratch/src/deps"
  cp -a "$root/deps/libjpeg-"* "$scratch/src/deps/"
  t0=${EPOCHREALTIME/./}
  (cd "$scratch/src" && CCACHE_DISABLE=1 bash scripts/build.sh >/dev/null)
  note full_build_min "$(awk -v a="$(((${EPOCHREALTIME/./} - t0) / 1000))" 'BEGIN { printf "%.2f", a / 60000 }')"
  sum=0
  for d in build build-i686; do
    s=$(awk 'NR > 1 { t += $2 - $1 } END { print t + 0 }' "$scratch/src/$d/.ninja_log")
    sum=$((sum + s))
  done
  note full_steps_min "$(awk -v a="$sum" 'BEGIN { printf "%.2f", a / 60000 }')"
  rm -rf "$scratch"
fi

echo
echo "== the wizard against stptool (bench/wizard.sh $rounds)"
bash bench/wizard.sh "$rounds" | grep 'wizard / stptool'

python3 - "$results" <<'PY'
import statistics, sys
values = {}
for line in open(sys.argv[1]):
    key, value = line.split()
    if value != "nan":
        values.setdefault(key, []).append(float(value))
rows = [
    ("start until the window is mapped, KySetup / plain window", "start_ratio", "<= 1.2"),
    ("  KySetup, ms", "start_kysetup_ms", ""),
    ("  plain window, ms", "start_plain_ms", ""),
    ("peak memory over Add, install, erase / plain window", "mem_run_ratio", "<= 1.5"),
    ("  the same / plain window showing the open dialog", "mem_run_dialog_ratio", ""),
    ("  KySetup, MB", "mem_kysetup_mb", ""),
    ("  plain window, MB", "mem_plain_mb", ""),
    ("memory of KySetup idle / plain window", "mem_idle_ratio", "<= 1.5"),
    ("language switch of the wizard, ms", "language_ms", ""),
    ("rebuild after touching src/skin/Panel.cpp, s", "rebuild_s", "<= 5"),
    ("fresh build of both trees (wall), min", "full_build_min", ""),
    ("  the same, sum of steps, min", "full_steps_min", ""),
]
print()
print(f"{'figure':<58} {'median':>8} {'min':>8} {'max':>8}  aim")
for label, key, aim in rows:
    v = sorted(values.get(key, []))
    if not v:
        continue
    print(f"{label:<58} {statistics.median(v):8.2f} {v[0]:8.2f} {v[-1]:8.2f}  {aim}")
PY
