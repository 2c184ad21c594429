"""Hands the records the engine writes, and files that are no record at all, to every checker:
each accepted record must pass, with the warnings and the palmarès the engine expects, each record
with one byte changed and each hostile one must fail, and all checkers must give the same verdict
with the same reason, the same warnings and the same palmarès, record by record.

Usage: check_with_reference.py WRITER FOLDER --python CHECKER.py --sortivo PROGRAM [--page PAGE]

With --page, the web page checks every record too, in headless Chromium driven by Selenium,
given each file through its file chooser and one record pasted into its text box; its own
known-answer tests of its hashing must pass first. The page is a phone's, 360 by 740 pixels in
Paris: its plain sentence must say what the verdict says, nothing may be wider than the screen,
and "Mon billet" must find an entrant's ticket, or not, as TICKETS says.
"""
import argparse, atexit, os, pathlib, subprocess, sys, tempfile

# What a record may weigh at most, as the checkers count it: see largestRecordFile.
LARGEST_RECORD = 2 * (256 * 1024 * 1024 + 5_000_000 * 16)
# A conforming record's headline, which says whether warnings follow it, and the heading of the
# palmarès that a record with prizes or absences prints after them.
ACCEPTED, RESERVED, PALMARES = "CONFORME : ", "CONFORME AVEC RÉSERVES : ", "Palmarès :"
# The page's plain sentences: a verdict without reserves, and the start of a refusal.
VERIFIED = ("Ce tirage est vérifié : les gagnants découlent du hasard annoncé avant le tirage, et "
            "personne ne pouvait les choisir.")
REFUSED = "Ce procès-verbal ne correspond pas au tirage annoncé : "
# What an entrant types in "Mon billet" once the record is checked, and what the answer must say.
# Runs are dated 20:00 UTC, 21:00 in Paris in December.
TICKETS = [
    ("accepted-communicated-list-kept", "eleve 19", [
        "Dans la liste rendue publique avant le tirage : oui, dans 1 entrée sur 20 : « Élève 19 ».",
        "« Élève 19 » : tirage n° 1, 1er tiré, le 7 décembre 2026 à 21:00:00 (UTC+01:00)."]),
    ("accepted-communicated-list-kept", "ÉLÈVE 14", ["« Élève 14 » : tirage n° 2, 1er tiré (équipe n° 1),"]),
    ("accepted-communicated-list-kept", "Zorglub", [
        "Pas dans la liste rendue publique avant le tirage : aucune de ses 20 entrées ne contient « Zorglub ».",
        "Tiré au sort : non, « Zorglub » n'est dans aucun des 20 résultats."]),
    # A whole word: ticket n1 is not n1252.
    ("accepted-stopped", "N1", ["Dans la liste du premier tirage (elle n'a pas été rendue publique avant le "
                                "tirage) : oui, dans 1 entrée sur 1500 : « n1 ».", "Tiré au sort : non,"]),
    ("accepted-every-mode", "lot 3", [
        "Pas dans la liste rendue publique avant le tirage",
        "« Lot 3 » : tirage n° 5, 3e tiré, le 7 décembre 2026 à 21:00:00 (UTC+01:00) ; ce tirage a été "
        "fait sur une autre liste que celle rendue publique."]),
]

arguments = argparse.ArgumentParser()
arguments.add_argument("writer")
arguments.add_argument("folder")
arguments.add_argument("--python", required=True)
arguments.add_argument("--sortivo", required=True)
arguments.add_argument("--page")
options = arguments.parse_args()

folder = pathlib.Path(options.folder)
# A sample left by an earlier build would be checked against rules it was not written for.
for old in (*folder.glob("*.json"), *folder.glob("*.attention"), *folder.glob("*.palmares")):
    old.unlink()
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


def told(lines):
    """A verdict's line, its warnings, and the palmarès that follows them, from its heading on."""
    line, *rest = lines
    at = rest.index(PALMARES) if PALMARES in rest else len(rest)
    return line, rest[:at], rest[at:]


