#!/usr/bin/env bash
# The real program on a real X server, driven from outside as a user would: files dragged from
# another process by XDND, typing and clicks with the pointer, the title and the window's
# geometry read back through the server, and screen grabs compared with the pictures. Under a
# window manager a panel takes the bottom of the screen, as a taskbar would. Screenshots of
# each stage go to SHOTS for a person to look at.
#
#   desktop_test.sh none|openbox PROGRAM DRAG_HELPER SAMPLE.bmp SHOTS BATCH_PROGRAM
# Exits 77 (skipped) when the X server or the window manager is not installed; under CI=true
# that is a failure, so that a machine without them does not pass the test unseen.
set -uo pipefail
wm=$1 program=$2 drag=$3 sample=$4 shots=$5 batch=$6
here=$(cd "$(dirname "$0")" && pwd)
pictures="$here/check_pictures.py"
cannot() {
  echo "$1"
  [ -z "${CI:-}" ] || { echo "failed: CI runs the desktop test"; exit 1; }
  exit 77
}
missing() { cannot "$1 is not installed: apt-get install $2 (./test installs it)"; }
for need in Xvfb:xvfb xdotool:xdotool xwininfo:x11-utils xprop:x11-utils xmessage:x11-utils \
  import:imagemagick python3:python3 "$wm":"$wm"; do
  [ "${need%%:*}" = none ] || command -v "${need%%:*}" >/dev/null || missing "${need%%:*}" "${need#*:}"
done

work=$(mktemp -d)
mkdir -p "$shots"
rm -f "$shots"/*.png
pids=()
# The X server goes last, and is waited for: a server that is still shutting down removes its
# socket file when it ends, which would take the socket of the next run's server on the same
# display number with it.
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null; wait "${pids[$i]}" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL ($wm): $*"
  shot "failure"
  for log in xvfb program wm panel drag; do
    [ -s "$work/$log.log" ] && { echo "--- $log output:"; cat "$work/$log.log"; }
  done
  exit 1
}
shot() { import -display "$DISPLAY" -window root "$shots/$1.png" 2>/dev/null && echo "screenshot: $shots/$1.png"; }
grab() { import -display "$DISPLAY" -window root -depth 8 "ppm:$work/grab.ppm" 2>/dev/null; }
wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
  local limit=$1; shift
  for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}

# A display of our own: the server picks a free number itself and says which once it takes
# connections, so two runs at once never share a display. Without -noreset the server resets
# whenever its last client leaves, and a client connecting just then is turned away: under load
# the program often connects only after the first xdotool has come and gone.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 60 display <"$work/displayfd" || { cat "$work/xvfb.log"; cannot "Xvfb did not start"; }
export DISPLAY=":$display"
unset QT_QPA_PLATFORM
# The points the roll window remembers go into settings of the test's own.
export XDG_CONFIG_HOME="$work/config"

screen_w=1280 screen_h=1024 work_h=1024
if [ "$wm" != none ]; then
  "$wm" >"$work/wm.log" 2>&1 &
  pids+=($!)
  wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  wait_for 30 wm_running || fail "the window manager did not start"
  # A panel along the bottom, 30 pixels high, that windows must keep clear of.
  xmessage -geometry 1280x30+0+994 -name panel "a panel" >"$work/panel.log" 2>&1 &
  pids+=($!)
  wait_for 30 sh -c "xdotool search --onlyvisible --name '^panel$' >/dev/null" ||
    fail "no panel: $(xwininfo -root -tree | grep -i -E 'panel|xmessage')"
  panel=$(xdotool search --onlyvisible --name '^panel$' | head -n 1)
  xprop -id "$panel" -f _NET_WM_STRUT_PARTIAL 32c -set _NET_WM_STRUT_PARTIAL "0,0,0,30,0,0,0,0,0,0,0,1279"
  work_h=994
  workarea_set() { xprop -root _NET_WORKAREA | grep -q "= 0, 0, 1280, $work_h"; }
  wait_for 30 workarea_set || fail "the window manager did not keep the panel clear"
fi

# Geometry of the program's window, read through the server: cx, cy, cw, ch (the client
# area on the screen) and the frame round it (fl, fr, ft, fb).
read_geometry() {
  local info; info=$(xwininfo -id "$win")
  cx=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  cy=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  cw=$(sed -n 's/^ *Width: *//p' <<<"$info")
  ch=$(sed -n 's/^ *Height: *//p' <<<"$info")
  fl=0 fr=0 ft=0 fb=0
  local extents; extents=$(xprop -id "$win" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ',')
  [ -n "$extents" ] && read -r fl fr ft fb <<<"$extents"
}
client_is() { read_geometry; [ "$cw" = "$1" ] && [ "$ch" = "$2" ]; }
on_screen() {  # the window with its frame lies on the part of the screen windows may use
  read_geometry
  [ $((cx - fl)) -ge 0 ] && [ $((cy - ft)) -ge 0 ] &&
    [ $((cx + cw + fr)) -le "$screen_w" ] && [ $((cy + ch + fb)) -le "$work_h" ]
}

