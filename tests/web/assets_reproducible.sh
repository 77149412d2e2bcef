#!/usr/bin/env bash
# The browser build's assets built twice, into folders of different names, must be the same
# bytes; assets.js must hold every asset the page asks for (each BITMAP and ICON of
# res/shinkei.rc by its id), and the fonts a glyph for every character the program can show.
# Given the built page, it must also keep within its 3 MB budget.
#   assets_reproducible.sh [build/web/index.html]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
page=${1:-}
budget=3000000

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/shinkei-assets.XXXXXX")
trap 'rm -rf "$work"' EXIT
for out in "$work/a" "$work/b/other/gen"; do
    "$root/scripts/web-assets" "$out" >"$work/log" 2>&1 || fail "scripts/web-assets: $(tail -5 "$work/log")"
    ! grep -i 'no glyph' "$work/log" || fail "the fonts lack characters the program shows"
done
cat "$work/log"
diff -rq "$work/a" "$work/b/other/gen" || fail "two builds of the assets differ"

expected=(font:gothic font:mincho font:fixed sound:open.wav sound:OK.wav sound:NO.wav music:vormidal.mid)
while read -r name kind _; do
    id=$(sed -n "s/^#define $name \([0-9]*\)\$/\1/p" "$root/res/resource.h")
    [[ -n $id ]] || fail "$name has no id in res/resource.h"
    expected+=("${kind,,}:$id")
done < <(grep -E '^[A-Z_]+ +(BITMAP|ICON) +"' "$root/res/shinkei.rc")
listed=$({
    sed -n 's/^  "\([^"]*\)": "data:[a-z0-9/-]*;base64,[A-Za-z0-9+/=]\{100,\}",\{0,1\}$/\1/p' "$work/a/assets.js"
    sed -n 's/^\([a-z]*:[^ ]*\) data:[a-z0-9/-]*;base64,[A-Za-z0-9+/=]\{100,\}$/\1/p' "$work/a/music.txt"
} | sort)
[[ $listed == "$(printf '%s\n' "${expected[@]}" | sort)" ]] ||
    fail "assets.js and music.txt hold data URLs for: ${listed//$'\n'/ }; expected: ${expected[*]}"
echo "Identical builds; assets.js and music.txt hold the ${#expected[@]} assets."

if [[ -n $page ]]; then
    size=$(stat -c %s "$page") || fail "no page $page"
    ((size <= budget)) || fail "$page is $size bytes, over the budget of $budget"
    echo "$page: $size bytes, within $budget."
fi
