"""Killed saves, an unwritable folder, no display or a lost one: no damage and no crash."""

import os, shutil, signal, subprocess, tempfile, unittest

import harness
from harness import FAST, MAIN, MINI, wait_for

# With leading zeros: a window's own save writes its two lines as plain numbers.
CORD = ["00" + line for line in harness.cord(100, 100, 700, 100, 300, 600)]
TEXTS, TYPED = ["Ciao", "Salve!"], ["Ciao mondo", "Salve!"]


class FailuresTest(unittest.TestCase):

    def assert_ended_by_itself(self, code, stderr, folder):
        self.assertGreater(code, 0, f"exit status {code}")
        self.assertRegex(stderr, r"(?i)display|X11|xcb")
        self.assertNotRegex(stderr, r"(?i)segmentation|abort|core dumped|terminate called")
        self.assertFalse([name for name in os.listdir(folder) if name.startswith("core")])

    def test_a_save_killed_before_its_rename_leaves_the_previous_file(self):
        # The switch to Mini mode saves cord, and the texts as changed.
        for held, kept, saving in (("cord", CORD, None), ("test", TEXTS, TYPED)):
            with self.subTest(held), harness.Session(harness.executable(), CORD, TEXTS, held,
                                                     False) as s:
                marker = f"{s.folder}/../held"
                s.start_program(env={"LD_PRELOAD": os.environ["TAVREL_STALL_LIBRARY"],
                                     "TAVREL_STALL_RENAME": held, "TAVREL_STALL_MARKER": marker})
                s.type_into_box(MAIN, 0, " mondo")
                s.wait_texts(MAIN, TYPED)
                s.press_fast_counter()
                wait_for(lambda: os.path.lexists(marker), 20, f"the held save of {held}")
                s.program.kill()
                s.program.wait()
                source, target = os.readlink(marker).splitlines()
                before, being_saved = s.read_file(held), s.read_file(source)
                self.assertEqual((os.path.basename(target), before), (held, harness.crlf(kept)))
                self.assertNotEqual(being_saved, before)
                self.assertEqual(being_saved, harness.crlf(saving) if saving else being_saved)

    def test_a_folder_the_user_cannot_write_is_reported_and_the_program_goes_on(self):
        with harness.Session(harness.executable(), CORD, TEXTS, "unwritable", False) as s:
            s.start_program(nobody=True)  # who cannot reach root's accessibility bus: captions tell
            for step, mode in enumerate([[MAIN, FAST], [MINI, FAST], [FAST], [MAIN, FAST]]):
                s.wait_windows(mode)  # each switch saves; then a right press ends the program
                s.press_fast_counter(3 if step == 3 else 1)
            self.assertGreaterEqual(s.program.wait(timeout=10), 0, "ended by a signal")
            for name, lines in (("cord", CORD), ("test", TEXTS)):
                self.assertIn(f"Cannot save {s.folder}/{name}",
                              s.read_file("../program.log").decode())
                self.assertEqual(s.read_file(name), harness.crlf(lines))

    def test_without_a_display_or_when_it_goes_away_the_program_ends_by_itself(self):
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("DISPLAY", "WAYLAND", "QT_", "XDG_", "DBUS_"))}
        with tempfile.TemporaryDirectory() as tmp:  # a crash would leave a core file there
            done = subprocess.run(["prlimit", "--core=unlimited", shutil.copy2(
                harness.executable(), tmp)], cwd=tmp, capture_output=True, env=dict(env, HOME=tmp))
            self.assertEqual(done.returncode, 1)
            self.assert_ended_by_itself(1, done.stderr.decode(), tmp)
        with harness.Session(harness.executable(), CORD, TEXTS, "display-gone", False) as s:
            s.start_program(prefix=["prlimit", "--core=unlimited", "--"])
            s.wait_windows([MAIN, FAST])
            os.killpg(s.xvfb.pid, signal.SIGKILL)
            self.assert_ended_by_itself(s.program.wait(timeout=15),
                                        s.read_file("../program.log").decode(), s.folder + "/..")


if __name__ == "__main__":
    harness.main()
