#!/usr/bin/env python3
"""Runs the VBScript micro-benchmarks on our engine (vbsrun), on CPython (the same work written
in Python, python/*.py beside this file) and, when asked or when wine is there, on the reference
engine, and prints their times and ratios in one table.

  bench/vbscript/compare.py [--vbsrun PATH] [--runs N] [--batch K] [--reference | --no-reference]

The .vbs files are read from ../shared/vbscript-tests/bench next to the repository. Ours and
CPython are timed by the processor time their process used (user + system), less that of an
empty script (start-up): one sample is K runs in a row (the system counts processor time in
ticks of a few milliseconds, too coarse for one run), and the table shows the median of N
samples, ours and CPython interleaved. On a machine shared with other work this is steadier
than the wall clock. The reference engine runs once and is timed by the
"in-script seconds" it prints (its start-up under wine is not its engine's). Each script prints
a checksum line; all engines must agree, and a mismatch makes the exit status 1.
"""
import argparse
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
SHARED = os.path.join(os.path.dirname(REPO), "shared", "vbscript-tests")
BENCHES = ["int_loop", "strings", "calls", "arrays"]


def find_vbsrun():
    for d in ("build-vbs", "build", "build-asan"):
        p = os.path.join(REPO, d, "scripting", "vbscript", "vbsrun")
        if os.access(p, os.X_OK):
            return p
    return None


def run(cmd, cwd, need_output=True):
    """Returns (checksum line, in-script seconds, processor seconds) of one run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    r = subprocess.run(cmd, cwd=cwd, capture_output=True, text=True, timeout=600)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    lines = [l.strip() for l in r.stdout.splitlines() if l.strip()]
    secs = None
    for l in lines:
        m = re.match(r"in-script seconds: ([0-9.,]+)", l)
        if m:
            secs = float(m.group(1).replace(",", ""))
    if r.returncode != 0 or (need_output and not lines):
        raise RuntimeError("%s failed (%d): %s %s" % (" ".join(cmd), r.returncode,
                                                     r.stdout[-300:], r.stderr[-300:]))
    return (lines[0] if lines else ""), secs, cpu


def batch(cmd, cwd, k, need_output=True):
    """Runs cmd k times; returns (checksum line, processor seconds per run)."""
    total, line = 0.0, ""
    for _ in range(k):
        line, _, cpu = run(cmd, cwd, need_output)
        total += cpu
    return line, total / k


def startup(cmd, cwd, runs, k):
    return statistics.median(batch(cmd, cwd, k, False)[1] for _ in range(runs))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--vbsrun", default=find_vbsrun())
    ap.add_argument("--runs", type=int, default=7)
    ap.add_argument("--batch", type=int, default=5)
    ap.add_argument("--bench-dir", default=os.path.join(SHARED, "bench"))
    ap.add_argument("--python", default="python3")
    ref = ap.add_mutually_exclusive_group()
    ref.add_argument("--reference", dest="reference", action="store_true", default=None)
    ref.add_argument("--no-reference", dest="reference", action="store_false")
    a = ap.parse_args()
    if not a.vbsrun:
        sys.exit("compare: vbsrun not built (give --vbsrun)")
    if not os.path.isdir(a.bench_dir):
        sys.exit("compare: no benchmarks at %s" % a.bench_dir)
    ref_script = os.path.join(SHARED, "reference-engine.sh")
    use_ref = a.reference if a.reference is not None else (
        shutil.which("wine") is not None and os.path.exists(ref_script))

    empty_py = os.path.join(HERE, "python", "empty.py")
    ours0 = startup([a.vbsrun, os.path.join(a.bench_dir, "empty.vbs")], a.bench_dir, a.runs,
                    a.batch)
    cpy0 = startup([a.python, empty_py], a.bench_dir, a.runs, a.batch)
    rows, mismatch = [], False
    for name in BENCHES:
        vbs = os.path.join(a.bench_dir, name + ".vbs")
        py = os.path.join(HERE, "python", name + ".py")
        ours, cpy = [], []
        sums = {}
        for _ in range(a.runs):
            s, t = batch([a.vbsrun, vbs], a.bench_dir, a.batch)
            sums["ours"] = s
            ours.append(max(t - ours0, 0.0))
            s, t = batch([a.python, py], a.bench_dir, a.batch)
            sums["CPython"] = s
            cpy.append(max(t - cpy0, 0.0))
        reft = None
        if use_ref:
            try:
                s, reft, _ = run(["bash", ref_script, vbs], a.bench_dir)
                sums["reference"] = s
            except RuntimeError as e:
                print("reference engine: %s" % e, file=sys.stderr)
        if len(set(sums.values())) != 1:
            mismatch = True
            print("%s: checksums differ: %s" % (name, sums), file=sys.stderr)
        rows.append((name, statistics.median(ours), statistics.median(cpy), reft))

    def ratio(x, y):
        return "%.1fx" % (x / y) if x and y else "-"

    print("%-10s %10s %10s %12s %14s %16s" % ("benchmark", "ours s", "CPython s", "reference s",
                                              "CPython/ours", "reference/ours"))
    for name, o, c, r in rows:
        print("%-10s %10.3f %10.3f %12s %14s %16s" % (name, o, c, "%.3f" % r if r else "-",
                                                      ratio(c, o), ratio(r, o)))
    print("(ours and CPython: processor seconds per run less start-up, median of %d samples of "
          "%d runs; reference: its in-script seconds, one run; ratio > 1: ours is faster)"
          % (a.runs, a.batch))
    return 1 if mismatch else 0


if __name__ == "__main__":
    sys.exit(main())
