#!/usr/bin/python3
"""The Fast Counter with a clipboard it was not made for: megabytes of text, sent in many
pieces (the X INCR transfer), and a clipboard that holds only a picture. The count is right,
or 0 without text, and the program goes on counting. (How long the event loop stalls while
such a clipboard is read is measured in bench/.)

Run: /usr/bin/python3 test_clipboard_extremes.py path/to/tavrel-counter
"""

import os
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

MB = 1_000_000
# Long enough for a multi-megabyte transfer on a loaded test machine.
LARGE_TIMEOUT = 60


def png_picture(session):
    """A small PNG made here, as another program would put it on the clipboard."""
    return subprocess.run(["convert", "-size", "64x48", "xc:#3366cc", "png:-"],
                          env=session.env, capture_output=True, check=True,
                          timeout=30).stdout


def offer_picture(session, png):
    """Another program takes the clipboard and offers only image/png."""
    proc = session.start_helper(["xclip", "-quiet", "-selection", "clipboard",
                                 "-t", "image/png", "-i", png], "xclip-picture.log")
    # xclip serves once it owns the selection: wait until a reader is offered the picture.
    def targets():
        return subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "TARGETS"],
                              env=session.env, capture_output=True, timeout=10).stdout
    harness.wait_for(lambda: b"image/png" in targets(), what="the picture on the clipboard")
    return proc


class ClipboardExtremesTest(unittest.TestCase):

    def test_large_text_and_pictures_are_counted(self):
        # In this order, so that each copy changes the count the one before it left:
        # name, what another program copies (bytes: text; "picture": a PNG only), the count.
        copies = [
            ("small text first", "Ciao", "4"),
            ("5 MB of ASCII", "x" * (5 * MB), "5000000"),
            ("picture only", "picture", "0"),
            ("text again", "Salve!", "6"),
            # Two- and three-byte characters in a 7-byte pattern: unless the pieces of the
            # transfer are a multiple of 7 bytes long, some end inside a character.
            # 714,286 x 7 bytes = 5 MB, 4 characters each.
            ("5 MB of multi-byte UTF-8", "è€ab" * 714_286, "2857144"),
            ("5 MB of lines", "riga\r\n" * (5 * MB // 6), str(6 * (5 * MB // 6))),
            ("picture after text", "picture", "0"),
            ("5 MB again, after a picture", "y" * (5 * MB), "5000000"),
        ]
        with harness.Session(harness.executable(), name="clipboard-extremes") as session:
            session.find_window(harness.FAST)
            session.wait_for_values({"cont": "0"})
            png = os.path.join(os.path.dirname(session.folder), "picture.png")
            with open(png, "wb") as f:
                f.write(png_picture(session))

            for name, content, count in copies:
                with self.subTest(name):
                    if content == "picture":
                        offer_picture(session, png)
                    else:
                        session.copy_to_clipboard(content)
                    session.wait_for_values({"cont": count}, timeout=LARGE_TIMEOUT)
                    self.assertIsNone(session.exit_code, "the program ended")

            # Still counting, still on the screen in main mode.
            session.copy_to_clipboard("fine")
            session.wait_for_values({"cont": "4"})
            self.assertEqual(sorted(session.window_captions()),
                             sorted([harness.MAIN, harness.FAST]))


if __name__ == "__main__":
    harness.main()
