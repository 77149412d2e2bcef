#!/usr/bin/env bash
# shinkei.exe's sound cues as a player hears them: the game runs under Wine in a virtual X display
# and plays into a private PulseAudio server whose null sink is recorded, and each claim compares
# what the sink received with the cue file's own samples (tests/windows/sound_match.py):
#   - "open.wav" plays at start-up;
#   - a click on a card is heard within 300 ms, and the second card of the turn gives OK or NO;
#   - after ゲーム→サウンド a click is silent, and choosing it again brings the cues back;
#   - with the WAV files gone, the game starts, turns cards and ends without a hang.
# The server has its own folder, socket and sink, and Wine's ALSA driver is off, so nothing
# reaches the machine's own sound devices or the user's sound server.
#   sound_capture.sh path/to/shinkei.exe    (its sound files lie beside it)
set -euo pipefail
exe=${1:?usage: sound_capture.sh shinkei.exe}
root=$(cd "$(dirname "$0")/../.." && pwd)
match="$root/tests/windows/sound_match.py"
# shellcheck source=exe_driver.sh
. "$root/tests/windows/exe_driver.sh"

echo "-- the judge: a cue is known through a gap, and the other cue is not taken for it"
python3 "$match" selfcheck "$(dirname "$exe")"/{NO,OK}.wav || fail "the matcher is wrong"

if ! command -v pulseaudio >/dev/null; then
    if [[ $(dpkg-query -W -f='${db:Status-Status}' pipewire-pulse 2>/dev/null) == installed ]]; then
        echo "SKIP: PipeWire serves sound here and Debian installs no pulseaudio beside it, so" \
            "there is no private server to record the game's cues from."
        exit 77
    fi
    fail "pulseaudio is missing: run scripts/setup"
fi

private=$(mktemp -d "${TMPDIR:-/tmp}/shinkei-sound.XXXXXX")
game_pid='' pulse_pid='' record_pid=''
cleanup() {
    local status=$? pid
    if ((status == 1)) && [[ -s $private/capture.raw ]]; then
        cp "$private/capture.raw" "$root/build/sound_capture.raw"
        echo "What the sink received: build/sound_capture.raw (s16le, mono, 22050 Hz)" >&2
    fi
    for pid in $game_pid $record_pid $pulse_pid; do
        if kill "$pid" 2>/dev/null; then
            wait "$pid" 2>/dev/null || true
        fi
    done
    stop_xvfb
    rm -rf "$private"
}
trap cleanup EXIT

# Every program that talks to the server finds it, its cookie and its settings in $private.
mkdir -p "$private/home" "$private/run" "$private/game"
export PULSE_SERVER="unix:$private/run/native" PULSE_COOKIE="$private/cookie"
pulse=(env HOME="$private/home" XDG_CONFIG_HOME="$private/home/.config"
    XDG_RUNTIME_DIR="$private/run")
"${pulse[@]}" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --log-target="file:$private/pulseaudio.log" \
    -L "module-null-sink sink_name=cap" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$private/run/native" \
    </dev/null >/dev/null 2>&1 &
pulse_pid=$!
deadline=$(($(now_ms) + 10000))
until "${pulse[@]}" pactl info >/dev/null 2>&1; do
    kill -0 "$pulse_pid" 2>/dev/null || fail "pulseaudio did not start: $(cat "$private/pulseaudio.log")"
    (($(now_ms) < deadline)) || fail "pulseaudio did not answer within 10 s"
    sleep 0.05
done

# What the sink plays, as raw 16-bit mono at the cues' own rate, in real time.
capture="$private/capture.raw"
"${pulse[@]}" parec -d cap.monitor --raw --format=s16le --rate=22050 --channels=1 --latency-msec=10 \
    >"$capture" 2>"$private/parec.log" </dev/null &
record_pid=$!
mark() { stat -c %s "$capture"; }
heard() {  # mark, seconds, cue files...
    local from=$1 within=$2
    shift 2
    python3 "$match" heard "$capture" "$from" "$within" "${@/#/$private/game/}"
}
silent() { python3 "$match" silent "$capture" "$1" "$2"; }

"$root/scripts/wine" audio
# shellcheck source=../../scripts/wine-env
. "$root/scripts/wine-env" audio
export WINEDLLOVERRIDES="winealsa.drv,wineoss.drv=d;$WINEDLLOVERRIDES"
# shellcheck source=../../scripts/xvfb
. "$root/scripts/xvfb"
start_xvfb || fail "no virtual X display"
wineserver -p5 </dev/null >/dev/null 2>&1 || true
cp "$exe" "$(dirname "$exe")"/{open.wav,OK.wav,NO.wav,vormidal.mid} "$private/game/"
cd "$private/game"
deadline=$(($(now_ms) + 5000))
until (($(mark) > 0)); do
    (($(now_ms) < deadline)) || fail "nothing recorded from the null sink: $(cat "$private/parec.log")"
    sleep 0.05
done

start_game() {
    wine shinkei.exe >"$private/wine.log" 2>&1 </dev/null &
    game_pid=$!
    wait_for_board "$game_pid" "$private/wine.log"
    sleep 1
}

echo "-- start-up"
from=$(mark)
start_game
heard "$from" 30 open.wav || fail "open.wav was not heard at start-up"

echo "-- a card turned, then the second card of the turn"
from=$(mark)
click_card 0 0
sleep 1
heard "$from" 0.3 open.wav || fail "the first card's open.wav was not heard within 300 ms"
from=$(mark)
click_card 1 0
sleep 1
heard "$from" 0.3 OK.wav NO.wav || fail "the second card gave neither OK.wav nor NO.wav"
sleep 1  # the turn is resolved 1.5 s after its second card

echo "-- sound off: a card turned in silence; sound on: the next card heard again"
choose_game_item s
sleep 0.5
from=$(mark)
click_card 2 0
sleep 1
silent "$from" 0.8 || fail "a card was heard with the sound off"
choose_game_item s
sleep 0.5
from=$(mark)
click_card 3 0
sleep 1
heard "$from" 0.3 OK.wav NO.wav || fail "the sound did not come back on"
exit_game "$game_pid"
game_pid=

echo "-- no WAV files beside the game"
rm open.wav OK.wav NO.wav
started=$(now_ms)
from=$(mark)
start_game
echo "board window after $(($(now_ms) - started)) ms"
# Windows would play its default sound instead; Wine has none to play. Told, not required.
echo -n "in place of the missing open.wav: "
{ silent "$from" 1 || true; } | head -1
for column in 0 1; do
    before=$(card_pixels "$column" 0)
    click_card "$column" 0
    deadline=$(($(now_ms) + 2000))
    until [[ $(card_pixels "$column" 0) != "$before" ]]; do
        (($(now_ms) < deadline)) || fail "the card in column $column was not turned within 2 s"
        sleep 0.05
    done
done
sleep 2
exit_game "$game_pid"
game_pid=
echo "turned two cards and ended through the menu with code 0"
