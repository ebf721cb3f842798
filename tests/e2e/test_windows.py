"""The program's windows end to end: Change icon through the Open dialog, Save and Quit after
changes, Help, the Mouse configuration and About windows."""

import os
import signal
import unittest

import wineharness as wh
from wineharness import wexla

# Colours the built-in icon does not have.
RED, BLUE = (230, 20, 40), (30, 60, 220)
# A 16x16 icon in a 20x20 tray cell: most of its pixels show the file's colour.
ICON_PIXELS = 128
HELP_VIEWER = "Wexla 98 Help"


class Windows(wexla.AppTest):
    def shows(self, colour):
        return wh.count_colour(self.session.tray_pixels(), colour) >= ICON_PIXELS

    def test_icon_commands_save_quit_and_help(self):
        app = self.app(with_help=True)
        red = wh.windows_path(wh.write_icon(os.path.join(app.app_dir, "red.ico"), RED))
        # Blanks and a comma in the folder: the path must survive the dialog and the file.
        other = os.path.join(self.session.dir, "my icons, new")
        os.mkdir(other)
        blue = wh.windows_path(wh.write_icon(os.path.join(other, "blue.ico"), BLUE))
        # Started elsewhere: the Open dialog still starts in the program's folder, where the
        # bare file name finds the icon.
        app.start(cwd=self.session.dir)
        before = self.session.tray_pixels()
        app.choose("Icon", "Change icon")
        wh.wait_for(lambda: "Icon Files (*.ico)" in self.session.texts(wexla.OPEN_TITLE),
                    what="the Open dialog's file type")
        app.close(wexla.OPEN_TITLE, "Escape")
        self.assertEqual(before, self.session.tray_pixels())
        app.choose_icon_file("red.ico")
        wh.wait_for(lambda: self.shows(RED), what="the red icon")
        app.choose("Quit")
        app.close(wexla.CAPTION, "y")
        app.program.wait_exit()
        self.assertEqual(wexla.settings_line(red, False), app.read_settings())
        self.assertEqual(sorted([app.exe_name, "red.ico", wexla.SETTINGS_NAME, *wexla.HELP_NAMES]),
                         sorted(os.listdir(app.app_dir)))
        app.end()
        app.start()
        wh.wait_for(lambda: self.shows(RED), what="the saved icon at start")
        app.choose("Icon", "Restore default icon")
        # Wine's tray paints a new icon over the old one; a shell restart repaints the cell.
        app.shell_restart()
        wh.wait_for(lambda: self.session.tray_pixels() == before, what="the built-in icon")
        app.choose("Quit")
        app.close(wexla.CAPTION, "n")
        app.program.wait_exit()
        self.assertEqual(wexla.settings_line(red, False), app.read_settings())
        app.end()
        app.start()
        app.choose_icon_file(blue)
        app.choose("Save settings")
        wh.wait_for(lambda: app.read_settings() == wexla.settings_line(blue, False),
                    what="blue saved")
        # The Open dialog went to another folder: Help still opens the program folder's file.
        app.choose("Help")
        viewer = wh.wait_for(lambda: self.session.search("--name", "^%s$" % HELP_VIEWER),
                             timeout=30, what="the help viewer")[0]
        # The viewer is the shell's child, not ours: it is ended by the PID its window names.
        self.addCleanup(os.kill, int(self.session.xdotool("getwindowpid", viewer)), signal.SIGTERM)
        self.assertGreater(min(self.session.geometry(viewer)[2:]), 200, "an error box, not a page")

    def test_mouse_configuration_and_about_windows(self):
        app = self.app(wexla.settings_line("", True)).start()
        version = "Version: " + os.environ["WEXLA_VERSION"]
        # Focus starts on Close in the Mouse window: Tab moves to the option shown selected,
        # Down selects the other (at once), Tab and space close it. In About it starts on OK.
        for row, title, keys in (("Mouse configuration", wexla.MOUSE_TITLE,
                                  ("Tab", "Down", "Tab", "space")),
                                 *(("About", wexla.ABOUT_TITLE, (key,))
                                   for key in ("Escape", "Return", "alt+F4"))):
            with self.subTest(title=title, keys=keys):
                for _ in range(2):  # a second choice shows the open window again
                    app.choose(row)
                    app.window(title)
                self.assertEqual(1, len(self.session.x_windows(app.program.pid, title)))
                # The About window's texts are filled in after it shows: polled.
                wh.wait_for(lambda: title != wexla.ABOUT_TITLE
                            or version in self.session.texts(title), what="the version")
                app.close(title, *keys)
        app.click()
        self.assertEqual(["mailto:"], self.session.mail_settled(1))
        app.choose("Save settings")
        wh.wait_for(lambda: app.read_settings() == wexla.settings_line("", False),
                    what="single-click mode saved")
        # System Info (Tab from OK): this prefix has none; its box goes, the window stays.
        app.choose("About")
        app.keys(wexla.ABOUT_TITLE, "Tab", "Return")
        app.close(wexla.CAPTION, "Return")
        app.close(wexla.ABOUT_TITLE, "Escape")
        # Quit with the window open: the icon goes at once, the program when the window closes.
        app.choose("Mouse configuration")
        app.choose("Quit")
        self.session.wait_tray_empty()
        self.assertTrue(app.running())
        app.keys(wexla.MOUSE_TITLE, "Return")
        app.program.wait_exit()


if __name__ == "__main__":
    unittest.main(verbosity=2)
