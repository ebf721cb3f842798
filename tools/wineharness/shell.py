"""Driving the shell as a person does, on the session's display: Wine's tray window and its
icons, pop-up menus and their rows, windows and message boxes of one program, keys, pixels."""

import subprocess

from . import host
from .host import HarnessError, wait_for

TRAY_NAME = "Wine System Tray"
# Wine's virtual desktop is an X window named "<desktop name> - Wine desktop".
DESKTOP_NAME_END = " - Wine desktop$"
# Wine's own tray lays icons out in NIM_ADD order, one square cell each, as high as the tray
# (20 px at 96 DPI).
TRAY_CELL = 20
X_LEFT, X_RIGHT = 1, 3
# Both clicks of a double click within GetDoubleClickTime (500 ms); separate ones further apart.
DOUBLE_CLICK_DELAY_MS = 80
SEPARATE_CLICK_GAP_S = 0.8
# Far from the tray (top left) and from where menus and message boxes open.
PARKING_POINT = (1000, 700)
NUDGE_INTERVAL = 0.3
NUDGE_OFFSET = 2
RGB_BYTES = 3
# Ink: a pixel darker than the menu's background in every channel.
INK = 200
SEPARATOR_SHARE = 0.8
MESSAGE_BOX_CLASS = "#32770"
TOOLTIP_CLASS = "tooltips_class32"


def count_colour(rgb_bytes, colour):
    wanted = bytes(colour)
    return sum(1 for i in range(0, len(rgb_bytes), RGB_BYTES)
               if rgb_bytes[i:i + RGB_BYTES] == wanted)


