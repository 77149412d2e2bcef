#!/usr/bin/env python3
"""Finds a cue in what a sound server's sink received, compared with the cue file's own samples.

The capture is raw signed 16-bit little-endian mono at the cue files' rate (22,050 Hz), recorded
in real time, so a byte offset in it is a moment: the test notes the capture's size just before
it acts (the mark) and asks what came after. On a busy machine the player may run dry: the sink
then plays digital silence and goes on with the samples that were late. The capture is cut at
such gaps and each piece is lined up with the cue on its own, where it would go on if the late
samples were played after the gap or if as many were dropped; the gaps are reported.

The recording is not an exact clock either: the sink renders ahead of real time and mixes a
stream that starts late into what it had rendered, so a cue started just after the mark may
land a few tens of milliseconds before it in the file. Both claims therefore look from LEAD
before the mark; the test keeps the moments before each action quiet, so what is found there
is still the action's.

  sound_match.py heard CAPTURE MARK WITHIN FILE...   a cue that starts between LEAD before the
      mark and WITHIN seconds after it is one of FILES, sample for sample (correlation) and at
      the file's level
  sound_match.py silent CAPTURE MARK SECONDS         the capture ran on for SECONDS after the
      mark, and nothing from LEAD before it in it was louder than the faint noise of resampling
  sound_match.py selfcheck CUE OTHER               the cue is found in a capture where the
      player ran dry early in it, whether the late samples came after the gap or were dropped,
      or where a few samples were lost with no silence to show for it, or that landed before
      the mark; and a capture of the OTHER cue is not taken for it

Exits 0 when the claim holds, 1 with the reason otherwise; prints the figures either way.
"""

import array
import math
import sys
import wave
from pathlib import Path

RATE = 22050
# A cue has begun when a sample reaches this share of its file's peak.
ONSET_SHARE = 0.05
# How far from where it is expected a piece of the cue may lie (resampling filters smear the
# onset; a gap may swallow or repeat a few samples).
SEARCH_BEFORE, SEARCH_AFTER = int(0.010 * RATE), int(0.004 * RATE)
SEARCH_AT_GAP = int(0.005 * RATE)
PROBE = RATE // 10  # the first 100 ms of a piece find its place
BLOCK, SLIP = RATE // 50, 2  # then each 20 ms of it may slip by up to 2 samples
MIN_CORRELATION = 0.9
MAX_LEVEL_DIFFERENCE_DB = 1.5
# 1/1000 of full scale (-60 dBFS): far below any cue, far above what a silent stream holds.
SILENCE = 33
# Digital silence this long inside a cue is the player running dry, not the cue.
SHORTEST_GAP = RATE // 500
# How far before the mark a cue may land in the recording (seen: 60 ms).
LEAD = RATE // 4


def samples_of(data):
    samples = array.array("h")
    samples.frombytes(data[:len(data) - len(data) % 2])
    if sys.byteorder != "little":
        samples.byteswap()
    return samples


def read_cue(path):
    with wave.open(path) as w:
        if (w.getnchannels(), w.getsampwidth(), w.getframerate()) != (1, 2, RATE):
            sys.exit(f"{path}: not mono 16-bit {RATE} Hz")
        return samples_of(w.readframes(w.getnframes()))


def db(ratio):
    return 20 * math.log10(ratio) if ratio > 0 else -math.inf


def pieces(samples):
    """`samples` cut at runs of SHORTEST_GAP or more exact zeros: the pieces, the gap lengths."""
    cut, gaps, begin, run = [], [], 0, 0
    for i, s in enumerate(samples):
        if s == 0:
            run += 1
            continue
        if run >= SHORTEST_GAP and i - run > begin:
            cut.append(samples[begin:i - run])
            gaps.append(run)
            begin = i
        run = 0
    cut.append(samples[begin:])
    return cut, gaps


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def score(piece, cue, k, begin, length):
    """How well piece[begin:begin + length] matches the cue shifted by k (cue index j + k)."""
    j = max(begin, -k)
    b = cue[j + k:begin + length + k]
    a = piece[j:j + len(b)]
    energy = dot(a, a) * dot(b, b)
    return dot(a, b) / math.sqrt(energy) if energy else 0.0


def follow(parts, gaps, cue):
    """Lines the cue up with the capture's pieces in turn, the first from a little before the
    onset: the cue's start in the first piece, the correlation, the energy and peak received.
    Each piece finds its place with its first 100 ms; then every block of it may slip by a
    sample or two, as a resampler that drops or repeats one would make it, or, where a block
    does not match there, by as much as a gap may, as a glitch too short to leave silence
    would make it."""
    sums = [0, 0, 0]  # capture times cue, capture squared, cue squared
    peak, start, k = 0, None, None
    for piece, gap in zip(parts, [0] + gaps):
        if start is None:
            shifts = range(-(SEARCH_BEFORE + SEARCH_AFTER), 1)
        elif k >= len(cue):
            break
        else:  # the late samples follow the gap, or the gap took their place
            shifts = sorted({k + d for base in (0, gap)
                             for d in range(base - SEARCH_AT_GAP, base + SEARCH_AT_GAP + 1)})
        k = max(shifts, key=lambda k: score(piece, cue, k, 0, PROBE))
        start = -k if start is None else start
        for begin in range(0, len(piece), BLOCK):
            if begin + k >= len(cue):
                break
            def fit(k, begin=begin):
                return score(piece, cue, k, begin, BLOCK)

            k = max(range(k - SLIP, k + SLIP + 1), key=fit)
            if fit(k) < MIN_CORRELATION:  # a glitch too short to leave silence
                k = max(range(k - SEARCH_AT_GAP, k + SEARCH_AT_GAP + 1), key=fit)
            j = max(begin, -k)
            a = piece[j:min(begin + BLOCK, len(cue) - k)]
            b = cue[j + k:j + k + len(a)]
            sums = [sums[0] + dot(a, b), sums[1] + dot(a, a), sums[2] + dot(b, b)]
            peak = max(peak, max(map(abs, a), default=0))
        k += len(piece)  # where the next piece should go on in the cue
    correlation = sums[0] / math.sqrt(sums[1] * sums[2]) if sums[1] * sums[2] else 0.0
    return start, correlation, sums[1], peak


