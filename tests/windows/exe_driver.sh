# shellcheck shell=bash
# Source this to drive shinkei.exe in a virtual X display as a player would (with xdotool).
# The caller has started the display (scripts/xvfb) and chosen its Wine prefix (scripts/wine-env).

board=''  # the board window, once wait_for_board has found it

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# The board window: a window of the program's class (its file name) whose title holds $1,
# 神経衰弱 unless told otherwise (the English caption begins "Shinkei").
board_window() {  # [part of the title]
    local w
    for w in $(xdotool search --class shinkei.exe 2>/dev/null); do
        if [[ $(xdotool getwindowname "$w" 2>/dev/null) == *"${1:-神経衰弱}"* ]]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

# Waits up to 30 s for the board window of the game running as process $1; sets `board`.
wait_for_board() {  # game pid, its output file
    local deadline=$(($(now_ms) + 30000))
    until board=$(board_window); do
        kill -0 "$1" 2>/dev/null || fail "shinkei.exe ended before showing its window: $(cat "$2")"
        (($(now_ms) < deadline)) || fail "no window of class shinkei.exe titled 神経衰弱 within 30 s"
        sleep 0.01
    done
}

# Chooses an item of the Game menu by its access key, as a player would: Alt+G, then the key.
choose_game_item() {  # key
    local before deadline
    xdotool windowfocus --sync "$board"
    before=$(xdotool search --class shinkei.exe | wc -l)
    xdotool key alt+g
    deadline=$(($(now_ms) + 5000))
    until (($(xdotool search --class shinkei.exe | wc -l) > before)); do
        (($(now_ms) < deadline)) || fail "Alt+G opened no menu"
        sleep 0.01
    done
    xdotool key "$1"
}

# Window pixels of the card at column $1, row $2: Wine draws the frame itself, so the client
# area starts 3 pixels right of the window's edge and 41 below it (frame, caption, menu bar).
card_x() { echo $((3 + 12 + 60 * $1)); }
card_y() { echo $((41 + 6 + 70 * $1)); }

click_card() {  # column, row
    xdotool mousemove --window "$board" $(($(card_x "$1") + 24)) $(($(card_y "$2") + 32)) click 1
}

# A fingerprint of what the card at column $1, row $2 shows.
card_pixels() {
    import -window "$board" -crop "48x64+$(card_x "$1")+$(card_y "$2")" +repage png:- 2>/dev/null |
        md5sum
}

# A start as the player makes it through an installed launcher: the command ("$@" after the
# start's name and part of the board's title) in the background as $game_pid, its output in
# "$work/NAME.log"; up to 120 s for the board window (Wine may first make the player's prefix),
# then Exit through the menu. Prints the milliseconds to the board window.
start_launched_game() {  # name of the start, part of the board's title, command...
    # shellcheck disable=SC2154  # $work: the caller's temporary folder
    local name=$1 title=$2 started log=$work/$1.log
    shift 2
    started=$(now_ms)
    "$@" >"$log" 2>&1 </dev/null &
    game_pid=$!
    until board=$(board_window "$title"); do
        kill -0 "$game_pid" 2>/dev/null || fail "$name: the launcher ended: $(tail -5 "$log")"
        (($(now_ms) < started + 120000)) || fail "$name: no board window within 120 s"
        sleep 0.01
    done
    echo "$name: board window after $(($(now_ms) - started)) ms."
    sleep 0.5
    exit_game "$game_pid"
    game_pid=
}

# What a launched game may leave when a test ends early: the launcher, if it still runs, and the
# player's Wine server, which must go before the temporary folder with its prefix does.
end_launched_game() {
    if [[ -n ${game_pid:-} ]] && kill -0 "$game_pid" 2>/dev/null; then
        kill "$game_pid" 2>/dev/null || true
    fi
    WINEPREFIX=$work/home/.local/share/shinkei/wine wineserver -k 2>/dev/null || true
}

# Exit through the Game menu (Alt+G, E); fails unless the game ends with code 0 within 10 s.
exit_game() {  # game pid
    local deadline status=0
    choose_game_item e
    deadline=$(($(now_ms) + 10000))
    while kill -0 "$1" 2>/dev/null; do
        (($(now_ms) < deadline)) || fail "shinkei.exe still running 10 s after Exit was chosen"
        sleep 0.01
    done
    wait "$1" || status=$?
    ((status == 0)) || fail "shinkei.exe ended with code $status, expected 0"
}
