#!/usr/bin/python3
"""End-to-end benchmark: the real program under Xvfb beside a minimal Qt widget program.

    /usr/bin/python3 bench/run_bench.py            # builds build-bench (Release), then measures
    /usr/bin/python3 bench/run_bench.py --no-build --program path/to/tavrel-counter --only idle

It prints the machine and a Markdown table: each figure beside that of bench/minimal_qt (one
QLabel; --count-clipboard: the clipboard's length; --line-edit: a QLineEdit holding a file).
Nothing is asserted. Sessions come from tests/e2e/harness.py.

- Idle: utime + stime (/proc/<pid>/stat) over --idle-seconds after 2 s of settling in each
  working mode, the accessibility bridge off; wake-ups: voluntary context switches of the
  program's threads (/proc/<pid>/task/*/status) meanwhile.
- Copy to count: from xclip's report that it owns the clipboard to the first read of the count
  label (over the accessibility bus, every 5 ms, about 1 ms each) showing the new length.
- Start-up: exec to the first MapNotify seen by `xev -root`, and to the first window picture
  sent to the X server (bench/first_frame.c, preloaded); VmHWM 2 s later. Warm starts.
- Stalls: Qt answers accessibility calls from its event loop, so the longest reply to a label
  read every 10 ms is the longest block, while a 5,000,000-character clipboard text is read and
  while xdotool types --typed characters at the end of a box holding 32767 - --typed.
"""

import argparse
import json
import os
import platform
import random
import select
import signal
import statistics
import subprocess
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
import harness  # noqa: E402
from harness import FAST, MAIN, MINI  # noqa: E402

MINIMAL = "Minimal Qt"
CORD = harness.cord(200, 160, 600, 100, 300, 600)
TEXTS = ["Ciao", "Salve!"]
MODES = [("main", [MAIN, FAST]), ("Mini", [MINI, FAST]), ("Fast", [FAST])]
SETTLE_S = 2.0
BIG_CHARS = 5_000_000
FULL_BOX = 32767
TYPING_DELAYS_MS = (20, 1)  # xdotool: about 90 characters a second, and a flood
CLK_TCK = os.sysconf("SC_CLK_TCK")


# ---- /proc ---------------------------------------------------------------------------------

def per_thread(pid, name, parse):
    """{thread id: parse(text of /proc/pid/task/<tid>/name)}, threads ended meanwhile left out."""
    found = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/{name}") as f:
                found[tid] = parse(f.read())
        except FileNotFoundError:
            pass
    return found


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime: fields 14 and 15 of stat(5)


def voluntary_switches(pid):
    return per_thread(pid, "status", lambda text: int(
        text.split("voluntary_ctxt_switches:")[1].split()[0]))


def vm_hwm_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        return int(f.read().split("VmHWM:")[1].split()[0]) / 1024


def read_words(path):
    if not os.path.exists(path):
        raise LookupError(path)
    with open(path) as f:
        return f.read().split()


def start(session, args=(), env=None):
    """The session's program without the accessibility bridge."""
    return subprocess.Popen([session.program_path, *args], cwd=session.folder,
                            env=dict(session.env, QT_QPA_PLATFORM="xcb", **(env or {})),
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)


def idle(pid, seconds):
    time.sleep(SETTLE_S)
    began, ticks, switches = time.monotonic(), cpu_ticks(pid), voluntary_switches(pid)
    time.sleep(seconds)
    elapsed = time.monotonic() - began
    woke = sum(n - switches.get(tid, n) for tid, n in voluntary_switches(pid).items())
    return {"cpu_pct": 100 * (cpu_ticks(pid) - ticks) / CLK_TCK / elapsed,
            "wakeups_per_s": woke / elapsed}


# ---- reading a label over the accessibility bus ------------------------------------------

