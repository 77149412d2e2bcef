#!/usr/bin/env bash
# shinkei.exe runs on Windows 7: every function it imports, from our code or from the runtime
# libraries linked into it, is one that Windows 7 provides (windows7-functions.txt).
#   windows7_imports.sh shinkei.exe [list]
set -euo pipefail
exe=${1:?usage: windows7_imports.sh shinkei.exe [list]}
list=${2:-$(dirname "$0")/windows7-functions.txt}

# "DLL function" pairs, DLL names in capitals (Windows compares them without case).
imports=$(x86_64-w64-mingw32-objdump -p "$exe" |
    awk '/^\tDLL Name: / { dll = toupper($3); next }
         /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ && dll != "" { print dll, $NF }' | sort -u)
[[ -n $imports ]] || {
    echo "FAIL: no imports read from $exe" >&2
    exit 1
}
known=$(awk '{ sub(/#.*/, "") } /^[^ \t]/ { dll = toupper($1); next } NF { print dll, $1 }' "$list" |
    sort -u)
newer=$(comm -23 <(echo "$imports") <(echo "$known"))
if [[ -n $newer ]]; then
    echo "FAIL: $(basename "$exe") imports what Windows 7 does not provide (or the list lacks):" >&2
    sed 's/ /!/; s/^/  /' <<<"$newer" >&2
    exit 1
fi
echo "All $(wc -l <<<"$imports") imports of $(basename "$exe") are Windows 7's:" \
    "$(cut -d' ' -f1 <<<"$imports" | uniq -c | awk '{ printf "%s%s %d", sep, $2, $1; sep = ", " }')."
