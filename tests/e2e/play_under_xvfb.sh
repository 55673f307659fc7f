#!/usr/bin/env bash
# Plays shows made by orvanne-cjf create in a real window under Xvfb, as a person would: the first
# slide, space and "b" moving forward and back, "p" pausing and resuming, the next slide after its
# time, and the program ending with the show, on Esc and on SIGTERM; a long caption that must not
# widen the window. Checks what is on screen by sampling the slide's colour in the middle of the
# window.
#
# Every wait is a bounded poll that names the step it waits for, and every slide time the test
# relies on not running out is long enough for a loaded machine.
#
#   play_under_xvfb.sh BIN_DIR        (exit 77: skipped, no Xvfb or xdotool)
#   E2E_SHOT=file.png                 also keep a screenshot of the long-caption show
set -u
bin=${1:?usage: play_under_xvfb.sh BIN_DIR}
for tool in xvfb-run xdotool import convert timeout; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

if [ -z "${INSIDE_XVFB:-}" ]; then
  INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

. "$(dirname "$0")/lib.sh"
export XDG_CACHE_HOME="$work/cache"

# colour [WID [PART]]: the colour half-way across a window (the show's) and 1/PART (a half) down it
colour() {
  import -window "${1:-$wid}" "$work/shot.png" 2>/dev/null || { echo "none"; return 0; }
  local w h
  w=$(identify -format '%w' "$work/shot.png"); h=$(identify -format '%h' "$work/shot.png")
  convert "$work/shot.png" -format "%[hex:p{$((w / 2)),$((h / ${2:-2}))}]" info: | cut -c1-6
}
expect() { # expect COLOUR SECONDS STEP: polls until the colour shows
  local seen="" deadline=$((SECONDS + $2))
  while [ "$SECONDS" -le "$deadline" ]; do
    seen=$(colour)
    [ "$seen" = "$1" ] && { echo "ok: $3"; return 0; }
    sleep 0.1
  done
  fail "$3: saw $seen, wanted $1 within $2 s"
}
still() { # still COLOUR STEP: one look, which must show the colour
  local seen
  seen=$(colour)
  [ "$seen" = "$1" ] || fail "$2: saw $seen, wanted $1"
  echo "ok: $2"
}
key() {
  focus "$wid"
  timeout 5 xdotool key --clearmodifiers "$1" || fail "could not send the key $1"
}

# Four slides of plain colours, no loop, no effects. Red waits long enough to be paused on a
# loaded machine; green is the slide whose time is watched; blue and yellow end the show.
for c in red:ff0000 green:00ff00 blue:0000ff yellow:ffff00; do
  convert -size 320x240 "xc:#${c#*:}" "$work/${c%%:*}.png"
done
printf 'red.png\t5\tRed\t\ngreen.png\t4\tGreen\t\nblue.png\t2\tBlue\t\nyellow.png\t1\tYellow\t\n' > "$work/show.txt"
"$bin/orvanne-cjf" create "$work/e2e.cjf" --no-loop --no-transitions --manifest "$work/show.txt"

"$bin/orvanne" --play "$work/e2e.cjf" &
pid=$!
wait_window "SlideShow - e2e" 20 "the first start"
expect FF0000 10 "the first slide"
key space;  expect 00FF00 5 "space shows the next slide"
key b;      expect FF0000 5 "b shows the slide before"
key p;      sleep 6; still FF0000 "p pauses: the slide stays past its time"
key p;      expect 00FF00 5 "p again resumes with the next slide at once"
sleep 1;    still 00FF00 "the slide stays for its time"
expect 0000FF 10 "the next slide after its time"
wait_exit 15 "the end of the show"
[ "$status" = 0 ] || fail "the end of the show: exit status $status"
echo "ok: the end of the show ended the program"

"$bin/orvanne" --play "$work/e2e.cjf" &
pid=$!
wait_window "SlideShow - e2e" 20 "the second start"
expect FF0000 10 "started again"
key Escape
wait_exit 10 "Esc"
[ "$status" = 0 ] || fail "Esc: exit status $status"
echo "ok: Esc ended the program"

# A show file cut short inside its last picture (the list files come first in it, as a show
# written elsewhere may have them) plays the slides it holds, and only then says it is damaged.
printf 'red.png\t30\tRed\t\ngreen.png\t30\tGreen\t\nblue.png\t30\tBlue\t\nyellow.png\t30\tYellow\t\n' \
  > "$work/cut.txt"
"$bin/orvanne-cjf" create "$work/whole.cjf" --no-transitions --manifest "$work/cut.txt"
python3 - "$work/whole.cjf" "$work/cut.cjf" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
count = struct.unpack_from("<i", data, 32)[0]
records = [data[44 + i * 344:44 + (i + 1) * 344] for i in range(count)]
offset, bodies = 44 + count * 344, []
for r in records:
    size = struct.unpack_from("<i", r, 340)[0]
    bodies.append(data[offset:offset + size])
    offset += size
lists_first = sorted(range(count), key=lambda i: not records[i][1:1 + records[i][0]].lower().endswith(b".lst"))
out = data[:44] + b"".join(records[i] for i in lists_first) + b"".join(bodies[i] for i in lists_first)
open(sys.argv[2], "wb").write(out[:-20])
PY
"$bin/orvanne" --play "$work/cut.cjf" &
pid=$!
wait_window "SlideShow - cut" 20 "the show cut short"
expect FF0000 10 "the cut show's first slide"
key space;  expect 00FF00 5 "its second slide"
key space;  expect 0000FF 5 "its third slide"
key space
show_wid=$wid
wait_window "Orvanne" 10 "the damage reported when the show reaches the cut"
dialog=$wid
# The message sits in the middle of the window; the slide shows above it.
seen=$(colour "$show_wid" 4)
[ "$seen" = 0000FF ] || fail "the last whole slide stays behind the message: saw $seen"
echo "ok: the last whole slide stays behind the message"
focus "$dialog"
timeout 5 xdotool key --clearmodifiers Return
wait_exit 10 "the message closed"
[ "$status" = 1 ] || fail "the damaged show: exit status $status, wanted 1"
echo "ok: a show cut short played its first slides, then said it was damaged"

# A caption of 200 characters is cut to the window; the window keeps its width.
caption=$(printf 'A very long caption %.0s' $(seq 1 10))
printf 'red.png\t0\t%s\t\n' "$caption" > "$work/caption.txt"
"$bin/orvanne-cjf" create "$work/caption.cjf" --no-transitions --manifest "$work/caption.txt"
"$bin/orvanne" --play "$work/caption.cjf" &
pid=$!
wait_window "SlideShow - caption" 20 "the long-caption show"
expect FF0000 10 "the long-caption show's slide"
width=$(xdotool getwindowgeometry --shell "$wid" | sed -n 's/^WIDTH=//p')
[ "$width" = 620 ] || fail "a 200-character caption widened the window to $width pixels"
echo "ok: a 200-character caption leaves the window 620 pixels wide"
[ -n "${E2E_SHOT:-}" ] && import -window root "$E2E_SHOT"

kill -TERM "$pid"
wait_exit 10 "SIGTERM"
[ "$status" = 143 ] || fail "SIGTERM: exit status $status, wanted 143"
echo "ok: SIGTERM ended the program in order"
[ -z "$(ls -A "$work/cache" 2>/dev/null | grep OrvanneSlides)" ] || fail "a working folder was left behind"
echo "ok: the working folders are gone"
