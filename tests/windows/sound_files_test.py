#!/usr/bin/env python3
"""The sound files built beside shinkei.exe: what Windows' sound calls and a General MIDI
synthesizer will be handed, read with our own RIFF and SMF readers.

  sound_files_test.py BUILD_DIR [unittest arguments]   (BUILD_DIR holds shinkei.exe and the files)
"""

import array
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = None  # set from the command line
SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"
RATE = 22050
FULL_SCALE = 32768


def db(value):
    return 20 * math.log10(value) if value > 0 else -math.inf


def read_wav(path):
    """(format fields, samples) of a PCM WAV file; fails on anything malformed."""
    data = Path(path).read_bytes()
    riff, size, wave = struct.unpack_from("<4sI4s", data)
    assert (riff, wave) == (b"RIFF", b"WAVE"), f"{path}: not RIFF/WAVE"
    assert size == len(data) - 8, f"{path}: RIFF size {size}, file holds {len(data) - 8}"
    chunks, at = {}, 12
    while at + 8 <= len(data):
        kind, length = struct.unpack_from("<4sI", data, at)
        assert at + 8 + length <= len(data), f"{path}: chunk {kind} runs past the end"
        chunks[kind] = data[at + 8:at + 8 + length]
        at += 8 + length + length % 2
    assert at == len(data), f"{path}: {len(data) - at} stray bytes at the end"
    fmt = chunks[b"fmt "]
    tag, channels, rate, byte_rate, align, bits = struct.unpack_from("<HHIIHH", fmt)
    fields = dict(tag=tag, channels=channels, rate=rate, bits=bits, fmt_size=len(fmt))
    assert byte_rate == rate * align and align == channels * bits // 8, f"{path}: rates disagree"
    samples = array.array("h")
    samples.frombytes(chunks[b"data"])
    if sys.byteorder != "little":
        samples.byteswap()
    return fields, samples


def zero_crossing_rate(samples, rate):
    crossings = sum(1 for a, b in zip(samples, samples[1:]) if (a < 0) != (b < 0))
    return crossings * rate / 2 / len(samples)


def read_smf(path):
    """Header fields and, per track, its events as (tick, status, data bytes or meta)."""
    data = Path(path).read_bytes()
    kind, length, form, ntracks, division = struct.unpack_from(">4sIHHH", data)
    assert (kind, length) == (b"MThd", 6), "no SMF header"
    tracks, at = [], 14
    while at < len(data):
        kind, length = struct.unpack_from(">4sI", data, at)
        assert kind == b"MTrk", f"chunk {kind} where a track should be"
        tracks.append(read_track(data[at + 8:at + 8 + length]))
        at += 8 + length
    return dict(form=form, ntracks=ntracks, division=division), tracks


def read_track(data):
    def number():
        nonlocal at
        value = 0
        while True:
            byte = data[at]
            at += 1
            value = value << 7 | byte & 0x7F
            if byte < 0x80:
                return value

    events, at, tick, running = [], 0, 0, None
    while at < len(data):
        tick += number()
        status = data[at]
        if status < 0x80:
            assert running is not None, "running status with nothing to run on"
            status = running
        else:
            at += 1
        if status == 0xFF:
            meta = data[at]
            at += 1
            length = number()
            events.append((tick, 0xFF, (meta, data[at:at + length])))
            at += length
        elif status in (0xF0, 0xF7):
            at += number()
        else:
            running = status
            size = 1 if status >> 4 in (0xC, 0xD) else 2
            events.append((tick, status, tuple(data[at:at + size])))
            at += size
    assert events and events[-1][1:] == (0xFF, (0x2F, b"")), "track does not end with End of Track"
    return events


class Cues(unittest.TestCase):
    # name, longest allowed, how its pitch moves (+1 rises, -1 falls, 0 any)
    CUES = [("open.wav", 0.3, 0), ("OK.wav", 0.8, +1), ("NO.wav", 0.8, -1)]

    def test_cues(self):
        pitch = {}
        for name, longest, direction in self.CUES:
            with self.subTest(name):
                path = os.path.join(BUILD, name)
                fields, samples = read_wav(path)
                self.assertEqual(fields, dict(tag=1, channels=1, rate=RATE, bits=16, fmt_size=16))
                self.assertLess(os.path.getsize(path), 40_000)
                seconds = len(samples) / RATE
                self.assertGreaterEqual(seconds, 0.05)
                self.assertLessEqual(seconds, longest)
                peak = max(map(abs, samples))
                rms = math.sqrt(sum(s * s for s in samples) / len(samples))
                self.assertLessEqual(db(peak / FULL_SCALE), -3.0, "peak above -3 dBFS")
                self.assertGreater(db(peak / FULL_SCALE), -12.0, "hardly audible")
                self.assertGreater(db(rms / FULL_SCALE), -30.0, "hardly audible")
                # Faded in and out: no step at either end, and the first and last
                # millisecond stay well below the peak.
                ms = RATE // 1000
                for end in (samples[:ms], samples[-ms:]):
                    self.assertLessEqual(max(map(abs, end)), peak / 2)
                self.assertLessEqual(abs(samples[0]), FULL_SCALE / 100)
                self.assertLessEqual(abs(samples[-1]), FULL_SCALE / 100)
                # Pitch from zero crossings, over the first and the last fifth of the sound.
                fifth = len(samples) // 5
                start = zero_crossing_rate(samples[:fifth], RATE)
                end = zero_crossing_rate(samples[-fifth:], RATE)
                pitch[name] = (start, end)
                print(f"{name}: {os.path.getsize(path)} bytes, {seconds:.3f} s, peak "
                      f"{db(peak / FULL_SCALE):.1f} dBFS, RMS {db(rms / FULL_SCALE):.1f} dBFS, "
                      f"pitch {start:.0f} Hz -> {end:.0f} Hz")
                if direction:
                    self.assertGreater((end - start) * direction, 0.1 * start,
                                       f"pitch {start:.0f} Hz -> {end:.0f} Hz")
        # A miss sounds low against a pair, over the whole cue.
        self.assertLess(max(pitch["NO.wav"]), min(pitch["OK.wav"]) / 3, pitch)


