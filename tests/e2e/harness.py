#!/usr/bin/python3
"""End-to-end harness: the program in a private Xvfb with openbox and its own D-Bus session
and accessibility bus, all killed at the end; a failing session leaves a screenshot and the
logs in $TAVREL_E2E_ARTIFACTS. The accessibility tree is read by an agent process (this file
with --atspi-agent, a JSON line per request): libatspi binds to one bus per process."""

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
from contextlib import suppress

TWIPS = 15  # per pixel: the unit of the positions in "cord"
MAIN, FAST, MINI = "Tavrel Counter", "Fast Counter", "Mini Counter"
NOBODY = 65534
AS_NOBODY = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", "--"]


class HarnessError(AssertionError):
    """A broken test environment counts as a failure, never as a skip."""


def executable():
    return os.environ["TAVREL_EXECUTABLE"]


def wait_for(check, timeout=10, what="the expected state", expected=None):
    """Polls check() until it returns expected (when given) or else a true value, which is
    returned; LookupError and HarnessError count as "not yet"."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            last = check()
            if last == expected if expected is not None else last:
                return last
        except (LookupError, HarnessError) as error:
            last = error
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what} "
                                 f"{'' if expected is None else f'to be {expected!r}'}; "
                                 f"last seen: {last!r}")
        time.sleep(0.05)


def read_line(fd, timeout, what):
    """One line from a pipe whose writer sends nothing more until it is asked again."""
    deadline, data = time.monotonic() + timeout, b""
    while not data.endswith(b"\n"):
        if not select.select([fd], [], [], max(0, deadline - time.monotonic()))[0]:
            raise HarnessError(f"{what} gave no answer within {timeout} s")
        chunk = os.read(fd, 65536)
        if not chunk:
            raise HarnessError(f"{what} closed its output")
        data += chunk
    return data.decode("utf-8", "replace")


def kill_group(proc, grace=2.0):
    """Ends a process started in its own session, and everything left in its group."""
    for sig in (signal.SIGTERM, signal.SIGKILL) if proc else ():
        with suppress(ProcessLookupError, PermissionError):
            os.killpg(proc.pid, sig)
        with suppress(subprocess.TimeoutExpired):
            proc.wait(timeout=grace)
    for pipe in (proc.stdin, proc.stdout) if proc else ():
        with suppress(OSError, AttributeError):
            pipe.close()


def crlf(lines):
    return "".join(f"{line}\r\n" for line in lines).encode("utf-8")


def cord(*pixels):
    """The lines of "cord" putting the windows' outer corners at these pixel positions."""
    return [str(value * TWIPS) for value in pixels]


def titled(caption, wanted):
    """The Mini Counter's caption carries the difference of its counts: "Mini Counter [+2]"."""
    return caption == wanted or (caption or "").startswith(wanted + " [")


def _ids(xprop_line):
    return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", xprop_line.partition("#")[2], re.I)]


