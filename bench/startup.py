#!/usr/bin/python3
"""The program's start-up on a virtual display: the time from its start to
its main window on the screen with the form drawn in it, and the peak
memory of the process by then (VmHWM, read half a second later so that
what the first paint set off is counted too). Beside it, the same program
with its windows put behind a GL texture by the display library
(SDL_FRAMEBUFFER_ACCELERATION=1), the way it drew before: repetitions
interleaved, medians reported.

Usage: startup.py [program] [repetitions] (build/tender/dimoprasia, 9).
Needs Xvfb. Exits 1 when the window never shows."""

import ctypes
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
X = ctypes.cdll.LoadLibrary("libX11.so.6")
X.XOpenDisplay.restype = ctypes.c_void_p
X.XOpenDisplay.argtypes = [ctypes.c_char_p]
X.XDefaultRootWindow.restype = ctypes.c_ulong
X.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
X.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
X.XPending.argtypes = [ctypes.c_void_p]
X.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
X.XGetImage.restype = ctypes.c_void_p
X.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                        ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
X.XFree.argtypes = [ctypes.c_void_p]
X.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
X.XCloseDisplay.argtypes = [ctypes.c_void_p]
X.XSetErrorHandler.restype = ctypes.c_void_p
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
X.XSetErrorHandler(ERROR_HANDLER)

SUBSTRUCTURE_NOTIFY = 1 << 19
CREATE_NOTIFY = 16
DESTROY_NOTIFY = 17
UNMAP_NOTIFY = 18
MAP_NOTIFY = 19
CONFIGURE_NOTIFY = 22
Z_PIXMAP = 2


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_uint32))]


def start_display():
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-noreset", "-nolisten",
                               "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        more = os.read(read, 16)
        if not more:
            raise RuntimeError("Xvfb did not start")
        number += more
    os.close(read)
    return server, ":" + number.decode().strip()


def painted(display, window, width, height):
    """Whether the middle of the window shows anything but black."""
    image = X.XGetImage(display, window, width // 2, height // 2, 1, 1, 0xFFFFFFFF, Z_PIXMAP)
    if not image:
        return False
    pixel = XImage.from_address(image).data[0] & 0xFFFFFF
    X.XFree(XImage.from_address(image).data)
    X.XFree(image)
    return pixel != 0


def one_start(program, display_name, home, extra_env):
    display = X.XOpenDisplay(display_name.encode())
    if not display:
        raise RuntimeError("the display %s cannot be opened" % display_name)
    root = X.XDefaultRootWindow(display)
    X.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY)
    X.XSync(display, 0)
    env = dict(os.environ, DISPLAY=display_name, HOME=home, **extra_env)
    env.pop("WAYLAND_DISPLAY", None)
    event = ctypes.create_string_buffer(192)
    start = time.monotonic()
    process = subprocess.Popen([program], cwd=home, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    sizes, window, took = {}, 0, None
    try:
        deadline = start + 20
        while time.monotonic() < deadline:
            while X.XPending(display):
                X.XNextEvent(display, event)
                kind = ctypes.c_int.from_buffer(event, 0).value
                which = ctypes.c_ulong.from_buffer(event, 40).value
                if kind in (CREATE_NOTIFY, CONFIGURE_NOTIFY):
                    sizes[which] = (ctypes.c_int.from_buffer(event, 56).value,
                                    ctypes.c_int.from_buffer(event, 60).value)
                elif kind == MAP_NOTIFY and window == 0 and not ctypes.c_int.from_buffer(event, 48).value:
                    window = which
                elif kind in (DESTROY_NOTIFY, UNMAP_NOTIFY) and which == window:
                    # The display library may make the window anew for GL.
                    window = 0
            if window and window in sizes and painted(display, window, *sizes[window]):
                took = time.monotonic() - start
                break
            time.sleep(0.0005)
        time.sleep(0.5)
        with open("/proc/%d/status" % process.pid) as status:
            peak = next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
    finally:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        X.XCloseDisplay(display)
    return took, peak / 1024.0


def main():
    program = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build", "tender", "dimoprasia"))
    repetitions = int(sys.argv[2]) if len(sys.argv) > 2 else 9
    ways = [("software surface (the program's)", {}),
            ("GL texture (SDL_FRAMEBUFFER_ACCELERATION=1)", {"SDL_FRAMEBUFFER_ACCELERATION": "1"})]
    server, display_name = start_display()
    results = {name: ([], []) for name, _ in ways}
    try:
        with tempfile.TemporaryDirectory(prefix="startup_") as home:
            one_start(program, display_name, home, {})  # the first start warms the file cache
            for _ in range(repetitions):
                for name, extra in ways:
                    took, peak = one_start(program, display_name, home, extra)
                    if took is None:
                        print("%s: the main window never showed" % name)
                        return 1
                    results[name][0].append(took * 1000)
                    results[name][1].append(peak)
    finally:
        server.terminate()
        server.wait()
    for name, _ in ways:
        times, peaks = results[name]
        print("%-45s start-up %6.1f ms (min %.1f, max %.1f), peak %5.1f MiB" %
              (name, statistics.median(times), min(times), max(times), statistics.median(peaks)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
