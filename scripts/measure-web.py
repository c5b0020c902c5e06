#!/usr/bin/python3
"""Measures how soon the page shows its first question, side by side with a
static page of the same size showing its text, in one headless Chromium:
the median of 15 loads each, from navigation to the first frame that
holds the text. Usage: scripts/measure-web.py [build-web/qcode-quiz.html]"""
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests"))
from web_page import PROMPT, Browser  # noqa: E402

page = sys.argv[1] if len(sys.argv) > 1 else "build-web/qcode-quiz.html"
# Runs in each page before its own scripts: notes the first frame whose
# text holds the prompt.
WATCH = """(function frame() {
  if (document.body && document.body.textContent.includes(%r)) shownAt = performance.now();
  else requestAnimationFrame(frame);
})();""" % PROMPT.strip()
with Browser(page) as browser:
    static = os.path.join(browser.folder, "static.html")
    with open(static, "w", encoding="ascii") as file:
        text = "<!doctype html><title>static</title><p>" + PROMPT + "</p><!--"
        file.write(text + "x" * (os.path.getsize(page) - len(text) - 3) + "-->")
    browser.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH})
    times = {browser.page: [], static: []}
    for _ in range(15):
        for path, shown in times.items():
            browser.driver.get("file://" + path)
            shown.append(browser.js("return new Promise((done) => (function wait() {"
                                    "  window.shownAt ? done(shownAt) : setTimeout(wait, 10);"
                                    "})())"))
    quiz, plain = (statistics.median(shown) for shown in times.values())
    print(f"first question: {quiz:.0f} ms; static page of the same size "
          f"({os.path.getsize(page)} bytes): {plain:.0f} ms; ratio {quiz / plain:.1f}")
