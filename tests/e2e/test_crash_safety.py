#!/usr/bin/python3
"""A save cut short by a kill never leaves a damaged "cord" or "test".

The first test holds a save at the very moment its new content is written and synced but not
yet in place (a preloaded library, stall_rename.c, blocks the call that would put it there
and leaves a marker holding the content), kills the program there and finds the previous file
whole. The soak kills the program at random moments while it switches working modes, 200
times, and after every kill finds each file either as it was or as one complete new save.

Run: TAVREL_STALL_LIBRARY=path/to/libstall_rename.so \\
     /usr/bin/python3 test_crash_safety.py path/to/tavrel-counter
TAVREL_SOAK_KILLS and TAVREL_SOAK_SEED change the soak's number of kills and its seed.
"""

import os
import random
import re
import signal
import subprocess
import sys
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

TWIPS = harness.TWIPS_PER_PIXEL
# Main window, Fast Counter and Mini Counter apart, so that a press on the Fast Counter's
# margin while it is being opened again never lands on another window of the program.
POSITIONS = [100 * TWIPS, 100 * TWIPS, 700 * TWIPS, 100 * TWIPS, 300 * TWIPS, 600 * TWIPS]
MARGIN = (3, 3)  # on the Fast Counter, outside its three captions
PROGRAM_FILES = ("cord", "test")
WINDOWS = ("main window", "Fast Counter", "Mini Counter")  # the pairs of lines of cord


def spelled_cord(zeros):
    """The six positions written with leading zeros: a window's own save rewrites its two
    lines as plain numbers and copies the other four through as they are."""
    return ["0" * zeros + str(value) for value in POSITIONS]


def crlf(lines):
    return "".join(f"{line}\r\n" for line in lines).encode("utf-8")


def stall_library():
    path = os.environ.get("TAVREL_STALL_LIBRARY")
    if not path or not os.path.exists(path):
        raise harness.HarnessError(f"no stall library given (TAVREL_STALL_LIBRARY={path!r})")
    return os.path.abspath(path)


def read_marker(path):
    """The stall library's marker: ({"call", "from", "to"}, the content being put in place)."""
    with open(path, "rb") as f:
        header, _, body = f.read().partition(b"\n\n")
    return dict(line.split("=", 1) for line in header.decode().splitlines()), body


def xdotool(session, *args):
    subprocess.run(["xdotool", *args], env=session.env, check=True, timeout=10,
                   stdout=subprocess.DEVNULL)


def litter(folder, program):
    """Files in the program folder other than the program and its two files."""
    return sorted(set(os.listdir(folder)) - {*PROGRAM_FILES, os.path.basename(program)})


