#!/usr/bin/python3
"""The edit menu of a box, the picture buttons and the about face, with real X input.

The menu is a pop-up window that the accessibility bus does not list, so what it shows is
read from the screen: its rows from the top, each a separator or an item drawn dark
(enabled) or grey (disabled), with the underline of its access key.

Run: /usr/bin/python3 test_edit_and_about.py path/to/tavrel-counter
With TAVREL_UPDATE_SCREENSHOTS=1 the pictures of the edit menu, the about face and the two
compact working modes also replace the README's copies in docs/screenshots.
"""

import os
import shutil
import sys
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

px = harness.pixels
TWIPS = harness.TWIPS_PER_PIXEL
RED = (255, 0, 0)
SCREENSHOTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs",
                           "screenshots")

# Picture buttons in the client area, in twips: left, top, width, height. ABOUT and ESCI
# lie in Frame1 (at 120,600), INDIETRO (back1) on the window itself.
ABOUT = (120 + 120, 600 + 4440, 1575, 525)
ESCI = (120 + 2280, 600 + 4440, 1575, 525)
INDIETRO = (1065, 3720, 2100, 525)
BACK2_AT = (px(1080), px(3720))  # the pressed look of INDIETRO, one pixel to the right

# The items of a box's menu, top to bottom, with the index of the access key's letter
# (the character after the ampersand), and where the two separators fall.
ITEMS = (("Annulla", 0), ("Taglia", 0), ("Copia", 0), ("Incolla", 0), ("Elimina", 0),
         ("Seleziona tutto", 4))
SEPARATORS_AFTER = (0, 4)  # after "Annulla" and after "Elimina"

ABOUT_TEXT = ("Programma realizzato da Tavrel. Applicazione pensata per aiutare tutti i "
              "traduttori di rom che contano i caratteri da tradurre e da reinserire negli "
              "editor esadecimali." + " " * 10 +
              "Clicca sull'indirizzo internet per copiarlo negli appunti.")

TEXTS = ["Ciao", "Salve"]
CORD = ["3000", "2400", "9000", "2400", "3000", "9000"]


def middle(place):
    left, top, width, height = place
    return px(left + width / 2), px(top + height / 2)


def area(place):
    return tuple(px(value) for value in place)


def keep(session, name, wins, readme=True):
    """A picture of wins for the artefacts, and for the README when asked to."""
    path = session.screenshot_of(os.path.join(harness.artifacts_dir(), name), wins)
    if readme and os.environ.get("TAVREL_UPDATE_SCREENSHOTS") == "1":
        os.makedirs(SCREENSHOTS, exist_ok=True)
        shutil.copyfile(path, os.path.join(SCREENSHOTS, name))
    return path


def crlf_lines(data):
    return data.decode("utf-8").split("\r\n")[:-1]


def menu_rows(picture, ink_below=215, blank_from=250, dark=80, grey=110):
    """What a drawn menu (light background) shows from the top.

    A list of "separator" and of (enabled, underline) for the items, where underline is the
    distance in pixels from the item's first inked column to the start of its access key's
    underline: a line of at least three pixels of one and the same colour, one pixel high,
    with only background around it (None when the item has no such line, or more).
    """
    inner = range(2, picture.width - 2)

    def darkness(column, row):
        return min(picture.pixel(column, row))

    rows = [[c for c in inner if darkness(c, r) < ink_below] for r in range(picture.height)]
    bands, band, gap = [], [], 0
    for r in range(2, picture.height - 2):
        if rows[r]:
            if band and gap > 2:
                bands.append(band)
                band = []
            band.append(r)
            gap = 0
        elif band:
            gap += 1
    if band:
        bands.append(band)

    def lines(row):
        """Starts of the runs of inked pixels in row that are all of one colour, with only
        background right above, below and at both ends."""
        starts, run = [], []
        for c in list(rows[row]) + [None]:
            if c is not None and run and c == run[-1] + 1:
                run.append(c)
                continue
            if len(run) >= 3 and len({picture.pixel(x, row) for x in run}) == 1 and \
                    darkness(run[0] - 1, row) >= blank_from and \
                    darkness(run[-1] + 1, row) >= blank_from and \
                    all(darkness(x, row - 1) >= blank_from and
                        darkness(x, row + 1) >= blank_from for x in run):
                starts.append(run[0])
            run = [c] if c is not None else []
        return starts

    shown = []
    for band in bands:
        first, last = band[0], band[-1]
        if first == last and len(rows[first]) >= 0.8 * len(inner):
            shown.append("separator")
            continue
        darkest = min(darkness(c, r) for r in band for c in rows[r])
        if dark <= darkest < grey:
            raise LookupError(f"an item drawn neither dark nor grey (darkest {darkest})")
        underlines = [start for r in range(first, last + 1) for start in lines(r)]
        left = min(min(rows[r]) for r in band if rows[r])
        shown.append((darkest < dark, underlines[0] - left if len(underlines) == 1 else None))
    return shown