# Twips to pixels, as the window lays out its controls.
px() { echo $(( ($1 + 7) / 15 )); }
centre() { echo $(( $(px $1) + $(px $3) / 2 )) $(( $(px $2) + $(px $4) / 2 )); }
title() { xdotool getwindowname "$win"; }
click_at() { xdotool mousemove --sync $((cx + $1)) $((cy + $2)) click 1; }
click_control() { read -r x y <<<"$(centre "$@")"; click_at "$x" "$y"; }
# A drag as a user makes it: pressed on the drag source's window, moved onto "Drop BMP here"
# and let go; taken when the source says so.
drop() {  # drop FILE... | --text TEXT
  read -r x y <<<"$(centre 15 15 510 645)"
  "$drag" "$@" >"$work/drag.out" 2>>"$work/drag.log" &
  wait_for 10 sh -c "xdotool search --onlyvisible --name '^drag source\$' >/dev/null" || return 1
  sleep 0.5  # mapped is not yet ready for the pointer
  xdotool mousemove --sync 1245 960 mousedown 1
  sleep 0.3
  xdotool mousemove --sync $((cx + x + 8)) $((cy + y + 8)) sleep 0.2 \
    mousemove --sync $((cx + x)) $((cy + y)) sleep 0.2 mouseup 1
  wait_for 10 grep -q . "$work/drag.out" && grep -q taken "$work/drag.out" ||
    { echo "the drag source said: $(cat "$work/drag.out")"; return 1; }
}
# The pointer onto the strip, away from the picture, where the zoom box would cover it; the
# window repaints in the moment given it.
pointer_off() { xdotool mousemove --sync $((cx + cw / 2)) $((cy + 20)); sleep 0.3; }
# Process, then Save until the file on disk changes (the pass takes its time).
process_and_save() {
  click_control 6330 15 750 650
  local before; before=$(md5sum <"$work/scan.bmp")
  saved() { click_control 7830 15 750 650; [ "$(md5sum <"$work/scan.bmp")" != "$before" ]; }
  wait_for 60 saved || fail "$1"
}
start_program() {  # start_program ARGUMENTS...: the program, its output logged
  "$program" "$@" >"$work/program.log" 2>&1 &
  program_pid=$!
  pids+=($program_pid)
}
message_box() { xdotool search --onlyvisible --name '^Tintwell$' 2>/dev/null | head -n 1; }
# Predicates for wait_for, so that they are evaluated afresh on every try.
title_is() { [ "$(title)" = "$1" ]; }
box_shown() { [ -n "$(message_box)" ]; }
box_gone() { [ -z "$(message_box)" ]; }
window_shown() {
  kill -0 "$program_pid" 2>/dev/null || fail "the program ended at start"
  win=$(xdotool search --onlyvisible --pid "$program_pid" --name '^Tintwell' 2>/dev/null | head -n 1)
  [ -n "$win" ]
}

