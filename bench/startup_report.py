#!/usr/bin/env python3
"""Ratios between programs measured by the peer harness, and Sitebox's start-up timeline.

    startup_report.py OUTDIR NAME [OTHER ...]       ratios of NAME to each OTHER
    startup_report.py --timeline OUTDIR NAME         milestones of NAME's counted runs
    startup_report.py --merge OUTDIR NAME            one result of NAME's rounds

Rounds: the harness measures one program at a time, so on a shared machine a busy minute lands
on whichever program ran then. startup.sh runs each program once per round instead, and
--merge joins OUTDIR/rounds/N/NAME.json into OUTDIR/NAME.json with its logs in OUTDIR/NAME/,
in the harness's own layout.

Ratios use the medians over counted runs (time to the page's load event, PSS). The timeline
reads the "timeline <wall-clock us> <milestone>" lines that Sitebox logs when SITEBOX_TIMELINE
is set, puts each run's lines on its spawn time, and prints the median of every milestone.
"""
import json
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


def ratios(outdir, name, others):
    base = load(outdir, name)
    if not base:
        sys.exit("no results for %s in %s" % (name, outdir))
    print("| ratio | time to load | PSS |")
    print("|---|---|---|")
    for other in others:
        result = load(outdir, other)
        if not result:
            continue
        cells = []
        for key in ("time_to_load_ms", "pss_mb"):
            mine, theirs = median(base, key), median(result, key)
            cells.append("%.2fx (%.0f / %.0f)" % (mine / theirs, mine, theirs)
                         if mine and theirs else "n/a")
        print("| %s / %s | %s | %s |" % (name, other, cells[0], cells[1]))


LINE = re.compile(rb"timeline (\d+) (.+)$")


def timeline(outdir, name):
    result = load(outdir, name)
    if not result:
        sys.exit("no results for %s in %s" % (name, outdir))
    marks = {}
    order = []
    for run in result["runs"]:
        if not (run.get("counted") and run.get("ok") and run.get("spawn_wall")):
            continue
        log = os.path.join(outdir, name, "run%d.log" % run["run"])
        if not os.path.exists(log):
            continue
        spawn_us = run["spawn_wall"] * 1e6
        with open(log, "rb") as f:
            for line in f:
                match = LINE.search(line.strip())
                if not match:
                    continue
                label = match.group(2).decode(errors="replace")
                if label not in marks:
                    marks[label] = []
                    order.append(label)
                marks[label].append((int(match.group(1)) - spawn_us) / 1000.0)
        marks.setdefault("page load event reaches the harness", []).append(run["time_to_load_ms"])
    if not order:
        print("no timeline lines in %s/%s/run*.log (is SITEBOX_TIMELINE set?)" % (outdir, name))
        return
    order.append("page load event reaches the harness")
    rows = sorted(((statistics.median(marks[label]), label) for label in order))
    print("| ms after spawn (median) | milestone |")
    print("|---|---|")
    for ms, label in rows:
        print("| %.0f | %s |" % (ms, label))


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
            run = dict(run, run=len(runs) + 1)
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
        timeline(argv[1], argv[2])
    elif len(argv) >= 3 and argv[0] == "--merge":
        merge(argv[1], argv[2])
    elif len(argv) >= 3:
        ratios(argv[0], argv[1], argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
