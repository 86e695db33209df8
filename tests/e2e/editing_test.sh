# Live editing under a real window manager: the fixed title reaches the title
# bar, and real keystrokes into the coin field of card row 2 redraw that row's
# coin label on the screen.
source "$(dirname "$0")/desktop.sh"

start_desktop 1920x1080
launch "$RATING_CARD"
window=$(wait_for_window)

echo "-- the window manager shows the fixed title"
expected='_NET_WM_NAME(UTF8_STRING) = "Qarnelo论坛签名档评分图片生成器 - By：Morvane"'
for _ in $(seq 100); do
  title=$(LC_ALL=C.UTF-8 xprop -id "$window" _NET_WM_NAME)
  [ "$title" = "$expected" ] && break
  sleep 0.05
done
echo "$title"
[ "$title" = "$expected" ] || fail "title: $title"

read -r x y _ _ <<<"$(client_geometry "$window")"
# 透明标签2, the coin label of card row 2, and 编辑框11, the coin field.
label_pixels() { "$SCREEN_PIXELS" $((x + 146)) $((y + 136)) 100 13 | md5sum; }

focus_window "$window"
xdotool mousemove $((x + 176 + 36)) $((y + 408 + 10)) click 1
sleep 0.2
starting=$(label_pixels)

echo "-- typing into the coin field redraws the coin label"
xdotool type --delay 50 "88"
sleep 0.3
typed=$(label_pixels)
[ "$typed" != "$starting" ] || fail "the coin label did not change"

echo "-- typing the starting caption again gives the starting pixels"
xdotool key ctrl+a
xdotool type --delay 50 "+ 9999"
sleep 0.3
[ "$(label_pixels)" = "$starting" ] || fail "the coin label differs from its start after typing + 9999"

close_with_escape
echo "PASS"
