#!/usr/bin/env python3
"""Runs kvhost on a list of cases and keeps, per case, everything a user meets: the exit status,
what was printed (dialogs, messages) and every result workbook as kvhost's model dumps it.

    result_dumps.py run KVHOST CASES DATA OUTDIR     run every case, record into OUTDIR
    result_dumps.py compare EXPECTED ACTUAL          compare two recordings, case by case
    result_dumps.py check KVHOST CASES DATA GOLDEN   run into a scratch folder and compare with
                                                     GOLDEN; with KV_UPDATE_GOLDEN set, rewrite it
    result_dumps.py check ... --excel-version V      every case as Excel V (kvhost --excel-version),
                                                     against the same records

The records are taken as today's Excel (kvhost's default version). Run as Excel before version 12,
which offers only the Excel 4 interface, every case must give the same record but for the name of
the sheet's whole grid: A1:IV65536 there stands where A1:XFD1048576 stands in the records.

CASES holds one kvhost invocation per line (the arguments after `kvhost`); $DATA stands for the
bundled data folder and $CASES for the folder `cases` beside the cases file (small data sets made
for these runs). The runner adds `--dump` (and `--keep-partial`, so that a run that ends with
its message still dumps what it made) to
every `run`: a case that opens result workbooks gets book.json, book-2.json, ...

A record is one JSON file per case, normalised so that it says what the workbook is rather than
how it was made: each cell's format is given whole instead of as an index into the list of
formats (so the order in which formats were first created does not count), and the data folder
is named $DATA. Numbers must be equal; `compare --tolerance T` allows a relative difference T
(release and sanitizer builds may round a vectorised sum differently).
"""
import json
import math
import os
import re
import shlex
import subprocess
import sys
import tempfile


def cases_of(path):
    cases = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if line and not line.startswith("#"):
                cases.append((number, line))
    return cases


def slug(line):
    """A file name for a case: its arguments with the data folder left out, shortened."""
    line = line.replace("$DATA/", "").replace("$CASES/", "").replace("--", "")
    keep = "".join(c if c.isalnum() or c in "-_=." else "_" for c in line)
    while "__" in keep:
        keep = keep.replace("__", "_")
    return keep.strip("_")[:120]


def normalised(dump):
    """The dump with its formats listed in a fixed order (sorted by their contents), each cell's
    and sheet's format an index into that list, and each cell one compact row
    [address, type, value, format]."""
    formats = dump.pop("formats", [])
    keys = sorted({json.dumps(f, sort_keys=True) for f in formats})
    index = {k: i for i, k in enumerate(keys)}
    renumber = [index[json.dumps(f, sort_keys=True)] for f in formats]
    for sheet in dump.get("sheets", []):
        if isinstance(sheet.get("format"), int):
            sheet["format"] = renumber[sheet["format"]]
        if "cells" in sheet:
            sheet["cells"] = [[c["address"], c["type"], c["value"], renumber[c["format"]]]
                              for c in sheet["cells"]]
    dump["formats"] = [json.loads(k) for k in keys]
    return dump


EXCEL4_GRID, EXCEL12_GRID = "A1:IV65536", "A1:XFD1048576"


def run_case(kvhost, line, data, cases_dir, work, version=None):
    text = line.replace("$DATA", data).replace("$CASES", cases_dir)
    args = shlex.split(text)
    if version is not None:
        args = ["--excel-version", version] + args
    if "run" in args:
        # A run that ends with its message saves what it made only when asked to.
        args += ["--dump", "book.json", "--keep-partial"]
    env = dict(os.environ)
    env["KAVENLOR_REGISTRY"] = os.path.join(work, "registry")
    proc = subprocess.run([kvhost] + args, cwd=work, env=env, capture_output=True, timeout=600)

    def shown(raw):
        text = raw.decode("utf-8", "replace").replace(data, "$DATA").replace(work, "$OUT")
        return text.replace(cases_dir, "$CASES")

    # Progress on the status bar comes in the order parallel work ends: compared as a set. A fit
    # is announced only once it has run for a second, which depends on the machine's load: such
    # lines are left out.
    err = [l for l in shown(proc.stderr).splitlines(keepends=True)
           if not re.match(r"\[Status\] (Estimating|Estimando) ", l)]
    # A line "3 of 34 — GARCH (1,1)" pairs a count with whichever fit ended third.
    progress = sorted(re.sub(r"\b\d+ (de|of) (\d+)", r"# \1 \2", l)
                      for l in err if l.startswith("[Status] "))
    err = "".join([l for l in err if not l.startswith("[Status] ")] + progress)
    record = {"case": line, "status": proc.returncode, "stdout": shown(proc.stdout),
              "stderr": err, "books": []}
    if version is not None:
        record = json.loads(json.dumps(record).replace(EXCEL4_GRID, EXCEL12_GRID))
    number = 1
    while True:
        name = "book.json" if number == 1 else f"book-{number}.json"
        path = os.path.join(work, name)
        if not os.path.exists(path):
            break
        with open(path, encoding="utf-8") as f:
            book = json.load(f)
        if version is not None:
            book = json.loads(json.dumps(book).replace(EXCEL4_GRID, EXCEL12_GRID))
        record["books"].append(normalised(book))
        number += 1
    return record


