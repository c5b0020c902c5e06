#!/usr/bin/python3
"""Times the page's first question against a static page of the same size
showing its text: both from disk, and both as installed apps with their host
gone. In one headless Chromium: medians of 15 loads, from navigation to the
first frame that holds it. Usage: measure-web.py [PAGE [SITE]]"""
import os, shutil, statistics, sys  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests"))
from web_page import PROMPT, Browser, Site, rebuild  # noqa: E402

page, site = (sys.argv[1:] + ["build-web/qcode-quiz.html", "build-web/site"][len(sys.argv) - 1:])[:2]
size = os.path.getsize(page)
with Browser(page) as browser:
    text = f"<!doctype html><title>-</title><p>{PROMPT}</p><!--".ljust(size - 3, "x") + "-->"
    static = os.path.join(browser.folder, "static.html")
    open(static, "w", encoding="ascii").write(text)
    with Site(site) as app:
        # The same app beside it, on the same host, with the static page as
        # its index and the worker registered as the app's page registers it.
        static_app = app.url.replace("/qcode-quiz/", "/static/")
        shutil.copytree(site, app.root + "/club/static")
        rebuild(app.root + "/club/static", (
            "<script>addEventListener('load', () => navigator.serviceWorker.register('sw.js'))</script>" + text).encode())
        # Installs both apps, then takes their host away.
        for url in (app.url, static_app):
            browser.open(url)
            browser.js("return navigator.serviceWorker.ready.then(() => 1)")
            browser.open(url)
    # Runs in each page before its own scripts.
    browser.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": (
        "(function frame() { if (document.body && document.body.textContent.includes(%r))"
        " shownAt = performance.now(); else requestAnimationFrame(frame); })();" % PROMPT.strip())})

    def first_question(url):
        browser.open(url)
        return browser.js("return new Promise((done) => (function wait() {"
                          " window.shownAt ? done(shownAt) : setTimeout(wait, 10); })())")

    # The quiz and the static page in turn; the apps apart, since a page
    # from another origin starts in another process.
    def medians(quiz_url, plain_url):
        pairs = [(first_question(quiz_url), first_question(plain_url)) for _ in range(15)]
        return [statistics.median(times) for times in zip(*pairs)]
    quiz, plain = medians("file://" + browser.page, "file://" + static)
    app_quiz, app_plain = medians(app.url, static_app)
print(f"first question from disk: {quiz:.0f} ms, static page of {size} bytes {plain:.0f} ms,"
      f" ratio {quiz / plain:.2f}\ninstalled app offline: {app_quiz:.0f} ms, static page {app_plain:.0f} ms,"
      f" ratio {app_quiz / app_plain:.2f}; to the static page from disk {app_quiz / plain:.2f}")