def verdict(command, record):
    """The checker's verdict line with the parser's own words left out, which differ between
    languages, its warnings, its palmarès, and whether its status says the same as its lines."""
    run = subprocess.run(command + [str(record)], capture_output=True, text=True, timeout=60)
    line, warnings, palmares = told(run.stdout.rstrip("\n").split("\n"))
    consistent = not run.stderr and (
        (run.returncode == 0 and line.startswith(RESERVED if warnings else ACCEPTED))
        or (run.returncode == 1 and line.startswith("NON CONFORME : ") and not warnings + palmares))
    consistent &= all(w.startswith("ATTENTION : ") for w in warnings) and palmares != [PALMARES]
    invalid = "NON CONFORME : le fichier n'est pas un JSON valide ("
    line = invalid if line.startswith(invalid) else line
    return line, warnings, palmares, consistent, run.stdout + run.stderr


class Page:
    """The web page in a fresh headless Chromium that reaches nothing outside."""

    def __init__(self, page, profile):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service

        chromium = webdriver.ChromeOptions()
        chromium.binary_location = "/usr/bin/chromium"
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     f"--user-data-dir={profile}"):
            chromium.add_argument(flag)
        service = Service("/usr/bin/chromedriver", env={**os.environ, "TZ": "Europe/Paris"})
        self.driver = webdriver.Chrome(service=service, options=chromium)
        self.driver.set_window_size(360, 740)
        self.driver.get(pathlib.Path(page).resolve().as_uri())
        if (width := self.driver.execute_script("return innerWidth")) != 360:
            sys.exit(f"the page's window is {width} pixels wide, not a phone's 360")

    def known_answers(self):
        return self.driver.execute_script("return autotest()")

    def verdict(self, record=None, pasted=None):
        from selenium.webdriver.common.by import By
        from selenium.webdriver.support.ui import WebDriverWait

        d = self.driver
        d.execute_script("delete document.getElementById('verdict').dataset.fini;"
                         "document.getElementById('fichier').value = '';")
        if pasted is None:
            d.find_element(By.ID, "fichier").send_keys(str(record))
        else:
            d.execute_script("document.getElementById('coller').open = true;"
                             "document.getElementById('texte').value = arguments[0];", pasted)
            d.find_element(By.ID, "verifier").click()
        WebDriverWait(d, 300).until(
            lambda d: d.find_element(By.ID, "verdict").get_attribute("data-fini") == "oui")
        line, *warnings = d.find_element(By.ID, "verdict").get_attribute("textContent").split("\n")
        # The palmarès as the other checkers print it, line for line, and shown in a table.
        palmares = d.find_element(By.ID, "palmaresLignes").get_attribute("textContent")
        palmares = palmares.split("\n") if palmares else []
        shown = d.execute_script("return document.querySelectorAll('#palmares tbody tr').length")
        consistent = line.startswith(RESERVED if warnings else ACCEPTED) or (
            line.startswith("NON CONFORME : ") and not warnings + palmares)
        consistent &= all(w.startswith("ATTENTION : ") for w in warnings) and palmares != [PALMARES]
        consistent &= shown == len(palmares) - bool(palmares)
        consistent &= self.fits()
        # The plain sentence comes first and says what the verdict says, in other words.
        plain = d.find_element(By.ID, "verdictClair").get_attribute("textContent")
        if line.startswith("NON CONFORME : "):
            consistent &= plain == REFUSED + line.removeprefix("NON CONFORME : ")
        elif line.startswith(ACCEPTED + "0 tirage "):
            consistent &= plain.startswith("Ce procès-verbal ne contient aucun tirage")
        else:
            consistent &= plain.startswith(VERIFIED) != bool(warnings)
            consistent &= plain.startswith("Ce tirage est vérifié avec ") == bool(warnings)
        if not consistent:
            print(f"     page said: {plain!r}")
        invalid = "NON CONFORME : le fichier n'est pas un JSON valide ("
        return (invalid if line.startswith(invalid) else line), warnings, palmares, consistent

    def fits(self):
        return self.driver.execute_script(
            "return document.documentElement.scrollWidth <= innerWidth")

    def ticket(self, typed):
        """The answer of "Mon billet" to `typed`, typed key by key."""
        from selenium.webdriver.common.by import By

        field = self.driver.find_element(By.ID, "monBillet")
        field.clear()
        field.send_keys(typed)
        return self.driver.find_element(By.ID, "monBilletReponse").get_attribute("innerText")


