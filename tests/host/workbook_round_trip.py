#!/usr/bin/python3
"""Round trips of workbooks through kvhost's data readers, cell by cell.

Usage: workbook_round_trip.py WORKBOOK_CELLS openpyxl|libreoffice

openpyxl: the workbook make_workbooks.py writes with openpyxl, read by kvhost, must give every
cell of EXPECTED.json with its type and value (numbers bit for bit), no other cell, the sheets
in order with their visibility; formulas without a cached value are empty cells.

libreoffice: the same workbook converted by LibreOffice (soffice) to .xlsx, which stores the
formulas' calculated values (and numbers to 15 significant digits, as LibreOffice 7 writes
them), must give the same cells plus the formulas' values; converted to
.xls (Excel 97-2003) and read through FreeXL it must give the same numbers and texts. FreeXL 1.0
reports no Booleans, no error values and no formula results: the .xls check expects those cells
empty, so a FreeXL that starts to report them shows up here. Exits 77 (skipped) without soffice.
"""
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def cells_of(tool, path):
    run = subprocess.run([tool, path], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"FAIL: {tool} {path}: exit {run.returncode}: {run.stderr}")
    return json.loads(run.stdout)


def same_value(kind, got, expected, digits):
    if kind == "n":
        if digits is not None:  # the text rounded to `digits` significant digits
            return math.isclose(float(got), float(expected), rel_tol=10.0 ** (1 - digits))
        return float(got) == float(expected)
    return got == expected


def compare(label, got, expected_sheets, extra=None, drop=lambda kind, ref: False, digits=None):
    """Every expected cell with its type and value, and nothing else; failures listed."""
    problems = []
    checked = 0
    names = [s["name"] for s in got["sheets"]]
    want = [s["name"] for s in expected_sheets]
    if names != want:
        problems.append(f"sheets {names}, expected {want}")
    for sheet in expected_sheets:
        found = next((s for s in got["sheets"] if s["name"] == sheet["name"]), None)
        if found is None:
            continue
        if "visible" in sheet and found["visible"] != sheet["visible"]:
            problems.append(f"{sheet['name']}: visible {found['visible']}, expected {sheet['visible']}")
        expected = {ref: v for ref, v in sheet["cells"].items() if not drop(v[0], ref)}
        for key, value in (extra or {}).items():
            name, ref = key.split("!")
            if name == sheet["name"]:
                expected[ref] = value
        cells = found["cells"]
        checked += len(expected)
        for ref, (kind, value) in expected.items():
            if ref not in cells:
                problems.append(f"{sheet['name']}!{ref}: empty, expected {kind} {value!r}")
            elif cells[ref][0] != kind or not same_value(kind, cells[ref][1], value, digits):
                problems.append(f"{sheet['name']}!{ref}: {cells[ref]!r}, expected {[kind, value]!r}")
        for ref in cells.keys() - expected.keys():
            problems.append(f"{sheet['name']}!{ref}: {cells[ref]!r}, expected empty")
    if problems:
        print(f"FAIL: {label}: {len(problems)} cells differ")
        for p in problems[:40]:
            print("  " + p)
        return False
    print(f"ok: {label}: {checked} cells of {len(want)} sheets read back as written")
    return True


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("openpyxl", "libreoffice"):
        sys.exit(__doc__)
    tool, mode = sys.argv[1], sys.argv[2]
    if mode == "libreoffice" and shutil.which("soffice") is None:
        print("skipped: soffice (LibreOffice) is not installed")
        sys.exit(77)
    folder = tempfile.mkdtemp()
    try:
        book = os.path.join(folder, "roundtrip.xlsx")
        expected_path = os.path.join(folder, "expected.json")
        subprocess.run(["/usr/bin/python3", os.path.join(HERE, "data", "make_workbooks.py"),
                        "roundtrip", book, expected_path], check=True)
        with open(expected_path, encoding="utf-8") as f:
            expected = json.load(f)
        sheets = expected["sheets"]
        if not sheets or not all(s["cells"] for s in sheets):
            sys.exit("FAIL: the generator wrote no cells")
        if mode == "openpyxl":
            ok = compare("openpyxl's workbook", cells_of(tool, book), sheets)
            sys.exit(0 if ok else 1)

        # LibreOffice has no 1900-02-29: it counts the days before 1900-03-01 one higher than
        # Excel and writes 1900-01-01 as day 2.
        for s in sheets:
            if s["name"] == "Datas":
                s["cells"]["A4"] = ["n", 2.0]
        ok = True
        for target in ("xls", "xlsx"):
            outdir = os.path.join(folder, target)
            run = subprocess.run(
                ["timeout", "240", "soffice", "--headless",
                 f"-env:UserInstallation=file://{folder}/profile", "--convert-to", target,
                 "--outdir", outdir, book], capture_output=True, text=True)
            converted = os.path.join(outdir, "roundtrip." + target)
            if run.returncode != 0 or not os.path.exists(converted):
                print(f"FAIL: soffice --convert-to {target}: exit {run.returncode}: {run.stderr}")
                ok = False
                continue
            got = cells_of(tool, converted)
            if target == "xlsx":
                # LibreOffice 7 writes numbers to .xlsx with 15 significant digits.
                ok &= compare("LibreOffice's .xlsx (numbers to 15 digits)", got, sheets,
                              extra=expected["formulas"], digits=15)
            else:
                # FreeXL does not tell hidden sheets apart.
                for s in sheets:
                    s.pop("visible", None)
                ok &= compare("LibreOffice's .xls through FreeXL", got, sheets,
                              drop=lambda kind, ref: kind in ("b", "e"))
                for s in sheets:
                    s["visible"] = s["name"] != "Oculta"
        sys.exit(0 if ok else 1)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
