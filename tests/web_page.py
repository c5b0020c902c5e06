"""How the web tests and measurements open the built page: a copy of it alone
in a private folder, from disk, in headless Chromium with the network off;
or the app folder, served from a sub-path on 127.0.0.1.

Needs Debian's chromium, chromium-driver and python3-selenium, and axe-core
from npm for the accessibility audits; without one of them it says in one
line what to install, and exits."""

import functools
import http.server
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
except ImportError:
    sys.exit("web tests: no selenium; apt-get install --no-install-recommends python3-selenium")
for _path, _package in (("/usr/bin/chromium", "chromium"), ("/usr/bin/chromedriver", "chromium-driver")):
    if not os.path.exists(_path):
        sys.exit(f"web tests: no {_path}; apt-get install --no-install-recommends {_package}")

PROMPT = "Napiste Q znacku patriacu nasledujucemu vyrazu:\n"


class Browser:
    """Headless Chromium with the page, copied alone into a private folder,
    opened from disk with the network off. Use it in a `with` block."""

    def __init__(self, page, phone=False, offline=True):
        self.folder = tempfile.mkdtemp(prefix="qcode-quiz.")
        try:
            self._start(page, phone, offline)
        except BaseException:
            self.__exit__()
            raise

    def _start(self, page, phone, offline):
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
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(options=options, service=Service("/usr/bin/chromedriver"))
        self.driver.set_page_load_timeout(30)
        self.driver.set_script_timeout(30)
        self.driver.execute_cdp_cmd("Network.enable", {})
        self.driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": offline, "latency": 0,
            "downloadThroughput": -1, "uploadThroughput": -1})
        if phone:
            self.resize(390, 844)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        if hasattr(self, "driver"):
            self.driver.quit()
        shutil.rmtree(self.folder, ignore_errors=True)

    def open(self, url=None):
        self.driver.get(url or "file://" + self.page)

    def resize(self, width, height, dark=False):
        """Shows the page as a phone's screen of width x height CSS px."""
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 3, "mobile": True})
        self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [
            {"name": "prefers-color-scheme", "value": "dark" if dark else "light"}]})

    def console(self):
        """What the page wrote to the console, and the engine's own
        warnings and errors, since the last call."""
        return [e["message"] for e in self.driver.get_log("browser")]

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def output(self):
        """The program's text on the page, without the lines typed and the
        page's own note."""
        return self.js("const shown = document.getElementById('session').cloneNode(true);"
                       "shown.querySelectorAll('.typed, .note').forEach(s => s.remove());"
                       "return shown.textContent")

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
        sys.exit(f"web tests: no {path}; npm install -g axe-core")
    with open(path, encoding="utf-8") as file:
        return file.read()


class Site:
    """The app folder served from a sub-path of 127.0.0.1, as a static host
    would, with no http caching, so that only the worker can make it play
    offline. Use it in a `with` block; stop() takes the host away."""

    def __init__(self, folder, path="/club/qcode-quiz/"):
        self.root = tempfile.mkdtemp(prefix="qcode-quiz-site.")
        self.folder = self.root + path
        shutil.copytree(folder, self.folder)

        class Handler(http.server.SimpleHTTPRequestHandler):
            def end_headers(self):
                self.send_header("Cache-Control", "no-store")
                super().end_headers()

            def log_message(self, *_):
                pass

        self.handler = functools.partial(Handler, directory=self.root)
        self.port = 0
        self.start()
        self.url = f"http://127.0.0.1:{self.port}{path}"

    def start(self):
        """Serves the folder, on the same port as before if it was served."""
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", self.port), self.handler)
        self.port = self.server.server_port
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()
        shutil.rmtree(self.root, ignore_errors=True)
