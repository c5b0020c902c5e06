"""How the web tests and measurements open the built page: a copy of it alone
in a private folder, from disk, in a headless browser of one engine; or a
folder served from a sub-path on 127.0.0.1. Chromium and WebKitGTK are driven
over WebDriver, Firefox ESR over WebDriver BiDi by puppeteer-core; axe-core
runs the accessibility audits. Where one of them is missing, Missing says in
one line what to install; doc/HACKING.md says more."""

import ast
import functools
import glob
import hashlib
import http.server
import importlib
import json
import os
import pathlib
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

PROMPT = "Napiste Q znacku patriacu nasledujucemu vyrazu:\n"
TALLY = re.compile(r"Vysledy:\nOK  (\d+)\nZLE (\d+)\n$")
HERE = os.path.dirname(os.path.abspath(__file__))
ENGINES = ("chromium", "firefox", "webkit")
PASTE = """
const data = new DataTransfer();
data.setData('text/plain', arguments[0]);
document.getElementById('answer').dispatchEvent(
  new ClipboardEvent('paste', {clipboardData: data, bubbles: true, cancelable: true}));
"""


class Missing(Exception):
    """A tool that the tests need is not installed; the message says how to
    install all that one engine's test is missing."""


def check(engine):
    """Raises Missing if a tool that `engine`'s test needs is not installed:
    the engine's own, and in every engine a desktop that a screen reader
    could read, with its accessibility bus."""
    def typelib(name):
        return (glob.glob(f"/usr/lib/*/girepository-1.0/{name}.typelib") or [name])[0]
    debs = [("/usr/bin/Xvfb", "xvfb"), ("/usr/bin/dbus-daemon", "dbus-daemon"), ("/usr/bin/dbus-send", "dbus-bin"),
            ("/usr/libexec/at-spi-bus-launcher", "at-spi2-core"), (typelib("Atspi-2.0"), "gir1.2-atspi-2.0")]
    debs += {"chromium": [("/usr/bin/chromium", "chromium"), ("/usr/bin/chromedriver", "chromium-driver")],
             "webkit": [("/usr/bin/WebKitWebDriver", "webkit2gtk-driver"),
                        (typelib("WebKit2-4.1"), "gir1.2-webkit2-4.1")],
             "firefox": [("/usr/bin/firefox-esr", "firefox-esr"), ("/usr/bin/node", "nodejs")]}[engine]
    missing = [package for path, package in debs if not os.path.exists(path)]
    # Imported, not only looked for, as the tests import them.
    for module, package in [("gi", "python3-gi")] + [("selenium.webdriver", "python3-selenium")] * (engine != "firefox"):
        try:
            importlib.import_module(module)
        except ImportError:
            missing.insert(0, package)
    npms = [name for name in {"chromium": ["axe-core"], "firefox": ["puppeteer-core@24"]}.get(engine, [])
            if not os.path.exists(npm_module(name.split("@")[0]))]
    install = [f"apt-get install --no-install-recommends {' '.join(missing)}"] * bool(missing) + \
        [f"npm install -g {' '.join(npms)}"] * bool(npms)
    if install:
        raise Missing(f"web.{engine} is skipped; to run it: {' && '.join(install)}")


@functools.cache
def npm_module(name):
    """The folder of a module that npm installs globally."""
    return os.path.join(npm_root() or "/usr/local/lib/node_modules", name)


@functools.cache
def npm_root():
    # Asked with no log of its own, which npm would leave in ~/.npm.
    return subprocess.run(["npm", "root", "-g"], capture_output=True, text=True, check=False,
                          env=dict(os.environ, npm_config_logs_max="0")).stdout.strip() if shutil.which("npm") else ""


@functools.cache
def codes():
    """The code of each of the table's expressions, as the page shows them,
    read from the quiz's own source."""
    with open(os.path.join(HERE, "..", "src", "qcode_table.cc"), encoding="ascii") as source:
        entries = re.findall(r'\{"(Q[A-Z]{2})",((?:\s*"(?:[^"\\]|\\.)*")+)\}', source.read())
    return {"".join(ast.literal_eval(part) for part in re.findall(r'"(?:[^"\\]|\\.)*"', text))
            .encode("latin-1").decode("windows-1250"): code for code, text in entries}


def rebuild(folder, page):
    """Makes `page` the index.html of the app in `folder`, as a build would:
    with the worker of a new version, which names the page's hash."""
    index, worker = pathlib.Path(folder, "index.html"), pathlib.Path(folder, "sw.js")
    text = worker.read_text(encoding="utf-8").replace(
        *(hashlib.sha256(data).hexdigest() for data in (index.read_bytes(), page)))
    worker.write_text(re.sub(r"(prefix \+ '[0-9a-f]+)", r"\1+", text), encoding="utf-8")
    index.write_bytes(page)


def wait(done, seconds=30, failed="waited in vain"):
    """Waits until done() holds; what it gave, or an AssertionError saying
    `failed`."""
    deadline = time.monotonic() + seconds
    while not (value := done()):
        if time.monotonic() > deadline:
            raise AssertionError(failed)
        time.sleep(0.1)
    return value


