"""The program in its own Xvfb, openbox, D-Bus session and accessibility bus, all killed at the
end; a failed session leaves a screenshot and the logs in $TAVREL_E2E_ARTIFACTS."""

import functools, json, os, re, select, shutil, signal, subprocess, sys, tempfile, time
from contextlib import suppress
from pathlib import Path

MAIN, FAST, MINI = "Tavrel Counter", "Fast Counter", "Mini Counter"
NOBODY = 65534


class HarnessError(AssertionError):  # a broken environment fails a test, never skips it
    pass


def wait_for(check, timeout=10, what="the expected state", expected=None):
    deadline = time.monotonic() + timeout
    while True:
        try:  # LookupError and HarnessError mean "not yet"
            if (last := check()) if expected is None else (last := check()) == expected:
                return last
        except (LookupError, HarnessError) as error:
            last = error
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}; last: {last!r}")
        time.sleep(0.05)


def read_line(fd, timeout, what):
    deadline, data = time.monotonic() + timeout, b""
    while not data.endswith(b"\n"):
        ready = select.select([fd], [], [], max(0, deadline - time.monotonic()))[0]
        data += (chunk := os.read(fd, 65536) if ready else b"")
        if not chunk:
            raise HarnessError(f"{what} gave no line within {timeout} s")
    return data.decode("utf-8", "replace")


def kill_group(proc):
    for sig in (signal.SIGTERM, signal.SIGKILL):
        with suppress(ProcessLookupError, PermissionError, subprocess.TimeoutExpired):
            os.killpg(proc.pid, sig)
            proc.wait(timeout=2)
    for pipe in filter(None, (proc.stdin, proc.stdout)):
        pipe.close()


def crlf(lines):  # bytes are kept as they are
    return lines if isinstance(lines, bytes) else "".join(f"{n}\r\n" for n in lines).encode()


def cord(*pixels):  # in twips, 15 a pixel
    return [str(value * 15) for value in pixels]


def titled(caption, wanted):  # the Mini Counter's caption may end in " [+2]"
    return caption == wanted or (caption or "").startswith(wanted + " [")


