"""A character table chosen in the real open-file dialog, then typed against with real keys."""

import os, shutil, tempfile, unittest
from pathlib import Path

import harness
from harness import MAIN, wait_for


class TableDialogTest(unittest.TestCase):

    def test_a_path_typed_into_the_dialog_loads_the_table(self):
        tables = tempfile.mkdtemp(prefix="giochi è ")  # apart, a blank and an accent in it
        self.addCleanup(shutil.rmtree, tables)
        table = f"{tables}/gioco.tbl"
        Path(table).write_bytes(harness.crlf(["e8=è", "41=A", "5b=aB", "62=b"]))  # "aB": no a, B
        with harness.Session(harness.executable(), name="table", start=False) as s:
            # xdotool types a letter the keyboard map lacks through a key it binds for the
            # moment, which the program may read with the old map: Italian keys hold "è".
            s.x(["setxkbmap", "-layout", "it"])
            s.start_program()
            s.click(s.find_window(MAIN), 142, 300)  # CARICA TABLE
            name_field = lambda: [n for n in s.nodes() if n["role"] == "text"  # noqa: E731
                                  and n["window"] != MAIN and "focused" in n["states"]][0]
            wait_for(name_field, what="the open-file dialog's focused name field")
            s.type(table)
            wait_for(lambda: name_field()["text"], what="the name", expected=table)
            s.key("Return")
            for dump in ("tdf.txt", "tbl.txt"):
                wait_for(lambda: os.path.exists(os.path.join(tables, dump)), what=dump)
                self.assertFalse(os.path.exists(os.path.join(s.folder, dump)))
            self.assertTrue(any(n["role"] == "check box" and "checked" in n["states"]
                                for n in s.nodes(MAIN)), "table mode is off")
            s.type_into_box(MAIN, 1, "AaBbè x")
            wait_for(lambda: s.box_texts(MAIN), what="the boxes", expected=["", "Abè "])


if __name__ == "__main__":
    harness.main()
