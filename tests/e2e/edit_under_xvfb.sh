#!/usr/bin/env bash
# Makes a show in the editor under Xvfb as a person would, with keys and clicks only: starts
# orvanne, goes to a folder of pictures, adds three, sets the delay, saves the show under a new
# name and quits; then checks the file with orvanne-cjf, opens it again from the command line and
# plays it.
#
#   edit_under_xvfb.sh BIN_DIR        (exit 77: skipped, no Xvfb or xdotool)
set -u
bin=${1:?usage: edit_under_xvfb.sh BIN_DIR}
for tool in xvfb-run xdotool import convert timeout python3; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
if [ -z "${INSIDE_XVFB:-}" ]; then
  INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

. "$(dirname "$0")/lib.sh"
# A home of one folder of pictures; settings and the working folder live elsewhere.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
mkdir -p "$HOME/shots"
convert -size 320x240 xc:'#ff0000' "$HOME/shots/a-red.png"
convert -size 320x240 xc:'#00ff00' "$HOME/shots/b-green.png"
convert -size 320x240 xc:'#0000ff' "$HOME/shots/c-blue.png"

# Clicks at x,y inside a window's client area.
click_in() { # click_in WID X Y
  eval "$(xdotool getwindowgeometry --shell "$1")"
  timeout 5 xdotool mousemove "$((X + $2))" "$((Y + $3))" click 1; sleep 0.3
}
close_splash() { # the splash is the about box's picture in the middle of the screen; a click closes it
  sleep 0.5
  timeout 5 xdotool mousemove 640 400 click 1; sleep 0.5
}

"$bin/orvanne" & pid=$!
wait_window "Orvanne - Untitled" 20 "the editor"
close_splash
focus "$wid"
# The folder tree has the focus, on the home folder: open it and go down to "shots".
keys Right; keys Down
# Into the pictures: each Enter adds the current one; Down moves on.
keys Tab; keys Home; keys Return; keys Down; keys Return; keys Down; keys Return
# The delay: a click on the slider, then End takes it to 90 seconds.
click_in "$wid" 60 392; keys End
keys ctrl+shift+s
wait_window "Save SlideShow As" 10 "the save dialog"
focus "$wid"
timeout 5 xdotool type --delay 20 "$work/mine.cjf" || fail "could not type the file name"
keys Return
for _ in $(seq 1 50); do [ -s "$work/mine.cjf" ] && break; sleep 0.1; done
[ -s "$work/mine.cjf" ] || fail "the show was not saved"
wait_window "Orvanne - mine" 10 "the title after saving"
echo "ok: saved as mine.cjf"
focus "$wid"
keys ctrl+q
wait_window "Orvanne" 10 "the quit question"
keys Return
wait_exit 10 "quitting"
[ "$status" = 0 ] || fail "exit status $status"
[ -z "$(ls "$XDG_CACHE_HOME" 2>/dev/null | grep OrvanneSlides)" ] || fail "the working folder was left behind"
echo "ok: quit, and the working folder is gone"

info=$("$bin/orvanne-cjf" info --json "$work/mine.cjf")
python3 - "$info" <<'PY' || fail "the saved show is not what was made"
import json, sys
info = json.loads(sys.argv[1])
images = [s["image"] for s in info["slides"]]
assert images == ["a-red.png", "b-green.png", "c-blue.png"], images
assert info["delay"] == 90, info["delay"]
PY
echo "ok: three slides and a delay of 90 seconds in the file"

"$bin/orvanne" "$work/mine.cjf" & pid=$!
wait_window "Orvanne - mine" 20 "reopening from the command line"
close_splash
focus "$wid"
keys F5
# Music is on and the show has no tracks: the advisory asks first.
wait_window "Advisory" 10 "the music advisory"
focus "$wid"
keys alt+c
wait_window "SlideShow - mine" 10 "Begin Show"
show=$wid
import -window "$show" "$work/shot.png"
centre=$(convert "$work/shot.png" -format "%[hex:p{$(( $(identify -format '%w' "$work/shot.png") / 2 )),$(( $(identify -format '%h' "$work/shot.png") / 2 ))}]" info: | cut -c1-6)
for _ in $(seq 1 30); do
  [ "$centre" = FF0000 ] && break
  sleep 0.2
  import -window "$show" "$work/shot.png"
  centre=$(convert "$work/shot.png" -format "%[hex:p{$(( $(identify -format '%w' "$work/shot.png") / 2 )),$(( $(identify -format '%h' "$work/shot.png") / 2 ))}]" info: | cut -c1-6)
done
[ "$centre" = FF0000 ] || fail "the show did not play its first slide (saw $centre)"
echo "ok: reopened with its title, and F5 asks about music and plays it"
focus "$show"
keys Escape
wait_window "Orvanne - mine" 10 "back in the editor"
focus "$wid"
keys ctrl+q
wait_window "Orvanne" 10 "the quit question"
keys Return
wait_exit 10 "quitting again"
echo "ok: quit again"

# Ended from outside with unsaved changes: no questions, and the working folder still goes.
"$bin/orvanne" "$work/mine.cjf" & pid=$!
wait_window "Orvanne - mine" 20 "the third start"
close_splash
focus "$wid"
keys alt+l
kill -TERM "$pid"
wait_exit 10 "SIGTERM"
[ "$status" = 143 ] || fail "SIGTERM: exit status $status, wanted 143"
[ -z "$(ls "$XDG_CACHE_HOME" 2>/dev/null | grep OrvanneSlides)" ] || fail "SIGTERM left the working folder behind"
echo "ok: SIGTERM ends the editor without questions and removes its working folder"