class Poller:
    """A process on the session's accessibility bus reading one label's name at an interval
    (a JSON line per request, answered "started", then with the figures)."""

    def __init__(self, session):
        self._proc = session.spawn(["/usr/bin/python3", "-B", os.path.abspath(__file__),
                                    "--poller"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def start(self, pid, path, interval, expected=None, after=0.0, duration=None, timeout=30):
        """Until the label shows expected (and after seconds more), or for duration seconds."""
        self._proc.stdin.write((json.dumps(dict(pid=pid, path=path, interval=interval,
                                                expected=expected, after=after,
                                                duration=duration, timeout=timeout))
                                + "\n").encode())
        self._proc.stdin.flush()
        if self.finish() != "started":
            raise harness.HarnessError("the poller did not start")

    def finish(self):
        answer = json.loads(harness.read_line(self._proc.stdout.fileno(), 400, "the poller"))
        if "error" in answer:
            raise harness.HarnessError(answer["error"])
        return answer["result"]


def _poller():
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
    Atspi.init()
    Atspi.set_timeout(60000, 60000)  # a stalled program is a slow reply, not a given-up call
    desktop = Atspi.get_desktop(0)
    for line in sys.stdin:
        request = json.loads(line)
        try:
            Atspi.Accessible.clear_cache(desktop)
            node = next(app for app in map(desktop.get_child_at_index,
                                           range(desktop.get_child_count()))
                        if app is not None and app.get_process_id() == request["pid"])
            node.set_cache_mask(Atspi.Cache.NONE)
            for index in request["path"]:
                node = node.get_child_at_index(index)
            print(json.dumps({"result": "started"}), flush=True)
            began = next_call = time.monotonic()
            replies, seen = [], None
            while True:
                asked = time.monotonic()
                name = node.get_name()
                now = time.monotonic()
                replies.append(now - asked)
                if seen is None and name == request["expected"]:
                    seen = now
                if (seen is not None and now >= seen + request["after"]) or now - began >= (
                        request["duration"] or request["timeout"]):
                    break
                next_call = max(next_call + request["interval"], now)
                time.sleep(max(0.0, next_call - time.monotonic()))
            answer = {"result": {"seen": seen, "last": name, "max_reply": max(replies),
                                 "median_reply": statistics.median(replies)}}
        except Exception as error:  # reported to the script
            answer = {"error": f"{type(error).__name__}: {error}"}
        print(json.dumps(answer), flush=True)


def label_path(session, window, after=None):
    """The path of the window's one label, or of the node following the last one named after."""
    nodes = harness.wait_for(lambda: session.nodes(window), 20, f"the nodes of {window!r}")
    if after is None:
        return next(node["path"] for node in nodes if node["role"] == "label")
    return nodes[max(i for i, node in enumerate(nodes) if node["name"] == after) + 1]["path"]


# ---- the measurements ----------------------------------------------------------------------

def measure_idle(tavrel, minimal, seconds):
    figures = {}
    for executable, modes in ((tavrel, MODES), (minimal, [("minimal", [MINIMAL])])):
        with harness.Session(executable, CORD, TEXTS, "bench-idle", start=False) as session:
            program = start(session)
            for index, (mode, windows) in enumerate(modes):
                if index:
                    session.press_fast_counter()
                session.wait_windows(windows, 20)
                figures[mode] = idle(program.pid, seconds)
                print(f"  idle, {mode}: {figures[mode]}", file=sys.stderr)
            harness.kill_group(program)
    return figures


def measure_startup(executable, first_frame):
    """Seconds from exec to the first window mapped and to the first picture sent, and the
    peak memory 2 s later."""
    with harness.Session(executable, CORD, TEXTS, "bench-start", start=False) as session:
        xev = session.spawn(["stdbuf", "-oL", "xev", "-root", "-event", "substructure", "-event",
                             "property"], stdout=subprocess.PIPE)
        fd, seen = xev.stdout.fileno(), b""
        while b"PropertyNotify" not in seen:  # xev listens once it sees a change of the root
            session.x(["xprop", "-root", "-f", "_BENCH", "8s", "-set", "_BENCH", "ready"])
            while select.select([fd], [], [], 0.1)[0]:
                seen += os.read(fd, 65536)
        frame_log = os.path.join(session.folder, "first-frame.log")
        # The session's own processes (window manager, buses) settle first, so that both
        # programs start on an idle machine.
        time.sleep(SETTLE_S)
        began = time.monotonic()
        program = start(session, env={"LD_PRELOAD": first_frame,
                                      "TAVREL_FIRST_FRAME_LOG": frame_log})
        seen = b""
        while b"MapNotify" not in seen:
            if not select.select([fd], [], [], 20)[0]:
                raise harness.HarnessError("no window was mapped")
            seen += os.read(fd, 65536)
        mapped = time.monotonic() - began
        painted = harness.wait_for(lambda: read_words(frame_log), 20, "a first picture")
        time.sleep(SETTLE_S)
        figures = {"first": mapped, "painted": float(painted[1]) / 1000 - began,
                   "hwm_mib": vm_hwm_mib(program.pid)}
        harness.kill_group(program)
        return figures


def copy(session, data=None, path=None, target=None):
    """xclip takes the clipboard; the moment it reports owning it."""
    proc = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard",
                             *(["-t", target] if target else []), "-i", *filter(None, [path])],
                            env=session.env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, start_new_session=True)
    session._procs.append(proc)  # ended with the session
    with proc.stdin as pipe:
        pipe.write(data or b"")
    if "Waiting for selection" not in harness.read_line(proc.stderr.fileno(), 30, "xclip"):
        raise harness.HarnessError("xclip did not take the clipboard")
    return time.monotonic()


