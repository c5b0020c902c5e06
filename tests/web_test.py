#!/usr/bin/python3
"""Plays the built page in headless Chromium as a learner would, at a PC and
at a phone's size: from disk, offline, and as the app, served from a
sub-path and then with the host gone. The quiz's own judgement is tested in
C++; these test what the page adds.

Usage: web_test.py PAGE SITE   (the built qcode-quiz.html and site/)"""

import os
import re
import sys
import time
import unittest

from web_page import PROMPT, Browser, Site, axe_script

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

PAGE = sys.argv[1] if len(sys.argv) > 1 else "build-web/qcode-quiz.html"
SITE = sys.argv[2] if len(sys.argv) > 2 else "build-web/site"

PASTE = """
const field = document.getElementById('answer');
const data = new DataTransfer();
data.setData('text/plain', arguments[0]);
field.dispatchEvent(new ClipboardEvent('paste', {clipboardData: data, bubbles: true, cancelable: true}));
"""

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
        fontSize: parseFloat(getComputedStyle(field).fontSize), spellcheck: field.spellcheck,
        autocomplete: field.autocomplete, autocapitalize: field.getAttribute('autocapitalize')};
"""


def field(browser):
    return browser.driver.find_element(By.ID, "answer")


def tally(shown):
    return re.search(r"Vysledy:\nOK  (\d+)\nZLE (\d+)\n$", shown).groups()


class Page(unittest.TestCase):

    def assertQuiet(self, browser):
        """No error or warning in the console."""
        self.assertEqual([m for m in browser.console()], [])

    def test_shows_the_session_as_a_console_does(self):
        with Browser(PAGE) as b:
            b.open()
            b.wait_for_question(1)
            note = b.js("return document.querySelector('#session .note').textContent")
            self.assertIn("slovom end (malými písmenami)", note)
            # An empty line waits; two words on a line answer two questions.
            lines = ["qzz", "", "qzz QRQ", "q" * 1000, "qrqá", "END", "end"]
            asked = 1
            for line in lines:
                field(b).send_keys(line + Keys.ENTER)
                if line != "end":
                    asked += len(line.split())
                    b.wait_for_question(asked)
            shown = b.wait_for_tally()
            ok, wrong = shown.count("Spravne !\n\n\n"), shown.count("ZLE !, zodpovedajuca znacka je: Q")
            self.assertEqual((ok + wrong, shown.count(PROMPT)), (6, 7), shown)
            self.assertEqual(tally(shown), (str(ok), str(wrong)))
            typed = b.js("return [...document.querySelectorAll('.typed')].map(s => s.textContent)")
            self.assertEqual(typed, [line + "\n" for line in lines])
            # Nothing was asked of the network, and the console is clean.
            self.assertEqual(b.js(
                "return performance.getEntriesByType('resource')"
                ".map(e => e.name).filter(n => !n.startsWith('data:'))"), [])
            self.assertQuiet(b)

    def test_ends_without_the_half_typed_word_and_offers_a_new_session(self):
        endings = [
            ("end", "", lambda b: field(b).send_keys("end" + Keys.ENTER)),
            ("Ukončiť", "qr", lambda b: b.driver.find_element(By.ID, "end").click()),
            ("Escape", "qr", lambda b: field(b).send_keys(Keys.ESCAPE)),
        ]
        for name, half_typed, end in endings:
            with self.subTest(name), Browser(PAGE) as b:
                b.open()
                b.wait_for_question(1)
                # Odoslať hands the focus back to the field.
                field(b).send_keys("qzz")
                b.driver.find_element(By.ID, "send").click()
                b.wait_for_question(2)
                self.assertEqual(b.js("return document.activeElement.id"), "answer")
                field(b).send_keys(half_typed)
                end(b)
                shown = b.wait_for_tally()
                self.assertEqual(tally(shown), ("0", "1"))
                # No answer is taken after the tally, however it is sent.
                self.assertFalse(field(b).is_enabled())
                b.js("document.getElementById('answer').value = 'qrq';"
                     "document.getElementById('answers').requestSubmit();")
                b.js(PASTE, "qrq\nqrs\n")
                time.sleep(0.3)
                self.assertEqual(b.output(), shown)
                # Nor does the new session that the page offers.
                self.assertEqual(b.js("return document.activeElement.id"), "again")
                b.driver.find_element(By.ID, "again").click()
                b.wait_for_question(1)
                time.sleep(0.3)
                self.assertEqual(b.output().count("\n"), 2, b.output())
                self.assertTrue(field(b).is_enabled())

    def test_pasted_lines_answer_in_turn_and_every_line_is_decoded_and_marked(self):
        with Browser(PAGE) as b:
            b.open()
            b.wait_for_question(1)
            # 500 questions all but surely show each of the table's four
            # non-ASCII characters, and both languages.
            b.js(PASTE, "qzz\r\n" * 500 + "qr")
            b.wait_for_question(501)
            self.assertEqual(field(b).get_attribute("value"), "qr")
            shown = b.output()
            self.assertEqual(shown.count("ZLE !, zodpovedajuca znacka je: Q"), 500)
            self.assertLessEqual(set("–…„“"), set(shown))
            self.assertFalse([c for c in shown if c == "\ufffd" or "\x80" <= c <= "\x9f"])
            # Czech expressions are marked Czech; the rest is the page's Slovak.
            czech = b.js("return [...document.querySelectorAll('[lang=cs]')].map(s => s.textContent)")
            expressions = [part.split("\n")[0] + "\n" for part in shown.split(PROMPT)[1:]]
            self.assertTrue(czech and set(czech) < set(expressions), czech[:3])
            self.assertFalse([e for e in czech if "\t" in e])
            # However much is pasted, the page keeps only the end of the
            # session, as a terminal does.
            b.js("document.getElementById('answer').value = '';")
            b.js(PASTE, "q\n" * 100000)
            field(b).send_keys(Keys.ESCAPE)
            self.assertEqual(tally(b.wait_for_tally()), ("0", "100500"))
            self.assertLess(b.js("return document.getElementById('session').textContent.length"), 10 ** 6)

    def test_fits_a_phone_and_keeps_the_newest_question_in_view(self):
        with Browser(PAGE, phone=True) as b:
            b.open()
            for n in range(1, 13):
                b.wait_for_question(n)
                field(b).send_keys("qzz" + Keys.ENTER)
            b.wait_for_question(13)
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
            self.assertGreaterEqual(view["fontSize"], 16)
            self.assertEqual((view["spellcheck"], view["autocomplete"], view["autocapitalize"]),
                             (False, "off", "none"))

    def test_screen_readers_find_no_fault_in_either_theme(self):
        with Browser(PAGE) as b:
            b.open()
            b.wait_for_question(1)
            self.assertEqual(b.js("return document.documentElement.lang"), "sk")
            self.assertEqual(b.js("return document.getElementById('session').role"), "log")
            b.js(axe_script())
            audit = "return axe.run().then(r => r.violations.map(v => v.id + ': ' + v.help));"
            for dark in (False, True):
                b.resize(1024, 768, dark)
                self.assertEqual(b.js(audit), [], f"at the first question, dark {dark}")
            field(b).send_keys("end" + Keys.ENTER)
            b.wait_for_tally()
            self.assertEqual(b.js(audit), [], "after the tally")

    def test_the_app_installs_plays_offline_and_takes_an_update(self):
        with Site(SITE) as site, Browser(PAGE, offline=False) as b:
            b.open(site.url)
            b.wait_for_question(1)
            errors = b.driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
            self.assertEqual(errors["installabilityErrors"], [])
            manifest = b.js("return fetch('manifest.webmanifest').then(r => r.json())")
            self.assertEqual((manifest["lang"], manifest["display"], manifest["start_url"]),
                             ("sk", "standalone", "./"))
            self.assertEqual(b.js("return navigator.serviceWorker.ready.then(() => 1)"), 1)
            b.open(site.url)
            self.assertTrue(b.js("return !!navigator.serviceWorker.controller"))
            # Another app's cache, and another copy's of this one.
            others = ["another app", f"qcode-quiz {site.url[:-1]}-test/ 0"]
            b.js("return Promise.all(arguments[0].map(n => caches.open(n))).then(() => 1)", others)
            old = b.js("return caches.keys()")

            # With the host gone, the worker alone serves the app.
            site.stop()
            b.open(site.url)
            b.wait_for_question(1)
            field(b).send_keys("end" + Keys.ENTER)
            self.assertEqual(tally(b.wait_for_tally()), ("0", "0"))
            self.assertQuiet(b)

            # A new version replaces the old at the next start.
            with open(os.path.join(site.folder, "index.html"), "a", encoding="utf-8") as page:
                page.write("<!-- the next version -->\n")
            worker = os.path.join(site.folder, "sw.js")
            with open(worker, encoding="utf-8") as file:
                text = file.read()
            with open(worker, "w", encoding="utf-8") as file:
                file.write(re.sub(r"(prefix \+ '[0-9a-f]+)", r"\1-next", text))
            site.start()
            deadline = time.monotonic() + 60
            while True:
                b.open(site.url)
                names = b.js("return caches.keys()")
                if len(set(old) - set(names)) == 1 and len(names) == len(old):
                    break
                self.assertLess(time.monotonic(), deadline, names)
                time.sleep(2)
            self.assertLessEqual(set(others), set(names))
            b.open(site.url)
            self.assertIn("the next version", b.js("return fetch('./').then(r => r.text())"))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
