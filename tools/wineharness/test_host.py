"""The harness itself against the real Wine and X server, below any program of the project: the
check of how the session's architecture runs must leave the prefix to the session, and a
session's first window of that architecture shows."""

import os
import shutil
import subprocess
import tempfile
import unittest

import wineharness as wh
from wineharness import host
from wineharness.session import _Template

ARCH = os.environ.get("WINEHARNESS_ARCH", "x86_64")
TITLE = "wineharness window check"
WINDOW_SOURCE = ("#include <windows.h>\n"
                 "int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s)\n"
                 '{ return MessageBoxA(0, "shown", "%s", MB_OK); }\n' % TITLE)


def prefix_processes(prefix):
    wanted = ("WINEPREFIX=" + prefix).encode()
    return [pid for pid, _, variables, _ in host.linux_processes() if wanted in variables]


class Harness(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = wh.Session(arch=ARCH)

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    @unittest.skipUnless(ARCH == "i686", "only the 32-bit check runs a program")
    def test_the_check_ends_the_wine_session_it_started(self):
        # A session the check leaves running, joined by the keeper, hangs every later 32-bit
        # GUI program at start-up.
        work = tempfile.mkdtemp(prefix="wineharness-check-")
        self.addCleanup(shutil.rmtree, work, True)
        prefix = os.path.join(work, "prefix")
        subprocess.run(["cp", "-a", _Template.get(), prefix], check=True,
                       timeout=host.TOOL_TIMEOUT)
        self.addCleanup(lambda: [wh.end_pid(pid) for pid in prefix_processes(prefix)])
        self.assertIsNone(host.check_runs([host.loader(ARCH)], prefix, work))
        self.assertEqual([], prefix_processes(prefix))

    def test_a_window_of_the_architecture_shows(self):
        source = os.path.join(self.session.dir, "window.c")
        exe = os.path.join(self.session.dir, "window.exe")
        with open(source, "w") as out:
            out.write(WINDOW_SOURCE)
        subprocess.run(["%s-w64-mingw32-gcc" % ARCH, "-mwindows", "-o", exe, source],
                       check=True, timeout=host.TOOL_TIMEOUT)
        program = self.session.start(exe)
        self.session.x_window(program.pid, TITLE)
        self.session.stop(program)


if __name__ == "__main__":
    unittest.main(verbosity=2)
