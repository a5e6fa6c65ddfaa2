#!/usr/bin/env bash
# KySetup.exe driven as a user drives it, with X input (xdotool) on a
# virtual display of its own, once per language on a fresh Wine prefix: the
# first run (the language chosen on the first page, the licence, group,
# folder with its search dialog, the installation), a later start (about
# box, Add of a data product through the open dialog, its installation and
# its erasure), and a last start that finds the window where it was left.
# A picture of every page passed is saved as OUT/LANG-NN-what.png. Every
# picture is checked: its page area must be nearest to the form's own
# painting of the expected page (KySetup.exe --shots, in the same language)
# and close to it, so a wrong page, a page in the wrong language or a
# broken look fails the run.
#
# Usage: kysetup_pictures.sh KYSETUP.EXE STPTOOL.EXE OUT [LANG...]
#   LANG: en es fr it de (all five by default). Exit status 0 when every
#   check held.
set -uo pipefail
if [ "${1:-}" != --inside ]; then
  # A display of its own even when one is set: no window manager and no
  # user's mouse in the way, the same geometry everywhere.
  exec xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" --inside "$@"
fi
shift
kysetup=$(realpath "$1")
stptool=$(realpath "$2")
out=$3
shift 3
langs=("$@")
[ ${#langs[@]} -gt 0 ] || langs=(en es fr it de)
root=$(cd "$(dirname "$0")/../.." && pwd)

# Only what an earlier run of this script left there goes.
rm -rf "$out/work" "$out"/failure-*.png "$out"/??-[0-9][0-9]-*.png
mkdir -p "$out/work/bin" "$out/work/ref" "$out/work/tmp"
work=$(cd "$out/work" && pwd)
tmp=$work/tmp
E2E_SCREENS=$out
source "$root/tests/support/e2e.sh"
export KYSETUP_WINEPREFIX="$work/base"
source "$root/scripts/wine-env.sh"
cp "$kysetup" "$work/bin/KySetup.exe"
cp "$stptool" "$work/bin/stptool.exe"

declare -A langIndex=([en]=0 [es]=1 [fr]=2 [it]=3 [de]=4)
for lang in "${langs[@]}"; do
  [ -n "${langIndex[$lang]:-}" ] || { echo "unknown language '$lang' (en es fr it de)"; exit 2; }
done

# ---- The wizard's layout (client coordinates of the form) ----
PAGE_AREA=354x177+180+124    # the page control
IMAGE_AREA=157x101+12+200    # the product picture
BT_ADD=(235 322)
BT_PRIOR=(359 322)
BT_NEXT=(479 322)
BT_SEARCH=(486 204)          # the folder page's Search button
ED_ACCEPT=(202 278)          # the licence's acceptance box
PRODUCT_ROW2=(260 186)       # the second row of the products list
# The language choice: English, Spanish, French in the first column,
# Italian and German in the second.
LANG_X=(211 211 211 362 362)
LANG_Y=(174 217 260 174 217)

# ---- Pictures and their checks ----

# How many pixels of two pictures of one size differ by more than a tenth
# of the range (small shifts of antialiased text do not count).
difference() {
  # (compare's status tells whether they differ: not a failure here)
  { compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 || true; } | awk '{ printf "%d\n", $1 }'
}

# The window of the wizard (its X window) and its client origin on the screen.
wizard_window() { xdotool search --onlyvisible --name '^Install Manager' 2>/dev/null | head -n1; }
# Sets WX WY WW WH (the window) and CX CY (its client area's origin).
window_geometry() {
  local id=$1 WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$id")"
  WX=$X WY=$Y WW=$WIDTH WH=$HEIGHT
  local border=$(((WW - CLIENT_W) / 2))
  CX=$((WX + border)) CY=$((WY + WH - CLIENT_H - border))
}

# Takes the screen; crops the wizard's window into $tmp/window.png, its
# client area into $tmp/client.png and its page area into $tmp/page.png.
grab_wizard() {
  local id
  id=$(wizard_window)
  [ -n "$id" ] || return 1
  window_geometry "$id"
  import -window root "$tmp/screen.png" 2>/dev/null || return 1
  convert "$tmp/screen.png" \
    \( +clone -crop "${WW}x${WH}+$WX+$WY" +repage -write "$tmp/window.png" +delete \) \
    -crop "${CLIENT_W}x${CLIENT_H}+$CX+$CY" +repage -write "$tmp/client.png" \
    -crop "$PAGE_AREA" +repage "$tmp/page.png" 2>/dev/null
}

# Compares $tmp/page.png with the language's references: sets NEAREST,
# NEAREST_DIFF, SECOND_DIFF (the next nearest page) and EXPECTED_DIFF (of
# page $1).
classify() {
  local want=$1 p d
  NEAREST=-1 NEAREST_DIFF=999999 SECOND_DIFF=999999 EXPECTED_DIFF=999999
  for p in $PAGES; do
    d=$(difference "$tmp/page.png" "$work/ref/$lang-page$p-area.png")
    [ -n "$d" ] || continue
    [ "$p" = "$want" ] && EXPECTED_DIFF=$d
    if [ "$d" -lt "$NEAREST_DIFF" ]; then
      SECOND_DIFF=$NEAREST_DIFF
      NEAREST=$p NEAREST_DIFF=$d
    elif [ "$d" -lt "$SECOND_DIFF" ]; then
      SECOND_DIFF=$d
    fi
  done
}

# Waits until the wizard shows page $1, then saves the window as the next
# picture named $2. The page shows when its reference is the nearest, by a
# clear margin (at most 2/3 of the next nearest), and differs in at most
# PAGE_LIMIT pixels (a list or a focus the reference does not have), the
# same in two grabs one after the other (painting has ended). A page that
# does not come within the deadline fails, its picture saved.
shot=0
PAGE_LIMIT=8000   # of 62658; pages differ from each other by 2000 to 50000
DIALOG_LIMIT=1500
expect_page() {
  local page=$1 what=$2 deadline=$((SECONDS + ${3:-30})) before=-1
  shot=$((shot + 1))
  local name
  name=$(printf '%s-%02d-%s.png' "$lang" "$shot" "$what")
  while :; do
    if grab_wizard; then
      classify "$page"
      if [ "$NEAREST" = "$page" ] && [ "$EXPECTED_DIFF" -le "$PAGE_LIMIT" ] &&
        [ $((3 * EXPECTED_DIFF)) -le $((2 * SECOND_DIFF)) ] && [ "$EXPECTED_DIFF" = "$before" ]; then
        cp "$tmp/window.png" "$out/$name"
        echo "  $name: page $page ($EXPECTED_DIFF pixels differ, the next page $SECOND_DIFF)"
        return 0
      fi
      before=$EXPECTED_DIFF
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      [ -f "$tmp/window.png" ] && cp "$tmp/window.png" "$out/$name"
      fail "$name: expected page $page; the nearest is page ${NEAREST:-none} (${NEAREST_DIFF:-?} pixels differ), page $page differs in ${EXPECTED_DIFF:-?}"
      return 1
    fi
  done
}

# A visible window of the program other than the wizard, whose title
# matches $1 (an extended regular expression).
dialog_window() {
  local id name
  for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
    [[ "$name" == "Install Manager"* ]] && continue
    if grep -Eq -- "$1" <<<"$name"; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# A dialog of the program (a window other than the wizard, titled $1):
# waits for it, saves it as the next picture named $2 and checks it
# against the reference picture $3 (the form's own painting of it).
expect_dialog() {
  local title=$1 what=$2 reference=$3 deadline=$((SECONDS + 30)) id name d
  shot=$((shot + 1))
  name=$(printf '%s-%02d-%s.png' "$lang" "$shot" "$what")
  while :; do
    id=$(dialog_window "$title")
    if [ -n "$id" ]; then
      local WINDOW X Y WIDTH HEIGHT SCREEN
      eval "$(xdotool getwindowgeometry --shell "$id")"
      local rw rh
      read -r rw rh < <(identify -format '%w %h' "$reference")
      local bx=$(((WIDTH - rw) / 2))
      local ox=$((X + bx)) oy=$((Y + HEIGHT - rh - bx))
      import -window root "$tmp/screen.png" 2>/dev/null &&
        convert "$tmp/screen.png" \( +clone -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -write "$tmp/dialog.png" +delete \) \
          -crop "${rw}x${rh}+$ox+$oy" +repage "$tmp/dialog-client.png" 2>/dev/null &&
        d=$(difference "$tmp/dialog-client.png" "$reference") &&
        if [ -n "$d" ] && [ "$d" -le "$DIALOG_LIMIT" ]; then
          cp "$tmp/dialog.png" "$out/$name"
          echo "  $name: as the form paints it ($d pixels differ)"
          return 0
        fi
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      [ -f "$tmp/dialog.png" ] && cp "$tmp/dialog.png" "$out/$name"
      fail "$name: the window '$title' did not show as the form paints it (${d:-all} pixels differ)"
      return 1
    fi
  done
}

# ---- Input ----

# A left click at a client point of the wizard.
click() {
  local id
  id=$(wizard_window)
  window_geometry "$id"
  xdotool mousemove "$((CX + $1))" "$((CY + $2))" click 1
}
key() { xdotool key "$@"; }

# Waits until a program ends (its wine process), failing after the deadline.
expect_end() {
  local pid=$1 what=$2 deadline=$((SECONDS + 30))
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      fail "$what: the wizard did not end"
      kill "$pid" 2>/dev/null
      return 1
    fi
    sleep 0.2
  done
  wait "$pid"
  local rc=$?
  [ "$rc" = 0 ] || fail "$what: the wizard ended with $rc"
}

# Starts the wizard ($1, or the one to install) as a program of its own.
start_wizard() {
  wine "${1:-$work/bin/KySetup.exe}" >/dev/null 2>&1 &
  WIZARD=$!
}

# ---- References: the form's own painting of every page, every language ----
echo "== the prefix and the reference pictures"
ky_wine_prefix
ky_wine_server
wine "$work/bin/KySetup.exe" --shots "$(wine winepath -w "$work/ref" 2>/dev/null | tr -d '\r')" >/dev/null 2>&1 ||
  { fail "KySetup.exe --shots"; exit 1; }
PAGES="0 1 3 4 5 6 7 8 8e 9"  # 8e: the erase notice, without the plan of page 8
ref_size=$(identify -format '%w %h' "$work/ref/en-page0.bmp" 2>/dev/null)
[ -n "$ref_size" ] || { fail "no reference pictures"; exit 1; }
read -r CLIENT_W CLIENT_H <<<"$ref_size"
for lang in "${langs[@]}"; do
  for p in $PAGES; do
    convert "$work/ref/$lang-page$p.bmp" -crop "$PAGE_AREA" +repage "$work/ref/$lang-page$p-area.png"
  done
  # The references must tell the pages apart, or the checks could not.
  for p in $PAGES; do
    for q in $PAGES; do
      [[ "$p" < "$q" ]] || continue
      d=$(difference "$work/ref/$lang-page$p-area.png" "$work/ref/$lang-page$q-area.png")
      [ "${d:-0}" -ge 1000 ] || fail "$lang: the references of pages $p and $q differ in ${d:-no} pixels only"
    done
  done
done
wineserver -k 2>/dev/null

# A data product with a picture of its own.
mkdir -p "$work/src"
convert -size 157x101 xc:'#E8B020' -fill '#7020A0' -draw 'rectangle 20,15 136,85' -fill white \
  -draw 'circle 78,50 78,30' BMP3:"$work/src/side.bmp"
printf 'sample data\r\n' >"$work/src/Sample.txt"
printf '[Product]\nName=KyData\nKind=4\nVersion=1.0.0\nPicture=side.bmp\n[Files]\nData\\Sample.txt=Sample.txt\n' \
  >"$work/src/data.ini"

for lang in "${langs[@]}"; do
  L=${langIndex[$lang]}
  shot=0
  echo "== $lang: a fresh prefix"
  export WINEPREFIX="$work/prefix-$lang"
  rm -rf "$WINEPREFIX"
  cp -a "$work/base" "$WINEPREFIX"
  wineserver -p 2>/dev/null || true
  wine cmd /c exit >/dev/null 2>&1
  (cd "$work" && wine bin/stptool.exe pack src/data.ini src/KyData.stp >/dev/null 2>&1) || fail "$lang: packing the product"
  stp=$(wine winepath -w "$work/src/KyData.stp" 2>/dev/null | tr -d '\r')

  echo "== $lang: the first run"
  start_wizard
  expect_page 0 language || { kill "$WIZARD"; wineserver -k; continue; }
  if [ "$L" != 0 ]; then
    click "${LANG_X[$L]}" "${LANG_Y[$L]}"
    expect_page 0 language-chosen
  fi
  key Return
  expect_page 3 licence
  click "${ED_ACCEPT[@]}"
  expect_page 3 licence-accepted
  click "${BT_NEXT[@]}"
  expect_page 4 group
  # An empty group is refused with an error in the message dialog.
  key End
  xdotool key --repeat 8 BackSpace
  key Return
  expect_dialog . group-missing "$work/ref/$lang-message.bmp"
  key Return
  expect_page 4 group-empty
  xdotool type Tessaro
  key Return
  expect_page 5 folder
  click "${BT_SEARCH[@]}"
  expect_dialog . search "$work/ref/$lang-search.bmp"
  key Escape
  expect_page 5 folder-kept
  key Return
  expect_page 7 installed 60
  key Return
  expect_page 9 products
  key Return
  expect_end "$WIZARD" "$lang: Close after the first run"
  expect_val 'HKCU\SoftWare\Tessaro' Language "$L"
  # Later starts run the installed copy, as its shortcut does.
  installed=$(find "$WINEPREFIX/drive_c" -maxdepth 5 -ipath '*/Tessaro/KySetup/KySetup.exe' | head -n1)
  [ -n "$installed" ] || { fail "$lang: the installed copy is missing"; wineserver -k; continue; }

  echo "== $lang: a later start: moved, about box, Add, install, erase"
  start_wizard "$installed"
  expect_page 9 products-later
  # Dragged by its caption to the top left of the screen.
  window_geometry "$(wizard_window)"
  fromX=$WX fromY=$WY
  xdotool mousemove $((WX + 120)) $((WY + 8)) mousedown 1 mousemove $((WX + 100)) $((WY + 6)) \
    mousemove 160 30 mouseup 1
  deadline=$((SECONDS + 20))
  until window_geometry "$(wizard_window)"; [ "$WX" != "$fromX" ] || [ "$WY" != "$fromY" ]; do
    [ "$SECONDS" -lt "$deadline" ] || { fail "$lang: the window did not move"; break; }
    sleep 0.2
  done
  movedX=$WX movedY=$WY
  key F1
  expect_dialog '^About$' about "$work/ref/$lang-about.bmp"
  key Escape
  expect_page 9 products-after-about
  click "${BT_ADD[@]}"
  # The open dialog: the file's name typed, then Enter.
  deadline=$((SECONDS + 30))
  until dialog_window . >/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || { fail "$lang: Add opened no dialog"; break; }
    sleep 0.2
  done
  xdotool type --delay 20 "$stp"
  key Return
  expect_page 8 product-notice
  # Its picture, drawn transparent (its corner colour lets the page show),
  # a pixel in from the control's edge.
  convert "$tmp/client.png" -crop "$IMAGE_AREA" +repage -crop 117x71+21+16 +repage "$tmp/image.png"
  convert "$work/src/side.bmp" -crop 117x71+20+15 +repage "$tmp/side.png"
  d=$(difference "$tmp/image.png" "$tmp/side.png")
  [ "${d:-99999}" -le 50 ] || fail "$lang: the product's picture is not shown (${d:-all} pixels differ)"
  key Return
  expect_page 3 product-licence
  click "${ED_ACCEPT[@]}"
  expect_page 3 product-licence-accepted
  key Return
  expect_page 7 product-installed 60
  key Return
  expect_page 9 products-with-product
  click "${PRODUCT_ROW2[@]}"
  expect_page 9 product-chosen
  click "${BT_PRIOR[@]}"
  expect_page 8e erase-notice
  key Return
  expect_page 7 product-erased 60
  key Return
  expect_page 9 products-without-product
  click "${BT_NEXT[@]}"
  expect_end "$WIZARD" "$lang: Close on the products page"
  vars="$(dirname "$installed")/Setup.pva"
  check "$lang: the wizard's variables file beside the installed program" test -f "$vars"

  echo "== $lang: a last start, where the window was left"
  start_wizard "$installed"
  expect_page 9 products-where-left
  window_geometry "$(wizard_window)"
  [ "$WX,$WY" = "$movedX,$movedY" ] || fail "$lang: the window starts at $WX,$WY, not where it was left ($movedX,$movedY)"
  key Return
  expect_end "$WIZARD" "$lang: Close on the last start"
  wineserver -k 2>/dev/null
done

n=$(find "$out" -maxdepth 1 -name '*.png' ! -name 'failure-*' | wc -l)
echo "$n pictures in $out"
[ "$n" -gt 0 ] || fail "no pictures"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
