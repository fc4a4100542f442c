"""Boxes, picture buttons and the table mode's lock as the accessibility bus shows them; the
names themselves are in the design snapshot."""

import unittest

import harness
from harness import FAST, MAIN, wait_for


class AccessibilityTest(unittest.TestCase):

    def test_names_buttons_and_the_lock(self):
        with harness.Session(harness.executable(), None, ["Ciao", ""], "accessibility") as s:
            s.wait_windows([MAIN, FAST])
            boxes = lambda window: [n for n in s.nodes(window) if n["role"] == "text"]
            buttons = {n["name"]: n for n in s.nodes(MAIN) if n["role"] == "push button"}
            self.assertEqual([b["actions"] for b in buttons.values()], [["Press"]] * 4)
            s.act(boxes(MAIN)[1], text="Salve")
            wait_for(lambda: boxes(MAIN)[1]["text"] == "Salve", what="text set from outside")
            self.assertIn("editable", boxes(MAIN)[0]["states"])
            # Table mode from the keyboard: the check box acts when the focus leaves it.
            s.x(["xdotool", "windowactivate", "--sync", str(s.find_window(MAIN))])
            s.key("Tab", "space", "Tab")
            wait_for(lambda: "editable" not in boxes(MAIN)[0]["states"], what="the lock")
            for box in boxes(MAIN):
                self.assertIn("read-only", box["states"])
                s.act(box, text="intruso")
            self.assertEqual([n["text"] for n in boxes(MAIN)], ["Ciao", "Salve"])
            s.act(buttons["ABOUT"], "Press")  # the about face covers the boxes
            wait_for(lambda: all("showing" not in n["states"] for n in boxes(MAIN)),
                     what="the about face")


if __name__ == "__main__":
    harness.main()
