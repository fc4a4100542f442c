#!/usr/bin/python3
"""Soak: kills the program at random moments while it switches working modes, and after every
kill finds "cord" and "test" either as they were or as one complete new save.

    /usr/bin/python3 bench/soak.py path/to/tavrel-counter [--kills 200] [--seed N]

Each round starts the program, replaces both texts with keys, presses the Fast Counter six
times 50 ms apart (every switch saves) and kills it 0 to 300 ms later. It prints what the files
held after the kills and exits 1 if any was damaged. A round whose windows do not come up is
counted and reported, the figures are printed all the same, and three such rounds in a row end
the soak (exit 2 when nothing was damaged). Sessions come from tests/e2e/harness.py.
"""

import argparse
import os
import random
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "tests", "e2e"))
import harness  # noqa: E402

# The main window, the Fast Counter and the Mini Counter apart, so that a press on the Fast
# Counter while it reopens never lands on another window of the program.
POSITIONS = [int(line) for line in harness.cord(100, 100, 700, 100, 300, 600)]


def resaved(data, before):
    """Which windows' pairs of lines differ from before, or None when data is not a whole
    cord: six lines ended by CR LF, each pair as before or rewritten as two plain integers."""
    lines = data.decode("utf-8", "replace").split("\r\n")
    if len(lines) != 7 or lines[-1]:
        return None
    changed = [window for window in range(3) if lines[2 * window:2 * window + 2]
               != before[2 * window:2 * window + 2]]
    whole = all(re.fullmatch(r"-?(0|[1-9][0-9]*)", line)
                for window in changed for line in lines[2 * window:2 * window + 2])
    return changed if whole else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n", 1)[0])
    parser.add_argument("program")
    parser.add_argument("--kills", type=int, default=200)
    parser.add_argument("--seed", type=int, default=time.time_ns() % 1_000_000)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    figures = {"test new": 0, "test old": 0, "cord untouched": 0, "cord resaved": 0}
    damaged, not_started, started = [], [], time.monotonic()
    with harness.Session(os.path.abspath(args.program), test=["a0", "b0"], name="soak",
                         start=False) as session:
        for round_number in range(1, args.kills + 1):
            # Leading zeros of this round only: a line copied from another round would show.
            cord = ["0" * (round_number % 4 + 1) + str(value) for value in POSITIONS]
            with open(os.path.join(session.folder, "cord"), "wb") as f:
                f.write(harness.crlf(cord))
            test_before, typed = session.read_file("test"), [f"a{round_number}",
                                                             f"b{round_number}"]
            session.start_program()
            try:
                windows = session.wait_windows([harness.MAIN, harness.FAST])
            except AssertionError as error:  # the harness's time-out: no file was touched yet
                not_started.append((round_number, str(error)))
                session.program.kill()
                session.program.wait()
                if len(not_started) >= 3 and not_started[-3][0] == round_number - 2:
                    break
                continue
            session.x(["xdotool", "windowactivate", "--sync", str(windows[harness.MAIN])])
            # The focus starts in Text2; the tab order is Text2, Check1, Text1.
            session.x(["xdotool", "key", "--delay", "1", "ctrl+a", *typed[1], "Tab", "Tab",
                       "ctrl+a", *typed[0]])
            presses = ["mousemove", "--window", str(windows[harness.FAST]), "3", "3"]
            presser = subprocess.Popen(["xdotool", *presses, *["mousedown", "1", "mouseup", "1",
                                                               "sleep", "0.05"] * 6],
                                       env=session.env, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.0, 0.3))  # the moment of the kill
            session.program.kill()
            session.program.wait()
            presser.kill()
            presser.wait()

            test_after, cord_after = session.read_file("test"), session.read_file("cord")
            changed = resaved(cord_after, cord)
            if test_after not in (test_before, harness.crlf(typed)) or changed is None:
                damaged.append((round_number, test_after, cord_after))
                with open(os.path.join(session.folder, "test"), "wb") as f:
                    f.write(test_before)  # the next round starts from a whole file
                continue
            figures["test new" if test_after == harness.crlf(typed) else "test old"] += 1
            figures["cord resaved" if changed else "cord untouched"] += 1
        left = sorted(set(os.listdir(session.folder)) - {"cord", "test",
                                                           os.path.basename(args.program)})
    kills = sum(figures.values()) // 2 + len(damaged)
    print(f"soak: {kills} kills of {args.kills}, seed {args.seed}, "
          f"{time.monotonic() - started:.1f} s; {figures}; rounds not started: {len(not_started)}; "
          f"files left beside cord and test: {left}")
    for round_number, reason in not_started:
        print(f"NOT STARTED round {round_number}: {reason}")
    for round_number, test, cord in damaged:
        print(f"DAMAGED in round {round_number}: test {test!r}, cord {cord!r}")
    return 1 if damaged else 2 if not_started else 0


if __name__ == "__main__":
    sys.exit(main())
