"""tavrel-fit --widths and --wrap as a project's CI runs them: verdicts, rows, exit codes."""

import os, re, subprocess, sys, tempfile

FIT, FOLDER = sys.argv[1], tempfile.TemporaryDirectory(prefix="tavrel-fit-screen-")


def write(name, text):
    with open(os.path.join(FOLDER.name, name), "w", newline="") as f:
        f.write(text)
    return f.name


LETTERS = "".join(f"{0x61 + i:02X}={chr(0x61 + i)}\n" for i in range(26)) + "20= \n/FF=<end>\n"
TBL = ["--table", write("t.tbl", LETTERS + "*FE=<br>\nFC=<box>\n")]
WID = ["--widths", write("t.wid", "# fixed width\r\n@line=10\r\n@lines=2\r\n@default=1\r\nFC=box\r\n")]
ORIG = write("orig", "aaaa aaaa aaaa\nbb\nccc\n")
FITS = write("fits", "aaaa<br>bbbb\nbb\nc<box>c\n")
OVER = write("over", "aaaaaaaaaaa\nb<br>b<br>b\ncc\n")
WRAP = write("wrap", "aaa bbb ccc\r\naaaa bbbbb ccc dd<br>ee\r\n")
CUT = write("cut", "ab abcdefghijklm\n")
# The same limits on the strings of a dump (two pointers to the first) and the rows of a CSV.
DUMP = write("dump", "#W16($0)\n\n#W16($1)\n//aaaa aaaa aaaa<end>\naaaaaaaaaaa<end>\n#W16($2)\n"
                     "//bbbbbbbbbbbbb<end>\nb<br>\nb<br>b<end>\n#W16($3)\n//ccccc<end>\n"
                     "cc<br>\ncc<end>\n")
CSV = write("csv", 'original,translation\naaaa aaaa aaaa,aaaaaaaaaaa\n'
                   'bbbbbbbbbbbbb,"b\nb\nb"\ncc,cc\n')
MISSING, OUT = os.path.join(FOLDER.name, "missing"), os.path.join(FOLDER.name, "out")
# arguments, exit code, a pattern of stdout followed by stderr
ROWS = [([*TBL, *WID, ORIG, FITS], 0, r"^3 lines checked"),
        ([*TBL, *WID, ORIG, OVER, "--limit", "20"], 1,
         r"(?m)^ +1 .*\n +px 11/10$\n(?s:.*)^ +2 .*\n +lines 3/2$"),
        ([*TBL, *WID, ORIG, OVER, "--limit", "20", "--json"], 1,
         r'^.*\n.*"screen": {"original": {"widest": 14, "lines": 1}, "translation": '
         r'{"widest": 11, "lines": 1}, "fits": false}, "budget": 20, "fits": false}'),
        ([*TBL, *WID, "--script", DUMP], 1, r"(?m)^ +1  #W16\(\$0\) .*\n +px 11/10\n +6 .*\n"
         r" +lines 3/2\n3 strings checked .* 0 over budget.*; 2 strings over the screen\n$"),
        ([*TBL, *WID, "--script", DUMP, "--json"], 1, r'"pointers": \[1, 3\].*"screen": {"original'
         r'": {"widest": 14, "lines": 1}, "translation": {"widest": 11, "lines": 1}, "fits": '
         r'false}(?s:.*)"off_screen": 2}}'),
        ([*TBL, *WID, "--csv", CSV], 1, r"(?m)^ +1 +2 .*\n +px 11/10\n +2 +3 .*\n +lines 3/2\n"
         r"3 rows .* 0 over budget; .*; 2 rows over the screen\n$"),
        ([*TBL, "--widths", write("bad.wid", "@line=x\nzz=1\n"), ORIG, FITS], 0,
         r"0 lines over the screen.*\ntavrel-fit: .*bad.wid: lines not understood and skipped: 2 "),
        ([*TBL, *WID, "--wrap", WRAP], 0, r"^aaa bbb<br>ccc\r\naaaa bbbbb<br>ccc dd ee\r\n$"),
        ([*TBL, *WID, "--wrap", CUT], 1, r"^ab<br>abcdefghij<box>klm\ntavrel-fit: line 1, column 14"),
        ([*TBL, *WID, "--wrap", CUT, "-o", OUT], 1, r"^tavrel-fit: line 1, column 14: [^\n]+\n$")]
ROWS += [(args, 2, r"^tavrel-fit: [^\n]+\n$") for args in (
    [*TBL, "--widths", MISSING, ORIG, FITS], [*TBL, "--widths", MISSING, "--wrap", WRAP],
    ["--table", write("nobr.tbl", LETTERS), *WID, "--wrap", WRAP], [*TBL, "--wrap", WRAP],
    [*TBL, *WID, "--wrap", WRAP, "-o", WRAP], [*TBL, *WID, "--wrap", ORIG, FITS],
    [*TBL, "--widths", write("noline.wid", "@lines=2\n"), "--wrap", WRAP])]
failed = 0
for args, code, want in ROWS:
    done = subprocess.run([FIT, *args], capture_output=True, timeout=60)
    if done.returncode != code or not re.search(want, (done.stdout + done.stderr).decode()):
        failed += 1
        print(f"FAIL {args}: {done.returncode} {done.stdout[-500:]!r} {done.stderr!r}")
if open(OUT).read() != "ab<br>abcdefghij<box>klm\n":
    failed += 1
print(f"{len(ROWS) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
