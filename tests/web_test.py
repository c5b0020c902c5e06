#!/usr/bin/python3
"""Plays the built page from disk, offline, in headless Chromium, as a
learner would at a PC or a phone.

Usage: web_test.py PAGE TABLE_SOURCE   (PAGE: the built qcode-quiz.html)"""

import sys
import time
import unittest

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from web_page import PROMPT, Browser, axe_script, check_session, read_table

PAGE = sys.argv[1] if len(sys.argv) > 1 else "build-web/qcode-quiz.html"
TABLE = read_table(sys.argv[2] if len(sys.argv) > 2 else "src/qcode_table.cc")
CODES = {expression: code for code, expression in TABLE}

PASTE = """
const field = document.getElementById('answer');
const data = new DataTransfer();
data.setData('text/plain', arguments[0]);
field.dispatchEvent(new ClipboardEvent('paste', {clipboardData: data, bubbles: true, cancelable: true}));
"""


def field(browser):
    return browser.driver.find_element(By.ID, "answer")


class Page(unittest.TestCase):

    def test_judges_each_word_as_a_console_does(self):
        with Browser(PAGE) as b:
            b.open()
            right = CODES[b.wait_for_question(1)].lower()
            # An empty line waits; two words on a line answer two questions.
            lines = [right, "qzz", "", "qzz QRQ", "q" * 1000, "qrqá", "END", "end"]
            asked = 1
            for line in lines:
                field(b).send_keys(line + Keys.ENTER)
                if line != "end":
                    asked += len(line.split())
                    b.wait_for_question(asked)
            shown = b.wait_for_tally()
            words = " ".join(lines).split()
            self.assertEqual(check_session(TABLE, words, shown), "")
            self.assertTrue(shown.endswith("OK  1\nZLE 6\n"), shown)
            # Nothing was asked of the network.
            self.assertEqual(b.js(
                "return performance.getEntriesByType('resource')"
                ".map(e => e.name).filter(n => !n.startsWith('data:'))"), [])

    def test_ends_without_the_half_typed_word_and_offers_a_new_session(self):
        endings = [
            ("end", "", lambda b: field(b).send_keys("end" + Keys.ENTER)),
            ("Koniec", "qr", lambda b: b.driver.find_element(By.ID, "end").click()),
            ("Escape", "qr", lambda b: field(b).send_keys(Keys.ESCAPE)),
        ]
        for name, half_typed, end in endings:
            with self.subTest(name), Browser(PAGE) as b:
                b.open()
                field(b).send_keys(CODES[b.wait_for_question(1)].lower() + Keys.ENTER)
                b.wait_for_question(2)
                field(b).send_keys(half_typed)
                end(b)
                shown = b.wait_for_tally()
                self.assertTrue(shown.endswith("Vysledy:\nOK  1\nZLE 0\n"), shown)
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

    def test_pasted_lines_answer_in_turn_and_every_character_is_decoded(self):
        with Browser(PAGE) as b:
            b.open()
            b.wait_for_question(1)
            # 500 questions all but surely show each of the table's four
            # non-ASCII characters; the unfinished last line stays typed.
            b.js(PASTE, "qzz\r\n" * 500 + "qr")
            b.wait_for_question(501)
            self.assertEqual(field(b).get_attribute("value"), "qr")
            shown = b.output()  # the session so far, closed as its tally would close it:
            self.assertEqual(check_session(TABLE, ["qzz"] * 500, shown + "Vysledy:\nOK  0\nZLE 500\n"), "")
            self.assertLessEqual(set("–…„“"), set(shown))
            self.assertFalse([c for c in shown if c == "\ufffd" or "\x80" <= c <= "\x9f"])
            # However much is pasted, the page keeps only the end of the
            # session, as a terminal does.
            b.js("document.getElementById('answer').value = '';")
            b.js(PASTE, "q\n" * 100000)
            field(b).send_keys(Keys.ESCAPE)
            self.assertTrue(b.wait_for_tally().endswith("OK  0\nZLE 100500\n"))
            self.assertLess(b.js("return document.getElementById('session').textContent.length"), 10 ** 6)

    def test_keeps_the_newest_question_and_the_field_in_view_on_a_phone(self):
        with Browser(PAGE, phone=True) as b:
            b.open()
            for n in range(1, 13):
                b.wait_for_question(n)
                field(b).send_keys("qzz" + Keys.ENTER)
            b.wait_for_question(13)
            view = b.js("""
              const spans = [...document.querySelectorAll('#session span:not(.typed)')];
              const text = spans.reverse().find(s => s.textContent.includes(arguments[0])).firstChild;
              const at = text.data.lastIndexOf(arguments[0]);
              const range = document.createRange();
              range.setStart(text, at);
              range.setEnd(text, text.data.indexOf('\\n', at + arguments[0].length));
              const field = document.getElementById('answer');
              const session = document.getElementById('session');
              const box = (r) => ({top: r.top, bottom: r.bottom});
              return {question: box(range.getBoundingClientRect()),
                      session: box(session.getBoundingClientRect()),
                      field: box(field.getBoundingClientRect()),
                      scrolls: session.scrollHeight > session.clientHeight,
                      height: innerHeight, width: innerWidth,
                      pageWidth: document.documentElement.scrollWidth,
                      fontSize: parseFloat(getComputedStyle(field).fontSize),
                      spellcheck: field.spellcheck,
                      autocomplete: field.autocomplete};""", PROMPT)
            self.assertEqual(view["width"], 390)
            self.assertLessEqual(view["pageWidth"], 390)
            self.assertTrue(view["scrolls"], view)
            self.assertGreaterEqual(view["question"]["top"], view["session"]["top"])
            self.assertLessEqual(view["question"]["bottom"], view["session"]["bottom"] + 1)
            self.assertGreaterEqual(view["field"]["top"], 0)
            self.assertLessEqual(view["field"]["bottom"], view["height"])
            self.assertGreaterEqual(view["fontSize"], 16)
            self.assertEqual((view["spellcheck"], view["autocomplete"]), (False, "off"))

    def test_screen_readers_find_no_fault(self):
        with Browser(PAGE) as b:
            b.open()
            b.wait_for_question(1)
            self.assertEqual(b.js("return document.documentElement.lang"), "sk")
            self.assertEqual(b.js("return document.getElementById('session').role"), "log")
            b.js(axe_script())
            audit = ("const done = arguments[arguments.length - 1];"
                     "axe.run().then(r => done(r.violations.map(v => v.id + ': ' + v.help)));")
            self.assertEqual(b.driver.execute_async_script(audit), [], "at the first question")
            field(b).send_keys("end" + Keys.ENTER)
            b.wait_for_tally()
            self.assertEqual(b.driver.execute_async_script(audit), [], "after the tally")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
