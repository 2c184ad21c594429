"""Hands the records the engine writes to the reference checker of docs/: every accepted
record must pass it and every record with one byte changed must fail it.

Usage: check_with_reference.py WRITER CHECKER FOLDER
"""
import pathlib, subprocess, sys

writer, checker, folder = sys.argv[1:4]
subprocess.run([writer, folder], check=True)
records = sorted(pathlib.Path(folder).glob("*.json"))
failures = 0
for record in records:
    run = subprocess.run([sys.executable, checker, str(record)], capture_output=True, text=True)
    accepted = run.returncode == 0 and run.stdout.startswith("CONFORME : ")
    rejected = run.returncode == 1 and run.stdout.startswith("NON CONFORME : ")
    expected = record.name.startswith("accepted-")
    ok = accepted if expected else rejected
    print(("ok   " if ok else "FAIL ") + record.name + ": " + (run.stdout + run.stderr).strip())
    failures += not ok
if not records or failures:
    sys.exit(f"{failures} of {len(records)} records checked wrongly")
