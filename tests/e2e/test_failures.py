#!/usr/bin/python3
"""When things go wrong: a save killed between writing its file and putting it in place leaves
the previous file whole; a folder the user cannot write is reported, not fatal; without a
display, or when it goes away, the program says so and ends by itself, never by a crash.

Run: TAVREL_STALL_LIBRARY=path/to/libstall_rename.so \\
     /usr/bin/python3 test_failures.py path/to/tavrel-counter
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
from harness import FAST, MAIN, MINI  # noqa: E402

# With leading zeros: a window's own save writes its two lines as plain numbers.
CORD = ["00" + line for line in harness.cord(100, 100, 700, 100, 300, 600)]
TEXTS = ["Ciao", "Salve!"]
MODES = [[MAIN, FAST], [MINI, FAST], [FAST], [MAIN, FAST]]  # in the order left presses reach


class FailuresTest(unittest.TestCase):

    def session(self, name, files=True):
        return harness.Session(harness.executable(), CORD if files else None,
                               TEXTS if files else None, name.replace(" ", "-"), start=False)

    def assert_ended_by_itself(self, code, stderr, folder):
        self.assertGreater(code, 0, f"exit status {code}")
        self.assertRegex(stderr, r"(?i)display|X11|xcb")
        self.assertNotRegex(stderr, r"(?i)segmentation|abort|core dumped|terminate called")
        self.assertFalse([name for name in os.listdir(folder) if name.startswith("core")])

    def test_a_save_killed_before_its_rename_leaves_the_previous_file(self):
        # name, files there before, the file whose save is held, the call held, what that
        # save was putting in place (None: anything)
        cases = [
            ("cord replaced", True, "cord", "rename", None),
            ("test replaced", True, "test", "rename", harness.crlf(["Ciao mondo", "Salve!"])),
            ("cord created", False, "cord", "linkat", None),
        ]
        for name, files, held, call, content in cases:
            with self.subTest(name), self.session(name, files) as session:
                marker = os.path.join(session.folder, "..", "held")
                session.start_program(env={"LD_PRELOAD": os.environ["TAVREL_STALL_LIBRARY"],
                                           "TAVREL_STALL_RENAME": held,
                                           "TAVREL_STALL_MARKER": marker})
                if files:  # a switch to Mini mode saves cord, and the texts when changed
                    session.type_into_box(MAIN, 0, " mondo")
                    harness.wait_for(lambda: session.box_texts(MAIN), what="the boxes",
                                     expected=["Ciao mondo", "Salve!"])
                    session.press_fast_counter()
                harness.wait_for(lambda: os.path.exists(marker), 20, f"the held save of {held}")
                session.program.kill()
                session.program.wait()
                with open(marker) as f:  # "key=value" lines, up to an empty one
                    held_call = dict(line.split("=", 1) for line in f.read().split("\n\n")[0]
                                     .splitlines())
                self.assertEqual((held_call["call"], os.path.basename(held_call["to"])),
                                 (call, held))
                if files:  # the new content waits under the name it was to be renamed from
                    with open(os.path.join(session.folder, held_call["from"]), "rb") as f:
                        being_saved = f.read()
                    before = harness.crlf({"cord": CORD, "test": TEXTS}[held])
                    self.assertNotEqual(being_saved, before)
                    self.assertEqual(being_saved, content or being_saved)
                    self.assertEqual(session.read_file(held), before)
                else:
                    self.assertFalse(os.path.exists(os.path.join(session.folder, held)))

    def test_a_folder_the_user_cannot_write_is_reported_and_the_program_goes_on(self):
        with self.session("unwritable") as session:
            before = {name: session.read_file(name) for name in ("cord", "test")}
            session.as_nobody()  # who cannot reach root's accessibility bus: captions tell
            session.start_program(prefix=harness.AS_NOBODY)
            session.wait_windows(MODES[0])
            for mode in MODES[1:]:  # each switch saves
                session.press_fast_counter()
                session.wait_windows(mode)
            session.press_fast_counter(3)
            self.assertGreaterEqual(session.program.wait(timeout=10), 0, "ended by a signal")
            for name in before:
                self.assertRegex(session.stderr(),
                                 rf"Cannot save {re.escape(session.folder)}/{name}\b")
                self.assertEqual(session.read_file(name), before[name])

    def test_no_display_ends_the_program_with_a_message(self):
        unused = next(f":{n}" for n in range(1000, 2000)
                      if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("DISPLAY", "WAYLAND", "QT_", "XDG_", "DBUS_"))}
        for display in (None, unused):
            with self.subTest(display=display), tempfile.TemporaryDirectory() as tmp:
                program = shutil.copy2(harness.executable(), tmp)
                done = subprocess.run(  # a crash would leave a core file there
                    ["prlimit", "--core=unlimited", program], cwd=tmp, capture_output=True,
                    env=dict(env, HOME=tmp, **{"DISPLAY": display} if display else {}))
                self.assertEqual(done.returncode, 1)
                self.assert_ended_by_itself(done.returncode, done.stderr.decode(), tmp)

    def test_the_display_going_away_ends_the_program(self):
        # how the X server ends, left presses on the Fast Counter first (the working mode)
        for sig, presses in ((signal.SIGKILL, 0), (signal.SIGTERM, 2)):
            with self.subTest(signal=sig.name), self.session(f"gone-{sig.name}") as session:
                session.start_program(prefix=["prlimit", "--core=unlimited", "--"])
                session.wait_windows(MODES[0])
                for mode in MODES[1:presses + 1]:
                    session.press_fast_counter()
                    session.wait_windows(mode)
                os.killpg(session.xvfb.pid, sig)
                self.assert_ended_by_itself(session.program.wait(timeout=15), session.stderr(),
                                            os.path.join(session.folder, ".."))


if __name__ == "__main__":
    harness.main()
