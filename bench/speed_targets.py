#!/usr/bin/python3
"""The four places where a user waits longest, timed in one run beside their anchors, against
the speed each must reach.

Usage: speed_targets.py BIN [BEFORE_BIN]

BIN is a build's bin folder (bench_result_workbooks, bench_workbook_read, kavenlor.so). With
BEFORE_BIN, an older build's bin folder, the same work is timed with it too, in the same run,
for a column "before". Each figure is the best of RUNS runs of its own process.

  ICA of 10 signals x 50,000 observations with its sources, OK to saved file
  PCA of 100 variables x 20,000 rows: the launch (reading 2 million cells) to the saved file
  reading a 50,000 x 20 .xlsx as --data does (the file bench/openpyxl_read.py writes)
  the best of the ARCH family on the DAX: 34 fits, OK to saved file

The anchors: the ICA's own computing, and zlib deflating the sheet's XML at its fastest level
(the least a saved file of those 500,000 numbers costs); numpy's corrcoef + eigh of the PCA's
shape; zlib inflating the .xlsx's sheet (the least reading it costs, before any parsing); the
34 fits one after the other on one thread (bench_regression_volatility). Exits 1 when a target
is missed.
"""
import os
import re
import subprocess
import sys
import time
import zipfile
import zlib

RUNS = 3
XLSX = "/tmp/kvhost_bench_50000x20.xlsx"


def best(times):
    return min(times) if times else float("nan")


def tool_seconds(bin_dir, case):
    """Each figure of a bench_result_workbooks case ("OK to saved file", ...), best of RUNS."""
    found = []
    for _ in range(RUNS):
        out = subprocess.run(
            [os.path.join(bin_dir, "bench_result_workbooks"), os.path.join(bin_dir, "kavenlor.so"),
             case], capture_output=True, text=True, check=True).stdout
        seconds = {m.group(1).strip(): float(m.group(2))
                   for m in re.finditer(r"^  (.+?)\s+([0-9.]+) s", out, re.M)}
        found.append(seconds)
    return {key: best([f[key] for f in found if key in f]) for key in found[0]}


def read_seconds(bin_dir):
    out = subprocess.run([os.path.join(bin_dir, "bench_workbook_read"), XLSX, str(RUNS)],
                         capture_output=True, text=True, check=True).stdout
    return float(re.search(r"seconds=([0-9.]+)", out).group(1))


def zlib_deflate_anchor():
    """Deflating a sheet of 50,000 rows x 10 numbers, as the ICA's sources are written, at zlib's
    fastest level: the XML is made here in the shape the writer gives it."""
    rows = []
    for r in range(1, 50001):
        cells = "".join(f'<c r="{chr(66 + c)}{r}" s="3"><v>{(r * 7919 + c) % 9973 / 997.3 - 5:.15g}'
                        f'</v></c>' for c in range(10))
        rows.append(f'<row r="{r}" spans="2:11">{cells}</row>')
    xml = ("<sheetData>" + "".join(rows) + "</sheetData>").encode()
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        c = zlib.compressobj(1, zlib.DEFLATED, -15)
        c.compress(xml)
        c.flush()
        times.append(time.perf_counter() - start)
    return best(times), len(xml) / 1e6


def zlib_inflate_anchor():
    with zipfile.ZipFile(XLSX) as z:
        info = z.getinfo("xl/worksheets/sheet1.xml")
        with open(XLSX, "rb") as f:
            f.seek(info.header_offset + 26)
            name_length = int.from_bytes(f.read(2), "little")
            extra_length = int.from_bytes(f.read(2), "little")
            f.seek(info.header_offset + 30 + name_length + extra_length)
            raw = f.read(info.compress_size)
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        zlib.decompressobj(-15).decompress(raw)
        times.append(time.perf_counter() - start)
    return best(times), info.file_size / 1e6


def numpy_pca_anchor():
    out = subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "numpy_pca.py")],
                         capture_output=True, text=True, check=True).stdout
    return float(re.search(r"([0-9.]+) s", out).group(1))


def one_thread_fits(bin_dir):
    out = subprocess.run([os.path.join(bin_dir, "bench_regression_volatility"),
                          "--benchmark_filter=BM_BestModelSearchDax/threads:1/"],
                         capture_output=True, text=True).stdout
    m = re.search(r"^BM_BestModelSearchDax/threads:1/\S*_median\s+([0-9.]+) s", out, re.M)
    return float(m.group(1)) if m else float("nan")


def measure(bin_dir):
    ica = tool_seconds(bin_dir, "ICA of 10 signals x 50000 observations")
    pca = tool_seconds(bin_dir, "PCA of 100 variables x 20000 rows, Kaiser")
    arch = tool_seconds(bin_dir, "best of 5 models x orders up to (2,2), 1859")
    return {
        "ica": ica["OK to saved file"],
        "ica_compute": ica["in the add-in: computing, laying out"],
        "pca": pca["launch to saved file"],
        "read": read_seconds(bin_dir),
        "arch": arch["OK to saved file"],
    }


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    if not os.path.exists(XLSX):
        sys.exit(f"{XLSX} is missing: bench/openpyxl_read.py writes it")
    now = measure(sys.argv[1])
    before = measure(sys.argv[2]) if len(sys.argv) == 3 else None
    deflate, xml_mb = zlib_deflate_anchor()
    inflate, sheet_mb = zlib_inflate_anchor()
    rows = [
        ("ICA 10 x 50,000 with sources, OK to saved file", "ica", 1.0,
         f"the ICA itself {now['ica_compute']:.3f} s; zlib level 1 on {xml_mb:.0f} MB of XML "
         f"{deflate:.3f} s"),
        ("PCA 100 x 20,000, launch to saved file", "pca", 0.3,
         f"numpy corrcoef + eigh {numpy_pca_anchor():.3f} s"),
        ("reading a 50,000 x 20 .xlsx", "read", 0.4,
         f"zlib inflating its {sheet_mb:.0f} MB sheet {inflate:.3f} s"),
        ("best of 34 ARCH-family fits on the DAX", "arch", 1.5,
         f"the fits on one thread {one_thread_fits(sys.argv[1]):.3f} s"),
    ]
    missed = 0
    print(f"  {'work':48} {'before':>8} {'now':>8} {'target':>8}  anchor")
    for title, key, target, anchor in rows:
        was = f"{before[key]:7.3f}s" if before else "       -"
        verdict = "" if now[key] <= target else "  (missed)"
        missed += now[key] > target
        print(f"  {title:48} {was} {now[key]:7.3f}s {target:7.1f}s  {anchor}{verdict}")
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
