#!/usr/bin/python3
"""Plays the page as a blind learner would, under the Orca screen reader,
and prints what was said after each step: the first question, five answers
right and wrong, end, Nové cvičenie, an answer and Esc. Keys are typed as X
key presses; speech-dispatcher hands Orca's speech to a module that logs it
and takes as long as espeak-ng would to say it, so Orca's own queueing and
cutting off are as with a voice.

Usage: web_orca.py [--check] PAGE|SITE [chromium|firefox]
A folder is served as the app over http. With --check, it fails unless
every new expression and the tally start within 5 s of Enter, are heard
whole, and no earlier round is said again."""

import contextlib
import json
import os
import re
import shlex
import subprocess
import sys
import time

from web_page import PROMPT, TALLY, Browser, Desktop, Site, codes

HERE = os.path.abspath(__file__)
NEEDS = [("/usr/bin/orca", "orca"), ("/usr/bin/speech-dispatcher", "speech-dispatcher"),
         ("/usr/bin/espeak-ng", "espeak-ng"), ("/usr/bin/xdotool", "xdotool")]
# A module of speech-dispatcher's that runs this script to say each text.
MODULE = """GenericExecuteSynth "{say} '$DATA' '$LANGUAGE'"
GenericLanguage "sk" "sk" "utf-8"
GenericLanguage "cs" "cs" "utf-8"
GenericLanguage "en" "en" "utf-8"
AddVoice "sk" "MALE1" "sk"
AddVoice "cs" "MALE1" "cs"
AddVoice "en" "MALE1" "en"
"""
CONFIG = """AddModule "log" "sd_generic" "log.conf"
DefaultModule log
AudioOutputMethod "alsa"
"""


def seconds(text, language="sk"):
    """How long espeak-ng takes to say `text`: 22,050 two-byte samples a second."""
    # With no sound server to look for, which would leave folders in ~/.config and /tmp.
    wav = subprocess.run(["espeak-ng", "-v", language, "--stdout", text], capture_output=True,
                         env=dict(os.environ, PULSE_SERVER="none")).stdout
    return max(len(wav) - 44, 0) / 44100


def say(log, text, language):
    """The module's part: logs the text, then takes as long as saying it;
    speech-dispatcher kills it when Orca cuts the text off."""
    with open(log, "a", encoding="utf-8") as file:
        print(json.dumps({"at": time.time(), "said": text}), file=file)
    time.sleep(seconds(text, language))
    with open(log, "a", encoding="utf-8") as file:
        print(json.dumps({"at": time.time(), "done": text}), file=file)


def tokens(text):
    return re.findall(r"\w+", text.lower())


class Orca:
    """Orca, speaking through speech-dispatcher to the logging module, on
    `desktop`, in Slovak."""

    def __init__(self, desktop):
        self.desktop, self.log = desktop, os.path.join(desktop.folder, "said.log")
        config = os.path.join(desktop.folder, "speech-dispatcher")
        os.makedirs(os.path.join(config, "modules"))
        with open(os.path.join(config, "speechd.conf"), "w", encoding="utf-8") as file:
            file.write(CONFIG)
        with open(os.path.join(config, "modules", "log.conf"), "w", encoding="utf-8") as file:
            file.write(MODULE.format(say=shlex.join(["/usr/bin/python3", HERE, "--say", self.log])))
        with open(os.path.join(desktop.folder, ".asoundrc"), "w", encoding="utf-8") as file:
            file.write("pcm.!default { type null }\n")  # the module plays nothing
        open(self.log, "w").close()
        desktop.env.update(LANG="sk_SK.UTF-8", LC_ALL="sk_SK.UTF-8")
        desktop.start("speech-dispatcher", "--run-single", "--timeout", "0", "--config-dir", config)
        desktop.start("orca", "--replace")
        self.wait(limit=30)  # for its greeting

    def said(self):
        """What was logged: [start, text, end or None if cut off], in order."""
        said = []
        with open(self.log, encoding="utf-8") as file:
            for entry in map(json.loads, file):
                if "said" in entry:
                    said.append([entry["at"], entry["said"], None])
                elif said and said[-1][1] == entry["done"]:
                    said[-1][2] = entry["at"]
        return said

    def wait(self, since=0, limit=20):
        """Waits until Orca, having spoken after `since`, has been silent for
        1.5 s, or for `limit` s."""
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            said = self.said()
            if said and said[-1][2] and since < said[-1][2] < time.time() - 1.5:
                return
            time.sleep(0.1)

    def press(self, typed, *keys, delay=120):
        """Types `typed`, then presses `keys` (X key names), as a person
        would; the time of the last key."""
        if typed:
            subprocess.run(["xdotool", "type", "--delay", str(delay), typed], env=self.desktop.env, check=True)
        pressed = time.time()
        for key in keys:
            subprocess.run(["xdotool", "key", key], env=self.desktop.env, check=True)
        return pressed


