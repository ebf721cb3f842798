"""The benchmark's figures as a markdown table, each against its target."""

MIB = 1024 * 1024
KIB = 1024
TIME_RATIO_TARGET = 1.10
IDLE_CPU_TARGET_S = 0.0
WORKING_SET_MARGIN = 1 * MIB
EXE_SIZE_TARGET = 128 * KIB
# Heap pages the allocator keeps after a burst of work are not a leak; a leaked icon or
# dialog per cycle would pass this within a few dozen cycles.
RSS_GROWTH_TOLERANCE = 256 * KIB


def _ratio(wexla, bare):
    return wexla / bare if bare else None


def _verdict(ok):
    return "met" if ok else "**missed**"


def _fmt(value, pattern):
    return "n/a" if value is None else pattern % value


def _timing_row(label, key, results):
    wexla, bare = results["wexla"][key], results["bare"][key]
    ratio = _ratio(wexla, bare)
    return "| %s | %.3f s | %.3f s | %s | <= %.2f x bare | %s |" % (
        label, wexla, bare, _fmt(ratio, "%.2f"), TIME_RATIO_TARGET,
        _verdict(ratio is not None and ratio <= TIME_RATIO_TARGET))


def _growth(churn, key):
    return churn["end"][key] - churn["warm"][key]


def markdown(results):
    wexla, bare = results["wexla"], results["bare"]
    params = results["parameters"]
    lines = [
        "| Measure | Wexla 98 | bare tray | Wexla/bare | Target | |",
        "|---|---|---|---|---|---|",
        _timing_row("Start to icon visible (median)", "start_to_icon_s", results),
        _timing_row("Click to mail hand-off (median)", "click_to_handoff_s", results),
    ]
    lines.append("| Idle CPU over %.0f s (utime+stime) | %.2f s | %.2f s | | %.2f s | %s |" % (
        params["idle_seconds"], wexla["idle_cpu_s"], bare["idle_cpu_s"], IDLE_CPU_TARGET_S,
        _verdict(wexla["idle_cpu_s"] <= IDLE_CPU_TARGET_S)))
    ws, bws = wexla["working_set_bytes"], bare["working_set_bytes"]
    lines.append("| Working set after start-up (VmRSS, median) | %.2f MiB | %.2f MiB | +%.2f MiB "
                 "| <= bare + 1 MiB | %s |" % (ws / MIB, bws / MIB, (ws - bws) / MIB,
                                                _verdict(ws <= bws + WORKING_SET_MARGIN)))
    gw, gb = wexla["gui_after_start"], bare["gui_after_start"]
    lines.append("| GDI / USER objects after start-up (GetGuiResources) | %s / %s | %s / %s | | "
                 "| Wine always answers 0 |" % (gw["gdi_objects"], gw["user_objects"],
                                                 gb["gdi_objects"], gb["user_objects"]))
    churn = results["churn"]
    if "error" in churn:
        lines.append("| GUI object growth | not measured: %s | | | no growth | |"
                     % churn["error"].replace("|", "/"))
    else:
        lines.append(_churn_row(churn))
    lines.extend(_footprint_rows(results["footprint"]))
    return "\n".join(lines) + "\n"


def _churn_row(churn):
    rss_growth = _growth(churn, "vm_rss")
    window_growth = _growth(churn, "top_level_windows")
    gui_growth = (churn["end"]["gdi_objects"] or 0) - (churn["warm"]["gdi_objects"] or 0) + \
        (churn["end"]["user_objects"] or 0) - (churn["warm"]["user_objects"] or 0)
    return (
        "| After %d icon changes and %d open/close cycles of each dialog: GDI+USER growth, "
        "top-level window growth, VmRSS growth | %d, %d, %+.0f KiB | | | no growth | %s |" % (
            churn["icon_changes"], churn["dialog_cycles_each"], gui_growth, window_growth,
            rss_growth / KIB, _verdict(gui_growth == 0 and window_growth <= 0
                                       and rss_growth <= RSS_GROWTH_TOLERANCE)))


def _footprint_rows(footprint):
    lines = []
    for arch, size in sorted(footprint.items()):
        target = " <= 128 KiB, system DLLs only" if arch == "i686" else " system DLLs only"
        ok = size["only_system_dlls"] and (arch != "i686" or size["bytes"] <= EXE_SIZE_TARGET)
        lines.append("| %s release exe, stripped | %d bytes (%.1f KiB) | | | %s | %s |" % (
            arch, size["bytes"], size["bytes"] / KIB, target.strip(), _verdict(ok)))
        lines.append("| %s imported DLLs | %s | | | | |" % (arch, ", ".join(size["dlls"])))
    return lines