class CrashSafetyTest(unittest.TestCase):

    def test_kill_between_write_and_rename_leaves_the_previous_file(self):
        spelled = spelled_cord(2)
        # cord after the Fast Counter's save, and after the main window's save too
        fast_saved = spelled[:2] + [str(v) for v in POSITIONS[2:4]] + spelled[4:]
        main_saved = [str(v) for v in POSITIONS[:4]] + spelled[4:]
        texts = ["Ciao", "Salve!"]
        # name, files before (None: a first run), the file whose save is held, the call that
        # was held, the content it was putting in place (None: any six numbers), the files
        # expected afterwards (None: must not exist)
        cases = [
            ("cord replaced", (spelled, texts), "cord", "rename", crlf(fast_saved),
             {"cord": crlf(spelled), "test": crlf(texts)}),
            ("test replaced", (spelled, texts), "test", "rename", crlf(["Ciao mondo", "Salve!"]),
             {"cord": crlf(main_saved), "test": crlf(texts)}),
            ("cord created", None, "cord", "linkat", None, {"cord": None, "test": None}),
        ]
        for name, files, held, call, content, expected in cases:
            cord, test = files or (None, None)
            with self.subTest(name), harness.Session(
                    harness.executable(), cord=cord, test=test, start_program=False,
                    name="held-save-" + name.replace(" ", "-")) as session:
                marker = os.path.join(os.path.dirname(session.folder), "held-save")
                session.start_program(env={"LD_PRELOAD": stall_library(),
                                           "TAVREL_STALL_RENAME": held,
                                           "TAVREL_STALL_MARKER": marker})
                if files is not None:
                    # Change a text, then switch: the Fast Counter saves cord, the main
                    # window saves cord and test.
                    session.wait_for_values({"Text1": texts[0], "Text2": texts[1]})
                    session.edit_box(session.find_window(harness.MAIN), "Text1", "type",
                                     " mondo")
                    session.wait_for_values({"Text1": "Ciao mondo"})
                    session.click(session.find_window(harness.FAST), *MARGIN)

                # A save that puts no file in place by a rename or a link (that writes over
                # the old file) is never held.
                harness.wait_for(lambda: os.path.exists(marker), timeout=20,
                                 what=f"the save of {held} to be held before its rename")
                self.assertEqual(session.kill_program(), -signal.SIGKILL)

                header, held_content = read_marker(marker)
                self.assertEqual((header["call"], os.path.basename(header["to"])), (call, held))
                if content is None:
                    self.assertRegex(held_content, rb"\A(-?\d+\r\n){6}\Z")
                else:
                    self.assertEqual(held_content, content)
                for file_name, before in expected.items():
                    path = os.path.join(session.folder, file_name)
                    if before is None:
                        self.assertFalse(os.path.exists(path), f"{file_name} exists")
                    else:
                        self.assertEqual(session.read_file(file_name), before, file_name)

                # Started again, the program reads the texts the killed save left.
                session.start_program()
                session.find_window(harness.FAST)
                session.wait_for_values({"Text1": texts[0] if files else "",
                                         "Text2": texts[1] if files else ""})
                self.assertIsNone(session.exit_code)
                print(f"{name}: left in the folder besides cord and test: "
                      f"{litter(session.folder, session.program_path)}", file=sys.stderr)

    def test_soak_random_kills_while_switching(self):
        kills = int(os.environ.get("TAVREL_SOAK_KILLS", "200"))
        seed = int(os.environ.get("TAVREL_SOAK_SEED", str(time.time_ns() % 1_000_000)))
        rng = random.Random(seed)
        print(f"soak: {kills} kills, seed {seed}", file=sys.stderr)
        figures = {"test new": 0, "test old": 0, "cord untouched": 0, "cord resaved": 0}
        elsewhere = []  # (round, kill moment, window, twips) of saves away from its place
        started = time.monotonic()
        with harness.Session(harness.executable(), cord=spelled_cord(1), test=["a0", "b0"],
                             name="soak", start_program=False) as session:
            for round_number in range(1, kills + 1):
                # A spelling of cord of this round only: a line copied from another round's
                # save would show.
                zeros = round_number % 4 + 1
                cord_before = spelled_cord(zeros)
                with open(os.path.join(session.folder, "cord"), "wb") as f:
                    f.write(crlf(cord_before))
                test_before = session.read_file("test")
                typed = [f"a{round_number}", f"b{round_number}"]

                session.start_program()
                main = session.find_window(harness.MAIN)
                fast = session.find_window(harness.FAST)
                session.activate(main)
                # Replace both texts (the main window opens with the focus in Text2; the tab
                # order is Text2, Check1, Text1), then switch modes quickly: every switch saves.
                xdotool(session, "key", "--delay", "1", "ctrl+a", *typed[1], "Tab", "Tab",
                        "ctrl+a", *typed[0])
                if round_number % 50 == 1:
                    # Now and then, that the keys went where they were meant to.
                    session.wait_for_values({"Text1": typed[0], "Text2": typed[1]})
                presses = ["mousemove", "--window", str(fast), *map(str, MARGIN)]
                for _ in range(6):
                    presses += ["mousedown", "1", "mouseup", "1", "sleep", "0.05"]
                presser = subprocess.Popen(["xdotool", *presses], env=session.env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                # The moment of the kill, not a wait for a state.
                delay = rng.uniform(0.0, 0.3)
                time.sleep(delay)
                code = session.kill_program()
                presser.kill()
                presser.wait()

                with self.subTest(round=round_number):
                    self.assertEqual(code, -signal.SIGKILL, "the program ended before the kill")
                    test_after = session.read_file("test")
                    if test_after not in (test_before, crlf(typed)):
                        # The next round starts from a complete file; this one has failed.
                        with open(os.path.join(session.folder, "test"), "wb") as f:
                            f.write(test_before)
                    self.assertIn(test_after, (test_before, crlf(typed)),
                                  f"test damaged: {test_after!r}")
                    figures["test new" if test_after == crlf(typed) else "test old"] += 1
                    cord_after = session.read_file("cord")
                    resaved = self.resaved_pairs(cord_after, cord_before)
                    self.assertIsNotNone(resaved, f"cord damaged: {cord_after!r}")
                    figures["cord resaved" if resaved else "cord untouched"] += 1
                    for window, pair in resaved.items():
                        if pair != POSITIONS[window * 2:window * 2 + 2]:
                            elsewhere.append((round_number, f"kill at {delay * 1000:.0f} ms",
                                              WINDOWS[window], pair))

            left_behind = litter(session.folder, session.program_path)
        wall = time.monotonic() - started
        print(f"soak: {kills} kills in {kills} rounds, {wall:.1f} s; {figures}; "
              f"{len(left_behind)} files left besides cord and test: {left_behind}; "
              f"positions saved away from where the window was put: {elsewhere}",
              file=sys.stderr)
        self.assertEqual(figures["test new"] + figures["test old"], kills)

    @staticmethod
    def resaved_pairs(data, before):
        """{window index: [left, top]} of the pairs of lines saved again since before, or None
        when data is not a complete cord: six lines ended by CR LF, each window's pair either
        exactly as before (this round's spelling) or rewritten whole as plain integers."""
        if not data.endswith(b"\r\n"):
            return None
        lines = data.decode("utf-8", "replace").split("\r\n")[:-1]
        if len(lines) != len(before):
            return None
        resaved = {}
        for window in range(3):
            pair, old = lines[window * 2:window * 2 + 2], before[window * 2:window * 2 + 2]
            if pair == old:
                continue
            if not all(re.fullmatch(r"-?(0|[1-9][0-9]*)", line) for line in pair):
                return None
            resaved[window] = [int(line) for line in pair]
        return resaved

if __name__ == "__main__":
    harness.main()
