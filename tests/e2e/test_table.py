#!/usr/bin/python3
"""A character table chosen in the real open-file dialog, then typed against with real keys.

Run: /usr/bin/python3 test_table.py path/to/tavrel-counter
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

# CARICA TABLE in the client area, in twips: Frame1 (120,600), Frame5 (120,3128) inside it,
# the button (240,600) inside that; 3300 by 330.
CARICA_TABLE = (120 + 120 + 240, 600 + 3128 + 600, 3300, 330)
# Out of code order, codes in mixed case, UTF-8; an entry of two characters lets neither in.
TABLE = ["e8=è", "41=A", "5b=aB", "62=b"]
DUMP = "41=A\r\n5B=aB\r\n62=b\r\nE8=è\r\n".encode("utf-8")
FILTER = "Tavole per Thingy (*.tbl)"


def checked(session, win):
    """Whether Check1 is drawn checked: its indicator, the square at its left, is filled with
    the caption's red (12 by 12 pixels) instead of showing a black square in a grey frame."""
    x, y, _, height = session.control_rect("Check1")
    return session.grab(win).ink(x, y, height, height, {"red": (255, 0, 0)}).get("red", 0) >= 100


class TableTest(unittest.TestCase):

    def setUp(self):
        # A folder of its own, apart from the program's and from its working folder, with a
        # blank and an accented letter in its name.
        self.tables = os.path.join(tempfile.mkdtemp(prefix="tavrel-tables-"), "giochi è tbl")
        os.mkdir(self.tables)
        self.addCleanup(shutil.rmtree, os.path.dirname(self.tables))
        self.table = os.path.join(self.tables, "gioco.tbl")
        with open(self.table, "wb") as f:
            f.write("".join(f"{line}\r\n" for line in TABLE).encode("utf-8"))

    def open_dialog(self, session):
        """Clicks CARICA TABLE; the dialog's accessible window once it shows."""
        def dialog():
            found = [w for w in session.accessible_windows()
                     if w["role"] == "dialog" and w["showing"]]
            return found[0] if len(found) == 1 else None
        left, top, width, height = CARICA_TABLE
        session.click(session.find_window(harness.MAIN), harness.pixels(left + width / 2),
                      harness.pixels(top + height / 2))
        return harness.wait_for(dialog, what="the open-file dialog")

    def wait_name_field(self, session, text):
        """Until the dialog's one text field, its file name, holds text."""
        def holds():
            seen = [n["text"] for w in session.accessible_windows() if w["role"] == "dialog"
                    for n in w["nodes"] if n["role"] == "text"]
            if seen != [text]:
                raise LookupError(f"the dialog's text fields hold {seen}")
            return True
        harness.wait_for(holds, what=f"{text!r} in the file-name field")

    def test_typed_path_and_enter_load_the_table_and_the_boxes_follow_it(self):
        with harness.Session(harness.executable(), name="table",
                             start_program=False) as session:
            # xdotool types a letter missing from the keyboard map through a key it binds for
            # the moment, and the program may read that key with the old map: with Italian
            # keys "è" is on the keyboard, read as such from the program's start.
            subprocess.run(["setxkbmap", "-layout", "it"], env=session.env, check=True,
                           timeout=10)
            session.start_program()
            win = session.find_window(harness.MAIN)
            session.wait_for_values({"nTBL": "Nome del file TBL", "Text2": "", "car2": "0"})
            self.assertFalse(checked(session, win))

            dialog = self.open_dialog(session)
            self.assertIn(FILTER, [n["name"] for n in dialog["nodes"]
                                   if n["role"] == "combo box"])
            # The keys go straight into the name field: it has the focus when the dialog opens.
            session.type_into(session.find_window(dialog["title"]), self.table)
            self.wait_name_field(session, self.table)
            session.key("Return")

            session.wait_for_values({"nTBL": "gioco.tbl", "Text1": "", "Text2": ""})
            for dump in ("tdf.txt", "tbl.txt"):
                path = os.path.join(self.tables, dump)
                harness.wait_for(lambda: os.path.exists(path), what=f"{dump} beside the table")
                with open(path, "rb") as f:
                    self.assertEqual(f.read(), DUMP, dump)
                self.assertFalse(os.path.exists(os.path.join(session.folder, dump)), dump)
            harness.wait_for(lambda: checked(session, win), what="Check1 to be drawn checked")

            # Each step: the box clicked, then the keys typed or pressed, then what shows.
            steps = [
                ("Text2", "type", "AaBbè x", {"Text2": "Abè ", "car2": "4", "Text1": ""}),
                ("Text2", "key", "BackSpace BackSpace", {"Text2": "Ab", "car2": "2"}),
                ("Text2", "key", "Home Delete", {"Text2": "b", "car2": "1"}),
                ("Text1", "type", "xb aA.", {"Text1": "b A", "car1": "3", "Text2": "b"}),
            ]
            for box, command, keys, expected in steps:
                with self.subTest(box=box, keys=keys):
                    session.edit_box(win, box, command, keys)
                    session.wait_for_values(expected)
            self.assertEqual(session.stderr(), "", "the program complained on stderr")


if __name__ == "__main__":
    harness.main()