def heard(said, text, since):
    """When `text` began to be said, in seconds after `since`, and whether
    it was said whole; None if it was not said. Orca may say a text in
    pieces, cut at "...", or say "..." as words, which are passed over."""
    want = tokens(text)
    spoken = [(n, word) for n, (_, utterance, _) in enumerate(said)
              for word in re.finditer(r"\w+", utterance.lower()) if word.group() in want]
    for i in range(len(spoken)):
        if [word.group() for _, word in spoken[i:i + len(want)]] == want:
            (first, word), (last, _) = spoken[i], spoken[i + len(want) - 1]
            start, utterance, _ = said[first]
            return start + seconds(utterance[:word.start()]) - since, said[last][2] is not None
    return None


# What the learner does: (step, what is typed, the key pressed then).
STEPS = [("load", "URL", "Return")] + \
    [(f"answer {n}", "RIGHT" if n % 2 == 0 else "qzz", "Return") for n in range(1, 6)] + \
    [("end", "end", "Return"), ("Nové cvičenie", "", "Return"), ("answer 6", "qzz", "Return"),
     ("Esc", "qr", "Escape")]


def last_shown(b):
    """What the page shows last: the tally, or the open expression."""
    shown = b.output()
    tally = TALLY.search(shown)
    return tally.group(0) if tally else shown.split(PROMPT)[-1].split("\n")[0]


def play(b, orca, url):
    """Plays STEPS in the browser `b`; for each, its name, what was said
    after its key, and when and how what should have been heard (the new
    expression or the tally) was: heard's answer."""
    for name, typed, key in STEPS:
        typed = {"URL": url, "RIGHT": codes().get(last_shown(b))}.get(typed, typed)
        since = orca.press(typed, key, delay=10 if typed == url else 120)
        if typed in ("", url):  # a new page or session, which Orca may take a while to see
            b.wait_for_question(1)
        orca.wait(time.time() if typed in ("", url) else since)
        said = [s for s in orca.said() if s[0] >= since]
        yield name, said, last_shown(b), heard(said, last_shown(b), since), since


def main():
    args = [a for a in sys.argv[1:] if a != "--check"]
    target, engine = (args + ["chromium"])[:2]
    missing = [package for path, package in NEEDS if not os.path.exists(path)]
    if missing:
        sys.exit(f"web_orca: apt-get install --no-install-recommends {' '.join(missing)}")
    app, faults = os.path.isdir(target), []
    with Desktop(a11y=True) as desktop, (Site(target) if app else contextlib.nullcontext()) as site:
        orca = Orca(desktop)
        started = time.time()
        with Browser(os.path.join(target, "index.html") if app else target, engine, desktop=desktop) as b:
            # Opened from the address bar, as a person opens it, once the
            # browser has come up.
            orca.wait(started)
            orca.wait(orca.press("", "ctrl+l"))
            for name, said, expected, found, since in play(b, orca, site.url if app else "file://" + b.page):
                print(f"== {name}")
                for at, text, end in said:
                    print(f"  {at - since:+5.1f} s {' '.join(text.split())}{'' if end else '  (cut off)'}")
                what = "tally" if TALLY.search(expected) else "expression"
                print(f"  -> {what} " + (f"at {found[0]:.1f} s, {'whole' if found[1] else 'cut off'}"
                                        if found else "not heard"))
                if name != "load" and (not found or found[0] > 5 or not found[1]):
                    faults.append(f"{name}: the {what} " + (f"at {found[0]:.1f} s" if found else "not heard"))
                if name.startswith("answer") and any("napiste q znacku" in " ".join(tokens(t)) for _, t, _ in said):
                    faults.append(f"{name}: the prompt was said again")
    if "--check" in sys.argv and faults:
        sys.exit("web_orca: " + "; ".join(faults))


if __name__ == "__main__":
    if sys.argv[1:2] == ["--say"]:
        say(*sys.argv[2:5])
    else:
        main()
