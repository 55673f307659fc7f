#!/usr/bin/env bash
# Installs the project into a staging folder and checks what the desktop will read from it: the
# programs, the guide, a valid desktop entry, and a MIME type that names a show by its name and,
# without one, by its first bytes.
#
#   install_check.sh BUILD_DIR BIN_DIR     (exit 77: skipped, desktop-file-validate missing)
set -euo pipefail
build=${1:?usage: install_check.sh BUILD_DIR BIN_DIR}
bin=${2:?usage: install_check.sh BUILD_DIR BIN_DIR}
command -v desktop-file-validate >/dev/null || { echo "skipped: desktop-file-validate is missing"; exit 77; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
share="$stage/usr/share"
for f in "$stage/usr/bin/orvanne" "$stage/usr/bin/orvanne-cjf" "$share/orvanne/help/index.html" \
         "$share/applications/orvanne.desktop" "$share/mime/packages/orvanne.xml" \
         "$share/icons/hicolor/scalable/apps/orvanne.svg" \
         "$share/icons/hicolor/scalable/mimetypes/application-x-orvanne-show.svg"; do
  [ -e "$f" ] || fail "not installed: ${f#$stage}"
done
grep -q 'id="INTRO"' "$share/orvanne/help/index.html" || fail "the guide has no INTRO"
desktop-file-validate "$share/applications/orvanne.desktop" || fail "the desktop entry is not valid"
echo "ok: installed and the desktop entry is valid"

convert -size 8x8 xc:red "$stage/red.png" 2>/dev/null || "$bin/orvanne-demo" "$stage/demo" >/dev/null
picture=$( [ -f "$stage/red.png" ] && echo "$stage/red.png" || echo "$stage/demo/sunrise.jpg" )
"$bin/orvanne-cjf" create "$stage/show.cjf" "$picture" >/dev/null
cp "$stage/show.cjf" "$stage/no-extension"
types=$(XDG_DATA_DIRS="$share" "$bin/mime_of" "$stage/show.cjf" "$stage/no-extension")
[ "$types" = "$(printf 'application/x-orvanne-show\napplication/x-orvanne-show')" ] \
  || fail "MIME types: $types"
echo "ok: a show is application/x-orvanne-show by its name and by its first bytes"
