#!/usr/bin/python3
"""Plays the built page as a learner would, in one browser engine: from
disk, then as the app, served from a sub-path and then with the host gone.
In Chromium it also checks the page at a phone's size and with axe-core.
The quiz's own judgement is tested in C++; these test what the page adds.

Usage: web_test.py PAGE SITE ENGINE [TEST...]   (the built qcode-quiz.html,
site/, and chromium, firefox or webkit; the tests to run, by default all).
Exits 77, skipped, if the engine is not installed."""

import os
import pathlib
import subprocess
import sys
import time
import unittest

from web_page import (ENGINES, PROMPT, TALLY, Browser, Desktop, Missing, Site, axe_script, check, codes,
                      rebuild, wait)

PAGE, SITE, ENGINE = sys.argv[1:4] + ["build-web/qcode-quiz.html", "build-web/site", "chromium"][len(sys.argv[1:4]):]
assert ENGINE in ENGINES, ENGINE

# Where the newest expression, the field and the page lie on the screen.
VIEW = """
const text = [...document.getElementById('session').lastChild.childNodes].reverse()
  .find(n => n.textContent.trim() && !(n.classList && n.classList.contains('typed')));
const range = document.createRange();
range.selectNodeContents(text);
const box = (e) => { const r = e.getBoundingClientRect(); return {top: r.top, bottom: r.bottom,
                                                                  width: r.width, height: r.height}; };
const field = document.getElementById('answer');
return {expression: box(range), session: box(document.getElementById('session')),
        field: box(field), buttons: ['send', 'end'].map(id => box(document.getElementById(id))),
        height: innerHeight, width: innerWidth, pageWidth: document.documentElement.scrollWidth,
        fontSize: parseFloat(getComputedStyle(field).fontSize)};
"""

FOCUS = "return document.activeElement.id"

# What the page asked of the network, once it has loaded: files, and a worker.
NOTHING_ASKED = """
return new Promise((loaded) => document.readyState === 'complete' ? loaded() : addEventListener('load', loaded))
  .then(() => new Promise((later) => setTimeout(later, 100)))
  .then(() => location.protocol === 'file:' ? [] : navigator.serviceWorker.getRegistrations())
  .then((workers) => performance.getEntriesByType('resource').map(e => e.name)
    .filter(n => !n.startsWith('data:')).concat(workers.map(w => w.scope)));
"""


# Whether the app's worker has done with any new version: taken it, or not.
INSTALLED = """
return navigator.serviceWorker.getRegistration().then(r => !r.installing && !r.waiting);
"""


def tally(shown):
    return TALLY.search(shown).groups()


