"""Hands the records the engine writes, and files that are no record at all, to every checker:
each accepted record must pass, with the warnings the engine expects, each record with one byte
changed and each hostile one must fail, and all checkers must give the same verdict with the same
reason and the same warnings, record by record.

Usage: check_with_reference.py WRITER FOLDER --python CHECKER.py --sortivo PROGRAM
"""
import argparse, os, pathlib, subprocess, sys

# What a record may weigh at most, as the checkers count it: see largestRecordFile.
LARGEST_RECORD = 2 * (256 * 1024 * 1024 + 5_000_000 * 16)

arguments = argparse.ArgumentParser()
arguments.add_argument("writer")
arguments.add_argument("folder")
arguments.add_argument("--python", required=True)
arguments.add_argument("--sortivo", required=True)
options = arguments.parse_args()

folder = pathlib.Path(options.folder)
subprocess.run([options.writer, str(folder)], check=True)
special = folder / "special"
special.mkdir(exist_ok=True)
for name in ("fifo.json", "too-big.json"):
    (special / name).unlink(missing_ok=True)
os.mkfifo(special / "fifo.json")
with open(special / "too-big.json", "wb") as big:
    big.truncate(LARGEST_RECORD + 1)  # sparse: nothing is written
(special / "folder.json").mkdir(exist_ok=True)
unreadable = [special / n for n in ("fifo.json", "too-big.json", "folder.json", "absent.json")]
unreadable.append(pathlib.Path("/dev/zero"))

checkers = {
    "python": [sys.executable, options.python],
    "sortivo": [options.sortivo, "--verifier"],
}


def verdict(command, record):
    """The checker's verdict line with the parser's own words left out, which differ between
    languages, its warnings, and whether its status says the same as its lines."""
    run = subprocess.run(command + [str(record)], capture_output=True, text=True, timeout=60)
    line, *warnings = run.stdout.rstrip("\n").split("\n")
    consistent = not run.stderr and (
        (run.returncode == 0 and line.startswith("CONFORME : "))
        or (run.returncode == 1 and line.startswith("NON CONFORME : ") and not warnings))
    consistent &= all(w.startswith("ATTENTION : ") for w in warnings)
    invalid = "NON CONFORME : le fichier n'est pas un JSON valide ("
    line = invalid if line.startswith(invalid) else line
    return line, warnings, consistent, run.stdout + run.stderr


records = sorted(folder.glob("*.json")) + unreadable
failures = 0
for record in records:
    expected = record.name.startswith("accepted-")
    lines = {}
    ok = True
    attention = record.with_suffix(".attention")
    expected_warnings = attention.read_text().splitlines() if attention.exists() else []
    for name, command in checkers.items():
        line, warnings, consistent, output = verdict(command, record)
        lines[name] = line
        ok &= consistent and line.startswith("CONFORME : " if expected else "NON CONFORME : ")
        ok &= not expected or warnings == expected_warnings
        if not consistent:
            print(f"     {name} printed: {output!r}")
    ok &= len(set(lines.values())) == 1
    print(("ok   " if ok else "FAIL ") + record.name + ": " + " | ".join(
        f"{name}: {line[:200]}" for name, line in lines.items()))
    failures += not ok
if failures:
    sys.exit(f"{failures} of {len(records)} records checked wrongly")
