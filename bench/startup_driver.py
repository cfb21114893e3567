#!/usr/bin/python3
"""Times starts of Windows programs under Wine: from the moment the loader is
started to the moment both windows of a shadow pair (the layered parent and
its content) are mapped on the X display. Programs of one set run in turns,
the order swapped every round, so that drift of the machine falls on all.

usage: startup_driver.py ROUNDS WIDTHxHEIGHT,WIDTHxHEIGHT NAME=DIR:EXE [NAME=DIR:EXE...]

Prints one line per run ("run NAME MS"), then the median and the lower
quartile of each program, each with its ratio to the first program named
(the yardstick), and, for a
program that left a start-up trace (the tool and the floor do when
HR_STARTUP_TRACE is set, as here), the median time of each phase of its
start. Needs DISPLAY and WINEPREFIX; the loader is HR_WINE64.
"""
import ctypes
import os
import statistics
import select
import signal
import subprocess
import sys
import time

MAP_NOTIFY, CONFIGURE_NOTIFY = 19, 22
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
FILETIME_UNIX_EPOCH = 116444736000000000  # 100 ns units from 1601 to 1970
TRACE_FILE = "startup-trace.txt"  # beside the executable, when HR_STARTUP_TRACE is set


class Display:
    """Just enough Xlib to see top-level windows appear."""

    def __init__(self):
        self.x = ctypes.cdll.LoadLibrary("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        for fn in ("XSelectInput", "XPending", "XNextEvent", "XGetWindowAttributes", "XConnectionNumber"):
            getattr(self.x, fn).argtypes = None
        self.dpy = ctypes.c_void_p(self.x.XOpenDisplay(None))
        if not self.dpy:
            sys.exit("startup: cannot open the display")
        # A window can be gone before it is asked about: ignore such errors.
        self.handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        self.x.XSetErrorHandler(self.handler)
        root = ctypes.c_ulong(self.x.XDefaultRootWindow(self.dpy))
        self.x.XSelectInput(self.dpy, root, ctypes.c_long(SUBSTRUCTURE_NOTIFY_MASK))
        self.fd = self.x.XConnectionNumber(self.dpy)
        self.event = (ctypes.c_long * 24)()
        self.attrs = (ctypes.c_int * 64)()

    def size(self, window):
        if not self.x.XGetWindowAttributes(self.dpy, ctypes.c_ulong(window), self.attrs):
            return None
        return self.attrs[2], self.attrs[3]

    def drain(self):
        while self.x.XPending(self.dpy):
            self.x.XNextEvent(self.dpy, self.event)

    def wait_for(self, sizes, deadline):
        """Monotonic ns when windows of all the sizes are mapped, or None."""
        mapped, seen = set(), set()
        while time.monotonic() < deadline:
            while self.x.XPending(self.dpy):
                self.x.XNextEvent(self.dpy, self.event)
                kind = self.event[0] & 0xFFFFFFFF
                # XMapEvent and XConfigureEvent: the window sits after type,
                # serial, send_event, display and event.
                if kind == MAP_NOTIFY:
                    mapped.add(self.event[5])
                if kind in (MAP_NOTIFY, CONFIGURE_NOTIFY) and self.event[5] in mapped:
                    size = self.size(self.event[5])
                    if size in sizes:
                        seen.add(size)
                if seen == sizes:
                    return time.monotonic_ns()
            select.select([self.fd], [], [], 0.002)
        return None


def read_trace(path, started_unix_ns):
    """Marks of a start-up trace as {what: ms after the loader started}."""
    marks = {}
    try:
        lines = open(path, encoding="utf-8").read().splitlines()
    except OSError:
        return marks
    for line in lines:
        stamp, _, what = line.partition(" ")
        if stamp.isdigit():
            unix_ns = (int(stamp) - FILETIME_UNIX_EPOCH) * 100
            marks.setdefault(what, (unix_ns - started_unix_ns) / 1e6)
    return marks


START, SHOWN = "<loader started>", "<both windows on the screen>"
# The start-up's phases: (name, from mark, to mark), each mark the first of
# the names that the run's trace has (the tool's and the floor's names).
PHASES = [
    ("loader, until the process exists", [START], ["process created"]),
    ("process start: DLLs, static data", ["process created"], ["wWinMain"]),
    ("GDI+ started", ["InitInstance", "wWinMain"], ["GDI+ started"]),
    ("common controls (with the display driver)", ["GDI+ started"], ["common controls"]),
    ("main window created (the first window)", ["dialog create 102"], ["dialog window 102"]),
    ("main window: menu, icon, title, scale", ["dialog window 102"], ["PNG load 144"]),
    ("PNG 144 decoded", ["PNG load 144"], ["PNG decoded 144"]),
    ("layering: 144 drawn, UpdateLayeredWindow", ["PNG decoded 144"], ["dialog create 141"]),
    ("fix page window and its controls", ["dialog create 141"], ["dialog init 141"]),
    ("fix page picture (PNG 145)", ["dialog init 141"], ["launcher scan"]),
    ("launcher scan", ["launcher scan"], ["launcher scan done"]),
    ("gates: system check", ["launcher scan done"], ["system checked"]),
    ("gates: companion library load", ["system checked"], ["library loaded"]),
    ("gates: companion library initialisation", ["library loaded"], ["library initialised"]),
    ("layout: controls skinned, 16 pictures decoded", ["library initialised"], ["dialog init done 141"]),
    ("page placed, main window to the foreground", ["dialog init done 141"], ["dialog init done 102"]),
    ("floor: 145 decoded until the layer is up", ["PNG decoded 145"], ["layer updated"]),
    ("until both windows are on the screen", ["dialog init done 102", "layer updated"], [SHOWN]),
]


def first(marks, names):
    return next((marks[n] for n in names if n in marks), None)


def phases(marks):
    """{phase: ms} of one run, and the decoding summed over every picture."""
    out = {}
    for name, begin, end in PHASES:
        a, b = first(marks, begin), first(marks, end)
        if a is not None and b is not None:
            out[name] = b - a
    decoding = [marks["PNG decoded" + what[8:]] - at for what, at in marks.items()
                if what.startswith("PNG load ") and "PNG decoded" + what[8:] in marks]
    if decoding:
        out["all PNG decoding (%d pictures, inside the above)" % len(decoding)] = sum(decoding)
    return out


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__.strip())
    rounds = int(argv[1])
    sizes = {tuple(int(v) for v in s.split("x")) for s in argv[2].split(",")}
    programs = []
    for arg in argv[3:]:
        name, _, rest = arg.partition("=")
        folder, _, exe = rest.rpartition(":")
        programs.append((name, folder, exe))
    loader = os.environ.get("HR_WINE64", "/usr/lib/wine/wine64")
    display = Display()
    env = dict(os.environ, HR_STARTUP_TRACE="1")
    runs = {name: [] for name, _, _ in programs}
    steps = {name: {} for name, _, _ in programs}
    for r in range(rounds):
        order = programs if r % 2 == 0 else programs[::-1]
        for name, folder, exe in order:
            trace = os.path.join(folder, TRACE_FILE)
            if os.path.exists(trace):
                os.remove(trace)
            display.drain()
            started_unix = time.time_ns()
            started = time.monotonic_ns()
            proc = subprocess.Popen([loader, exe], cwd=folder, env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            shown = display.wait_for(sizes, time.monotonic() + 30)
            proc.send_signal(signal.SIGKILL)
            proc.wait()
            if shown is None:
                sys.exit("startup: %s showed no window within 30 s" % name)
            runs[name].append((shown - started) / 1e6)
            print("run %s %.1f" % (name, runs[name][-1]), flush=True)
            marks = read_trace(trace, started_unix)
            if marks:
                marks[START], marks[SHOWN] = 0.0, runs[name][-1]
                for phase, ms in phases(marks).items():
                    steps[name].setdefault(phase, []).append(ms)
            # Let the server take the killed process's windows down first.
            time.sleep(0.4)
            display.drain()
    # Other work on the machine only ever adds time: besides the median, the
    # lower quartile shows what a start costs when little stands in its way.
    def quartile(values):
        return statistics.quantiles(values, n=4)[0] if len(values) > 1 else values[0]
    floor = runs[programs[0][0]]
    for name, _, _ in programs:
        med, low = statistics.median(runs[name]), quartile(runs[name])
        print("median %s %.1f ms, %.2f x %s; lower quartile %.1f ms, %.2f x %s (%d runs, %.1f to %.1f)" % (
            name, med, med / statistics.median(floor), programs[0][0], low, low / quartile(floor),
            programs[0][0], len(runs[name]), min(runs[name]), max(runs[name])))
    # Runs of one round stand side by side in time, so their ratio sees
    # the same machine.
    for name, _, _ in programs[1:]:
        pairs = [t / f for t, f in zip(runs[name], floor)]
        print("round by round %s / %s: median %.2f (%.2f to %.2f)" % (
            name, programs[0][0], statistics.median(pairs), min(pairs), max(pairs)))
    for name, _, _ in programs:
        if steps[name]:
            print("phases of %s (medians over the runs, ms):" % name)
        for phase, values in steps[name].items():
            print("  %-52s %6.1f" % (phase, statistics.median(values)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
