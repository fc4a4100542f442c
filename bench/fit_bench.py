#!/usr/bin/python3
"""Wall time of tavrel-fit on a script of 100,000 lines.

Run: /usr/bin/python3 bench/fit_bench.py path/to/tavrel-fit [lines] [runs]

Writes into a temporary folder a table (single letters and punctuation, 128 two-character
and 30 three-letter entries on one byte, 500 kana and kana pairs on two bytes whose first
byte is also a one-byte code, an end token) and an original and
a translation of random words (about 45 characters a line, the translation a little longer,
one line in twenty with kana), then prints each run's wall time and the median, for the
greedy, the optimal and the JSON report, and the median processor time (user and system) of
the runs: on a machine shared with other work the wall time also holds the waits for a core,
so the load average is printed first. TAVREL_BENCH_KEEP=1 keeps the generated files (for a
profiler).
"""

import os
import random
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

fit = sys.argv[1]
lines = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
rng = random.Random(7)
letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ .,!?'"
kana = [chr(0x3041 + i) for i in range(80)]

table = [f"{0x20 + i:02X}={c}" for i, c in enumerate(letters)]
pairs = {rng.choice(letters[:26]) + rng.choice(letters[:26] + " ") for _ in range(400)}
for i, text in enumerate(sorted(pairs)[:128]):
    table.append(f"{0x60 + i:02X}={text}")
for i in range(30):
    table.append(f"{0xE0 + i:02X}=" + "".join(rng.choice(letters[:26]) for _ in range(3)))
for i in range(500):
    table.append(f"{0x8140 + i:04X}={kana[i % 80]}{'' if i < 80 else kana[(i // 80) % 80]}")
table.append("/FF=<end>")


def line(extra):
    words = [
        "".join(rng.choice(letters[:26]) for _ in range(rng.randint(2, 8)))
        for _ in range(rng.randint(5, 9) + extra)
    ]
    if rng.random() < 0.05:
        words.append("".join(rng.choice(kana) for _ in range(4)))
    return " ".join(words) + "<end>"


print("load average %.2f %.2f %.2f on %d cores" % (*os.getloadavg(), os.cpu_count()))
folder = tempfile.mkdtemp(prefix="tavrel-fit-bench-")
try:
    paths = {name: os.path.join(folder, name) for name in ("t.tbl", "o.txt", "tr.txt")}
    with open(paths["t.tbl"], "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join(table) + "\n")
    for name, extra in (("o.txt", 0), ("tr.txt", 1)):
        with open(paths[name], "w", encoding="utf-8", newline="\r\n") as f:
            f.write("\n".join(line(extra) for _ in range(lines)) + "\n")

    for mode in ([], ["--optimal"], ["--json"]):
        times, cpu = [], []
        for _ in range(runs):
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            start = time.perf_counter()
            done = subprocess.run([fit, "--table", paths["t.tbl"], paths["o.txt"],
                                   paths["tr.txt"], *mode], capture_output=True)
            times.append(time.perf_counter() - start)
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu.append(after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime)
            if done.returncode not in (0, 1):
                sys.exit(f"tavrel-fit failed ({done.returncode}): {done.stderr.decode()}")
        summary = done.stdout.decode().strip().splitlines()[-1] if not mode else ""
        print(f"{' '.join(mode) or 'greedy'}: {lines} lines, runs "
              + " ".join(f"{t:.3f}" for t in times)
              + f" s, median {statistics.median(times):.3f} s"
              + f" (processor {statistics.median(cpu):.3f} s)"
              + (f"\n  {summary}" if summary else ""))
finally:
    if os.environ.get("TAVREL_BENCH_KEEP"):
        print("files kept in", folder)
    else:
        shutil.rmtree(folder)
