#!/usr/bin/env bash
# Plays a show made by orvanne-cjf create in a real window under Xvfb, as a person would: the first
# slide, the next slide after its time, space and "b" moving forward and back, "p" pausing and
# resuming, and the program ending with the show. Checks what is on screen by sampling the
# slide's colour in the middle of the window.
#
#   play_under_xvfb.sh BIN_DIR        (exit 77: skipped, no Xvfb or xdotool)
set -u
bin=${1:?usage: play_under_xvfb.sh BIN_DIR}
for tool in xvfb-run xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

if [ -z "${INSIDE_XVFB:-}" ]; then
  INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

set -e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
fail() { echo "FAILED: $*"; exit 1; }

# Three slides of plain colours: red (3 s), green (2 s), blue (1 s); no loop, no effects.
convert -size 320x240 xc:'#ff0000' "$work/red.png"
convert -size 320x240 xc:'#00ff00' "$work/green.png"
convert -size 320x240 xc:'#0000ff' "$work/blue.png"
printf 'red.png\t3\tRed\t\ngreen.png\t2\tGreen\t\nblue.png\t1\tBlue\t\n' > "$work/show.txt"
"$bin/orvanne-cjf" create "$work/e2e.cjf" --no-loop --no-transitions --manifest "$work/show.txt"

"$bin/orvanne" --play "$work/e2e.cjf" &
pid=$!
wid=$(xdotool search --sync --onlyvisible --name "SlideShow - e2e" | head -n 1)
[ -n "$wid" ] || fail "no show window"

colour() { # the colour in the middle of the show window
  import -window "$wid" "$work/shot.png"
  local w h
  w=$(identify -format '%w' "$work/shot.png"); h=$(identify -format '%h' "$work/shot.png")
  convert "$work/shot.png" -format "%[hex:p{$((w / 2)),$((h / 2))}]" info: | cut -c1-6
}
expect() { # expect COLOUR WHAT
  local seen
  for _ in $(seq 1 30); do seen=$(colour); [ "$seen" = "$1" ] && { echo "ok: $2"; return 0; }; sleep 0.1; done
  fail "$2: saw $seen, wanted $1"
}
key() { xdotool windowactivate --sync "$wid" key "$1" 2>/dev/null || xdotool key --window "$wid" "$1"; }

expect FF0000 "the first slide"
cp "$work/shot.png" "${E2E_SHOT:-/dev/null}" 2>/dev/null || true
key space;  expect 00FF00 "space shows the next slide"
key b;      expect FF0000 "b shows the slide before"
key p;      sleep 3.5; expect FF0000 "p pauses: the slide stays past its time"
key p;      expect 00FF00 "p again resumes with the next slide at once"
sleep 0.8;  expect 00FF00 "the slide stays for its time"
sleep 1.0;  expect 0000FF "the next slide after its time"
sleep 1.5
if kill -0 "$pid" 2>/dev/null; then fail "the program did not end with the show"; fi
wait "$pid" || fail "exit status $?"
echo "ok: the end of the show ended the program"

"$bin/orvanne" --play "$work/e2e.cjf" &
pid=$!
wid=$(xdotool search --sync --onlyvisible --name "SlideShow - e2e" | head -n 1)
expect FF0000 "started again"
key Escape
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fail "Esc did not end the program"; fi
wait "$pid" || fail "exit status $?"
echo "ok: Esc ended the program"
"$bin/orvanne" --play "$work/e2e.cjf" &
pid=$!
xdotool search --sync --onlyvisible --name "SlideShow - e2e" >/dev/null
kill -TERM "$pid"
status=0; wait "$pid" || status=$?
[ "$status" = 143 ] || fail "SIGTERM: exit status $status, wanted 143"
echo "ok: SIGTERM ended the program in order"
[ -z "$(ls -A "$work/cache" 2>/dev/null | grep OrvanneSlides)" ] || fail "a working folder was left behind"
echo "ok: the working folders are gone"
