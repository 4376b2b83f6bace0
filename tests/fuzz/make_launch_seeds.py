#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz_launch harness into tests/fuzz/corpus/fuzz_launch/: for each
of the seven tools a selection of plausible data that opens its dialog, in the byte layout the
harness reads (tool, OK, first area, extra areas, sheet, then each cell as kind and number)."""
import math
import pathlib
import random
import struct

HERE = pathlib.Path(__file__).resolve().parent / "corpus" / "fuzz_launch"
TOOLS = ["hist", "cmp", "pca", "ica", "rlm", "ewv", "arch"]


def number(value):
    # the harness's third kind of number: (word - 32768) / 64 when its scale byte is 0
    word = 32768 + round(value * 64)
    return bytes([3]) + struct.pack("<H", word) + bytes([0])


def seed(tool, ok, rows, columns, cell):
    data = bytes([TOOLS.index(tool), 0 if ok else 1])
    data += bytes([0, rows - 1, 0, columns - 1, 0])  # A1 to the last cell, not a whole column
    data += bytes([0])  # one area
    data += bytes([0, 0])  # the sheet "Dados", no rows beyond the selection
    for r in range(rows):
        for c in range(columns):
            data += bytes([0]) + number(cell(r, c))
    return data


def main():
    rng = random.Random(17)
    walk = [100.0]
    for _ in range(63):
        walk.append(walk[-1] * math.exp(rng.gauss(0, 0.02)))
    mixed = lambda r, c: round(rng.uniform(-50, 50) + 3 * c * r / 10, 2)
    seeds = {
        "hist": seed("hist", True, 30, 1, lambda r, c: rng.gauss(0, 10)),
        "cmp": seed("cmp", True, 8, 2,
                    lambda r, c: [0.11, 0.115, 0.12, 0.118, 0.125, 0.13, 0.128, 0.135][r]
                    if c == 0 else [1, 21, 42, 63, 126, 252, 378, 504][r]),
        "pca": seed("pca", True, 20, 3, mixed),
        "ica": seed("ica", False, 20, 3, mixed),
        "rlm": seed("rlm", True, 20, 3, mixed),
        "ewv": seed("ewv", True, 60, 1, lambda r, c: walk[r]),
        "arch": seed("arch", False, 60, 1, lambda r, c: walk[r]),
    }
    HERE.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (HERE / name).write_bytes(data)


if __name__ == "__main__":
    main()
