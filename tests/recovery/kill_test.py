#!/usr/bin/env python3
"""Kills a scripted session with SIGKILL at 50 points and checks what the next start takes up.

Each point plays the session of journal_session from the start in a process of its own, kills
it, then starts journal_session again to take the session up, and checks the outcome against
what the first process had shown before it died:
- every run it had shown is in the record, and the results box starts with what it showed;
- every entry added (the open, each edit) more than EDIT_DELAY before the kill is there;
- each addition is there whole or not at all, and no entry is there twice;
- the results box holds exactly the record's results, in order;
- the record passes both checkers;
- the normal close after taking it up leaves no journal behind.
"""

import argparse
import hashlib
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from concurrent.futures import ThreadPoolExecutor

# An edit is written 2 s after typing stops; the margin covers the write itself and a busy
# machine.
EDIT_DELAY = 2.8
LIST_SIZE = 300000


def entry_names():
    return [f"E{i:06d}" for i in range(1, LIST_SIZE + 1)]


class Played:
    """The lines a playing session printed, each with the moment it arrived."""

    def __init__(self, process):
        self.lines = []
        self.lock = threading.Condition()
        self.thread = threading.Thread(target=self._read, args=(process,), daemon=True)
        self.thread.start()

    def _read(self, process):
        for line in process.stdout:
            with self.lock:
                self.lines.append((time.monotonic(), line.rstrip("\n")))
                self.lock.notify_all()
        with self.lock:
            self.lines.append((time.monotonic(), None))
            self.lock.notify_all()

    def wait_for(self, event, timeout=120):
        """The moment the line of `event` arrived ("clic#3": the third line of the word "clic"),
        or None if it never did."""
        word, _, nth = event.partition("#")
        nth = int(nth or 1)
        end = time.monotonic() + timeout
        with self.lock:
            while True:
                seen = 0
                for at, text in self.lines:
                    if text is None:
                        return None
                    if text.split(" ", 2)[1:2] == [word]:
                        seen += 1
                        if seen == nth:
                            return at
                if not self.lock.wait(max(0.0, end - time.monotonic())):
                    return None

    def before(self, moment):
        with self.lock:
            return [(at, text.split(" ", 1)[1]) for at, text in self.lines
                    if text is not None and at < moment]


def play_and_kill(args, list_file, point, folder):
    journals = os.path.join(folder, "journaux")
    child = subprocess.Popen([args.session, "jouer", journals, list_file],
                             stdout=subprocess.PIPE, text=True)
    played = Played(child)
    started = time.monotonic()
    event, delay = point
    at = started if event == "debut" else played.wait_for(event)
    if at is None:
        at = time.monotonic()
    time.sleep(max(0.0, at + delay - time.monotonic()))
    killed = time.monotonic()
    child.send_signal(signal.SIGKILL)
    child.wait()
    played.thread.join(5)
    return journals, played.before(killed), killed


def check_point(args, list_file, point, index):
    with tempfile.TemporaryDirectory(dir=args.work) as folder:
        failure, interrupted = check_kill(args, list_file, point, index, folder)
        if failure:
            # Kept for a look: the journal as the kill left it, and what was taken up.
            shutil.copytree(folder, os.path.join(args.work, f"failed-{index}"), dirs_exist_ok=True)
        return failure, interrupted


