#!/usr/bin/python3
"""Without a display, or when the display goes away under it, the program says so on stderr
and ends with a non-zero exit status: never by a signal, never with a core dump.

Run: /usr/bin/python3 test_display.py path/to/tavrel-counter
"""

import glob
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

TWIPS = harness.TWIPS_PER_PIXEL
CORD = [str(100 * TWIPS), str(100 * TWIPS), str(700 * TWIPS), str(100 * TWIPS),
        str(300 * TWIPS), str(600 * TWIPS)]
MARGIN = (3, 3)  # on the Fast Counter, outside its three captions


def unused_display():
    """A display number no X server on this machine has taken (other tests run their own)."""
    for number in range(1000, 2000):
        if not any(os.path.exists(path) for path in (f"/tmp/.X11-unix/X{number}",
                                                     f"/tmp/.X{number}-lock")):
            return f":{number}"
    raise harness.HarnessError("no free display number between 1000 and 1999")


def allow_core_dumps():
    """In the child: a crash would leave a core file, so that its absence means something."""
    resource.setrlimit(resource.RLIMIT_CORE, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))


class DisplayTest(unittest.TestCase):

    def assert_ended_by_status(self, code, stderr, folder):
        self.assertGreater(code, 0, f"ended by signal {-code}" if code < 0 else "exit status 0")
        self.assertRegex(stderr, r"(?i)display|X11", "no message about the display")
        self.assertEqual(glob.glob(os.path.join(folder, "core*")), [])

    def test_no_display_is_reported_and_ends_the_program(self):
        # environment changes (None: unset), what the message must say
        cases = [
            ("DISPLAY unset", {"DISPLAY": None}, r"DISPLAY is not set"),
            ("DISPLAY empty", {"DISPLAY": ""}, r"DISPLAY is not set"),
            ("xcb asked for, DISPLAY unset", {"DISPLAY": None, "QT_QPA_PLATFORM": "xcb"},
             r"DISPLAY is not set"),
            ("no server on the display", {"DISPLAY": unused_display()},
             r"cannot open display :\d+"),
            ("malformed DISPLAY", {"DISPLAY": "not a display"},
             r"cannot open display not a display"),
        ]
        base = {key: value for key, value in os.environ.items()
                if not key.startswith(("DISPLAY", "WAYLAND", "QT_", "XDG_", "DBUS_"))}
        for name, changes, message in cases:
            with self.subTest(name), tempfile.TemporaryDirectory(prefix="tavrel-nodisp-") as tmp:
                program = shutil.copy2(harness.executable(), tmp)
                env = dict(base, HOME=tmp, LANG="C.UTF-8")
                env.update({key: value for key, value in changes.items() if value is not None})
                done = subprocess.run([program], env=env, cwd=tmp, capture_output=True,
                                      timeout=30, stdin=subprocess.DEVNULL,
                                      preexec_fn=allow_core_dumps)
                stderr = done.stderr.decode("utf-8", "replace")
                self.assert_ended_by_status(done.returncode, stderr, tmp)
                self.assertRegex(stderr, message)
                # It ended before opening any window, so it saved nothing either.
                self.assertEqual(sorted(os.listdir(tmp)), ["tavrel-counter"])

    def test_display_going_away_ends_the_program(self):
        # how the X server ends, left presses on the Fast Counter before (the working mode),
        # the windows on the screen then
        cases = [
            (signal.SIGKILL, 0, [harness.MAIN, harness.FAST]),
            (signal.SIGTERM, 1, ["Mini Counter [+2]", harness.FAST]),
            (signal.SIGKILL, 2, [harness.FAST]),
        ]
        for sig, presses, windows in cases:
            with self.subTest(signal=sig.name, presses=presses), \
                    harness.Session(harness.executable(), cord=CORD, test=["Ciao", "Salve!"],
                                    name=f"display-gone-{sig.name}-{presses}",
                                    start_program=False) as session:
                # The program runs in the session's temporary folder, where a core would go.
                session.start_program(prefix=["prlimit", "--core=unlimited", "--"])
                session.find_window(harness.FAST)
                for _ in range(presses):
                    session.click(session.find_window(harness.FAST), *MARGIN)
                session.wait_for_windows(windows)
                session.wait_for_values({"cont": "0"})

                session.stop_display(sig)
                code = session.wait_exit(timeout=15)
                self.assert_ended_by_status(code, session.stderr(),
                                            os.path.dirname(session.folder))

if __name__ == "__main__":
    harness.main()
