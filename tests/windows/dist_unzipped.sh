#!/usr/bin/env bash
# The Windows zip as a player gets it: unpacked into an empty folder and started from there
# under Wine, the game shows its window and finds its sound files beside itself (Wine's winmm
# trace shows each file opened as RIFF WAVE, and the music file opened). README.txt is UTF-8 in
# both languages and explains every item of the menu.
#   dist_unzipped.sh build/windows [screenshot.png]
set -euo pipefail
build=${1:?usage: dist_unzipped.sh build-folder [screenshot.png]}
root=$(cd "$(dirname "$0")/../.." && pwd)
shot=${2:-$build/dist_unzipped.png}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }

zip_file=$("$root/scripts/dist" "$build" | tail -1) || fail "scripts/dist failed"
player=$(mktemp -d "${TMPDIR:-/tmp}/shinkei-player.XXXXXX")
game_pid=
cleanup() {
    if [[ -n $game_pid ]] && kill -0 "$game_pid" 2>/dev/null; then
        kill "$game_pid" 2>/dev/null || true
    fi
    stop_xvfb 2>/dev/null || true
    rm -rf "$player"
}
trap cleanup EXIT
unzip -q "$zip_file" -d "$player/遊び"

# The player's read-me: UTF-8 with a byte-order mark, Japanese and English, every menu item.
readme=$player/遊び/README.txt
[[ $(head -c 3 "$readme" | od -An -tx1 | tr -d ' ') == efbbbf ]] || fail "README.txt has no BOM"
iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null || fail "README.txt is not UTF-8"
grep -q '遊び方' "$readme" && grep -q 'How to play' "$readme" || fail "README.txt lacks a language"
while IFS= read -r label; do
    grep -qF "${label//&/}" "$readme" || fail "README.txt does not explain the menu item '$label'"
done < <(sed -n 's/^ *\(POPUP\|MENUITEM\) "\([^"]*\)".*/\2/p' "$root/res/shinkei.rc")

"$root/scripts/wine" display
# shellcheck source=../../scripts/wine-env
. "$root/scripts/wine-env" display
# shellcheck source=../../scripts/xvfb
. "$root/scripts/xvfb"
start_xvfb || fail "no virtual X display"

# Started as Explorer starts it: in its own folder.
log=$player/wine.log
cd "$player/遊び"
started=$(now_ms)
WINEDEBUG=trace+winmm,trace+mci wine shinkei.exe >"$log" 2>&1 </dev/null &
game_pid=$!
board=
until board=$(xdotool search --name 'ポロネコ用特別仕様' 2>/dev/null | head -1) && [[ -n $board ]]; do
    kill -0 "$game_pid" 2>/dev/null || fail "shinkei.exe ended before showing its window"
    (($(now_ms) < started + 30000)) || fail "no board window within 30 s"
    sleep 0.05
done
echo "Board window after $(($(now_ms) - started)) ms."

# Two cards turned: the first plays open.wav, the second OK.wav or NO.wav. The client area
# lies 3 pixels right of and 41 below the window's origin; a card is 48 x 64 at (12 + 60c, 6 + 70r).
sleep 1
for column in 0 1; do
    xdotool mousemove --window "$board" $((3 + 12 + 60 * column + 24)) $((41 + 6 + 32)) click 1
    sleep 0.3
done
sleep 0.5
import -window root "$shot"

found() {  # file name: opened by PlaySound as a RIFF WAVE before the next sound begins
    awk -v name="SoundName=L\"$1\"" '
        index($0, "SoundName=") { playing = index($0, name) > 0 }
        playing && /ParentChunk ckid=RIFF fccType=WAVE/ { hit = 1 }
        END { exit !hit }' "$log"
}
found open.wav || fail "open.wav was not found beside the exe: $(grep -i -m5 'wav' "$log")"
found OK.wav || found NO.wav || fail "neither OK.wav nor NO.wav was found: $(grep -i -m5 'wav' "$log")"
# MCI parses the play command against the device only when opening the file succeeded.
grep -q 'verb=L"play" on dev=L"vormidal.mid"' "$log" || fail "the music vormidal.mid was not found"
echo "Sound files found beside the exe: open.wav, $(found OK.wav && echo OK.wav || echo NO.wav), vormidal.mid."

xdotool windowfocus --sync "$board"
xdotool key alt+g
sleep 0.3
xdotool key e
for _ in $(seq 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end through its menu"
game_pid=
echo "Screenshot: $shot"
