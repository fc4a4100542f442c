#!/usr/bin/python3
"""Wall time of tavrel-fit on an extractor's dump of 13,000 lines, a whole handheld RPG script.

Run: /usr/bin/python3 bench/dump_bench.py path/to/tavrel-fit [lines] [runs]

Writes into a temporary folder a Shift-JIS table (the JIS kana and 2,000 kanji on two bytes,
ASCII letters on one, a line break labelled "<line>\\n//", "/00=<end>\\n\\n") and a dump as the
common extractors write it: blocks declared by #JMP, and for each string its header
("//POINTER #n @ $.. - STRING #n @ $.."), its pointer command, its Japanese original on comment
lines and an English translation, one string in ten untranslated. Prints the wall time of each
run and the median, for the greedy and the optimal check, with the table in Shift-JIS read
through --encoding.
"""

import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

fit = sys.argv[1]
lines = int(sys.argv[2]) if len(sys.argv) > 2 else 13_000
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 7
rng = random.Random(19)

table = [f"{ord(c):02X}={c}" for c in "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ .,!?'"]
kana = [chr(0x3041 + i) for i in range(83)]
kanji = []
for code in range(0x889F, 0x9FFC):
    try:
        char = code.to_bytes(2, "big").decode("shift_jis")
    except UnicodeDecodeError:
        continue
    kanji.append(char)
    if len(kanji) == 2000:
        break
for char in kana + kanji:
    table.append(char.encode("shift_jis").hex().upper() + "=" + char)
table += ["01=<line>\\n//", "/00=<end>\\n\\n"]
words = ["the", "king", "sword", "castle", "north", "you", "must", "find", "old", "tower",
         "Hero", "magic", "gold", "inn", "rest", "night", "dragon", "lost", "village", "key"]

dump, address, string = ["//GAME NAME: Bench", ""], 0x10000, 0
while len(dump) < lines:
    dump += [f"#JMP(${address:X},${address + 0x7FF:X})", ""]
    block_start = address
    while address < block_start + 0x700 and len(dump) < lines:
        original = ["".join(rng.choice(kana + kanji) for _ in range(rng.randint(6, 14)))
                    for _ in range(rng.randint(1, 3))]
        room = sum(2 * len(o) for o in original) + len(original)
        translated = [" ".join(rng.choice(words) for _ in range(rng.randint(2, 4)))
                      for _ in original] if rng.random() > 0.1 else []
        dump += [f"//POINTER #{string} @ ${string * 2:X} - STRING #{string} @ ${address:X}", "",
                 f"#W16(${string * 2:X})", *("//" + "<line>\n//".join(original) + "<end>").split("\n"),
                 ""]
        dump += [*("<line>\n".join(translated) + "<end>").split("\n"), ""] if translated else []
        address += room
        string += 1
    dump.append(f"// current address: ${address:X}")
    address = block_start + 0x800

# TAVREL_BENCH_KEEP=1 keeps the generated files (for a profiler, or a look).
if os.environ.get("TAVREL_BENCH_KEEP"):
    folder = tempfile.mkdtemp(prefix="tavrel-dump-bench-")
    print(f"files kept in {folder}")
else:
    kept = tempfile.TemporaryDirectory(prefix="tavrel-dump-bench-")
    folder = kept.name
tbl = os.path.join(folder, "game.tbl")
script = os.path.join(folder, "script.txt")
with open(tbl, "wb") as f:
    f.write("\r\n".join(table).encode("shift_jis") + b"\r\n")
with open(script, "wb") as f:
    f.write("\r\n".join(dump).encode("shift_jis") + b"\r\n")
with open(script, "rb") as f:
    total = f.read().count(b"\n")
print(f"dump: {total} lines, {string} strings; table: {len(table)} entries; "
      f"load average {os.getloadavg()[0]:.2f}")

for label, extra in (("greedy", []), ("optimal", ["--optimal"])):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        done = subprocess.run([fit, "--table", tbl, "--script", script, "--encoding", "Shift_JIS",
                               *extra], capture_output=True, text=True)
        times.append(time.perf_counter() - start)
        if done.returncode == 2:
            sys.exit(f"tavrel-fit failed: {done.stderr}")
    summary = done.stdout.strip().splitlines()[-1]
    print(f"{label}: median {statistics.median(times) * 1000:.1f} ms, runs "
          + ", ".join(f"{t * 1000:.1f}" for t in times) + f" ms\n  {summary}")
