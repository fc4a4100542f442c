"""Among other programs: their copies over X, stacking, placement and the right-press exit; the
real open-file dialog; boxes, picture buttons and the lock as the accessibility bus shows them;
killed saves, an unwritable folder, no display or a lost one: no damage and no crash."""

import os, re, shutil, signal, subprocess, sys, tempfile, unittest
from pathlib import Path

import harness
from harness import FAST, MAIN, MINI, wait_for

PLACES = {MAIN: (200, 160), FAST: (600, 100), MINI: (300, 600)}  # frame corners, as in "cord"
MOVED = {MAIN: (150, 100), FAST: (700, 300), MINI: (420, 520)}
CORD = harness.cord(*PLACES[MAIN], *PLACES[FAST], *PLACES[MINI])
TEXTS, TYPED = ["Ciao", "Salve!"], ["Ciao mondo", "Salve!"]
ZEROED = ["00" + line for line in CORD]  # a window's own save writes plain numbers


def counts(session):  # the Fast Counter's numeric captions
    return [n["name"] for n in session.nodes(FAST) if n["role"] == "label" and n["name"].isdigit()]


def outer_position(session, win):  # xdotool's geometry would count the frame twice
    x, y = map(int, re.findall(r"Absolute upper-left .:\s*(-?\d+)",
                               session.x(["xwininfo", "-id", str(win)])))
    frame = re.findall(r"\d+", session.prop(win, "_NET_FRAME_EXTENTS").partition("=")[2])
    return x - int(frame[0]), y - int(frame[2])


def move(session, win, x, y):
    session.x(["xdotool", "windowmove", str(win), str(x), str(y)])
    wait_for(lambda: outer_position(session, win), what=f"{win}'s place", expected=(x, y))


