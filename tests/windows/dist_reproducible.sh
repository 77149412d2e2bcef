#!/usr/bin/env bash
# make dist in two fresh clones of the current commit, in folders of different names and depths,
# must give byte-identical zips, the Windows one and the browser's, each holding exactly the
# release's files, in their order.
#   dist_reproducible.sh [work folder]     (default: a temporary one, removed afterwards)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/game-files
. "$root/scripts/game-files"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=${1:-}
if [[ -z $work ]]; then
    work=$(mktemp -d "${TMPDIR:-/tmp}/shinkei-dist.XXXXXX")
    trap 'rm -rf "$work"' EXIT
fi
commit=$(git -C "$root" rev-parse HEAD) || fail "$root is not a git checkout"
echo "Building the release of $commit twice."

zips=()
web_zips=()
for clone in "$work/a/shinkei" "$work/b/other/folder/sk"; do
    rm -rf "$clone"
    mkdir -p "$(dirname "$clone")"
    git clone --quiet --no-hardlinks "$root" "$clone"
    git -C "$clone" checkout --quiet --detach "$commit"
    start=$SECONDS
    make --no-print-directory -C "$clone" dist >"$clone.log" 2>&1 || fail "make dist in $clone: $(tail -5 "$clone.log")"
    zip_file=$(grep -- '-win64\.zip$' "$clone.log" | tail -1)
    web_zip=$(grep -- '-web\.zip$' "$clone.log" | tail -1)
    [[ -f $zip_file && -f $web_zip ]] || fail "make dist in $clone named no zips: $(tail -3 "$clone.log")"
    for file in "$zip_file" "$web_zip"; do
        echo "$file: $(stat -c %s "$file") bytes, sha256 $(sha256sum "$file" | cut -d' ' -f1)"
    done
    echo "built in $((SECONDS - start)) s"
    zips+=("$zip_file")
    web_zips+=("$web_zip")
done
[[ $(basename "${zips[0]}") == shinkei-1.27-win64.zip ]] || fail "zip named $(basename "${zips[0]}")"
[[ $(basename "${web_zips[0]}") == shinkei-1.27-web.zip ]] || fail "zip named $(basename "${web_zips[0]}")"
cmp "${zips[0]}" "${zips[1]}" || fail "the two builds differ"
cmp "${web_zips[0]}" "${web_zips[1]}" || fail "the two builds of the browser's zip differ"
web_listed=$(unzip -Z1 "${web_zips[0]}" | tr '\n' ' ')
[[ $web_listed == "index.html manifest.webmanifest sw.js icons/icon-192.png icons/icon-512.png README.txt LICENSE " ]] ||
    fail "the browser's zip lists $web_listed"

expected=$(printf '%s\n' "${game_files[@]}" README.txt LICENSE)
listed=$(unzip -Z1 "${zips[0]}")
[[ $listed == "$expected" ]] || fail "the zip lists
$listed
instead of
$expected"
echo "Identical zips, listing exactly: $(tr '\n' ' ' <<<"$listed")"
