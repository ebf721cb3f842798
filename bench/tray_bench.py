"""Wexla 98 against the bare tray baseline under Xvfb + Wine, for the i686 program under the
32-bit loader and the x86_64 program under wine64: start-up, click hand-off, idle CPU, memory,
GUI objects, and the release programs' footprint. Run through scripts/bench.sh.

Each event is timed where it happens, on one clock (time.time()): the start just before the
loader is started, the icon's appearance when the X server reports the tray window mapped, the
click when XTEST has delivered it, the hand-off by the mail logger itself. The two programs
alternate (which one goes first alternates too), so drift of the machine falls on both alike.
Every figure keeps all its samples besides the median, minimum and maximum."""

import argparse
import json
import os
import statistics
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "tools"))

import footprint  # noqa: E402
import process_stats  # noqa: E402
import report  # noqa: E402
import wineharness  # noqa: E402
import x_clock  # noqa: E402
from wineharness.wexla import ABOUT_TITLE, MOUSE_TITLE, App  # noqa: E402

MAILTO = "mailto:"
START_TIMEOUT = 30.0
HANDOFF_TIMEOUT = 20.0
# Only how soon the benchmark notices: the logger's own clock reading is the figure.
LOG_POLL_S = 0.01
PROGRAMS = ("wexla", "bare")
ICON_COLOUR = (255, 0, 0)
ICON_SIDE = 16


def summary(values):
    return {"median": statistics.median(values), "min": min(values), "max": max(values),
            "samples": values} if values else None


def start_to_icon(session, maps, exe, cwd):
    """Seconds from the loader's start until Wine's tray window is mapped for the icon. The
    tray window must be unmapped first, or its next map would not be this program's doing."""
    session.clear_tray()
    session.wait_tray_empty()
    started = time.time()
    program = session.start(exe, cwd=cwd)
    shown = maps.first_map_after(started, START_TIMEOUT)
    if shown is None:
        session.stop(program)
        raise wineharness.HarnessError("no tray icon from %s" % exe)
    return program, shown - started


