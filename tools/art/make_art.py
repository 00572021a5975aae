#!/usr/bin/env python3
"""Draws every picture Pelto ships, from code (pictures.py lists them).

    python3 tools/art/make_art.py            writes them into the repository
    python3 tools/art/make_art.py --out DIR  writes them under DIR instead
    python3 tools/art/make_art.py --check    draws them afresh and compares each
                                             byte for byte with the committed file

The check ends with "art: N passed, N failed" and exits non-zero on a difference,
so a picture that no longer matches its drawing code cannot go unnoticed.
Python 3 standard library only.
"""

import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from pictures import PICTURES  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def write_all(root):
    for relative, make in PICTURES:
        path = os.path.join(root, *relative.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        make(path)
        print("wrote %s (%d bytes)" % (relative, os.path.getsize(path)))


def check():
    passed = failed = 0
    with tempfile.TemporaryDirectory() as fresh:
        for relative, make in PICTURES:
            drawn = os.path.join(fresh, *relative.split("/"))
            os.makedirs(os.path.dirname(drawn), exist_ok=True)
            make(drawn)
            committed = os.path.join(ROOT, *relative.split("/"))
            with open(drawn, "rb") as f:
                new = f.read()
            old = b""
            if os.path.exists(committed):
                with open(committed, "rb") as f:
                    old = f.read()
            if new == old:
                print("PASS %s" % relative)
                passed += 1
            else:
                print("FAIL %s: the committed file differs from what the drawing code makes "
                      "(%d bytes committed, %d drawn)" % (relative, len(old), len(new)))
                failed += 1
    print("art: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


def main(argv):
    if argv == ["--check"]:
        return check()
    if len(argv) == 2 and argv[0] == "--out":
        write_all(argv[1])
        return 0
    if not argv:
        write_all(ROOT)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
