#!/usr/bin/env python3
"""Helpers of scripts/web-assets, the browser build's assets:

  assets.py glyphs ROOT                  the characters the program can show, as UTF-8 text
  assets.py subset FONT TEXT_FILE OUT    FONT cut down to TEXT_FILE's characters (woff2 when
                                         OUT ends in .woff2)
  assets.py midi-seconds FILE            how long a Standard MIDI File plays, to its last event
  assets.py resources ROOT               "kind id file" for each BITMAP and ICON of res/shinkei.rc
  assets.py js OUT KEY=MIME:FILE...      window.SHINKEI_ASSETS with each file as a data: URL
  assets.py text OUT KEY=MIME:FILE...    more entries, as "KEY DATA-URL" lines of text the page
                                         reads later
"""

import base64
import json
import re
import struct
import sys
from pathlib import Path

# Always there, whatever the sources hold: printable ASCII, fullwidth digits, ideographic space.
BASE = "".join(map(chr, range(0x20, 0x7F))) + "".join(map(chr, range(0xFF10, 0xFF1A))) + "\u3000"

LITERAL = re.compile(
    r"""//[^\n]*|/\*.*?\*/"""                              # comments: skipped
    r"""|(?:u8|[uUL])?R"([^()\\\s]{0,16})\((.*?)\)\1\""""  # raw strings
    r"""|(?:u8|[uUL])?"((?:[^"\\\n]|\\.)*)\""""            # strings
    r"""|(?<![\w'])(?:u8|[uUL])?'((?:[^'\\\n]|\\.)*)'""",  # characters, not 1'000
    re.S)
ESCAPE = re.compile(r"\\(u[0-9a-fA-F]{4}|U[0-9a-fA-F]{8}|.)", re.S)


def literal_text(source):
    """The text of the string and character literals of C++ source, \\u escapes decoded."""
    parts = []
    for match in LITERAL.finditer(source):
        raw, plain, char = match.group(2), match.group(3), match.group(4)
        if raw is not None:
            parts.append(raw)
        for body in (plain, char):
            if body is not None:
                parts.append(ESCAPE.sub(
                    lambda e: chr(int(e.group(1)[1:], 16)) if e.group(1)[0] in "uU"
                    and len(e.group(1)) > 1 else e.group(1), body))
    return "".join(parts)


def glyphs(root):
    root = Path(root)
    text = [BASE, (root / "res/shinkei.rc").read_text(encoding="utf-8")]
    for path in sorted(root.glob("src/**/*")):
        if path.suffix in (".cpp", ".h") and path.is_file():
            text.append(literal_text(path.read_text(encoding="utf-8")))
    # The page's own files are shown whole: their texts are in markup, scripts and styles. Lines
    # marked "// system font" hold words the page shows in the system's own font.
    for pattern in ("web/*.html", "web/*.js", "web/*.css"):
        for path in sorted(root.glob(pattern)):
            text.extend(line for line in path.read_text(encoding="utf-8").splitlines()
                        if not line.rstrip().endswith("// system font"))
    chars = {c for c in "".join(text) if c.isprintable() or c == "\u3000"}
    return "".join(sorted(chars))


def subset(font, text_file, out):
    from fontTools import subset as fts  # pylint: disable=import-outside-toplevel
    options = fts.Options()
    options.recalc_timestamp = False  # head.modified stays the original's: same bytes every time
    options.layout_features = []  # the canvas draws horizontal text with no substitutions
    options.drop_tables += ["vhea", "vmtx", "GSUB", "GDEF"]
    # Hints kept (a quarter of the bytes): the dialogs' 12-pixel text stays crisp where honoured.
    if out.endswith(".woff2"):
        options.flavor = "woff2"
    ttf = fts.load_font(font, options)
    text = Path(text_file).read_text(encoding="utf-8")
    # The browser would draw these in some other font of its choosing.
    missing = [c for c in text if c.strip() and ord(c) not in ttf.getBestCmap()]
    if missing:
        print(f"warning: {Path(font).name} has no glyph for: {' '.join(missing)}"
              f" ({' '.join(f'U+{ord(c):04X}' for c in missing)})", file=sys.stderr)
    subsetter = fts.Subsetter(options)
    subsetter.populate(text=text)
    subsetter.subset(ttf)
    fts.save_font(ttf, out, options)


