#!/usr/bin/python3
"""End-to-end benchmark: the real program under Xvfb beside a minimal Qt widget program.

Run from anywhere (Debian's own python3, which python3-pyatspi installs into):

    /usr/bin/python3 bench/run_bench.py            # builds build-bench (Release), then measures
    /usr/bin/python3 bench/run_bench.py --no-build # measures what build-bench holds
    /usr/bin/python3 bench/run_bench.py --only startup,idle   # some parts only

It prints the machine, then one Markdown table: every figure of the program beside the same
figure of bench/minimal_qt (a QApplication with one shown QWidget holding one QLabel; with
--count-clipboard it shows the clipboard's length, with --line-edit a plain QLineEdit) where
one applies, with the ratio and the target. Figures are reported, never asserted: machines
are shared and noisy, so the load average is printed too.

How each figure is taken, all in a private X server (Xvfb, openbox, a private D-Bus session
with the accessibility bus, tests/e2e/harness.py):

- Idle CPU: utime + stime of the process, from /proc/<pid>/stat, over 20 s of doing nothing
  after start-up or a switch has settled (2 s), as a share of one core. The switches between
  working modes are real left presses on the Fast Counter's margin. The accessibility bridge
  is off here, as on a desktop without a screen reader. Beside it: wake-ups per second
  (voluntary context switches of the threads alive at both ends) and the CPU the X server and the
  window manager spent in the same 20 s. Also measured with the caret blinking in a focused
  box that holds 32767 characters.
- Copy-to-count latency: another program (xclip) takes the clipboard with a text of a new
  length; the clock starts when xclip reports on stderr that it has asked for the selection
  and stops at the reply to the first accessibility-bus read of the count label (`cont`, or
  the minimal program's label in its --count-clipboard mode) that carries the new count. The
  label is read every 5 ms; one read is a D-Bus round trip of about a millisecond, so the
  figure is late by up to about 6 ms, for both programs alike. A label's text is painted in
  the same turn of the event loop that set it.
- Time to the first shown window: from just before exec to the MapNotify of the first frame
  on the root window, seen by `xev -root -event substructure` (event driven, so nothing polls
  the machine while the programs start); beside it the CPU time the program had used by then
  (/proc/<pid>/task/*/schedstat), which a busy machine disturbs less. A window is mapped
  before anything is painted in it, and a program may leave work until its first paint (the
  minimal program loads its font only then), so the time to the first painted window is
  taken too: bench/first_frame.c, preloaded into both programs, notes when the first picture
  of a window goes to the X server. Warm starts: one run of each program is thrown away first. Peak resident memory: VmHWM of /proc/<pid>/status 2 s
  after the first window.
- Longest event-loop stall: Qt answers accessibility calls from its event loop, so a blocked
  loop shows as a slow reply. While the program reads a 5,000,000-character clipboard text,
  and while xdotool types 1,000 characters at the end of Text2 (empty, or holding 31767
  characters; the minimal program: its QLineEdit), a label's name is read every 10 ms and
  the longest reply is the stall (a stall of S gives a reply of at least S - 10 ms); the
  median reply is the baseline cost of one read. Beside it the CPU per typed character and
  how far the count was behind when the last key was sent. The same typing into the minimal
  program's box in the program's font, with and without QFont::PreferNoShaping, shows what
  the font costs.
- Counting: bench/count_bench (Google Benchmark), the median and the least of 10 repetitions
  of the four counts of a full 32767-character box.
"""

import argparse
import json
import os
import platform as pyplatform
import random
import re
import select
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
import harness  # noqa: E402

TWIPS = harness.TWIPS_PER_PIXEL
MINIMAL_TITLE = "Minimal Qt"
# Outer positions of the main window, the Fast Counter and the Mini Counter, in pixels.
CORD = [str(value * TWIPS) for value in (200, 160, 600, 100, 300, 600)]
TEXTS = ["Ciao", "Salve!"]
MARGIN = (3, 3)  # on the Fast Counter, outside its three captions
SETTLE_S = 2.0
BIG_TEXT_CHARS = 5_000_000
TYPED_CHARS = 1000
FULL_BOX = 32767
# Typing cases: characters in the box at first, xdotool's pause between characters. xdotool
# types at about 19 characters a second with 100 ms, 80 with 20 ms (several times a fast
# typist), and floods the program with 1 ms.
TYPING_CASES = [(0, 20), (0, 1), (FULL_BOX - TYPED_CHARS, 100), (FULL_BOX - TYPED_CHARS, 20),
                (FULL_BOX - TYPED_CHARS, 1)]
# The font of the program's text boxes (platform/controls.cpp), for the minimal program's box.
DESIGN_FONT = "Roboto Condensed,8"
# The minimal program's line edit: Qt's default font, the design font, and the design font with
# QFont::PreferNoShaping. The first is the floor; the others show what the font costs.
MINIMAL_BOX_VARIANTS = {
    "minimal_full_box": (),
    "minimal_design_font": ("--font", DESIGN_FONT),
    "minimal_design_font_no_shaping": ("--font", DESIGN_FONT, "--no-shaping"),
}
CLK_TCK = os.sysconf("SC_CLK_TCK")