def click_to_handoff(session, clicks):
    """Seconds from a left click on the first tray cell until the mail logger got mailto:."""
    session.reset_mail()
    tray = session.wait_tray()
    x, y, _, cell = session.geometry(tray)
    session.xdotool("windowraise", tray, check=False)
    clicked = clicks.click_at(x + cell // 2, y + cell // 2, wineharness.X_LEFT)
    handed = wineharness.wait_for(
        lambda: [t for t, arg in session.hand_offs() if arg == MAILTO], HANDOFF_TIMEOUT,
        "the mail hand-off of a click", LOG_POLL_S)[0]
    session.move_away()
    # Two clicks closer than the double-click time would be one double click to the shell.
    time.sleep(wineharness.SEPARATE_CLICK_GAP_S)
    return handed - clicked


def gui_snapshot(session, counters, program):
    """What can be counted of a process's GUI objects from outside it (counters:
    gui_counters.exe)."""
    code, out = session.wine(counters, program.exe_name, check=False)
    if code != 0:
        raise wineharness.HarnessError("%s is not among Wine's processes" % program.exe_name)
    found = json.loads(out)
    return {
        "gdi_objects": found["gdi"],
        "user_objects": found["user"],
        "top_level_windows": len(session.windows(pid=found["pid"])),
        "vm_rss": process_stats.rss_bytes(program.pid),
    }


def run_alternating(session, maps, clicks, exes, repetitions, clicks_per_start, work,
                    counters):
    samples = {name: {"start_s": [], "click_s": [], "rss": [], "gui": None, "failed_starts": []}
               for name in exes}
    # The first starts of a session also set up Wine's services and caches; whichever program
    # went first would pay for them. One start of each, unmeasured, goes before.
    for name in PROGRAMS:
        program, _ = start_to_icon(session, maps, exes[name], tempfile.mkdtemp(dir=work))
        session.stop(program)
    for repetition in range(repetitions):
        order = PROGRAMS if repetition % 2 == 0 else PROGRAMS[::-1]
        for name in order:
            cwd = tempfile.mkdtemp(prefix="%s-%d-" % (name, repetition), dir=work)
            try:
                program, seconds = start_to_icon(session, maps, exes[name], cwd)
            except wineharness.HarnessError as error:
                # One lost start on a loaded machine must not cost the whole run: it is
                # counted, and the start is made again.
                samples[name]["failed_starts"].append(str(error))
                program, seconds = start_to_icon(session, maps, exes[name], cwd)
            try:
                samples[name]["start_s"].append(seconds)
                samples[name]["rss"].append(process_stats.settled_rss(program.pid))
                if samples[name]["gui"] is None:
                    samples[name]["gui"] = gui_snapshot(session, counters, program)
                for _ in range(clicks_per_start):
                    samples[name]["click_s"].append(click_to_handoff(session, clicks))
            finally:
                session.stop(program)
            print("  %s rep %2d %-5s start %.3f s, clicks %s" % (
                session.arch, repetition + 1, name, seconds,
                ", ".join("%.3f" % s for s in samples[name]["click_s"][-clicks_per_start:])),
                flush=True)
    session.clear_tray()
    return samples


def idle_cpu(session, exes, seconds, work):
    """Both programs run side by side with no input; CPU time each used over the window."""
    running = {}
    try:
        for name in PROGRAMS:
            cwd = tempfile.mkdtemp(prefix="%s-idle-" % name, dir=work)
            running[name] = session.start(exes[name], cwd=cwd)
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


def churn(session, exe, icon_pairs, dialog_cycles, counters):
    """Icon changes and dialog cycles through the menu, as a user makes them, with snapshots
    around them. The snapshot after one warm-up round is the reference: first use loads code
    and caches that a leak must not be confused with."""
    app = App(session, exe)
    icon = wineharness.write_icon(os.path.join(app.app_dir, "bench-red.ico"),
                                  ICON_COLOUR, ICON_SIDE)
    app.start()
    try:
        def round_of(pairs, cycles):
            # Each command has ended when the next one's menu opens: the program handles one
            # tray event at a time.
            for _ in range(pairs):
                app.choose_icon_file(wineharness.windows_path(icon))
                app.choose("Icon", "Restore default icon")
            # Enter presses the button that has the focus when a window opens: Close, OK.
            for title, item in ((MOUSE_TITLE, "Mouse configuration"), (ABOUT_TITLE, "About")):
                for _ in range(cycles):
                    app.choose(item)
                    app.keys(title, "Return")
                    app.window_gone(title)

        snapshots = {"start": gui_snapshot(session, counters, app.program)}
        round_of(1, 1)
        process_stats.settled_rss(app.program.pid)
        snapshots["warm"] = gui_snapshot(session, counters, app.program)
        started = time.monotonic()
        round_of(icon_pairs, dialog_cycles)
        process_stats.settled_rss(app.program.pid)
        snapshots["end"] = gui_snapshot(session, counters, app.program)
        snapshots.update(icon_changes=2 * icon_pairs, dialog_cycles_each=dialog_cycles,
                         seconds=time.monotonic() - started)
        return snapshots
    finally:
        app.end()


def bench_arch(arch, exes, args):
    with wineharness.Session(arch=arch, probe=args.probe) as session:
        work = tempfile.mkdtemp(prefix="work-", dir=session.dir)
        maps = x_clock.MapClock(session.display, wineharness.TRAY_NAME)
        clicks = x_clock.ClickClock(session.display)
        print("%s: display :%d, prefix %s" % (arch, session.display, session.prefix), flush=True)
        samples = run_alternating(session, maps, clicks, exes, args.repetitions, args.clicks, work,
                                  args.gui_counters)
        print("%s: idle CPU over %.0f s" % (arch, args.idle_seconds), flush=True)
        idle = idle_cpu(session, exes, args.idle_seconds, work)
        result = {}
        for name in PROGRAMS:
            result[name] = {
                "exe": exes[name],
                "start_to_icon_s": summary(samples[name]["start_s"]),
                "click_to_handoff_s": summary(samples[name]["click_s"]),
                "working_set_bytes": summary(samples[name]["rss"]),
                "idle_cpu_s": idle[name],
                "gui_after_start": samples[name]["gui"],
                "failed_starts": samples[name]["failed_starts"],
            }
        pairs = list(zip(samples["wexla"]["start_s"], samples["bare"]["start_s"]))
        result["start_pairs_wexla_slower"] = sum(1 for w, b in pairs if w > b)
        if args.icon_pairs or args.dialog_cycles:
            print("%s: GUI object churn" % arch, flush=True)
            try:
                result["churn"] = churn(session, exes["wexla"], args.icon_pairs,
                                        args.dialog_cycles, args.gui_counters)
            except wineharness.HarnessError as error:
                # The timings above still stand; the table says what is missing.
                result["churn"] = {"error": str(error)}
                print("churn failed: %s" % error, flush=True)
        clicks.close()
        return result


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", action="append", required=True, metavar="ARCH=WEXLA,BARE",
                        help="an architecture's wexla98.exe and bare_tray.exe (repeatable)")
    parser.add_argument("--probe", required=True, help="x86_64 probe.exe")
    parser.add_argument("--gui-counters", required=True, help="x86_64 gui_counters.exe")
    parser.add_argument("--repetitions", type=int, default=15)
    parser.add_argument("--clicks", type=int, default=3, help="clicks per start")
    parser.add_argument("--idle-seconds", type=float, default=60.0)
    parser.add_argument("--icon-pairs", type=int, default=10,
                        help="Change icon + Restore default icon rounds (two changes each)")
    parser.add_argument("--dialog-cycles", type=int, default=10,
                        help="open/close cycles of each dialog")
    parser.add_argument("--out", default=os.path.join(HERE, "results"))
    args = parser.parse_args()
    args.probe = os.path.abspath(args.probe)
    args.gui_counters = os.path.abspath(args.gui_counters)

    results = {"parameters": vars(args), "clock": "time.time(), seconds", "footprint": {},
               "architectures": {}}
    for entry in args.program:
        arch, _, exe_pair = entry.partition("=")
        wexla, bare = (os.path.abspath(exe) for exe in exe_pair.split(","))
        results["footprint"][arch] = footprint.measure(arch, wexla)
        reason = wineharness.arch_unavailable(arch)
        try:
            if reason is None:
                results["architectures"][arch] = bench_arch(arch, {"wexla": wexla, "bare": bare},
                                                            args)
        except wineharness.NotRunnable:
            reason = "a %s program did not run under Wine on this host" % arch
        except wineharness.HarnessError as error:
            reason = "the %s session failed: %s" % (arch, error)
        if reason is not None:
            # Said plainly in the table rather than left out.
            results["architectures"][arch] = {"not_run": reason}
        write_results(results, args.out)
    print(write_results(results, args.out))


def write_results(results, out_dir):
    """Writes what is measured so far, so that a later architecture's failure loses nothing."""
    os.makedirs(out_dir, exist_ok=True)
    with open(os.path.join(out_dir, "latest.json"), "w") as out:
        json.dump(results, out, indent=2)
    table = report.markdown(results)
    with open(os.path.join(out_dir, "latest.md"), "w") as out:
        out.write(table)
    return table


if __name__ == "__main__":
    main()
