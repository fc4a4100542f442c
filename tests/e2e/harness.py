#!/usr/bin/python3
"""End-to-end harness: the built program in a private X server, read back from outside.

A Session copies the executable into a temporary program folder and starts, each in its own
process group, Xvfb, openbox, a private D-Bus session bus with the accessibility bus behind
it, and the program; all are killed at the end, and a failing session leaves a screenshot and
the logs in the artefacts folder. Captions and box texts are read through the accessibility
bus. Qt 6.4 names no control there, so CONTROLS gives each control's window and top-left
corner. pyatspi binds to one bus per process, hence one agent process per session (this file
run with --atspi-agent) answering one JSON line per request.
"""

import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from collections import Counter
from contextlib import suppress

DEBIAN_PYTHON = "/usr/bin/python3"
TWIPS_PER_PIXEL = 15
REQUIRED_TOOLS = ("Xvfb", "openbox", "dbus-daemon", "dbus-send", "xdotool", "xprop",
                  "xwininfo", "xmessage", "xclip", "import", "convert")

MAIN = "Tavrel Counter"
FAST = "Fast Counter"
MINI = "Mini Counter"

# name: (window caption, accessible role, left, top) in twips inside the client area, the
# frames' offsets added up (Frame1 at 120,600; Frame3 at 120,120, Frame4 at 120,1320,
# Frame2 at 840,2520 and Frame5 at 120,3128 inside it). Label8, Label6 and url lie on the
# about face, directly on the window and underneath Frame1: the accessibility bus reports
# them as showing on both faces.
CONTROLS = {
    "car1": (MAIN, "label", 3240, 960), "Text1": (MAIN, "text", 360, 1200),
    "par1": (MAIN, "label", 960, 1560), "spa1": (MAIN, "label", 2160, 1560),
    "fra1": (MAIN, "label", 3240, 1560), "car2": (MAIN, "label", 3240, 2160),
    "Text2": (MAIN, "text", 360, 2400), "par2": (MAIN, "label", 960, 2760),
    "spa2": (MAIN, "label", 2160, 2760), "fra2": (MAIN, "label", 3240, 2760),
    "labpiù": (MAIN, "label", 2040, 3360), "differ": (MAIN, "label", 2160, 3360),
    "Check1": (MAIN, "check box", 360, 3968), "nTBL": (MAIN, "label", 2280, 3968),
    "Label8": (MAIN, "label", 1800, 1080), "Label6": (MAIN, "label", 2520, 3000),
    "url": (MAIN, "label", 1920, 3240), "cont": (FAST, "label", 120, 360),
    "mini.Text1": (MINI, "text", 840, 120), "mini.Text2": (MINI, "text", 840, 480),
}


def title_matches(title, wanted):
    """The Mini Counter's caption carries the difference: "Mini Counter [+2]"."""
    return title == wanted or title.startswith(wanted + " [")


class HarnessError(AssertionError):
    """A broken test environment counts as a failure, never as a skip."""


def pixels(twips):
    return round(twips / TWIPS_PER_PIXEL)


def artifacts_dir():
    path = os.environ.get("TAVREL_E2E_ARTIFACTS") or os.path.join(tempfile.gettempdir(),
                                                                  "tavrel-e2e-artifacts")
    os.makedirs(path, exist_ok=True)
    return path


def executable():
    path = os.environ.get("TAVREL_EXECUTABLE")
    if not path or not os.access(path, os.X_OK):
        raise HarnessError(f"no executable program given (TAVREL_EXECUTABLE={path!r})")
    return path