def measure_clipboard(executable, args, window, copies, big_path, rng):
    with harness.Session(executable, CORD, TEXTS, "bench-clipboard", start=False) as session:
        session.start_program(args)
        path = label_path(session, window, after="Hai copiato" if window == FAST else None)
        poller, latencies = Poller(session), []
        time.sleep(SETTLE_S)
        for length in rng.sample(range(20, 2000), copies):
            poller.start(session.program.pid, path, 0.005, str(length), timeout=10)
            owned = copy(session, ("Ciao mondo, " * 200)[:length].encode())
            latencies.append(poller.finish()["seen"] - owned)
        poller.start(session.program.pid, path, 0.010, str(BIG_CHARS), after=1.0, timeout=60)
        owned = copy(session, path=big_path)
        big = poller.finish()
        return {"latency": latencies, "big_stall": big["max_reply"],
                "big_copy_to_count": big["seen"] and big["seen"] - owned}


def measure_typing(executable, minimal, typed, delay_ms, tmp):
    text = ("Salve a tutti. " * 3000)[:FULL_BOX - typed]
    box = os.path.join(tmp, "box.txt")
    with open(box, "w") as f:
        f.write(text)
    with harness.Session(executable, CORD, [TEXTS[0], text], "bench-typing",
                         start=False) as session:
        if minimal:
            session.start_program(["--line-edit", box])
            window, path = MINIMAL, label_path(session, MINIMAL)
            session.x(["xdotool", "windowactivate", "--sync", str(session.find_window(MINIMAL))])
        else:
            session.start_program()
            window, path = MAIN, label_path(session, MAIN, after="Caratteri usati:")
            session.type_into_box(MAIN, 1, "")
        poller, ticks = Poller(session), cpu_ticks(session.program.pid)
        time.sleep(SETTLE_S)
        poller.start(session.program.pid, path, 0.010, str(FULL_BOX), after=0.5, timeout=300)
        began = time.monotonic()
        session.x(["xdotool", "type", "--delay", str(delay_ms), "--", "x" * typed])
        typed_at = time.monotonic()
        result = poller.finish()
        if result["seen"] is None:
            raise harness.HarnessError(f"{window} shows {result['last']}, not {FULL_BOX}")
        return {"stall": result["max_reply"], "rate": typed / (typed_at - began),
                "backlog": max(0.0, result["seen"] - typed_at),
                "cpu_per_key_ms": 1000 * (cpu_ticks(session.program.pid) - ticks) / CLK_TCK
                / typed}


# ---- the report ----------------------------------------------------------------------------

def ms(seconds):
    return "—" if seconds is None else f"{seconds * 1000:.1f} ms"


def spread(values, fmt=ms):
    return f"{fmt(statistics.median(values))} ({fmt(min(values))} – {fmt(max(values))})"


