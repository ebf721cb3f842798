"""Where a Wine process's resident memory lies: VmRSS split by mapped file (DLLs, the exe) and
anonymous memory, for two programs side by side. Shows which DLLs one program loads that the
other does not. Usage: rss_breakdown.py PROBE EXE_A EXE_B"""

import collections
import os
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "tools"))

import process_stats  # noqa: E402
import wineharness  # noqa: E402

KIB = 1024


def rss_by_mapping(pid):
    """KiB resident per mapped file name ("[anon]" for memory without a file)."""
    totals = collections.Counter()
    current = None
    with open("/proc/%d/smaps" % pid) as smaps:
        for line in smaps:
            fields = line.split()
            if "-" in fields[0] and len(fields) >= 5 and ":" in fields[3]:
                current = os.path.basename(fields[5]) if len(fields) >= 6 else "[anon]"
            elif fields[0] == "Rss:":
                totals[current] += int(fields[1])
    return totals


def main():
    probe, first, second = sys.argv[1:4]
    with wineharness.Session(probe=os.path.abspath(probe)) as session:
        maps = {}
        for exe in (first, second):
            cwd = tempfile.mkdtemp(dir=session.dir)
            program = session.start(os.path.abspath(exe), cwd=cwd)
            session.wait_tray()
            process_stats.settled_rss(program.pid)
            maps[os.path.basename(exe)] = rss_by_mapping(program.pid)
            session.stop(program)
            session.clear_tray()
    (name_a, a), (name_b, b) = maps.items()
    print("%-28s %10s %10s %10s" % ("mapping (KiB resident)", name_a[:10], name_b[:10], "diff"))
    for key in sorted(set(a) | set(b), key=lambda k: -(a[k] - b[k])):
        if a[key] != b[key]:
            print("%-28s %10d %10d %+10d" % (key[:28], a[key], b[key], a[key] - b[key]))
    print("%-28s %10d %10d %+10d" % ("total", sum(a.values()), sum(b.values()),
                                     sum(a.values()) - sum(b.values())))


if __name__ == "__main__":
    main()
