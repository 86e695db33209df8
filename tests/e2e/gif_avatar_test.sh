# An animated GIF avatar: typed by name, it plays by itself (both frames show
# in turn without any input), and closing the window while it plays ends the
# program normally, with status 0 and nothing on the terminal.
source "$(dirname "$0")/desktop.sh"

# 4 x 4, two frames of 200 ms: RGB (200, 30, 50), then RGB (30, 50, 200).
avatar_gif='R0lGODlhBAAEAPAAAMgeMh4yyCH5BAAUAAAALAAAAAAEAAQAAAIEhI8JBQAh+QQAFAAAACwAAAAABAAEAAACBIyPGQUAOw=='
first_colour='#c81e32'
second_colour='#1e32c8'
avatar_name="e2e-avatar-$$.gif"
beside_program "$avatar_name" "$avatar_gif"

start_desktop 1920x1080
open_card_window

echo "-- the GIF plays by itself"
# Into the avatar field of card row 1, at 8, 384, 72 x 21 in the window.
xdotool mousemove $((x + 44)) $((y + 394)) click 1
xdotool type --delay 40 "$avatar_name"
seen=""
for _ in $(seq 40); do
  seen+="$(avatar_colours)"$'\n'
  sleep 0.05
done
grep -qx "$first_colour" <<<"$seen" || fail "the first frame never showed: $(sort -u <<<"$seen" | tr '\n' ' ')"
grep -qx "$second_colour" <<<"$seen" || fail "the second frame never showed: $(sort -u <<<"$seen" | tr '\n' ' ')"

echo "-- Esc while it plays closes with status 0"
close_with_escape
echo "passed"