cp "$sample" "$work/scan.bmp"
cp "$sample" "$work/original.bmp"
cp "$sample" "$work/other.bmp"
python3 "$pictures" blocks "$work/big.bmp" 1600 1300
read -r sample_w sample_h <<<"$(python3 -c "import struct,sys; print(*struct.unpack_from('<ii', open(sys.argv[1],'rb').read(), 18))" "$sample")"

start_program
wait_for 60 window_shown || fail "the window did not open"
wait_for 10 client_is 617 46 || fail "client area at start is ${cw}x${ch}, not 617x46"
shot "1-start"

# 1. A file dragged from another program onto "Drop BMP here": the window shows the strip and
# the whole picture, one picture pixel to a screen pixel.
drop "$work/scan.bmp" || fail "the drop was not taken"
wait_for 5 title_is "Tintwell - $work/scan.bmp" || fail "title after the drop: $(title)"
want_w=$(( sample_w + 2 > 617 ? sample_w + 2 : 617 )) want_h=$(( sample_h + 47 ))
wait_for 5 client_is "$want_w" "$want_h" || fail "client area ${cw}x${ch}, expected ${want_w}x${want_h}"
on_screen || fail "the fitted window is not on the screen"
pointer_off
grab
python3 "$pictures" shows "$work/grab.ppm" "$work/scan.bmp" $((cx + 2)) $((cy + 47)) ||
  fail "the picture does not show whole, last row and column included"
shot "2-loaded"

# 2. The histogram window (Ctrl+H) beside the window, and points suggested from a field's
# context menu (its last entry); Process with them, then Reload to start again.
click_at $((2 + 100)) $((47 + 50))  # the window's, and the picture's, focus
xdotool key ctrl+h
histogram_shown() { xdotool search --onlyvisible --name '^Histogram - Tintwell$' >/dev/null 2>&1; }
wait_for 10 histogram_shown || fail "Ctrl+H did not show the histogram"
read -r x y <<<"$(centre 1515 270 500 285)"
xdotool mousemove --sync $((cx + x)) $((cy + y)) click 3
menu_shown() { [ "$(xdotool search --onlyvisible --class tintwell 2>/dev/null | wc -l)" -gt 2 ]; }
wait_for 5 menu_shown || fail "no context menu on the field"
xdotool key Up Return
pointer_off
shot "3-histogram-and-suggested-points"
process_and_save "the picture processed with suggested points was never saved"
pointer_off
shot "4-processed-with-suggested-points"
# The roll program suggests by the same rule (its own tests check the rule by hand).
read -r _ b _ w _ <<<"$("$batch" --suggest "$work/original.bmp" | head -n 1)"
read -r -a points <<<"${b//,/ } ${w//,/ }"
python3 "$pictures" levels "$work/original.bmp" "$work/scan.bmp" "${points[@]}" ||
  fail "the suggested points were not ${points[*]}, or not applied as the rule says"
cp "$work/original.bmp" "$work/scan.bmp"
click_control 540 15 750 650  # Reload: the original again
xdotool key ctrl+h
wait_for 10 sh -c "! xdotool search --onlyvisible --name '^Histogram - Tintwell$' >/dev/null 2>&1" ||
  fail "Ctrl+H did not hide the histogram"

# 3. Levels typed into the fields, then Process with the pointer.
levels=(12 40 75 70 185 200)
fields=("1515 270 500 285" "2310 270 500 285" "3090 270 500 285"
        "4020 270 500 285" "4815 270 500 285" "5595 270 500 285")
for i in "${!fields[@]}"; do
  # shellcheck disable=SC2086
  click_control ${fields[$i]}
  xdotool key --clearmodifiers ctrl+a BackSpace
  xdotool type --delay 20 "${levels[$i]}"
done
process_and_save "the corrected picture was never saved"
shot "5-processed-and-saved"
python3 "$pictures" levels "$work/original.bmp" "$work/scan.bmp" "${levels[@]}" ||
  fail "the saved file is not the rule applied to the original"

