"""Driving the shell as a person does, on the session's display: Wine's tray window and its
icons, pop-up menus, windows of one program by their X windows, keys and pixels."""

import subprocess

from . import host
from .host import HarnessError, wait_for

TRAY_NAME = "Wine System Tray"
# Wine's virtual desktop is an X window named "<desktop name> - Wine desktop".
DESKTOP_NAME_END = " - Wine desktop$"
# Wine's own tray lays icons out in NIM_ADD order, one square cell each, as high as the tray.
TRAY_CELL = 20
X_LEFT, X_RIGHT = 1, 3
# Both clicks of a double click within GetDoubleClickTime (500 ms); separate ones further apart.
DOUBLE_CLICK_DELAY_MS = 80
SEPARATE_CLICK_GAP_S = 0.8
# Far from the tray (top left) and from where menus and message boxes open.
PARKING_POINT = (1000, 700)
NUDGE_INTERVAL = 0.3
NUDGE_OFFSET = 2
# A menu's last row ends this far above its bottom edge (the menu's border and padding); a
# point half a row above that is inside the row for any of the machine's fonts.
LAST_ROW_FROM_BOTTOM = 10
RGB_BYTES = 3


def count_colour(rgb_bytes, colour):
    wanted = bytes(colour)
    return sum(1 for i in range(0, len(rgb_bytes), RGB_BYTES)
               if rgb_bytes[i:i + RGB_BYTES] == wanted)


class Shell:
    """Mixed into Session: needs self.env and self.probe."""

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

    def name(self, window):
        return self.xdotool("getwindowname", window, check=False).strip()

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
        desktop (always there) once an icon shows in its notification area."""
        found = self.search("--name", "^%s$" % TRAY_NAME)
        if found:
            return found[0]
        for desktop in self.search("--name", DESKTOP_NAME_END):
            width = self.geometry(desktop)[2]
            for window in self.search("--classname", "^explorer\\.exe$"):
                if (window != desktop and self.geometry(window)[2] == width
                        and not self.name(window) and self._cell_drawn(window, 1)):
                    return window
        return None

    def wait_tray(self):
        return wait_for(self.tray_window, what="the tray window to show")

    def wait_tray_empty(self):
        """Waits until Wine unmapped its tray window, ~2 s after its last icon went: a new icon
        before that would be hidden."""
        wait_for(lambda: self.tray_window() is None, what="the tray window to go")

    def _cell(self, tray, icon):
        """(left edge of icon number `icon`, cell size): Wine's own tray lays the icons out
        from its left end in the order they were added, the taskbar from its right end."""
        _, _, width, cell = self.geometry(tray)
        return (cell * (icon - 1) if self.name(tray) == TRAY_NAME else width - cell * icon), cell

    def _cell_drawn(self, tray, icon):
        """Whether an icon has been drawn in a cell: it holds more than one colour."""
        left, cell = self._cell(tray, icon)
        rgb = self.pixels(tray, "%dx%d+%d+0" % (cell, cell, left))
        return len({rgb[i:i + RGB_BYTES] for i in range(0, len(rgb), RGB_BYTES)}) > 1

    def icon_shown(self, icon=1):
        tray = self.tray_window()
        return tray is not None and self._cell_drawn(tray, icon)

    def tray_pixels(self, icon=1):
        tray = self.wait_tray()
        left, cell = self._cell(tray, icon)
        return self.pixels(tray, "%dx%d+%d+0" % (cell, cell, left))

    def point_at_icon(self, icon=1, offset=0):
        tray = self.wait_tray()
        left, cell = self._cell(tray, icon)
        # Nothing keeps the tray on top; a later window may cover it.
        self.xdotool("windowraise", tray, check=False)
        self.xdotool("mousemove", "--window", tray, left + cell // 2 + offset,
                     cell // 2 + offset)

    def click_tray(self, icon=1, button=X_LEFT, double=False):
        """Clicks icon number `icon` (in the order the icons were added)."""
        self.point_at_icon(icon)
        self.xdotool("click", *(["--repeat", 2, "--delay", DOUBLE_CLICK_DELAY_MS] if double
                                else []), button)

    def hover_tray(self, icon=1):
        # Two small moves: Wine's tooltip timer starts on motion inside the icon.
        self.point_at_icon(icon, -NUDGE_OFFSET)
        self.point_at_icon(icon)

    def tooltips(self):
        return [o["text"] for o in self.probe("tooltip") or []]

    def texts(self, title):
        """The texts of the controls of the visible windows with this title."""
        return [o["text"] for o in self.probe("texts", title) or []]

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

    # ----- pop-up menus -----

    def menus(self, exe_name):
        """A program's open pop-up menus: its visible X windows with an empty name, the menu
        first, then open submenus."""
        return [w for w in self.search("--classname", "^%s$" % exe_name) if not self.name(w)]

    def wait_menus(self, exe_name, count=1):
        return wait_for(lambda: (lambda m: m if len(m) >= count else None)(self.menus(exe_name)),
                        what="%d menu window(s) of %s" % (count, exe_name))

    def wait_menus_gone(self, exe_name):
        wait_for(lambda: not self.menus(exe_name), what="the menus of %s to close" % exe_name)

    def menu_keys(self, exe_name, *keys):
        """Types keys into the innermost open menu: Right opens a submenu, Escape closes one.
        Keys reach a Wine menu only when its program took the foreground before opening it."""
        for key in keys:
            self.keys(max(self.wait_menus(exe_name)), key)

    def click_last_row(self, menu):
        x, y, width, height = self.geometry(menu)
        self.xdotool("mousemove", "--sync", x + width // 2, y + height - LAST_ROW_FROM_BOTTOM)
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

    # ----- windows -----

    def windows(self, pid=None, cls=None, title=None, visible=None):
        """Top-level Win32 windows as the probe sees them; pid is a Windows process id."""
        return [w for w in self.probe("windows") or []
                if (pid is None or w["pid"] == pid) and (cls is None or w["class"] == cls)
                and (title is None or w["title"] == title)
                and (visible is None or w["visible"] == visible)]

    def x_windows(self, linux_pid, title):
        """A program's own visible X windows with this title (the tray's tooltip may carry the
        same name, but belongs to the shell)."""
        return self.search("--all", "--pid", linux_pid, "--name", "^%s$" % title)

    def x_window(self, linux_pid, title):
        return wait_for(lambda: (self.x_windows(linux_pid, title) or [None])[-1],
                        what="the X window %r" % title)

    def wait_x_window_gone(self, linux_pid, title):
        wait_for(lambda: not self.x_windows(linux_pid, title), what="%r to close" % title)
