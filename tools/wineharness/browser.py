"""What the shell hands to a web browser: which program a file type has (its class under
HKEY_CLASSES_ROOT), and a log of every file or address Wine's browser hand-off (winebrowser)
receives, kept like the mail hand-offs."""

import os
import urllib.parse

from .host import HarnessError

BROWSERS_KEY = r"HKCU\Software\Wine\WineBrowser"
VIEWS = ("/reg:32", "/reg:64")
# The class whose "open" command in a booted prefix is winebrowser; a prefix without Gecko
# (mshtml disabled, as the sessions run) has it but leaves .htm without it.
WEB_PAGE_CLASS = "htmlfile"


def file_type(session, extension, view=VIEWS[-1]):
    """The class of a file type such as ".hlp", or None when it has none."""
    code, out = session.wine("reg", "query", r"HKCR\%s" % extension, "/ve", view, check=False)
    values = [line.split("REG_SZ", 1)[1].strip() for line in out.splitlines() if "REG_SZ" in line]
    return values[0] if code == 0 and values and values[0] else None


def set_file_type(session, extension, cls):
    """Gives a file type a class in both registry views, or with None takes its program away,
    as on a Windows that lacks the program."""
    key = r"HKCR\%s" % extension
    for view in VIEWS:
        if cls is None:
            session.wine("reg", "delete", key, "/f", view, check=False)
        else:
            session.wine("reg", "add", key, "/ve", "/d", cls, "/f", view)
    if any(file_type(session, extension, view) != cls for view in VIEWS):
        raise HarnessError("%s could not be set to %r" % (key, cls))


class BrowserLog:
    """Registers a script as Wine's browser for the session: one line per hand-off."""

    def __init__(self, session):
        self.path = os.path.join(session.dir, "browser.log")
        script = os.path.join(session.dir, "browser.sh")
        with open(script, "w") as out:
            out.write('#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a" >> "%s"; done\n'
                      % self.path)
        os.chmod(script, 0o755)
        session.wine("reg", "add", BROWSERS_KEY, "/v", "Browsers", "/d", script, "/f")

    def hand_offs(self):
        """The handed-off addresses; files as Linux paths (winebrowser passes file:// URLs)."""
        try:
            with open(self.path) as log:
                lines = log.read().splitlines()
        except FileNotFoundError:
            return []
        return [urllib.parse.unquote(line[len("file://"):]) if line.startswith("file://")
                else line for line in lines]
