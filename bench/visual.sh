#!/usr/bin/env bash
# Window benchmark, one command: bench/visual.sh [ROUNDS]
#
# In interleaved rounds under one Wine prefix and one X server:
#   form30  the library's form of 30 controls (10 windows, 20 windowless)
#   plain   a plain Win32 program with one window, and with the form's ten
#           child windows painted directly ("children")
# Prints, with median, minimum and maximum over the rounds:
#   first paint   process start to the end of the first paint, form30 / plain
#   repaint       a full repaint of everything, form30 / plain children, and
#                 form30's own median in milliseconds
#   wizard        KySetup's wizard (the installer's own forms, first run):
#                 process start to its first complete paint / plain, its
#                 median in milliseconds, and a language switch until every
#                 caption is repainted, in milliseconds
#   gallery       a full repaint of the control gallery, every page in turn,
#                 / as many plain BUTTON and EDIT windows (bench_gallery)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-7}
cd "$root"
bash scripts/build.sh >/dev/null
work="$root/build/bench"
mkdir -p "$work"
export KYSETUP_WINEPREFIX="$work/prefix"
source scripts/wine-env.sh
ky_wine_prefix
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$0" "$@"
fi
ky_wine_server
bin="$root/build/bench/visual"
# The first window of a server starts Wine's desktop: not part of any round.
wine "$bin/bench_plainwindow.exe" >/dev/null

num() { sed -n "s/^$1 \([0-9.]*\).*/\1/p" | tr -d '\r'; }
first=() repaint=() ms=() wizard=() wizard_ms=() switch_ms=() gallery=()
for ((r = 1; r <= rounds; r++)); do
  out_plain=$(wine "$bin/bench_plainwindow.exe" children)
  out_form=$(wine "$bin/bench_form30.exe")
  fp=$(num "first paint" <<<"$out_plain"); ff=$(num "first paint" <<<"$out_form")
  rp=$(num "full repaint median" <<<"$out_plain"); rf=$(num "full repaint median" <<<"$out_form")
  first+=("$(awk -v a="$ff" -v b="$fp" 'BEGIN { printf "%.3f", a / b }')")
  repaint+=("$(awk -v a="$rf" -v b="$rp" 'BEGIN { printf "%.3f", a / b }')")
  ms+=("$rf")
  out_wizard=$(wine "$bin/bench_kysetup.exe")
  fw=$(num "first paint" <<<"$out_wizard"); sw=$(num "language switch median" <<<"$out_wizard")
  wizard+=("$(awk -v a="$fw" -v b="$fp" 'BEGIN { printf "%.3f", a / b }')")
  wizard_ms+=("$(awk -v a="$fw" 'BEGIN { printf "%.1f", a / 1000 }')")
  switch_ms+=("$sw")
  gr=$(wine "$bin/bench_gallery.exe" 20 | tr -d '\r' | awk -F': ' '/^repaint, gallery/ { print $2 }')
  gallery+=("$gr")
  echo "round $r: first paint ${ff} us / ${fp} us, repaint ${rf} ms / ${rp} ms, wizard ${fw} us, switch ${sw} ms, gallery ${gr}"
done

stats() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "median %.2f (min %.2f, max %.2f)", v[int((NR + 1) / 2)], v[1], v[NR] }'; }
echo "first paint, form of 30 controls / plain window: $(stats "${first[@]}")"
echo "full repaint, form of 30 controls / plain window with the same 10 child windows: $(stats "${repaint[@]}")"
echo "full repaint of the form of 30 controls, ms: $(stats "${ms[@]}")"
echo "first complete paint, KySetup's wizard / plain window: $(stats "${wizard[@]}")"
echo "first complete paint of KySetup's wizard, ms: $(stats "${wizard_ms[@]}")"
echo "language switch of KySetup's wizard, ms: $(stats "${switch_ms[@]}")"
echo "full repaint of the gallery's pages / plain buttons and edits: $(stats "${gallery[@]}")"
