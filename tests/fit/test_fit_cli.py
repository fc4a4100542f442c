"""tavrel-fit as a project's CI runs it: exit codes, the row of a line over budget, JSON."""

import json, os, re, subprocess, sys, tempfile

FIT, FOLDER = sys.argv[1], tempfile.TemporaryDirectory(prefix="tavrel-fit-")


def write(name, lines):
    with open(os.path.join(FOLDER.name, name), "wb") as f:
        f.write("".join(f"{line}\r\n" for line in lines).encode())
    return f.name


TBL = ["--table", write("abcd.tbl", ["61=a", "62=b", "63=c", "64=d", "80=ab", "81=bcd", "20= ",
                                     "/FF=<end>"])]
ORIG, SAME = write("orig", ["abcd", "ab<end>", "bad"]), write("same", ["abcd", "ab<end>", "dab"])
LONGER = write("longer", ["abcd", "abcd abcd<end>", "bxd"])
# "abcd": greedy ab c d, optimal a bcd
ABCD = {"original": {"greedy": 3, "optimal": 2, "uncovered": 0}, "budget": 3, "fits": True}
# arguments, exit code, what stdout holds: a pattern, or ABCD in the first line of its JSON
ROWS = [([*TBL, ORIG, SAME], 0, r"^3 lines checked \(greedy\), 0 over budget"),
        # line 2 greedy: ab c d, blank, ab c d, <end> = 8 bytes against 2; optimal a bcd: 6
        ([*TBL, ORIG, LONGER], 1, r"(?m)^ +2 +2 +8 +\+6 +0  abcd abcd<end>$(?s:.*)characters "
         r"of the translation not in the table: 1 \(first: line 3, column 2\)"),
        ([*TBL, ORIG, LONGER, "--optimal"], 1, r"(?m)^ +2 +2 +6 +\+4 "),
        ([*TBL, ORIG, SAME, "--limit", "1"], 1, r"(?m)^ +1 +1 +3 +\+2 "),
        ([*TBL, ORIG, SAME, "--limit", "2", "--optimal"], 0, r"0 over budget"),
        ([*TBL, ORIG, SAME, "--json"], 0, ABCD),
        (["--help"], 0, r"^usage: tavrel-fit")]
MISSING = os.path.join(FOLDER.name, "missing")
ROWS += [(args, 2, None) for args in ([*TBL, ORIG, MISSING], ["--table", MISSING, ORIG, SAME],
         ["--table", FOLDER.name, ORIG, SAME], [*TBL, ORIG, write("short", ["abcd"])],
         ["--table", write("empty.tbl", ["# nothing", "$8000=x"]), ORIG, SAME], [*TBL, ORIG],
         [ORIG, SAME], [*TBL, ORIG, SAME, "--limit", "many"], [*TBL, ORIG, SAME, "--fast"])]
failed = 0
for args, code, want in ROWS:
    done = subprocess.run([FIT, *args], capture_output=True, text=True, timeout=60)
    if want is None:  # bad input: nothing on stdout, one line on stderr
        ok = not done.stdout and re.fullmatch(r"tavrel-fit: [^\n]+\n", done.stderr)
    else:
        ok = (ABCD.items() <= json.loads(done.stdout)["lines"][0].items() if want is ABCD
              else re.search(want, done.stdout))
    if done.returncode != code or not ok:
        failed += 1
        print(f"FAIL {args}: {done.returncode} {done.stdout[-500:]!r} {done.stderr!r}")
print(f"{len(ROWS) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
