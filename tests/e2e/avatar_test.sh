# An avatar typed by name: a PNG lying beside the program shows in the 24 x 24
# avatar of card row 1, and one more letter empties it again.
source "$(dirname "$0")/desktop.sh"

# 32 x 32, every pixel RGB (200, 30, 50).
avatar_png='iVBORw0KGgoAAAANSUhEUgAAACAAAAAgCAIAAAD8GO2jAAAAKklEQVR42mM4IWdEU8QwasGoBaMWjFowasGoBaMWjFowasGoBaMWDBULAPInYD1jOU9wAAAAAElFTkSuQmCC'
avatar_colour='#c81e32'
avatar_name="e2e-avatar-$$.png"
beside_program "$avatar_name" "$avatar_png"

start_desktop 1920x1080
open_card_window
empty=$(avatar_colours)
[ "$(wc -l <<<"$empty")" = 1 ] || fail "the empty avatar is not one plain colour: $empty"

echo "-- the name of a PNG beside the program shows it"
# Into the avatar field of card row 1, at 8, 384, 72 x 21 in the window.
xdotool mousemove $((x + 44)) $((y + 394)) click 1
xdotool type --delay 40 "$avatar_name"
sleep 0.5
shown=$(avatar_colours)
[ "$shown" = "$avatar_colour" ] || fail "the avatar shows $(tr '\n' ' ' <<<"$shown")instead of $avatar_colour"

echo "-- one more letter empties it"
xdotool type "x"
sleep 0.5
[ "$(avatar_colours)" = "$empty" ] || fail "the avatar shows $(avatar_colours | tr '\n' ' ')after one more letter"

close_with_escape
echo "passed"
