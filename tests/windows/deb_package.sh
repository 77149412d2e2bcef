#!/usr/bin/env bash
# The Debian package as a player gets it: lintian passes it, apt resolves its dependencies, it
# holds exactly what `make install` installs (placed as Debian places games) and Debian's own
# files, and unpacked into a temporary root (the machine unchanged) its launcher starts the game
# in a virtual display with a temporary HOME: without a sequencer, and with one where the launcher
# starts a synthesizer (a stand-in) that must be gone when the game is.
#   deb_package.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=exe_driver.sh
. "$root/tests/windows/exe_driver.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/shinkei-deb.XXXXXX")
game_pid=
cleanup() {
    end_launched_game
    if [[ -f $work/synth.pid ]]; then kill "$(cat "$work/synth.pid")" 2>/dev/null || true; fi
    stop_xvfb 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

deb=$("$root/scripts/deb" | tail -1)
[[ $(basename "$deb") == shinkei_1.27-1_all.deb ]] || fail "the package is named $(basename "$deb")"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

# lintian: no error and no warning (the overrides carry their reasons).
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 || fail "lintian: $(cat "$work/lintian")"
grep -q '^[EW]:' "$work/lintian" && fail "lintian: $(cat "$work/lintian")"
echo "lintian: no error and no warning."

apt-get install --simulate "$deb" >"$work/apt" 2>&1 || fail "apt cannot install it: $(tail -5 "$work/apt")"
grep -q '^Inst shinkei ' "$work/apt" || grep -q 'shinkei is already the newest' "$work/apt" ||
    fail "apt's simulation installs no shinkei: $(tail -5 "$work/apt")"
echo "apt resolves its dependencies."

# The package's files against `make install`'s for the prefix /usr, mapped to Debian's places.
DESTDIR=$work/inst PREFIX=/usr "$root/scripts/install" install >/dev/null
(cd "$work/inst" && find . -type f ! -name .created-folders) |
    sed -e 's|^\./usr/bin/|./usr/games/|' -e 's|^\./usr/share/shinkei/|./usr/share/games/shinkei/|' |
    sort >"$work/installed"
printf '%s\n' ./usr/share/doc/shinkei/copyright ./usr/share/doc/shinkei/changelog.Debian.gz \
    ./usr/share/man/man6/shinkei.6.gz ./usr/share/lintian/overrides/shinkei >>"$work/installed"
sort -o "$work/installed" "$work/installed"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$work/packaged"
diff "$work/installed" "$work/packaged" >"$work/list.diff" ||
    fail "the package's files differ from make install's (< install, > package): $(cat "$work/list.diff")"
dpkg -x "$deb" "$work/root"
while read -r file; do
    case $file in
    ./usr/share/applications/*)
        grep -qx 'Exec=/usr/games/shinkei' "$work/root/$file" || fail "the entry starts no /usr/games/shinkei" ;;
    ./usr/games/* | ./usr/share/games/* | ./usr/share/icons/*)
        original=$(sed -e 's|^\./usr/games/|./usr/bin/|' -e 's|/share/games/shinkei/|/share/shinkei/|' <<<"$file")
        cmp -s "$work/inst/$original" "$work/root/$file" || fail "$file differs from make install's" ;;
    esac
done <"$work/packaged"
zcat "$work/root/usr/share/man/man6/shinkei.6.gz" | grep -q '^\.TH SHINKEI 6' || fail "no manual page"
echo "The package holds make install's $(wc -l <"$work/packaged") files, mapped, and Debian's own."

# Started from the unpacked package, as a player would from the menu.
export HOME=$work/home
unset XDG_DATA_HOME
mkdir -p "$HOME"
# shellcheck source=../../scripts/xvfb
. "$root/scripts/xvfb"
start_xvfb || fail "no virtual X display"
launcher=$work/root/usr/games/shinkei

# The launcher as Debian installs it, for each start below.
start_game() {  # name of the start
    start_launched_game "$1" 神経衰弱 "$launcher"
}

# The machine has no sequencer: the first start makes the prefix, the second reuses it.
start_game "First start (makes the prefix)"
[[ -f $HOME/.local/share/shinkei/wine/.shinkei-recipe ]] || fail "no Wine prefix in the player's data"
export SHINKEI_SEQ_DEVICE=$work/no-seq
start_game "Start without a sequencer"
grep -q 'without its music' "$work/Start without a sequencer.log" || fail "no word of the missing music"

# A sequencer with no synthesizer: the launcher runs FluidSynth (here a stand-in that offers its
# port and runs until its input ends or it is stopped) for the game, and stops it after.
touch "$work/seq"
printf 'Client   0 : "System" [Kernel]\n  Port   0 : "Timer" (Rwe-)\n' >"$work/clients"
cat >"$work/fluidsynth" <<EOF
#!/usr/bin/env bash
echo "\$\$" >"$work/synth.pid"
printf 'Client 128 : "FLUID Synth (1)" [User Legacy]\n  Port   0 : "Synth input port (1:0)" (-We-)\n' >>"$work/clients"
exec cat >/dev/null
EOF
chmod +x "$work/fluidsynth"
export SHINKEI_SEQ_DEVICE=$work/seq SHINKEI_SEQ_CLIENTS=$work/clients SHINKEI_FLUIDSYNTH=$work/fluidsynth
start_game "Start with a synthesizer to start"
[[ -f $work/synth.pid ]] || fail "the launcher started no synthesizer"
[[ ! -d /proc/$(cat "$work/synth.pid") ]] || fail "the synthesizer still runs after the game"
grep -q 'without its music' "$work/Start with a synthesizer to start.log" && fail "music said missing"
echo "The synthesizer ran for the game and ended with it."
