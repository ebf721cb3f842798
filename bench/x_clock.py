"""Timestamps of X events taken where they happen, on the clock the mail logger uses
(time.time()): when a window of a given name is mapped, seen by a client listening on the root
window, and when a click is sent through XTEST by this process itself. Running xdotool instead
would add a process start (several ms, varying) between the clock reading and the event."""

import ctypes
import threading
import time

_X11 = ctypes.CDLL("libX11.so.6")
_XTEST = ctypes.CDLL("libXtst.so.6")
_X11.XOpenDisplay.restype = ctypes.c_void_p
_X11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_X11.XCloseDisplay.argtypes = [ctypes.c_void_p]
_X11.XDefaultRootWindow.restype = ctypes.c_ulong
_X11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_X11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
_X11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
_X11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
_X11.XFree.argtypes = [ctypes.c_void_p]
_X11.XFlush.argtypes = [ctypes.c_void_p]
_X11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
_XTEST.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                        ctypes.c_ulong]
_XTEST.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_int, ctypes.c_ulong]

SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
MAP_NOTIFY = 19
# XEvent is a union of at most 24 longs.
EVENT_BYTES = 24 * 8
CURRENT_TIME = 0
# XTestFakeMotionEvent's screen argument for "the screen the pointer is on".
POINTER_SCREEN = -1
_IO_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class _MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong),
                ("window", ctypes.c_ulong), ("override_redirect", ctypes.c_int)]


def _park_thread(_display):
    # The display ends with its session while the listener waits: Xlib would exit the whole
    # process once this handler returns, so the listener thread stays here instead.
    while True:
        time.sleep(3600)


def _ignore_error(_display, _event):
    # A window can be gone by the time its name is asked for; that map is not the one waited for.
    return 0


_io_handler = _IO_ERROR_HANDLER(_park_thread)
_error_handler = _ERROR_HANDLER(_ignore_error)
_X11.XSetIOErrorHandler(_io_handler)
_X11.XSetErrorHandler(_error_handler)


def _open(display):
    connection = _X11.XOpenDisplay((":%d" % display).encode())
    if not connection:
        raise OSError("cannot open X display :%d" % display)
    return connection


class MapClock:
    """Listens on the root window from creation on and keeps the time of every map of a
    top-level window named `name`."""

    def __init__(self, display, name):
        self._name = name.encode()
        self._connection = _open(display)
        _X11.XSelectInput(self._connection, _X11.XDefaultRootWindow(self._connection),
                          SUBSTRUCTURE_NOTIFY_MASK)
        _X11.XSync(self._connection, 0)
        self._maps = []
        self._changed = threading.Condition()
        threading.Thread(target=self._listen, daemon=True).start()

    def _listen(self):
        event = ctypes.create_string_buffer(EVENT_BYTES)
        while True:
            _X11.XNextEvent(self._connection, event)
            seen = time.time()
            mapped = _MapEvent.from_buffer(event)
            if mapped.type != MAP_NOTIFY:
                continue
            name = ctypes.c_char_p()
            if _X11.XFetchName(self._connection, mapped.window, ctypes.byref(name)) and name.value:
                matches = name.value == self._name
                _X11.XFree(name)
                if matches:
                    with self._changed:
                        self._maps.append(seen)
                        self._changed.notify_all()

    def first_map_after(self, since, timeout):
        """The time of the first map at or after `since`; None when none came within timeout."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while True:
                later = [t for t in self._maps if t >= since]
                if later:
                    return later[0]
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self._changed.wait(left)


class ClickClock:
    """Clicks through XTEST at the pointer's position and says when the click left."""

    def __init__(self, display):
        self._connection = _open(display)

    def click_at(self, x, y, button):
        """Moves the pointer to (x, y) on the screen, then presses and releases `button`;
        returns the time the click had reached the X server. The move goes through the same
        connection, so the X server has it before the click."""
        _XTEST.XTestFakeMotionEvent(self._connection, POINTER_SCREEN, x, y, CURRENT_TIME)
        _X11.XSync(self._connection, 0)
        _XTEST.XTestFakeButtonEvent(self._connection, button, True, CURRENT_TIME)
        _XTEST.XTestFakeButtonEvent(self._connection, button, False, CURRENT_TIME)
        _X11.XSync(self._connection, 0)
        return time.time()

    def close(self):
        _X11.XCloseDisplay(self._connection)
