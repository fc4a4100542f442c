"""Among other programs: their copies over X, stacking, placement and the right-press exit."""

import re, subprocess, unittest
from pathlib import Path

import harness
from harness import FAST, MAIN, MINI, wait_for

PLACES = {MAIN: (200, 160), FAST: (600, 100), MINI: (300, 600)}  # frame corners, as in "cord"
MOVED = {MAIN: (150, 100), FAST: (700, 300), MINI: (420, 520)}
CORD = harness.cord(*PLACES[MAIN], *PLACES[FAST], *PLACES[MINI])
TEXTS = ["Ciao", "Salve!"]


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

    def session(self):
        return harness.Session(harness.executable(), CORD, TEXTS, self.id().split(".")[-1])

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
            wait_for(lambda: session.box_texts(MAIN), what="the boxes",
                     expected=["Ciao perso", "Salve!"])
            move(session, session.find_window(FAST), 900, 700)
            session.press_fast_counter(3)
            self.assertEqual(session.program.wait(timeout=10), 0)
            self.assertEqual(session.read_file("cord"),
                             harness.crlf(CORD[:2] + harness.cord(900, 700) + CORD[4:]))
            self.assertEqual(session.read_file("test"), harness.crlf(TEXTS))


if __name__ == "__main__":
    harness.main()
