#!/usr/bin/python3
"""Excel refusing the add-in's calls, one at a time and from one on, in every command.

    fault_injection.py KVHOST DATA_DIR [--stride K] [--jobs J]

For each command below (the seven tools launched with OK on bundled data, in colour and in black
and white, and the menu, toolbar, language and add-in manager commands), kvhost first counts the
callbacks the command makes (--count-calls), then runs it once with --fail-call N and once with
--fail-calls-from N for each N from 1 to that count (every K-th N with --stride K, starting at a
different N for each command). Every run must end by itself within its time limit, with exit
status 0 or 1, without a sanitizer report; a run that ends with status 1 must have shown a
message (a "[Title] text" line on standard error). Prints the number of runs per command.
"""
import argparse
import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile

TIME_LIMIT = 60  # seconds per run, far above any command's time under the sanitizers
SANITIZER = re.compile(r"ERROR: AddressSanitizer|runtime error:|ERROR: LeakSanitizer")
MESSAGE = re.compile(r"^\[[^\]]+\] ", re.M)


def commands(data):
    prices = os.path.join(data, "eu_stock_markets.csv")
    curve = os.path.join(data, "yield_curve.csv")
    tools = {
        "hist": ["run", "hist", "--data", prices, "--select", "A2:A60", "--click", "o_normal"],
        "cmp": ["run", "cmp", "--data", curve, "--select", "A2:B13"],
        "pca": ["run", "pca", "--data", prices, "--select", "A2:D60"],
        "ica": ["run", "ica", "--data", prices, "--select", "A2:D60", "--click", "o_ica"],
        "rlm": ["run", "rlm", "--data", prices, "--select", "A2:D60"],
        "ewv": ["run", "ewv", "--data", prices, "--select", "A2:A80"],
        "arch": ["run", "arch", "--data", prices, "--select", "A2:A80", "--set", "r_grupo=1",
                 "--click", "o_graf"],
    }
    for name, args in tools.items():
        yield f"{name} colour", args + ["--ok"]
        yield f"{name} bw", args + ["--click", "o_cores", "--ok"]
    yield "menu", ["menu", "--close"]
    yield "toolbar", ["command", "kv_menu_exibir"]
    yield "portuguese", ["command", "kv_menu_port"]
    yield "english", ["--lang", "pt", "command", "kv_menu_ing"]
    yield "about", ["command", "kv_menu_sobre"]
    yield "add-in manager", ["addin", "add"]


def run(kvhost, args, env):
    try:
        done = subprocess.run([kvhost] + args, env=env, capture_output=True, text=True,
                              errors="replace", timeout=TIME_LIMIT)
    except subprocess.TimeoutExpired:
        return f"did not end within {TIME_LIMIT} s"
    err = done.stderr
    if SANITIZER.search(err):
        return "sanitizer report:\n" + err[-3000:]
    if done.returncode not in (0, 1):
        return f"exit status {done.returncode}:\n" + err[-2000:]
    if done.returncode == 1 and not MESSAGE.search(err):
        return "exit status 1 without a message:\n" + err[-2000:]
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kvhost")
    parser.add_argument("data")
    parser.add_argument("--stride", type=int, default=1)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    options = parser.parse_args()

    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home,
                   KAVENLOR_REGISTRY=os.path.join(home, "registry"))
        env.setdefault("ASAN_OPTIONS", "detect_leaks=1")
        failures = 0
        total = 0
        with concurrent.futures.ThreadPoolExecutor(options.jobs) as pool:
            for index, (name, args) in enumerate(commands(options.data)):
                counted = subprocess.run([options.kvhost, "--count-calls"] + args, env=env,
                                         capture_output=True, text=True, errors="replace",
                                         timeout=TIME_LIMIT)
                found = re.search(r"^(\d+) callbacks$", counted.stderr, re.M)
                if counted.returncode != 0 or not found:
                    print(f"FAIL {name}: the run without faults did not count its callbacks "
                          f"(exit {counted.returncode}):\n{counted.stderr[-2000:]}")
                    failures += 1
                    continue
                count = int(found.group(1))
                first = 1 + index % options.stride
                plan = [(option, n) for n in range(first, count + 1, options.stride)
                        for option in ("--fail-call", "--fail-calls-from")]
                results = pool.map(lambda job: (job, run(options.kvhost,
                                                         [job[0], str(job[1])] + args, env)),
                                   plan)
                bad = [(job, why) for job, why in results if why is not None]
                for (option, n), why in bad[:3]:
                    print(f"FAIL {name} {option} {n}: {why}")
                failures += len(bad)
                total += len(plan)
                print(f"{name}: {count} callbacks, {len(plan)} runs, {len(bad)} failed", flush=True)
        print(f"{total} runs with refused calls, {failures} failed")
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