def heard(capture, within, files, lead=0):
    """The first cue in `capture`, whose first `lead` samples precede the mark."""
    cues = {name: read_cue(name) for name in files}
    threshold = ONSET_SHARE * min(max(map(abs, c)) for c in cues.values())
    onset = next((i for i, s in enumerate(capture) if abs(s) >= threshold), None)
    if onset is None:
        print(f"nothing above {threshold:.0f} in {len(capture) / RATE:.3f} s after the mark")
        return False
    origin = max(0, onset - SEARCH_BEFORE)
    parts, gaps = pieces(capture[onset:])
    parts[0] = capture[origin:onset] + parts[0]
    results = []
    for name, cue in cues.items():
        start, corr, energy, peak = follow(parts, gaps, cue)
        level = db(math.sqrt(energy / dot(cue, cue)))
        results.append((corr, name, start, level, db(peak / max(map(abs, cue)))))
    corr, name, start, level, peak = max(results)
    delay = (origin + start - lead) / RATE
    side = "after" if delay >= 0 else "before"
    print(f"{Path(name).name}: starts {abs(delay) * 1000:.0f} ms {side} the mark, correlation "
          f"{corr:.3f}, energy {level:+.2f} dB and peak {peak:+.2f} dB against the file"
          + (f"; the player ran dry {len(gaps)} times, {sum(gaps) * 1000 / RATE:.0f} ms in all"
             if gaps else ""))
    ok = True
    if delay > within:
        print(f"  later than {within * 1000:.0f} ms")
        ok = False
    if corr < MIN_CORRELATION:
        print(f"  does not match the file's samples (correlation below {MIN_CORRELATION})")
        ok = False
    if abs(level) > MAX_LEVEL_DIFFERENCE_DB:
        print(f"  not at the file's level (more than {MAX_LEVEL_DIFFERENCE_DB} dB off)")
        ok = False
    return ok


def silent(capture, seconds, lead=0):
    """Nothing in `capture`, whose first `lead` samples precede the mark."""
    loudest, after = max(map(abs, capture), default=0), len(capture) - lead
    print(f"{after / RATE:.3f} s captured after the mark, loudest sample {loudest} "
          f"({db(loudest / 32768):.1f} dBFS)")
    if after < seconds * RATE:
        print(f"  the capture did not run on for {seconds} s: nothing to judge")
        return False
    if loudest > SILENCE:
        print("  something was heard")
        return False
    return True


def selfcheck(cue_file, other_file):
    cue, other = read_cue(cue_file), read_cue(other_file)
    at, gap, lead = RATE // 20, RATE * 14 // 1000, array.array("h", [0] * 300)
    cases = {
        "late samples after the gap": cue[:at] + array.array("h", [0] * gap) + cue[at:],
        "late samples dropped": cue[:at] + array.array("h", [0] * gap) + cue[at + gap:],
        "a few samples dropped, no silence": cue[:at] + cue[at + RATE // 2000:],
        "landed 60 ms before the mark": cue,
    }
    ok = True
    for name, capture in cases.items():
        print(f"{name}: ", end="")
        early = len(lead) + RATE * 60 // 1000 if name.startswith("landed") else 0
        ok = heard(lead + capture, 0.3, [cue_file], early) and ok
    print("the other cue: ", end="")
    if heard(lead + other, 0.3, [cue_file]):
        print("  taken for the cue")
        return False
    print("  rightly refused")
    return ok


def after_mark(capture_file, mark):
    """The samples from LEAD before the byte offset `mark`, and how many precede it."""
    begin = max(0, mark // 2 - LEAD)
    return samples_of(Path(capture_file).read_bytes()[2 * begin:]), mark // 2 - begin


def main(argv):
    if len(argv) >= 6 and argv[1] == "heard":
        capture, lead = after_mark(argv[2], int(argv[3]))
        return heard(capture, float(argv[4]), argv[5:], lead)
    if len(argv) == 5 and argv[1] == "silent":
        capture, lead = after_mark(argv[2], int(argv[3]))
        return silent(capture, float(argv[4]), lead)
    if len(argv) == 4 and argv[1] == "selfcheck":
        return selfcheck(argv[2], argv[3])
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(0 if main(sys.argv) else 1)
