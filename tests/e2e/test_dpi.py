"""The program at 120 DPI end to end: the tray icon at the size the system asks for, clicks and
the menu, and a window placed and sized from its twips layout. Every form's scaling is checked
closer to the code by form_builder_test at 144 DPI."""

import unittest

import wineharness as wh
from wineharness import wexla

DPI = 120
TWIPS_PER_INCH = 1440
SM_CXSMICON = 49
# The About window's client area in twips: left, top, width, height.
ABOUT_TWIPS = (2340, 1935, 4095, 3435)
# One image per size, each of its own colour: the tray shows which one the program loaded.
IMAGES = [(16, (255, 0, 0)), (20, (0, 255, 0)), (24, (0, 0, 255)), (32, (255, 0, 255))]


class HighDpi(wexla.AppTest):
    session_options = {"dpi": DPI}

    def test_icon_clicks_and_window(self):
        app = self.app()
        icon = wh.write_icon(app.settings + ".ico", IMAGES)
        app.write_settings(wexla.settings_line(wh.windows_path(icon), True))
        app.start()
        side = self.session.probe("metric", SM_CXSMICON)[0]["value"]
        wh.wait_for(lambda: wh.count_colour(self.session.tray_pixels(), dict(IMAGES)[side])
                    >= side * side // 2, what="the %d px image in the tray" % side)
        app.double_click()
        self.assertEqual(["mailto:"], app.hand_offs(1))
        app.choose("About")
        about = self.session.geometry(self.session.x_window(app.program.pid, wexla.ABOUT_TITLE))
        # Rounding may go either way by one pixel.
        self.assertTrue(all(abs(t * DPI / TWIPS_PER_INCH - a) <= 1
                            for t, a in zip(ABOUT_TWIPS, about)), about)


if __name__ == "__main__":
    unittest.main(verbosity=2)
