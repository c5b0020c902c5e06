"""How the web tests and measurements open the built page: a copy of it alone
in a private folder, from disk, in headless Chromium with the network off.

Needs Debian's chromium, chromium-driver and python3-selenium, and axe-core
from npm for the accessibility audits."""

import os
import re
import shutil
import subprocess
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

PROMPT = "Napiste Q znacku patriacu nasledujucemu vyrazu:\n"


def read_table(source):
    """The table's entries as (code, expression) pairs, the expressions
    decoded from Windows-1250 by Python, not by the browser."""
    with open(source, encoding="ascii") as file:
        text = file.read()
    literal = r'"(?:[^"\\]|\\.)*"'
    entries = []
    for code, parts in re.findall(r'\{"(Q[A-Z]{2})",((?:\s*' + literal + ")+)}", text):
        raw = b"".join(
            part[1:-1].encode("ascii").decode("unicode_escape").encode("latin-1")
            for part in re.findall(literal, parts))
        entries.append((code, raw.decode("cp1250")))
    assert len(entries) == 84, f"{len(entries)} entries read from {source}"
    return entries


def check_session(table, words, shown):
    """What is wrong with `shown`, the program's text for the input `words`,
    or "" if every question shows a table entry, every verdict judges the
    next word against that entry's code, and the tally counts them."""
    codes = dict((expression, code) for code, expression in table)
    ok = wrong = 0
    words = list(words)
    question = 0
    while True:
        question += 1
        if not shown.startswith(PROMPT):
            return f"question {question}: no prompt: {shown[:80]!r}"
        expression, _, shown = shown[len(PROMPT):].partition("\n")
        if expression not in codes:
            return f"question {question}: no such expression: {expression!r}"
        if not words or words[0] == "end":
            break
        word = words.pop(0)
        right = word.encode().upper() == codes[expression].encode()
        verdict = ("Spravne !" if right else
                   "ZLE !, zodpovedajuca znacka je: " + codes[expression])
        if not shown.startswith(verdict + "\n\n\n"):
            return f"question {question}: wrong verdict for {word!r}: {shown[:80]!r}"
        shown = shown[len(verdict) + 3:]
        ok, wrong = ok + right, wrong + (not right)
    if shown != f"Vysledy:\nOK  {ok}\nZLE {wrong}\n":
        return f"wrong results: {shown!r}"
    return ""


class Browser:
    """Headless Chromium with the page, copied alone into a private folder,
    opened from disk with the network off. Use it in a `with` block."""

    def __init__(self, page, phone=False):
        self.folder = tempfile.mkdtemp(prefix="qcode-quiz.")
        try:
            self._start(page, phone)
        except BaseException:
            self.__exit__()
            raise

    def _start(self, page, phone):
        self.page = os.path.join(self.folder, "qcode-quiz.html")
        shutil.copyfile(page, self.page)
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     "--window-size=1024,768",
                     "--user-data-dir=" + os.path.join(self.folder, "profile")):
            options.add_argument(flag)
        self.driver = webdriver.Chrome(options=options, service=Service("/usr/bin/chromedriver"))
        self.driver.set_page_load_timeout(30)
        self.driver.set_script_timeout(30)
        self.driver.execute_cdp_cmd("Network.enable", {})
        self.driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": True, "latency": 0,
            "downloadThroughput": -1, "uploadThroughput": -1})
        if phone:
            self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                "width": 390, "height": 844, "deviceScaleFactor": 3,
                "mobile": True})

    def __enter__(self):
        return self

    def __exit__(self, *_):
        if hasattr(self, "driver"):
            self.driver.quit()
        shutil.rmtree(self.folder, ignore_errors=True)

    def open(self):
        self.driver.get("file://" + self.page)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def output(self):
        """The program's text on the page, without the lines typed."""
        return self.js("return [...document.querySelectorAll('#session span')]"
                       ".filter(s => !s.classList.contains('typed'))"
                       ".map(s => s.textContent).join('')")

    def wait_for(self, done, seconds=30):
        """Waits until done(output) holds; the output, or an AssertionError."""
        deadline = time.monotonic() + seconds
        while True:
            shown = self.output()
            if done(shown):
                return shown
            if time.monotonic() > deadline:
                raise AssertionError("waited in vain; the page shows:\n" + shown)
            time.sleep(0.02)

    def wait_for_question(self, n):
        """Waits for question n (from 1) to be shown in full; its expression."""
        def question(text):
            parts = text.split(PROMPT)
            return parts[n].split("\n")[0] if len(parts) > n and "\n" in parts[n] else None
        return question(self.wait_for(question))

    def wait_for_tally(self):
        return self.wait_for(lambda t: re.search(r"Vysledy:\nOK  \d+\nZLE \d+\n$", t))


def axe_script():
    """axe-core's script, from npm's global folder."""
    root = subprocess.run(["npm", "root", "-g"], capture_output=True,
                          text=True, check=False).stdout.strip()
    path = os.path.join(root, "axe-core", "axe.min.js")
    if not os.path.exists(path):
        raise AssertionError(f"no {path}: npm install -g axe-core brings it")
    with open(path, encoding="utf-8") as file:
        return file.read()