class Session:
    """cord and test, put beside the copied program first, are lists of lines, bytes or None;
    program is the running program's Popen."""

    def __init__(self, executable, cord=None, test=None, name="session", start=True):
        self.executable, self.name, self._start_program = executable, name, start
        self._files = {"cord": cord, "test": test}
        self._tmp = self.program = self._agent = None
        self._procs, self._logs = [], []

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.__exit__(True)
            raise
        return self

    def __exit__(self, failed, *_):
        if failed and self._tmp:
            target = os.path.join(os.environ.get("TAVREL_E2E_ARTIFACTS", tempfile.gettempdir()),
                                  f"{self.name}-failure")
            os.makedirs(target, exist_ok=True)
            with suppress(Exception):  # without a display, the logs still tell
                self.x(["import", "-window", "root", os.path.join(target, "screen.png")])
            for path in filter(os.path.exists, self._logs):
                shutil.copy(path, target)
            print(f"e2e: artefacts of the failed session in {target}", file=sys.stderr)
        for proc in [self.program, *reversed(self._procs)]:
            kill_group(proc)
        if self._tmp:
            shutil.rmtree(self._tmp, ignore_errors=True)

    def _start(self):
        self._tmp = tempfile.mkdtemp(prefix="tavrel-e2e-")
        self.folder, self.home = (os.path.join(self._tmp, name) for name in ("program", "home"))
        runtime = os.path.join(self.home, "runtime")
        for folder in (self.folder, self.home, runtime):
            os.mkdir(folder, 0o700 if folder == runtime else 0o755)
        self.program_path = shutil.copy2(self.executable, self.folder)
        for file_name, content in self._files.items():
            if content is not None:
                with open(os.path.join(self.folder, file_name), "wb") as f:
                    f.write(content if isinstance(content, bytes) else crlf(content))
        self._logs.append(os.path.join(self._tmp, "program.log"))
        # A private runtime folder keeps this session's accessibility bus apart from others.
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("DBUS_", "AT_SPI", "WAYLAND", "QT_", "XDG_"))}
        self.env.update(HOME=self.home, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8")
        read_end, write_end = os.pipe()
        self.xvfb = self.spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                               pass_fds=(write_end,))
        os.close(write_end)
        with open(read_end):
            self.env["DISPLAY"] = ":" + read_line(read_end, 15, "Xvfb").strip()
        self.spawn(["openbox", "--sm-disable"])
        wait_for(lambda: _ids(self.prop("-root", "_NET_SUPPORTING_WM_CHECK")), 15, "openbox")
        with self.spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                        stdout=subprocess.PIPE).stdout as pipe:
            self.env["DBUS_SESSION_BUS_ADDRESS"] = read_line(pipe.fileno(), 15, "dbus").strip()
        self.x(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                "/org/a11y/bus", "org.a11y.Bus.GetAddress"])
        if self._start_program:
            self.start_program()

    def spawn(self, argv, stdin=subprocess.DEVNULL, stdout=None, **kwargs):
        """Another program on this display, killed at the end."""
        name = f"{len(self._logs)}-{os.path.basename(argv[0])}.log"
        self._logs.append(os.path.join(self._tmp, name))
        with open(self._logs[-1], "wb") as log:
            proc = subprocess.Popen(argv, env=self.env, stdin=stdin, stdout=stdout or log,
                                    stderr=log, start_new_session=True, **kwargs)
        self._procs.append(proc)
        return proc

    def start_program(self, args=(), env=None, prefix=()):
        """Starts the program (again, once it ended) through the command prefix."""
        env = {**self.env, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb",
               **(env or {})}
        with open(self._logs[0], "ab") as log:
            self.program = subprocess.Popen([*prefix, self.program_path, *args], env=env,
                                            cwd=self._tmp, stdin=subprocess.DEVNULL,
                                            stdout=log, stderr=log, start_new_session=True)

    def as_nobody(self):
        """Lets the unprivileged user (the program run through AS_NOBODY) reach, not write,
        the program folder, and own the home."""
        os.chmod(self._tmp, 0o711)
        for folder in (self.home, self.env["XDG_RUNTIME_DIR"]):
            os.chown(folder, NOBODY, NOBODY)

    def stderr(self):
        with open(self._logs[0], "rb") as f:
            return f.read().decode("utf-8", "replace")

    def read_file(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()


    def x(self, argv, check=True):
        """Runs a client of this display; its standard output."""
        done = subprocess.run(argv, env=self.env, capture_output=True, timeout=60)
        if check and done.returncode:
            raise HarnessError(f"{' '.join(argv)}: {done.stderr.decode(errors='replace')}")
        return done.stdout.decode("utf-8", "replace")

    def prop(self, win, name):
        """xprop's line for one property of win (a window id, or "-root")."""
        return self.x(["xprop", *(["-root"] if win == "-root" else ["-id", str(win)]), name],
                      check=False)

    def stacking(self):
        """Managed windows, bottom to top, with their captions."""
        return {win: self.prop(win, "WM_NAME").partition('"')[2].rstrip()[:-1]
                for win in _ids(self.prop("-root", "_NET_CLIENT_LIST_STACKING"))}

    def wait_windows(self, captions, timeout=10):
        """Until exactly the windows with these captions are managed; {caption: id}."""
        def shown():
            seen = self.stacking()
            found = {want: [w for w, c in seen.items() if titled(c, want)] for want in captions}
            if len(seen) != len(captions) or any(len(wins) != 1 for wins in found.values()):
                raise LookupError(f"windows {sorted(seen.values())}")
            return {want: wins[0] for want, wins in found.items()}
        return wait_for(shown, timeout, f"the windows {captions}")

    def find_window(self, caption):
        def one():
            found = [win for win, seen in self.stacking().items() if titled(seen, caption)]
            return len(found) == 1 and found[0]
        return wait_for(one, 10, f"one window named {caption!r}")

    def outer_position(self, win):
        """Top-left corner of the window's frame (under a reparenting window manager
        xdotool's geometry counts the frame twice)."""
        x, y = (int(n) for n in re.findall(r"Absolute upper-left .:\s*(-?\d+)",
                                           self.x(["xwininfo", "-id", str(win)])))
        frame = re.findall(r"\d+", self.prop(win, "_NET_FRAME_EXTENTS").partition("=")[2])
        return x - int(frame[0]), y - int(frame[2])

    def move(self, win, x, y):
        """Drops the window, frame included, at x, y as a window manager move would."""
        self.x(["xdotool", "windowmove", str(win), str(x), str(y)])
        wait_for(lambda: self.outer_position(win), what=f"window {win}'s place", expected=(x, y))

    def click(self, win, x, y, button=1):
        """A real press and release at x, y inside win's client area (win None: the
        screen). No --sync: it waits forever when the pointer is there already."""
        where = ["--window", str(win)] if win else []
        self.x(["xdotool", "mousemove", *where, str(x), str(y), "click", str(button)])

    def press_fast_counter(self, button=1):
        """A press on the Fast Counter outside its captions."""
        self.click(self.find_window(FAST), 3, 3, button)

    def key(self, *keys):
        self.x(["xdotool", "key", "--", *keys])

    def type(self, text):
        self.x(["xdotool", "type", "--delay", "20", "--", text])

    def copy(self, data, target=None):
        """Another program takes the clipboard and serves data until someone else takes it."""
        proc = self.spawn(["xclip", "-quiet", "-selection", "clipboard",
                           *(["-t", target] if target else []), "-i"], stdin=subprocess.PIPE)
        with proc.stdin as pipe:
            pipe.write(data.encode("utf-8") if isinstance(data, str) else data)


    def _ask(self, request):
        if self._agent is None:
            self._agent = self.spawn(["/usr/bin/python3", "-B", os.path.abspath(__file__),
                                      "--atspi-agent"], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE)
        try:
            self._agent.stdin.write((json.dumps(request) + "\n").encode())
            self._agent.stdin.flush()
            answer = json.loads(read_line(self._agent.stdout.fileno(), 30, "the agent"))
        except (OSError, HarnessError):
            kill_group(self._agent)  # a late answer would be taken for the next one
            self._agent = None
            raise
        if "error" in answer:
            raise HarnessError("accessibility: " + answer["error"])
        return answer["result"]

    def nodes(self, window=None):
        """Every accessible node of the program's windows captioned window (None: all), in
        tree order: {"window", "path", "role", "name", "states", "extents" (on the screen)
        and, where the node has them, "text" and "actions"}."""
        return self._ask({"op": "nodes", "pid": self.program.pid, "window": window})

    def act(self, node, action):
        """Invokes the node's action called action (e.g. "Press")."""
        self._ask({"op": "act", "pid": self.program.pid, "path": node["path"],
                   "action": action})

    def set_text(self, node, text):
        """Sets the node's text through the accessibility bus, as assistive technology does."""
        self._ask({"op": "set_text", "pid": self.program.pid, "path": node["path"],
                   "text": text})

    def click_node(self, node):
        x, y, width, height = node["extents"]
        self.click(None, x + width // 2, y + height // 2)

    def box_texts(self, window):
        return [node["text"] for node in self.nodes(window) if node["role"] == "text"]

    def type_into_box(self, window, index, text):
        """A click into the window's index-th text box, End, then text typed."""
        self.x(["xdotool", "windowactivate", "--sync", str(self.find_window(window))])
        boxes = wait_for(lambda: [n for n in self.nodes(window) if n["role"] == "text"],
                         what=f"the text boxes of {window!r}")
        self.click_node(boxes[index])
        self.key("End")
        self.type(text)

    def fast_count(self):
        """The number the Fast Counter shows: its one numeric caption."""
        counts = [node["name"] for node in self.nodes(FAST)
                  if node["role"] == "label" and node["name"].isdigit()]
        if len(counts) != 1:
            raise LookupError(f"numeric captions {counts}")
        return counts[0]


def main():
    """Entry point of a test file: test_x.py EXECUTABLE [unittest arguments]."""
    if len(sys.argv) < 2 or sys.argv[1].startswith("-"):
        sys.exit(f"usage: {sys.argv[0]} path/to/tavrel-counter [unittest arguments]")
    os.environ["TAVREL_EXECUTABLE"] = os.path.abspath(sys.argv[1])
    unittest.main(module="__main__", argv=[sys.argv[0], *sys.argv[2:]], verbosity=2)


def _agent():
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
    Atspi.init()
    desktop = Atspi.get_desktop(0)

    def children(node):
        return [(i, node.get_child_at_index(i)) for i in range(node.get_child_count())]

    def application(pid):
        Atspi.Accessible.clear_cache(desktop)  # everything is read live from the program
        for _, app in children(desktop):
            if app is not None and app.get_process_id() == pid:
                app.set_cache_mask(Atspi.Cache.NONE)
                return app
        raise LookupError(f"no accessible application with process id {pid}")

    def actions(node):
        return [Atspi.Action.get_action_name(node, i)
                for i in range(Atspi.Action.get_n_actions(node))]

    def walk(node, path, window):
        box = Atspi.Component.get_extents(node, Atspi.CoordType.SCREEN)
        entry = {"window": window, "path": path, "role": node.get_role_name(),
                 "name": node.get_name(), "extents": [box.x, box.y, box.width, box.height],
                 "states": [s.value_nick for s in node.get_state_set().get_states()]}
        if "Text" in node.get_interfaces():
            entry["text"] = Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))
        if "Action" in node.get_interfaces():
            entry["actions"] = actions(node)
        yield entry
        for index, child in children(node):
            if child is not None:
                yield from walk(child, path + [index], window)

    def nodes(pid, window):
        return [entry for index, top in children(application(pid)) if top is not None and
                (window is None or titled(top.get_name(), window))
                for entry in walk(top, [index], top.get_name())]

    def find(pid, path):
        node = application(pid)
        for index in path:
            node = node.get_child_at_index(index)
        return node

    def act(pid, path, action):
        node = find(pid, path)
        return Atspi.Action.do_action(node, actions(node).index(action))

    def set_text(pid, path, text):
        return Atspi.EditableText.set_text_contents(find(pid, path), text)

    for line in sys.stdin:
        request = json.loads(line)
        try:
            answer = {"result": {"nodes": nodes, "act": act, "set_text": set_text}[request.pop("op")](**request)}
        except Exception as error:  # reported to the test, which decides what it means
            answer = {"error": f"{type(error).__name__}: {error}"}
        sys.stdout.write(json.dumps(answer) + "\n")
        sys.stdout.flush()


if __name__ == "__main__" and sys.argv[1:] == ["--atspi-agent"]:
    _agent()