def check_kill(args, list_file, point, index, folder):
    journals, shown, killed = play_and_kill(args, list_file, point, folder)
    out = os.path.join(folder, "repris")
    os.mkdir(out)
    resumed = subprocess.run([args.session, "reprendre", journals, out],
                             capture_output=True, text=True, timeout=300)
    where = f"point {index} {point}: "
    if resumed.returncode != 0:
        return where + f"taking up failed: {resumed.stdout} {resumed.stderr}", None
    said = [line.split(" ", 1)[1] for line in resumed.stdout.splitlines()]
    if any(s.startswith("avertissement") for s in said):
        return where + f"warned: {said}", None

    runs_shown = [text.split(" ") for _, text in shown if text.startswith("tirage ")]
    additions = []
    for at, text in shown:
        if text.startswith("ouverture "):
            additions.append((at, set(entry_names())))
        elif text.startswith("ajout "):
            additions.append((at, set(text[len("ajout "):].split(","))))
    if "rien" in said:
        old = [a for a in additions if killed - a[0] > EDIT_DELAY]
        if runs_shown or old:
            return where + f"nothing taken up after {len(runs_shown)} runs shown", None
        return None, False

    with open(os.path.join(out, "pv.json"), encoding="utf-8") as f:
        record = json.load(f)
    for checker in ([args.sortivo, "--verifier"], [sys.executable, args.python_checker]):
        verdict = subprocess.run(checker + [os.path.join(out, "pv.json")],
                                 capture_output=True, text=True, timeout=300)
        if verdict.returncode != 0:
            return where + f"{checker[-1]} refused the record: {verdict.stdout}", None

    def lines(name):
        with open(os.path.join(out, name), encoding="utf-8") as f:
            text = f.read()
        return text.split("\n") if text else []

    list_lines, result_lines = lines("liste.txt"), lines("resultats.txt")
    runs = record["tirages"]
    if len(runs) < len(runs_shown):
        return where + f"{len(runs)} runs taken up, {len(runs_shown)} shown", None
    if runs_shown:
        count, digest = int(runs_shown[-1][1]), runs_shown[-1][2]
        head = "\n".join(result_lines[:count]).encode("utf-8")
        if hashlib.sha256(head).hexdigest() != digest:
            return where + "the results shown before the kill are not those taken up", None
    drawn = [e for line in result_lines for e in line.split(" - ")]
    recorded = [e for run in runs for e in run["resultats"]]
    if drawn != recorded:
        return where + "the results box differs from the record's results", None

    held = list_lines + drawn
    if len(set(held)) != len(held):
        return where + "an entry is there twice", None
    held = set(held)
    for at, names in additions:
        present = len(names & held)
        if present not in (0, len(names)):
            return where + f"{present} of {len(names)} entries of an addition are there", None
        if killed - at > EDIT_DELAY and present == 0:
            return where + f"an addition {killed - at:.1f} s old is lost", None
    if os.listdir(journals) not in ([], ["illisibles"]) and any(
            n.endswith(".sqlite") for n in os.listdir(journals)):
        return where + f"journal left after a normal close: {os.listdir(journals)}", None
    return None, any(run["interrompu"] for run in runs)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--session", required=True)
    parser.add_argument("--sortivo", required=True)
    parser.add_argument("--python-checker", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--points", type=int, default=50)
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    list_file = os.path.join(args.work, "liste.txt")
    with open(list_file, "w", encoding="utf-8", newline="") as f:
        f.write("\r\n".join(entry_names()) + "\r\n")

    # A whole session first, to know how long it lasts, and that it is taken up whole.
    with tempfile.TemporaryDirectory(dir=args.work) as folder:
        child = subprocess.Popen([args.session, "jouer", os.path.join(folder, "j"), list_file],
                                 stdout=subprocess.PIPE, text=True)
        played = Played(child)
        start = time.monotonic()
        end = played.wait_for("fin", timeout=300)
        child.kill()
        child.wait()
        if end is None:
            print("the session never ended:", played.before(time.monotonic()))
            return 1
        length = end - start
    print(f"a session lasts {length:.1f} s")

    # Right after the open, the journal is writing its 300,000 entries.
    points = [("ouverture", d) for d in (0.0, 0.005, 0.01, 0.02, 0.05)]
    # The third click starts the long run, of 300,000 entries.
    points += [("clic#3", d) for d in (0.05, 0.15, 0.3, 0.45, 0.6)]
    points.append(("fin", 0.5))
    uniform = args.points - len(points)
    points += [("debut", length * (i + 0.5) / uniform) for i in range(uniform)]

    failures, cut = [], 0
    with ThreadPoolExecutor(args.jobs) as pool:
        for index, (failure, interrupted) in enumerate(
                pool.map(lambda ip: check_point(args, list_file, ip[1], ip[0]),
                         enumerate(points))):
            if failure:
                failures.append(failure)
                print(failure)
            cut += bool(interrupted)
    print(f"{len(points)} kills, {cut} of them in the middle of a run, {len(failures)} failed")
    if not cut:
        failures.append("no kill came in the middle of a run")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
