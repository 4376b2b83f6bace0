#!/usr/bin/python3
"""Reading a 50,000 x 20 numeric .xlsx: kvhost's reader beside openpyxl's read-only mode, in the
same run on the same file.

Usage: openpyxl_read.py BENCH_WORKBOOK_READ [FOLDER]

The workbook (one sheet, 50,000 rows of 20 random numbers written with their full 17 digits) is
written by openpyxl's write-only mode into FOLDER (default /tmp) once and kept. kvhost's reader
runs in a process of its own (bench_workbook_read, best of 3 reads; its peak resident memory
covers the three); openpyxl reads every value with iter_rows(values_only=True), best of 3. Both
must find the same million numbers with the same sum. Exits 1 when kvhost's read takes 1 s or
more or its peak memory reaches 200 MB.
"""
import math
import os
import random
import resource
import subprocess
import sys
import time

import openpyxl

ROWS, COLUMNS = 50_000, 20


def make(path):
    rng = random.Random(50_000)
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet("Retornos")
    for _ in range(ROWS):
        row = []
        for _ in range(COLUMNS):
            cell = openpyxl.cell.WriteOnlyCell(ws, value=repr(rng.gauss(0, 0.02)))
            cell.data_type = "n"  # the shortest text that gives the number back, as Excel writes
            row.append(cell)
        ws.append(row)
    wb.save(path)


def openpyxl_read(path):
    wb = openpyxl.load_workbook(path, read_only=True)
    total, count = 0.0, 0
    for row in wb.active.iter_rows(values_only=True):
        for value in row:
            if isinstance(value, (int, float)):
                total += value
                count += 1
    wb.close()
    return count, total


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    tool = sys.argv[1]
    folder = sys.argv[2] if len(sys.argv) == 3 else "/tmp"
    path = os.path.join(folder, f"kvhost_bench_{ROWS}x{COLUMNS}.xlsx")
    if not os.path.exists(path):
        print(f"writing {path} with openpyxl ...", flush=True)
        make(path + ".part")
        os.replace(path + ".part", path)
    size_mb = os.path.getsize(path) / 2**20

    run = subprocess.run([tool, path, "3"], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"{tool} failed: {run.stderr}")
    ours = dict(item.split("=") for item in run.stdout.split())
    seconds, peak = float(ours["seconds"]), float(ours["peak_mb"])

    best = math.inf
    for _ in range(3):
        start = time.perf_counter()
        count, total = openpyxl_read(path)
        best = min(best, time.perf_counter() - start)
    theirs_peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024

    print(f"reading {ROWS:,} x {COLUMNS} numbers ({size_mb:.1f} MB .xlsx), best of 3:")
    print(f"  kvhost's reader      {seconds:8.3f} s   peak memory {peak:6.1f} MB")
    print(f"  openpyxl read-only   {best:8.3f} s   peak memory {theirs_peak:6.1f} MB (this Python process)")
    print(f"  kvhost is {best / seconds:.1f} times as fast")
    ok = True
    if int(ours["cells"]) != count or count != ROWS * COLUMNS:
        print(f"FAIL: kvhost read {ours['cells']} numbers, openpyxl {count}")
        ok = False
    if not math.isclose(float(ours["sum"]), total, rel_tol=1e-9, abs_tol=1e-9):
        print(f"FAIL: the sums differ: kvhost {ours['sum']}, openpyxl {total!r}")
        ok = False
    if seconds >= 1.0:
        print(f"FAIL: kvhost's read took {seconds:.3f} s, the target is under 1 s")
        ok = False
    if peak >= 200:
        print(f"FAIL: kvhost's peak memory {peak:.1f} MB, the target is under 200 MB")
        ok = False
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