# ---- processes and /proc -------------------------------------------------------------------

def cpu_ticks(pid):
    """utime + stime of all the threads of pid, in clock ticks."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # fields 14 and 15 of stat(5)


def context_switches(pid):
    """{thread id: voluntary context switches so far} of every thread of pid."""
    counts = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                # Voluntary ones only: a thread that waits and is woken. Preemption by other
                # programs on a busy machine is not the program's doing.
                counts[task] = sum(int(line.split()[1]) for line in f
                                   if line.startswith("voluntary_ctxt_switches"))
        except FileNotFoundError:
            pass  # a thread that ended meanwhile
    return counts


def switches_since(pid, before):
    """Context switches since before, of the threads alive now (a thread that ended takes
    its count with it, so it is left out rather than subtracted)."""
    return sum(count - before.get(task, 0) for task, count in context_switches(pid).items())


def on_cpu_ms(pid):
    """Time the threads of pid alive now have run, from /proc/<pid>/task/*/schedstat."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except FileNotFoundError:
            pass
    return total / 1e6


def memory_kib(pid):
    values = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("VmHWM", "VmRSS"):
                values[key] = int(rest.split()[0])
    return values


class Program:
    """A program started in its own process group on a session's display, without the
    accessibility bridge (as on a desktop without a screen reader)."""

    def __init__(self, session, argv, extra_env=None):
        env = dict(session.env, QT_QPA_PLATFORM="xcb", **(extra_env or {}))
        self.proc = subprocess.Popen(argv, env=env, cwd=session.folder,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, start_new_session=True)
        self.pid = self.proc.pid

    def stop(self):
        harness._kill_group(self.proc)


def helper_pids(session):
    """The X server and the window manager of the session (the harness starts both)."""
    return [proc.pid for proc in (session._xvfb, session._openbox) if proc is not None]


def idle_share(pid, others, seconds):
    """CPU share of one core of pid (and of the processes in others) over seconds."""
    start = time.monotonic()
    ticks, switches = cpu_ticks(pid), context_switches(pid)
    other_ticks = sum(cpu_ticks(p) for p in others)
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    ticks, switches = cpu_ticks(pid) - ticks, switches_since(pid, switches)
    other_ticks = sum(cpu_ticks(p) for p in others) - other_ticks
    return {"cpu_pct": 100.0 * ticks / CLK_TCK / elapsed,
            "wakeups_per_s": switches / elapsed,
            "x_wm_cpu_pct": 100.0 * other_ticks / CLK_TCK / elapsed}


# ---- the accessibility reader ------------------------------------------------------------

class Reader:
    """A process on the session's accessibility bus that finds labels and times reads of their
    names (one JSON line per request; the poll request answers twice: started, then done)."""

    def __init__(self, session):
        self._proc = subprocess.Popen([harness.DEBIAN_PYTHON, "-B", os.path.abspath(__file__),
                                       "--reader"], env=session.env, stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                      start_new_session=True)
        self.ask({"op": "ping"})

    def send(self, request):
        self._proc.stdin.write((json.dumps(request) + "\n").encode())
        self._proc.stdin.flush()

    def answer(self, timeout=90):
        line = harness._read_line(self._proc.stdout.fileno(), timeout, "the reader")
        reply = json.loads(line)
        if "error" in reply:
            raise harness.HarnessError("reader: " + reply["error"])
        return reply["result"]

    def ask(self, request, timeout=90):
        self.send(request)
        return self.answer(timeout)

    def locate(self, pid, title, x=None, y=None):
        """A handle on the showing label at x, y (pixels, client area) of the window titled
        title, or on its only label when x is None."""
        return harness.wait_for(
            lambda: self.ask({"op": "locate", "pid": pid, "title": title, "x": x, "y": y}),
            timeout=20, what=f"a label in {title!r} on the accessibility bus")["handle"]

    def start_poll(self, handle, interval, expected=None, after=0.0, duration=None,
                   timeout=30.0):
        """Starts reading the label every interval seconds, until it shows expected (and
        after seconds more) or for duration seconds. finish_poll() returns the figures."""
        self.send({"op": "poll", "handle": handle, "interval": interval, "expected": expected,
                   "after": after, "duration": duration, "timeout": timeout})
        return self.answer()  # "started"

    def finish_poll(self):
        return self.answer()

    def close(self):
        try:
            self._proc.stdin.close()
        except OSError:
            pass
        harness._kill_group(self._proc)
        self._proc.stdout.close()


def _reader():
    import pyatspi
    from gi.repository import Atspi

    # A stalled program must show as a slow reply, not as a call given up after 0.8 s.
    Atspi.set_timeout(60000, 60000)
    desktop = pyatspi.Registry.getDesktop(0)
    handles = {}

    def application(pid):
        Atspi.Accessible.clear_cache(desktop)
        for index in range(desktop.childCount):
            candidate = desktop.getChildAtIndex(index)
            if candidate is not None and candidate.get_process_id() == pid:
                candidate.set_cache_mask(Atspi.Cache.NONE)
                return candidate
        raise LookupError(f"no accessible application with process id {pid}")

    def labels(node):
        for index in range(node.childCount):
            child = node.getChildAtIndex(index)
            if child is None:
                continue
            if child.getRoleName() == "label" and child.getState().contains(
                    pyatspi.STATE_SHOWING):
                yield child
            yield from labels(child)

    def locate(request):
        app = application(request["pid"])
        for index in range(app.childCount):
            window = app.getChildAtIndex(index)
            if window is None or not harness.title_matches(window.name, request["title"]):
                continue
            wx, wy = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)[:2]
            hits = []
            for label in labels(window):
                x, y = label.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)[:2]
                if request["x"] is None or (abs(x - wx - request["x"]) <= 1
                                            and abs(y - wy - request["y"]) <= 1):
                    hits.append(label)
            if len(hits) == 1:
                handles[len(handles)] = hits[0]
                return {"handle": len(handles) - 1, "name": hits[0].name}
            raise LookupError(f"{len(hits)} labels match in {request['title']!r}")
        raise LookupError(f"no window {request['title']!r}")

    def poll(request):
        node = handles[request["handle"]]
        interval, expected = request["interval"], request["expected"]
        began = time.monotonic()
        calls, seen, name = [], None, None
        next_call = began
        while True:
            start = time.monotonic()
            name = node.name
            end = time.monotonic()
            calls.append((start - began, end - start))
            if seen is None and expected is not None and name == expected:
                seen = end
            if seen is not None and end >= seen + request["after"]:
                break
            if request["duration"] is not None and end - began >= request["duration"]:
                break
            if end - began >= request["timeout"]:
                break
            next_call = max(next_call + interval, end)
            time.sleep(max(0.0, next_call - time.monotonic()))
        replies = [dt for _, dt in calls]
        worst = max(range(len(calls)), key=lambda i: calls[i][1])
        return {"seen": seen, "last": name, "began": began, "calls": len(calls),
                "max_reply": replies[worst], "max_reply_at": calls[worst][0],
                "median_reply": statistics.median(replies)}

    for line in sys.stdin:
        request = json.loads(line)
        try:
            if request["op"] == "ping":
                answer = {"result": "pong"}
            elif request["op"] == "locate":
                answer = {"result": locate(request)}
            elif request["op"] == "poll":
                sys.stdout.write(json.dumps({"result": "started"}) + "\n")
                sys.stdout.flush()
                answer = {"result": poll(request)}
            else:
                answer = {"error": f"unknown request {request['op']!r}"}
        except Exception as error:  # reported to the script, which decides what it means
            answer = {"error": f"{type(error).__name__}: {error}"}
        sys.stdout.write(json.dumps(answer) + "\n")
        sys.stdout.flush()


# ---- copies made by another program --------------------------------------------------------

class Copier:
    """xclip taking the clipboard, as another program copies; the time it owns it is noted."""

    def __init__(self, session):
        self._session = session
        self._procs = []

    def copy(self, data=None, path=None, target=None):
        """Returns when xclip was started and when it reported asking for the selection."""
        started = time.monotonic()
        argv = ["xclip", "-quiet", "-selection", "clipboard"]
        if target:
            argv += ["-t", target]
        argv += ["-i"] + ([path] if path else [])
        proc = subprocess.Popen(argv, env=self._session.env, stdin=subprocess.PIPE,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                start_new_session=True)
        self._procs.append(proc)
        if data is not None:
            proc.stdin.write(data)
        proc.stdin.close()
        # xclip prints this once it has asked the X server for the selection.
        line = harness._read_line(proc.stderr.fileno(), 30, "xclip")
        owned = time.monotonic()
        if "Waiting for selection request" not in line:
            raise harness.HarnessError(f"xclip said {line!r}")
        return started, owned

    def close(self):
        for proc in self._procs:
            harness._kill_group(proc, grace=0.5)
            proc.stderr.close()
        self._procs = []


def new_length_texts(count, rng):
    """count ASCII texts whose lengths all differ, in an order where each differs from the
    one before (and from 0)."""
    lengths = rng.sample(range(20, 2000), count)
    words = ["Ciao", "mondo", "testo", "della", "cartuccia", "tradotto", "bene", "sì"]
    texts = []
    for length in lengths:
        text = ""
        while len(text) < length:
            text += rng.choice(words).replace("ì", "i") + rng.choice([" ", ". ", ", "])
        texts.append(text[:length])
    return texts


def copy_latencies(session, reader, handle, texts):
    """Seconds from each copy to its count: from xclip's report that it asked for the
    selection, and from xclip's start (which adds its own start-up)."""
    copier = Copier(session)
    from_owner, from_start = [], []
    try:
        for text in texts:
            reader.start_poll(handle, 0.005, expected=str(len(text)), timeout=10)
            started, owned = copier.copy(text.encode())
            result = reader.finish_poll()
            if result["seen"] is None:
                raise harness.HarnessError(
                    f"the count never showed {len(text)} (last seen {result['last']!r})")
            from_owner.append(result["seen"] - owned)
            from_start.append(result["seen"] - started)
    finally:
        copier.close()
    return {"from_owner": from_owner, "from_start": from_start}


def big_and_picture(session, reader, handle, big_path, png_path):
    """The stall while a 5,000,000-character text is read, and what a picture shows."""
    copier = Copier(session)
    try:
        baseline = reader.start_poll(handle, 0.010, duration=2.0)
        baseline = reader.finish_poll()
        reader.start_poll(handle, 0.010, expected=str(BIG_TEXT_CHARS), after=1.0, timeout=60)
        _, owned = copier.copy(path=big_path)
        big = reader.finish_poll()
        picture_shown = None
        if big["seen"] is not None:
            reader.start_poll(handle, 0.010, expected="0", timeout=10)
            copier.copy(path=png_path, target="image/png")
            picture_shown = reader.finish_poll()["last"]
    finally:
        copier.close()
    return {"baseline_median": baseline["median_reply"], "baseline_max": baseline["max_reply"],
            "max_reply": big["max_reply"], "median_reply": big["median_reply"],
            "shown": big["last"],
            "copy_to_count": None if big["seen"] is None else big["seen"] - owned,
            "picture_shows": picture_shown}


# ---- the measurements ----------------------------------------------------------------------

def press_fast_counter(session):
    session.click(session.find_window(harness.FAST), *MARGIN, 1)


def first_frame_time(log_path, deadline):
    """CLOCK_MONOTONIC seconds of the first window picture first_frame.c noted, or None."""
    while time.monotonic() < deadline:
        try:
            with open(log_path) as f:
                line = f.readline()
            if line.endswith("\n"):
                return float(line.split()[1]) / 1000
        except FileNotFoundError:
            pass
        time.sleep(0.01)
    return None


def measure_startup(executable, args, name, first_frame_library):
    """Seconds from exec to the first (and second) frame mapped and to the first window
    picture sent to the X server, the CPU used by the first map, and memory after settling."""
    with harness.Session(executable, cord=CORD, test=TEXTS, name=name,
                         start_program=False) as session:
        xev = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure",
                                "-event", "property"], env=session.env, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, start_new_session=True)
        program = None
        try:
            fd = xev.stdout.fileno()
            # Ready once it reports a change of a property of the root window.
            buffered = b""
            deadline = time.monotonic() + 10
            while b"PropertyNotify" not in buffered:
                if time.monotonic() > deadline:
                    raise harness.HarnessError("xev saw nothing")
                subprocess.run(["xprop", "-root", "-f", "_TAVREL_BENCH", "8s", "-set",
                                "_TAVREL_BENCH", "ready"], env=session.env, check=True)
                while select.select([fd], [], [], 0.1)[0]:
                    buffered += os.read(fd, 65536)
            maps, cpu_at_first_map = [], None
            frame_log = os.path.join(session.folder, "first-frame.log")
            started = time.monotonic()
            program = Program(session, [session.program_path, *args],
                              {"LD_PRELOAD": first_frame_library,
                               "TAVREL_FIRST_FRAME_LOG": frame_log})
            buffered = b""
            deadline = started + 20
            while len(maps) < 2 and time.monotonic() < deadline:
                # After the first window, a second one has a second to follow.
                limit = min(deadline, started + maps[0] + 1.0) if maps else deadline
                wait = limit - time.monotonic()
                if wait <= 0 or not select.select([fd], [], [], wait)[0]:
                    break
                chunk = os.read(fd, 65536)
                now = time.monotonic()
                if not maps and b"MapNotify event" in chunk:
                    cpu_at_first_map = on_cpu_ms(program.pid)
                maps += [now - started] * chunk.count(b"MapNotify event")
                buffered += chunk
            if not maps:
                raise harness.HarnessError(f"no window of {name} was mapped")
            painted = first_frame_time(frame_log, started + 20)
            time.sleep(SETTLE_S)
            memory = memory_kib(program.pid)
            return {"first": maps[0], "second": maps[1] if len(maps) > 1 else None,
                    "painted": painted - started if painted is not None else None,
                    "cpu_ms": cpu_at_first_map,
                    "hwm_kib": memory["VmHWM"], "rss_kib": memory["VmRSS"]}
        finally:
            if program:
                program.stop()
            harness._kill_group(xev)
            xev.stdout.close()


def box_text(length):
    return ("Salve a tutti. " * (length // 15 + 1))[:length]


def focus_end_of_text2(session):
    """A real click into Text2 of the main window, then End: the caret blinks at the end."""
    main = session.find_window(harness.MAIN)
    session.activate(main)
    _, _, left, top = harness.CONTROLS["Text2"]
    session.click(main, harness.pixels(left) + 20, harness.pixels(top) + 5)
    session.key("End")


def measure_idle(tavrel, minimal, seconds, full_box_path):
    figures = {}
    with harness.Session(tavrel, cord=CORD, test=TEXTS, name="bench-idle",
                         start_program=False) as session:
        program = Program(session, [session.program_path])
        try:
            modes = [("main", [harness.MAIN, harness.FAST]),
                     ("Mini", ["Mini Counter [+2]", harness.FAST]),
                     ("Fast", [harness.FAST])]
            for index, (mode, titles) in enumerate(modes):
                if index:
                    press_fast_counter(session)
                session.wait_for_windows(titles, timeout=20)
                time.sleep(SETTLE_S)
                figures[mode] = idle_share(program.pid, helper_pids(session), seconds)
                print(f"  idle, {mode} mode: {figures[mode]}", file=sys.stderr)
        finally:
            program.stop()
    with harness.Session(minimal, name="bench-idle-minimal", start_program=False) as session:
        program = Program(session, [session.program_path])
        try:
            session.find_window(MINIMAL_TITLE)
            time.sleep(SETTLE_S)
            figures["minimal"] = idle_share(program.pid, helper_pids(session), seconds)
            print(f"  idle, minimal: {figures['minimal']}", file=sys.stderr)
        finally:
            program.stop()

    # A focused box holding the most it can: its caret blinks, and every blink repaints it.
    with harness.Session(tavrel, cord=CORD, test=[TEXTS[0], box_text(FULL_BOX)],
                         name="bench-idle-full-box", start_program=False) as session:
        program = Program(session, [session.program_path])
        try:
            session.wait_for_windows([harness.MAIN, harness.FAST], timeout=20)
            focus_end_of_text2(session)
            time.sleep(SETTLE_S)
            figures["full_box"] = idle_share(program.pid, helper_pids(session), seconds)
            print(f"  idle, main mode, full Text2 focused: {figures['full_box']}",
                  file=sys.stderr)
        finally:
            program.stop()
    for key, extra in MINIMAL_BOX_VARIANTS.items():
        with harness.Session(minimal, name=f"bench-idle-{key}", start_program=False) as session:
            program = Program(session, [session.program_path, "--line-edit", full_box_path,
                                        *extra])
            try:
                session.activate(session.find_window(MINIMAL_TITLE))
                time.sleep(SETTLE_S)
                figures[key] = idle_share(program.pid, helper_pids(session), seconds)
                print(f"  idle, {key}, full box focused: {figures[key]}", file=sys.stderr)
            finally:
                program.stop()
    return figures


def measure_clipboard(tavrel, minimal, copies, big_path, png_path, rng):
    texts = new_length_texts(copies, rng)
    figures = {}
    with harness.Session(tavrel, cord=CORD, test=TEXTS, name="bench-clipboard") as session:
        reader = Reader(session)
        try:
            session.wait_for_windows([harness.MAIN, harness.FAST], timeout=20)
            _, _, left, top = harness.CONTROLS["cont"]
            handle = reader.locate(session.pid, harness.FAST, harness.pixels(left),
                                   harness.pixels(top))
            time.sleep(SETTLE_S)
            figures["tavrel_latency"] = copy_latencies(session, reader, handle, texts)
            figures["tavrel_big"] = big_and_picture(session, reader, handle, big_path, png_path)
        finally:
            reader.close()
    with harness.Session(minimal, name="bench-clipboard-minimal", start_program=False) as session:
        session.start_program(["--count-clipboard"])
        reader = Reader(session)
        try:
            session.find_window(MINIMAL_TITLE)
            handle = reader.locate(session.pid, MINIMAL_TITLE)
            time.sleep(SETTLE_S)
            figures["minimal_latency"] = copy_latencies(session, reader, handle, texts)
            figures["minimal_big"] = big_and_picture(session, reader, handle, big_path, png_path)
        finally:
            reader.close()
    return figures


def measure_typing(executable, prefill, delay_ms, tmp, extra=()):
    """The longest accessibility reply while xdotool types TYPED_CHARS characters at the end
    of a box holding prefill characters at first: Text2 of the program (its character count
    car2 is read), or the minimal program's line edit (its label is read)."""
    typed = ("Ciao mondo, testo tradotto. " * 40)[:TYPED_CHARS]
    minimal = os.path.basename(executable) == "minimal_qt"
    with harness.Session(executable, cord=CORD, test=[TEXTS[0], box_text(prefill)],
                         name=f"bench-typing-{prefill}-{delay_ms}",
                         start_program=not minimal) as session:
        if minimal:
            path = os.path.join(tmp, f"box-{prefill}.txt")
            with open(path, "w", encoding="utf-8") as f:
                f.write(box_text(prefill))
            session.start_program(["--line-edit", path, *extra])
        reader = Reader(session)
        try:
            if minimal:
                session.activate(session.find_window(MINIMAL_TITLE))
                handle = reader.locate(session.pid, MINIMAL_TITLE)
            else:
                session.wait_for_windows([harness.MAIN, harness.FAST], timeout=20)
                _, _, left, top = harness.CONTROLS["car2"]
                handle = reader.locate(session.pid, harness.MAIN, harness.pixels(left),
                                       harness.pixels(top))
                focus_end_of_text2(session)
            time.sleep(SETTLE_S)
            expected = str(prefill + TYPED_CHARS)
            ticks = cpu_ticks(session.pid)
            reader.start_poll(handle, 0.010, expected=expected, after=0.5, timeout=180)
            started = time.monotonic()
            subprocess.run(["xdotool", "type", "--delay", str(delay_ms), "--", typed],
                           env=session.env, check=True, timeout=180)
            typed_at = time.monotonic()
            result = reader.finish_poll()
            ticks = cpu_ticks(session.pid) - ticks
            if result["seen"] is None:
                raise harness.HarnessError(f"the count shows {result['last']!r}, not {expected}")
            result.update(typing_s=typed_at - started,
                          backlog_s=max(0.0, result["seen"] - typed_at),
                          cpu_per_key_ms=1000.0 * ticks / CLK_TCK / TYPED_CHARS)
            print(f"  typing into {prefill}, {delay_ms} ms apart, "
                  f"{os.path.basename(executable)} {' '.join(extra)}: {result}", file=sys.stderr)
            return result
        finally:
            reader.close()


def count_bench(path):
    """Microseconds for the four counts of a full box: median and least of 10 repetitions."""
    done = subprocess.run([path, "--benchmark_repetitions=10", "--benchmark_format=json"],
                          capture_output=True, check=True, timeout=300)
    times = [bench["real_time"] * {"ns": 1e-3, "us": 1.0, "ms": 1e3}[bench["time_unit"]]
             for bench in json.loads(done.stdout)["benchmarks"]
             if bench.get("run_type") == "iteration"]
    if not times:
        raise harness.HarnessError("count_bench printed no repetition")
    return {"median": statistics.median(times), "min": min(times)}


# ---- the report ---------------------------------------------------------------------------

def machine():
    def run(argv):
        try:
            return subprocess.run(argv, capture_output=True, text=True, timeout=10).stdout.strip()
        except (OSError, subprocess.SubprocessError):
            return "?"
    model = re.search(r"Model name:\s*(.*)", run(["lscpu"]))
    memory = run(["free", "-h"]).splitlines()
    with open("/etc/debian_version") as f:
        debian = f.read().strip()
    return [f"nproc: {run(['nproc'])}",
            f"CPU: {model.group(1) if model else '?'}",
            "free -h: " + (" ".join(memory[1].split()[:4]) if len(memory) > 1 else "?")
            + " (total used free)",
            f"Debian {debian}, kernel {pyplatform.release()}",
            f"Qt {run(['dpkg-query', '-W', '-f', '${Version}', 'libqt6core6'])} (libqt6core6), "
            f"Xvfb {run(['dpkg-query', '-W', '-f', '${Version}', 'xvfb'])}",
            "load average at the end (1, 5, 15 min): "
            + ", ".join(f"{value:.2f}" for value in os.getloadavg())]


def ms(seconds):
    return "—" if seconds is None else f"{seconds * 1000:.1f} ms"


def pct(value):
    return f"{value:.2f} %"


def ratio(ours, floor):
    if ours is None or floor is None:
        return "—"
    if floor == 0:
        return "∞" if ours else "1.00"
    return f"{ours / floor:.2f}"


def spread(values, fmt):
    return (f"{fmt(statistics.median(values))} ({fmt(min(values))} – {fmt(max(values))})")


def report(results):
    rows = []

    def row(figure, ours, floor, rat, target, met):
        rows.append((figure, ours, floor, rat, target, {True: "yes", False: "**no**",
                                                        None: ""}[met]))

    if "idle" in results:
        idle = results["idle"]
        floor = idle["minimal"]
        for mode in ("main", "Mini", "Fast"):
            ours = idle[mode]
            row(f"Idle CPU, {mode} mode, {results['idle_seconds']:g} s (share of one core)",
                pct(ours["cpu_pct"]),
                pct(floor["cpu_pct"]), ratio(ours["cpu_pct"], floor["cpu_pct"]), "< 1 %",
                ours["cpu_pct"] < 1.0)
            row(f"  wake-ups per second, {mode} mode", f"{ours['wakeups_per_s']:.1f}",
                f"{floor['wakeups_per_s']:.1f}", ratio(ours["wakeups_per_s"],
                                                       floor["wakeups_per_s"]), "", None)
            row(f"  Xvfb + openbox CPU meanwhile, {mode} mode", pct(ours["x_wm_cpu_pct"]),
                pct(floor["x_wm_cpu_pct"]), "", "", None)
        ours, floor = idle["full_box"], idle["minimal_full_box"]
        row(f"Idle CPU, main mode, caret blinking in Text2 holding {FULL_BOX} characters "
            "(minimal: a focused QLineEdit holding the same)", pct(ours["cpu_pct"]),
            pct(floor["cpu_pct"]), ratio(ours["cpu_pct"], floor["cpu_pct"]), "< 1 %",
            ours["cpu_pct"] < 1.0)

    if "clipboard" in results:
        clip = results["clipboard"]
        ours, floor = clip["tavrel_latency"]["from_owner"], clip["minimal_latency"]["from_owner"]
        row(f"Copy-to-count latency, median (min – max) of {len(ours)} copies",
            spread(ours, ms), spread(floor, ms), ratio(statistics.median(ours),
                                                       statistics.median(floor)),
            "< 50 ms median", statistics.median(ours) < 0.050)
        ours, floor = clip["tavrel_latency"]["from_start"], clip["minimal_latency"]["from_start"]
        row("  the same from the start of xclip (its own start-up included)",
            spread(ours, ms), spread(floor, ms), ratio(statistics.median(ours),
                                                       statistics.median(floor)), "", None)

    if "startup" in results:
        startup = results["startup"]
        ours = [run["first"] for run in startup["tavrel"]]
        floor = [run["first"] for run in startup["minimal"]]
        rat = statistics.median(ours) / statistics.median(floor)
        row(f"Time to the first shown window, median (min – max) of {len(ours)} warm starts",
            spread(ours, ms), spread(floor, ms), f"{rat:.2f}", "≤ 1.5 × minimal", rat <= 1.5)
        ours = [run["painted"] for run in startup["tavrel"] if run["painted"] is not None]
        floor = [run["painted"] for run in startup["minimal"] if run["painted"] is not None]
        if ours and floor:
            rat = statistics.median(ours) / statistics.median(floor)
            row("Time to the first painted window (its first picture sent to the X server), "
                f"median (min – max) of {len(ours)} and {len(floor)} warm starts",
                spread(ours, ms), spread(floor, ms), f"{rat:.2f}", "≤ 1.5 × minimal",
                rat <= 1.5)
        both = [run["second"] for run in startup["tavrel"] if run["second"] is not None]
        if both:
            row("  time until both windows of main mode are shown", spread(both, ms), "—", "", "",
                None)
        ours = [run["cpu_ms"] for run in startup["tavrel"]]
        floor = [run["cpu_ms"] for run in startup["minimal"]]
        row("  CPU time the program had used when its first window was mapped, median "
            "(min – max)", spread(ours, lambda v: f"{v:.0f} ms"),
            spread(floor, lambda v: f"{v:.0f} ms"),
            ratio(statistics.median(ours), statistics.median(floor)), "", None)
        ours = [run["hwm_kib"] / 1024 for run in startup["tavrel"]]
        floor = [run["hwm_kib"] / 1024 for run in startup["minimal"]]
        rat = statistics.median(ours) / statistics.median(floor)
        row("Peak resident memory (VmHWM) after start-up, median",
            f"{statistics.median(ours):.1f} MiB", f"{statistics.median(floor):.1f} MiB",
            f"{rat:.2f}", "≤ 1.5 × minimal", rat <= 1.5)

    if "clipboard" in results:
        ours, floor = clip["tavrel_big"], clip["minimal_big"]
        row("Longest event-loop stall while a 5,000,000-character clipboard text is read",
            ms(ours["max_reply"]), ms(floor["max_reply"]), ratio(ours["max_reply"],
                                                                 floor["max_reply"]),
            "< 500 ms", ours["max_reply"] < 0.5)
        row("  count shown for that text", ours["shown"], floor["shown"], "", "5000000",
            ours["shown"] == str(BIG_TEXT_CHARS))
        row("  copy-to-count time of that text", ms(ours["copy_to_count"]),
            ms(floor["copy_to_count"]), ratio(ours["copy_to_count"], floor["copy_to_count"]), "",
            None)
        row("  count shown for a clipboard holding only a PNG picture", ours["picture_shows"],
            floor["picture_shows"], "", "0", ours["picture_shows"] == "0")
        row("  accessibility read, idle: median (longest) reply", f"{ms(ours['baseline_median'])} "
            f"({ms(ours['baseline_max'])})", f"{ms(floor['baseline_median'])} "
            f"({ms(floor['baseline_max'])})", ratio(ours["baseline_median"],
                                                    floor["baseline_median"]), "", None)

    if "typing" in results:
        for typing in results["typing"]:
            ours, floor = typing["tavrel"], typing["minimal_full_box"]
            rate = TYPED_CHARS / ours["typing_s"]
            row(f"Longest event-loop stall while typing {TYPED_CHARS} characters at {rate:.0f}/s "
                f"(xdotool --delay {typing['delay_ms']}) into a box holding {typing['prefill']} "
                "(Text2; minimal: a QLineEdit)", ms(ours["max_reply"]), ms(floor["max_reply"]),
                ratio(ours["max_reply"], floor["max_reply"]), "no visible stall (< 50 ms)",
                ours["max_reply"] < 0.050)
            row("  CPU per typed character", ms(ours["cpu_per_key_ms"] / 1000),
                ms(floor["cpu_per_key_ms"] / 1000), ratio(ours["cpu_per_key_ms"],
                                                          floor["cpu_per_key_ms"]), "", None)
            row("  count still behind when the last key was sent (backlog)", ms(ours["backlog_s"]),
                ms(floor["backlog_s"]), "", "", None)

    if "idle" in results and "typing" in results:
        # What the font of the boxes costs: the minimal program's box in the program's font, then
        # with shaping skipped where the script allows it. Here "ours" is that box.
        for key, what in (("minimal_design_font", f"in the design font ({DESIGN_FONT} pt)"),
                          ("minimal_design_font_no_shaping",
                           "in the design font with QFont::PreferNoShaping")):
            floor = idle["minimal_full_box"]
            ours = idle[key]
            row(f"Minimal QLineEdit {what}, idle CPU with the caret blinking in {FULL_BOX} "
                "characters (ratio to Qt's default font)", pct(ours["cpu_pct"]),
                pct(floor["cpu_pct"]), ratio(ours["cpu_pct"], floor["cpu_pct"]), "", None)
            for typing in results["typing"]:
                if key not in typing:
                    continue
                ours, floor = typing[key], typing["minimal_full_box"]
                rate = TYPED_CHARS / ours["typing_s"]
                row(f"  typing at {rate:.0f}/s into {typing['prefill']}: longest stall; CPU per "
                    "character; backlog", f"{ms(ours['max_reply'])}; "
                    f"{ms(ours['cpu_per_key_ms'] / 1000)}; {ms(ours['backlog_s'])}",
                    f"{ms(floor['max_reply'])}; {ms(floor['cpu_per_key_ms'] / 1000)}; "
                    f"{ms(floor['backlog_s'])}", ratio(ours["cpu_per_key_ms"],
                                                       floor["cpu_per_key_ms"]), "", None)

    if "count_us" in results:
        counts = results["count_us"]
        row("The four counts of a full box (count_bench, median (least) of 10 repetitions)",
            f"{counts['median']:.1f} µs ({counts['min']:.1f} µs)", "—", "", "< 100 µs",
            counts["median"] < 100)

    header = ("Figure", "Tavrel Counter", "minimal Qt", "ratio", "target", "met")
    lines = ["| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|"]
    lines += ["| " + " | ".join(cells) + " |" for cells in rows]
    return "\n".join(lines)


def build(build_dir):
    subprocess.run(["cmake", "-S", REPO, "-B", build_dir, "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=Release", "-DTAVREL_BUILD_BENCH=ON",
                    "-DTAVREL_BUILD_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build_dir, "--target", "tavrel-counter", "minimal_qt",
                    "count_bench", "first_frame"], check=True, stdout=subprocess.DEVNULL)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n", 1)[0])
    parser.add_argument("--build-dir", default=os.path.join(REPO, "build-bench"))
    parser.add_argument("--no-build", action="store_true", help="use the build as it is")
    parser.add_argument("--idle-seconds", type=float, default=20.0)
    parser.add_argument("--copies", type=int, default=20)
    parser.add_argument("--starts", type=int, default=11, help="measured warm starts of each")
    parser.add_argument("--json", help="also write every raw figure to this file")
    parser.add_argument("--only", default="count,startup,idle,clipboard,typing",
                        help="comma-separated parts to measure (default: all of %(default)s)")
    args = parser.parse_args()
    parts = set(args.only.split(","))
    # A terminated run still tears its sessions down (the with blocks run on SystemExit).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    if not args.no_build:
        build(args.build_dir)
    load_at_start = os.getloadavg()
    tavrel = os.path.join(args.build_dir, "app", "tavrel-counter")
    minimal = os.path.join(args.build_dir, "bench", "minimal_qt")
    first_frame_library = os.path.join(args.build_dir, "bench", "libfirst_frame.so")
    rng = random.Random(20240607)
    results = {}

    if "count" in parts:
        print("count_bench ...", file=sys.stderr)
        results["count_us"] = count_bench(os.path.join(args.build_dir, "bench", "count_bench"))

    if "startup" in parts:
        print("start-up ...", file=sys.stderr)
        results["startup"] = {"tavrel": [], "minimal": []}
        for run in range(args.starts + 1):
            for key, executable in (("tavrel", tavrel), ("minimal", minimal)):
                figures = measure_startup(executable, [], f"bench-start-{key}",
                                          first_frame_library)
                print(f"  {key} start {run}: {figures}", file=sys.stderr)
                if run:  # the first start of each warms the caches and is not counted
                    results["startup"][key].append(figures)

    with tempfile.TemporaryDirectory(prefix="tavrel-bench-") as tmp:
        full_box_path = os.path.join(tmp, "full-box.txt")
        with open(full_box_path, "w", encoding="utf-8") as f:
            f.write(box_text(FULL_BOX))
        if "idle" in parts:
            print("idle ...", file=sys.stderr)
            results["idle"] = measure_idle(tavrel, minimal, args.idle_seconds, full_box_path)
            results["idle_seconds"] = args.idle_seconds

        if "clipboard" in parts:
            print("clipboard ...", file=sys.stderr)
            big_path = os.path.join(tmp, "big.txt")
            line = "Lorem ipsum dolor sit amet, testo della cartuccia tradotto bene.\n"
            with open(big_path, "w", encoding="ascii", newline="") as f:
                f.write((line * (BIG_TEXT_CHARS // len(line) + 1))[:BIG_TEXT_CHARS])
            png_path = os.path.join(tmp, "picture.png")
            subprocess.run(["convert", "-size", "64x48", "xc:#2050c0", png_path], check=True)
            results["clipboard"] = measure_clipboard(tavrel, minimal, args.copies, big_path,
                                                     png_path, rng)

        if "typing" in parts:
            print("typing ...", file=sys.stderr)
            results["typing"] = []
            for prefill, delay in TYPING_CASES:
                case = {"prefill": prefill, "delay_ms": delay,
                        "tavrel": measure_typing(tavrel, prefill, delay, tmp)}
                for key, extra in MINIMAL_BOX_VARIANTS.items():
                    # Other fonts only where the box is long and the typing fast.
                    if not extra or (prefill and delay <= 20):
                        case[key] = measure_typing(minimal, prefill, delay, tmp, extra)
                results["typing"].append(case)

    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    print("Machine:")
    for line in machine():
        print(f"- {line}")
    print("- load average at the start (1, 5, 15 min): "
          + ", ".join(f"{value:.2f}" for value in load_at_start))
    print()
    print(report(results))


if __name__ == "__main__":
    if sys.argv[1:] == ["--reader"]:
        _reader()
    else:
        main()
