#!/usr/bin/python3
"""A program folder the user cannot write: every save fails, each failure is reported on
stderr, and the program goes on working.

The program runs as an unprivileged user (tests run as root, who can write anywhere) with a
home of its own. That user cannot reach the root-owned accessibility bus, so what the program
shows is read from the window captions: the Mini Counter's caption carries the difference of
its two counts.

Run: /usr/bin/python3 test_unwritable_folder.py path/to/tavrel-counter
"""

import os
import re
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

NOBODY = 65534
AS_NOBODY = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", "--"]
TWIPS = harness.TWIPS_PER_PIXEL
CORD = [str(100 * TWIPS), str(100 * TWIPS), str(700 * TWIPS), str(100 * TWIPS),
        str(300 * TWIPS), str(600 * TWIPS)]
MARGIN = (3, 3)  # on the Fast Counter, outside its three captions
MINI_TEXT1 = (harness.pixels(840) + 5, harness.pixels(120) + 5)


class UnwritableFolderTest(unittest.TestCase):

    def prepare(self, session, files_owned_by_user):
        """Lets the user reach the program folder without writing it; returns the
        environment the program runs with."""
        tmp = os.path.dirname(session.folder)
        os.chmod(tmp, 0o711)
        os.chmod(session.folder, 0o755)
        for name in ("cord", "test"):
            path = os.path.join(session.folder, name)
            if os.path.exists(path):
                os.chmod(path, 0o644)
                if files_owned_by_user:
                    os.chown(path, NOBODY, NOBODY)
        home = os.path.join(tmp, "nobody-home")
        runtime = os.path.join(home, "runtime")
        for folder in (home, runtime):
            os.mkdir(folder, 0o700)
            os.chown(folder, NOBODY, NOBODY)
        self.assertFalse(self.user_can_write(session.folder))
        return {"HOME": home, "XDG_RUNTIME_DIR": runtime}

    @staticmethod
    def user_can_write(folder):
        probe = subprocess.run(
            [*AS_NOBODY, "touch", os.path.join(folder, "probe")], capture_output=True)
        return probe.returncode == 0

    def press_fast_counter(self, session, button=1):
        session.click(session.find_window(harness.FAST), *MARGIN, button)

    def test_saves_fail_loudly_and_the_program_keeps_working(self):
        # name, files beside the program (None: none), the user owns them, the Mini Counter's
        # caption before and after typing "abc" at the end of its first box (with two empty
        # boxes nothing changes at load, so the design's caption stays)
        cases = [
            ("read-only files", (CORD, ["Ciao", "Salve!"]), False,
             "Mini Counter [+2]", "Mini Counter [-1]"),
            ("own files, folder read-only", (CORD, ["Ciao", "Salve!"]), True,
             "Mini Counter [+2]", "Mini Counter [-1]"),
            ("first run, no files", None, False, "Mini Counter", "Mini Counter [-3]"),
        ]
        for name, files, owned, mini_before, mini_after in cases:
            cord, test = files or (None, None)
            with self.subTest(name), harness.Session(
                    harness.executable(), cord=cord, test=test, start_program=False,
                    name="unwritable-" + re.sub(r"\W+", "-", name)) as session:
                env = self.prepare(session, owned)
                before = {entry: session.read_file(entry) for entry in os.listdir(session.folder)
                          if entry != os.path.basename(session.program_path)}
                session.start_program(env=env, prefix=AS_NOBODY)
                session.wait_for_windows([harness.MAIN, harness.FAST])

                # Main mode to Mini mode: the Fast Counter and the main window save.
                self.press_fast_counter(session)
                session.wait_for_windows([mini_before, harness.FAST])
                mini = session.find_window(mini_before)
                session.activate(mini)
                session.click(mini, *MINI_TEXT1)
                session.key("End", "a", "b", "c")
                session.wait_for_windows([mini_after, harness.FAST])

                # Mini to Fast (the Mini Counter saves) and back to main mode.
                self.press_fast_counter(session)
                session.wait_for_windows([harness.FAST])
                self.press_fast_counter(session)
                session.wait_for_windows([harness.MAIN, harness.FAST])
                self.assertIsNone(session.exit_code, "the program ended")

                # Every save failed, naming its file; nothing on disk changed.
                stderr = session.stderr()
                for entry in ("cord", "test"):
                    self.assertRegex(
                        stderr, rf"Cannot save {re.escape(session.folder)}/{entry}\b",
                        f"no report of the failed save of {entry}")
                after = {entry: session.read_file(entry) for entry in os.listdir(session.folder)
                         if entry != os.path.basename(session.program_path)}
                self.assertEqual(after, before)

                # The right press ends the program by itself, also when its save fails.
                self.press_fast_counter(session, 3)
                code = session.wait_exit()
                self.assertGreaterEqual(code, 0, f"ended by signal {-code}")


if __name__ == "__main__":
    harness.main()