def private_folder(prefix):
    """A new folder in TMPDIR, or in /tmp where TMPDIR is too long: Chromium
    and D-Bus put sockets in such folders, and a socket's path holds at most
    107 bytes. The caller removes it."""
    return tempfile.mkdtemp(prefix=prefix, dir=None if len(tempfile.gettempdir()) <= 40 else "/tmp")


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Desktop:
    """An X display of its own, on Xvfb, and a D-Bus session bus (else a
    browser would start one of its own, which outlives the test), in a
    private folder that is also its HOME; with `a11y`, the accessibility
    bus too, where browsers tell screen readers what they show. `env` is
    the environment of what runs on it. Use it in a `with` block."""

    def __init__(self, a11y=False):
        self.folder = private_folder("qcode-quiz-desktop.")
        self.processes = []
        try:
            self.env = dict(os.environ, HOME=self.folder, XDG_RUNTIME_DIR=self.folder, DISPLAY=":" + self.start(
                "Xvfb", "-displayfd", "{fd}", "-nolisten", "tcp", "-screen", "0", "1280x1024x24"))
            self.env["DBUS_SESSION_BUS_ADDRESS"] = self.start(
                "dbus-daemon", "--session", "--nofork", "--address=unix:dir=" + self.folder, "--print-address={fd}")
            if a11y:
                # Firefox makes its tree for a screen reader only when told.
                self.env["GNOME_ACCESSIBILITY"] = "1"
                self.start("/usr/libexec/at-spi-bus-launcher", "--launch-immediately")
                wait(lambda: not subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                                                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=self.env,
                                                capture_output=True).returncode, 10, "no accessibility bus")
        except BaseException:
            self.__exit__()
            raise

    def start(self, *command):
        """Starts `command` on the desktop; with "{fd}" among its words, a
        pipe's descriptor, the line the command then writes to it."""
        ready, told = os.pipe()
        words = [word.replace("{fd}", str(told)) for word in command]
        self.processes.append(subprocess.Popen(words, pass_fds=[told], env=getattr(self, "env", None),
                                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        os.close(told)
        line = b""
        while words != list(command) and not line.endswith(b"\n"):  # Xvfb dies if the pipe closes early
            line += os.read(ready, 256) or b"\n"
        os.close(ready)
        return line.decode().strip()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        stop(self.processes)
        shutil.rmtree(self.folder, ignore_errors=True)


def stop(processes):
    """Ends `processes`, the last started first."""
    for process in reversed(processes):
        if process.stdin:  # the Firefox bridge closes its browser and ends
            process.stdin.close()
        else:
            process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class WebDriver:
    """The page's operations over WebDriver, for Chromium and WebKitGTK;
    `console` gives the engine's warnings and errors since it was last
    asked."""

    def __init__(self, driver, console):
        self.driver, self.console = driver, console

    def open(self, url):
        self.driver.get(url)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def type(self, text, key=None):
        from selenium.webdriver.common.keys import Keys
        keys = text + (getattr(Keys, key.upper()) if key else "")
        if keys:  # WebKit refuses to type nothing
            self.driver.switch_to.active_element.send_keys(keys)

    def paste(self, text):
        """A paste event, as Firefox would empty its data."""
        self.js(PASTE, text)

    def click(self, id):
        from selenium.webdriver.common.by import By
        self.driver.find_element(By.ID, id).click()

    def quit(self):
        self.driver.quit()


class Bridge:
    """The same operations in Firefox, each a JSON line to web_firefox.js,
    which answers in one."""

    def __init__(self, process):
        self.process = process

    def __getattr__(self, op):
        def ask(*args):
            self.process.stdin.write(json.dumps({"op": op, "args": args}) + "\n")
            self.process.stdin.flush()
            answer = json.loads(self.process.stdout.readline() or '{"error": "the bridge ended"}')
            if "error" in answer:
                raise AssertionError(answer["error"])
            return answer["value"]
        return ask

    def quit(self):
        pass  # the bridge closes its browser when its input ends


class Browser:
    """A headless browser of `engine`, with the page copied alone into a
    private folder; or, on a `desktop`, a browser in a window there, with
    its accessibility tree on. Use it in a `with` block."""

    def __init__(self, page, engine="chromium", phone=False, desktop=None):
        self.folder = private_folder("qcode-quiz.")
        self.page = os.path.join(self.folder, "qcode-quiz.html")
        shutil.copyfile(page, self.page)
        self.processes, self.ops, self.desktop = [], None, desktop
        self.own_desktop = not desktop and engine == "webkit"  # WebKitGTK is never headless
        try:
            check(engine)
            if self.own_desktop:
                self.desktop = Desktop()
            self.ops = getattr(self, "_start_" + engine)()
            if phone:
                self.resize(390, 844)
        except BaseException:
            self.__exit__()
            raise

    def _start_chromium(self):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--force-renderer-accessibility" if self.desktop else "--headless=new",
                     "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--window-size=1024,768",
                     "--user-data-dir=" + os.path.join(self.folder, "profile")):
            options.add_argument(flag)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        # Chromium leaves folders of its own in TMPDIR, and settings in HOME.
        service = Service("/usr/bin/chromedriver", env=dict(self.desktop.env if self.desktop else os.environ,
                                                            TMPDIR=self.folder, HOME=self.folder))
        driver = webdriver.Chrome(options=options, service=service)
        return WebDriver(driver, lambda: [e["message"] for e in driver.get_log("browser")])

    def _start_webkit(self):
        """WebKitWebDriver, with a browser that writes its console to the
        driver's log, on an X display of its own."""
        from selenium import webdriver
        from selenium.webdriver.common.options import ArgOptions
        port = free_port()
        log = open(os.path.join(self.folder, "console"), "w+", encoding="utf-8")
        self.processes.append(subprocess.Popen(
            ["WebKitWebDriver", f"--port={port}"], stdout=log, stderr=subprocess.STDOUT,
            env=dict(self.desktop.env, WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS="1")))

        class Options(ArgOptions):
            def to_capabilities(self):
                return {"webkitgtk:browserOptions": {
                    "binary": os.path.join(HERE, "web_webkit.py"), "args": ["--automation"]}}

        def console():
            log.seek(0)
            lines = log.read().splitlines()
            log.seek(0)
            log.truncate()
            # "[url:line:column: ]CONSOLE [SOURCE ]LEVEL message"
            return [line for line in lines if re.search(r"\bCONSOLE (\w+ )?(WARN|ERROR) ", line)]
        deadline = time.monotonic() + 10
        while True:
            try:
                return WebDriver(webdriver.Remote(f"http://127.0.0.1:{port}", options=Options()), console)
            except Exception:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.1)

    def _start_firefox(self):
        modules = os.path.dirname(npm_module("puppeteer-core"))
        # Firefox writes into ~/.cache even with a profile of its own.
        self.processes.append(subprocess.Popen(
            ["node", os.path.join(HERE, "web_firefox.js"), self.folder] + ["headed"] * bool(self.desktop),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
            env=dict(self.desktop.env if self.desktop else os.environ, NODE_PATH=modules, HOME=self.folder)))
        return Bridge(self.processes[-1])

    def __enter__(self):
        return self

    def __exit__(self, *_):
        if self.ops:
            self.ops.quit()
        stop(self.processes)
        if self.own_desktop:
            self.desktop.__exit__()
        shutil.rmtree(self.folder, ignore_errors=True)

    def open(self, url=None):
        self.ops.open(url or "file://" + self.page)

    # The adapter's: js(script, *args), with the script a function's body;
    # type(text, key=None); paste(text); click(id); console(), the errors
    # and warnings since the last call.
    def __getattr__(self, name):
        return getattr(self.ops, name)

    def cdp(self, command, parameters=None):
        """A command of Chromium's DevTools."""
        return self.ops.driver.execute_cdp_cmd(command, parameters or {})

    def resize(self, width, height, dark=False):
        """Shows the page as a phone's screen of width x height CSS px (Chromium)."""
        self.cdp("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 3, "mobile": True})
        self.cdp("Emulation.setEmulatedMedia", {"features": [
            {"name": "prefers-color-scheme", "value": "dark" if dark else "light"}]})

    def output(self):
        """The program's text on the page, without the lines typed and the
        page's own note; "" until the page is there."""
        return self.js("const shown = document.getElementById('session')?.cloneNode(true);"
                       "shown?.querySelectorAll('.typed, .note').forEach(s => s.remove());"
                       "return shown ? shown.textContent : ''")

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
        return self.wait_for(TALLY.search)


def axe_script():
    """axe-core's script, from npm's global folder."""
    with open(os.path.join(npm_module("axe-core"), "axe.min.js"), encoding="utf-8") as file:
        return file.read()


class Site:
    """The app folder, or a page alone, served from a sub-path of 127.0.0.1,
    as a static host would, with no http caching, so that only the worker can make it play
    offline, and varying on a header, as some hosts do. `requests` lists the
    paths asked for. Use it in a `with` block; stop() takes the host away."""

    def __init__(self, folder, path="/club/qcode-quiz/"):
        self.root = tempfile.mkdtemp(prefix="qcode-quiz-site.")
        self.folder, self.requests = self.root + path, []
        if os.path.isfile(folder):  # a page alone, as the folder's index
            os.makedirs(self.folder)
            shutil.copyfile(folder, self.folder + "index.html")
        else:
            shutil.copytree(folder, self.folder)
        requests = self.requests

        class Handler(http.server.SimpleHTTPRequestHandler):
            def end_headers(self):
                self.send_header("Cache-Control", "no-store")
                self.send_header("Vary", "Accept")
                super().end_headers()

            def log_request(self, *_):
                requests.append(self.path)

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


if __name__ == "__main__":
    # For CMake: a line for each engine named whose test will be skipped.
    for engine in sys.argv[1:]:
        try:
            check(engine)
        except Missing as missing:
            print(missing)
