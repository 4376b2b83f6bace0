#!/usr/bin/python3
"""Times the multivariate core against numpy and scikit-learn on the same inputs, in one run.

    /usr/bin/python3 bench/numpy_multivariate.py [build/default/bin/bench_multivariate]

Runs bench_multivariate (Google Benchmark), which also writes its inputs to a temporary folder;
then times numpy.linalg.eigh on the same correlation matrices and scikit-learn's
FastICA(algorithm='deflation', fun='exp', whiten=False) on the same whitened signals, and prints
both with their ratio. Each time is the best of five repetitions.
"""
import json
import os
import subprocess
import sys
import tempfile
import timeit

import numpy as np
from sklearn.decomposition import FastICA

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_BENCH = os.path.join(HERE, "..", "build", "default", "bin", "bench_multivariate")


def read(path):
    with open(path, "rb") as f:
        rows, cols = np.fromfile(f, dtype="<i8", count=2)
        return np.fromfile(f, dtype="<f8").reshape(rows, cols)


def best(stmt, number):
    return min(timeit.repeat(stmt, number=number, repeat=5)) / number


def main():
    bench = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_BENCH
    with tempfile.TemporaryDirectory() as inputs:
        out = subprocess.run([bench, f"--write-inputs={inputs}", "--benchmark_format=json",
                              "--benchmark_repetitions=5", "--benchmark_min_time=0.2"],
                             capture_output=True, text=True, check=True)
        ours, counters = {}, {}
        for b in json.loads(out.stdout)["benchmarks"]:
            if b.get("run_type") != "iteration":
                continue
            name = b["run_name"]
            ms = b["real_time"] * {"ms": 1.0, "us": 1e-3, "ns": 1e-6}[b["time_unit"]]
            ours[name] = min(ours.get(name, float("inf")), ms)
            counters[name] = {k: b[k] for k in ("qr_steps", "iterations") if k in b}

        print(f"{'computation':34} {'ours ms':>9} {'reference ms':>13} {'ratio':>6}  notes")
        for name in ours:
            if not name.startswith("autovalores/"):
                continue
            _, family, p = name.split("/")
            a = read(os.path.join(inputs, f"eigen_{family}_{p}.bin"))
            theirs = best(lambda: np.linalg.eigh(a), max(1, 2000 // int(p))) * 1e3
            print(f"{name:34} {ours[name]:9.3f} {theirs:13.3f} {ours[name] / theirs:6.2f}"
                  f"  numpy.linalg.eigh; {int(counters[name]['qr_steps'])} QR steps")

        z = read(os.path.join(inputs, "ica_z.bin"))
        ica = FastICA(algorithm="deflation", fun="exp", whiten=False, random_state=0)
        theirs = best(lambda: ica.fit(z.T), 1) * 1e3
        name = "fastica/5x100000"
        print(f"{name:34} {ours[name]:9.3f} {theirs:13.3f} {ours[name] / theirs:6.2f}"
              f"  scikit-learn FastICA deflation/exp ({ica.n_iter_} iterations at most per"
              f" component); ours {int(counters[name]['iterations'])} iterations in all")


if __name__ == "__main__":
    main()
