#!/usr/bin/python3
"""Times starts of Windows programs under Wine: from the moment the loader is
started to the moment both windows of a shadow pair (the layered parent and
its content) are mapped on the X display. Programs of one set run in turns,
the order swapped every round, so that drift of the machine falls on all.

usage: startup_driver.py ROUNDS WIDTHxHEIGHT,WIDTHxHEIGHT NAME=DIR:EXE [NAME=DIR:EXE...]

Prints one line per run ("run NAME MS"), then the median of each program,
each one's ratio to the first program named (the yardstick), and, for a
program that left a start-up trace (the tool does when HR_STARTUP_TRACE
names a file), the median of each of its marks in milliseconds after the
loader was started. Needs DISPLAY and WINEPREFIX; the loader is HR_WINE64.
"""
import ctypes
import os
import statistics
import select
import signal
import subprocess
import sys
import tempfile
import time

MAP_NOTIFY, CONFIGURE_NOTIFY = 19, 22
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
FILETIME_UNIX_EPOCH = 116444736000000000  # 100 ns units from 1601 to 1970


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
    """Marks of a start-up trace as (what, ms after the loader started)."""
    marks = []
    try:
        lines = open(path, encoding="utf-8").read().splitlines()
    except OSError:
        return marks
    for line in lines:
        stamp, _, what = line.partition(" ")
        if stamp.isdigit():
            unix_ns = (int(stamp) - FILETIME_UNIX_EPOCH) * 100
            marks.append((what, (unix_ns - started_unix_ns) / 1e6))
    return marks


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__.strip())
    rounds = int(argv[1])
    sizes = {tuple(int(v) for v in s.split("x")) for s in argv[2].split(",")}
    programs = []
    for spec in argv[3:]:
        name, _, rest = spec.partition("=")
        folder, _, exe = rest.rpartition(":")
        programs.append((name, folder, exe))
    loader = os.environ.get("HR_WINE64", "/usr/lib/wine/wine64")
    display = Display()
    trace = os.path.join(tempfile.mkdtemp(prefix="hr-startup-"), "trace.txt")
    runs = {name: [] for name, _, _ in programs}
    marks = {name: {} for name, _, _ in programs}
    for r in range(rounds):
        order = programs if r % 2 == 0 else programs[::-1]
        for name, folder, exe in order:
            env = dict(os.environ, HR_STARTUP_TRACE=trace)
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
            for what, ms in read_trace(trace, started_unix):
                marks[name].setdefault(what, []).append(ms)
            # Let the server take the killed process's windows down first.
            time.sleep(0.4)
            display.drain()
    floor = statistics.median(runs[programs[0][0]])
    for name, _, _ in programs:
        med = statistics.median(runs[name])
        print("median %s %.1f ms (%d runs, %.1f to %.1f), %.2f x %s" % (
            name, med, len(runs[name]), min(runs[name]), max(runs[name]), med / floor, programs[0][0]))
    for name, _, _ in programs:
        # Marks in the order of their medians, each with the median time
        # since the mark before it: the start-up's phases.
        previous = None
        for what, values in sorted(marks[name].items(), key=lambda kv: statistics.median(kv[1])):
            step = ""
            if previous is not None and len(previous) == len(values):
                step = "%+7.1f" % statistics.median(v - p for v, p in zip(values, previous))
            print("mark %-6s %7.1f ms %7s  %s" % (name, statistics.median(values), step, what))
            previous = values
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
