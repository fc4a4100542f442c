"""tavrel-fit as CI runs it: exit codes, failed rows and verdicts, the summary, warnings beside pure
JSON; real scripts (an extractor's dump, a CSV script, Shift-JIS input); screen widths, the wrap."""

import json, os, re, struct, subprocess, sys, tempfile, zlib

FIT, FOLDER = sys.argv[1], tempfile.TemporaryDirectory(prefix="tavrel-fit-")


def write(name, lines, encoding="utf-8"):  # lines each ended by CR LF, or the text as it is
    with open(os.path.join(FOLDER.name, name), "wb") as f:
        text = lines if type(lines) is str else "".join(f"{line}\r\n" for line in lines)
        f.write(text.encode(encoding, "surrogateescape"))  # "\udc82": a byte 82 of its own
    return f.name


TBL = ["--table", write("abcd.tbl", ["61=a", "62=b", "63=c", "64=d", "80=ab", "81=bcd", "20= ",
                                     "/FF=<end>"])]
ORIG, SAME = write("orig", ["abcd", "ab<end>", "bad"]), write("same", ["abcd", "ab<end>", "dab"])
LONGER = write("longer", ["abcd", "abcd abcd<end>", "bxd"])
# 81 and 41 start longer codes, 81 is given two texts; x z can only be 81 40, a line break
MIS = ["--table", write("mis.tbl", ["81=x", "*8140", "40=z", "41=q", '4140=\x1f" \\', "81=w"])]
MIS_ORIG, MIS_TRANS = write("mis-o", ["xx", "zz", "xx", ""]), write("mis-t", ["xz", "z z", "qz"])
VERDICTS = [[{"column": 1, "reads": "\n"}, {"column": 2}], [None, None],
            [{"column": 1, "reads": '\x1f" \\'}, {"column": 2}]]
# arguments, exit code, what stdout holds: a pattern, or a test of the run's JSON (and stderr)
ROWS = [  # line 2 greedy: ab c d, blank, ab c d, <end> = 8 bytes; optimal a bcd: 6, shown
        ([*TBL, ORIG, LONGER, "--optimal", "--limit", "1"], 1, r"(?m)^ +2 +1 +6 +\+5 "),
        ([*TBL, ORIG, SAME, "--json"], 0, r'^{"lines": \[\n{"line": 1, "original": {"greedy": 3, '
         r'"optimal": 2, "uncovered": 0, "misread": null, "cannot_be_written": null}, .*"budget": '
         r'3, "fits": true},\n'),  # "abcd": greedy ab c d, optimal a bcd
        ([*MIS, MIS_ORIG, MIS_TRANS], 1, r'(?m)^     1       2       2     \+0         0  xz\n {8}'
         r'misread at column 1: the game reads "\\n"\n +3 .*\n {8}misread at column 1: the game '
         r'reads "\\u001f\\" \\\\"\n3 lines checked \(greedy\), 2 over budget'),
        ([*MIS, write("x", ["x", ""]), write("x2", ["x", ""])], 0,  # empty last lines on both sides
         r"^2 lines checked \(greedy\), 0 over budget; original 1 byte, translation 1 byte\n$"),
        ([*MIS, MIS_ORIG, MIS_TRANS, "--json", "--optimal"], 1, lambda out, err: re.fullmatch(
            r"(tavrel-fit: \S+: [^\n]+: (1 \(first: line 6|3 \(first: line 1)\)\n){2}", err)
         and [[line["translation"][key] for key in ("misread", "cannot_be_written")]
              for line in out["lines"]] == VERDICTS
         and {"strategy": "optimal", "first_uncovered": {"line": 2, "column": 2}}.items()
         <= out["summary"].items())]
GAME = ["--table", write("game.tbl", [f"{ord(c):02X}={c}" for c in "abcdefghijklmnopqrstuvwxyz"]
                         + ["20= ", "/FF=<end>", "FC=<line>\\n//", "*FE=<br>"])]


def dump(end, second):  # "hello<line>\n//world<end>" is 12 bytes, the room from $100 to $10C
    return write(f"dump-{end}-{second[:2]}.txt", [
        "//GAME NAME: Test", "#VAR(x, TABLE)", f"#JMP($100,${end})",
        "//POINTER #0 @ $10 - STRING #0 @ $100", "", "#W16($10)", "//hello<line>", "//world<end>",
        "", "ciao<line>", "mondo<end>", "", "//POINTER #1 @ $12 - STRING #1 @ $10C",
        "#EMBWRITE($0012)", "//bye<end>", "", second, "#JMP($200)",
        "//POINTER #2 @ $14 - STRING #2 @ $110", "#W16($14)", "//yes<end>", "",
        "// current address: $114"])


