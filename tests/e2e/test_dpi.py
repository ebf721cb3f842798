"""The program at 120 DPI end to end: clicks, the menu by keyboard, both windows scaled from
their twips layouts, and the tray icon at the size the system asks for."""

import unittest

import wineharness as wh
from wineharness import wexla

DPI = 120
TWIPS_PER_INCH = 1440
SM_CXSMICON = 49
# Client areas in twips: (left, top, width, height); the mouse window is centred.
MOUSE_TWIPS = (2940, 2265)
ABOUT_TWIPS = (2340, 1935, 4095, 3435)
# One image per size, each of its own colour: the tray shows which one the program loaded.
IMAGES = [(16, (255, 0, 0)), (20, (0, 255, 0)), (24, (0, 0, 255)), (32, (255, 0, 255))]
def pixels(twips):
    return [t * DPI / TWIPS_PER_INCH for t in twips]


class HighDpi(wexla.AppTest):
    session_options = {"dpi": DPI}

    def assert_near(self, expected, actual):
        # Rounding may go either way by one pixel.
        self.assertTrue(all(abs(e - a) <= 1 for e, a in zip(expected, actual)), (expected, actual))

    def test_clicks_menu_windows_and_icon(self):
        for double_click in (False, True):
            with self.subTest(double_click=double_click):
                app = self.app()
                icon = wh.write_icon(app.settings + ".ico", IMAGES)
                app.write_settings(wexla.settings_line(wh.windows_path(icon), double_click))
                app.start()
                side = self.session.probe("metric", SM_CXSMICON)[0]["value"]
                colour = dict(IMAGES)[side]
                wh.wait_for(lambda: wh.count_colour(self.session.tray_pixels(), colour)
                            >= side * side // 2, what="the %d px image in the tray" % side)
                app.double_click() if double_click else app.single_click()
                self.assertEqual(["mailto:"], app.hand_offs(1))
                app.choose("Mouse configuration")
                mouse = self.session.x_window(app.program.pid, wexla.MOUSE_TITLE)
                self.assert_near(pixels(MOUSE_TWIPS), self.session.geometry(mouse)[2:])
                app.keys(wexla.MOUSE_TITLE, "Return")
                app.window_gone(wexla.MOUSE_TITLE)
                app.choose("About")
                about = self.session.x_window(app.program.pid, wexla.ABOUT_TITLE)
                self.assert_near(pixels(ABOUT_TWIPS), self.session.geometry(about))
                app.keys(wexla.ABOUT_TITLE, "Escape")
                app.window_gone(wexla.ABOUT_TITLE)
                app.end()


if __name__ == "__main__":
    unittest.main(verbosity=2)
