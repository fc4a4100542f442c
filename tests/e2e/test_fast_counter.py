#!/usr/bin/python3
"""The Fast Counter follows what other programs copy, and the working windows stay on top.

Run: /usr/bin/python3 test_fast_counter.py path/to/tavrel-counter
"""

import os
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402


class FastCounterTest(unittest.TestCase):

    def session(self):
        return harness.Session(harness.executable(), name=self.id().rsplit(".", 1)[-1])

    def test_counts_every_copy_made_by_another_program(self):
        # In this order, so that each copy changes the count the one before it left.
        copies = [
            ("Ciao mondo.", "11"),
            ("a\r\nb", "4"),           # CR and LF are two characters
            ("", "0"),                 # an empty clipboard
            ("Sì, grazie!", "11"),     # characters, not UTF-8 bytes (12)
            ("  due  spazi  ", "14"),
        ]
        with self.session() as session:
            session.find_window(harness.FAST)
            session.wait_for_values({"cont": "0"})
            for text, count in copies:
                with self.subTest(copied=text):
                    session.copy_to_clipboard(text)
                    session.wait_for_values({"cont": count})
            session.screenshot(os.path.join(harness.artifacts_dir(), "fast-counter.png"),
                               session.find_window(harness.FAST))

    def test_main_window_and_fast_counter_stay_above_another_window(self):
        with self.session() as session:
            ours = {title: session.find_window(title) for title in (harness.MAIN, harness.FAST)}
            session.wait_for_values({"cont": "0"})
            for title, win in ours.items():
                self.assertIn("_NET_WM_STATE_ABOVE", session.prop(win, "_NET_WM_STATE"), title)

            session.start_helper(["xmessage", "-title", "Another window",
                                  "-geometry", "+450+300", "another program"], "xmessage.log")
            other = session.find_window("Another window")
            session.activate(other)

            def other_is_below_ours():
                order = session.stacking()
                above = order[order.index(other) + 1:] if other in order else []
                if not all(win in above for win in ours.values()):
                    raise LookupError(f"stacking {order}, the other window {other}")
                return True
            harness.wait_for(other_is_below_ours, what="our windows above the active one")
            self.assertEqual(session.active_window(), other)
            session.screenshot(os.path.join(harness.artifacts_dir(), "above-another.png"))


if __name__ == "__main__":
    harness.main()
