"""Drives Titora through the desktop's accessibility bus (AT-SPI) as a screen reader user
would: reads the main window, opens and closes the About box, adds a page by typing its name
into the open dialog while listening for the busy indicator, reads the new row, and exits.

Usage: atspi_check.py PAGE_PATH PAGE_TITLE. Exits non-zero with a message at the first fault."""
import sys
import time

import pyatspi
from gi.repository import GLib

events = []


def pump(seconds):
    """Lets the bus deliver events for a while."""
    end = time.time() + seconds
    context = GLib.MainContext.default()
    while time.time() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def find(root, role, name=None, showing=True):
    """The first object of `role` (and `name`), depth first; by default one that shows."""
    if root is None:
        return None
    if root.getRoleName() == role and (name is None or root.name == name):
        if not showing or root.getState().contains(pyatspi.STATE_SHOWING):
            return root
        return None
    for i in range(root.childCount):
        found = find(root.getChildAtIndex(i), role, name, showing)
        if found:
            return found
    return None


def wait_for(what, lookup, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        found = lookup()
        if found:
            return found
        pump(0.1)
    sys.exit("not found: " + what)


def check(condition, what):
    if not condition:
        sys.exit("failed: " + what)


def press(accessible):
    action = accessible.queryAction()
    check(action.getName(0) == "Press", accessible.name + " offers Press")
    action.doAction(0)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "titora":
            return app
    return None


page, title = sys.argv[1], sys.argv[2]
app = wait_for("the program", application)
window = wait_for("the main window", lambda: find(app, "frame", "Titora"))
hints = {"Add Files": "Let's begin", "Title It": "Go on!", "About": "Open the About box",
         "Exit": "Exit the program"}
for caption, hint in hints.items():
    button = find(window, "push button", caption)
    check(button is not None and button.description == hint, caption + " and its hint")
    check(not button.getState().contains(pyatspi.STATE_FOCUSABLE), caption + " takes no focus")
files = find(window, "table", "Files")
check(files is not None and files.queryTable().nColumns == 3, "the table Files")
check("move the window" in find(window, "image").description, "the picture's description")
status = find(window, "status bar", showing=False)
check(status is not None and status.name == "Loading.......", "the hidden busy indicator")

press(find(window, "push button", "About"))
about = wait_for("the About box", lambda: find(app, "dialog", "About"))
link = find(about, "link")
check(link is not None and link.name.startswith("mailto:"), "the mail link")
check(link.queryAction().getName(0) == "Press", "the mail link's action")
press(find(about, "push button", "OK"))
wait_for("the About box to close", lambda: find(app, "dialog", "About") is None or None)

def heard(event):
    try:
        events.append((event.source.getRoleName(), event.source.name))
    except GLib.Error:
        pass  # an object of Qt's dialog that is gone already


pyatspi.Registry.registerEventListener(heard, "object:property-change:accessible-name")
press(find(window, "push button", "Add Files"))
dialog = wait_for("the open dialog", lambda: find(app, "dialog"))
name = wait_for("the file name box", lambda: find(dialog, "text"))
name.queryEditableText().setTextContents(page)
press(find(dialog, "push button", "Open"))
wait_for("the new row", lambda: files.queryTable().nRows == 1 or None)
check(files.queryTable().getAccessibleAt(0, 1).name == title, "the row's title")
pump(0.5)
check(("status bar", "Loading.......") in events, "the busy indicator announced: %r" % events)

press(find(window, "push button", "Exit"))
print("accessibility bus: all checks passed")