def report(results):
    rows = []

    def row(figure, ours, floor, target="", met=None, show=str):
        ratio = ("—" if ours is None or floor is None else ("∞" if ours else "1.00")
                 if not floor else f"{ours / floor:.2f}")
        rows.append((figure, show(ours), show(floor), ratio, target,
                     {True: "yes", False: "**no**", None: ""}[met]))

    def median_row(figure, ours, floor, target="", limit=None, show=ms):
        ours_m, floor_m = statistics.median(ours), statistics.median(floor)
        rows.append((figure, spread(ours, show), spread(floor, show), f"{ours_m / floor_m:.2f}",
                     target, "" if limit is None else "yes" if limit(ours_m, floor_m) else
                     "**no**"))

    if "idle" in results:
        idle_, seconds = results["idle"], results["idle_seconds"]
        for mode, _ in MODES:
            ours, floor = idle_[mode]["cpu_pct"], idle_["minimal"]["cpu_pct"]
            row(f"Idle CPU, {mode} mode, {seconds:g} s (share of one core)", ours, floor,
                "≤ minimal + 0.1 point", ours <= floor + 0.1, show=lambda v: f"{v:.2f} %")
            # In main mode the focused box's caret blinks; the minimal program has no box.
            wakeups = idle_[mode]["wakeups_per_s"]
            row(f"  wake-ups per second, {mode} mode", wakeups,
                idle_["minimal"]["wakeups_per_s"], "" if mode == "main" else "0",
                None if mode == "main" else wakeups == 0, show=lambda v: f"{v:.1f}")
    clip = results.get("clipboard")
    if clip:
        median_row(f"Copy-to-count latency, median (min – max) of "
                   f"{len(clip['tavrel']['latency'])} copies", clip["tavrel"]["latency"],
                   clip["minimal"]["latency"], "< 50 ms median", lambda o, f: o < 0.050)
    if "startup" in results:
        ours, floor = results["startup"]["tavrel"], results["startup"]["minimal"]
        for key, what, limit in (("first", "shown", 1.5), ("painted", "painted", 1.25)):
            median_row(f"Time to the first {what} window, median (min – max) of {len(ours)} "
                       "warm starts", [r[key] for r in ours], [r[key] for r in floor],
                       f"≤ {limit:g} × minimal", lambda o, f, limit=limit: o <= limit * f)
        median_row("Peak resident memory (VmHWM) after start-up", [r["hwm_mib"] for r in ours],
                   [r["hwm_mib"] for r in floor], "≤ 1.5 × minimal", lambda o, f: o <= 1.5 * f,
                   show=lambda v: f"{v:.1f} MiB")
    if clip:
        ours, floor = clip["tavrel"], clip["minimal"]
        row(f"Longest event-loop stall while a {BIG_CHARS:,}-character clipboard text is read",
            ours["big_stall"], floor["big_stall"], "< 500 ms", ours["big_stall"] < 0.5, show=ms)
        row("  copy-to-count time of that text", ours["big_copy_to_count"],
            floor["big_copy_to_count"], show=ms)
    for case in results.get("typing", []):
        ours, floor = case["tavrel"], case["minimal"]
        row(f"Longest event-loop stall while typing {case['typed']} characters at "
            f"{ours['rate']:.0f}/s (xdotool --delay {case['delay_ms']}) into a box holding "
            f"{FULL_BOX - case['typed']} (Text2; minimal: a QLineEdit)", ours["stall"],
            floor["stall"], "< 50 ms", ours["stall"] < 0.050, show=ms)
        row("  CPU per typed character", ours["cpu_per_key_ms"] / 1000,
            floor["cpu_per_key_ms"] / 1000, show=ms)
        row("  count still behind when the last key was sent", ours["backlog"],
            floor["backlog"], show=ms)
    header = ("Figure", "Tavrel Counter", "minimal Qt", "ratio", "target", "met")
    return "\n".join(["| " + " | ".join(header) + " |", "|---" * len(header) + "|"]
                     + ["| " + " | ".join(cells) + " |" for cells in rows])


