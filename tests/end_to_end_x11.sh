#!/bin/sh
# The built program on a real X server (Xvfb), driven as a user drives it:
# real key presses and a real click on a menu item through xdotool, the result
# pane read back through the clipboard with xclip, then Escape, which must end
# the program with exit code 0.
#   end_to_end_x11.sh path/to/runemill
set -u

program=$1
work=$(mktemp -d)
xvfb_pid=""
program_pid=""

cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -s "$work/program.log" ]; then
    echo "--- program output ---" >&2
    cat "$work/program.log" >&2
  fi
  exit 1
}

for tool in Xvfb xdotool xclip; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

# Xvfb picks a free display itself and writes its number to the descriptor.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
tries=0
while [ ! -s "$work/display" ]; do
  tries=$((tries + 1))
  [ $tries -gt 100 ] && fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  sleep 0.1
done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# Waits up to five seconds for a shell condition.
wait_for() {
  tries=0
  until eval "$1"; do
    tries=$((tries + 1))
    [ $tries -gt 50 ] && return 1
    sleep 0.1
  done
}

# Selects the whole result pane (Ctrl+A is the window's select-all command),
# copies it with the pane's own Ctrl+C and prints the clipboard.
read_result_pane() {
  xdotool mousemove --window "$window" 750 200 click 1
  sleep 0.3
  xdotool key ctrl+a
  sleep 0.2
  xdotool key ctrl+c
  sleep 0.3
  xclip -o -selection clipboard 2>/dev/null
}

# Reading takes a second, so a few attempts give the program time enough.
expect_result() {
  attempt=0
  while :; do
    seen=$(read_result_pane)
    [ "$seen" = "$1" ] && return 0
    attempt=$((attempt + 1))
    [ $attempt -ge 5 ] && fail "$2: the result pane holds '$seen', expected '$1'"
  done
}

"$program" >"$work/program.log" 2>&1 &
program_pid=$!

window=""
wait_for 'window=$(xdotool search --onlyvisible --name "^Runemill 1.1$" 2>/dev/null | head -n 1); [ -n "$window" ]' ||
  fail "the window did not appear"
xdotool windowfocus --sync "$window" 2>/dev/null

geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "1000x640" ] || fail "the window measures $geometry, expected 1000x640"

# Type into the source pane: the result follows the identity table.
xdotool mousemove --window "$window" 250 200 click 1
sleep 0.3
xdotool type --delay 30 "abc"
sleep 0.3
expect_result "abc" "typing into the source pane"

# Back into the source pane, then Tab through the result pane and cells 0 to
# 96 into cell 97, whose text Tab selects; typing replaces entry 97 ("a").
xdotool mousemove --window "$window" 250 200 click 1
sleep 0.3
xdotool key --delay 5 --repeat 99 Tab
sleep 0.3
xdotool type --delay 30 "XY"
sleep 0.3
expect_result "XYbc" "typing into cell 97"

# A real click on a menu item: open "Файло" with a click, move to "Текст"
# with the keyboard, then click its first item, "Простой набор", which puts
# the identity table back and converts again.
xdotool mousemove --window "$window" 20 10 click 1
sleep 0.5
xdotool key Right Right
sleep 0.5
popup=""
for candidate in $(xdotool search --onlyvisible --pid "$program_pid" "" 2>/dev/null); do
  [ "$candidate" = "$window" ] && continue
  popup=$candidate
done
[ -n "$popup" ] || fail "the menu did not open"
xdotool mousemove --window "$popup" 40 12 click 1
sleep 0.5
expect_result "abc" "the menu item that restores the identity table"

# Escape inside an open menu only closes the menu.
xdotool mousemove --window "$window" 20 10 click 1
sleep 0.5
xdotool key Escape
sleep 0.5
kill -0 "$program_pid" 2>/dev/null || fail "Escape in an open menu ended the program"

# Escape in the window ends the program with exit code 0.
xdotool mousemove --window "$window" 250 200 click 1
sleep 0.3
xdotool key Escape
tries=0
while kill -0 "$program_pid" 2>/dev/null; do
  tries=$((tries + 1))
  [ $tries -gt 50 ] && fail "Escape did not end the program"
  sleep 0.1
done
wait "$program_pid"
status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "the program ended with exit code $status"
echo "PASS"