def write_record(record, f):
    """One line per cell, so that a difference reads as a line of a diff."""
    books = record.pop("books")
    text = json.dumps(record, indent=1, sort_keys=True, ensure_ascii=False)
    parts = []
    for book in books:
        sheets = book.pop("sheets", [])
        head = json.dumps(book, sort_keys=True, ensure_ascii=False)
        rendered = []
        for sheet in sheets:
            cells = sheet.pop("cells", None)
            line = json.dumps(sheet, sort_keys=True, ensure_ascii=False)
            if cells is not None:
                body = ",\n    ".join(json.dumps(c, ensure_ascii=False) for c in cells)
                line = line[:-1] + ',\n   "cells": [\n    ' + body + "]}" if cells else \
                    line[:-1] + ', "cells": []}'
            rendered.append("  " + line)
        parts.append(head[:-1] + ', "sheets": [\n' + ",\n".join(rendered) + "]}")
    f.write(text[:-1] + ',\n "books": [\n' + ",\n".join(parts) + "]\n}\n")


def record_all(kvhost, cases_file, data, outdir, version=None):
    os.makedirs(outdir, exist_ok=True)
    kvhost = os.path.abspath(kvhost)
    cases_dir = os.path.join(os.path.dirname(os.path.abspath(cases_file)), "cases")
    data = os.path.abspath(data)
    names = set()
    for number, line in cases_of(cases_file):
        name = slug(line)
        while name in names:
            name += "+"
        names.add(name)
        with tempfile.TemporaryDirectory() as work:
            record = run_case(kvhost, line, data, cases_dir, work, version)
        with open(os.path.join(outdir, name + ".json"), "w", encoding="utf-8") as f:
            write_record(record, f)
    return len(names)


def close(a, b, tolerance):
    if a == b or (math.isnan(a) and math.isnan(b)):
        return True
    return abs(a - b) <= tolerance * max(abs(a), abs(b))


def difference(a, b, tolerance, where="$"):
    if isinstance(a, bool) or isinstance(b, bool):
        return None if a is b else f"{where}: {a!r} != {b!r}"
    if isinstance(a, (int, float)) and isinstance(b, (int, float)):
        return None if close(float(a), float(b), tolerance) else f"{where}: {a!r} != {b!r}"
    if isinstance(a, list) and isinstance(b, list):
        for i, (x, y) in enumerate(zip(a, b)):
            if (why := difference(x, y, tolerance, f"{where}[{i}]")) is not None:
                return why
        return None if len(a) == len(b) else f"{where}: {len(a)} items != {len(b)} items"
    if isinstance(a, dict) and isinstance(b, dict):
        if a.keys() != b.keys():
            return f"{where}: keys {sorted(a.keys() ^ b.keys())} in one only"
        for k in sorted(a):
            if (why := difference(a[k], b[k], tolerance, f"{where}.{k}")) is not None:
                return why
        return None
    return None if a == b else f"{where}:\n    expected {a!r}\n    got      {b!r}"


def compare(expected, actual, tolerance):
    names = sorted(set(os.listdir(expected)) | set(os.listdir(actual)))
    same = differ = 0
    for name in names:
        a_path, b_path = os.path.join(expected, name), os.path.join(actual, name)
        if not os.path.exists(a_path) or not os.path.exists(b_path):
            print(f"DIFFERS {name}: only in {expected if os.path.exists(a_path) else actual}")
            differ += 1
            continue
        with open(a_path, encoding="utf-8") as f:
            a = json.load(f)
        with open(b_path, encoding="utf-8") as f:
            b = json.load(f)
        why = difference(a, b, tolerance)
        if why is None:
            same += 1
        else:
            differ += 1
            print(f"DIFFERS {a['case']}\n  {why}")
    books = sum(len(json.load(open(os.path.join(expected, n), encoding="utf-8"))["books"])
                for n in names if os.path.exists(os.path.join(expected, n)))
    print(f"{len(names)} cases ({books} result workbooks): {same} the same, {differ} different")
    return differ == 0


def main(argv):
    if len(argv) >= 2 and argv[1] == "run" and len(argv) == 6:
        n = record_all(argv[2], argv[3], argv[4], argv[5])
        print(f"{n} cases recorded in {argv[5]}")
        return 0
    tolerance = 0.0
    version = None
    if "--excel-version" in argv:
        i = argv.index("--excel-version")
        version = argv[i + 1]
        del argv[i:i + 2]
    if "--tolerance" in argv:
        i = argv.index("--tolerance")
        tolerance = float(argv[i + 1])
        del argv[i:i + 2]
    if len(argv) == 4 and argv[1] == "compare":
        return 0 if compare(argv[2], argv[3], tolerance) else 1
    if len(argv) == 6 and argv[1] == "check":
        kvhost, cases_file, data, golden = argv[2:]
        if os.environ.get("KV_UPDATE_GOLDEN") and version is None:
            for name in os.listdir(golden) if os.path.isdir(golden) else []:
                os.remove(os.path.join(golden, name))
            n = record_all(kvhost, cases_file, data, golden)
            print(f"{n} cases written to {golden}")
            return 0
        with tempfile.TemporaryDirectory() as scratch:
            record_all(kvhost, cases_file, data, scratch, version)
            ok = compare(golden, scratch, tolerance)
        if not ok:
            print("KV_UPDATE_GOLDEN=1 rewrites the records after a deliberate change")
        return 0 if ok else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
