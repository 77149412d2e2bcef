#!/usr/bin/env bash
# scripts/synth on the machines players have, with no sound card: the sequencer and its clients
# are files here, FluidSynth a stand-in that behaves as it does (it puts a synthesizer port on the
# sequencer and runs until its input ends or it is stopped), and the game a short command.
#   synth_cases.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
synth=$root/scripts/synth

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
alive() {  # pid: running, not a zombie waiting for its parent
    [[ -r /proc/$1/stat ]] && [[ $(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) != Z ]]
}

work=$(mktemp -d "${TMPDIR:-/tmp}/shinkei-synth.XXXXXX")
cleanup() {
    local pid
    for pid in $(cat "$work"/*.pid 2>/dev/null); do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# The sequencer as the kernel lists it with no sound card: System and Midi Through only.
cat >"$work/clients.none" <<'EOF'
Client info
  cur  clients : 2
  peak clients : 2
  max  clients : 192

Client   0 : "System" [Kernel]
  Port   0 : "Timer" (Rwe-)
  Port   1 : "Announce" (R-e-)
Client  14 : "Midi Through" [Kernel]
  Port   0 : "Midi Through Port-0" (RWe-)
EOF
synth_lines='Client 128 : "FLUID Synth (4242)" [User Legacy]
  Port   0 : "Synth input port (4242:0)" (-We-)'

cat >"$work/fluidsynth" <<EOF
#!/usr/bin/env bash
echo "\$\$" >"$work/synth.pid"
echo "\$*" >"$work/synth.args"
printf '%s\n' '$synth_lines' >>"\$SHINKEI_SEQ_CLIENTS"
exec cat >/dev/null
EOF
chmod +x "$work/fluidsynth"
touch "$work/seq"

# The game: notes whether the synthesizer runs while it plays, then ends with the given status.
cat >"$work/game" <<EOF
#!/usr/bin/env bash
echo \$\$ >"$work/game.pid"
if [[ -f $work/synth.pid ]] && kill -0 "\$(cat "$work/synth.pid")" 2>/dev/null; then
    echo with >"$work/game.heard"
else
    echo without >"$work/game.heard"
fi
((\${2:-0} == 0)) || exec sleep "\$2"
exit "\$1"
EOF
chmod +x "$work/game"

run() {  # clients file, then the command; output to $work/out
    rm -f "$work"/synth.* "$work"/game.*
    cp "$1" "$work/clients"
    "$synth" "${@:2}" >"$work/out" 2>&1
}
export SHINKEI_SEQ_DEVICE=$work/seq SHINKEI_SEQ_CLIENTS=$work/clients SHINKEI_FLUIDSYNTH=$work/fluidsynth

# A sequencer with no synthesizer: FluidSynth plays on it for the game's lifetime, and the game's
# status comes back.
status=0
run "$work/clients.none" "$work/game" 3 || status=$?
((status == 3)) || fail "the game's status 3 came back as $status"
[[ -f $work/synth.pid ]] || fail "no FluidSynth started: $(cat "$work/out")"
grep -q -- '-m alsa_seq' "$work/synth.args" && grep -q 'FluidR3_GM.sf2' "$work/synth.args" ||
    fail "FluidSynth started as: $(cat "$work/synth.args")"
[[ $(cat "$work/game.heard") == with ]] || fail "the game started before FluidSynth"
! alive "$(cat "$work/synth.pid")" || fail "FluidSynth still runs after the game"
[[ ! -s $work/out ]] || fail "said, with music: $(cat "$work/out")"
echo "Sequencer without synthesizer: FluidSynth ran for the game and stopped with it."

# A synthesizer already there: used as it is.
{ cat "$work/clients.none"; echo "$synth_lines"; } >"$work/clients.synth"
run "$work/clients.synth" "$work/game" 0 || fail "the game failed: $(cat "$work/out")"
[[ ! -f $work/synth.pid ]] || fail "FluidSynth started beside a synthesizer already there"
echo "Synthesizer already on the sequencer: used, none started."

# No sequencer, or no FluidSynth: one line says so, and the game plays on.
SHINKEI_SEQ_DEVICE=$work/no-seq run "$work/clients.none" "$work/game" 0 ||
    fail "the game failed without a sequencer"
[[ ! -f $work/synth.pid && $(cat "$work/game.heard") == without ]] || fail "FluidSynth without sequencer"
[[ $(wc -l <"$work/out") == 1 ]] && grep -q 'without its music' "$work/out" ||
    fail "without a sequencer it said: $(cat "$work/out")"
SHINKEI_FLUIDSYNTH=$work/not-installed run "$work/clients.none" "$work/game" 0 ||
    fail "the game failed without FluidSynth"
[[ $(wc -l <"$work/out") == 1 ]] && grep -q 'without its music' "$work/out" ||
    fail "without FluidSynth it said: $(cat "$work/out")"
echo "No sequencer, or no FluidSynth: one line, and the game played."

# The launcher ended while the game runs, politely and outright: nothing may be left running.
for signal in TERM KILL; do
    rm -f "$work"/synth.* "$work"/game.*
    cp "$work/clients.none" "$work/clients"
    "$synth" "$work/game" 0 60 >"$work/out" 2>&1 &
    launcher=$!
    for _ in $(seq 1 100); do
        [[ -f $work/game.pid ]] && break
        sleep 0.05
    done
    [[ -f $work/game.pid && -f $work/synth.pid ]] || fail "$signal: the game did not start"
    kill "-$signal" "$launcher"
    wait "$launcher" 2>/dev/null || true
    for _ in $(seq 1 40); do
        alive "$(cat "$work/synth.pid")" || break
        sleep 0.05
    done
    ! alive "$(cat "$work/synth.pid")" || fail "FluidSynth outlived a launcher ended by $signal"
    if [[ $signal == TERM ]]; then
        ! alive "$(cat "$work/game.pid")" || fail "the game outlived a launcher ended by TERM"
    fi
    kill "$(cat "$work/game.pid")" 2>/dev/null || true
done
echo "Launcher ended by TERM or KILL: FluidSynth ended with it."
