"""Wexla 98 against the bare tray baseline under Xvfb + Wine: start-up, click hand-off, idle CPU,
memory, GUI objects, and the release programs' footprint. Run through scripts/bench.sh.

The two programs run in one session and alternate, so drift of the machine (other load, Wine's
caches warming up) falls on both alike. Figures are medians over the repetitions."""

import argparse
import json
import os
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import footprint  # noqa: E402
import process_stats  # noqa: E402
import report  # noqa: E402
import tray_driver  # noqa: E402
from tray_driver import e2e  # noqa: E402

MAILTO = "mailto:"
START_TIMEOUT = 30.0
HANDOFF_TIMEOUT = 20.0
# Polling the mail log is a file read; this keeps the clock's error far below the figures.
LOG_POLL_S = 0.002
MIB = 1024 * 1024


def tray_shown(session):
    return bool(session.search("--name", "^%s$" % e2e.TRAY_WINDOW_NAME))


def start_to_icon(session, exe, cwd):
    """Seconds from the process start until Wine's tray window is mapped for the icon."""
    session.clear_tray()
    started = time.monotonic()
    program = session.start(exe, cwd=cwd)
    deadline = started + START_TIMEOUT
    # xdotool itself takes a few milliseconds, which is the polling interval.
    while not tray_shown(session):
        if time.monotonic() > deadline or not program.running():
            raise e2e.HarnessError("no tray icon from %s" % exe)
    return program, time.monotonic() - started


