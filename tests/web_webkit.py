#!/usr/bin/python3
"""The browser that WebKitWebDriver starts for the web tests: a WebKitGTK
view in a window, one for each that the driver asks for, writing the page's
console and the engine's warnings to standard output, which Debian's
MiniBrowser does not do for the views it makes under automation."""
import gi

gi.require_version("Gtk", "3.0")
gi.require_version("WebKit2", "4.1")
from gi.repository import Gtk, WebKit2  # noqa: E402

context = WebKit2.WebContext.get_default()
context.set_automation_allowed(True)


def new_view(_session):
    view = WebKit2.WebView(web_context=context, is_controlled_by_automation=True)
    view.get_settings().set_enable_write_console_messages_to_stdout(True)
    window = Gtk.Window(default_width=1024, default_height=768)
    window.add(view)
    window.show_all()
    view.connect("close", lambda _: window.destroy())
    return view


def started(_context, session):
    info = WebKit2.ApplicationInfo()
    info.set_name("qcode-quiz-tests")
    session.set_application_info(info)
    session.connect("create-web-view", new_view)


context.connect("automation-started", started)
Gtk.main()
