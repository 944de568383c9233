#!/usr/bin/env python3
"""Ratios between programs measured by the peer harness, and Sitebox's start-up timeline.

    startup_report.py OUTDIR NAME [OTHER ...]       ratios of NAME to each OTHER
    startup_report.py --timeline OUTDIR NAME [OTHER] milestones of NAME's counted runs (and of
                                                     OTHER's, side by side)
    startup_report.py --merge OUTDIR NAME            one result of NAME's rounds

Rounds: the harness measures one program at a time, so on a shared machine a busy minute lands
on whichever program ran then. startup.sh runs each program once per round instead, and
--merge joins OUTDIR/rounds/N/NAME.json into OUTDIR/NAME.json with its logs in OUTDIR/NAME/,
in the harness's own layout.

Ratios use the medians over counted runs (time to the page's load event, PSS). Where both
programs took their turns in the same rounds, the time ratio is also taken round by round (each
round's counted launches met the same state of the machine): the median of those ratios, with
the order-statistic interval that holds the true median with at least 95 % confidence.

The timeline reads the "timeline <wall-clock us> <milestone>" lines that Sitebox logs when
SITEBOX_TIMELINE is set, puts each run's lines on its spawn time, and prints the median of every
milestone, with the harness's first request and load event; with OTHER, both programs'
milestones in one table.
"""
import json
import math
import os
import re
import shutil
import statistics
import sys


def load(outdir, name):
    path = os.path.join(outdir, name + ".json")
    if not os.path.exists(path):
        return None
    with open(path) as f:
        return json.load(f)


def median(result, key):
    value = (result.get("summary") or {}).get(key)
    return value["median"] if value else None


def by_round(result):
    return {run["round"]: run["time_to_load_ms"] for run in result["runs"]
            if run.get("counted") and run.get("ok") and "round" in run
            and isinstance(run.get("time_to_load_ms"), (int, float))}


def median_interval(values):
    """The median and the widest order-statistic interval around it that still holds the true
    median with at least 95 % confidence (sign test), or None with fewer than 6 values."""
    values = sorted(values)
    n = len(values)
    k, below = 0, 0.0
    while below + math.comb(n, k) / 2 ** n <= 0.025:
        below += math.comb(n, k) / 2 ** n
        k += 1
    if k == 0:
        return statistics.median(values), None
    return statistics.median(values), (values[k - 1], values[n - k])


def paired(base, result):
    mine, theirs = by_round(base), by_round(result)
    shared = sorted(set(mine) & set(theirs))
    if not shared:
        return None
    ratio, interval = median_interval([mine[r] / theirs[r] for r in shared])
    spread = " (%.2f–%.2f)" % interval if interval else ""
    return "%.2fx%s over %d rounds" % (ratio, spread, len(shared))


def ratios(outdir, name, others):
    base = load(outdir, name)
    if not base:
        sys.exit("no results for %s in %s" % (name, outdir))
    rows = []
    for other in others:
        result = load(outdir, other)
        if not result:
            continue
        cells = []
        for key in ("time_to_load_ms", "pss_mb"):
            mine, theirs = median(base, key), median(result, key)
            cells.append("%.2fx (%.0f / %.0f)" % (mine / theirs, mine, theirs)
                         if mine and theirs else "n/a")
        rows.append(["%s / %s" % (name, other), cells[0], paired(base, result), cells[1]])
    # Programs measured one after the other (not in rounds) have no round-by-round column.
    header = ["ratio", "time to load", "time, round by round", "PSS"]
    if not any(row[2] for row in rows):
        header.pop(2)
        rows = [row[:2] + row[3:] for row in rows]
    for row in [header, ["---"] * len(header)] + rows:
        print("| %s |" % " | ".join(cell or "n/a" for cell in row))


LINE = re.compile(rb"timeline (\d+) (.+)$")
HARNESS = ("first request reaches the harness", "page load event reaches the harness")