CSV = write("game.csv", ["id,original,translation,limit", "1,hello,ciao,",
                         '2,"bye, now","ok ""yes""",3', '3,"two', 'lines",x,',
                         "4,x," + "a" * 30 + ",", "5,x," + "a" * 29 + "\U0001F600b,"])
KANA_TBL, KANA_O, KANA_T = ["82A0=あ", "82A2=い", "61=a", "69=i", "/00=<end>", "zz"], ["あい", "ai"], [
    "いあい", "ia"]
SJIS = ["--table", write("sjis.tbl", KANA_TBL, "sjis")]
SJIS_DUMP = write("sjis.txt", ["#W16($0)", "//あい<end>", "ai<end>"], "sjis")
KANA = [write("k-o", KANA_O, "sjis"), write("k-t", KANA_T, "sjis")]
# the same table and pair as Windows' Notepad saves them: UTF-16 with a byte order mark
COPIES = [["--table", *(write(f"{n}.{e}", ["\ufeff" * bom + lines[0], *lines[1:]], e) for n, lines
                         in (("tbl", KANA_TBL), ("o", KANA_O), ("t", KANA_T)))]
          for e, bom in (("utf-8", 0), ("utf-16", 0), ("utf-16-be", 1), ("utf-16-le", 0))]
BAD_KANA = [write("kb-o", ["あい", "ai\udc82"], "sjis"),
            write("kb-t", ["いあい", "ia\udc82"], "sjis")]
ROWS += [
    ([*GAME, "--script", dump("10F", "arrivederci<end>")], 1, (r"(?m)^    14  #EMBWRITE\(\$001\u2026 "
     r"      4 .*\n(?s:.*); 2 blocks, 1 over\n$", "1 command read and ignored")),  # else as the README's
    ([*GAME, "--script", dump("10D", "no<end>")], 0, r"14 of 14 bytes, 0 free\n.*0 bytes, no end"),
    ([*GAME, "--script", dump("10F", "x<end>"), "--json"], 0, lambda out, err: [
        (s["budget"], s["budget_from"], s["translation"]["greedy"], s["translated"])
        for s in out["strings"]] == [(12, "room", 11, True), (4, "room", 2, True),
                                     (4, "room", 0, False)] and out["blocks"][0]["used"] == 13),
    # the preview of a cut row keeps a character's two halves together
    ([*TBL, "--csv", write("cols.csv", ["o,t,room", "xab,abcd,9"]), "--columns", "o,t,room"], 0,
     r"; characters of the original not in the table: 1 \(first: record 1, line 2, column 1\)\n$"),
    ([*GAME, "--csv", CSV, "--json"], 1, r'^{"lines": \[\n{"record": 1, "line": 2, "orig'),
    ([*GAME, "--csv", CSV], 1, r'^record   line .*\n     2      3       3       6     \+3         '
     r'2  ok "yes"\n.*  a{30}\n.*  a{29}\u2026\n5 rows .*\(first: record 2, line 3, column 4\)\n$'),
    # clean Shift-JIS reads the same named or guessed, UTF-16 like UTF-8 (by its byte order mark,
    # or by --encoding without one); a byte Shift-JIS has no character for is warned of
    *[([*args], 1, (r"(?m)^     1       4       6     \+2         0  .+\n2 lines checked \(gree"
        r"dy\), 1 over budget; original 6 bytes, translation 8 b", rf"^{pre}.*skipped: 1 \(first:"
        rf" line 6\)\n{post}$")) for args, pre, post in (
        ([*SJIS, *KANA, "--encoding", "Shift_JIS"], "", ""), ([*SJIS, *KANA], r".*sjis.tbl is "
         r"not UTF-8: read as Shift_JIS .*\n", r"(.*k-. is not UTF-8: read as Shift_JIS .*\n){2}"),
        ([*SJIS, *BAD_KANA, "--encoding", "Shift_JIS"], "", r"(.*kb-. holds bytes that are not "
         r"Shift_J.*\n){2}"), *((copy, "", "") for copy in COPIES[:3]),
        ([*COPIES[3], "--encoding", "UTF-16"], "", ""))],
    ([*GAME, "--original-table", TBL[1], "--script", write("stream.txt", [  # no pointer commands
        "//abcd<$0a><end>", "//yo<end>", "ciao<$0B><end>", "no<end>"])], 1, (r"^.*\n     3        "
     r"                5       6     \+1      0  ciao<\$0B><end>\n.*\n2 strings", "^$")),
    (["--table", write("nl.tbl", ["61=a", "/FF=\\n"]), "--script", write("plain", ["//a", "a"])],
     0, ("^1 string checked", "^.*plain has no pointer commands and no end tokens")),  # no text
    ([*MIS, "--optimal", "--csv", write("mis.csv", ["original,translation,limit", "xx,xz,9999999",
                                                     "zz,zzz,3"])], 1,  # numbers wider than columns
     r"(?m)^     1      2 9999999       2 -9999997         0  xz\n {8}cannot be written: .* 2\n2 "
     r"rows .*, 1 over")]
