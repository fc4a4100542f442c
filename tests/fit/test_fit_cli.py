#!/usr/bin/python3
"""tavrel-fit run as a project's CI would: exit codes, the row of a line over budget, JSON.

Run: /usr/bin/python3 test_fit_cli.py path/to/tavrel-fit
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

FIT = sys.argv[1]
ABCD = "61=a\r\n62=b\r\n63=c\r\n64=d\r\n80=ab\r\n81=bcd\r\n20= \r\n/FF=<end>\r\n"
folder = tempfile.mkdtemp(prefix="tavrel-fit-")


def write(name, text, encoding="utf-8"):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(text.encode(encoding))
    return path


def fit(*args):
    done = subprocess.run([FIT, *args], capture_output=True, timeout=60)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


tbl = write("abcd.tbl", ABCD)
orig = write("orig.txt", "abcd\r\nab<end>\r\nbad\r\n")
same = write("same.txt", "abcd\r\nab<end>\r\ndab\r\n")
longer = write("longer.txt", "abcd\r\nabcd abcd<end>\r\nbxd\r\n")
short = write("short.txt", "abcd\r\n")
empty_tbl = write("empty.tbl", "# nothing\r\n$8000=x\r\n")
missing = os.path.join(folder, "missing.txt")

# (arguments, exit code, a pattern stdout must hold)
rows = [
    (["--table", tbl, orig, same], 0, r"^3 lines checked \(greedy\), 0 over budget"),
    # "abcd abcd<end>": greedy ab c d, blank, ab c d, <end> = 8 bytes against 2 of "ab<end>";
    # optimal a bcd, blank, a bcd, <end> = 6
    (["--table", tbl, orig, longer], 1,
     r"(?m)^ +2 +2 +8 +\+6 +0  abcd abcd<end>$(?s:.*)characters of the translation not in "
     r"the table: 1 \(first: line 3, column 2\)"),
    (["--table", tbl, orig, longer, "--optimal"], 1, r"(?m)^ +2 +2 +6 +\+4 "),
    (["--table", tbl, orig, same, "--limit", "1"], 1, r"(?m)^ +1 +1 +3 +\+2 "),
    (["--table", tbl, orig, same, "--limit", "2", "--optimal"], 0, r"0 over budget"),
    (["--help"], 0, r"^usage: tavrel-fit"),
]
bad = [
    ["--table", tbl, orig, missing],
    ["--table", missing, orig, same],
    ["--table", folder, orig, same],
    ["--table", tbl, orig, short],
    ["--table", empty_tbl, orig, same],
    ["--table", tbl, orig],
    [orig, same],
    ["--table", tbl, orig, same, "--limit", "many"],
    ["--table", tbl, orig, same, "--fast"],
]
passed = failed = 0


def expect(condition, what):
    global passed, failed
    if condition:
        passed += 1
    else:
        failed += 1
        print("FAIL:", what)


for args, code, pattern in rows:
    rc, out, err = fit(*args)
    expect(rc == code and re.search(pattern, out), f"{args}: {rc} {out!r} {err!r}")
for args in bad:
    rc, out, err = fit(*args)
    expect(rc == 2 and out == "" and re.fullmatch(r"tavrel-fit: [^\n]+\n", err),
           f"{args}: {rc} {out!r} {err!r}")

# The JSON numbers of "abcd": greedy ab c d, optimal a bcd.
rc, out, _ = fit("--table", tbl, orig, same, "--json")
line = json.loads(out)["lines"][0]
expect(rc == 0 and line["original"] == {"greedy": 3, "optimal": 2, "uncovered": 0}
       and line["budget"] == 3 and line["fits"], f"json {out[:300]!r}")
# A UTF-8 table with a two-byte code, a Windows-1252 script.
kana = write("kana.tbl", "8140=あ\r\n41=A\r\n82=é\r\n")
rc, out, _ = fit("--table", kana, write("a.txt", "AAA\n"), write("b.txt", "éAé\n", "cp1252"),
                 "--json")
summary = json.loads(out)["summary"]
expect(rc == 0 and summary["translation_bytes"] == 3 and summary["uncovered"] == 0, out[-300:])

shutil.rmtree(folder)
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