class Session:
    """cord and test (lists of lines, bytes or None) are put beside the copied program."""

    def __init__(self, executable, cord=None, test=None, name="session", start=True,
                 screen="1280x1024x24"):
        self.executable, self.name, self._start_program = executable, name, start
        self.screen = screen
        self._files, self.program, self._procs = dict(cord=cord, test=test), None, []

    def __enter__(self):
        self._tmp = tempfile.mkdtemp(prefix="tavrel-e2e-")
        self.folder, self.home = f"{self._tmp}/program", f"{self._tmp}/home"
        runtime = f"{self.home}/runtime"  # keeps this accessibility bus apart
        os.mkdir(self.folder)
        os.makedirs(runtime, 0o700)
        self.program_path = shutil.copy2(self.executable, self.folder)
        for name, content in self._files.items():
            if content is not None:
                Path(self.folder, name).write_bytes(crlf(content))
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("DBUS_", "AT_SPI", "WAYLAND", "QT_", "XDG_"))}
        self.env.update(HOME=self.home, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8")
        try:
            self.xvfb = self.spawn(["Xvfb", "-displayfd", "1", "-screen", "0", self.screen,
                                    "-nolisten", "tcp", "-noreset"], stdout=subprocess.PIPE)
            self.env["DISPLAY"] = ":" + read_line(self.xvfb.stdout.fileno(), 15, "Xvfb").strip()
            self.spawn(["openbox", "--sm-disable"])
            wait_for(lambda: "#" in self.x(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]), 15)
            bus = self.env["DBUS_SESSION_BUS_ADDRESS"] = f"unix:path={runtime}/bus"
            self.spawn(["dbus-daemon", "--session", "--nofork", f"--address={bus}"])
            wait_for(lambda: self.x(["dbus-send", "--session", "--print-reply",  # starts it
                                     "--dest=org.a11y.Bus", "/org/a11y/bus",
                                     "org.a11y.Bus.GetAddress"]), 15, "the accessibility bus")
            if self._start_program:
                self.start_program()
        except BaseException:
            self.__exit__(True)
            raise
        return self

    def __exit__(self, failed, *_):
        if failed:
            target = f"{os.environ.get('TAVREL_E2E_ARTIFACTS', '/tmp')}/{self.name}-failure"
            shutil.copytree(self._tmp, target, ignore=shutil.ignore_patterns("program", "home"),
                            dirs_exist_ok=True)
            self.x(["import", "-window", "root", os.path.join(target, "screen.png")], check=False)
            print(f"e2e: artefacts of the failed session in {target}", file=sys.stderr)
        for proc in reversed(self._procs):
            kill_group(proc)
        shutil.rmtree(self._tmp, ignore_errors=True)

    def spawn(self, argv, stdin=subprocess.DEVNULL, stdout=None, log=None, env=None, **kwargs):
        with open(f"{self._tmp}/{log or os.path.basename(argv[0])}.log", "ab") as f:
            self._procs.append(subprocess.Popen(argv, stdin=stdin, stdout=stdout or f, stderr=f,
                               env=env or self.env, start_new_session=True, **kwargs))
        return self._procs[-1]

    def start_program(self, args=(), env=None, prefix=(), nobody=False):
        if nobody:  # a user who reaches, but cannot write, the program folder
            os.chmod(self._tmp, 0o711)
            for folder in (self.home, self.env["XDG_RUNTIME_DIR"]):
                os.chown(folder, NOBODY, NOBODY)
            prefix = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", "--"]
        env = {**self.env, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb",
               **(env or {})}
        self.program = self.spawn([*prefix, self.program_path, *args], log="program", env=env,
                                  cwd=self._tmp)

    def read_file(self, name):
        return Path(self.folder, name).read_bytes()

    def x(self, argv, check=True):
        done = subprocess.run(argv, env=self.env, capture_output=True, timeout=60)
        if check and done.returncode:
            raise HarnessError(f"{' '.join(argv)}: {done.stderr.decode(errors='replace')}")
        return done.stdout.decode("utf-8", "replace")

    def prop(self, win, name):
        return self.x(["xprop", "-id", str(win), name], check=False)

    def stacking(self):  # {id: caption} bottom to top; a killed client's unnamed ids left out
        listed = self.x(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"])
        names = {win: self.prop(win, "WM_NAME") for win in re.findall(r"0x[0-9a-f]+", listed)}
        return {w: out.partition('"')[2].rstrip()[:-1] for w, out in names.items() if '"' in out}

    def wait_windows(self, captions, timeout=10):  # until exactly these; {caption: id}
        def shown():
            seen = self.stacking()
            found = {want: w for want in captions for w, c in seen.items() if titled(c, want)}
            return len(seen) == len(found) == len(captions) and found
        return wait_for(shown, timeout, f"the windows {captions}")

    def find_window(self, caption):
        return wait_for(lambda: len(found := [w for w, c in self.stacking().items()
                                              if titled(c, caption)]) == 1 and found[0],
                        what=f"one window named {caption!r}")

    def click(self, win, x, y, button=1):
        # in win's client area (None: the screen); --sync would wait forever if already there
        where = ["--window", str(win)] if win else []
        self.x(["xdotool", "mousemove", *where, str(x), str(y), "click", str(button)])

    def press_fast_counter(self, button=1):
        self.click(self.find_window(FAST), 3, 3, button)

    def _ask(self, op, **request):  # libatspi binds to one bus per process: a new one asks
        request.update(op=op, pid=self.program.pid)
        return json.loads(self.x(["/usr/bin/python3", "-B", os.path.abspath(__file__),
                                  "--atspi-agent", json.dumps(request)]))

    def nodes(self, window=None):  # of window (None: all) in tree order; keys: see walk below
        return self._ask("nodes", window=window)

    def act(self, node, action=None, text=None):  # an action by name, or else a new text
        self._ask("act", path=node["path"], action=action, text=text)

    def boxes(self, window):
        return [node for node in self.nodes(window) if node["role"] == "text"]

    def wait_texts(self, window, texts):
        return wait_for(lambda: [box["text"] for box in self.boxes(window)], 10, "the boxes", texts)

    def type_into_box(self, window, index, text):  # a click, End, then text typed
        self.x(["xdotool", "windowactivate", "--sync", str(self.find_window(window))])
        x, y, width, height = wait_for(lambda: self.boxes(window)[index]["extents"], 10, "a box")
        self.click(None, x + width // 2, y + height // 2)
        self.x(["xdotool", "key", "End", "type", "--delay", "20", "--", text])


def _agent(op, pid, path=(), window=None, action=None, text=None):
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
    Atspi.init()

    def children(node):
        return [(i, c) for i in range(node.get_child_count())
                if (c := node.get_child_at_index(i)) is not None]

    def actions(node):
        return [Atspi.Action.get_action_name(node, i)
                for i in range(Atspi.Action.get_n_actions(node))]

    def walk(node, path, window):
        box, kinds = Atspi.Component.get_extents(node, 0), node.get_interfaces()  # 0: SCREEN
        yield {"window": window, "path": path, "role": node.get_role_name(),
               "name": node.get_name(), "extents": [box.x, box.y, box.width, box.height],
               "states": [s.value_nick for s in node.get_state_set().get_states()],
               **({"text": Atspi.Text.get_text(node, 0, -1)} if "Text" in kinds else {}),
               **({"actions": actions(node)} if "Action" in kinds else {})}
        for index, child in children(node):
            yield from walk(child, path + [index], window)

    node = next(app for _, app in children(Atspi.get_desktop(0)) if app.get_process_id() == pid)
    node = functools.reduce(Atspi.Accessible.get_child_at_index, path, node)
    if op == "act" and action is None:
        return Atspi.EditableText.set_text_contents(node, text)
    if op == "act":
        return Atspi.Action.do_action(node, actions(node).index(action))
    return [entry for index, top in children(node)
            if window is None or titled(top.get_name(), window)
            for entry in walk(top, [index], top.get_name())]


if __name__ == "__main__" and sys.argv[1:2] == ["--atspi-agent"]:
    print(json.dumps(_agent(**json.loads(sys.argv[2]))))