class Page(unittest.TestCase):

    def play(self, b, lines):
        """Types `lines` at the page, each with Enter; what the page shows."""
        asked = b.output().count(PROMPT)
        for line in lines:
            b.type(line, "Enter")
            if line != "end":
                asked += len(line.split())
                b.wait_for_question(asked)
        return b.output()

    def test_plays_ends_every_way_and_decodes_every_line(self):
        with Browser(PAGE, ENGINE) as b:
            b.open()
            b.wait_for_question(1)
            note = b.js("return document.querySelector('#session .note').textContent")
            self.assertIn("slovom end (malými písmenami)", note)
            # An empty line waits; two words on a line answer two questions.
            lines = ["qzz", "", "qzz QRQ", "q" * 1000, "qrqá", "END"]
            self.play(b, lines)
            self.assertEqual(b.js("return [...document.querySelectorAll('.typed')].map(s => s.textContent)"),
                             [line + "\n" for line in lines])
            # Odoslať hands the focus back to the field.
            b.type("qzz")
            b.click("send")
            b.wait_for_question(8)
            self.assertEqual(b.js(FOCUS), "answer")
            # 500 pasted answers all but surely show each of the table's four
            # non-ASCII characters, and both languages.
            b.paste("qzz\r\n" * 500 + "qr")
            shown = b.wait_for(lambda t: t.count(PROMPT) == 508 and t.endswith("\n"))
            self.assertLessEqual(set("–…„“"), set(shown))
            self.assertFalse([c for c in shown if c == "\ufffd" or "\x80" <= c <= "\x9f"])
            # Czech expressions are marked Czech; the rest is the page's Slovak.
            czech = b.js("return [...document.querySelectorAll('#session [lang=cs]')].map(s => s.textContent)")
            expressions = [part.split("\n")[0] + "\n" for part in shown.split(PROMPT)[1:]]
            self.assertTrue(czech and set(czech) < set(expressions), czech[:3])
            self.assertFalse([e for e in czech if "\t" in e])

            # Each way of ending leaves the half-typed word unjudged, and the
            # page then offers a new session.
            for n, (ending, half_typed, end) in enumerate((
                    ("Escape", "qr", lambda: b.type("", "Escape")),
                    ("Ukončiť", "qr", lambda: b.click("end")),
                    ("end", "", lambda: b.type("end", "Enter")))):
                with self.subTest(ending):
                    if n:  # the half-typed word of the paste is there already
                        self.assertEqual(b.js(FOCUS), "again")
                        b.click("again")
                        b.wait_for_question(1)
                        b.type(half_typed)
                    end()
                    shown = b.wait_for_tally()
                    ok, wrong = shown.count("Spravne !\n"), shown.count("ZLE !, zodpovedajuca znacka je: Q")
                    self.assertEqual(tally(shown), (str(ok), str(wrong)))
                    self.assertEqual(ok + wrong, 0 if n else 507)
            # No answer is taken after the tally, however it is sent.
            self.assertTrue(b.js("return document.getElementById('answer').disabled"))
            b.js("document.getElementById('answer').value = 'qrq';"
                 "document.getElementById('answers').requestSubmit();")
            b.paste("qrq\nqrs\n")
            time.sleep(0.3)
            self.assertEqual(b.output(), shown)
            # Nothing was asked of the network, and the console is clean.
            self.assertEqual(b.js(NOTHING_ASKED), [])
            self.assertEqual(b.console(), [])

    def test_the_app_plays_offline_and_takes_only_a_whole_update(self):
        with Site(PAGE) as alone, Site(SITE) as site, Browser(PAGE, ENGINE) as b:
            # The single page served alone, and the app's page from disk, are
            # no app: they ask for nothing.
            for url in (alone.url, "file://" + site.folder + "index.html"):
                b.open(url)
                b.wait_for_question(1)
                self.assertEqual(b.js(NOTHING_ASKED), [], url)
                self.assertEqual(b.console(), [], url)

            b.open(site.url)
            b.wait_for_question(1)
            self.play(b, ["qzz", "end"])
            self.assertEqual(b.console(), [])
            if ENGINE == "chromium":
                errors = b.cdp("Page.getInstallabilityErrors")["installabilityErrors"]
                self.assertEqual(errors, [])
            self.assertEqual(b.js("return navigator.serviceWorker.ready.then(() => 1)"), 1)
            # WebKit may want a second reload before the worker takes over.
            for _ in range(3):
                b.open(site.url)
                if b.js("return !!navigator.serviceWorker.controller"):
                    break
            self.assertTrue(b.js("return !!navigator.serviceWorker.controller"))
            # Another app's cache, and another copy's of this one.
            others = ["another app", f"qcode-quiz {site.url[:-1]}-test/ 0"]
            b.js("return Promise.all(arguments[0].map(n => caches.open(n))).then(() => 1)", others)
            old = b.js("return caches.keys()")
            title = b.js("return document.title")
            self.play_offline(b, site, title)

            # A torn upload, the new worker beside the old page or beside a
            # page cut short, installs nothing: the old version plays on.
            index = pathlib.Path(site.folder, "index.html")
            page = index.read_bytes()
            next_page = page.replace(b"<title>", b"<title>2 ")
            rebuild(site.folder, next_page)
            for torn in (page, next_page[:len(next_page) // 2]):
                with self.subTest(torn=len(torn)):
                    index.write_bytes(torn)
                    asked = len(site.requests)
                    b.js("navigator.serviceWorker.getRegistration().then(r => r.update()).catch(() => {})")
                    wait(lambda: any("?" in path for path in site.requests[asked:]))  # the worker's fetches
                    wait(lambda: b.js(INSTALLED))
                    self.assertEqual(b.js("return caches.keys()"), old)
                    self.play_offline(b, site, title)

            # The whole new version: an app back on the screen asks for the
            # worker, which takes it, but the session there goes on as it was;
            # Nové cvičenie then starts the new version.
            index.write_bytes(next_page)
            b.open(site.url)
            shown = self.play(b, ["qzz"])
            asked = len(site.requests)
            b.js("document.dispatchEvent(new Event('visibilitychange'))")

            def replaced():
                names = b.js("return caches.keys()")
                return len(set(old) - set(names)) == 1 and len(names) == len(old) and names
            self.assertLessEqual(set(others), set(wait(replaced)))
            self.assertIn(site.folder[len(site.root):] + "sw.js", site.requests[asked:])
            self.assertEqual((b.output(), b.js("return document.title")), (shown, title))
            self.play(b, ["qzz", "end"])
            b.click("again")
            wait(lambda: b.js("return document.title") != title)
            b.wait_for_question(1)
            self.assertEqual(b.console(), [])

    def play_offline(self, b, site, title):
        """With the host gone, the worker alone serves the app, in the
        version titled `title`."""
        site.stop()
        b.open(site.url)
        b.wait_for_question(1)
        self.assertEqual(b.js("return document.title"), title)
        b.type("end", "Enter")
        self.assertEqual(tally(b.wait_for_tally()), ("0", "0"))
        self.assertEqual(b.console(), [])
        site.start()

    def test_a_new_exercise_draws_anew_in_the_same_second(self):
        with Browser(PAGE, ENGINE) as b:
            b.open()
            b.wait_for_question(1)
            b.js("Date.now = () => 1.8e12")  # the clock stands still
            drawn = []
            for _ in range(2):
                b.type("", "Escape")
                b.wait_for_tally()
                b.click("again")
                b.wait_for_question(1)
                drawn.append(self.play(b, ["qzz qzz qzz qzz qzz"]))
            self.assertNotEqual(*drawn)

    def test_a_missing_tool_is_named_with_its_package(self):
        # As configuring would show it, with none of Debian's Python packages.
        shown = subprocess.run(["/usr/bin/python3", "-S", os.path.join(os.path.dirname(__file__), "web_page.py"),
                                ENGINE], capture_output=True, text=True, check=True).stdout
        self.assertRegex(shown, rf"^web\.{ENGINE} is skipped; to run it: apt-get install [^&]*python3-gi")

    def test_a_screen_reader_hears_each_verdict_with_the_next_question_and_the_tally(self):
        from web_a11y import Accessibility, words  # after check(), as it needs gi
        with Desktop(a11y=True) as desktop:
            a11y = Accessibility(desktop, "Precvičovanie Q-kódov")
            with Browser(PAGE, ENGINE, desktop=desktop) as b:
                b.open()
                asked, expression = 1, b.wait_for_question(1)
                for line in (None, "qzz", codes()[expression], "qzz qzz"):
                    if line:
                        b.type(line, "Enter")
                        asked += len(line.split())
                        expression = b.wait_for_question(asked)
                        verdict = b.output().split(PROMPT)[-2].splitlines()[-3]
                    with self.subTest(line):
                        # The field is named by the open expression, so it is
                        # said with the field, and again on demand; after an
                        # answer, the status says its verdict and the new
                        # expression, and nothing else is announced.
                        said = words(f"{verdict} {expression}") if line else ""
                        if ENGINE != "webkit":  # WebKitGTK tells of no change in a live region
                            self.assertEqual(a11y.announced(bool(said)), [said] * bool(said))
                        self.assertEqual(a11y.find("entry")[0], words("Q-kód: " + expression))
                        self.assertEqual(a11y.find("status")[2], said)
                # The tally describes the button that the focus goes to.
                b.type("end", "Enter")
                ok, wrong = tally(b.wait_for_tally())
                self.assertEqual(b.js(FOCUS), "again")
                self.assertEqual(a11y.announced(0), [])
                self.assertEqual(a11y.find("button", "Nové")[1], f"Vysledy: OK {ok} ZLE {wrong}")

    @unittest.skipUnless(ENGINE == "chromium", "Chromium's DevTools set the screen's size and theme")
    def test_fits_a_phone_in_either_theme_and_keeps_the_newest_question_in_view(self):
        with Browser(PAGE, ENGINE, phone=True) as b:
            b.open()
            b.wait_for_question(1)
            self.play(b, ["qzz"] * 12)
            # A phone, its keyboard opened, and the page at 400% zoom.
            for width, height in ((390, 844), (390, 450), (320, 256)):
                with self.subTest(f"{width}x{height}"):
                    b.resize(width, height)
                    time.sleep(0.3)
                    view = b.js(VIEW)
                    self.assertEqual((view["width"], view["height"]), (width, height))
                    self.assertLessEqual(view["pageWidth"], width)
                    self.assertGreaterEqual(view["expression"]["top"], view["session"]["top"] - 1)
                    self.assertLessEqual(view["expression"]["bottom"], view["session"]["bottom"] + 1)
                    self.assertGreaterEqual(view["field"]["top"], 0)
                    self.assertLessEqual(view["field"]["bottom"], height)
                    for button in view["buttons"]:
                        self.assertGreaterEqual(min(button["width"], button["height"]), 44)
            self.assertGreaterEqual(view["fontSize"], 16)  # phones zoom in on less
            # Screen readers: axe-core.
            b.js(axe_script())
            audit = "return axe.run().then(r => r.violations.map(v => v.id + ': ' + v.help));"
            for dark in (False, True):
                b.resize(390, 844, dark)
                self.assertEqual(b.js(audit), [], f"dark {dark}")
            b.type("end", "Enter")
            b.wait_for_tally()
            self.assertEqual(b.js(audit), [], "after the tally")
            # However much is pasted, the page keeps only the end of the
            # session, as a terminal does.
            b.click("again")
            b.wait_for_question(1)
            b.paste("q\n" * 100000)
            b.type("", "Escape")
            self.assertEqual(tally(b.wait_for_tally()), ("0", "100000"))
            self.assertLess(b.js("return document.getElementById('session').textContent.length"), 10 ** 6)


if __name__ == "__main__":
    try:
        check(ENGINE)
    except Missing as missing:
        print(missing)
        sys.exit(1 if os.environ.get("CI") == "true" else 77)  # CI has them all
    unittest.main(argv=sys.argv[:1] + sys.argv[4:], verbosity=2)
