#!/usr/bin/env python3
"""Bundles the page into one self-contained HTML file that works from file://.

  bundle.py WEBDIR GENDIR OUT.html

WEBDIR/index.html with each <link rel="stylesheet" href=X> and <script src=X></script> replaced
by X's contents inline, X looked up in WEBDIR, then GENDIR; a script of another type (a data
block) takes X's text, or X in base64 when X is not text. Beside OUT.html: manifest.webmanifest,
sw.js (with @VERSION@ and @BUILD@ filled in) and GENDIR/icons/. The same inputs give the same bytes.
"""

import base64
import hashlib
import re
import shutil
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]

# Comments and whole script and style elements are matched as units, so that nothing inside them
# is taken for a tag.
TOKEN = re.compile(r"<!--.*?-->"
                   r"|<script\b(?P<script>[^>]*)>(?P<body>.*?)</script\s*>"
                   r"|<style\b[^>]*>.*?</style\s*>"
                   r"|<link\b(?P<link>[^>]*)>", re.S | re.I)
ATTRIBUTE = re.compile(r"""([^\s"'<>/=]+)(?:\s*=\s*("[^"]*"|'[^']*'|[^\s"'=<>`]+))?""")


class BundleError(Exception):
    pass


def attributes(text):
    found = {}
    for name, value in ATTRIBUTE.findall(text):
        found[name.lower()] = value[1:-1] if value[:1] in "\"'" else value
    return found


def local_file(reference, folders):
    if re.match(r"^([a-z][a-z0-9+.-]*:|//)", reference, re.I):
        raise BundleError(f"{reference} is not a local file: the bundle must work offline")
    relative = reference.split("?", 1)[0].split("#", 1)[0]
    for folder in folders:
        path = folder / relative
        if path.is_file():
            return path
    raise BundleError(f"{reference}: no such file in {' or '.join(map(str, folders))}")


def script_text(path):
    text = path.read_text(encoding="utf-8")
    # Inside a script element "</script" would end it and "<!--" can change how it ends; both can
    # only sit in strings, regular expressions or comments, where these escapes mean the same.
    text = re.sub(r"</(script)", r"<\\/\1", text, flags=re.I)
    return re.sub(r"<!--", r"\\x3C!--", text)


# A data block (a script element of another type): its file as the page reads it, never run.
# Text (a text/* type) goes as it is; anything else (the program's WebAssembly) as base64.
SCRIPT_TYPES = ("", "text/javascript", "application/javascript", "module")


def data_text(path, kind):
    data = path.read_bytes()
    if not kind.startswith("text/"):
        return base64.b64encode(data).decode("ascii")
    text = data.decode("utf-8")
    if re.search(r"</script|<!--", text, re.I):
        raise BundleError(f"{path}: text that would end its script element")
    return text


def style_text(path):
    text = path.read_text(encoding="utf-8")
    for url in re.findall(r"""url\(\s*["']?([^"')\s]*)""", text, re.I):
        if not url.startswith(("data:", "#")):
            raise BundleError(f"{path}: url({url}) would not be found beside the bundle")
    return re.sub(r"</(style)", r"<\\/\1", text, flags=re.I)


def inline(html, folders):
    def replace(match):
        if match.group("script") is not None:
            attrs = attributes(match.group("script"))
            if "src" not in attrs:
                return match.group(0)
            if match.group("body").strip():
                raise BundleError(f"<script src={attrs['src']}> has a body of its own")
            if "defer" in attrs or "async" in attrs:
                raise BundleError(f"<script src={attrs['src']}>: defer and async mean nothing "
                                  "inline; load it at the end of the body instead")
            kept = "".join(f' {name}="{value}"' for name, value in attrs.items()
                           if name not in ("src", "charset", "integrity", "crossorigin"))
            path = local_file(attrs['src'], folders)
            if attrs.get("type", "text/javascript").lower() not in SCRIPT_TYPES:
                return f"<script{kept}>{data_text(path, attrs['type'].lower())}</script>"
            return f"<script{kept}>\n{script_text(path)}</script>"
        if match.group("link") is not None:
            attrs = attributes(match.group("link"))
            if "stylesheet" not in attrs.get("rel", "").lower().split():
                return match.group(0)
            media = f' media="{attrs["media"]}"' if "media" in attrs else ""
            return f"<style{media}>\n{style_text(local_file(attrs['href'], folders))}</style>"
        return match.group(0)

    return TOKEN.sub(replace, html)


def version():
    header = (ROOT / "res" / "version.h").read_text(encoding="utf-8")
    found = re.search(r'^#define SHINKEI_VERSION_TEXT "([^"]+)"', header, re.M)
    if not found:
        raise BundleError("no SHINKEI_VERSION_TEXT in res/version.h")
    return found.group(1)


def bundle(web, gen, out):
    index = web / "index.html"
    if not index.is_file():
        raise BundleError(f"{index} is missing")
    page = inline(index.read_text(encoding="utf-8"), [web, gen]).encode("utf-8")
    for name in ("manifest.webmanifest", "sw.js"):
        if not (web / name).is_file():
            raise BundleError(f"{web / name} is missing")
    icons = sorted((gen / "icons").glob("*.png"))
    if not icons:
        raise BundleError(f"no icons in {gen / 'icons'} (scripts/web-assets makes them)")

    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_bytes(page)
    manifest = (web / "manifest.webmanifest").read_bytes()
    (out.parent / "manifest.webmanifest").write_bytes(manifest)
    (out.parent / "icons").mkdir(exist_ok=True)
    digest = hashlib.sha256(page + manifest)
    for icon in icons:
        shutil.copyfile(icon, out.parent / "icons" / icon.name)
        digest.update(icon.read_bytes())
    # A new build changes sw.js, so browsers install the new worker, which caches the new page.
    worker = (web / "sw.js").read_text(encoding="utf-8")
    worker = worker.replace("@VERSION@", version()).replace("@BUILD@", digest.hexdigest()[:12])
    (out.parent / "sw.js").write_bytes(worker.encode("utf-8"))
    return len(page)


def main(argv):
    if len(argv) != 4:
        sys.exit(__doc__.strip())
    try:
        size = bundle(Path(argv[1]), Path(argv[2]), Path(argv[3]))
    except (BundleError, OSError, UnicodeDecodeError) as error:
        sys.exit(f"bundle.py: {error}")
    print(f"{argv[3]}: {size} bytes")


if __name__ == "__main__":
    main(sys.argv)
