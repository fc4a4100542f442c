#!/usr/bin/python3
"""The three working modes, switched by real presses on the Fast Counter, and what they save.

Run: /usr/bin/python3 test_modes.py path/to/tavrel-counter
"""

import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

TWIPS = harness.TWIPS_PER_PIXEL
# Outer positions (frame included) in pixels; the files hold them in twips.
MAIN_AT, FAST_AT, MINI_AT = (200, 160), (600, 100), (300, 600)
CORD = [str(value * TWIPS) for value in (*MAIN_AT, *FAST_AT, *MINI_AT)]
TEXTS = ["Ciao", "Salve!"]
MARGIN = (3, 3)  # on the Fast Counter, outside its three captions


def crlf_lines(data):
    return data.decode("utf-8").split("\r\n")[:-1]


class ModesTest(unittest.TestCase):

    def session(self, **files):
        return harness.Session(harness.executable(), name=self.id().rsplit(".", 1)[-1],
                               cord=files.get("cord", CORD), test=files.get("test", TEXTS))

    def wait_for_mode(self, session, titles, check=False):
        """Until exactly the windows titled titles are on the screen; with check, each one
        also stays above others and its title bar shows its caption."""
        session.wait_for_windows(titles)
        for title in titles if check else ():
            win = session.find_window(title)
            self.assertIn("_NET_WM_STATE_ABOVE", session.prop(win, "_NET_WM_STATE"), title)
            self.assertEqual(session.window_title(win), title)

    def press_fast_counter(self, session, button):
        session.click(session.find_window(harness.FAST), *MARGIN, button)

    def test_left_presses_cycle_the_modes_and_the_texts_travel(self):
        with self.session() as session:
            self.wait_for_mode(session, [harness.MAIN, harness.FAST], check=True)
            session.wait_for_values({"Text1": "Ciao", "Text2": "Salve!", "differ": "2"})
            main = session.find_window(harness.MAIN)
            self.assertEqual(session.outer_position(main), MAIN_AT)
            self.assertEqual(session.outer_position(session.find_window(harness.FAST)), FAST_AT)
            moved_main, moved_fast = (150, 100), (700, 300)
            session.move(main, *moved_main)
            session.move(session.find_window(harness.FAST), *moved_fast)

            # Into Mini mode: the main window saved its place and texts and went.
            self.press_fast_counter(session, 1)
            self.wait_for_mode(session, ["Mini Counter [+2]", harness.FAST], check=True)
            session.wait_for_values({"mini.Text1": "Ciao", "mini.Text2": "Salve!"})
            self.assertEqual(crlf_lines(session.read_file("cord"))[:4],
                             [str(value * TWIPS) for value in (*moved_main, *moved_fast)])
            self.assertEqual(session.outer_position(session.find_window("Mini Counter [+2]")),
                             MINI_AT)
            self.assertEqual(session.outer_position(session.find_window(harness.FAST)),
                             moved_fast)

            session.edit_box(session.find_window("Mini Counter [+2]"), "mini.Text1", "type",
                             " mondo")
            self.wait_for_mode(session, ["Mini Counter [-4]", harness.FAST])

            # Into Fast mode: the Mini Counter handed its texts back through the file.
            self.press_fast_counter(session, 1)
            self.wait_for_mode(session, [harness.FAST], check=True)
            self.assertEqual(crlf_lines(session.read_file("test")), ["Ciao mondo", "Salve!"])
            session.wait_for_values({"cont": "0"})

            # Back to main mode, where the main window was dropped, with the Mini's texts.
            self.press_fast_counter(session, 1)
            self.wait_for_mode(session, [harness.MAIN, harness.FAST], check=True)
            session.wait_for_values({"Text1": "Ciao mondo", "Text2": "Salve!", "car1": "10",
                                     "differ": "-4"})
            self.assertEqual(session.outer_position(session.find_window(harness.MAIN)),
                             moved_main)
            self.assertIsNone(session.exit_code)

    def test_right_press_saves_only_the_fast_counter_and_ends(self):
        # left presses before the right one, the windows of that mode, text typed there
        modes = [
            (0, [harness.MAIN, harness.FAST], (harness.MAIN, "Text1")),
            (1, ["Mini Counter [+2]", harness.FAST], ("Mini Counter [+2]", "mini.Text2")),
            (2, [harness.FAST], None),
        ]
        # Lines of other windows are copied through as they are, even where the number
        # would be written differently (until the Mini Counter's own unload rewrites 5, 6).
        cord = [CORD[0], CORD[1], CORD[2], CORD[3], "04500", "+9000"]
        for presses, titles, typing in modes:
            with self.subTest(left_presses=presses), self.session(cord=cord) as session:
                self.wait_for_mode(session, [harness.MAIN, harness.FAST])
                for _ in range(presses):
                    self.press_fast_counter(session, 1)
                self.wait_for_mode(session, titles)
                if typing:
                    title, box = typing
                    session.activate(session.find_window(title))
                    session.click_control(box)
                    session.type_into(session.find_window(title), " perso")
                    session.wait_for_values({box: TEXTS[box.endswith("Text2")] + " perso"})

                before = crlf_lines(session.read_file("cord"))
                texts_before = session.read_file("test")
                dropped = (900, 700)
                session.move(session.find_window(harness.FAST), *dropped)
                self.press_fast_counter(session, 3)

                self.assertEqual(session.wait_exit(), 0)
                after = crlf_lines(session.read_file("cord"))
                self.assertEqual(after, before[:2] + [str(dropped[0] * TWIPS),
                                                      str(dropped[1] * TWIPS)] + before[4:])
                self.assertEqual(session.read_file("test"), texts_before)

    def test_stored_positions_are_applied_even_off_the_screen(self):
        # The screen is 1280 x 1024. Openbox pulls a window that would be wholly off the
        # screen back until a sliver shows, so there what the program asked for is checked.
        cord = ["30000", "-1500", CORD[2], CORD[3], "-1500", "15000"]
        with self.session(cord=cord) as session:
            self.wait_for_mode(session, [harness.MAIN, harness.FAST])
            # North-west gravity: the location asked for is the frame's corner.
            self.assertEqual(session.normal_hints(session.find_window(harness.MAIN))["location"],
                             (2000, -100))

            self.press_fast_counter(session, 1)
            self.wait_for_mode(session, ["Mini Counter [+2]", harness.FAST])
            self.assertEqual(
                session.outer_position(session.find_window("Mini Counter [+2]")), (-100, 1000))


if __name__ == "__main__":
    harness.main()