def wait_for(predicate, timeout=10, what="the expected state", interval=0.05):
    """Polls predicate until it returns a true value, which is returned. LookupError and
    HarnessError count as "not yet"; the last value or error seen goes into the failure."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            last = predicate()
            if last:
                return last
        except (LookupError, HarnessError) as error:
            last = error
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}; "
                                 f"last seen: {last!r}")
        time.sleep(interval)


def _read_line(fd, timeout, what):
    """One line from a pipe whose writer sends nothing more until it is asked again."""
    deadline = time.monotonic() + timeout
    data = b""
    while not data.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            raise HarnessError(f"{what} gave no answer within {timeout} s")
        chunk = os.read(fd, 65536)
        if not chunk:
            raise HarnessError(f"{what} closed its output")
        data += chunk
    return data.decode("utf-8", "replace")


def _kill_group(proc, grace=2.0):
    """Ends a process started with its own session, and everything left in its group."""
    for sig in (signal.SIGTERM, signal.SIGKILL) if proc is not None else ():
        with suppress(ProcessLookupError, PermissionError):
            os.killpg(proc.pid, sig)
        with suppress(subprocess.TimeoutExpired):
            proc.wait(timeout=grace)


def _window_ids(xprop_output):
    if "#" not in xprop_output:
        return []
    return [int(w, 16) for w in re.findall(r"0x[0-9a-fA-F]+", xprop_output.split("#", 1)[1])]


class Session:
    """The program in its own X server, D-Bus session and temporary program folder; cord
    and test, put beside it first, are lines (written with CR LF), str, bytes or None."""

    def __init__(self, executable, cord=None, test=None, name="session", start_program=True):
        self._executable = executable
        self._files = {"cord": cord, "test": test}
        self.name = name
        self._start_program_at_enter = start_program
        self._tmp = self.folder = self.env = self.display = self._program_log = None
        self._xvfb = self._openbox = self._dbus = self._agent = self._program = None
        self._helpers = []
        self._logs = []

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.__exit__(True, None, None)
            raise
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None:
            self._save_failure_artifacts()
        for proc in [self._program, *reversed(self._helpers)]:
            _kill_group(proc)
        for proc in (self._agent, self._openbox, self._dbus, self._xvfb):
            _kill_group(proc)
            for pipe in (proc.stdin, proc.stdout) if proc is not None else ():
                with suppress(OSError, AttributeError):
                    pipe.close()
        if self._tmp:
            shutil.rmtree(self._tmp, ignore_errors=True)
        self._tmp = None

    def _start(self):
        missing = [tool for tool in (*REQUIRED_TOOLS, DEBIAN_PYTHON) if not shutil.which(tool)]
        if missing:
            raise HarnessError("missing tools for the end-to-end tests: " + ", ".join(missing))
        self._tmp = tempfile.mkdtemp(prefix="tavrel-e2e-")
        runtime, home, self.folder = (os.path.join(self._tmp, name)
                                      for name in ("runtime", "home", "program"))
        for folder, mode in ((runtime, 0o700), (home, 0o700), (self.folder, 0o755)):
            os.mkdir(folder, mode)
        self._program_log = os.path.join(self._tmp, "program-stderr.txt")
        self._logs.append(self._program_log)
        self.program_path = os.path.join(self.folder, os.path.basename(self._executable))
        shutil.copy2(self._executable, self.program_path)
        for file_name, content in self._files.items():
            if isinstance(content, (list, tuple)):
                content = "".join(f"{line}\r\n" for line in content)
            if content is not None:
                with open(os.path.join(self.folder, file_name), "wb") as f:
                    f.write(content.encode("utf-8") if isinstance(content, str) else content)

        # A private runtime folder keeps the accessibility bus socket of this session apart
        # from any other desktop or test on the machine.
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("DBUS_", "AT_SPI", "WAYLAND", "QT_", "XDG_"))}
        self.env.update(HOME=home, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8")

        read_end, write_end = os.pipe()
        self._xvfb = self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                  "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                                 "xvfb.log", pass_fds=(write_end,))
        os.close(write_end)
        try:
            self.display = ":" + _read_line(read_end, 15, "Xvfb's display number").strip()
        finally:
            os.close(read_end)
        self.env["DISPLAY"] = self.display

        self._openbox = self._spawn(["openbox", "--sm-disable"], "openbox.log")
        wait_for(lambda: "window id # 0x" in self.prop("-root", "_NET_SUPPORTING_WM_CHECK"),
                 timeout=15, what="openbox to manage the display")

        self._dbus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                 "dbus.log", stdout=subprocess.PIPE)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = _read_line(self._dbus.stdout.fileno(), 15,
                                                          "dbus-daemon").strip()
        # Activates at-spi-bus-launcher (it stays in the bus's process group).
        self._x(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"], timeout=20)
        self._start_agent()
        if self._start_program_at_enter:
            self.start_program()

    def _spawn(self, argv, log_name, stdout=None, stdin=subprocess.DEVNULL, **kwargs):
        path = os.path.join(self._tmp, log_name)
        self._logs.append(path)
        with open(path, "wb") as log:
            return subprocess.Popen(argv, env=self.env, stdout=stdout or log, stderr=log,
                                    stdin=stdin, start_new_session=True, **kwargs)

    def _start_agent(self):
        self._agent = self._spawn([DEBIAN_PYTHON, "-B", os.path.abspath(__file__),
                                   "--atspi-agent"], "atspi-agent.log",
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        if self._ask({"op": "ping"}) != "pong":
            raise HarnessError("the accessibility agent did not answer")

    def start_program(self, args=(), env=None, prefix=()):
        """Starts (or starts again, after it ended) the program from its folder; env adds
        variables, prefix is a command to run it through (one that changes the user)."""
        if self._program is not None and self._program.poll() is None:
            raise HarnessError("the program is already running")
        env = {**self.env, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb",
               **(env or {})}
        with open(self._program_log, "ab") as log:
            self._program = subprocess.Popen([*prefix, self.program_path, *args], env=env,
                                             cwd=self._tmp, stdin=subprocess.DEVNULL,
                                             stdout=log, stderr=log, start_new_session=True)
        return self._program.pid

    @property
    def pid(self):
        return self._program.pid if self._program else None

    @property
    def exit_code(self):
        """None while the program runs."""
        return self._program.poll() if self._program else None

    def wait_exit(self, timeout=10):
        try:
            return self._program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program was still running after {timeout} s") from None

    def kill_program(self, sig=signal.SIGKILL, timeout=10):
        """Signals the program's process group; its exit status (negative: the signal)."""
        with suppress(ProcessLookupError):
            os.killpg(self._program.pid, sig)
        return self.wait_exit(timeout)

    def stop_display(self, sig=signal.SIGKILL):
        """Ends the X server under the running program; returns when it is gone."""
        os.killpg(self._xvfb.pid, sig)
        self._xvfb.wait(timeout=10)

    def stderr(self):
        """Everything the program wrote to its standard error (and output) so far."""
        if not os.path.exists(self._program_log):
            return ""
        with open(self._program_log, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def read_file(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()

    def _save_failure_artifacts(self):
        if not self._tmp:
            return
        target = os.path.join(artifacts_dir(), f"{self.name}-failure")
        os.makedirs(target, exist_ok=True)
        if self.display and self._xvfb and self._xvfb.poll() is None:
            try:
                self.screenshot(os.path.join(target, "screen.png"))
            except Exception as error:  # the logs still matter more than the picture
                print(f"no failure screenshot: {error}", file=sys.stderr)
        for path in filter(os.path.exists, self._logs):
            shutil.copy(path, target)
        print(f"e2e: artefacts of the failed session in {target}", file=sys.stderr)

    # ---- X -------------------------------------------------------------------------

    def _x(self, argv, check=True, timeout=10, raw=False):
        """Runs a client of this session's display and returns its standard output."""
        try:
            done = subprocess.run(argv, env=self.env, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{argv[0]} did not finish within {timeout} s") from None
        if check and done.returncode != 0:
            raise HarnessError(f"{' '.join(argv)} failed ({done.returncode}): "
                               f"{done.stderr.decode(errors='replace').strip()}")
        return done.stdout if raw else done.stdout.decode("utf-8", "replace")

    def prop(self, win, name):
        """xprop's line for one property of win (a window id, or "-root")."""
        where = ["-root"] if win == "-root" else ["-id", str(win)]
        return self._x(["xprop", *where, name], check=False)

    def stacking(self):
        """Managed windows from bottom to top."""
        return _window_ids(self.prop("-root", "_NET_CLIENT_LIST_STACKING"))

    def active_window(self):
        ids = _window_ids(self.prop("-root", "_NET_ACTIVE_WINDOW"))
        return ids[0] if ids else None

    def _search(self, *criteria):
        return [int(w) for w in self._x(["xdotool", "search", *criteria], check=False).split()]

    def find_window(self, title, timeout=10):
        """The one managed window whose title is exactly title, waited for."""
        def one():
            managed = set(_window_ids(self.prop("-root", "_NET_CLIENT_LIST")))
            found = [w for w in self._search("--name", f"^{re.escape(title)}$") if w in managed]
            if len(found) > 1:
                raise LookupError(f"{len(found)} windows named {title!r}")
            return found[0] if found else None
        return wait_for(one, timeout=timeout, what=f"a window named {title!r}")

    def window_captions(self):
        """The captions (WM_NAME) the program gave the managed windows, bottom to top."""
        return [self.window_title(win, "WM_NAME") for win in self.stacking()]

    def wait_for_windows(self, titles, timeout=10):
        """Until exactly the windows captioned titles (in any order) are on the screen."""
        def shown():
            seen = self.window_captions()
            if sorted(seen) != sorted(titles):
                raise LookupError(f"windows on the screen: {seen}")
            return seen
        return wait_for(shown, timeout=timeout, what=f"the windows {titles}")

    def window_title(self, win, prop="_NET_WM_NAME"):
        """What the window manager writes in the title bar."""
        match = re.search(r'= "(.*)"\s*$', self.prop(win, prop))
        return match.group(1) if match else None

    def window_geometry(self, win):
        """The client area: x, y on the screen, width, height. From xwininfo: under a
        reparenting window manager xdotool's getwindowgeometry adds the frame's offset twice."""
        out = self._x(["xwininfo", "-id", str(win)])
        return tuple(int(re.search(rf"^\s*{key}:\s*(-?\d+)", out, re.MULTILINE).group(1))
                     for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width",
                                 "Height"))

    def normal_hints(self, win):
        """What WM_NORMAL_HINTS asks for: {"minimum"/"maximum": (width, height), "location":
        (x, y)}, the kinds the program does not set left out."""
        out = self.prop(win, "WM_NORMAL_HINTS")
        hints = {kind: (int(a), int(b)) for kind, a, b in
                 re.findall(r"program specified (\w+) size: (\d+) by (\d+)", out)}
        hints.update(("location", (int(a), int(b))) for a, b in
                     re.findall(r"specified location: (-?\d+), (-?\d+)", out))
        return hints

    def motif_functions(self, win):
        """The window-manager functions _MOTIF_WM_HINTS allows, by name; None without a
        function hint (everything allowed)."""
        numbers = [int(n, 16) for n in re.findall(r"0x[0-9a-fA-F]+",
                                                  self.prop(win, "_MOTIF_WM_HINTS"))]
        if len(numbers) < 2 or not numbers[0] & 1:
            return None
        bits = {"resize": 0x2, "move": 0x4, "minimize": 0x8, "maximize": 0x10, "close": 0x20}
        listed = {name for name, bit in bits.items() if numbers[1] & bit}
        return set(bits) - listed if numbers[1] & 0x1 else listed  # 0x1: all but the listed

    def frame_extents(self, win):
        """left, right, top, bottom of the window manager's frame."""
        out = self.prop(win, "_NET_FRAME_EXTENTS")
        numbers = [int(n) for n in re.findall(r"\d+", out.split("=", 1)[1])] if "=" in out else []
        return tuple(numbers) if len(numbers) == 4 else (0, 0, 0, 0)

    def window_rect(self, win, frame=True):
        x, y, width, height = self.window_geometry(win)
        if frame:
            left, right, top, bottom = self.frame_extents(win)
            x, y, width, height = x - left, y - top, width + left + right, height + top + bottom
        return x, y, width, height

    def outer_position(self, win):
        """Top-left corner of the window with its frame: where the program says it is."""
        return self.window_rect(win)[:2]

    def move(self, win, x, y):
        """Drops the window, frame included, at x, y as a window manager move would."""
        self._x(["xdotool", "windowmove", str(win), str(x), str(y)])
        wait_for(lambda: self.outer_position(win) == (x, y),
                 what=f"window {win} to move to {x},{y}")

    def activate(self, win):
        self._x(["xdotool", "windowactivate", "--sync", str(win)])
        wait_for(lambda: self.active_window() == win, what=f"window {win} to be active")

    def click(self, win, x, y, button=1, action="click"):
        """A real press and release (action "mousedown" or "mouseup": only one of them) at
        x, y inside the client area of win."""
        # No --sync: it waits for the pointer to move, forever when it is already there.
        # The warp and the press go over one connection, so the server applies them in order.
        self._x(["xdotool", "mousemove", "--window", str(win), str(x), str(y),
                 action, str(button)])

    def type_into(self, win, text):
        """Activates win and types text where its focus is."""
        self.activate(win)
        self._x(["xdotool", "type", "--delay", "20", "--", text], timeout=30)

    def key(self, *keys):
        self._x(["xdotool", "key", "--", *keys])

    def edit_box(self, win, box, command, keys):
        """In win, a click into the box (unless box is None) and End, then command "type"
        types keys as text, any other presses the space-separated xdotool key names."""
        self.activate(win)
        if box is not None:
            self.click_control(box)
            self.key("End")
        if command == "type":
            self.type_into(win, keys)
        else:
            self.key(*keys.split())

    def start_helper(self, argv, log_name="helper.log", stdin=subprocess.DEVNULL):
        """Another program on this display, killed at teardown."""
        proc = self._spawn(argv, log_name, stdin=stdin)
        self._helpers.append(proc)
        return proc

    def copy_to_clipboard(self, text):
        """Another program takes the clipboard and serves text until someone else takes it."""
        proc = self.start_helper(["xclip", "-quiet", "-selection", "clipboard", "-i"],
                                 "xclip.log", stdin=subprocess.PIPE)
        proc.stdin.write(text.encode("utf-8") if isinstance(text, str) else text)
        proc.stdin.close()
        return proc

    def clipboard_text(self):
        """The clipboard's text as another program reads it; None when it offers none."""
        with suppress(HarnessError):
            return self._x(["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"])

    def screenshot(self, path, *wins, margin=0):
        """The whole screen, or the smallest rectangle holding wins with their frames."""
        crop = []
        if wins:
            xs, ys, widths, heights = zip(*map(self.window_rect, wins))
            left, top = max(min(xs) - margin, 0), max(min(ys) - margin, 0)
            right = max(x + width for x, width in zip(xs, widths)) + margin
            bottom = max(y + height for y, height in zip(ys, heights)) + margin
            crop = ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
        self._x(["import", "-window", "root", *crop, "-strip", path], timeout=30)
        return path

    def grab(self, win):
        """The client area of win as it is on the screen now."""
        x, y, width, height = self.window_rect(win, frame=False)
        # -depth 8: a Q16 ImageMagick writes a 16-bit PPM otherwise.
        return Picture.from_ppm(self._x(["import", "-window", "root", "-crop",
                                         f"{width}x{height}+{x}+{y}", "+repage", "-depth", "8",
                                         "ppm:-"], timeout=30, raw=True))

    def wait_popups(self, count, timeout=10):
        """Waits until the program shows count pop-ups (open menus, tool tips: mapped
        override-redirect windows of its class, which the accessibility bus does not list)."""
        def seen():
            managed = set(_window_ids(self.prop("-root", "_NET_CLIENT_LIST")))
            mine = self._search("--onlyvisible", "--class",
                                f"^{re.escape(os.path.basename(self.program_path))}$")
            found = [win for win in mine if win not in managed and re.search(
                r"Map State: IsViewable(?s:.*)Override Redirect State: yes",
                self._x(["xwininfo", "-id", str(win)], check=False))]
            if len(found) != count:
                raise LookupError(f"pop-up windows {found}")
            return (found,)
        return wait_for(seen, timeout=timeout, what=f"{count} pop-up windows")[0]

    # ---- accessibility -------------------------------------------------------------

    def _ask(self, request):
        if self._agent is None:
            raise HarnessError("the accessibility agent could not be started again")
        try:
            self._agent.stdin.write((json.dumps(request) + "\n").encode())
            self._agent.stdin.flush()
            line = _read_line(self._agent.stdout.fileno(), 30, "the accessibility agent")
        except (BrokenPipeError, OSError, HarnessError) as error:
            # A late answer would be taken for the next one: start a fresh agent.
            _kill_group(self._agent)
            self._agent.stdin.close()
            self._agent.stdout.close()
            self._agent = None
            if request["op"] != "ping":
                self._start_agent()
            raise HarnessError(f"the accessibility agent failed: {error}") from None
        answer = json.loads(line)
        if "error" in answer:
            raise HarnessError("accessibility: " + answer["error"])
        return answer["result"]

    def accessible_windows(self):
        """The program's top-level windows: a list of {"title", "role", "extents": [x, y, w,
        h], "showing", "nodes"}, nodes being every descendant as {"role", "name", "extents",
        "showing", "text"?}."""
        if self.pid is None:
            raise HarnessError("the program was never started")
        return self._ask({"op": "windows", "pid": self.pid})

    def _locate(self, name, windows=None):
        """The showing control called name in the design: (window title, x, y, width,
        height inside the window's client area, accessible node)."""
        title, role, left, top = CONTROLS[name]
        x, y = pixels(left), pixels(top)
        for window in self.accessible_windows() if windows is None else windows:
            if not title_matches(window["title"], title) or not window["showing"]:
                continue
            wx, wy = window["extents"][:2]
            hits = [node for node in window["nodes"] if node["role"] == role and
                    node["showing"] and abs(node["extents"][0] - wx - x) <= 1 and
                    abs(node["extents"][1] - wy - y) <= 1]
            if len(hits) > 1:
                raise LookupError(f"{len(hits)} {role}s at {x},{y} in {title!r}")
            if hits:
                nx, ny, width, height = hits[0]["extents"]
                return window["title"], (nx - wx, ny - wy, width, height), hits[0]
        raise LookupError(f"no showing {role} at {x},{y} in a window named {title!r}")

    def control_rect(self, name, windows=None):
        """x, y, width, height of a showing control inside its window's client area."""
        return self._locate(name, windows)[1]

    def click_control(self, name, button=1):
        """Presses and releases in the middle of the control called name in the design."""
        title, (x, y, width, height), _ = self._locate(name)
        self.click(self.find_window(title), x + width // 2, y + height // 2, button)

    def is_showing(self, name, windows=None):
        try:
            return bool(self._locate(name, windows))
        except LookupError:
            return False

    def read(self, *names):
        """Several controls from one look at the tree: {name: caption or box text}."""
        windows = self.accessible_windows()
        nodes = {name: self._locate(name, windows)[2] for name in names}
        return {name: node.get("text", node["name"]) for name, node in nodes.items()}

    def wait_for_values(self, expected, timeout=10):
        """Polls until the named controls show the expected values; returns them."""
        def matches():
            seen = self.read(*expected)
            if seen != expected:
                raise LookupError(f"showing {seen}")
            return seen
        return wait_for(matches, timeout=timeout, what=f"the controls to show {expected}")


class Picture:
    """Pixels of a screen grab, as (red, green, blue) tuples."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self._rgb = width, height, rgb

    @classmethod
    def from_ppm(cls, data):
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        if not match or match.group(3) != b"255":
            raise HarnessError("import did not produce an 8-bit PPM picture")
        width, height = int(match.group(1)), int(match.group(2))
        return cls(width, height, data[match.end():match.end() + width * height * 3])

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self._rgb[offset:offset + 3])

    def colours(self, x, y, width, height):
        """How often each colour occurs in the rectangle (clipped to the picture)."""
        return Counter(self.pixel(column, row)
                       for row in range(max(y, 0), min(y + height, self.height))
                       for column in range(max(x, 0), min(x + width, self.width)))

    def ink(self, x, y, width, height, palette, tolerance=0.12, floor=96):
        """Which colours of palette ({name: rgb}) the rectangle is drawn in, with pixel counts.
        Text is anti-aliased into coverage times its colour, so a pixel whose strongest
        channel reaches floor is compared with both scaled to a strongest channel of 1."""
        def shape(rgb):
            return tuple(channel / max(rgb) for channel in rgb)
        shapes = {name: shape(rgb) for name, rgb in palette.items()}
        found = {}
        for colour, count in self.colours(x, y, width, height).items():
            if max(colour) < floor:
                continue
            for name, wanted in shapes.items():
                if all(abs(a - b) <= tolerance for a, b in zip(shape(colour), wanted)):
                    found[name] = found.get(name, 0) + count
        return found


def main():
    """Entry point of a test file: test_x.py EXECUTABLE [unittest arguments]."""
    if len(sys.argv) < 2 or sys.argv[1].startswith("-"):
        sys.exit(f"usage: {sys.argv[0]} path/to/tavrel-counter [unittest arguments]")
    os.environ["TAVREL_EXECUTABLE"] = os.path.abspath(sys.argv[1])
    unittest.main(module="__main__", argv=[sys.argv[0], *sys.argv[2:]], verbosity=2)


# ---- the accessibility agent ------------------------------------------------------------

def _agent():
    import pyatspi
    from gi.repository import Atspi

    def children(node):
        return [c for c in map(node.getChildAtIndex, range(node.childCount)) if c is not None]

    def describe(node):
        extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        entry = {"role": node.getRoleName(), "name": node.name,
                 "extents": [extents.x, extents.y, extents.width, extents.height],
                 "showing": node.getState().contains(pyatspi.STATE_SHOWING)}
        if entry["role"] == "text":
            text = node.queryText()
            entry["text"] = text.getText(0, text.characterCount)
        return entry

    def walk(node):
        for child in children(node):
            yield describe(child)
            yield from walk(child)

    def windows(pid):
        # Drop whatever was cached: captions are read live from the program on every request.
        Atspi.Accessible.clear_cache(desktop)
        app = next((a for a in children(desktop) if a.get_process_id() == pid), None)
        if app is None:
            raise LookupError(f"no accessible application with process id {pid}")
        app.set_cache_mask(Atspi.Cache.NONE)
        return [dict(describe(top), title=top.name, nodes=list(walk(top)))
                for top in children(app)]

    desktop = pyatspi.Registry.getDesktop(0)
    for line in sys.stdin:
        request = json.loads(line)
        try:
            answer = {"result": "pong" if request["op"] == "ping" else windows(request["pid"])}
        except Exception as error:  # reported to the test, which decides what it means
            answer = {"error": f"{type(error).__name__}: {error}"}
        sys.stdout.write(json.dumps(answer) + "\n")
        sys.stdout.flush()


if __name__ == "__main__" and sys.argv[1:] == ["--atspi-agent"]:
    _agent()
