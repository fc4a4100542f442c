#!/usr/bin/python3
"""Wall time of tavrel-fit on a script of 100,000 lines, against `wc -m` on the same files,
and time and peak memory on a pair of lines of 5 MB each.

Run: /usr/bin/python3 bench/fit_bench.py path/to/tavrel-fit [lines] [runs]

Writes into a temporary folder a table (single letters and punctuation, 128 two-character
and 30 three-letter entries on one byte, 500 kana and kana pairs on two bytes whose first
byte is also a one-byte code, an end token) and an original and
a translation of random words (about 45 characters a line, the translation a little longer,
one line in twenty with kana), then prints each run's wall time and the median, for the
greedy, the optimal and the JSON report and the codes check (--codes), and the median
processor time (user and system) of
the runs: on a machine shared with other work the wall time also holds the waits for a core,
so the load average is printed first. The floor is `wc -m` on the two scripts (reading and
decoding them), timed in turn with the default report, and the ratio of the medians is
printed. The 5 MB pair (one line of random words each) is timed in each mode with its peak
resident memory (/usr/bin/time -v). TAVREL_BENCH_KEEP=1 keeps the generated files (for a
profiler).
"""

import os
import random
import re
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


def word():
    return "".join(rng.choice(letters[:26]) for _ in range(rng.randint(2, 8)))


def line(extra):
    words = [word() for _ in range(rng.randint(5, 9) + extra)]
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

    def timed(command):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        done = subprocess.run(command, capture_output=True)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if done.returncode not in (0, 1):
            sys.exit(f"{command[0]} failed ({done.returncode}): {done.stderr.decode()}")
        return wall, after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime, done

    scripts = [paths["o.txt"], paths["tr.txt"]]
    floor = []
    for mode in ([], ["--optimal"], ["--json"], ["--codes"]):
        times, cpu = [], []
        for _ in range(runs):
            wall, processor, done = timed([fit, "--table", paths["t.tbl"], *scripts, *mode])
            times.append(wall)
            cpu.append(processor)
            if not mode:  # the floor in turn with the default report, under the same load
                floor.append(timed(["wc", "-m", *scripts])[0])
        summary = done.stdout.decode().strip().splitlines()[-1] if not mode else ""
        print(f"{' '.join(mode) or 'greedy'}: {lines} lines, runs "
              + " ".join(f"{t:.3f}" for t in times)
              + f" s, median {statistics.median(times):.3f} s"
              + f" (processor {statistics.median(cpu):.3f} s)"
              + (f"\n  {summary}" if summary else ""))
        if not mode:
            print(f"wc -m on the same files: runs " + " ".join(f"{t:.3f}" for t in floor)
                  + f" s, median {statistics.median(floor):.3f} s; default report / wc -m = "
                  + f"{statistics.median(times) / statistics.median(floor):.2f}")
        if mode == ["--codes"]:
            print(f"--codes / wc -m = {statistics.median(times) / statistics.median(floor):.2f}")

    for name in ("big_o.txt", "big_t.txt"):
        with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
            size, words = 0, []
            while size < 5_000_000:
                words.append(word() if rng.random() > 0.05 else "".join(rng.choice(kana) for _ in range(4)))
                size += len(words[-1].encode()) + 1
            f.write(" ".join(words) + "\n")
    for mode in ([], ["--optimal"], ["--json"]):
        command = ["/usr/bin/time", "-v", fit, "--table", paths["t.tbl"],
                   os.path.join(folder, "big_o.txt"), os.path.join(folder, "big_t.txt"), *mode]
        runs_of = [timed(command) for _ in range(3)]
        peaks = [int(re.search(rb"Maximum resident set size \(kbytes\): (\d+)", done.stderr)[1])
                 for _, _, done in runs_of]
        print(f"{' '.join(mode) or 'greedy'}: 5 MB line pair, median "
              f"{statistics.median(w for w, _, _ in runs_of):.3f} s, peak {max(peaks) / 1024:.1f} MB")
finally:
    if os.environ.get("TAVREL_BENCH_KEEP"):
        print("files kept in", folder)
    else:
        shutil.rmtree(folder)
