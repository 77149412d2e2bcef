#!/usr/bin/env bash
# make dist and make deb in two fresh clones of the current commit, in folders of different names
# and depths, must give byte-identical zips, the Windows one and the browser's, each holding
# exactly the release's files, in their order, and byte-identical Debian packages.
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
debs=()
for clone in "$work/a/shinkei" "$work/b/other/folder/sk"; do
    rm -rf "$clone"
    mkdir -p "$(dirname "$clone")"
    git clone --quiet --no-hardlinks "$root" "$clone"
    git -C "$clone" checkout --quiet --detach "$commit"
    start=$SECONDS
    make --no-print-directory -C "$clone" dist deb >"$clone.log" 2>&1 ||
        fail "make dist deb in $clone: $(tail -5 "$clone.log")"
    zip_file=$clone/build/dist/shinkei-1.27-win64.zip
    web_zip=$clone/build/dist/shinkei-1.27-web.zip
    deb_file=$clone/build/dist/shinkei_1.27-1_all.deb
    [[ -f $zip_file && -f $web_zip && -f $deb_file ]] ||
        fail "make dist deb in $clone: $(ls "$clone/build/dist")"
    for file in "$zip_file" "$web_zip" "$deb_file"; do
        echo "$clone: $(basename "$file"): $(stat -c %s "$file") bytes," \
            "sha256 $(sha256sum "$file" | cut -d' ' -f1)"
    done
    echo "$clone: built in $((SECONDS - start)) s"
    zips+=("$zip_file")
    web_zips+=("$web_zip")
    debs+=("$deb_file")
done
cmp "${zips[0]}" "${zips[1]}" || fail "the two builds' zips differ"
cmp "${web_zips[0]}" "${web_zips[1]}" || fail "the two builds' browser zips differ"
cmp "${debs[0]}" "${debs[1]}" || fail "the two builds' Debian packages differ"
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
