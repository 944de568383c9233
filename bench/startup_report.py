#!/usr/bin/env python3
"""Ratios between programs measured by the peer harness, and Sitebox's start-up timeline.

    startup_report.py OUTDIR NAME [OTHER ...]       ratios of NAME to each OTHER
    startup_report.py --timeline OUTDIR NAME [OTHER] milestones of NAME's counted runs (and of
                                                     OTHER's, side by side)
    startup_report.py --merge OUTDIR NAME            one result of NAME's rounds
    startup_report.py --cpu OUTDIR NAME OTHER        where each program's processes spent their
                                                     CPU (launches recorded under PROFILE=1)

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
import collections
import json
import math
import os
import re
import shutil
import statistics
import subprocess
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


SAMPLE = re.compile(r"\s*(.+?)\s+(\d+)/(\d+)\s+([\d.]+):\s+(\d+)\s+\S+\s+\((.*)\)\s*$")
# The engine's processes by the names they give themselves; the launched one is the shell.
ENGINE = {"WebKitNetworkPr": "network process", "WebKitWebProces": "web process"}
STRETCHES = ("spawn → load requested", "load requested → first request",
             "first request → load event")


def cpu_of_run(log, recording, run):
    """CPU ms by stretch of the launch and process, and the shell's by library up to the load
    event, in one recorded launch."""
    with open(log, "rb") as f:
        marks = [match for match in (LINE.search(line.strip()) for line in f) if match]
    requested = next((int(m.group(1)) / 1e6 for m in marks if m.group(2) == b"load requested"),
                     None)
    if requested is None or not run.get("first_request_ms"):
        return None
    spawn = run["spawn_wall"]
    bounds = (requested, spawn + run["first_request_ms"] / 1000,
              spawn + run["time_to_load_ms"] / 1000)
    script = subprocess.run(["perf", "script", "-i", recording, "-F",
                             "comm,pid,tid,time,period,ip,dso"],
                            capture_output=True, text=True, check=True).stdout
    samples = [match.groups() for match in map(SAMPLE.match, script.splitlines()) if match]
    if not samples:
        return None
    names = {pid: comm for comm, pid, tid, *_ in samples if pid == tid}
    shell = samples[0][1]
    spent = collections.Counter({(stretch, "wall clock"): (end - start) * 1000
                                 for stretch, start, end in zip(STRETCHES, (spawn,) + bounds,
                                                                bounds)})
    for _, pid, _, time, period, dso in samples:
        stretch = sum(float(time) >= bound for bound in bounds)
        if stretch == len(bounds):
            continue
        kind = "shell" if pid == shell else ENGINE.get(names.get(pid), "other")
        ms = int(period) / 1e6
        spent[(STRETCHES[stretch], kind)] += ms
        if kind == "shell":
            spent[("shell", os.path.basename(dso))] += ms
    return spent


def cpu(outdir, names):
    rounds = os.path.join(outdir, "rounds")
    per_program = []
    for name in names:
        runs = []
        for number in sorted(n for n in os.listdir(rounds) if n.isdigit()):
            result = load(os.path.join(rounds, number), name) or {"runs": []}
            for run in result["runs"]:
                recording = os.path.join(rounds, number, "%s-%d.perf" % (name, run["run"]))
                log = os.path.join(rounds, number, name, "run%d.log" % run["run"])
                if run.get("counted") and run.get("ok") and os.path.exists(recording):
                    runs.append(cpu_of_run(log, recording, run))
        runs = [run for run in runs if run]
        if not runs:
            sys.exit("no recorded launches of %s in %s (PROFILE=1)" % (name, rounds))
        keys = {key for run in runs for key in run}
        per_program.append({key: statistics.median(run.get(key, 0) for run in runs)
                            for key in keys})
    print("| ms, median of counted launches | %s | %s |\n|---|---|---|" % tuple(names))
    for stretch in STRETCHES:
        for kind in ("wall clock", "shell", "network process", "web process", "other"):
            cells = ["%.0f" % spent.get((stretch, kind), 0) for spent in per_program]
            if any(cell != "0" for cell in cells):
                print("| %s: %s | %s | %s |" % (stretch, kind, *cells))
    libraries = {key for spent in per_program for key in spent if key[0] == "shell"}
    top = sorted(libraries, key=lambda key: -per_program[0].get(key, 0))[:12]
    print("\n| shell process, spawn → load event, by library | %s | %s |" % tuple(names))
    print("|---|---|---|")
    for key in top:
        print("| %s | %.0f | %.0f |" % (key[1], *(spent.get(key, 0) for spent in per_program)))


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
    elif len(argv) == 4 and argv[0] == "--cpu":
        cpu(argv[1], argv[2:])
    elif len(argv) >= 3 and argv[0] == "--merge":
        merge(argv[1], argv[2])
    elif len(argv) >= 3:
        ratios(argv[0], argv[1], argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
