#!/usr/bin/env python3
"""Times `sortivo tirer` beside GNU shuf on the same list, whole process, runs alternating so
that a busy machine slows both alike. Prints the median wall time, the ratio to shuf and the
peak memory of each command.

    bench/tirer_vs_shuf.py build/src/sortivo [--runs 15] [--lines 1000000] [--file PATH]

The list (lines of about 20 bytes, "Participant 000123 x") is written first when missing.
"""

import argparse
import os
import random
import statistics
import subprocess
import sys
import time


def make_list(path, lines):
    rng = random.Random(1)
    with open(path, "w", encoding="ascii") as f:
        for i in range(lines):
            f.write("Participant %06d %s\n" % (i, rng.choice("abcdefgh")))


def run_once(command):
    """Wall seconds and peak resident kilobytes of one run, its output thrown away."""
    with open(os.devnull, "wb") as sink:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=sink)
        _, status, usage = os.wait4(child.pid, 0)
        elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: " + " ".join(command))
    return elapsed, usage.ru_maxrss


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("sortivo")
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--lines", type=int, default=1000000)
    parser.add_argument("--file", default="/tmp/sortivo-bench-list.txt")
    args = parser.parse_args()
    if not os.path.exists(args.file):
        make_list(args.file, args.lines)
    size_kb = os.path.getsize(args.file) / 1024
    record = args.file + ".pv.json"
    commands = {
        "shuf": ["shuf", args.file],
        "sortivo tirer": [args.sortivo, "tirer", args.file],
        "sortivo tirer --pv": [args.sortivo, "tirer", args.file, "--pv", record],
    }
    times = {name: [] for name in commands}
    memory = {name: 0 for name in commands}
    for name, command in commands.items():  # warm the page cache and the libraries
        run_once(command)
    for _ in range(args.runs):
        for name, command in commands.items():
            elapsed, peak = run_once(command)
            times[name].append(elapsed)
            memory[name] = max(memory[name], peak)
    os.remove(record)
    shuf = statistics.median(times["shuf"])
    print("%s: %.1f MB, %d alternating runs" % (args.file, size_kb / 1024, args.runs))
    for name in commands:
        median = statistics.median(times[name])
        print("%-20s median %6.3f s  (min %.3f, max %.3f)  %.2fx shuf  peak %.0f MB = %.1fx file"
              % (name, median, min(times[name]), max(times[name]), median / shuf,
                 memory[name] / 1024, memory[name] / size_kb))


if __name__ == "__main__":
    main()
