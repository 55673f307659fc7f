#!/usr/bin/env bash
# Views a picture and prints it under Xvfb as a person would, with keys only: starts orvanne,
# goes to a folder with one picture, opens it in the viewer, zooms, opens the print preview,
# turns the page to landscape, cancels the printer set-up, and prints. There is no printer, so
# the program asks for a PDF file; the PDF must hold one landscape page with the picture in its
# middle, named after the picture.
#
#   view_under_xvfb.sh BIN_DIR        (exit 77: skipped, no Xvfb, xdotool or poppler)
set -u
bin=${1:?usage: view_under_xvfb.sh BIN_DIR}
for tool in xvfb-run xdotool import convert timeout pdfinfo pdftoppm; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
if [ -z "${INSIDE_XVFB:-}" ]; then
  INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$@"
fi

. "$(dirname "$0")/lib.sh"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
mkdir -p "$HOME/shots" "$HOME/Documents"
# Four quarters: red, green / blue, yellow.
convert -size 320x240 xc:red -size 320x240 xc:lime +append \
  \( -size 320x240 xc:blue -size 320x240 xc:yellow +append \) -append "$HOME/shots/beach.png"

wait_gone() { # wait_gone WID SECONDS STEP
  for _ in $(seq 1 $(($2 * 10))); do
    xdotool search --onlyvisible --name "." 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.1
  done
  fail "$3: the window is still there"
}
colour_at() { # colour_at IMAGE X Y: the pixel as RRGGBB
  convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6
}
# The pixel's colour with each channel rounded to 0 or 255: a PDF's pictures may be stored
# compressed with loss, so red comes back as FD0000.
pure_at() { # pure_at IMAGE X Y
  convert "$1" -crop "1x1+$2+$3" +repage -channel RGB -threshold 50% +channel -format "%[hex:p{0,0}]" info: | cut -c1-6
}

"$bin/orvanne" & pid=$!
wait_window "Orvanne - Untitled" 20 "the editor"
sleep 0.5
timeout 5 xdotool mousemove 640 450 click 1; sleep 0.5
editor=$wid
focus "$editor"
# The tree starts at the home folder: open it, pass Documents, on to "shots", then its picture.
keys Right; keys Down; keys Down; keys Tab; keys Home
keys alt+o; keys v
wait_window "Orvanne - beach.png" 10 "the viewer"
viewer=$wid
focus "$viewer"
# 50 %: the picture sits in the middle of the viewer.
keys ctrl+minus; keys ctrl+minus
sleep 0.3
import -window "$viewer" "$work/viewer.png"
eval "$(xdotool getwindowgeometry --shell "$viewer")"
[ "$(colour_at "$work/viewer.png" $((WIDTH / 2 - 40)) $((20 + HEIGHT / 2 - 30)))" = FF0000 ] ||
  fail "the picture is not in the middle of the viewer at 50 %"
echo "ok: the viewer shows the picture at 50 %, centred"

keys ctrl+p
wait_window "Print Preview" 10 "the print preview"
preview=$wid
focus "$preview"
# From Print, the radio buttons are three tabs away; Down chooses Landscape.
keys Tab; keys Tab; keys Tab; keys Down
keys alt+s
sleep 1
keys Escape
focus "$preview"
keys alt+p
# No printer: the program asks where the PDF goes, proposing the picture's name.
sleep 1
timeout 5 xdotool type --delay 20 "$work/printed.pdf" || fail "could not type the file name"
keys Return
for _ in $(seq 1 50); do [ -s "$work/printed.pdf" ] && break; sleep 0.1; done
[ -s "$work/printed.pdf" ] || fail "no PDF was written"
wait_gone "$preview" 10 "the preview after printing"
info=$(pdfinfo "$work/printed.pdf")
echo "$info" | grep -Eq '^Pages: +1$' || fail "the PDF does not hold one page: $info"
echo "$info" | grep -Eq '^Title: +Orvanne - beach.png$' || fail "the job is not named after the picture: $info"
echo "$info" | grep -Eq '^Page size: +842 x 595 pts' || fail "the page is not landscape A4: $info"
pdftoppm -r 50 -png -singlefile "$work/printed.pdf" "$work/page"
# At scale 100 the picture takes half the page's height, in its middle.
[ "$(pure_at "$work/page.png" 270 190)" = FF0000 ] || fail "no red quarter left of the page's middle"
[ "$(pure_at "$work/page.png" 315 225)" = FFFF00 ] || fail "no yellow quarter right of the page's middle"
[ "$(colour_at "$work/page.png" 30 30)" = FFFFFF ] || fail "the page's corner is not white paper"
echo "ok: one landscape page with the picture in its middle, named after it"

focus "$viewer"
keys Escape
wait_gone "$viewer" 10 "Esc in the viewer"
echo "ok: Esc closes the viewer"

focus "$editor"
keys ctrl+q
wait_window "Orvanne" 10 "the quit question"
keys Return
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program still runs after quitting"
status=0; wait "$pid" || status=$?; pid=""
[ "$status" = 0 ] || fail "exit status $status"
echo "ok: quit"