class EditAndAboutTest(unittest.TestCase):

    def session(self, **files):
        return harness.Session(harness.executable(), name=self.id().rsplit(".", 1)[-1],
                               cord=files.get("cord", CORD), test=files.get("test", ["", ""]))

    def open_menu(self, session, win, x):
        """A right press in Text2, x pixels from its left edge: the menu's window."""
        left, top, _, height = session.control_rect("Text2")
        session.click(win, left + x, top + height // 2, 3)
        popup = session.find_popup()
        pointer = session.pointer_position()
        corner = session.window_geometry(popup)[:2]
        self.assertLessEqual(max(abs(corner[0] - pointer[0]), abs(corner[1] - pointer[1])), 2,
                             f"menu at {corner}, pointer at {pointer}")
        return popup

    def wait_for_menu(self, session, popup, enabled):
        """Polls the drawn menu until it shows the six items with these enabled states."""
        # The underline starts under the access key: at the item's first letter, or (for
        # "Sele&ziona tutto") some letters further in.
        def where(offset):
            if offset is None or 1 < offset < 12:
                return offset
            return "first letter" if offset <= 1 else "further in"

        expected = []
        for index, (enabled_now, (_, key_at)) in enumerate(zip(enabled, ITEMS)):
            expected.append((enabled_now, "first letter" if key_at == 0 else "further in"))
            if index in SEPARATORS_AFTER:
                expected.append("separator")

        def drawn():
            rows = menu_rows(session.grab(popup))
            seen = [row if row == "separator" else (row[0], where(row[1])) for row in rows]
            if seen != expected:
                raise LookupError(f"menu rows {rows}")
            return rows
        return harness.wait_for(drawn, what=f"the menu with enabled items {enabled}")

    def steady_look(self, session, win, place):
        """The colours of a drawn picture button, once two grabs in a row agree."""
        seen = []

        def steady():
            colours = session.grab(win).colours(*area(place))
            seen.append(colours)
            drawn = sum(count for colour, count in colours.items() if colour[0] > 128)
            return colours if len(seen) > 1 and seen[-2] == colours and drawn > 100 else None
        return harness.wait_for(steady, what="a picture button drawn and still")

    def close_menu(self, session):
        session.key("Escape")
        session.wait_no_popup()

    def test_right_press_in_text2_opens_its_menu_at_the_pointer(self):
        # Keys that prepare Text2 (after clicking into it), a text another program copies
        # (None: none), where the press falls in the box, and the items' enabled states:
        # Annulla, Taglia, Copia, Incolla, Elimina, Seleziona tutto. No table mode ever ran,
        # so there is no undo snapshot and "Annulla" stays disabled.
        cases = [
            ("empty box, empty clipboard", [], None, 40, (False,) * 6),
            ("part of the text selected", ["type:Ciao mondo", "End", "shift+ctrl+Left"], None,
             200, (False, True, True, False, True, True)),
            ("whole text selected, text on the clipboard", ["End", "shift+Home"], "XYZ", 120,
             (False, True, True, True, True, False)),
        ]
        with self.session() as session:
            win = session.find_window(harness.MAIN)
            session.wait_for_values({"Text2": "", "car2": "0"})
            session.activate(win)
            session.click_control("Text2")
            for name, keys, copied, x, enabled in cases:
                with self.subTest(case=name):
                    for key in keys:
                        if key.startswith("type:"):
                            session.type_into(win, key[len("type:"):])
                        else:
                            session.key(key)
                    if copied is not None:
                        session.copy_to_clipboard(copied)
                        session.wait_for_values({"cont": str(len(copied))})
                    text = session.box_text("Text2")

                    popup = self.open_menu(session, win, x)
                    try:
                        self.wait_for_menu(session, popup, enabled)
                        readme = name == "part of the text selected"
                        keep(session, "edit-menu.png" if readme else
                             f"edit-menu-{enabled.count(False)}-disabled.png", [win, popup],
                             readme)
                    finally:
                        self.close_menu(session)
                    self.assertEqual(session.box_text("Text2"), text)

    def test_access_keys_run_the_commands_through_the_real_clipboard(self):
        # Keys pressed in Text2 before the menu opens, the access key chosen in the menu,
        # text typed right after, then Text2 and the X clipboard as they must be. The Fast
        # Counter counts what the clipboard holds, whoever wrote it.
        steps = [
            (["End", "shift+ctrl+Left"], "c", "", "Ciao mondo", "mondo"),
            ([], "t", "", "Ciao ", "mondo"),
            # Pasted at the caret; the caret then stands one character after the insertion
            # point, not after the pasted text, so the X lands inside "mondo".
            (["Home"], "i", "X", "mXondoCiao ", "mondo"),
            ([], "z", "", "mXondoCiao ", "mondo"),
            ([], "c", "", "mXondoCiao ", "mXondoCiao "),
            ([], "e", "", "", "mXondoCiao "),
        ]
        with self.session() as session:
            win = session.find_window(harness.MAIN)
            session.wait_for_values({"Text2": "", "cont": "0"})
            session.activate(win)
            session.click_control("Text2")
            session.type_into(win, "Ciao mondo")
            session.wait_for_values({"Text2": "Ciao mondo", "car2": "10"})
            for keys, access_key, typed, text, clipboard in steps:
                with self.subTest(keys=keys, access_key=access_key):
                    if keys:
                        session.key(*keys)
                    self.open_menu(session, win, 60)
                    session.key(access_key)
                    session.wait_no_popup()
                    if typed:
                        session.type_into(win, typed)
                    session.wait_for_values({"Text2": text, "car2": str(len(text)),
                                             "cont": str(len(clipboard))})
                    harness.wait_for(lambda: session.clipboard_text() == clipboard,
                                     what=f"the X clipboard to hold {clipboard!r}")
                    self.assertEqual(session.box_text("Text1"), "")
            self.assertIsNone(session.exit_code)

    def test_about_face_shows_and_goes_back(self):
        with self.session(test=TEXTS) as session:
            win = session.find_window(harness.MAIN)
            session.wait_for_values({"Text1": "Ciao", "Text2": "Salve", "differ": "1"})
            at_rest = self.steady_look(session, win, ABOUT)

            # Held: the pressed look. Released away from the picture: the about face.
            session.press(win, *middle(ABOUT))
            harness.wait_for(lambda: session.grab(win).colours(*area(ABOUT)) != at_rest,
                             what="the pressed look of ABOUT")
            session.release(win, 270, 380)
            harness.wait_for(lambda: not session.is_showing("Text1"),
                             what="the working face to go")
            windows = session.accessible_windows()
            for name in ("Text1", "Text2", "differ", "Check1", "nTBL"):
                self.assertFalse(session.is_showing(name, windows), name)
            about = session.read("Label8", "Label6", "url")
            self.assertEqual(about["Label8"], ABOUT_TEXT)
            self.assertEqual(about["Label6"], "Home page")
            self.assertRegex(about["url"], r"^https://[^\s/]+\.[^\s]+$")
            main = next(w for w in windows if w["title"] == harness.MAIN)
            back2 = [n for n in main["nodes"] if n["showing"] and
                     (n["extents"][0] - main["extents"][0],
                      n["extents"][1] - main["extents"][1]) == BACK2_AT]
            self.assertEqual(back2, [], "INDIETRO shows its pressed look")
            keep(session, "about.png", [win])

            # The about text is wrapped inside its own box: no red ink right of it or below
            # it down to "Home page".
            picture = session.grab(win)
            left, top, width, height = session.control_rect("Label8")
            home_top = session.control_rect("Label6")[1]
            ink = {name: picture.ink(*rect, {"red": RED}).get("red", 0) for name, rect in {
                "inside": (left, top, width, height),
                "right": (left + width, top, picture.width - left - width, height),
                "below": (left, top + height, width, home_top - top - height),
            }.items()}
            self.assertGreater(ink["inside"], 200, ink)
            self.assertEqual((ink["right"], ink["below"]), (0, 0), ink)

            # The address goes to the clipboard exactly as shown, and is counted there.
            session.click_control("url")
            harness.wait_for(lambda: session.clipboard_text() == about["url"],
                             what=f"the X clipboard to hold {about['url']!r}")
            session.wait_for_values({"cont": str(len(about["url"]))})

            session.click(win, *middle(INDIETRO))
            session.wait_for_values({"Text1": "Ciao", "Text2": "Salve", "differ": "1"})
            harness.wait_for(lambda: session.grab(win).colours(*area(ABOUT)) == at_rest,
                             what="ABOUT back at rest")
            self.assertIsNone(session.exit_code)

    def test_esci_saves_both_texts_and_the_place_and_ends(self):
        for button in (1, 3):
            # The texts come in through the file: xdotool types letters outside the
            # keyboard map unreliably.
            with self.subTest(button=button), \
                    self.session(test=["Città", "Perché"]) as session:
                win = session.find_window(harness.MAIN)
                session.wait_for_values({"Text1": "Città", "Text2": "Perché"})
                session.activate(win)
                for box, typed in (("Text1", " mia"), ("Text2", " no?")):
                    session.click_control(box)
                    session.key("End")
                    session.type_into(win, typed)
                session.wait_for_values({"Text1": "Città mia", "Text2": "Perché no?"})
                dropped = (140 + 20 * button, 90)
                session.move(win, *dropped)
                # The Fast Counter moves too, but only the main window's unload runs.
                session.move(session.find_window(harness.FAST), 900, 500)

                session.click(win, *middle(ESCI), button)
                self.assertEqual(session.wait_exit(), 0)
                self.assertEqual(session.read_file("test"),
                                 "Città mia\r\nPerché no?\r\n".encode("utf-8"))
                self.assertEqual(crlf_lines(session.read_file("cord")),
                                 [str(dropped[0] * TWIPS), str(dropped[1] * TWIPS)] + CORD[2:])

    def test_every_working_mode_counts_what_is_on_the_clipboard(self):
        # Each left press on the Fast Counter's margin moves on to the next working mode;
        # the new host's watch loop counts the clipboard again. The README shows the
        # pictures of the two compact modes.
        copied = "Benvenuto, eroe!"
        modes = [
            ("Mini mode", ["Mini Counter [+2]", harness.FAST], "mini-counter.png"),
            ("Fast mode", [harness.FAST], "fast-mode.png"),
            ("main mode", [harness.MAIN, harness.FAST], None),
        ]
        with self.session(test=["Welcome, hero!", copied]) as session:
            session.find_window(harness.MAIN)
            session.copy_to_clipboard(copied)
            session.wait_for_values({"cont": str(len(copied))})
            for mode, titles, picture in modes:
                with self.subTest(mode=mode):
                    session.click(session.find_window(harness.FAST), 3, 3)
                    harness.wait_for(lambda: sorted(session.window_captions()) == sorted(titles),
                                     what=f"the windows {titles}")
                    session.wait_for_values({"cont": str(len(copied))})
                    wins = [session.find_window(title) for title in titles]
                    if mode == "Mini mode":
                        session.wait_for_values({"mini.Text1": "Welcome, hero!",
                                                 "mini.Text2": copied})
                        x, y = session.outer_position(wins[0])
                        left, right, _, _ = session.frame_extents(wins[0])
                        width = session.window_geometry(wins[0])[2] + left + right
                        session.move(wins[1], x + width + 8, y)
                    if picture:
                        keep(session, picture, wins)


if __name__ == "__main__":
    harness.main()
