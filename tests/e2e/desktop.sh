# Shared helpers of the end-to-end tests: a private X display with openbox,
# the program under test, its window and its exit status.
set -euo pipefail

E2E_TMP=$(mktemp -d)
XVFB_PID=
WM_PID=
APP_PID=
BESIDE_PROGRAM=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

stop_desktop() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$E2E_TMP"
  ((${#BESIDE_PROGRAM[@]} == 0)) || rm -f "${BESIDE_PROGRAM[@]}"
}
trap stop_desktop EXIT

# start_desktop [WIDTHxHEIGHT]: Xvfb on a free display number, then openbox;
# a desktop started before is stopped first.
start_desktop() {
  local size=${1:-1920x1080}
  if [ -n "$XVFB_PID" ]; then
    kill "$WM_PID" "$XVFB_PID" 2>/dev/null || true
    wait "$WM_PID" "$XVFB_PID" 2>/dev/null || true
    : >"$E2E_TMP/display"
  fi
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$E2E_TMP/display" 2>/dev/null &
  XVFB_PID=$!
  for _ in $(seq 300); do
    [ -s "$E2E_TMP/display" ] && break
    sleep 0.1
  done
  [ -s "$E2E_TMP/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$E2E_TMP/display")"
  unset WAYLAND_DISPLAY
  export QT_QPA_PLATFORM=xcb
  openbox --sm-disable >/dev/null 2>&1 &
  WM_PID=$!
  for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  fail "openbox did not start"
}

# launch PROGRAM: starts it with its output kept in $E2E_TMP/app.out.
launch() {
  "$@" >"$E2E_TMP/app.out" 2>&1 &
  APP_PID=$!
}

# wait_for_window [NAME]: prints the id of the program's visible top-level
# window, or of the visible window with that exact name.
wait_for_window() {
  local id
  for _ in $(seq 600); do
    if [ -n "${1:-}" ]; then
      id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    else
      id=$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | head -n1 || true)
    fi
    if [ -n "$id" ] && xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; then
      echo "$id"
      return 0
    fi
    sleep 0.05
  done
  fail "no window appeared"
}

# wait_for_exit: sets EXIT_STATUS to the program's exit status; fails after
# 30 seconds. Runs in the test's own shell, which alone can wait for the program.
wait_for_exit() {
  for _ in $(seq 600); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$APP_PID" 2>/dev/null && fail "the program did not end"
  EXIT_STATUS=0
  wait "$APP_PID" || EXIT_STATUS=$?
  APP_PID=
}

# The window's client rectangle on the screen: "X Y WIDTH HEIGHT".
client_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
                           /^  Width/ {w=$2} /^  Height/ {h=$2} END {print x, y, w, h}'
}

# The window manager's frame extents: "LEFT RIGHT TOP BOTTOM".
frame_extents() {
  xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g'
}

# focus_window ID: gives the window the keyboard focus, so that real
# keystrokes reach it.
focus_window() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
  sleep 0.2
}

# beside_program NAME BASE64: writes the decoded bytes into a file beside the
# program under test, removed when the test ends.
beside_program() {
  local path
  path="$(dirname "$RATING_CARD")/$1"
  BESIDE_PROGRAM+=("$path")
  base64 -d <<<"$2" >"$path"
}

# open_card_window: starts the program, waits for its window and gives it the
# focus; sets window, and x and y, the top-left of its client area on screen.
open_card_window() {
  launch "$RATING_CARD"
  window=$(wait_for_window)
  read -r x y _ _ <<<"$(client_geometry "$window")"
  focus_window "$window"
}

# avatar_colours: the distinct colours of card row 1's avatar, one a line.
avatar_colours() {
  "$SCREEN_PIXELS" $((x + 22)) $((y + 96)) 24 24 | sort -u
}

# close_with_escape: Esc ends the program with status 0 and nothing written
# to the terminal.
close_with_escape() {
  xdotool key Escape
  wait_for_exit
  [ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"
  [ ! -s "$E2E_TMP/app.out" ] || fail "the program wrote to the terminal: $(cat "$E2E_TMP/app.out")"
}
