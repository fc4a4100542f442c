#!/usr/bin/python3
"""The main window, typed into with real X input and read back through the accessibility bus.

Run: /usr/bin/python3 test_main_window.py path/to/tavrel-counter
With TAVREL_UPDATE_SCREENSHOTS=1 the window's picture also replaces the README's copy in
docs/screenshots.
"""

import os
import shutil
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

DIFFERENCE_COLOURS = {"red": (255, 0, 0), "yellow": (255, 255, 0), "green": (0, 255, 0)}

README_SCREENSHOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                 "docs", "screenshots", "main-window.png")

ALL_ZERO = {name: "0" for name in ("car1", "spa1", "par1", "fra1",
                                   "car2", "spa2", "par2", "fra2", "differ")}


class MainWindowTest(unittest.TestCase):

    def session(self):
        return harness.Session(harness.executable(), name=self.id().rsplit(".", 1)[-1])

    def difference_colour(self, session, win):
        """The palette colours in which `differ` is drawn on the screen right now."""
        return sorted(session.grab(win).ink(*session.control_rect("differ"), DIFFERENCE_COLOURS))

    def test_counts_and_difference_follow_both_boxes(self):
        # Where the keys go (None: the focus as the window opens), the xdotool command and
        # its argument, what the window shows afterwards, differ's colour, "+" shown.
        steps = [
            (None, "type", "Salve!",
             {"Text2": "Salve!", "car2": "6", "spa2": "0", "par2": "1", "fra2": "1",
              "differ": "6", "Text1": "", "car1": "0", "spa1": "0", "par1": "0", "fra1": "0"},
             "red", True),
            ("Text1", "type", "Ciao",
             {"Text1": "Ciao", "car1": "4", "spa1": "0", "par1": "1", "fra1": "0",
              "differ": "2", "car2": "6"}, "red", True),
            ("Text1", "type", " mondo",
             {"Text1": "Ciao mondo", "car1": "10", "spa1": "1", "par1": "2", "fra1": "0",
              "differ": "-4", "car2": "6"}, "green", False),
            ("Text1", "key", "BackSpace BackSpace BackSpace BackSpace",
             {"Text1": "Ciao m", "car1": "6", "spa1": "1", "par1": "2", "fra1": "0",
              "differ": "0", "car2": "6"}, "yellow", False),
            ("Text2", "type", ", grazie!",
             {"Text2": "Salve!, grazie!", "car2": "15", "spa2": "1", "par2": "2",
              "fra2": "2", "differ": "9", "car1": "6"}, "red", True),
            ("Text2", "key", "shift+Home BackSpace",
             {"Text2": "", "car2": "0", "par2": "0", "fra2": "0", "differ": "-6"},
             "green", False),
            ("Text2", "type", "Ciao mondo.",
             {"Text2": "Ciao mondo.", "car2": "11", "spa2": "1", "par2": "2", "fra2": "1",
              "differ": "5", "labpiù": "+", "Text1": "Ciao m", "car1": "6", "spa1": "1",
              "par1": "2", "fra1": "0"}, "red", True),
        ]
        with self.session() as session:
            win = session.find_window(harness.MAIN)
            session.wait_for_values(ALL_ZERO)
            self.assertEqual(self.difference_colour(session, win), ["yellow"])
            self.assertFalse(session.is_showing("labpiù"))
            for box, command, keys, expected, colour, plus_shown in steps:
                with self.subTest(box=box, keys=keys):
                    session.edit_box(win, box, command, keys)
                    session.wait_for_values(expected)
                    self.assertEqual(self.difference_colour(session, win), [colour])
                    self.assertEqual(session.is_showing("labpiù"), plus_shown)

            path = session.screenshot(os.path.join(harness.artifacts_dir(), "main-window.png"),
                                      win)
            if os.environ.get("TAVREL_UPDATE_SCREENSHOTS") == "1":
                os.makedirs(os.path.dirname(README_SCREENSHOT), exist_ok=True)
                shutil.copyfile(path, README_SCREENSHOT)
            self.assertEqual(session.stderr(), "", "the program complained on stderr")

    def test_windows_are_fixed_size_without_maximise(self):
        # title, client size in pixels (the design's twips at 15 a pixel), functions the
        # window manager must not offer. The size is held by equal minimum and maximum
        # size hints; Qt leaves the Motif resize function on.
        windows = [
            (harness.MAIN, (282, 394), {"maximize"}),
            (harness.FAST, (76, 61), {"maximize", "minimize"}),
        ]
        with self.session() as session:
            for title, size, forbidden in windows:
                with self.subTest(window=title):
                    win = session.find_window(title)
                    self.assertEqual(session.window_geometry(win)[2:], size)
                    hints = session.normal_hints(win)
                    self.assertEqual((hints.get("minimum"), hints.get("maximum")), (size, size))
                    allowed = session.motif_functions(win)
                    self.assertIsNotNone(allowed, "no _MOTIF_WM_HINTS functions")
                    self.assertFalse(allowed & forbidden, f"offers {allowed & forbidden}")


if __name__ == "__main__":
    harness.main()
