"""The benchmark's figures as a markdown table, each against its target."""

MIB = 1024 * 1024
KIB = 1024
MS = 1000.0
TIME_RATIO_TARGET = 1.00
IDLE_CPU_TARGET_S = 0.0
WORKING_SET_MARGIN = 1 * MIB
EXE_SIZE_TARGET = 128 * KIB
# Heap pages the allocator keeps after a burst of work are not a leak; a leaked icon or
# dialog per cycle would pass this within a few dozen cycles.
RSS_GROWTH_TOLERANCE = 256 * KIB


def _verdict(ok):
    return "met" if ok else "**missed**"


def _spread(figure):
    return "%.1f ms (%.1f-%.1f)" % (figure["median"] * MS, figure["min"] * MS, figure["max"] * MS)


def _timing_row(arch, label, key, result):
    wexla, bare = result["wexla"][key], result["bare"][key]
    ratio = wexla["median"] / bare["median"]
    return "| %s | %s, median (min-max) | %s | %s | %.2f | <= %.2f x bare | %s |" % (
        arch, label, _spread(wexla), _spread(bare), ratio, TIME_RATIO_TARGET,
        _verdict(ratio <= TIME_RATIO_TARGET))


def _arch_rows(arch, result, params):
    wexla, bare = result["wexla"], result["bare"]
    starts = len(wexla["start_to_icon_s"]["samples"])
    rows = [
        _timing_row(arch, "Start to icon visible", "start_to_icon_s", result),
        "| %s | Starts where Wexla 98 was slower than the bare program just before or after it "
        "| %d of %d | | | | |" % (arch, result["start_pairs_wexla_slower"], starts),
        _timing_row(arch, "Click to mail hand-off", "click_to_handoff_s", result),
        "| %s | Idle CPU over %.0f s (utime+stime) | %.2f s | %.2f s | | %.2f s | %s |" % (
            arch, params["idle_seconds"], wexla["idle_cpu_s"], bare["idle_cpu_s"],
            IDLE_CPU_TARGET_S, _verdict(wexla["idle_cpu_s"] <= IDLE_CPU_TARGET_S)),
    ]
    ws, bws = wexla["working_set_bytes"]["median"], bare["working_set_bytes"]["median"]
    rows.append("| %s | Working set after start-up (VmRSS, median) | %.2f MiB | %.2f MiB | "
                "%+.2f MiB | <= bare + 1 MiB | %s |" % (
                    arch, ws / MIB, bws / MIB, (ws - bws) / MIB,
                    _verdict(ws <= bws + WORKING_SET_MARGIN)))
    gw, gb = wexla["gui_after_start"], bare["gui_after_start"]
    rows.append("| %s | GDI / USER objects after start-up (GetGuiResources) | %s / %s | %s / %s "
                "| | | Wine always answers 0 |" % (arch, gw["gdi_objects"], gw["user_objects"],
                                                   gb["gdi_objects"], gb["user_objects"]))
    churn = result.get("churn")
    if churn is None:
        return rows
    if "error" in churn:
        rows.append("| %s | GUI object growth | not measured: %s | | | no growth | |"
                    % (arch, churn["error"].replace("|", "/")))
    else:
        rows.append(_churn_row(arch, churn))
    return rows


def _growth(churn, key):
    return (churn["end"][key] or 0) - (churn["warm"][key] or 0)


def _churn_row(arch, churn):
    rss_growth = _growth(churn, "vm_rss")
    window_growth = _growth(churn, "top_level_windows")
    gui_growth = _growth(churn, "gdi_objects") + _growth(churn, "user_objects")
    return (
        "| %s | After %d icon changes and %d open/close cycles of each dialog: GDI+USER growth, "
        "top-level window growth, VmRSS growth | %d, %d, %+.0f KiB | | | no growth | %s |" % (
            arch, churn["icon_changes"], churn["dialog_cycles_each"], gui_growth, window_growth,
            rss_growth / KIB, _verdict(gui_growth == 0 and window_growth <= 0
                                       and rss_growth <= RSS_GROWTH_TOLERANCE)))


def _footprint_rows(footprint):
    rows = []
    for arch, size in sorted(footprint.items()):
        target = "<= 128 KiB, system DLLs only" if arch == "i686" else "system DLLs only"
        ok = size["only_system_dlls"] and (arch != "i686" or size["bytes"] <= EXE_SIZE_TARGET)
        rows.append("| %s | Release exe, stripped | %d bytes (%.1f KiB) | | | %s | %s |" % (
            arch, size["bytes"], size["bytes"] / KIB, target, _verdict(ok)))
        rows.append("| %s | Imported DLLs | %s | | | | |" % (arch, ", ".join(size["dlls"])))
    return rows


def markdown(results):
    params = results["parameters"]
    lines = [
        "%d alternating starts of each program per architecture after one unmeasured start of "
        "each, %d clicks per start; every "
        "sample is in latest.json." % (params["repetitions"], params["clicks"]),
        "",
        "| Program | Measure | Wexla 98 | bare tray | Wexla/bare | Target | |",
        "|---|---|---|---|---|---|---|",
    ]
    for arch, result in results["architectures"].items():
        if "not_run" in result:
            lines.append("| %s | not run: %s | | | | | **not measured** |" % (arch,
                                                                       result["not_run"]))
        else:
            lines.extend(_arch_rows(arch, result, params))
    lines.extend(_footprint_rows(results["footprint"]))
    return "\n".join(lines) + "\n"
