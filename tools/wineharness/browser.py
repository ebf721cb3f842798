"""What the shell hands to a web browser: which program a file type has (its class under
HKEY_CLASSES_ROOT), and a log of every file or address Wine's browser hand-off (winebrowser)
receives, kept like the mail hand-offs."""

import urllib.parse

from .host import HarnessError
from .session import Session

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
        self.path = session.log_hand_offs("Browsers", "browser")

    def hand_offs(self):
        """The handed-off addresses; files as Linux paths (winebrowser passes file:// URLs)."""
        return [urllib.parse.unquote(arg[len("file://"):]) if arg.startswith("file://") else arg
                for _, arg in Session.read_hand_offs(self.path)]