class Shell:
    """Mixed into Session: needs self.env, self.probe and self.programs."""

    def xdotool(self, *args, check=True):
        try:
            result = subprocess.run(["xdotool", *map(str, args)], env=self.env,
                                    timeout=host.TOOL_TIMEOUT, capture_output=True, text=True)
        except subprocess.TimeoutExpired:
            raise HarnessError("xdotool %s hung" % " ".join(map(str, args)))
        if check and result.returncode != 0:
            raise HarnessError("xdotool %s failed: %s" % (" ".join(map(str, args)),
                                                          result.stderr.strip()))
        return result.stdout

    def search(self, *criteria):
        """Visible X windows matching xdotool search criteria, as ids."""
        return [int(w) for w in self.xdotool("search", "--onlyvisible", *criteria,
                                             check=False).split()]

    def geometry(self, window):
        """(x, y, width, height); with no window manager that is the client area."""
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def pixels(self, window, crop=None):
        """Raw RGB bytes of an X window, or of a "WxH+X+Y" part of it."""
        argv = ["import", "-window", str(window)] + (["-crop", crop, "+repage"] if crop else [])
        result = subprocess.run(argv + ["-depth", "8", "rgb:-"], env=self.env,
                                timeout=host.TOOL_TIMEOUT, capture_output=True)
        if result.returncode != 0:
            raise HarnessError("import failed: %s" % result.stderr.decode(errors="replace"))
        return result.stdout

    def screenshot(self, path, window="root", crop=None):
        argv = ["import", "-window", str(window)] + (["-crop", crop, "+repage"] if crop else [])
        subprocess.run(argv + [path], env=self.env, timeout=host.TOOL_TIMEOUT, check=True)

    def keys(self, window, *keys):
        """Types keys into an X window through XTEST, as a person would: X focus moves there
        first, for `key --window` is lost whenever focus is elsewhere."""
        for key in keys:
            self.xdotool("windowfocus", "--sync", window)
            self.xdotool("key", key)

    def move_away(self):
        # No --sync: xdotool would wait forever when the pointer is already there.
        self.xdotool("mousemove", *PARKING_POINT)

    # ----- the tray -----

    def tray_window(self):
        """Wine's own tray window, shown while it holds icons, or else the taskbar of a virtual
        desktop once an icon shows in its notification area (the taskbar itself is always
        there, from before the program's start)."""
        found = self.search("--name", "^%s$" % TRAY_NAME)
        if found:
            return found[0]
        taskbar = self.taskbar()
        if taskbar is not None and self._cell_drawn(taskbar, *self._cell(taskbar, 1)):
            return taskbar
        return None

    def taskbar(self):
        """The taskbar of Wine's virtual desktop (scripts/run.sh and screenshots.sh show one),
        or None: an unnamed window of explorer's as wide as the desktop."""
        for desktop in self.search("--name", DESKTOP_NAME_END):
            width = self.geometry(desktop)[2]
            for window in self.search("--classname", "^explorer\\.exe$"):
                if (window != desktop and self.geometry(window)[2] == width
                        and not self.xdotool("getwindowname", window, check=False).strip()):
                    return window
        return None

    def wait_tray(self):
        return wait_for(self.tray_window, what="the tray window to show")

    def wait_tray_empty(self):
        """Waits until the icons went by themselves (the pointer stays away) and Wine unmapped
        its tray window, ~2 s after the last icon: a new icon before that would be hidden."""
        wait_for(lambda: self.tray_window() is None, what="the tray window to go")

    def _cell(self, tray, icon):
        """(left edge of icon number `icon` in the tray window, cell size). Wine's own tray
        lays the icons out from its left end in the order they were added, the taskbar's
        notification area from its right end."""
        _, _, width, cell = self.geometry(tray)
        if self.xdotool("getwindowname", tray, check=False).strip() == TRAY_NAME:
            return cell * (icon - 1), cell
        return width - cell * icon, cell

    def _cell_drawn(self, tray, left, cell):
        """Whether an icon has been drawn in a cell: it holds more than one colour."""
        rgb = self.pixels(tray, "%dx%d+%d+0" % (cell, cell, left))
        return len({rgb[i:i + RGB_BYTES] for i in range(0, len(rgb), RGB_BYTES)}) > 1

    def icon_cell(self, icon=1):
        """(tray window, left edge of icon number `icon` in it, cell size)."""
        tray = self.wait_tray()
        return (tray, *self._cell(tray, icon))

    def click_tray(self, icon=1, button=X_LEFT, double=False):
        """Clicks icon number `icon` (in the order the icons were added)."""
        tray, left, cell = self.icon_cell(icon)
        # Nothing keeps the tray on top; a later window may cover it.
        self.xdotool("windowraise", tray, check=False)
        self.xdotool("mousemove", "--window", tray, left + cell // 2, cell // 2)
        if double:
            self.xdotool("click", "--repeat", 2, "--delay", DOUBLE_CLICK_DELAY_MS, button)
        else:
            self.xdotool("click", button)

    def hover_tray(self, icon=1):
        tray, left, cell = self.icon_cell(icon)
        # Two small moves: Wine's tooltip timer starts on motion inside the icon.
        self.xdotool("mousemove", "--window", tray, left + cell // 2 - 2, cell // 2 - 2)
        self.xdotool("mousemove", "--window", tray, left + cell // 2, cell // 2)

    def tray_pixels(self, icon=1):
        tray, left, cell = self.icon_cell(icon)
        return self.pixels(tray, "%dx%d+%d+0" % (cell, cell, left))

    def icon_shown(self, icon=1):
        """Whether icon number `icon` has been drawn."""
        tray = self.tray_window()
        return tray is not None and self._cell_drawn(tray, *self._cell(tray, icon))

    def clear_tray(self):
        """Waits until the tray window went after its programs ended. Wine drops a killed
        program's icon only when it next tells the dead window about the mouse, so the pointer
        passes over the tray meanwhile."""
        nudge = [NUDGE_OFFSET]

        def gone():
            tray = self.tray_window()
            if tray is None:
                self.move_away()
                return True
            nudge[0] = -nudge[0]
            self.xdotool("mousemove", "--window", tray, TRAY_CELL // 2 + nudge[0],
                         TRAY_CELL // 2 + nudge[0], check=False)
            return False
        wait_for(gone, what="the tray to empty", interval=NUDGE_INTERVAL)

    def tooltips(self):
        return [o["text"] for o in self.probe("tooltip") or []]

    # ----- pop-up menus -----

    def menus(self, exe_name):
        """A program's open pop-up menus: its visible X windows with an empty name, the menu
        first, then open submenus."""
        return [w for w in self.search("--classname", "^%s$" % exe_name)
                if self.xdotool("getwindowname", w, check=False).strip() == ""]

    def wait_menus(self, exe_name, count=1):
        return wait_for(lambda: (lambda m: m if len(m) >= count else None)(self.menus(exe_name)),
                        what="%d menu window(s) of %s" % (count, exe_name))

    def wait_menus_gone(self, exe_name):
        wait_for(lambda: not self.menus(exe_name), what="the menus of %s to close" % exe_name)

    def menu_keys(self, exe_name, *keys):
        """Types keys into the innermost open menu: Right opens a submenu, Escape closes one.
        Keys reach a Wine menu only when its program took the foreground before opening it."""
        for key in keys:
            menus = self.menus(exe_name)
            if not menus:
                raise HarnessError("no menu of %s open for key %s" % (exe_name, key))
            self.keys(max(menus), key)

    def menu_rows(self, window):
        """Vertical centres of a menu's text rows, top to bottom, measured from its pixels
        (row heights follow the machine's fonts): a row is a band of lines with some ink; a
        line inked across most of the width is a border or a separator."""
        _, _, width, height = self.geometry(window)
        rgb = self.pixels(window)
        rows, start = [], None
        for y in range(height + 1):
            ink = 0 if y == height else sum(
                1 for x in range(1, width - 1)
                if max(rgb[(y * width + x) * RGB_BYTES:(y * width + x + 1) * RGB_BYTES]) < INK)
            is_text = 0 < ink < width * SEPARATOR_SHARE
            if is_text and start is None:
                start = y
            elif not is_text and start is not None:
                rows.append((start + y) // 2)
                start = None
        return rows

    def click_menu_row(self, window, row):
        """Clicks text row number `row` (0 = top) of an open menu."""
        x, y, width, _ = self.geometry(window)
        self.xdotool("mousemove", "--sync", x + width // 2, y + self.menu_rows(window)[row])
        self.xdotool("click", X_LEFT)

    def close_menus(self, exe_name):
        """Escapes out of any open menu: one left open when its program dies keeps Wine's
        tray from delivering later clicks."""
        def escaped():
            menus = self.menus(exe_name)
            if menus:
                self.xdotool("windowfocus", max(menus), check=False)
                self.xdotool("key", "Escape", check=False)
            return not menus
        wait_for(escaped, what="the menus of %s to close" % exe_name, interval=NUDGE_INTERVAL)

    # ----- Win32 windows -----

    def windows(self, pid=None, cls=None, title=None, visible=None):
        """Top-level Win32 windows as the probe sees them; pid is a Windows process id."""
        return [w for w in self.probe("windows") or []
                if (pid is None or w["pid"] == pid) and (cls is None or w["class"] == cls)
                and (title is None or w["title"] == title)
                and (visible is None or w["visible"] == visible)]

    def wait_window(self, timeout=host.DEFAULT_TIMEOUT, **criteria):
        return wait_for(lambda: self.windows(**criteria), timeout, "a window %r" % criteria)[0]

    def wait_no_window(self, **criteria):
        wait_for(lambda: not self.windows(**criteria), what="no window %r" % criteria)

    def controls(self, window):
        """A window's child controls by their text."""
        return {c["text"]: c for c in self.probe("children", window["hwnd"]) or []}

    def click_button(self, window, button):
        """Clicks a button (as a person reads it, no '&') of a window; retried, for a loaded
        machine can hide a window from one look, and nothing was clicked then."""
        wait_for(lambda: self.probe("click", window["hwnd"], button),
                 what="button %r of %r" % (button, window["title"]))

    def message_box(self, pid):
        """Waits for a message box of the program with this Windows process id; returns the
        window, with its longest static text as "text"."""
        box = self.wait_window(pid=pid, cls=MESSAGE_BOX_CLASS, visible=True)
        texts = [c["text"] for c in self.probe("children", box["hwnd"]) or []
                 if c["class"].lower() == "static"]
        return dict(box, text=max(texts, key=len) if texts else "")

    def answer(self, box, button="OK"):
        self.click_button(box, button)
        self.wait_no_window(pid=box["pid"], cls=MESSAGE_BOX_CLASS, visible=True)

    def x_window(self, linux_pid, title):
        """A program's own visible X window with this title (the tray's tooltip may carry the
        same name, but belongs to the shell)."""
        return wait_for(lambda: (self.search("--all", "--pid", linux_pid, "--name",
                                             "^%s$" % title) or [None])[-1],
                        what="the X window %r" % title)
