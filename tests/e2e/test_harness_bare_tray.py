"""Checks the harness itself against the minimal bare_tray program, whose behaviour is known:
one icon with the tip "Bare", one mail hand-off per left click, nothing else.

Needs WEXLA_BARE_TRAY (bare_tray.exe, x86_64) and WEXLA_PROBE; skips without them.
"""

import os
import unittest

import wexla_e2e as e2e

BARE_TRAY = os.environ.get("WEXLA_BARE_TRAY")
PROBE = os.environ.get("WEXLA_PROBE")
MISSING = [name for name, value in (("WEXLA_BARE_TRAY", BARE_TRAY), ("WEXLA_PROBE", PROBE))
           if not value or not os.path.isfile(value)]
BARE_CLASS = "BareTray"
BARE_TIP = "Bare"


@unittest.skipIf(MISSING, "set %s to check the harness" % " and ".join(MISSING))
class HarnessOnBareTrayTest(unittest.TestCase):
    def setUp(self):
        self.session = e2e.Session(PROBE)
        self.addCleanup(self.session.close)

    def test_left_click_hands_off_once_and_cleanup_empties_the_tray(self):
        program = self.session.start(BARE_TRAY)
        window = self.session.wait_window_class(BARE_CLASS)
        self.assertFalse(window["visible"])
        self.session.wait_tray()
        self.session.click_tray()
        self.session.move_away()
        self.session.wait_mail(1)
        self.assertEqual(["mailto:"], self.session.mail_sentinel())
        self.session.hover_tray()
        self.assertIn(BARE_TIP, e2e.wait_for(self.session.tooltip_texts, what="the tooltip"))
        self.session.stop(program)
        self.assertFalse(program.running())
        self.session.clear_tray()
        self.assertEqual([], self.session.win32_windows(BARE_CLASS))

    def test_session_cleanup_ends_everything_it_started(self):
        program = self.session.start(BARE_TRAY)
        self.session.wait_tray()
        processes = [program.process, self.session.keeper, self.session.xvfb]
        self.session.close()
        self.assertEqual([], [p.pid for p in processes if p.poll() is None])


if __name__ == "__main__":
    unittest.main()
