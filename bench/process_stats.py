"""What Linux knows about a Wine process: CPU time and resident memory, from /proc."""

import os
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
KIB = 1024
# /proc/PID/stat fields 14 and 15 (1-based): user and system time in clock ticks.
UTIME_FIELD = 13
STIME_FIELD = 14


def cpu_seconds(pid):
    """User plus system time of all the process's threads."""
    with open("/proc/%d/stat" % pid) as stat:
        text = stat.read()
    # The command name is in parentheses and may itself hold blanks.
    fields = text[text.rindex(")") + 2:].split()
    # fields[0] is field 3 of the line.
    offset = 2
    ticks = int(fields[UTIME_FIELD - offset]) + int(fields[STIME_FIELD - offset])
    return ticks / CLOCK_TICKS


def status_kib(pid, key):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    raise KeyError(key)


def rss_bytes(pid):
    return status_kib(pid, "VmRSS") * KIB


def command_line(pid):
    with open("/proc/%d/cmdline" % pid, "rb") as cmdline:
        return cmdline.read().replace(b"\0", b" ").decode(errors="replace").strip()


def settled_rss(pid, timeout=10.0, interval=0.25, tolerance=64 * KIB):
    """VmRSS once start-up has stopped touching new pages: two readings an interval apart
    within tolerance. Returns the last reading when the timeout ends first."""
    deadline = time.monotonic() + timeout
    previous = rss_bytes(pid)
    while time.monotonic() < deadline:
        time.sleep(interval)
        current = rss_bytes(pid)
        if abs(current - previous) <= tolerance:
            return current
        previous = current
    return previous