LETTERS = "".join(f"{0x61 + i:02X}={chr(0x61 + i)}\n" for i in range(26)) + "20= \n/FF=<end>\n"
STBL = ["--table", write("t.tbl", LETTERS + "*FE=<br>\nFC=<box>\n")]
WID = ["--widths", write("t.wid", ["# fixed", "@line=10", "@lines=2", "@default=1", "FC=box"])]
SORIG = write("screen-orig", "aaaa aaaa aaaa\nbb\nccc\n")
FITS = write("fits", "aaaa<br>bbbb\nbb\nc<box>c\n")
OVER = write("over", "aaaaaaaaaaa\nb<br>b<br>b\ncc\n")
WRAP = write("wrap", "aaa bbb ccc\r\naaaa bbbbb ccc dd<br>ee\r\n")
CUT = write("cut", "abcdefghijklm\naaa bbb ccc ddd eee\n")
# The same limits on the strings of a dump (two pointers to the first) and the rows of a CSV.
SDUMP = write("dump", "#W16($0)\n\n#W16($1)\n//aaaa aaaa aaaa<end>\naaaaaaaaaaa<end>\n#W16($2)\n"
                     "//bbbbbbbbbbbbb<end>\nb<br>\nb<br>b<end>\n#W16($3)\n//ccccc<end>\n"
                     "cc<br>\ncc<end>\n")
SCSV = write("csv", 'original,translation\naaaa aaaa aaaa,aaaaaaaaaaa\n'
                   'bbbbbbbbbbbbb,"b\nb\nb"\ncc,cc\n')
OUT, LINK = write("out", "written over"), os.path.join(FOLDER.name, "link")
os.symlink(WRAP, LINK)  # another name of an input
ROWS += [([*STBL, *WID, SORIG, OVER, "--limit", "4"], 1,  # as many lines over budget as off screen
         r"^  line .*\n +1 .*\n +px 11/10\n +2 .*\n +lines 3/2\n3 lines checked .*, 2 over"),
        ([*STBL, *WID, "--script", SDUMP], 1, r"(?m)^ +1  #W16\(\$0\) .*\n +px 11/10\n +6 .*\n"
         r" +lines 3/2\n3 strings checked .* 0 over budget.*; 2 strings over the screen\n$"),
        ([*STBL, *WID, "--script", SDUMP, "--json"], 1, r'"pointers": \[1, 3\], "block": null, .*'
         r'"screen": {"original": {"widest": 14, "lines": 1}, "translation": {"widest": 11, '
         r'"lines": 1}, "fits": false}(?s:.*)"off_screen": 2}}'),
        ([*STBL, *WID, "--csv", SCSV], 1, r"(?m)^ +1 +2 .*\n +px 11/10\n +2 +3 .*\n +lines 3/2\n"
         r"3 rows .* 0 over budget; .*; 2 rows over the screen\n$"),
        ([*STBL, *WID, "--wrap", WRAP], 0, r"^aaa bbb<br>ccc\r\naaaa bbbbb<br>ccc dd ee\r\n$"),
        ([*STBL, *WID, "--wrap", write("feff", "a\n\ufeffb\n")], 0, "^a\n\ufeffb\n$"),  # kept
        ([*STBL, *WID, "--wrap", write("1252", "aaa bbb ccé\r\n", "cp1252")], 0,  # written back
         (r"^aaa bbb<br>cc\udce9\r\n$", r"/1252 is not UTF-8: read as Windows-1252 ")),
        ([*STBL, "--widths", write("nobox.wid", "@line=10\n@lines=2\n@default=1\nzz\n"), "--wrap",
          CUT, "-o", OUT], 1, ("^$", r"^.*skipped: 1 \(first: line 4\)\n.*line 1, column 11: .*\n"
                               r".*line 2 does not fit after wrapping:\n {8}lines 3/2: the table has no code marked box\n$"))]
