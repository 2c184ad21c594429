#!/usr/bin/env python3
"""Times the record checkers on the record of a draw of all of 1,000,000 entries, made with
`sortivo tirer --pv`: wall time, processor time and peak memory of each, as /usr/bin/time -v
gives them.

Usage: bench/checkers_speed.py [BUILD_DIR]   (default: build)
"""
import pathlib, re, subprocess, sys, tempfile

root = pathlib.Path(__file__).resolve().parent.parent
sortivo = root / (sys.argv[1] if len(sys.argv) > 1 else "build") / "src" / "sortivo"
checkers = {
    "sortivo --verifier": [str(sortivo), "--verifier"],
    "docs/verifier_pv.py": [sys.executable, str(root / "docs" / "verifier_pv.py")],
}


def measured(command):
    run = subprocess.run(["/usr/bin/time", "-v"] + command, capture_output=True, text=True)
    field = lambda name: re.search(name + r": (.*)", run.stderr).group(1)
    wall = field(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\)").split(":")
    return (run.stdout.strip(), float(wall[-2]) * 60 + float(wall[-1]),
            float(field("User time \\(seconds\\)")) + float(field("System time \\(seconds\\)")),
            int(field("Maximum resident set size \\(kbytes\\)")) / 1024)


with tempfile.TemporaryDirectory() as folder:
    folder = pathlib.Path(folder)
    entries = folder / "liste.txt"
    entries.write_text("".join(f"Participant n° {i}\n" for i in range(1, 1_000_001)))
    record = folder / "pv.json"
    subprocess.run([str(sortivo), "tirer", str(entries), "--pv", str(record),
                    "--valeur-publique", "Dés : 3 5 6"], check=True, stdout=subprocess.DEVNULL)
    size = record.stat().st_size / 1e6
    print(f"record: {size:.1f} MB, 1,000,000 entries drawn")
    for name, command in checkers.items():
        verdict, wall, cpu, peak = measured(command + [str(record)])
        print(f"{name:22} {wall:6.2f} s wall {cpu:6.2f} s CPU {peak:7.1f} MiB peak"
              f" ({peak * 1.048576 / size:.1f}x the file)  {verdict}")
