#!/usr/bin/python3
"""End-to-end harness: the built program in a private X server, read back from outside.

A Session copies the executable into a temporary program folder and starts, each in its own
process group: Xvfb on a free display, openbox, a private D-Bus session bus with the
accessibility bus behind it, and the program. Everything is killed at the end, also when a
test fails; a failing session leaves a screenshot and the logs in the artefacts folder.

What a window shows is read through the accessibility bus, as a screen reader reads it: a
QLabel's accessible name is its live caption, a QLineEdit offers the Text interface. Qt 6.4
exposes neither objectName nor any attribute naming a control, so controls are found by
their place in the design: CONTROLS maps a control's name to its window caption and its
position in twips inside the client area, and the harness picks the showing control whose
top-left corner sits there (one pixel of rounding either way).

pyatspi binds itself to one accessibility bus for the life of the process, so the reading
is done by a small agent process per session (this file run with --atspi-agent) that
answers one JSON line per request.

Every wait polls for the expected state with a deadline; nothing sleeps for a fixed time.
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
    "car1": (MAIN, "label", 3240, 960),
    "Text1": (MAIN, "text", 360, 1200),
    "par1": (MAIN, "label", 960, 1560),
    "spa1": (MAIN, "label", 2160, 1560),
    "fra1": (MAIN, "label", 3240, 1560),
    "car2": (MAIN, "label", 3240, 2160),
    "Text2": (MAIN, "text", 360, 2400),
    "par2": (MAIN, "label", 960, 2760),
    "spa2": (MAIN, "label", 2160, 2760),
    "fra2": (MAIN, "label", 3240, 2760),
    "labpiù": (MAIN, "label", 2040, 3360),
    "differ": (MAIN, "label", 2160, 3360),
    "Check1": (MAIN, "check box", 360, 3968),
    "nTBL": (MAIN, "label", 2280, 3968),
    "Label8": (MAIN, "label", 1800, 1080),
    "Label6": (MAIN, "label", 2520, 3000),
    "url": (MAIN, "label", 1920, 3240),
    "cont": (FAST, "label", 120, 360),
    "mini.Text1": (MINI, "text", 840, 120),
    "mini.Text2": (MINI, "text", 840, 480),
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
    """Calls predicate until it returns a true value, which is returned.

    LookupError and HarnessError from the predicate count as "not yet". At the deadline the
    last value (or error) seen goes into the failure message.
    """
    deadline = time.monotonic() + timeout
    last = None
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


def _file_content(content):
    """A list is written as lines ending in CR LF; str and bytes are written as given."""
    if content is None:
        return None
    if isinstance(content, (list, tuple)):
        content = "".join(f"{line}\r\n" for line in content)
    if isinstance(content, str):
        content = content.encode("utf-8")
    return content


def _kill_group(proc, grace=2.0):
    """Ends a process started with its own session, and everything left in its group."""
    if proc is None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(proc.pid, sig)
        except (ProcessLookupError, PermissionError):
            pass
        try:
            proc.wait(timeout=grace)
            if sig == signal.SIGTERM:
                # The leader is gone; children it left in the group get the hard signal.
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except (ProcessLookupError, PermissionError):
                    pass
            return
        except subprocess.TimeoutExpired:
            continue


class Session:
    """The program in its own X server, D-Bus session and temporary program folder.

    cord and test are the contents of the position file and the text file to put beside the
    executable before it starts (None: leave the program to create them).
    """

    def __init__(self, executable, folder=None, cord=None, test=None, name=None,
                 start_program=True):
        self._executable = executable
        self._given_folder = folder
        self._cord = _file_content(cord)
        self._test = _file_content(test)
        self.name = name or "session"
        self._start_program_at_enter = start_program
        self._tmp = None
        self.folder = None
        self.env = None
        self.display = None
        self._xvfb = self._openbox = self._dbus = self._agent = self._program = None
        self._program_log = None
        self._helpers = []
        self._logs = []

    # ---- life cycle ----------------------------------------------------------------

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self._save_failure_artifacts()
            self._teardown()
            raise
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None:
            self._save_failure_artifacts()
        self._teardown()
        return False

    def _start(self):
        missing = [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]
        if not os.access(DEBIAN_PYTHON, os.X_OK):
            missing.append(DEBIAN_PYTHON)
        if missing:
            raise HarnessError("missing tools for the end-to-end tests: " + ", ".join(missing))

        self._tmp = tempfile.mkdtemp(prefix="tavrel-e2e-")
        runtime = os.path.join(self._tmp, "runtime")
        home = os.path.join(self._tmp, "home")
        os.mkdir(runtime, 0o700)
        os.mkdir(home, 0o700)

        self.folder = self._given_folder or os.path.join(self._tmp, "program")
        os.makedirs(self.folder, exist_ok=True)
        self.program_path = os.path.join(self.folder, os.path.basename(self._executable))
        shutil.copy2(self._executable, self.program_path)
        for file_name, content in (("cord", self._cord), ("test", self._test)):
            if content is not None:
                with open(os.path.join(self.folder, file_name), "wb") as f:
                    f.write(content)

        # A private runtime folder keeps the accessibility bus socket of this session apart
        # from any other desktop or test on the machine.
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("DBUS_", "AT_SPI", "WAYLAND", "QT_", "XDG_"))}
        self.env.update(HOME=home, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8")

        self._start_xvfb()
        self._start_openbox()
        self._start_dbus()
        self._start_agent()
        if self._start_program_at_enter:
            self.start_program()

    def _log(self, name):
        path = os.path.join(self._tmp, name)
        self._logs.append(path)
        return open(path, "wb")

    def _spawn(self, argv, log_name, **kwargs):
        with self._log(log_name) as log:
            return subprocess.Popen(argv, env=self.env, stdout=kwargs.pop("stdout", log),
                                    stderr=log, stdin=kwargs.pop("stdin", subprocess.DEVNULL),
                                    start_new_session=True, **kwargs)

    def _start_xvfb(self):
        read_end, write_end = os.pipe()
        try:
            self._xvfb = self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                      "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                                     "xvfb.log", pass_fds=(write_end,))
            os.close(write_end)
            write_end = None
            number = _read_line(read_end, 15, "Xvfb's display number").strip()
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        self.display = ":" + number
        self.env["DISPLAY"] = self.display

    def _start_openbox(self):
        self._openbox = self._spawn(["openbox", "--sm-disable"], "openbox.log")
        wait_for(lambda: re.search(r"window id # 0x[0-9a-f]+",
                                   self._x(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                           check=False)),
                 timeout=15, what="openbox to manage the display")

    def _start_dbus(self):
        self._dbus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                 "dbus.log", stdout=subprocess.PIPE)
        address = _read_line(self._dbus.stdout.fileno(), 15, "dbus-daemon").strip()
        if not address:
            raise HarnessError("dbus-daemon printed no address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        # Activates at-spi-bus-launcher (it stays in the bus's process group).
        reply = self._x(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                         "/org/a11y/bus", "org.a11y.Bus.GetAddress"], timeout=20)
        match = re.search(r'string "([^"]+)"', reply)
        if not match:
            raise HarnessError(f"the accessibility bus gave no address: {reply!r}")
        self.a11y_address = match.group(1)

    def _start_agent(self):
        self._agent = self._spawn([DEBIAN_PYTHON, "-B", os.path.abspath(__file__),
                                   "--atspi-agent"], "atspi-agent.log",
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        if self._ask({"op": "ping"}) != "pong":
            raise HarnessError("the accessibility agent did not answer")

    def start_program(self, args=(), env=None, prefix=()):
        """Starts (or starts again, after it ended) the program from its folder.

        env adds variables to the program's environment (None as a value removes one); prefix
        is a command the program is run through (for example one that changes the user).
        """
        if self._program is not None and self._program.poll() is None:
            raise HarnessError("the program is already running")
        extra = env or {}
        env = dict(self.env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        env.update({key: value for key, value in extra.items() if value is not None})
        for key in [key for key, value in extra.items() if value is None]:
            env.pop(key, None)
        self._program_log = os.path.join(self._tmp, "program-stderr.txt")
        log = open(self._program_log, "ab")
        if self._program_log not in self._logs:
            self._logs.append(self._program_log)
        with log:
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
        """Sends sig to the program's process group and waits for the program to end; returns
        its exit status (negative: the signal that ended it)."""
        try:
            os.killpg(self._program.pid, sig)
        except ProcessLookupError:
            pass
        return self.wait_exit(timeout)

    def restart_program(self, **kwargs):
        """Kills the program if it runs and starts it again on the same display."""
        if self._program is not None and self._program.poll() is None:
            self.kill_program()
        return self.start_program(**kwargs)

    def stop_display(self, sig=signal.SIGKILL):
        """Ends the X server under the running program; returns when it is gone."""
        os.killpg(self._xvfb.pid, sig)
        self._xvfb.wait(timeout=10)

    def stderr(self):
        """Everything the program wrote to its standard error (and output) so far."""
        if not self._program_log or not os.path.exists(self._program_log):
            return ""
        with open(self._program_log, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def read_file(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()

    def _teardown(self):
        for proc in [self._program, *reversed(self._helpers)]:
            _kill_group(proc)
        if self._agent is not None and not self._agent.stdin.closed:
            try:
                self._agent.stdin.close()
            except OSError:
                pass
        for proc in (self._agent, self._openbox, self._dbus, self._xvfb):
            _kill_group(proc)
        for proc in (self._agent, self._dbus):
            if proc is not None and proc.stdout is not None and not proc.stdout.closed:
                proc.stdout.close()
        if self._tmp:
            shutil.rmtree(self._tmp, ignore_errors=True)
        self._tmp = None

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
        for path in self._logs:
            if os.path.exists(path):
                shutil.copy(path, target)
        print(f"e2e: artefacts of the failed session in {target}", file=sys.stderr)

    # ---- X helpers ---------------------------------------------------------------------

    def _x(self, argv, check=True, timeout=10, input=None):
        """Runs a client of this session's display and returns its standard output."""
        try:
            done = subprocess.run(argv, env=self.env, capture_output=True, timeout=timeout,
                                  input=input)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{argv[0]} did not finish within {timeout} s") from None
        if check and done.returncode != 0:
            raise HarnessError(f"{' '.join(argv)} failed ({done.returncode}): "
                               f"{done.stderr.decode(errors='replace').strip()}")
        return done.stdout.decode("utf-8", "replace")

    def client_list(self):
        return _window_ids(self._x(["xprop", "-root", "_NET_CLIENT_LIST"], check=False))

    def stacking(self):
        """Managed windows from bottom to top."""
        return _window_ids(self._x(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"],
                                   check=False))

    def active_window(self):
        ids = _window_ids(self._x(["xprop", "-root", "_NET_ACTIVE_WINDOW"], check=False))
        return ids[0] if ids else None

    def windows_named(self, title):
        """Managed windows whose title is exactly title."""
        out = self._x(["xdotool", "search", "--name", "^" + re.escape(title) + "$"],
                      check=False)
        managed = set(self.client_list())
        return [int(w) for w in out.split() if int(w) in managed]

    def find_window(self, title, timeout=10):
        def one():
            found = self.windows_named(title)
            if len(found) > 1:
                raise LookupError(f"{len(found)} windows named {title!r}")
            return found[0] if found else None
        return wait_for(one, timeout=timeout, what=f"a window named {title!r}")

    def window_captions(self):
        """The captions (WM_NAME) of the managed windows, from bottom to top."""
        return [self.window_caption(win) for win in self.stacking()]

    def window_caption(self, win):
        """The caption the program gave the window (WM_NAME)."""
        return self._text_property(win, "WM_NAME")

    def window_title(self, win):
        """What the window manager writes in the title bar (_NET_WM_NAME)."""
        return self._text_property(win, "_NET_WM_NAME")

    def _text_property(self, win, name):
        out = self._x(["xprop", "-id", str(win), name], check=False)
        match = re.search(r'= "(.*)"\s*$', out)
        return match.group(1) if match else None

    def window_geometry(self, win):
        """The client area: x, y on the screen, width, height.

        From xwininfo: under a reparenting window manager xdotool's getwindowgeometry adds
        the frame's offset a second time.
        """
        out = self._x(["xwininfo", "-id", str(win)])
        values = {key: int(value) for key, value in re.findall(
            r"^\s*(Absolute upper-left X|Absolute upper-left Y|Width|Height):\s*(-?\d+)",
            out, re.MULTILINE)}
        return (values["Absolute upper-left X"], values["Absolute upper-left Y"],
                values["Width"], values["Height"])

    def size_hints(self, win):
        """(minimum, maximum) sizes the program asks for, each (width, height) or None."""
        out = self._x(["xprop", "-id", str(win), "WM_NORMAL_HINTS"], check=False)
        def size(kind):
            match = re.search(rf"program specified {kind} size: (\d+) by (\d+)", out)
            return (int(match.group(1)), int(match.group(2))) if match else None
        return size("minimum"), size("maximum")

    def motif_functions(self, win):
        """The set of window-manager functions the program allows in _MOTIF_WM_HINTS, by
        name; None when it sets no function hint (everything allowed)."""
        out = self._x(["xprop", "-id", str(win), "_MOTIF_WM_HINTS"], check=False)
        numbers = [int(n, 16) for n in re.findall(r"0x[0-9a-fA-F]+", out)]
        if len(numbers) < 2 or not numbers[0] & 1:
            return None
        bits = {"resize": 0x2, "move": 0x4, "minimize": 0x8, "maximize": 0x10, "close": 0x20}
        if numbers[1] & 0x1:  # "all but the listed ones"
            return {name for name, bit in bits.items() if not numbers[1] & bit}
        return {name for name, bit in bits.items() if numbers[1] & bit}

    def frame_extents(self, win):
        """left, right, top, bottom of the window manager's frame."""
        out = self._x(["xprop", "-id", str(win), "_NET_FRAME_EXTENTS"], check=False)
        numbers = [int(n) for n in re.findall(r"\d+", out.split("=", 1)[-1])] if "=" in out \
            else []
        return tuple(numbers) if len(numbers) == 4 else (0, 0, 0, 0)

    def outer_position(self, win):
        """Top-left corner of the window with its frame: where the program says it is."""
        x, y, _, _ = self.window_geometry(win)
        left, _, top, _ = self.frame_extents(win)
        return x - left, y - top

    def requested_position(self, win):
        """Where the program asked for the window to be put (WM_NORMAL_HINTS)."""
        out = self._x(["xprop", "-id", str(win), "WM_NORMAL_HINTS"], check=False)
        match = re.search(r"(?:user|program) specified location: (-?\d+), (-?\d+)", out)
        return (int(match.group(1)), int(match.group(2))) if match else None

    def move(self, win, x, y):
        """Drops the window, frame included, at x, y as a window manager move would."""
        self._x(["xdotool", "windowmove", str(win), str(x), str(y)])
        wait_for(lambda: self.outer_position(win) == (x, y),
                 what=f"window {win} to move to {x},{y}")

    def net_wm_state(self, win):
        out = self._x(["xprop", "-id", str(win), "_NET_WM_STATE"], check=False)
        if "=" not in out:
            return set()
        return {atom.strip() for atom in out.split("=", 1)[1].split(",") if atom.strip()}

    def activate(self, win):
        self._x(["xdotool", "windowactivate", "--sync", str(win)])
        wait_for(lambda: self.active_window() == win, what=f"window {win} to be active")

    def click(self, win, x, y, button=1):
        """A real press and release at x, y inside the client area of win."""
        # No --sync: it waits for the pointer to move, forever when it is already there.
        # The warp and the press go over one connection, so the server applies them in order.
        self._x(["xdotool", "mousemove", "--window", str(win), str(x), str(y),
                 "click", str(button)])

    def type_into(self, win, text, at=None):
        """Activates win, clicks at `at` (client coordinates) if given, then types."""
        self.activate(win)
        if at is not None:
            self.click(win, *at)
        self._x(["xdotool", "type", "--delay", "20", "--", text], timeout=30)

    def key(self, *keys):
        self._x(["xdotool", "key", "--", *keys])

    def copy_to_clipboard(self, text):
        """Another program takes the clipboard and serves text until someone else takes it."""
        data = text.encode("utf-8") if isinstance(text, str) else text
        proc = self._spawn(["xclip", "-quiet", "-selection", "clipboard", "-i"], "xclip.log",
                           stdin=subprocess.PIPE)
        self._helpers.append(proc)
        proc.stdin.write(data)
        proc.stdin.close()
        return proc

    def start_helper(self, argv, log_name="helper.log"):
        """Another program on this display, killed at teardown."""
        proc = self._spawn(argv, log_name)
        self._helpers.append(proc)
        return proc

    def _window_rect(self, win, frame):
        x, y, width, height = self.window_geometry(win)
        if frame:
            left, right, top, bottom = self.frame_extents(win)
            x, y, width, height = x - left, y - top, width + left + right, height + top + bottom
        return x, y, width, height

    def screenshot(self, path, win=None, frame=True):
        """The whole screen, or the window win (with its title bar when frame is true)."""
        if win is None:
            self._x(["import", "-window", "root", path], timeout=30)
            return path
        x, y, width, height = self._window_rect(win, frame)
        full = path + ".screen.png"
        self._x(["import", "-window", "root", full], timeout=30)
        try:
            self._x(["convert", full, "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                     "-strip", path], timeout=30)
        finally:
            os.remove(full)
        return path

    def grab(self, win):
        """The client area of win as it is on the screen now."""
        x, y, width, height = self._window_rect(win, frame=False)
        done = subprocess.run(["import", "-window", "root", "-crop",
                               f"{width}x{height}+{x}+{y}", "+repage", "-depth", "8", "ppm:-"],
                              env=self.env, capture_output=True, timeout=30)
        if done.returncode != 0:
            raise HarnessError("import failed: " + done.stderr.decode(errors="replace"))
        return Picture.from_ppm(done.stdout)

    def screenshot_of(self, path, wins, margin=0):
        """The smallest rectangle of the screen holding every window of wins (managed ones
        with their frames), widened by margin pixels on each side."""
        rects = [self._window_rect(win, frame=True) for win in wins]
        left = max(min(x for x, _, _, _ in rects) - margin, 0)
        top = max(min(y for _, y, _, _ in rects) - margin, 0)
        right = max(x + width for x, _, width, _ in rects) + margin
        bottom = max(y + height for _, y, _, height in rects) + margin
        full = path + ".screen.png"
        self._x(["import", "-window", "root", full], timeout=30)
        try:
            self._x(["convert", full, "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                     "+repage", "-strip", path], timeout=30)
        finally:
            os.remove(full)
        return path

    def popup_windows(self):
        """The program's mapped override-redirect windows (open menus, tool tips): windows of
        its class that the window manager does not manage."""
        out = self._x(["xdotool", "search", "--onlyvisible", "--class",
                       "^" + re.escape(os.path.basename(self.program_path)) + "$"],
                      check=False)
        managed = set(self.client_list())
        found = []
        for win in (int(w) for w in out.split()):
            if win in managed:
                continue
            info = self._x(["xwininfo", "-id", str(win)], check=False)
            if re.search(r"Override Redirect State:\s*yes", info) and \
                    re.search(r"Map State:\s*IsViewable", info):
                found.append(win)
        return found

    def find_popup(self, timeout=10):
        """The one pop-up window the program shows, waited for."""
        def one():
            found = self.popup_windows()
            if len(found) > 1:
                raise LookupError(f"{len(found)} pop-up windows: {found}")
            return found[0] if found else None
        return wait_for(one, timeout=timeout, what="a pop-up window of the program")

    def wait_no_popup(self, timeout=10):
        wait_for(lambda: not self.popup_windows(), timeout=timeout,
                 what="the pop-up windows to close")

    def pointer_position(self):
        """Where the pointer is on the screen."""
        out = self._x(["xdotool", "getmouselocation", "--shell"])
        values = dict(re.findall(r"^(X|Y)=(-?\d+)$", out, re.MULTILINE))
        return int(values["X"]), int(values["Y"])

    def press(self, win, x, y, button=1):
        """Moves the pointer to x, y inside the client area of win and holds button down."""
        self._x(["xdotool", "mousemove", "--window", str(win), str(x), str(y),
                 "mousedown", str(button)])

    def release(self, win, x, y, button=1):
        """Moves the held pointer to x, y inside the client area of win and lets button go."""
        self._x(["xdotool", "mousemove", "--window", str(win), str(x), str(y),
                 "mouseup", str(button)])

    def clipboard_text(self):
        """The text on the X clipboard, read as UTF-8 by another program; None when the
        clipboard offers no text."""
        try:
            done = subprocess.run(["xclip", "-o", "-selection", "clipboard",
                                   "-t", "UTF8_STRING"],
                                  env=self.env, capture_output=True, timeout=10)
        except subprocess.TimeoutExpired:
            raise HarnessError("the clipboard's owner did not answer within 10 s") from None
        if done.returncode != 0:
            return None
        return done.stdout.decode("utf-8")

    def click_control(self, name, button=1):
        """Presses and releases in the middle of the control called name in the design."""
        window, node = self._locate(name)
        win = self.find_window(window["title"])
        x, y, width, height = self._relative(window, node)
        self.click(win, x + width // 2, y + height // 2, button)

    def control_rect(self, name, windows=None):
        """x, y, width, height of a showing control inside its window's client area."""
        return self._relative(*self._locate(name, windows))

    @staticmethod
    def _relative(window, node):
        x, y, width, height = node["extents"]
        return x - window["extents"][0], y - window["extents"][1], width, height

    # ---- accessibility -------------------------------------------------------------

    def _ask(self, request):
        if self._agent is None:
            raise HarnessError("the accessibility agent could not be started again")
        try:
            self._agent.stdin.write((json.dumps(request) + "\n").encode())
            self._agent.stdin.flush()
        except (BrokenPipeError, OSError) as error:
            raise HarnessError(f"the accessibility agent is gone: {error}") from None
        try:
            line = _read_line(self._agent.stdout.fileno(), 30, "the accessibility agent")
        except HarnessError:
            # A late answer would be taken for the next one: start a fresh agent.
            _kill_group(self._agent)
            self._agent.stdin.close()
            self._agent.stdout.close()
            self._agent = None
            if request["op"] != "ping":
                self._start_agent()
            raise
        answer = json.loads(line)
        if "error" in answer:
            raise HarnessError("accessibility: " + answer["error"])
        return answer["result"]

    def accessible_windows(self):
        """The program's top-level windows as the accessibility bus shows them.

        A list of {"title", "role", "extents": [x, y, w, h], "showing", "nodes"}, where nodes
        lists every descendant as {"role", "name", "extents", "showing", "text"?}.
        """
        if self.pid is None:
            raise HarnessError("the program was never started")
        return self._ask({"op": "windows", "pid": self.pid})

    def find_control(self, title, role, x, y, windows=None):
        """The showing control of role whose top-left corner is at x, y (pixels) inside the
        window titled title; LookupError when there is none."""
        return self._find(title, role, x, y, windows)[1]

    def _find(self, title, role, x, y, windows=None):
        windows = self.accessible_windows() if windows is None else windows
        for window in windows:
            if not title_matches(window["title"], title) or not window["showing"]:
                continue
            wx, wy = window["extents"][:2]
            hits = [node for node in window["nodes"]
                    if node["role"] == role and node["showing"]
                    and abs(node["extents"][0] - wx - x) <= 1
                    and abs(node["extents"][1] - wy - y) <= 1]
            if len(hits) == 1:
                return window, hits[0]
            if len(hits) > 1:
                raise LookupError(f"{len(hits)} {role}s at {x},{y} in {title!r}")
        raise LookupError(f"no showing {role} at {x},{y} in a window named {title!r}")

    def _locate(self, name, windows=None):
        title, role, left, top = CONTROLS[name]
        return self._find(title, role, pixels(left), pixels(top), windows)

    def control(self, name, windows=None):
        return self._locate(name, windows)[1]

    def label_text(self, name, windows=None):
        """The live caption of the label (or the check box) called name in the design."""
        return self.control(name, windows)["name"]

    def is_showing(self, name, windows=None):
        try:
            self.control(name, windows)
            return True
        except LookupError:
            return False

    def box_text(self, name, windows=None):
        """The contents of the text box called name in the design."""
        return self.control(name, windows)["text"]

    def read(self, *names):
        """Several controls from one look at the tree: {name: caption or box text}."""
        windows = self.accessible_windows()
        result = {}
        for name in names:
            node = self.control(name, windows)
            result[name] = node["text"] if node["role"] == "text" else node["name"]
        return result

    def wait_for_values(self, expected, timeout=10):
        """Polls until the named controls show the expected values; returns them."""
        def matches():
            seen = self.read(*expected)
            if seen == expected:
                return seen
            raise LookupError(f"showing {seen}")
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
        counts = {}
        for row in range(max(y, 0), min(y + height, self.height)):
            for column in range(max(x, 0), min(x + width, self.width)):
                colour = self.pixel(column, row)
                counts[colour] = counts.get(colour, 0) + 1
        return counts

    def ink(self, x, y, width, height, palette, tolerance=0.12, floor=96):
        """Which colours of palette ({name: rgb}) the rectangle is drawn in, with pixel counts.

        Text on black is anti-aliased into coverage times its colour, and thin strokes never
        reach full coverage, so a pixel whose strongest channel is at least floor is compared
        after scaling both it and the palette colour to a strongest channel of 1.
        """
        def shape(rgb):
            top = max(rgb)
            return tuple(channel / top for channel in rgb)
        shapes = {name: shape(rgb) for name, rgb in palette.items()}
        found = {}
        for colour, count in self.colours(x, y, width, height).items():
            if max(colour) < floor:
                continue
            for name, wanted in shapes.items():
                if all(abs(a - b) <= tolerance for a, b in zip(shape(colour), wanted)):
                    found[name] = found.get(name, 0) + count
        return found


def _window_ids(xprop_output):
    if "#" not in xprop_output:
        return []
    return [int(w, 16) for w in re.findall(r"0x[0-9a-fA-F]+", xprop_output.split("#", 1)[1])]


def main():
    """Entry point of a test file: test_x.py EXECUTABLE [unittest arguments]."""
    if len(sys.argv) < 2 or sys.argv[1].startswith("-"):
        sys.exit(f"usage: {sys.argv[0]} path/to/tavrel-counter [unittest arguments]")
    os.environ["TAVREL_EXECUTABLE"] = os.path.abspath(sys.argv[1])
    unittest.main(module="__main__", argv=[sys.argv[0], *sys.argv[2:]], verbosity=2)


# ---- the accessibility agent ------------------------------------------------------------

def _agent_windows(desktop, pid):
    import pyatspi
    from gi.repository import Atspi

    # Drop whatever was cached: captions are read live from the program on every request.
    Atspi.Accessible.clear_cache(desktop)
    app = None
    for index in range(desktop.childCount):
        candidate = desktop.getChildAtIndex(index)
        if candidate is not None and candidate.get_process_id() == pid:
            app = candidate
            break
    if app is None:
        raise LookupError(f"no accessible application with process id {pid}")
    app.set_cache_mask(Atspi.Cache.NONE)

    def describe(node):
        extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        entry = {
            "role": node.getRoleName(),
            "name": node.name,
            "extents": [extents.x, extents.y, extents.width, extents.height],
            "showing": node.getState().contains(pyatspi.STATE_SHOWING),
        }
        if entry["role"] == "text":
            text = node.queryText()
            entry["text"] = text.getText(0, text.characterCount)
        return entry

    def walk(node, into):
        for index in range(node.childCount):
            child = node.getChildAtIndex(index)
            if child is None:
                continue
            into.append(describe(child))
            walk(child, into)

    windows = []
    for index in range(app.childCount):
        top = app.getChildAtIndex(index)
        if top is None:
            continue
        window = describe(top)
        window["title"] = window.pop("name")
        window["nodes"] = []
        walk(top, window["nodes"])
        windows.append(window)
    return windows


def _agent():
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    for line in sys.stdin:
        request = json.loads(line)
        try:
            if request["op"] == "ping":
                answer = {"result": "pong"}
            elif request["op"] == "windows":
                answer = {"result": _agent_windows(desktop, request["pid"])}
            else:
                answer = {"error": f"unknown request {request['op']!r}"}
        except Exception as error:  # reported to the test, which decides what it means
            answer = {"error": f"{type(error).__name__}: {error}"}
        sys.stdout.write(json.dumps(answer) + "\n")
        sys.stdout.flush()


if __name__ == "__main__" and sys.argv[1:] == ["--atspi-agent"]:
    _agent()