# The codes: one table for the three formats; only --codes fails what keeps every byte.
CTBL = ["--table", write("codes.tbl", ["61=a", "20= ", "F0=<name>", "F1=<wait>", "/FF=<end>",
                                       "*FE=<br>"])]
CODES = [write("codes-o", ["a<name> a<wait><end>", "a<end>", "<name>"]),
         write("codes-t", ["a<wait> <wait><end>", "<end>a", ""])]
CODES_DUMP = write("codes.txt", ["#W16($0)", "//a<name> a<wait><end>", "a<wait> <wait><end>",
                                 "#W16($2)", "//a<name><wait>", "<wait>a<name>"])
CODES_CSV = write("codes.csv", ["original;translation", "a<name>;<nmae>a", "a<end>;a<end><end>"])
ROWS += [([*CTBL, *CODES], 0, r"^3 lines checked \(greedy\), 0 over budget; original 9 bytes, "
          r"translation 7 bytes\n$"),
         ([*CTBL, "--script", CODES_DUMP, "--codes-order", "--json"], 1, lambda out, err: [(s[
             "codes"]["extra"], s["codes"]["order_differs"]) for s in out["strings"]] == [(
             ["<wait>"], False), ([], True)] and out["summary"]["codes_differ"] == 2),
         ([*CTBL, "--csv", CODES_CSV, "--codes"], 1, r"codes: missing <name>; unknown <nmae>\n.*"
          r"\n {8}codes: extra <end>\n2 rows .*2 with code differences")]
# The box preview: a sheet of two 1x1 cells (a, b) drawn by hand as an 8-bit RGB PNG.
def png(name, width, pixels):
    chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data
                                + struct.pack(">I", zlib.crc32(kind + data)))
    rows = b"".join(b"\0" + bytes(pixels[i:i + 3 * width]) for i in range(0, len(pixels), 3 * width))
    write(name, "")
    with open(os.path.join(FOLDER.name, name), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, len(pixels) // 3 // width,
                8, 2, 0, 0, 0)) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


png("f.png", 2, [255, 0, 0, 0, 0, 255])
FONT = ["--widths", write("font.wid", "@line=10\n@lines=2\n@default=1\nFC=box\n@font=f.png\n"
                                      "@cell=1x1\n@first=61\n")]
PICTURES = os.path.join(FOLDER.name, "pictures")
ROWS += [([*STBL, *FONT, SORIG, OVER, "--preview", PICTURES, "--limit", "4"], 1,
          r"^  line .*\n +1 .*\n +px 11/10\n +2 .*\n +lines 3/2\n3 lines checked .*, 2 over"),
         ([*STBL, *FONT, "--script", SDUMP, "--preview-all", PICTURES + "-dump"], 1, "over the"),
         ([*STBL, *FONT, "--csv", SCSV, "--preview-all", PICTURES + "-csv"], 1, "over the")]