profile = tempfile.TemporaryDirectory()
page = Page(options.page, profile.name) if options.page else None
atexit.register(lambda: page and page.driver.quit())
if page and (wrong := page.known_answers()):
    sys.exit(f"the page's hashing fails its known answers: {wrong}")
records = sorted(folder.glob("*.json")) + unreadable
failures = 0
for record in records:
    expected = record.name.startswith("accepted-")
    lines = {}
    ok = True
    attention = record.with_suffix(".attention")
    expected_warnings = attention.read_text().splitlines() if attention.exists() else []
    palmares_file = record.with_suffix(".palmares")
    expected_palmares = palmares_file.read_text().splitlines() if palmares_file.exists() else []
    for name, command in checkers.items():
        line, warnings, palmares, consistent, output = verdict(command, record)
        lines[name] = line
        ok &= consistent and line.startswith("CONFORME" if expected else "NON CONFORME : ")
        ok &= not expected or (warnings, palmares) == (expected_warnings, expected_palmares)
        if not consistent:
            print(f"     {name} printed: {output!r}")
    if page and (record not in unreadable or record.name == "too-big.json"):  # files only
        line, warnings, palmares, consistent = page.verdict(record)
        lines["page"] = line
        ok &= consistent and line.startswith("CONFORME" if expected else "NON CONFORME : ")
        ok &= not expected or (warnings, palmares) == (expected_warnings, expected_palmares)
    if page and record.name == "accepted-every-mode.json":
        lines["page, pasted"] = page.verdict(pasted=record.read_text(encoding="utf-8"))[0]
    ok &= len(set(lines.values())) == 1
    print(("ok   " if ok else "FAIL ") + record.name + ": " + " | ".join(
        f"{name}: {line[:200]}" for name, line in lines.items()))
    failures += not ok
for name, typed, said in TICKETS if page else []:
    page.verdict(folder / f"{name}.json")
    answer = page.ticket(typed)
    ok = all(s in answer for s in said) and page.fits()
    print(("ok   " if ok else "FAIL ") + f"Mon billet, {name}, {typed!r}: {answer!r}")
    failures += not ok
# What the record tells of the event lies outside the randomness: the page shows it, in local time,
# and gives the verdict it gives without it.
if page:
    kept = folder / "accepted-communicated-list-kept.json"
    event = folder / "event.json"
    event.write_text('{"evenement": {"titre": "Tombola de l\'école", "lieu": "Préau, Lyon", "temoins": '
                     '[{"nom": "Anne Leroy", "qualite": "commissaire de justice"}]}, "reprises": '
                     '[{"interruption": "2026-12-07T19:41:00Z", "reprise": "2026-12-07T19:43:00Z"}], '
                     + kept.read_text(encoding="utf-8")[1:], encoding="utf-8")
    without = page.verdict(kept)[0]
    line = page.verdict(event)[0]
    told = page.driver.execute_script("return document.getElementById('evenement').innerText")
    said = ["Tombola de l'école", "Lieu : Préau, Lyon", "Anne Leroy, commissaire de justice",
            "Séance interrompue le 7 décembre 2026 à 20:41:00 et reprise à 20:43:00 (UTC+01:00)."]
    ok = line == without and all(s in told for s in said) and page.fits()
    print(("ok   " if ok else "FAIL ") + f"the event's details: {told!r}")
    failures += not ok
if failures:
    sys.exit(f"{failures} checks of {len(records) + len(TICKETS) + 1} failed")
