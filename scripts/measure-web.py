#!/usr/bin/python3
"""Times the page's first question against a static page of the same size
showing its text, both from disk, and the installed app's with its host
gone, in one headless Chromium: medians of 15 loads, from navigation to the
first frame that holds it. Usage: measure-web.py [PAGE [SITE]]"""
import os, statistics, sys  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests"))
from web_page import PROMPT, Browser, Site  # noqa: E402

page = sys.argv[1] if len(sys.argv) > 1 else "build-web/qcode-quiz.html"
site = sys.argv[2] if len(sys.argv) > 2 else "build-web/site"
size = os.path.getsize(page)
with Browser(page) as browser, Site(site) as app:
    static = os.path.join(browser.folder, "static.html")
    with open(static, "w", encoding="ascii") as file:
        file.write(f"<!doctype html><title>-</title><p>{PROMPT}</p><!--".ljust(size - 3, "x") + "-->")
    # Installs the app, then takes its host away.
    browser.open(app.url)
    browser.js("return navigator.serviceWorker.ready.then(() => 1)")
    browser.open(app.url)
    app.stop()
    # Runs in each page before its own scripts.
    browser.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": (
        "(function frame() { if (document.body && document.body.textContent.includes(%r))"
        " shownAt = performance.now(); else requestAnimationFrame(frame); })();" % PROMPT.strip())})
    def first_question(url):
        browser.open(url)
        return browser.js("return new Promise((done) => (function wait() {"
                          " window.shownAt ? done(shownAt) : setTimeout(wait, 10); })())")
    # The two from disk in turn; the app apart, since a page from another
    # origin starts in another process.
    pairs = [(first_question("file://" + browser.page), first_question("file://" + static))
             for _ in range(15)]
    quiz, plain = (statistics.median(times) for times in zip(*pairs))
    offline = statistics.median(first_question(app.url) for _ in range(15))
print(f"first question: {quiz:.0f} ms from disk, {offline:.0f} ms as the installed app offline;"
      f" static page of {size} bytes: {plain:.0f} ms; ratio {quiz / plain:.2f}")