def midi_seconds(path):
    data = Path(path).read_bytes()

    def number(at):  # a variable-length quantity: the value, and where it ends
        value = 0
        while True:
            byte, at = data[at], at + 1
            value = value << 7 | byte & 0x7F
            if byte < 0x80:
                return value, at

    kind, length, _, tracks, division = struct.unpack_from(">4sIHHH", data)
    if kind != b"MThd" or division & 0x8000:
        raise SystemExit(f"{path}: not a Standard MIDI File with ticks per quarter note")
    at, tempos, end = 8 + length, [(0, 500000)], 0
    for _ in range(tracks):
        kind, length = struct.unpack_from(">4sI", data, at)
        at, stop, tick, status = at + 8, at + 8 + length, 0, 0
        while at < stop:
            delta, at = number(at)
            tick += delta
            if data[at] & 0x80:
                status, at = data[at], at + 1
            if status == 0xFF:
                meta = data[at]
                size, at = number(at + 1)
                if meta == 0x51:
                    tempos.append((tick, int.from_bytes(data[at:at + 3], "big")))
                at += size
            elif status in (0xF0, 0xF7):
                size, at = number(at)
                at += size
            else:
                at += 1 if status & 0xF0 in (0xC0, 0xD0) else 2
        end = max(end, tick)
    seconds, last_tick, last_tempo = 0.0, 0, 500000
    for tick, tempo in sorted(tempos) + [(end, 0)]:
        tick = min(tick, end)
        seconds += (tick - last_tick) * last_tempo / division / 1e6
        last_tick, last_tempo = tick, tempo or last_tempo
    return seconds


def resources(root):
    root = Path(root)
    ids = dict(re.findall(r"^#define\s+(\w+)\s+(\d+)\s*$",
                          (root / "res/resource.h").read_text(encoding="utf-8"), re.M))
    found = []
    for name, kind, file in re.findall(r'^(\w+)\s+(BITMAP|ICON)\s+"([^"]+)"\s*$',
                                       (root / "res/shinkei.rc").read_text(encoding="utf-8"), re.M):
        number = name if name.isdigit() else ids.get(name)
        if number is None:
            raise SystemExit(f"res/shinkei.rc: {name} is not defined in res/resource.h")
        found.append(f"{kind.lower()} {number} {root / 'res' / file}")
    return "\n".join(found)


def data_urls(specs):
    assets = {}
    for spec in specs:
        key, rest = spec.split("=", 1)
        mime, file = rest.split(":", 1)
        data = base64.b64encode(Path(file).read_bytes()).decode("ascii")
        assets[key] = f"data:{mime};base64,{data}"
    return assets


def write_js(out, specs):
    assets = data_urls(specs)
    # One entry a line, in the order given: diffs stay readable, bytes stay fixed.
    lines = [f"  {json.dumps(k)}: {json.dumps(v)}" for k, v in assets.items()]
    Path(out).write_text("window.SHINKEI_ASSETS = {\n" + ",\n".join(lines) + "\n};\n",
                         encoding="ascii", newline="\n")


# Entries the page reads later, as text: "KEY DATA-URL", one a line.
def write_text(out, specs):
    lines = [f"{k} {v}" for k, v in data_urls(specs).items()]
    Path(out).write_text("\n".join(lines) + "\n", encoding="ascii", newline="\n")


def main(argv):
    command, args = argv[1], argv[2:]
    if command == "glyphs":
        sys.stdout.write(glyphs(*args))
    elif command == "subset":
        subset(*args)
    elif command == "midi-seconds":
        print(f"{midi_seconds(*args):.6f}")
    elif command == "resources":
        print(resources(*args))
    elif command == "js":
        write_js(args[0], args[1:])
    elif command == "text":
        write_text(args[0], args[1:])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
