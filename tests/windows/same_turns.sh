#!/usr/bin/env bash
# The same turns in real time: plays a script with shinkei-runner on Windows (under Wine, real
# timers and boxes) and with shinkei-sim on the simulated desktop, and compares the transcripts
# line for line. A script's "# lang en" line plays it in English in both.
#   same_turns.sh RUNNER.exe SCRIPT WORKDIR
set -euo pipefail
runner=$1
script=$2
work=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
sim=""
for candidate in "$root/build/native/shinkei-sim" "$root/build/release/shinkei-sim"; do
    if [[ -x $candidate ]]; then
        sim=$candidate
        break
    fi
done
if [[ -z $sim ]]; then
    echo "no shinkei-sim: build the native preset first (make native)" >&2
    exit 1
fi
seed=$(sed -n 's/^# seed //p' "$script")
language=()
if grep -q '^# lang en$' "$script"; then
    language=(--lang en)
fi
name=$(basename "$script" .txt)
mkdir -p "$work"
"$sim" script --seed "$seed" "${language[@]}" "$script" >"$work/$name.sim.txt"
start=$(date +%s%N)
"$root/scripts/wine-run" headless "$runner" --seed "$seed" "${language[@]}" "Z:$script" \
    "Z:$work/$name.wine.txt"
echo "$name: $(( ($(date +%s%N) - start) / 1000000 )) ms under Wine, $(wc -l <"$work/$name.sim.txt") lines"
if ! diff "$work/$name.sim.txt" "$work/$name.wine.txt"; then
    echo "$name: the transcripts differ (< simulated desktop, > Windows under Wine)" >&2
    exit 1
fi