def milestones(outdir, name):
    """Median ms after spawn of every milestone in NAME's counted runs."""
    result = load(outdir, name)
    if not result:
        sys.exit("no results for %s in %s" % (name, outdir))
    marks = {}
    for run in result["runs"]:
        if not (run.get("counted") and run.get("ok") and run.get("spawn_wall")):
            continue
        log = os.path.join(outdir, name, "run%d.log" % run["run"])
        if not os.path.exists(log):
            continue
        spawn_us = run["spawn_wall"] * 1e6
        with open(log, "rb") as f:
            found = [match for match in (LINE.search(line.strip()) for line in f) if match]
        seen = set()
        for match in found:
            label = match.group(2).decode(errors="replace")
            if label not in seen:
                seen.add(label)
                marks.setdefault(label, []).append((int(match.group(1)) - spawn_us) / 1000.0)
        if found:
            if run.get("first_request_ms"):
                marks.setdefault(HARNESS[0], []).append(run["first_request_ms"])
            marks.setdefault(HARNESS[1], []).append(run["time_to_load_ms"])
    return {label: statistics.median(values) for label, values in marks.items()}


def timeline(outdir, names):
    programs = [(name, milestones(outdir, name)) for name in names]
    if not programs[0][1]:
        print("no timeline lines in %s/%s/run*.log (is SITEBOX_TIMELINE set?)"
              % (outdir, names[0]))
        return
    if len(programs) == 1:
        print("| ms after spawn (median) | milestone |\n|---|---|")
        for label, ms in sorted(programs[0][1].items(), key=lambda item: item[1]):
            print("| %.0f | %s |" % (ms, label))
        return
    # NAME's milestones in its order, each of OTHER's own milestones after the last one the two
    # share before it; where they share one, the difference shows where the time between goes.
    (_, mine), (_, theirs) = programs
    own = sorted(mine, key=mine.get)
    pending = [label for label in sorted(theirs, key=theirs.get) if label not in mine]
    rows = []
    for label in own:
        if label in theirs:
            rows += [other for other in pending if theirs[other] < theirs[label]]
            pending = [other for other in pending if other not in rows]
        rows.append(label)
    rows += pending
    print("| milestone | %s | %s | difference |\n|---|---|---|---|" % tuple(names))
    for label in rows:
        a, b = mine.get(label), theirs.get(label)
        cells = ["%.0f" % ms if ms is not None else "" for ms in (a, b)]
        diff = "%+.0f" % (a - b) if None not in (a, b) else ""
        print("| %s | %s | %s | %s |" % (label, cells[0], cells[1], diff))


def merge(outdir, name):
    rounds = os.path.join(outdir, "rounds")
    numbers = sorted(int(n) for n in os.listdir(rounds) if n.isdigit())
    logs = os.path.join(outdir, name)
    os.makedirs(logs, exist_ok=True)
    merged = None
    runs = []
    for number in numbers:
        result = load(os.path.join(rounds, str(number)), name)
        if not result:
            continue
        merged = merged or result
        for run in result["runs"]:
            log = os.path.join(rounds, str(number), name, "run%d.log" % run["run"])
            run = dict(run, run=len(runs) + 1, round=number)
            if os.path.exists(log):
                shutil.copyfile(log, os.path.join(logs, "run%d.log" % run["run"]))
            runs.append(run)
    if not merged:
        sys.exit("no results for %s in %s" % (name, rounds))
    counted = [run for run in runs if run["counted"] and run.get("ok")]
    summary = {}
    for key in merged.get("summary", {}):
        values = [run[key] for run in counted if isinstance(run.get(key), (int, float))]
        if values:
            summary[key] = {"min": min(values), "median": statistics.median(values),
                            "max": max(values), "n": len(values)}
    merged.update(runs=runs, summary=summary, ok_runs=len(counted),
                  runs_counted=sum(1 for run in runs if run["counted"]),
                  warmup=sum(1 for run in runs if not run["counted"]))
    with open(os.path.join(outdir, name + ".json"), "w") as f:
        json.dump(merged, f, indent=1)


def main(argv):
    if len(argv) >= 3 and argv[0] == "--timeline":
        timeline(argv[1], argv[2:4])
    elif len(argv) >= 3 and argv[0] == "--merge":
        merge(argv[1], argv[2])
    elif len(argv) >= 3:
        ratios(argv[0], argv[1], argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
