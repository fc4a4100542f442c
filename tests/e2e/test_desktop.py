#!/usr/bin/python3
"""The program among other programs: what they copy reaches the Fast Counter over X, and under
a real window manager its windows stay above others, reopen where they were left after the
cycle of working modes, and the right press that ends it saves the Fast Counter's place.

Run: /usr/bin/python3 test_desktop.py path/to/tavrel-counter
"""

import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import FAST, MAIN, MINI  # noqa: E402

# Outer corners (frame included) of the windows: as "cord" has them, and where they are moved.
PLACES = {MAIN: (200, 160), FAST: (600, 100), MINI: (300, 600)}
MOVED = {MAIN: (150, 100), FAST: (700, 300), MINI: (420, 520)}
CORD = harness.cord(*PLACES[MAIN], *PLACES[FAST], *PLACES[MINI])
TEXTS = ["Ciao", "Salve!"]


class DesktopTest(unittest.TestCase):

    def session(self):
        return harness.Session(harness.executable(), CORD, TEXTS, self.id().split(".")[-1])

    def test_copies_of_another_program_are_counted(self):
        png = subprocess.run(["convert", "-size", "16x16", "xc:#3366cc", "png:-"], check=True,
                             capture_output=True).stdout
        # Each copy changes the count the one before left. xclip hands a text over 1 MiB in
        # INCR pieces of 1 MiB - 1 bytes (its share of the server's largest request): with
        # the 7-byte pattern the pieces end inside characters.
        copies = [
            ("UTF-8 text", "Sì, grazie!", None, "11"),
            ("300,000 repeats in INCR pieces", "è€ab" * 300_000, None, "1200000"),
            ("a picture only", png, "image/png", "0"),
            ("text after a picture", "Ciao", None, "4"),
        ]
        with self.session() as session:
            harness.wait_for(session.fast_count, what="the count", expected="0")
            for name, data, target, count in copies:
                with self.subTest(name):
                    session.copy(data, target)
                    harness.wait_for(session.fast_count, 60, "the count", expected=count)
            self.assertIsNone(session.program.poll(), "the program ended")

    def test_windows_stay_above_the_active_window_of_another_program(self):
        with self.session() as session:
            ours = set(session.wait_windows([MAIN, FAST]).values())
            session.spawn(["xmessage", "-title", "Another", "-geometry", "+450+300", "other"])
            other = session.find_window("Another")
            session.x(["xdotool", "windowactivate", "--sync", str(other)])

            def ours_above():
                order = list(session.stacking())
                return ours <= set(order[order.index(other) + 1:])
            harness.wait_for(ours_above, what="our windows above the active one")

    def test_the_cycle_reopens_each_window_where_it_was_left(self):
        # Left presses from main mode: each mode's windows, where each must be (a place of
        # "cord", or where it was moved), and the ones then moved.
        steps = [
            ({MAIN: PLACES[MAIN], FAST: PLACES[FAST]}, [MAIN, FAST]),
            ({MINI: PLACES[MINI], FAST: MOVED[FAST]}, [MINI]),
            ({FAST: MOVED[FAST]}, []),
            ({MAIN: MOVED[MAIN], FAST: MOVED[FAST]}, []),
            ({MINI: MOVED[MINI], FAST: MOVED[FAST]}, []),
        ]
        with self.session() as session:
            for step, (places, moved) in enumerate(steps):
                if step:
                    session.press_fast_counter()
                windows = session.wait_windows(list(places))
                for caption, win in windows.items():
                    with self.subTest(step=step, window=caption):
                        self.assertIn("_NET_WM_STATE_ABOVE", session.prop(win, "_NET_WM_STATE"))
                        self.assertEqual(session.outer_position(win), places[caption])
                for caption in moved:
                    session.move(windows[caption], *MOVED[caption])

    def test_right_press_saves_the_fast_counters_place_and_not_the_texts(self):
        for presses, window in ((0, MAIN), (1, MINI)):
            with self.subTest(mode=window), self.session() as session:
                session.wait_windows([MAIN, FAST])
                for _ in range(presses):
                    session.press_fast_counter()
                session.wait_windows([window, FAST])
                session.type_into_box(window, 0, " perso")
                harness.wait_for(lambda: session.box_texts(window), what="the boxes",
                                 expected=["Ciao perso", "Salve!"])
                session.move(session.find_window(FAST), 900, 700)
                session.press_fast_counter(3)
                self.assertEqual(session.program.wait(timeout=10), 0)
                self.assertEqual(session.read_file("cord"),
                                 harness.crlf(CORD[:2] + harness.cord(900, 700) + CORD[4:]))
                self.assertEqual(session.read_file("test"), harness.crlf(TEXTS))


if __name__ == "__main__":
    harness.main()
