#!/usr/bin/python3
"""What assistive technology reads and does through the accessibility bus: the text boxes
named by their captions, the picture buttons as push buttons that a press action works, and
a box locked by table mode that reports itself read-only and keeps text set from outside out.

Run: /usr/bin/python3 test_accessibility.py path/to/tavrel-counter
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import FAST, MAIN, MINI, wait_for  # noqa: E402


class AccessibilityTest(unittest.TestCase):

    def test_names_buttons_and_the_lock(self):
        with harness.Session(harness.executable(), None, ["Ciao", ""], "accessibility") as s:
            s.wait_windows([MAIN, FAST])
            boxes = lambda window: [n for n in s.nodes(window) if n["role"] == "text"]
            self.assertEqual([n["name"] for n in boxes(MAIN)],
                             ["Testo da tradurre", "Testo da sostituire"])
            buttons = {n["name"]: n for n in s.nodes(MAIN) if n["role"] == "push button"}
            self.assertEqual(sorted(buttons), ["ABOUT", "CARICA TABLE {TBL}", "ESCI", "INDIETRO"])
            self.assertTrue(all(b["actions"] == ["Press"] for b in buttons.values()))

            # An ordinary box takes text from assistive technology.
            s.set_text(boxes(MAIN)[1], "Salve")
            wait_for(lambda: boxes(MAIN)[1]["text"] == "Salve", what="text set from outside")
            self.assertIn("editable", boxes(MAIN)[0]["states"])

            # Table mode from the keyboard (the check box acts when the focus leaves it): both
            # boxes report themselves read-only and keep text set from outside out.
            s.x(["xdotool", "windowactivate", "--sync", str(s.find_window(MAIN))])
            s.key("Tab", "space", "Tab")
            wait_for(lambda: "editable" not in boxes(MAIN)[0]["states"], what="the lock")
            for box in boxes(MAIN):
                self.assertIn("read-only", box["states"])
                s.set_text(box, "intruso")
            self.assertEqual([n["text"] for n in boxes(MAIN)], ["Ciao", "Salve"])

            # ABOUT pressed through its action shows the about face over the boxes.
            s.act(buttons["ABOUT"], "Press")
            wait_for(lambda: all("showing" not in n["states"] for n in boxes(MAIN)),
                     what="the about face")

            # The Mini Counter's boxes are named too.
            s.press_fast_counter()
            s.wait_windows([MINI, FAST])
            self.assertEqual([n["name"] for n in boxes(MINI)], ["Originale", "Tradotta"])


if __name__ == "__main__":
    harness.main()
