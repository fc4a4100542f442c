#!/usr/bin/python3
"""The edit menu of a box, the picture buttons and the about face, with real X input.

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
SCREENSHOTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs",
                           "screenshots")
# Picture buttons in the client area, in twips: left, top, width, height. ABOUT and ESCI
# lie in Frame1 (at 120,600), INDIETRO (back1) on the window itself.
ABOUT = (120 + 120, 600 + 4440, 1575, 525)
ESCI = (120 + 2280, 600 + 4440, 1575, 525)
INDIETRO = (1065, 3720, 2100, 525)
BACK2_AT = (px(1080), px(3720))  # the pressed look of INDIETRO, one pixel to the right
ABOUT_TEXT = ("Programma realizzato da Tavrel. Applicazione pensata per aiutare tutti i "
              "traduttori di rom che contano i caratteri da tradurre e da reinserire negli "
              "editor esadecimali." + " " * 10 +
              "Clicca sull'indirizzo internet per copiarlo negli appunti.")
CORD = ["3000", "2400", "9000", "2400", "3000", "9000"]


def area(place):
    return tuple(map(px, place))


def middle(place):
    left, top, width, height = area(place)
    return left + width // 2, top + height // 2


def keep(session, name, wins, readme=True):
    """A picture of wins for the artefacts, and for the README when asked to."""
    path = session.screenshot(os.path.join(harness.artifacts_dir(), name), *wins)
    if readme and os.environ.get("TAVREL_UPDATE_SCREENSHOTS") == "1":
        os.makedirs(SCREENSHOTS, exist_ok=True)
        shutil.copyfile(path, os.path.join(SCREENSHOTS, name))


def menu_rows(picture, ink_below=215, dark=80, grey=110):
    """What a drawn menu shows from the top, read from the screen (the accessibility bus does
    not list pop-ups): "separator" (one row inked across), or for an item (rows of ink less
    than three blank rows apart) whether it is drawn dark (enabled) rather than grey."""
    inner = range(2, picture.width - 2)
    bands, gap = [], 3
    for row in range(2, picture.height - 2):
        inked = [v for v in (min(picture.pixel(c, row)) for c in inner) if v < ink_below]
        if not inked:
            gap += 1
            continue
        if gap > 2:
            bands.append([])
        bands[-1].append(inked)
        gap = 0
    shown = []
    for band in bands:
        if len(band) == 1 and len(band[0]) >= 0.8 * len(inner):
            shown.append("separator")
            continue
        darkest = min(min(inked) for inked in band)
        if dark <= darkest < grey:
            raise LookupError(f"an item drawn neither dark nor grey (darkest {darkest})")
        shown.append(darkest < dark)
    return shown


class EditAndAboutTest(unittest.TestCase):

    def session(self, test=("", "")):
        return harness.Session(harness.executable(), name=self.id().rsplit(".", 1)[-1],
                               cord=CORD, test=list(test))

    def open_menu(self, session, win, x, enabled=None):
        """A right press in Text2, x pixels from its left edge, opens the menu with its
        corner at the pointer; with enabled (Annulla, Taglia, Copia, Incolla, Elimina,
        Seleziona tutto), waits until its items are drawn so."""
        left, top, _, height = session.control_rect("Text2")
        session.click(win, left + x, top + height // 2, 3)
        [popup] = session.wait_popups(1)
        pointer = [a + b for a, b in zip(session.window_geometry(win), (left + x,
                                                                       top + height // 2))]
        corner = session.window_geometry(popup)[:2]
        self.assertLessEqual(max(abs(corner[0] - pointer[0]), abs(corner[1] - pointer[1])), 2,
                             f"menu at {corner}, pointer at {pointer}")
        if enabled is not None:
            expected = [enabled[0], "separator", *enabled[1:5], "separator", enabled[5]]
            harness.wait_for(lambda: menu_rows(session.grab(popup)) == expected,
                             what=f"the menu drawn as {expected}")
        return popup

    def test_menu_of_text2_opens_at_the_pointer_and_runs_commands_on_the_real_clipboard(self):
        # Keys that prepare Text2, a text another program copies (None: none), where the
        # press falls in the box, and the items' enabled states. No table mode ever ran, so
        # there is no undo snapshot and "Annulla" stays disabled.
        menus = [
            ("empty box, empty clipboard", [], None, 40, (False,) * 6),
            ("part of the text selected", ["type:Ciao mondo", "End", "shift+ctrl+Left"], None,
             200, (False, True, True, False, True, True)),
            ("whole text selected, text on the clipboard", ["End", "shift+Home"], "XYZ", 120,
             (False, True, True, True, True, False)),
        ]
        # Keys pressed in Text2 before the menu opens, the access key chosen in it, text
        # typed right after, then Text2 and the X clipboard as they must be.
        commands = [
            (["End", "shift+ctrl+Left"], "c", "", "Ciao mondo", "mondo"),
            ([], "t", "", "Ciao ", "mondo"),
            # The caret stands one character after the insertion point, not after the pasted
            # text, so the X lands inside "mondo".
            (["Home"], "i", "X", "mXondoCiao ", "mondo"),
            ([], "z", "", "mXondoCiao ", "mondo"),
            ([], "c", "", "mXondoCiao ", "mXondoCiao "),
            ([], "e", "", "", "mXondoCiao "),
        ]
        with self.session() as session:
            win = session.find_window(harness.MAIN)
            session.wait_for_values({"Text2": "", "car2": "0", "cont": "0"})
            session.activate(win)
            session.click_control("Text2")
            for name, keys, copied, x, enabled in menus:
                with self.subTest(menu=name):
                    for key in keys:
                        if key.startswith("type:"):
                            session.type_into(win, key[len("type:"):])
                        else:
                            session.key(key)
                    if copied is not None:
                        session.copy_to_clipboard(copied)
                        session.wait_for_values({"cont": str(len(copied))})
                    text = session.read("Text2")["Text2"]
                    popup = self.open_menu(session, win, x, enabled)
                    readme = name == "part of the text selected"
                    keep(session, "edit-menu.png" if readme else
                         f"edit-menu-{enabled.count(False)}-disabled.png", [win, popup], readme)
                    session.key("Escape")
                    session.wait_popups(0)
                    self.assertEqual(session.read("Text2")["Text2"], text)

            for keys, access_key, typed, text, clipboard in commands:
                with self.subTest(keys=keys, access_key=access_key):
                    if keys:
                        session.key(*keys)
                    self.open_menu(session, win, 60)
                    session.key(access_key)
                    session.wait_popups(0)
                    if typed:
                        session.type_into(win, typed)
                    # The Fast Counter counts what the clipboard holds, whoever wrote it.
                    session.wait_for_values({"Text2": text, "car2": str(len(text)),
                                             "cont": str(len(clipboard)), "Text1": ""})
                    harness.wait_for(lambda: session.clipboard_text() == clipboard,
                                     what=f"the X clipboard to hold {clipboard!r}")
            self.assertIsNone(session.exit_code)

    def test_about_face_shows_and_goes_back(self):
        with self.session(test=["Ciao", "Salve"]) as session:
            win = session.find_window(harness.MAIN)
            working = {"Text1": "Ciao", "Text2": "Salve", "differ": "1"}
            session.wait_for_values(working)
            seen = [None]

            def steady():  # the colours of ABOUT, once drawn and two grabs in a row agree
                seen.append(session.grab(win).colours(*area(ABOUT)))
                drawn = sum(count for colour, count in seen[-1].items() if colour[0] > 128)
                return seen[-2] == seen[-1] and drawn > 100 and seen[-1]
            at_rest = harness.wait_for(steady, what="ABOUT drawn and still")

            # Held: the pressed look. Released away from the picture: the about face.
            session.click(win, *middle(ABOUT), action="mousedown")
            harness.wait_for(lambda: session.grab(win).colours(*area(ABOUT)) != at_rest,
                             what="the pressed look of ABOUT")
            session.click(win, 270, 380, action="mouseup")
            harness.wait_for(lambda: not session.is_showing("Text1"),
                             what="the working face to go")
            windows = session.accessible_windows()
            for name in ("Text2", "differ", "Check1", "nTBL"):
                self.assertFalse(session.is_showing(name, windows), name)
            about = session.read("Label8", "Label6", "url")
            self.assertEqual(about["Label8"], ABOUT_TEXT)
            self.assertEqual(about["Label6"], "Home page")
            self.assertRegex(about["url"], r"^https://[^\s/]+\.[^\s]+$")
            [((wx, wy, _, _), nodes)] = [(w["extents"], w["nodes"]) for w in windows
                                         if w["title"] == harness.MAIN]
            self.assertFalse([n for n in nodes if n["showing"] and (
                n["extents"][0] - wx, n["extents"][1] - wy) == BACK2_AT], "INDIETRO pressed")
            keep(session, "about.png", [win])

            # The about text is wrapped inside its box: no red ink right of it or below it
            # down to "Home page".
            picture = session.grab(win)
            left, top, width, height = session.control_rect("Label8")
            home_top = session.control_rect("Label6")[1]
            ink = [picture.ink(*rect, {"red": (255, 0, 0)}).get("red", 0) for rect in (
                (left, top, width, height),
                (left + width, top, picture.width - left - width, height),
                (left, top + height, width, home_top - top - height))]
            self.assertGreater(ink[0], 200, ink)
            self.assertEqual(ink[1:], [0, 0], ink)

            # The address goes to the clipboard exactly as shown, and is counted there.
            session.click_control("url")
            harness.wait_for(lambda: session.clipboard_text() == about["url"],
                             what=f"the X clipboard to hold {about['url']!r}")
            session.wait_for_values({"cont": str(len(about["url"]))})

            session.click(win, *middle(INDIETRO))
            session.wait_for_values(working)
            harness.wait_for(lambda: session.grab(win).colours(*area(ABOUT)) == at_rest,
                             what="ABOUT back at rest")
            self.assertIsNone(session.exit_code)

    def test_esci_saves_both_texts_and_the_place_and_ends(self):
        for button in (1, 3):
            # The texts come in through the file: xdotool types letters outside the
            # keyboard map unreliably.
            with self.subTest(button=button), self.session(["Città", "Perché"]) as session:
                win = session.find_window(harness.MAIN)
                session.wait_for_values({"Text1": "Città", "Text2": "Perché"})
                for box, typed in (("Text1", " mia"), ("Text2", " no?")):
                    session.edit_box(win, box, "type", typed)
                session.wait_for_values({"Text1": "Città mia", "Text2": "Perché no?"})
                dropped = (140 + 20 * button, 90)
                session.move(win, *dropped)
                # The Fast Counter moves too, but only the main window's unload runs.
                session.move(session.find_window(harness.FAST), 900, 500)

                session.click(win, *middle(ESCI), button)
                self.assertEqual(session.wait_exit(), 0)
                self.assertEqual(session.read_file("test"),
                                 "Città mia\r\nPerché no?\r\n".encode("utf-8"))
                self.assertEqual(session.read_file("cord").decode().split("\r\n")[:-1],
                                 [str(v * harness.TWIPS_PER_PIXEL) for v in dropped] + CORD[2:])

    def test_every_working_mode_counts_what_is_on_the_clipboard(self):
        # Each left press on the Fast Counter's margin moves on to the next working mode,
        # whose watch counts the clipboard again. The README shows the compact modes.
        copied = "Benvenuto, eroe!"
        with self.session(["Welcome, hero!", copied]) as session:
            session.find_window(harness.MAIN)
            session.copy_to_clipboard(copied)
            session.wait_for_values({"cont": str(len(copied))})
            for titles, picture in ((["Mini Counter [+2]", harness.FAST], "mini-counter.png"),
                                    ([harness.FAST], "fast-mode.png"),
                                    ([harness.MAIN, harness.FAST], None)):
                session.click(session.find_window(harness.FAST), 3, 3)
                session.wait_for_windows(titles)
                session.wait_for_values({"cont": str(len(copied))})
                wins = [session.find_window(title) for title in titles]
                if picture == "mini-counter.png":  # the Fast Counter beside the Mini Counter
                    session.wait_for_values({"mini.Text1": "Welcome, hero!", "mini.Text2": copied})
                    x, y, width, _ = session.window_rect(wins[0])
                    session.move(wins[1], x + width + 8, y)
                if picture:
                    keep(session, picture, wins)


if __name__ == "__main__":
    harness.main()