# 4. Two files, then a piece of text: refused with a message, nothing changed.
refused() {  # refused NAME DRAG-ARGUMENTS...
  local name=$1; shift
  local titled; titled=$(title)
  local sum; sum=$(md5sum <"$work/scan.bmp")
  drop "$@" &
  local helper=$!
  wait_for 5 box_shown || fail "$name: no message box"
  shot "$name"
  xdotool key Return
  wait "$helper" || fail "$name: the drag did not finish"
  wait_for 5 box_gone || fail "$name: the message box stayed"
  [ "$(title)" = "$titled" ] || fail "$name: the title changed to $(title)"
  [ "$(md5sum <"$work/scan.bmp")" = "$sum" ] || fail "$name: the file changed"
}
refused "7-two-files" "$work/scan.bmp" "$work/other.bmp"
refused "8-text" --text "just some words"

# 5. A picture larger than the screen: the window is cut to the screen and stays on it, frame
# and all, clear of the panel; the picture shows whole, fitted into the window.
drop "$work/big.bmp" || fail "the big picture's drop was not taken"
wait_for 5 title_is "Tintwell - $work/big.bmp" || fail "title after the big drop: $(title)"
wait_for 5 on_screen || fail "the window for a big picture is not on the screen: ${cw}x${ch} at $cx,$cy"
[ $((cw + fl + fr)) = "$screen_w" ] && [ $((ch + ft + fb)) = "$work_h" ] ||
  fail "the window for a big picture is ${cw}x${ch}, not the screen's size"
read -r vw vh <<<"$(python3 "$pictures" fitted 1600 1300 $((cw - 2)) $((ch - 47)) 1)"
pointer_off
grab
red() { read -r r g b <<<"$(python3 "$pictures" shown "$work/grab.ppm" "$1" "$2")"; [ "$r" -gt 200 ] && [ "$g" -lt 40 ] && [ "$b" -lt 40 ]; }
red $((cx + 2 + vw - 2)) $((cy + 47 + vh - 2)) || fail "the fitted picture's bottom-right corner does not show"
shot "9-fitted"
# A click at fit reads the pixel under the pointer: the middle of block (3, 2).
block_title() {  # block_title X Y: the title for a click in the picture's pixel X, Y
  echo "Tintwell - $work/big.bmp    [ R = $(( (($1 / 100) * 29 + 10) % 200 ))  G = $(( (($2 / 100) * 59 + 30) % 256 ))  B = $(( (($1 / 100) * ($2 / 100) * 13 + 90) % 256 )) ]"
}
click_at $((2 + 350 * vw / 1600)) $((47 + 250 * vh / 1300))
wait_for 5 title_is "$(block_title 350 250)" || fail "readout at fit: '$(title)'"
# P: the fitted view previewed with the points typed in step 3; the middle of a block is the
# rule applied to the block's colour. P again turns it off.
xdotool key p
pointer_off
grab
read -r r g b <<<"$(sed 's/.*R = \([0-9]*\)  G = \([0-9]*\)  B = \([0-9]*\).*/\1 \2 \3/' <<<"$(title)")"
want=$(python3 "$pictures" level "$r" "$g" "$b" "${levels[@]}")
shown=$(python3 "$pictures" shown "$work/grab.ppm" $((cx + 2 + 350 * vw / 1600)) $((cy + 47 + 250 * vh / 1300)))
[ "$shown" = "$want" ] || fail "the preview at fit shows $shown in block (3, 2), not $want"
shot "9b-preview-at-fit"
click_at $((2 + 350 * vw / 1600)) $((47 + 250 * vh / 1300))
xdotool key p
# Ctrl+0: 100% about the middle of the view; the wheel then pans back to the top-left corner
# (up, and left with the horizontal wheel). One picture pixel to a screen pixel; a click reads
# the pixel under it.
xdotool key ctrl+0
xdotool mousemove --sync $((cx + cw / 2)) $((cy + ch / 2)) click --repeat 20 4 click --repeat 20 6
pointer_off
grab
python3 "$pictures" shows "$work/grab.ppm" "$work/big.bmp" $((cx + 2)) $((cy + 47)) 900 600 ||
  fail "Ctrl+0 does not show the picture 1:1"