class Music(unittest.TestCase):
    def test_music(self):
        path = os.path.join(BUILD, "vormidal.mid")
        header, tracks = read_smf(path)
        self.assertIn(header["form"], (0, 1))
        self.assertEqual(header["ntracks"], len(tracks))
        self.assertGreaterEqual(len(tracks), 2 if header["form"] == 1 else 1)
        division = header["division"]
        self.assertTrue(0 < division < 0x8000, "ticks per quarter note, not SMPTE time")

        events = sorted((e for track in tracks for e in track), key=lambda e: e[0])
        metas = [(tick, data[0], data[1]) for tick, status, data in events if status == 0xFF]
        tempos = [(tick, int.from_bytes(v, "big")) for tick, meta, v in metas if meta == 0x51]
        keys = {bytes(v) for _, meta, v in metas if meta == 0x59}
        # One tempo and one key throughout, so the end leads back into the start.
        self.assertTrue(tempos and tempos[0][0] == 0, "no tempo at the start")
        self.assertEqual(len({t for _, t in tempos}), 1, tempos)
        self.assertLessEqual(len(keys), 1, keys)
        seconds_per_tick = tempos[0][1] / 1e6 / division

        programs, first_note, last_off, sounding, notes = {}, None, 0, {}, 0
        for tick, status, data in events:
            kind, channel = status >> 4, status & 0x0F
            if kind == 0xC:
                programs.setdefault(channel, data[0])
            elif kind == 0x9 and data[1] > 0:
                self.assertIn(channel, programs, f"channel {channel + 1} plays with no program")
                first_note = tick if first_note is None else first_note
                sounding[channel, data[0]] = sounding.get((channel, data[0]), 0) + 1
                notes += 1
            elif kind == 0x8 or kind == 0x9:
                self.assertTrue(sounding.get((channel, data[0])), "note off with no note on")
                sounding[channel, data[0]] -= 1
                last_off = tick
        self.assertFalse(any(sounding.values()), "notes left sounding at the end")
        self.assertGreaterEqual(notes, 100)
        self.assertGreaterEqual(len(programs), 2, "one instrument only")
        self.assertNotIn(9, programs, "the percussion channel is not a melodic instrument")
        self.assertTrue(all(0 <= p < 128 for p in programs.values()))

        end = max(track[-1][0] for track in tracks)
        seconds = end * seconds_per_tick
        self.assertGreaterEqual(seconds, 60)
        self.assertLessEqual(seconds, 120)
        # No silence worth hearing at either end of the loop.
        self.assertLessEqual(first_note * seconds_per_tick, 0.05)
        self.assertLessEqual((end - last_off) * seconds_per_tick, 0.25)

        # Played by a General MIDI synthesizer: sound from the start to the end, and nothing
        # long after it but the instruments' own release and the reverb's tail.
        with tempfile.TemporaryDirectory() as scratch:
            rendered = os.path.join(scratch, "music.wav")
            subprocess.run(["fluidsynth", "-n", "-i", "-q", "-F", rendered, "-r", str(RATE),
                            "-g", "0.5", SOUNDFONT, path], check=True, stdout=subprocess.DEVNULL)
            fields, samples = read_wav(rendered)
        window = RATE * fields["channels"] // 4
        levels = [db(math.sqrt(sum(s * s for s in samples[i:i + window]) / window) / FULL_SCALE)
                  for i in range(0, len(samples) - window + 1, window)]
        audible = [i / 4 for i, level in enumerate(levels) if level > -50]
        print(f"vormidal.mid: {seconds:.2f} s, {notes} notes, programs {programs}; rendered "
              f"{len(levels) / 4:.2f} s, audible {audible[0]:.2f} to {audible[-1] + 0.25:.2f} s, "
              f"quietest quarter second while playing {min(levels[:int(seconds * 4)]):.1f} dBFS\n")
        self.assertLessEqual(audible[0], 0.25)
        self.assertGreaterEqual(audible[-1] + 0.25, seconds - 0.5)
        self.assertLessEqual(audible[-1], seconds + 2.0)
        self.assertGreater(min(levels[:int(seconds * 4)]), -50, "a gap of silence in the piece")


class Build(unittest.TestCase):
    def test_same_sources_give_same_bytes(self):
        with tempfile.TemporaryDirectory() as again:
            subprocess.run([os.path.join(ROOT, "scripts", "make-sounds"), again], check=True)
            for name in ("open.wav", "OK.wav", "NO.wav", "vormidal.mid"):
                with self.subTest(name):
                    built = Path(BUILD, name).read_bytes()
                    self.assertEqual(built, Path(again, name).read_bytes())


if __name__ == "__main__":
    if len(sys.argv) < 2 or not os.path.isdir(sys.argv[1]):
        sys.exit(__doc__)
    BUILD = sys.argv.pop(1)
    if shutil.which("fluidsynth") is None:
        sys.exit("fluidsynth is missing: run scripts/setup")
    unittest.main(verbosity=2)