def machine():
    with open("/etc/debian_version") as f:
        debian = f.read().strip()
    qt = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", "libqt6core6"],
                        capture_output=True, text=True).stdout
    return [f"nproc: {os.cpu_count()}, Debian {debian}, kernel {platform.release()}, Qt {qt}"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n", 1)[0])
    parser.add_argument("--build-dir", default=os.path.join(REPO, "build-bench"))
    parser.add_argument("--no-build", action="store_true", help="use the build as it is")
    parser.add_argument("--program", help="the tavrel-counter to measure (default: the build's)")
    parser.add_argument("--idle-seconds", type=float, default=20.0)
    parser.add_argument("--copies", type=int, default=20)
    parser.add_argument("--starts", type=int, default=11, help="measured warm starts of each")
    parser.add_argument("--typed", type=int, default=1000, help="characters typed per case")
    parser.add_argument("--json", help="also write every raw figure to this file")
    parser.add_argument("--only", default="startup,idle,clipboard,typing",
                        help="comma-separated parts to measure (default: %(default)s)")
    args = parser.parse_args()
    args.build_dir = os.path.abspath(args.build_dir)  # the programs run in other folders
    parts = set(args.only.split(","))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))  # sessions still torn down
    if not args.no_build:
        subprocess.run(["cmake", "-S", REPO, "-B", args.build_dir, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DTAVREL_BUILD_BENCH=ON",
                        "-DTAVREL_BUILD_TESTS=OFF"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", args.build_dir, "--target", "tavrel-counter",
                        "minimal_qt", "first_frame"], check=True, stdout=subprocess.DEVNULL)
    tavrel = os.path.abspath(args.program or os.path.join(args.build_dir, "app", "tavrel-counter"))
    minimal = os.path.join(args.build_dir, "bench", "minimal_qt")
    first_frame = os.path.join(args.build_dir, "bench", "libfirst_frame.so")
    load_at_start, results = os.getloadavg(), {}

    if "startup" in parts:
        print("start-up ...", file=sys.stderr)
        results["startup"] = {"tavrel": [], "minimal": []}
        for run in range(args.starts + 1):
            for key, executable in (("tavrel", tavrel), ("minimal", minimal)):
                figures = measure_startup(executable, first_frame)
                print(f"  {key} start {run}: {figures}", file=sys.stderr)
                if run:  # the first start of each warms the caches
                    results["startup"][key].append(figures)
    if "idle" in parts:
        print("idle ...", file=sys.stderr)
        results["idle"], results["idle_seconds"] = (measure_idle(tavrel, minimal,
                                                                 args.idle_seconds),
                                                    args.idle_seconds)
    with tempfile.TemporaryDirectory(prefix="tavrel-bench-") as tmp:
        if "clipboard" in parts:
            print("clipboard ...", file=sys.stderr)
            big = os.path.join(tmp, "big.txt")
            with open(big, "w") as f:
                line = "Testo della cartuccia tradotto bene.\n"
                f.write((line * (BIG_CHARS // len(line) + 1))[:BIG_CHARS])
            results["clipboard"] = {
                key: measure_clipboard(executable, extra, window, args.copies, big,
                                       random.Random(20240607))
                for key, executable, extra, window in (("tavrel", tavrel, [], FAST),
                                                       ("minimal", minimal,
                                                        ["--count-clipboard"], MINIMAL))}
        if "typing" in parts:
            print("typing ...", file=sys.stderr)
            results["typing"] = [
                {"typed": args.typed, "delay_ms": delay,
                 "tavrel": measure_typing(tavrel, False, args.typed, delay, tmp),
                 "minimal": measure_typing(minimal, True, args.typed, delay, tmp)}
                for delay in TYPING_DELAYS_MS]
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)
    print("Machine:")
    for line in machine() + [f"load average at the start, at the end: {load_at_start}, "
                             f"{os.getloadavg()}"]:
        print(f"- {line}")
    print()
    print(report(results))


if __name__ == "__main__":
    _poller() if sys.argv[1:] == ["--poller"] else main()