class DesktopTest(unittest.TestCase):

    def session(self, cord=CORD, test=TEXTS, start=True, name=""):
        return harness.Session(PROGRAM, cord, test, self.id().split(".")[-1] + name, start)

    def test_copies_of_another_program_are_counted(self):
        png = subprocess.run(["convert", "-size", "16x16", "xc:#3366cc", "png:-"], check=True,
                             capture_output=True).stdout
        # Over 1 MiB xclip sends INCR pieces of 1 MiB - 1 bytes: the 7-byte pattern splits
        # characters between them. Each copy changes the count the one before left.
        copies = [("Sì, grazie!".encode(), [], "11"), (png, ["-t", "image/png"], "0"),
                  ("è€ab".encode() * 300_000, [], "1200000"), (b"Ciao", [], "4")]
        with self.session() as session:
            wait_for(lambda: counts(session), what="the count", expected=["0"])
            for data, target, count in copies:
                with self.subTest(count=count):
                    (copied := Path(session.folder, "..", count)).write_bytes(data)
                    session.spawn(["xclip", "-quiet", "-selection", "clipboard", *target, copied])
                    wait_for(lambda: counts(session), 60, "the count", expected=[count])
            self.assertIsNone(session.program.poll(), "the program ended")

    def test_windows_stay_above_and_come_back_where_they_were_left_after_the_cycle(self):
        # Left presses from main mode: where each window must be, and the ones then moved.
        steps = [({MAIN: PLACES[MAIN], FAST: PLACES[FAST]}, [MAIN, FAST]),
                 ({MINI: PLACES[MINI], FAST: MOVED[FAST]}, [MINI]), ({FAST: MOVED[FAST]}, []),
                 ({MAIN: MOVED[MAIN], FAST: MOVED[FAST]}, []),
                 ({MINI: MOVED[MINI], FAST: MOVED[FAST]}, [])]
        with self.session() as session:
            for step, (places, moved) in enumerate(steps):
                if step:
                    session.press_fast_counter()
                windows = session.wait_windows(list(places))  # staying on top: see the end
                for caption, win in windows.items():
                    with self.subTest(step=step, window=caption):
                        self.assertEqual(outer_position(session, win), places[caption])
                for caption in moved:
                    move(session, windows[caption], *MOVED[caption])
            session.spawn(["xmessage", "-title", "Another", "-geometry", "+450+300", "other"])
            other = session.find_window("Another")
            session.x(["xdotool", "windowactivate", "--sync", str(other)])
            wait_for(lambda: set(windows.values()) <= set((order := list(session.stacking()))[
                order.index(other) + 1:]), what="ours above the active one")

    def test_right_press_saves_the_fast_counters_place_and_not_the_texts(self):
        with self.session() as session:
            session.type_into_box(MAIN, 0, " perso")
            session.wait_texts(MAIN, ["Ciao perso", "Salve!"])
            move(session, session.find_window(FAST), 900, 700)
            session.press_fast_counter(3)
            self.assertEqual(session.program.wait(timeout=10), 0)
            self.assertEqual(session.read_file("cord"),
                             harness.crlf(CORD[:2] + harness.cord(900, 700) + CORD[4:]))
            self.assertEqual(session.read_file("test"), harness.crlf(TEXTS))

    def test_a_path_typed_into_the_dialog_loads_the_table(self):
        tables = tempfile.mkdtemp(prefix="giochi è ")  # apart, a blank and an accent in it
        self.addCleanup(shutil.rmtree, tables)
        table = f"{tables}/gioco.tbl"
        Path(table).write_bytes(harness.crlf(["e8=è", "41=A", "5b=aB", "62=b"]))  # "aB": no a, B
        with self.session(None, None, False) as s:
            # xdotool types a letter the keyboard map lacks through a key it binds for the
            # moment, which the program may read with the old map: Italian keys hold "è".
            s.x(["setxkbmap", "-layout", "it"])
            s.start_program()
            s.click(s.find_window(MAIN), 142, 300)  # CARICA TABLE
            name_field = lambda: [n for n in s.boxes(None)  # noqa: E731
                                  if n["window"] != MAIN and "focused" in n["states"]][0]
            wait_for(name_field, what="the open-file dialog's focused name field")
            s.x(["xdotool", "type", "--delay", "20", "--", table])
            wait_for(lambda: name_field()["text"], what="the name", expected=table)
            s.x(["xdotool", "key", "Return"])
            for dump in ("tdf.txt", "tbl.txt"):
                wait_for(lambda: os.path.exists(os.path.join(tables, dump)), what=dump)
                self.assertFalse(os.path.exists(os.path.join(s.folder, dump)))
            self.assertTrue(any(n["role"] == "check box" and "checked" in n["states"]
                                for n in s.nodes(MAIN)), "table mode is off")
            s.type_into_box(MAIN, 1, "AaBbè x")
            s.wait_texts(MAIN, ["", "Abè "])

    def test_boxes_buttons_and_the_lock_on_the_accessibility_bus(self):  # names: design snapshot
        with self.session(None, ["Ciao", ""]) as s:
            s.wait_windows([MAIN, FAST])
            buttons = {n["name"]: n for n in s.nodes(MAIN) if n["role"] == "push button"}
            self.assertEqual([b["actions"] for b in buttons.values()], [["Press"]] * 4)
            s.act(s.boxes(MAIN)[1], text="Salve")
            s.wait_texts(MAIN, ["Ciao", "Salve"])  # text set from outside
            self.assertIn("editable", s.boxes(MAIN)[0]["states"])
            # Table mode from the keyboard: the check box acts when the focus leaves it.
            s.x(["xdotool", "windowactivate", "--sync", str(s.find_window(MAIN))])
            s.x(["xdotool", "key", "Tab", "space", "Tab"])
            wait_for(lambda: "editable" not in s.boxes(MAIN)[0]["states"], what="the lock")
            for box in s.boxes(MAIN):
                self.assertIn("read-only", box["states"])
                s.act(box, text="intruso")
            self.assertEqual([n["text"] for n in s.boxes(MAIN)], ["Ciao", "Salve"])
            s.act(buttons["ABOUT"], "Press")  # the about face covers the boxes
            wait_for(lambda: all("showing" not in n["states"] for n in s.boxes(MAIN)),
                     what="the about face")

    def assert_ended_by_itself(self, code, stderr, folder):
        self.assertGreater(code, 0, f"exit status {code}")
        self.assertRegex(stderr, r"(?i)display|X11|xcb")
        self.assertNotRegex(stderr, r"(?i)segmentation|abort|core dumped|terminate called")
        self.assertFalse([name for name in os.listdir(folder) if name.startswith("core")])

    def test_a_save_killed_before_its_rename_leaves_the_previous_file(self):
        # The switch to Mini mode saves cord, and the texts as changed.
        for held, kept, saving in (("cord", ZEROED, None), ("test", TEXTS, TYPED)):
            with self.subTest(held), self.session(ZEROED, start=False, name=held) as s:
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
        with self.session(ZEROED, start=False) as s:
            s.start_program(nobody=True)  # who cannot reach root's accessibility bus: captions tell
            for step, mode in enumerate([[MAIN, FAST], [MINI, FAST], [FAST], [MAIN, FAST]]):
                s.wait_windows(mode)  # each switch saves; then a right press ends the program
                s.press_fast_counter(3 if step == 3 else 1)
            self.assertGreaterEqual(s.program.wait(timeout=10), 0, "ended by a signal")
            for name, lines in (("cord", ZEROED), ("test", TEXTS)):
                self.assertIn(f"Cannot save {s.folder}/{name}",
                              s.read_file("../program.log").decode())
                self.assertEqual(s.read_file(name), harness.crlf(lines))

    def test_without_a_display_or_when_it_goes_away_the_program_ends_by_itself(self):
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("DISPLAY", "WAYLAND", "QT_", "XDG_", "DBUS_"))}
        with tempfile.TemporaryDirectory() as tmp:  # a crash would leave a core file there
            done = subprocess.run(["prlimit", "--core=unlimited", shutil.copy2(PROGRAM, tmp)],
                                  cwd=tmp, capture_output=True, env=dict(env, HOME=tmp))
            self.assertEqual(done.returncode, 1)
            self.assert_ended_by_itself(1, done.stderr.decode(), tmp)
        with self.session(start=False) as s:
            s.start_program(prefix=["prlimit", "--core=unlimited", "--"])
            s.wait_windows([MAIN, FAST])
            os.killpg(s.xvfb.pid, signal.SIGKILL)
            self.assert_ended_by_itself(s.program.wait(timeout=15),
                                        s.read_file("../program.log").decode(), s.folder + "/..")


if __name__ == "__main__":  # test_desktop.py path/to/tavrel-counter [unittest arguments]
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
