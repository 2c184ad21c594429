#!/usr/bin/env python3
"""Times the record checkers on the record of a draw of all of 1,000,000 entries, made with
`sortivo tirer --pv`: wall time, processor time and peak memory of each, as /usr/bin/time -v
gives them; and the web page in headless Chromium, from the file given to its chooser to its
verdict, when Selenium is there (Debian's python3-selenium: run it with /usr/bin/python3), then
two tickets looked up in its "Mon billet": the first one right after the verdict, while the page
may still be folding the entries for the search, the second one after it.

Usage: bench/checkers_speed.py [BUILD_DIR]   (default: build)
"""
import pathlib, re, subprocess, sys, tempfile, time

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


def page_seconds(record, profile):
    """From the record given to the page's file chooser to its verdict, the verdict, and the
    milliseconds of two searches in "Mon billet"."""
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait

    chromium = webdriver.ChromeOptions()
    chromium.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", f"--user-data-dir={profile}"):
        chromium.add_argument(flag)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=chromium)
    try:
        driver.get((root / "docs" / "verifier_pv.html").as_uri())
        start = time.monotonic()
        driver.find_element(By.ID, "fichier").send_keys(str(record))
        verdict = driver.find_element(By.ID, "verdict")
        WebDriverWait(driver, 600, poll_frequency=0.05).until(
            lambda _: verdict.get_attribute("data-fini") == "oui")
        seconds = time.monotonic() - start
        searches = driver.execute_script("""
            const field = document.getElementById("monBillet"), times = [];
            for (const ticket of arguments[0]) {
              const start = performance.now();
              field.value = ticket; field.dispatchEvent(new Event("input"));
              times.push(performance.now() - start);
            }
            return times;""", ["Participant n° 123456", "participant n° 654321"])
        return seconds, verdict.get_attribute("textContent"), searches
    finally:
        driver.quit()


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
    try:
        import selenium  # noqa: F401
    except ImportError:
        sys.exit("web page: not timed, Selenium is missing (python3-selenium, /usr/bin/python3)")
    wall, verdict, searches = page_seconds(record, folder / "profile")
    print(f"{'web page, Chromium':22} {wall:6.2f} s wall  {verdict}")
    print(f"{'Mon billet':22} first ticket {searches[0]:.0f} ms, next {searches[1]:.0f} ms")
