#!/usr/bin/env python3
"""Compares what kvhost printed or wrote with the Linux add-in and with the Windows one.

    compare_outputs.py LINUX_FILE WINDOWS_FILE [--path LINUX_PATH=WINDOWS_PATH ...]

Texts must be the same, character for character; numbers may differ by 1e-12 relative (the two
C libraries may round the last bit differently). The add-in's own path differs between the two
runs: each --path pair says which Windows text stands for which Linux one. JSON files (the
model dumps) are compared value by value. Prints the first difference and exits 1.
"""
import json
import math
import re
import sys

NUMBER = re.compile(r"[-+]?(?:\d+\.\d*|\.\d+|\d+)(?:[eE][-+]?\d+)?")
TOLERANCE = 1e-12


def close(a, b):
    if a == b:
        return True
    if math.isnan(a) and math.isnan(b):
        return True
    return abs(a - b) <= TOLERANCE * max(abs(a), abs(b))


def same_text(a, b):
    """Texts equal but for numbers within the tolerance."""
    if a == b:
        return True
    parts_a, parts_b = NUMBER.split(a), NUMBER.split(b)
    if parts_a != parts_b:
        return False
    return all(close(float(x), float(y)) for x, y in zip(NUMBER.findall(a), NUMBER.findall(b)))


def same_json(a, b, where="$"):
    if isinstance(a, bool) or isinstance(b, bool):
        return None if a is b else f"{where}: {a!r} != {b!r}"
    if isinstance(a, (int, float)) and isinstance(b, (int, float)):
        return None if close(float(a), float(b)) else f"{where}: {a!r} != {b!r}"
    if isinstance(a, str) and isinstance(b, str):
        return None if same_text(a, b) else f"{where}: {a!r} != {b!r}"
    if isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            return f"{where}: {len(a)} items != {len(b)} items"
        for i, (x, y) in enumerate(zip(a, b)):
            if (why := same_json(x, y, f"{where}[{i}]")) is not None:
                return why
        return None
    if isinstance(a, dict) and isinstance(b, dict):
        if a.keys() != b.keys():
            return f"{where}: keys {sorted(a.keys() ^ b.keys())} in one only"
        for k in a:
            if (why := same_json(a[k], b[k], f"{where}.{k}")) is not None:
                return why
        return None
    return None if a == b else f"{where}: {a!r} != {b!r}"


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    linux_file, windows_file = argv[1], argv[2]
    paths = []
    rest = argv[3:]
    while rest[:1] == ["--path"] and len(rest) >= 2:
        linux, windows = rest[1].split("=", 1)
        paths.append((windows, linux))
        rest = rest[2:]
    with open(linux_file, encoding="utf-8", errors="surrogateescape") as f:
        linux = f.read()
    with open(windows_file, encoding="utf-8", errors="surrogateescape") as f:
        windows = f.read()
    # Longest first, so that a folder does not replace part of the file inside it.
    for windows_path, linux_path in sorted(paths, key=lambda p: -len(p[0])):
        windows = windows.replace(windows_path, linux_path)
    if linux_file.endswith(".json"):
        why = same_json(json.loads(linux), json.loads(windows))
        if why is not None:
            print(f"{windows_file}: {why}")
            return 1
        return 0
    lines_l, lines_w = linux.splitlines(), windows.splitlines()
    for i, (a, b) in enumerate(zip(lines_l, lines_w), 1):
        if not same_text(a, b):
            print(f"{windows_file}:{i}: differs from the Linux add-in's\n  linux:   {a}\n  windows: {b}")
            return 1
    if len(lines_l) != len(lines_w):
        print(f"{windows_file}: {len(lines_w)} lines, the Linux add-in's {len(lines_l)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
