#!/usr/bin/env bash
# The Linux desktop install as a player gets it: installed into a temporary DESTDIR, with a
# temporary HOME, the desktop entry validates, and the launcher started in a virtual display
# makes the player's Wine prefix and shows the game; a second start, in English as the entry's
# second action starts it, reuses the prefix. Uninstall then leaves nothing behind.
#   install_session.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=exe_driver.sh
. "$root/tests/windows/exe_driver.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/shinkei-install.XXXXXX")
game_pid=
cleanup() {
    end_launched_game
    stop_xvfb 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home
unset XDG_DATA_HOME
mkdir -p "$HOME"
prefix=$HOME/.local
dest=$work/dest$prefix
DESTDIR=$work/dest PREFIX=$prefix "$root/scripts/install" install >/dev/null

entry=$dest/share/applications/shinkei.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
grep -qx 'Name=神経衰弱' "$entry" && grep -qx 'Name\[en\]=Shinkei' "$entry" &&
    grep -qx 'Categories=Game;CardGame;' "$entry" && grep -qx 'Icon=shinkei' "$entry" &&
    grep -qx "Exec=$prefix/bin/shinkei" "$entry" && grep -qx 'Actions=english;' "$entry" &&
    grep -qx "Exec=$prefix/bin/shinkei /lang:en" "$entry" ||
    fail "the entry lacks a line: $(cat "$entry")"
for size in 16 32 48 64 128; do
    icon=$dest/share/icons/hicolor/${size}x$size/apps/shinkei.png
    [[ $(identify -format '%m %wx%h' "$icon" 2>/dev/null) == "PNG ${size}x$size" ]] ||
        fail "no ${size}-pixel PNG icon"
done
echo "Desktop entry valid; icons of 16 to 128 pixels."

# shellcheck source=../../scripts/xvfb
. "$root/scripts/xvfb"
start_xvfb || fail "no virtual X display"
data=$HOME/.local/share/shinkei
stamp=$data/wine/.shinkei-recipe

start_launched_game launch1 神経衰弱 "$dest/bin/shinkei"
[[ -f $stamp ]] || fail "the first start made no Wine prefix in $data/wine"
grep -q 'Preparing the Wine prefix' "$work/launch1.log" || fail "the first start made no prefix"
made=$(stat -c %Y "$stamp")
# The second start as the entry's English action makes it.
start_launched_game launch2 'Shinkei (Concentration)' "$dest/bin/shinkei" /lang:en
grep -q 'Preparing' "$work/launch2.log" && fail "the second start made the prefix again"
[[ $(stat -c %Y "$stamp") == "$made" ]] || fail "the second start touched the prefix's stamp"
echo "The second start, in English, reused the prefix."

DESTDIR=$work/dest PREFIX=$prefix "$root/scripts/install" uninstall >/dev/null
left=$(find "$dest" -mindepth 1)
[[ -z $left ]] || fail "uninstall left: $left"
echo "Uninstall removed everything it installed."
