#!/usr/bin/env python3
"""Times `sortivo tirer` beside GNU shuf on the same list, whole process, runs alternating so
that a busy machine slows both alike. Prints the median wall time, the ratio to shuf and the
peak memory of each command, for each list length and each place the output goes: /dev/null,
and a pipe that this script reads to its end, as a program reading the results would.

    bench/tirer_vs_shuf.py build/src/sortivo [--runs 11] [--lines 1000000,5000000]
                           [--sinks null,pipe] [--other OTHER_SORTIVO] [--file PATH]

The lists (lines of about 20 bytes, "Participant 000123 x") are written first when missing, one
file per length. --other times a second build beside the first, for a before and after taken
under the same load.
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


def run_once(command, sink):
    """Wall seconds, processor seconds (user and system) and peak resident kilobytes of one
    run, its output thrown away."""
    if sink == "null":
        with open(os.devnull, "wb") as devnull:
            start = time.perf_counter()
            child = subprocess.Popen(command, stdout=devnull)
            _, status, usage = os.wait4(child.pid, 0)
            elapsed = time.perf_counter() - start
    else:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=subprocess.PIPE)
        fd = child.stdout.fileno()
        while os.read(fd, 1 << 20):
            pass
        _, status, usage = os.wait4(child.pid, 0)
        elapsed = time.perf_counter() - start
        child.stdout.close()
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed: " + " ".join(command))
    return elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def measure(args, path, lines, sink):
    if not os.path.exists(path):
        make_list(path, lines)
    size_kb = os.path.getsize(path) / 1024
    record = path + ".pv.json"
    commands = {
        "shuf": ["shuf", path],
        "sortivo tirer": [args.sortivo, "tirer", path],
    }
    if args.other:
        commands["other tirer"] = [args.other, "tirer", path]
    commands["sortivo tirer --pv"] = [args.sortivo, "tirer", path, "--pv", record]
    times = {name: [] for name in commands}
    processor = {name: [] for name in commands}
    memory = {name: 0 for name in commands}
    for name, command in commands.items():  # warm the page cache and the libraries
        run_once(command, sink)
    for _ in range(args.runs):
        for name, command in commands.items():
            elapsed, cpu, peak = run_once(command, sink)
            times[name].append(elapsed)
            processor[name].append(cpu)
            memory[name] = max(memory[name], peak)
    os.remove(record)
    shuf = statistics.median(times["shuf"])
    shuf_cpu = statistics.median(processor["shuf"])
    print("%s: %.1f MB, %d lines, output to %s, %d alternating runs, load %.1f"
          % (path, size_kb / 1024, lines, "/dev/null" if sink == "null" else "a read pipe",
             args.runs, os.getloadavg()[0]))
    for name in commands:
        median = statistics.median(times[name])
        cpu = statistics.median(processor[name])
        print("%-20s median %6.3f s  (min %.3f, max %.3f)  %.2fx shuf  processor %.3f s = %.2fx"
              "  peak %.0f MB = %.1fx file, %.2fx shuf's"
              % (name, median, min(times[name]), max(times[name]), median / shuf, cpu,
                 cpu / shuf_cpu, memory[name] / 1024, memory[name] / size_kb,
                 memory[name] / memory["shuf"]))
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("sortivo")
    parser.add_argument("--runs", type=int, default=11)
    parser.add_argument("--lines", default="1000000,5000000")
    parser.add_argument("--sinks", default="null,pipe")
    parser.add_argument("--other")
    parser.add_argument("--file", default="/tmp/sortivo-bench-list")
    args = parser.parse_args()
    for lines in [int(n) for n in args.lines.split(",")]:
        path = "%s-%d.txt" % (args.file, lines)
        for sink in args.sinks.split(","):
            measure(args, path, lines, sink)


if __name__ == "__main__":
    main()
