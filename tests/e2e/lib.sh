# Shared by the e2e scripts, which source it once they run under Xvfb: a scratch folder that goes
# on exit (with the program, when one still runs), and the waits and keys every script uses.
# The program under test, when one runs, is $pid; wait_window sets $wid.

set -e
work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy

fail() { echo "FAILED: $*"; exit 1; }

wait_window() { # wait_window TITLE SECONDS STEP: a visible window titled exactly TITLE; sets wid
  wid=""
  for _ in $(seq 1 $(($2 * 10))); do
    wid=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && return 0
    [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && fail "$3: the program ended before its window showed"
    sleep 0.1
  done
  fail "$3: no window titled '$1' within $2 s"
}
focus() { timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || true; }
keys() { timeout 5 xdotool key --clearmodifiers "$@" || fail "could not send $*"; sleep 0.3; }
wait_exit() { # wait_exit SECONDS STEP: the program ends by itself; its exit status goes to status
  for _ in $(seq 1 $(($1 * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then fail "$2: the program still runs after $1 s"; fi
  status=0; wait "$pid" || status=$?
  pid=""
}
