"""The page as a screen reader learns of it on a Linux desktop, through
AT-SPI, from a browser on a Desktop(a11y=True) of web_page.py: the text that
live regions announce, and the names and descriptions of the page's
controls."""

import os
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from web_page import wait  # noqa: E402

ROLES = {"entry": Atspi.Role.ENTRY, "status": Atspi.Role.STATUS_BAR, "button": Atspi.Role.PUSH_BUTTON}


def words(text):
    """`text` with its white space as a screen reader treats it."""
    return " ".join(text.split())


class Accessibility:
    """The page titled `title` in the browser on `desktop`. Make one per
    process: libatspi finds the accessibility bus once."""

    def __init__(self, desktop, title):
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = desktop.env["DBUS_SESSION_BUS_ADDRESS"]
        Atspi.init()
        self.title, self.document, self.inserted = title, None, []
        # Browsers tell of changes only once someone listens.
        self.listener = Atspi.EventListener.new(self._inserted)
        self.listener.register("object:text-changed:insert")

    def _inserted(self, event):
        try:
            if (event.source.get_attributes() or {}).get("container-live", "off") != "off":
                self.inserted.append(words(event.any_data))
        except GLib.Error:
            pass  # gone since

    def announced(self, count):
        """What live regions were given to say since the last call: once
        `count` announcements have come, or 5 s have passed, and half a
        second more for any that should not come."""
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            while GLib.MainContext.default().iteration(False):
                pass
            if len(self.inserted) >= count:
                deadline = min(deadline, time.monotonic() + 0.5)
            time.sleep(0.02)
        said, self.inserted = self.inserted, []
        return said

    def find(self, role, name=""):
        """The page's first object of `role` (one of ROLES) whose name begins
        with `name`: its name, its description and its text."""
        if not self.document:
            self.document = self._first(Atspi.get_desktop(0), lambda o: o.get_role() == Atspi.Role.DOCUMENT_WEB
                                        and o.get_name() == self.title)
        found = wait(lambda: self._first(self.document, lambda o: o.get_role() == ROLES[role]
                                         and o.get_name().startswith(name)), 5, f"no {role} {name!r} in the page")
        text = Atspi.Text.get_text(found, 0, -1) if "Text" in found.get_interfaces() else ""
        return words(found.get_name()), words(found.get_description()), words(text)

    @staticmethod
    def _first(root, match):
        """The first object under `root`, breadth first, that `match`es."""
        level = [root]
        while level:
            for o in level:
                if match(o):
                    return o
            level = [o.get_child_at_index(i) for o in level for i in range(o.get_child_count())]
        return None
