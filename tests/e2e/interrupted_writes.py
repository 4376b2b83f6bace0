#!/usr/bin/python3
"""kvhost killed while it saves, and two kvhost saving at once.

    interrupted_writes.py KVHOST DATA_DIR [--kills N] [--rounds N]

1. SIGKILL at a random moment of a run that saves a result workbook (--out) and its dump
   (--dump), N times: each target is afterwards either the file it was before or a whole new one
   (a zip package every member of which reads back; a dump that parses and equals the complete
   run's), never a part of one.
2. The same while kvhost writes the settings (settings set, alternating values): the store is
   always one whole file that reads back with one of the two values.
3. Two kvhost saving the same --out and --dump at once, N rounds: each target is one whole file.
4. Two kvhost setting different values at once, N rounds: no value that neither meant to remove
   is ever lost.
Afterwards no temporary file is left: those of killed runs are removed by the next run that saves
the same file. Prints what it did and exits 1 on the first fault it finds.
"""
import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time
import zipfile


def whole_zip(path):
    try:
        with zipfile.ZipFile(path) as z:
            return z.testzip() is None and "[Content_Types].xml" in z.namelist()
    except (zipfile.BadZipFile, OSError):
        return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kvhost")
    parser.add_argument("data")
    parser.add_argument("--kills", type=int, default=200)
    parser.add_argument("--rounds", type=int, default=200)
    options = parser.parse_args()
    rng = random.Random(int(os.environ.get("KV_KILL_SEED", "2026")))
    faults = []

    def fault(text):
        faults.append(text)
        print("FAIL:", text, flush=True)

    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=work,
                   KAVENLOR_REGISTRY=os.path.join(work, "registry"))
        book = os.path.join(work, "book.xlsx")
        dump = os.path.join(work, "book.json")
        tool = [options.kvhost, "run", "pca", "--data",
                os.path.join(options.data, "eu_stock_markets.csv"), "--select", "A2:D1861",
                "--ok", "--out", book, "--dump", dump]

        # The complete run: what a whole new dump holds, and how long a run takes.
        started = time.monotonic()
        subprocess.run(tool, env=env, check=True, capture_output=True)
        length = time.monotonic() - started
        with open(dump) as f:
            complete = json.load(f)
        before_book, before_dump = b"an earlier file", b"an earlier dump"

        def check_targets(what):
            for path, before, whole in ((book, before_book, whole_zip),
                                        (dump, before_dump, lambda p: json.load(open(p)) == complete)):
                with open(path, "rb") as f:
                    content = f.read()
                if content == before:
                    continue
                try:
                    ok = whole(path)
                except ValueError:
                    ok = False
                if not ok:
                    fault(f"{what}: {os.path.basename(path)} is neither the old file nor a whole new one")

        # 1. Killed while saving.
        replaced = 0
        for i in range(options.kills):
            for path, before in ((book, before_book), (dump, before_dump)):
                with open(path, "wb") as f:
                    f.write(before)
            run = subprocess.Popen(tool, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.3 * length, 1.05 * length)) # the save is the run's end
            run.send_signal(signal.SIGKILL)
            run.wait()
            check_targets(f"kill {i + 1}")
            replaced += open(dump, "rb").read() != before_dump
        print(f"{options.kills} runs killed while saving: {replaced} had put the new files in "
              f"place, the others left the old ones", flush=True)

        # 2. Killed while writing the settings.
        settings = [options.kvhost, "settings", "set", "IDIOMA"]
        subprocess.run(settings + ["1"], env=env, check=True, capture_output=True)
        for i in range(options.kills):
            run = subprocess.Popen(settings + [str(1 + i % 2)], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0, 0.02))
            run.send_signal(signal.SIGKILL)
            run.wait()
            shown = subprocess.run([options.kvhost, "settings", "show"], env=env,
                                   capture_output=True, text=True)
            if shown.returncode != 0 or not re.search(r'IDIOMA.*"[12]"', shown.stdout) \
                    or shown.stderr:
                fault(f"settings kill {i + 1}: {shown.stdout} {shown.stderr}")
                break
        print(f"{options.kills} settings writes killed: the store read back whole each time",
              flush=True)

        # 3. Two runs saving the same files at once.
        for i in range(options.rounds):
            runs = [subprocess.Popen(tool, env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL) for _ in range(2)]
            for run in runs:
                run.wait()
            before_book = before_dump = None
            check_targets(f"round {i + 1} of two saving at once")
        print(f"{options.rounds} rounds of two runs saving the same files: each file whole",
              flush=True)

        # 4. Two processes setting different values at once.
        registry = env["KAVENLOR_REGISTRY"]
        for i in range(options.rounds):
            if os.path.exists(registry):
                os.remove(registry)
            subprocess.run([options.kvhost, "settings", "set", "PATH", "/opt/kavenlor"],
                           env=env, check=True, capture_output=True)
            runs = [subprocess.Popen([options.kvhost, "settings", "set", name, value], env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                    for name, value in (("IDIOMA", "1"), ("VERSAO", "2.0"))]
            for run in runs:
                run.wait()
            shown = subprocess.run([options.kvhost, "settings", "show"], env=env,
                                   capture_output=True, text=True).stdout
            for name in ("PATH", "IDIOMA", "VERSAO"):
                if not re.search(rf"^{name}\b.*\"", shown, re.M):
                    fault(f"settings round {i + 1}: {name} was lost:\n{shown}")
            if faults:
                break
        print(f"{options.rounds} rounds of two processes setting values at once: none lost",
              flush=True)

        # What killed runs left is removed by the next run that saves the same files.
        subprocess.run(tool, env=env, check=True, capture_output=True)
        subprocess.run(settings + ["2"], env=env, check=True, capture_output=True)
        left = [name for name in os.listdir(work) if "kvhost-" in name or "kvtemp-" in name]
        if left:
            fault(f"temporary files left: {left}")
    print(f"{len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
