"""Builds the two language files from their UTF-8 sources.

The sources are kept in UTF-8 with LF so that they diff and edit cleanly; the
program reads Windows-1252 with CR LF, 200 lines, the first four characters of
each line being a label it skips. Our label is the entry number on three digits
and a space, so a translator can find "entry 62" by searching for "062 ".

The program's own texts beyond the 200 (entries 200 to 499) live in a
companion file of the same form, langage_xx.more.txt, so that the 200-line file
stays exactly as other copies of the program read it.
"""
import os

LINES = 200
MORE_FIRST, MORE_LINES = 200, 300


def build(source, target, first=0, count=LINES):
    with open(source, encoding="utf-8") as f:
        lines = f.read().split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if len(lines) != count:
        raise SystemExit(f"{source}: {len(lines)} lines, {count} expected")
    out = []
    for n, line in enumerate(lines, start=first):
        label = f"{n:03d} "
        if not line.startswith(label):
            raise SystemExit(f"{source}:{n - first + 1}: label {label!r} expected")
        if line != line.rstrip() and len(line) > 4:
            raise SystemExit(f"{source}:{n - first + 1}: trailing blank")
        try:
            out.append(line.encode("cp1252"))  # strict: refuses what the program cannot show
        except UnicodeEncodeError as e:
            raise SystemExit(f"{source}:{n - first + 1}: not in Windows-1252: {e}")
    data = b"\r\n".join(out) + b"\r\n"
    tmp = target + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, target)


def build_all(root):
    here = os.path.join(root, "tools", "artwork")
    for lang in ("fr", "gb"):
        build(os.path.join(here, f"catalogue_{lang}.txt"),
              os.path.join(root, "lang", f"langage_{lang}.txt"))
        build(os.path.join(here, f"catalogue_more_{lang}.txt"),
              os.path.join(root, "lang", f"langage_{lang}.more.txt"), MORE_FIRST, MORE_LINES)