MISSING = os.path.join(FOLDER.name, "missing")
ROWS += [(args, 2, err) for args, err in (  # bad input
    ([*TBL, ORIG, MISSING], "missing: No such"), (["--table", MISSING, ORIG, SAME], ""),
    (["--table", FOLDER.name, ORIG, SAME], "it is a folder"), ([*TBL, ORIG, write("short", [
        "abcd"])], "orig has 3 lines, .*short has 1 line"), ([ORIG, SAME], "--table is missing"),
    (["--table", write("empty.tbl", ["# nothing", "$8000=x"]), ORIG, SAME], "holds no entry"),
    ([*TBL, ORIG], "1 given"), ([*TBL, ORIG, SAME, "--limit", "many"], "not many"),
    ([*GAME, "--csv", MISSING], "cannot read"),
    ([*TBL, "-", "-x"], "Unknown option 'x'"),
    ([*TBL, ORIG, SAME, "--limit"], "Missing value after '--limit'"),
    *[([*GAME, "--csv", CSV, "--columns", c], "not " + c) for c in ("a,b,c,d", "1")],
    *[([*GAME, "--csv", CSV, "--separator", c], "not " + c) for c in ("ab", "\u0080")],
    ([*GAME, "--script", dump("F", "")], "line 3"), ([*GAME, "--script", CSV, CSV], "1 given"),
    ([*SJIS, "--script", SJIS_DUMP, "--encoding", "no-such-set"], "no-such-set"),
    ([*GAME, "--csv", write("open.csv", ["original,translation", "a,b", "", '"c,d', "e"])],
     "line 4: a quote opened in this record is never closed"),
    *[([*STBL, "--wrap", *more], "--wrap needs")
      for more in ([WRAP], [*WID, CUT, FITS], [*WID, CUT, "--json"], [*WID, CUT, "--limit", "3"])],
    (["--table", write("nobr.tbl", LETTERS), *WID, "--wrap", WRAP], "no labelled line break"),
    ([*STBL, *WID, "--wrap", WRAP, "-o", LINK], "over the input file"),
    ([*STBL, "--widths", write("noline.wid", "@lines=2\n"), "--wrap", WRAP],
     r"noline.wid: no line room \(@line\)"),
    ([*STBL, "--widths", write("bad.wid", "@line=x\nzz=1\n"), SORIG, FITS],
     r"bad.wid: @line=x is not a whole number \(line 1\)"),
    *[([*STBL, "--widths", write(name, "@line=9\n@first=61\n" + keys), SORIG, FITS, *more], want)
      for name, keys, more, want in (
          ("gone.wid", "@font=gone.png\n@cell=1x1\n", ["--preview", PICTURES],
           "gone.wid: @font: cannot read gone.png$"),
          ("big.wid", "@font=f.png\n@cell=3x1\n", ["--preview-all", PICTURES],
           r"big.wid: @cell 3x1 is larger than the sheet f.png \(2x1\)$"),
          ("nofont.wid", "", ["--preview", PICTURES], "nofont.wid: no font"))],
    ([*STBL, SORIG, FITS, "--preview", PICTURES], "need --widths"),
    ([*STBL, *FONT, SORIG, FITS, "--preview", PICTURES, "--preview-all", PICTURES], "exclude"))]
failed = 0
for args, code, want in ROWS:
    done = subprocess.run([FIT, *args], capture_output=True, timeout=60)
    done.stdout, done.stderr = (done.stdout.decode(errors="surrogateescape"),
                                done.stderr.decode())
    if code == 2:  # bad input: nothing on stdout, one line on stderr holding `want`
        ok = not done.stdout and re.fullmatch(rf"tavrel-fit: .*{want}.*\n", done.stderr)
    elif callable(want):
        ok = want(json.loads(done.stdout), done.stderr)
    else:  # a pattern of stdout, or a pair: of stdout and of stderr
        out, err = want if type(want) is tuple else (want, "")
        ok = re.search(out, done.stdout) and re.search(err, done.stderr)
    if done.returncode != code or not ok:
        failed += 1
        print(f"FAIL {args}: {done.returncode} {done.stdout[-500:]!r} {done.stderr!r}")

# A script of 5,000 lines and its rows (--limit 0 fails each) are shared out among threads.
LONG = [[" ".join(["xz", "zz", "qz", "x", "q z"][(i * m + k) % 5] for k in range(i % 4 + 1))
         for i in range(5000)] for m in (7, 3)]
run = lambda name, o, t, more: subprocess.run([FIT, *MIS, write(name + "o", o), write(
    name + "t", t), *more], capture_output=True, text=True).stdout
for more, rows in ((["--json"], lambda out: [dict(line, line=0) for line in json.loads(out)[
        "lines"]]), (["--limit", "0"], lambda out: [row[6:] for row in out.split("\n")[1:-2]])):
    if rows(run("all", *LONG, more)) != [row for i in range(0, 5000, 1000) for row in rows(run(
            f"part{i}", LONG[0][i:i + 1000], LONG[1][i:i + 1000], more))]:
        failed += 1
        print(f"FAIL {more}: a long script checked on several threads differs from its pieces")
failed += open(OUT, newline="").read() != "abcdefghij<br>klm\naaa bbb<br>ccc ddd<br>eee\n"  # -o
# The pictures: of the items that fail, or of every translated one; 8-bit RGB(A) PNGs.
for folder, names in (("", ["line-1.png", "line-2.png"]), ("-dump", [
        "string-1.png", "string-6.png", "string-10.png"]), ("-csv", [f"record-{n}.png" for n in (1, 2, 3)])):
    got = sorted(os.listdir(PICTURES + folder))
    heads = [open(os.path.join(PICTURES + folder, n), "rb").read(26) for n in got]
    if got != sorted(names) or any(h[:8] != b"\x89PNG\r\n\x1a\n" or h[24] != 8 or h[25] not in (2, 6)
                                   for h in heads):
        failed += 1
        print(f"FAIL pictures{folder}: {got}")
print(f"{len(ROWS) + 6 - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
