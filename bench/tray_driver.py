"""Drives the real program's menu commands and dialogs through the tray, as a user would, for
the object-growth measurement. Built on the end-to-end harness's Session."""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import icon_file  # noqa: E402
import wexla_e2e as e2e  # noqa: E402

# The pop-up menu as drawn: rows and separators (None), top to bottom.
MENU_LAYOUT = ["Mouse configuration", None, "Icon", None, "Save settings", "Help", "About", None,
               "Quit"]
MOUSE_CAPTION = "Mouse configuration"
MOUSE_CLOSE = "Close"
ABOUT_CAPTION = "About Wexla 98"
ABOUT_OK = "OK"
OPEN_DIALOG_NAME = "Open"
# Wine draws menu rows 16 px and separators 8 px high below 4 px of padding (96 DPI).
MENU_TOP_PADDING = 4
MENU_ROW_HEIGHT = 16
MENU_SEPARATOR_HEIGHT = 8
MENU_ROW_INSET = 20
SUBMENU_LAYOUT = ["Change icon", "Restore default icon"]
ICON_RGB = (255, 0, 0)
RGB_BYTES = 3
# The solid 16x16 file icon fills all 256 of its pixels; the built-in envelope has a red
# border of about 150, so only a nearly full count tells the two apart.
MIN_ICON_PIXELS = 240


def row_centre(layout, row):
    """Vertical centre of a row, in the menu window's coordinates."""
    y = MENU_TOP_PADDING
    for entry in layout[:layout.index(row)]:
        y += MENU_SEPARATOR_HEIGHT if entry is None else MENU_ROW_HEIGHT
    return y + MENU_ROW_HEIGHT // 2


def red_pixels(rgb_bytes):
    wanted = bytes(ICON_RGB)
    return sum(1 for i in range(0, len(rgb_bytes), RGB_BYTES)
               if rgb_bytes[i:i + RGB_BYTES] == wanted)


class WexlaDriver:
    def __init__(self, session, exe_name, work_dir):
        self.session = session
        self.exe_name = exe_name
        self.icon_path = os.path.join(work_dir, "bench-red.ico")
        icon_file.write_solid_icon(self.icon_path, ICON_RGB)

    def _live_menu(self, other_than=None):
        """A menu window of the program and its geometry. A window of a menu that has just
        closed can still be listed for a moment; it fails the geometry query and is passed over."""
        def find():
            for window in self.session.menus(self.exe_name):
                if window == other_than:
                    continue
                try:
                    return window, self.session.window_geometry(window)
                except e2e.HarnessError:
                    continue
            return None
        return e2e.wait_for(find, what="a menu of %s" % self.exe_name)

    def _menu(self):
        self.session.click_tray(button=e2e.X_RIGHT_BUTTON)
        return self._live_menu()

    def _finish_menu(self):
        self.session.wait_menus_gone(self.exe_name)
        self.session.move_away()

    def _file_icon_shown(self):
        return red_pixels(self.session.tray_pixels()) >= MIN_ICON_PIXELS

    def _click_row(self, geometry, layout, row):
        # Mouse selection: arrow keys reach a Wine menu only while it holds the X focus, which
        # a second menu in a row does not reliably get.
        x, y, _, _ = geometry
        self.session.xdotool("mousemove", "--sync", x + MENU_ROW_INSET, y + row_centre(layout, row))
        self.session.xdotool("click", e2e.X_LEFT_BUTTON)

    def _choose(self, row, subrow=None):
        menu, geometry = self._menu()
        self._click_row(geometry, MENU_LAYOUT, row)
        if subrow is not None:
            _, sub_geometry = self._live_menu(other_than=menu)
            self._click_row(sub_geometry, SUBMENU_LAYOUT, subrow)
        self._finish_menu()

    def _choose_icon_submenu_row(self, row):
        self._choose("Icon", row)

    def change_icon(self):
        self._choose_icon_submenu_row("Change icon")
        dialog = e2e.wait_for(lambda: self.session.x_windows_named(OPEN_DIALOG_NAME),
                              what="the Open dialog")[0]
        self.session.xdotool("windowfocus", "--sync", dialog, check=False)
        self.session.xdotool("type", "--window", dialog, "Z:" + self.icon_path.replace("/", "\\"))
        self.session.xdotool("key", "--window", dialog, "Return")
        e2e.wait_for(lambda: not self.session.x_windows_named(OPEN_DIALOG_NAME),
                     what="the Open dialog to close")
        e2e.wait_for(self._file_icon_shown, what="the file icon in the tray")

    def restore_default_icon(self):
        self._choose_icon_submenu_row("Restore default icon")
        e2e.wait_for(lambda: not self._file_icon_shown(), what="the built-in icon in the tray")

    def _dialog_cycle(self, row, caption, button):
        self._choose(row)
        self.session.message_box(caption)
        self.session.click_button(caption, button)
        self.session.wait_no_window(caption)

    def mouse_dialog_cycle(self):
        self._dialog_cycle("Mouse configuration", MOUSE_CAPTION, MOUSE_CLOSE)

    def about_dialog_cycle(self):
        self._dialog_cycle("About", ABOUT_CAPTION, ABOUT_OK)