shot "10-100-percent"
click_at $((2 + 150)) $((47 + 450))
wait_for 5 title_is "$(block_title 150 450)" || fail "readout at 100%: '$(title)'"

# 6. EXIT: nothing unsaved, so the program ends without a question.
click_control 8670 15 555 650
wait_for 5 sh -c "! kill -0 $program_pid 2>/dev/null" || fail "EXIT did not end the program"

# 7. A linear negative straight off the film, in the roll window: Negative (Alt+N), the preview
# off (P) to find the rebate, the film base taken from it (Shift+drag, Alt+F), the region
# cleared (Esc), the frame's densities suggested (Alt+S), the positive previewed (P) and
# written (Ctrl+Return), file for file what the roll program writes with the same settings.
mkdir -p "$work/film"
cp "$(dirname "$sample")/negative16.tif" "$work/film/frame01.tif"
start_program --roll "$work/film/frame01.tif"
film_shown() {
  win=$(xdotool search --onlyvisible --pid "$program_pid" --name "^Tintwell Roll - $work/film\$" 2>/dev/null | head -n 1)
  [ -n "$win" ]
}
wait_for 60 film_shown || fail "the roll window did not open on the negative"
read_geometry
sleep 2
xdotool key alt+n
click_at 300 $((ch - 200))
xdotool key p
pointer_off
sleep 0.5
grab
read -r left top right bottom band <<<"$(python3 "$pictures" find "$work/grab.ppm" 202 117 62)" ||
  fail "the rebate (202, 117, 62 without the preview) is nowhere on the screen"
xdotool mousemove --sync $((left + 40)) $((top + 2)) keydown shift mousedown 1 \
  mousemove --sync $((left + 400)) $((band - 2)) mouseup 1 keyup shift
xdotool key alt+f
pointer_off
shot "16-negative-rebate-picked"
xdotool mousemove --sync $((left + 200)) $((band + 100)) click 1
sleep 0.3
xdotool key Escape
sleep 0.3
xdotool key alt+s
sleep 0.3
xdotool key p
pointer_off
sleep 0.5
shot "17-negative-preview"
xdotool key ctrl+Return
positive() { [ -s "$work/film/corrected/frame01.tif" ]; }
wait_for 60 positive || fail "the positive was not written into $work/film/corrected"
sleep 1
shot "18-negative-written"
convert "$work/film/corrected/frame01.tif" -depth 8 "$shots/19-negative-written-file.png"
kill "$program_pid"
wait "$program_pid" 2>/dev/null
# The settings as the window remembers them for the folder, given to the roll program.
IFS=';' read -r _ _ negative bases shadows highlights contrast mono \
  <<<"$(sed -n 's/^[^=]*film="\(.*\)"$/\1/p' "$XDG_CONFIG_HOME/Tintwell/Tintwell.conf")"
[ "$negative" = 1 ] || fail "the window did not remember the negative's settings: $(cat "$XDG_CONFIG_HOME/Tintwell/Tintwell.conf")"
echo "negative: film base $bases, shadows $shadows, highlights $highlights, contrast $contrast"
"$batch" --negative --film-base "$bases" --shadows "$shadows" --highlights "$highlights" \
  --contrast "$contrast" --output "$work/film-by-batch" "$work/film/frame01.tif" >/dev/null ||
  fail "the roll program could not make the positive"
cmp -s "$work/film-by-batch/frame01.tif" "$work/film/corrected/frame01.tif" ||
  fail "the window's positive is not what the roll program writes: $(cmp -l "$work/film-by-batch/frame01.tif" "$work/film/corrected/frame01.tif" | head -5; ls -l "$work/film-by-batch" "$work/film/corrected")"

echo "desktop test passed ($wm)"
