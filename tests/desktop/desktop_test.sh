#!/usr/bin/env bash
# The real program on a real X server, driven from outside as a user would: files dragged from
# another process by XDND, typing and clicks with the pointer, the title read back through the
# server. Screenshots of each stage go to SHOTS for a person to look at.
#
#   desktop_test.sh PROGRAM DRAG_HELPER SAMPLE.bmp SHOTS
# Exits 77 (skipped) when no X server can be started here.
set -uo pipefail
program=$1 drag=$2 sample=$3 shots=$4
here=$(cd "$(dirname "$0")" && pwd)
check="$here/check_levels.py"
for tool in Xvfb xdotool import python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
mkdir -p "$shots"
rm -f "$shots"/*.png
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; shot "failure"; exit 1; }
shot() { import -display "$DISPLAY" -window root "$shots/$1.png" 2>/dev/null && echo "screenshot: $shots/$1.png"; }

# A display of our own.
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$n" ] && export DISPLAY=":$n" && break
done
[ -n "${DISPLAY:-}" ] && xdotool getmouselocation >/dev/null 2>&1 || { echo "skipped: cannot start Xvfb"; exit 77; }
unset QT_QPA_PLATFORM

# Twips to pixels, as the window lays out its controls.
px() { echo $(( ($1 + 7) / 15 )); }
centre() { echo $(( $(px $1) + $(px $3) / 2 )) $(( $(px $2) + $(px $4) / 2 )); }
title() { xdotool getwindowname "$win"; }
click_at() { xdotool mousemove --sync $((wx + $1)) $((wy + $2)) click 1; }
click_control() { read -r cx cy <<<"$(centre "$@")"; click_at "$cx" "$cy"; }
wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds
  local limit=$1; shift
  for _ in $(seq $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
message_box() { xdotool search --onlyvisible --name '^Tintwell$' 2>/dev/null | head -n 1; }
# Predicates for wait_for, so that they are evaluated afresh on every try.
title_is() { [ "$(title)" = "$1" ]; }
box_shown() { [ -n "$(message_box)" ]; }
box_gone() { [ -z "$(message_box)" ]; }

cp "$sample" "$work/scan.bmp"
cp "$sample" "$work/original.bmp"
cp "$sample" "$work/other.bmp"
"$program" >"$work/program.log" 2>&1 &
program_pid=$!
pids+=($program_pid)
wait_for 10 xdotool search --onlyvisible --name '^Tintwell' >/dev/null || fail "the window did not open"
win=$(xdotool search --onlyvisible --name '^Tintwell' | head -n 1)
eval "$(xdotool getwindowgeometry --shell "$win" | sed 's/^/w/' | tr 'A-Z' 'a-z')"  # wx, wy
shot "1-start"

# 1. A file dragged from another program onto "Drop BMP here".
read -r dx dy <<<"$(centre 15 15 510 645)"
"$drag" "$win" $((wx + dx)) $((wy + dy)) "$work/scan.bmp" || fail "the drop was not taken"
wait_for 5 title_is "Tintwell - $work/scan.bmp" || fail "title after the drop: $(title)"
shot "2-loaded"

# 2. Levels typed into the fields, then Process with the pointer.
levels=(12 40 75 70 185 200)
fields=("1515 270 500 285" "2310 270 500 285" "3090 270 500 285"
        "4020 270 500 285" "4815 270 500 285" "5595 270 500 285")
for i in "${!fields[@]}"; do
  # shellcheck disable=SC2086
  click_control ${fields[$i]}
  xdotool key --clearmodifiers ctrl+a BackSpace
  xdotool type --delay 20 "${levels[$i]}"
done
click_control 6330 15 750 650  # Process
before=$(md5sum <"$work/scan.bmp")
saved() { click_control 7830 15 750 650; [ "$(md5sum <"$work/scan.bmp")" != "$before" ]; }
wait_for 60 saved || fail "the corrected picture was never saved"
shot "3-processed-and-saved"
python3 "$check" "$work/original.bmp" "$work/scan.bmp" "${levels[@]}" || fail "the saved file is not the rule applied to the original"

# 3. The pixel readout of a click on the picture.
read -r r g b <<<"$(python3 "$check" --pixel "$work/scan.bmp" 100 50)"
click_at $((2 + 100)) $((47 + 50))
expected="Tintwell - $work/scan.bmp    [ R = $r  G = $g  B = $b ]"
wait_for 5 title_is "$expected" || fail "readout: '$(title)', expected '$expected'"
shot "4-readout"

# 4. Two files, then a piece of text: refused with a message, nothing changed.
refused() {  # refused NAME DRAG-ARGUMENTS...
  local name=$1; shift
  local titled; titled=$(title)
  local sum; sum=$(md5sum <"$work/scan.bmp")
  "$drag" "$win" $((wx + dx)) $((wy + dy)) "$@" &
  local helper=$!
  wait_for 5 box_shown || fail "$name: no message box"
  shot "$name"
  xdotool key Return
  wait "$helper" || fail "$name: the drag did not finish"
  wait_for 5 box_gone || fail "$name: the message box stayed"
  [ "$(title)" = "$titled" ] || fail "$name: the title changed to $(title)"
  [ "$(md5sum <"$work/scan.bmp")" = "$sum" ] || fail "$name: the file changed"
}
refused "5-two-files" "$work/scan.bmp" "$work/other.bmp"
refused "6-text" --text "just some words"

# 5. EXIT: nothing unsaved, so the program ends without a question.
click_control 8670 15 555 650
wait_for 5 sh -c "! kill -0 $program_pid 2>/dev/null" || fail "EXIT did not end the program"
echo "desktop test passed"