def click_to_handoff(session):
    """Seconds from a left click on the first tray cell until the mail hook logs mailto:."""
    session.reset_mail()
    tray = session.wait_tray()
    session.xdotool("mousemove", "--window", tray, "--sync", e2e.TRAY_CELL // 2,
                    e2e.TRAY_CELL // 2)
    clicked = time.monotonic()
    session.xdotool("click", e2e.X_LEFT_BUTTON)
    deadline = clicked + HANDOFF_TIMEOUT
    while MAILTO not in session.mail_lines():
        if time.monotonic() > deadline:
            raise e2e.HarnessError("no mail hand-off after a click")
        time.sleep(LOG_POLL_S)
    elapsed = time.monotonic() - clicked
    session.move_away()
    # Two clicks closer than the double-click time would be one double click to the shell.
    time.sleep(e2e.SEPARATE_CLICK_GAP_S)
    return elapsed


def windows_pid(session, exe_name):
    for process in session.probe("processes") or []:
        if process["exe"].lower() == exe_name.lower():
            return process["pid"]
    raise e2e.HarnessError("%s is not among Wine's processes" % exe_name)


def gui_snapshot(session, program):
    """What can be counted of a process's GUI objects from outside it."""
    win_pid = windows_pid(session, program.exe_name)
    counters = (session.probe("gui-resources", win_pid) or [{}])[0]
    memory = (session.probe("memory", win_pid) or [{}])[0]
    windows = session.probe("windows", "--pid", win_pid) or []
    return {
        "gdi_objects": counters.get("gdi"),
        "user_objects": counters.get("user"),
        "top_level_windows": len(windows),
        "vm_rss": process_stats.rss_bytes(program.pid),
        "working_set": memory.get("working_set"),
    }


def run_alternating(session, programs, repetitions, clicks, work):
    samples = {name: {"start_s": [], "click_s": [], "rss": [], "gui": None} for name in programs}
    for repetition in range(repetitions):
        for name, exe in programs.items():
            cwd = tempfile.mkdtemp(prefix="%s-%d-" % (name, repetition), dir=work)
            program, seconds = start_to_icon(session, exe, cwd)
            try:
                samples[name]["start_s"].append(seconds)
                samples[name]["rss"].append(process_stats.settled_rss(program.pid))
                if samples[name]["gui"] is None:
                    samples[name]["gui"] = gui_snapshot(session, program)
                for _ in range(clicks):
                    samples[name]["click_s"].append(click_to_handoff(session))
            finally:
                session.stop(program)
            print("  rep %d %-5s start %.3f s, clicks %s" % (
                repetition + 1, name, seconds,
                ", ".join("%.3f" % s for s in samples[name]["click_s"][-clicks:])), flush=True)
    session.clear_tray()
    return samples


def idle_cpu(session, programs, seconds, work):
    """Both programs run side by side with no input; CPU time each used over the window."""
    running = {}
    try:
        for name, exe in programs.items():
            cwd = tempfile.mkdtemp(prefix="%s-idle-" % name, dir=work)
            running[name] = session.start(exe, cwd=cwd)
            session.wait_tray()
        for program in running.values():
            process_stats.settled_rss(program.pid)
        before = {name: process_stats.cpu_seconds(p.pid) for name, p in running.items()}
        session.move_away()
        time.sleep(seconds)  # the measurement window itself
        return {name: process_stats.cpu_seconds(p.pid) - before[name]
                for name, p in running.items()}
    finally:
        for program in running.values():
            session.stop(program)
        session.clear_tray()


def churn(session, exe, icon_pairs, dialog_cycles, work):
    """Icon changes and dialog cycles through the menu, with GUI snapshots around them. The
    snapshot after one warm-up round is the reference: first use loads code and caches that a
    leak must not be confused with."""
    cwd = tempfile.mkdtemp(prefix="churn-", dir=work)
    program, _ = start_to_icon(session, exe, cwd)
    try:
        driver = tray_driver.WexlaDriver(session, program.exe_name, work)
        snapshots = {"start": gui_snapshot(session, program)}

        def round_of(pairs, cycles):
            for _ in range(pairs):
                driver.change_icon()
                driver.restore_default_icon()
            for _ in range(cycles):
                driver.mouse_dialog_cycle()
            for _ in range(cycles):
                driver.about_dialog_cycle()

        round_of(1, 1)
        process_stats.settled_rss(program.pid)
        snapshots["warm"] = gui_snapshot(session, program)
        started = time.monotonic()
        round_of(icon_pairs, dialog_cycles)
        process_stats.settled_rss(program.pid)
        snapshots["end"] = gui_snapshot(session, program)
        snapshots["icon_changes"] = 2 * icon_pairs
        snapshots["dialog_cycles_each"] = dialog_cycles
        snapshots["seconds"] = time.monotonic() - started
        return snapshots
    finally:
        session.stop(program)
        session.clear_tray()


def median(values):
    return statistics.median(values) if values else None


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--wexla", required=True, help="x86_64 wexla98.exe (run under Wine)")
    parser.add_argument("--bare", required=True, help="x86_64 bare_tray.exe")
    parser.add_argument("--probe", required=True, help="x86_64 wexla_probe.exe")
    parser.add_argument("--size-exe", action="append", default=[], metavar="ARCH=EXE",
                        help="release program whose footprint to report (repeatable)")
    parser.add_argument("--repetitions", type=int, default=7)
    parser.add_argument("--clicks", type=int, default=3, help="clicks per repetition")
    parser.add_argument("--idle-seconds", type=float, default=60.0)
    parser.add_argument("--icon-pairs", type=int, default=10,
                        help="Change icon + Restore default icon rounds (two changes each)")
    parser.add_argument("--dialog-cycles", type=int, default=10,
                        help="open/close cycles of each dialog")
    parser.add_argument("--out", default=os.path.join(HERE, "results"))
    args = parser.parse_args()

    os.environ.setdefault("WEXLA_E2E_DISPLAYS", "11-19")
    if not os.environ.get("WEXLA_E2E_TMPDIR"):
        # The harness keeps its prefix template there until the interpreter exits.
        os.environ["WEXLA_E2E_TMPDIR"] = tempfile.mkdtemp(prefix="bench-")
    programs = {"wexla": os.path.abspath(args.wexla), "bare": os.path.abspath(args.bare)}
    results = {"parameters": vars(args), "footprint": {}}
    for entry in args.size_exe:
        arch, _, exe = entry.partition("=")
        results["footprint"][arch] = footprint.measure(arch, exe)

    with e2e.Session(os.path.abspath(args.probe)) as session:
        work = tempfile.mkdtemp(prefix="work-", dir=session.dir)
        print("display :%d, prefix %s" % (session.display, session.prefix), flush=True)
        print("start-up and click hand-off, %d repetitions" % args.repetitions, flush=True)
        samples = run_alternating(session, programs, args.repetitions, args.clicks, work)
        print("idle CPU over %.0f s" % args.idle_seconds, flush=True)
        idle = idle_cpu(session, programs, args.idle_seconds, work)
        print("GUI object churn", flush=True)
        try:
            results["churn"] = churn(session, programs["wexla"], args.icon_pairs,
                                     args.dialog_cycles, work)
        except e2e.HarnessError as error:
            # The timings above still stand; the table says what is missing.
            results["churn"] = {"error": str(error)}
            print("churn failed: %s" % error, flush=True)

    for name in programs:
        results[name] = {
            "start_to_icon_s": median(samples[name]["start_s"]),
            "click_to_handoff_s": median(samples[name]["click_s"]),
            "idle_cpu_s": idle[name],
            "working_set_bytes": median(samples[name]["rss"]),
            "gui_after_start": samples[name]["gui"],
            "samples": samples[name],
        }
    os.makedirs(args.out, exist_ok=True)
    with open(os.path.join(args.out, "latest.json"), "w") as out:
        json.dump(results, out, indent=2)
    table = report.markdown(results)
    with open(os.path.join(args.out, "latest.md"), "w") as out:
        out.write(table)
    print(table)


if __name__ == "__main__":
    main()
