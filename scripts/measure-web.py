#!/usr/bin/python3
"""Times the page's first question against a static page of the same size
showing its text, in one headless Chromium: medians of 15 loads, from
navigation to the first frame that holds it. Usage: measure-web.py [PAGE]"""
import os, statistics, sys  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests"))
from web_page import PROMPT, Browser  # noqa: E402

page = sys.argv[1] if len(sys.argv) > 1 else "build-web/qcode-quiz.html"
size = os.path.getsize(page)
with Browser(page) as browser:
    static = os.path.join(browser.folder, "static.html")
    with open(static, "w", encoding="ascii") as file:
        file.write(f"<!doctype html><title>-</title><p>{PROMPT}</p><!--".ljust(size - 3, "x") + "-->")
    # Runs in each page before its own scripts.
    browser.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": (
        "(function frame() { if (document.body && document.body.textContent.includes(%r))"
        " shownAt = performance.now(); else requestAnimationFrame(frame); })();" % PROMPT.strip())})
    times = {browser.page: [], static: []}
    for _ in range(15):
        for path, shown in times.items():
            browser.driver.get("file://" + path)
            shown.append(browser.js("return new Promise((done) => (function wait() {"
                                    " window.shownAt ? done(shownAt) : setTimeout(wait, 10); })())"))
    quiz, plain = (statistics.median(shown) for shown in times.values())
print(f"first question: {quiz:.0f} ms; static page of {size} bytes: {plain:.0f} ms; ratio {quiz / plain:.1f}")
