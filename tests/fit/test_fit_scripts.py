"""tavrel-fit on real scripts: an extractor's dump with pointer and block budgets, a CSV script,
a Shift-JIS table and dump read with --encoding."""

import json, os, re, subprocess, sys, tempfile

FIT, FOLDER = sys.argv[1], tempfile.TemporaryDirectory(prefix="tavrel-fit-scripts-")


def write(name, text, encoding="utf-8"):
    path = os.path.join(FOLDER.name, name)
    with open(path, "wb") as f:
        f.write(text.replace("\n", "\r\n").encode(encoding))
    return path


LETTERS = "".join(f"{ord(c):02X}={c}\n" for c in "abcdefghijklmnopqrstuvwxyz")
TBL = write("game.tbl", LETTERS + "20= \n/FF=<end>\nFC=<line>\\n//\n*FE=<br>\n")


def dump(block_end, second):
    # "hello<line>\n//world<end>" is 12 bytes, the room from $100 to $10C; "bye<end>" 4.
    return write(f"dump-{block_end}-{second[:2]}.txt", "\n".join([
        "//GAME NAME: Test", "#VAR(x, TABLE)", f"#JMP($100,${block_end})",
        "//POINTER #0 @ $10 - STRING #0 @ $100", "", "#W16($10)", "//hello<line>", "//world<end>",
        "", "ciao<line>", "mondo<end>", "", "//POINTER #1 @ $12 - STRING #1 @ $10C", "#W16($12)",
        "//bye<end>", "", second, "", "//POINTER #2 @ $14 - STRING #2 @ $110", "#W16($14)",
        "//yes<end>", "", "// current address: $114", ""]))


SUMMARY = r"3 strings checked \(greedy\), {} over budget, 1 untranslated; 1 block, {} over"
CSV = write("game.csv", 'id,original,translation,limit\n1,hello,ciao,\n2,"bye, now",'
            '"ok ""yes""",3\n3,"two\nlines",x,\n')
SJIS = write("sjis.tbl", "82A0=あ\n82A2=い\n61=a\n69=i\n/00=<end>\n", "shift_jis")
SJIS_DUMP = write("sjis.txt", "#W16($0)\n//あい<end>\nai<end>\n", "shift_jis")
UTF8_DUMP = write("sjis-utf8.txt", "#W16($0)\n//あい<end>\nai<end>\n")
ROWS = [  # arguments, exit code, a pattern stdout must hold, a pattern stderr must hold
    (["--script", dump("10F", "arrivederci<end>")], 1,
     r"(?m)^ +14  #W16\(\$12\) +4 +12 +\+8 +7  arrivederci<end>\n"
     r"block at line 3 \(\$100-\$10F\): 23 of 16 bytes, over by 7\n" + SUMMARY.format(1, 1),
     "1 command read and ignored"),
    (["--script", dump("10D", "no<end>")], 0, r"14 of 14 bytes, 0 free\n" + SUMMARY.format(0, 0),
     ""),
    (["--script", dump("10C", "no<end>")], 1, r"-1 +1  no<end>\n.*13 bytes, over by 1", ""),
    (["--script", dump("10D", "no<end>"), "--limit", "3"], 1, r"(?m)^ +6 .* 3 +11 +\+8 ", ""),
    (["--csv", CSV], 1, r"(?m)^ +2 +3 +3 +6 +\+3 +2  ok \"yes\"$", ""),
    (["--csv", CSV, "--columns", "3,original"], 1, r"3 rows checked \(greedy\), 3 over", ""),
    (["--csv", write("short.csv", "original,translation\nhello\n")], 2, None, r"line 2"),
    (["--script", dump("F", "")], 2, None, r"line 3"),
    (["--script", SJIS_DUMP, "--encoding", "Shift_JIS"], 0, r"1 string checked .*0 over", ""),
    (["--script", UTF8_DUMP], 1, r"(?m)^ +1 .* 1 +3 +\+2 ", r"not UTF-8: read as Windows-1252"),
    (["--script", SJIS_DUMP, "--encoding", "no-such-set"], 2, None, r"no-such-set"),
    (["--script", CSV, CSV], 2, None, r"tavrel-fit: "),
]
failed = 0
for args, code, out, err in ROWS:
    table = ["--table", SJIS if "sjis" in args[1] else TBL]
    done = subprocess.run([FIT, *table, *args], capture_output=True, text=True, timeout=60)
    ok = done.returncode == code and re.search(err, done.stderr)
    ok = ok and (re.search(out, done.stdout, re.S) if out else not done.stdout)
    if not ok:
        failed += 1
        print(f"FAIL {args}: {done.returncode} {done.stdout!r} {done.stderr!r}")
# The JSON report: every string with its budget's source, and the block.
done = subprocess.run([FIT, "--table", TBL, "--script", dump("10F", "x<end>"), "--json"],
                      capture_output=True, text=True, timeout=60)
report = json.loads(done.stdout)
got = [(s["budget"], s["budget_from"], s["translation"]["greedy"], s["translated"])
       for s in report["strings"]]
if got != [(12, "room", 11, True), (4, "room", 2, True), (4, "room", 0, False)] or \
        report["blocks"][0]["used"] != 13 or report["summary"]["untranslated"] != 1:
    failed += 1
    print(f"FAIL json: {done.stdout}")
print(f"{len(ROWS) + 1 - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
