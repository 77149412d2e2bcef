#!/usr/bin/env bash
# shinkei.exe end to end in a virtual X display: the board window appears with its caption, a
# screenshot is saved, the keyboard turns a card, and Exit chosen through the menu's access keys
# (Alt+G, E) ends the program with exit code 0.
#   exe_session.sh path/to/shinkei.exe [screenshot.png]
set -euo pipefail
exe=${1:?usage: exe_session.sh shinkei.exe [screenshot.png]}
root=$(cd "$(dirname "$0")/../.." && pwd)
shot=${2:-$root/build/exe_session.png}

# shellcheck source=exe_driver.sh
. "$root/tests/windows/exe_driver.sh"

"$root/scripts/wine" display
# shellcheck source=../../scripts/wine-env
. "$root/scripts/wine-env" display
# shellcheck source=../../scripts/xvfb
. "$root/scripts/xvfb"

game_pid=
log=$(mktemp "${TMPDIR:-/tmp}/exe_session.XXXXXX")
cleanup() {
    if [[ -n $game_pid ]] && kill -0 "$game_pid" 2>/dev/null; then
        kill "$game_pid" 2>/dev/null || true
    fi
    stop_xvfb
    rm -f "$log"
}
trap cleanup EXIT
start_xvfb || fail "no virtual X display"
wineserver -p5 </dev/null >/dev/null 2>&1 || true

started=$(now_ms)
wine "$exe" >"$log" 2>&1 </dev/null &
game_pid=$!
wait_for_board "$game_pid" "$log"
echo "Board window after $(($(now_ms) - started)) ms: $(xdotool getwindowname "$board")"
caption=$(xdotool getwindowname "$board")
[[ $caption == *"ポロネコ用特別仕様"* ]] || fail "caption lacks the edition: '$caption'"

# Let the first paint finish, then keep what the player sees.
deadline=$(($(now_ms) + 10000))
until [[ $(import -window root -crop 563x479+0+0 png:- 2>/dev/null | convert - -format %k info:) -gt 8 ]]; do
    (($(now_ms) < deadline)) || fail "the board stayed blank"
    sleep 0.1
done
mkdir -p "$(dirname "$shot")"
import -window root "$shot"
echo "Screenshot: $shot"

# The score window, an owned popup of the board, must be shown above it.
score=
for w in $(xdotool search --class shinkei.exe 2>/dev/null); do
    [[ $(xdotool getwindowname "$w" 2>/dev/null) == カード ]] && score=$w
done
[[ -n $score ]] || fail "no score window titled カード"
# xwininfo lists the root's children from the top of the stack down.
stack=$(xwininfo -root -children | grep -o -E '^ +0x[0-9a-f]+' | tr -d ' ')
score_at=$(grep -n -x "$(printf '0x%x' "$score")" <<<"$stack" | cut -d: -f1)
board_at=$(grep -n -x "$(printf '0x%x' "$board")" <<<"$stack" | cut -d: -f1)
[[ -n $score_at && -n $board_at ]] || fail "score or board window missing from the X stack"
((score_at < board_at)) || fail "the score window lies under the board window"
echo "Score window above the board window."

# The keyboard as a player uses it: the focus from the top-left card right and down, and Space
# turns the card at column 1, row 1.
before=$(card_pixels 1 1)
xdotool windowfocus --sync "$board"
xdotool key Right Down space
deadline=$(($(now_ms) + 5000))
until [[ $(card_pixels 1 1) != "$before" ]]; do
    (($(now_ms) < deadline)) || fail "Right, Down, Space turned no card at column 1, row 1"
    sleep 0.05
done
echo "Right, Down, Space turned the card at column 1, row 1."

# Exit as a player would: the Game menu by its access key, then the Exit item's.
exit_game "$game_pid"
game_pid=
echo "Exit through the menu ended shinkei.exe with code 0."
