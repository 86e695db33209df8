# The card window under a real window manager: placement, size, no maximize,
# and the exit status of each way to close it or fail.
source "$(dirname "$0")/desktop.sh"

start_desktop 1920x1080

echo "-- Esc closes with status 0"
launch "$RATING_CARD"
window=$(wait_for_window)
read -r x y width height <<<"$(client_geometry "$window")"
read -r left right top bottom <<<"$(frame_extents "$window")"
echo "client ${width}x${height} at ($x, $y), frame extents $left $right $top $bottom, frame at ($((x - left)), $((y - top)))"
[ "$width" = 625 ] && [ "$height" = 600 ] || fail "client size ${width}x${height}, expected 625x600"
[ "$((x - left))" = 644 ] && [ "$((y - top))" = 227 ] || fail "frame at ($((x - left)), $((y - top))), expected (644, 227)"
actions=$(xprop -id "$window" _NET_WM_ALLOWED_ACTIONS)
echo "$actions"
grep -q MAXIMIZE <<<"$actions" && fail "the window can be maximized"
grep -q _NET_WM_ACTION_MINIMIZE <<<"$actions" || fail "the window cannot be minimized"
grep -q _NET_WM_ACTION_CLOSE <<<"$actions" || fail "the window cannot be closed"
echo "-- a double click on the title bar does not maximize"
xdotool mousemove $((x + 300)) $((y - top / 2)) click --repeat 2 --delay 80 1
sleep 0.5
[ "$(client_geometry "$window")" = "$x $y $width $height" ] || fail "the title bar double click changed the window: $(client_geometry "$window")"
xprop -id "$window" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "no 32 x 32 icon"
focus_window "$window"
xdotool key shift+Escape
sleep 0.3
kill -0 "$APP_PID" 2>/dev/null || fail "Shift+Esc closed the window"
xdotool key Escape
wait_for_exit
status=$EXIT_STATUS
echo "exit status $status"
[ "$status" = 0 ] || fail "Esc: exit status $status"
[ -s "$E2E_TMP/app.out" ] && fail "the program wrote to the terminal: $(cat "$E2E_TMP/app.out")"

echo "-- Alt+F4 through the window manager closes with status 0"
launch "$RATING_CARD"
window=$(wait_for_window)
focus_window "$window"
xdotool key alt+F4
wait_for_exit
status=$EXIT_STATUS
echo "exit status $status"
[ "$status" = 0 ] || fail "Alt+F4: exit status $status"

echo "-- the command line is ignored, toolkit options included"
# The window background between the grid and the right edge of the client area.
background_pixel() { "$SCREEN_PIXELS" $((x + 612)) $((y + 360)) 1 1; }
launch "$RATING_CARD"
window=$(wait_for_window)
read -r x y _ _ <<<"$(client_geometry "$window")"
sleep 0.3
plain=$(background_pixel)
focus_window "$window"
xdotool key Escape
wait_for_exit
printf 'QWidget { background: rgb(255, 0, 0); }\n' >"$E2E_TMP/red.qss"
launch "$RATING_CARD" -stylesheet "$E2E_TMP/red.qss" -reverse -qwindowgeometry 200x100+0+0
window=$(wait_for_window)
read -r x y width height <<<"$(client_geometry "$window")"
sleep 0.3
[ "$width" = 625 ] && [ "$height" = 600 ] || fail "with arguments: client size ${width}x${height}"
[ "$(background_pixel)" = "$plain" ] || fail "with arguments: background $(background_pixel), expected $plain"
focus_window "$window"
xdotool key Escape
wait_for_exit
[ "$EXIT_STATUS" = 0 ] || fail "with arguments: exit status $EXIT_STATUS"

echo "-- a failed window build shows the error box and exits with status 255"
launch "$FAILING_BUILD"
box=$(wait_for_window "错误")
focus_window "$box"
xdotool key Return
wait_for_exit
status=$EXIT_STATUS
echo "exit status $status"
[ "$status" = 255 ] || fail "failed build: exit status $status"

echo "-- on an 800 x 600 screen the frame stands at (84, -12)"
start_desktop 800x600
launch "$RATING_CARD"
window=$(wait_for_window)
read -r x y width height <<<"$(client_geometry "$window")"
read -r left right top bottom <<<"$(frame_extents "$window")"
echo "client ${width}x${height} at ($x, $y), frame at ($((x - left)), $((y - top)))"
[ "$((x - left))" = 84 ] && [ "$((y - top))" = -12 ] || fail "frame at ($((x - left)), $((y - top))), expected (84, -12)"
focus_window "$window"
xdotool key Escape
wait_for_exit
status=$EXIT_STATUS
[ "$status" = 0 ] || fail "Esc on the small screen: exit status $status"

echo "PASS"
