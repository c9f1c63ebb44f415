#!/usr/bin/env python3
"""Prints the ratio table of the benchmark suite from Google Benchmark JSON files.

Every ratio compares medians (of CPU time) measured in the same run. Speed ratios read "ours is N times
as fast as theirs" (theirs / ours in time), so higher is better; the call rows give time ratios
(ours / floor), so lower is better. Each goal is checked where it applies.

Where a row has a floor, the least that any conversion of its kind takes (a new std::string of the
ready result for short encodes, unchecked widening into backend text for long ASCII), a missed goal
also says whether the floor, measured in the same run, meets it: where the floor misses too, no
conversion of that kind could have met it in this run. A missed goal is also marked noisy where it
was missed by less than the repetitions of one of its sides varied."""
import json
import re
import sys

KIB4 = 4096


def aggregates(paths):
    """Medians (ns) and coefficients of variation of CPU time, by benchmark name."""
    times, variation = {}, {}
    for path in paths:
        with open(path) as f:
            for run in json.load(f)["benchmarks"]:
                # Rows that set their own repetitions carry them in the name ("/repeats:25").
                name = re.sub(r"/repeats:\d+$", "", run.get("run_name", ""))
                if run.get("aggregate_name") == "median":
                    times[name] = run["cpu_time"] * {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[run["time_unit"]]
                elif run.get("aggregate_name") == "cv":
                    variation[name] = run["cpu_time"]
    return times, variation


def conversion_goals(direction, codeset, script, size):
    """Minimum speed ratios (ours/theirs) by competitor for one row; empty where no goal applies."""
    if size < KIB4:
        return {"iconv": 1 / 0.2, "icu": 1 / 0.3}
    goals = {}
    if direction == "decode":
        if script == "ascii":
            goals = {"memcpy": 0.35, "iconv": 50, "icu": 3}
        elif script == "latin":
            goals = {"iconv": 20, "icu": 3}
        elif codeset == "UTF-8":
            goals = {"iconv": 10}
    else:
        if script == "ascii":
            goals = {"memcpy": 0.2}
        elif script == "latin":
            goals = {"iconv": 7, "icu": 2}
    return goals


def floor_benchmark(direction, script, size, prefix):
    """The benchmark that is this row's floor, if any."""
    if direction == "encode" and size < KIB4:
        return prefix + "/new_string"
    if direction == "decode" and script == "ascii" and size >= KIB4:
        return f"reference/{size}/ascii_floor"
    return None


def fmt_ratio(ratio):
    return f"{ratio:.2f}" if ratio < 10 else f"{ratio:.0f}"


def fmt_time(ns):
    if ns >= 1e6:
        return f"{ns / 1e6:.2f} ms"
    if ns >= 1e3:
        return f"{ns / 1e3:.2f} µs"
    return f"{ns:.0f} ns"


def main(args):
    times, variation = aggregates(args)
    met = missed = floor_missed = noisy_missed = 0

    # A goal missed by less than its sides' repetitions varied (the larger coefficient of variation,
    # a few percent on a quiet machine) is noisy: its medians may land on either side of it from one
    # run to the next. `shortfall` is how many times over the goal the ratio lies, on the wrong side.
    def noisy(shortfall, *names):
        return shortfall - 1 < max(variation.get(name, 0) for name in names)

    groups = []
    for name in times:
        parts = name.split("/")
        if parts[0] in ("decode", "encode") and parts[-1] == "ours":
            groups.append(parts[:-1])
    print("| direction | codeset | text | bytes | ours | × memcpy | × iconv | × ICU |")
    print("|---|---|---|---:|---:|---:|---:|---:|")
    codesets = ["UTF-8", "CP1252", "CP1251", "EUC-JP", "GB18030"]
    scripts = ["ascii", "latin", "cyrillic"]
    groups.sort(key=lambda g: (g[0], codesets.index(g[1]) if g[1] in codesets else 99,
                               scripts.index(g[2]) if g[2] in scripts else 99, int(g[3])))
    for direction, codeset, script, size in groups:
        prefix = "/".join([direction, codeset, script, size])
        ours = times[prefix + "/ours"]
        goals = conversion_goals(direction, codeset, script, int(size))
        floor = times.get(floor_benchmark(direction, script, int(size), prefix))
        cells = []
        for competitor in ("memcpy", "iconv", "icu"):
            theirs = times.get(prefix + "/" + competitor)
            if theirs is None:
                cells.append("—")
                continue
            ratio = theirs / ours
            cell = fmt_ratio(ratio)
            if competitor in goals:
                goal = goals[competitor]
                ok = ratio >= goal
                met, missed = met + ok, missed + (not ok)
                notes = [f"≥{goal:.3g}"]
                if not ok and floor is not None:
                    floor_ok = theirs / floor >= goal
                    floor_missed += not floor_ok
                    notes.append(f"floor {fmt_ratio(theirs / floor)} {'✓' if floor_ok else '✗'}")
                if not ok and noisy(goal / ratio, prefix + "/ours", prefix + "/" + competitor):
                    noisy_missed += 1
                    notes.append("noisy")
                cell += f" {'✓' if ok else '✗'} ({'; '.join(notes)})"
            cells.append(cell)
        label = {"decode": "narrow → UTF-16", "encode": "UTF-16 → narrow"}[direction]
        print(f"| {label} | {codeset} | {script} | {size} | {fmt_time(ours)} | " + " | ".join(cells) + " |")

    # The floor of decoding ASCII: allocating the backend text and widening into it unchecked, the
    # least work that any decoder does. Ours / floor says how near ours came to it in the same run.
    floors = [size for size in ("4096", "1048576") if f"reference/{size}/ascii_floor" in times]
    if floors:
        ascii_codesets = [c for c in codesets if f"decode/{c}/ascii/4096/ours" in times]
        print()
        print("| ASCII into backend text, the floor (not a goal row) | bytes | floor | × memcpy | "
              f"× iconv ({', '.join(ascii_codesets)}) | ours / floor |")
        print("|---|---:|---:|---:|---:|---:|")
        for size in floors:
            floor = times[f"reference/{size}/ascii_floor"]
            memcpy = times.get(f"decode/UTF-8/ascii/{size}/memcpy")
            iconv = [times[f"decode/{c}/ascii/{size}/iconv"] / floor for c in ascii_codesets
                     if f"decode/{c}/ascii/{size}/iconv" in times]
            ours = [times[f"decode/{c}/ascii/{size}/ours"] / floor for c in ascii_codesets
                    if f"decode/{c}/ascii/{size}/ours" in times]
            print(f"| allocate, widen unchecked, free | {size} | {fmt_time(floor)} | "
                  f"{memcpy / floor if memcpy else float('nan'):.2f} | "
                  f"{', '.join(f'{r:.0f}' for r in iconv)} | {', '.join(f'{r:.2f}' for r in ours)} |")

    # The floor of short encodes: the result's bytes, ready, copied into a new std::string.
    short_encodes = [g for g in groups if g[0] == "encode" and int(g[3]) < KIB4
                     and "/".join(g) + "/new_string" in times]
    if short_encodes:
        print()
        print("| short result into a new std::string, the floor (not a goal row) | codeset | text | bytes | "
              "ours | floor | ours − floor |")
        print("|---|---|---|---:|---:|---:|---:|")
        for group in short_encodes:
            prefix = "/".join(group)
            ours, floor = times[prefix + "/ours"], times[prefix + "/new_string"]
            print(f"| allocate, copy, free | {group[1]} | {group[2]} | {group[3]} | {fmt_time(ours)} | "
                  f"{fmt_time(floor)} | {fmt_time(ours - floor)} |")

    # Short text kept against the end of a page that nothing readable follows, against the same
    # conversion elsewhere: a vector access that reached past the text would stall at every call.
    page_ends = [name.split("/")[1:] for name in times if name.startswith("page_end/")]
    page_ends = [g for g in page_ends if "/".join(g) + "/ours" in times]
    page_ends.sort(key=lambda g: (g[0], codesets.index(g[1]) if g[1] in codesets else 99,
                                  scripts.index(g[2]) if g[2] in scripts else 99))
    if page_ends:
        print()
        print("| against an unreadable page (not a goal row) | codeset | text | bytes | there | elsewhere | "
              "there / elsewhere |")
        print("|---|---|---|---:|---:|---:|---:|")
        for group in page_ends:
            there, elsewhere = times["page_end/" + "/".join(group)], times["/".join(group) + "/ours"]
            label = {"decode": "narrow → UTF-16", "encode": "UTF-16 → narrow"}[group[0]]
            print(f"| {label} | {group[1]} | {group[2]} | {group[3]} | {fmt_time(there)} | "
                  f"{fmt_time(elsewhere)} | {there / elsewhere:.2f} |")

    calls = [
        ("TestSet + TestGet, 24 chars", "call/24/testset_testget", "call/24/floor", 1.5),
        ("echo through a backend, 24 chars", "call/24/echo", "call/24/floor", 1.5),
        ("GetFileList, 10,000 entries", "list/10000/getfilelist", "list/10000/floor", 1.3),
        ("Interpolate, 1,000,000 points", "interpolate/1000000/interpolate", "interpolate/1000000/floor", 1.2),
    ]
    print()
    print("| bridge call | ours | floor | ours / floor |")
    print("|---|---:|---:|---:|")
    for label, ours_name, floor_name, goal in calls:
        if ours_name not in times or floor_name not in times:
            continue
        ratio = times[ours_name] / times[floor_name]
        ok = ratio <= goal
        met, missed = met + ok, missed + (not ok)
        note = f"≤{goal:g}"
        if not ok and noisy(ratio / goal, ours_name, floor_name):
            noisy_missed += 1
            note += "; noisy"
        print(f"| {label} | {fmt_time(times[ours_name])} | {fmt_time(times[floor_name])} | "
              f"{ratio:.2f} {'✓' if ok else '✗'} ({note}) |")
    fresh = "interpolate/1000000/fresh_arrays"
    if "interpolate/1000000/interpolate" in times and fresh in times:
        ratio = times["interpolate/1000000/interpolate"] / times[fresh]
        print(f"| Interpolate against its floor with two freshly allocated arrays (not a goal row) | "
              f"{fmt_time(times['interpolate/1000000/interpolate'])} | {fmt_time(times[fresh])} | {ratio:.2f} |")
    print()
    print(f"Goals met: {met} of {met + missed}; of the {missed} missed, the floor missed {floor_missed} too, "
          f"and {noisy_missed} are noisy: missed by less than the repetitions of one side varied "
          f"(coefficient of variation), so that their medians may land on either side of the goal from "
          f"one run to the next.")


if __name__ == "__main__":
    main(sys.argv[1:])
