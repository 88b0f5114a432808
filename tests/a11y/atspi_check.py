"""Drives Titora through the desktop's accessibility bus (AT-SPI) as a screen reader user
would: reads the main window, opens and closes the About box, adds a page by typing its name
into the open dialog while listening for the busy indicator, reads the new row, and exits.
Usage: atspi_check.py PAGE_PATH PAGE_TITLE; exits with a message at the first fault."""
import sys
import time

import pyatspi
from gi.repository import GLib


def pump(seconds):
    """Lets the bus deliver events for a while."""
    end = time.time() + seconds
    while time.time() < end:
        while GLib.MainContext.default().iteration(False):
            pass
        time.sleep(0.02)


def find(root, role, name=None, showing=True):
    """The first object of `role` (and `name`), depth first; by default one that shows."""
    if root.getRoleName() == role and name in (None, root.name):
        shows = root.getState().contains(pyatspi.STATE_SHOWING)
        return root if shows or not showing else None
    for child in root:
        found = child and find(child, role, name, showing)
        if found:
            return found
    return None


def wait_for(what, lookup):
    # Generous: on a loaded machine the program may take many seconds to reach the bus.
    for _ in range(400):
        found = lookup()
        if found:
            return found
        pump(0.1)
    sys.exit("not found: " + what)


def check(condition, what):
    if not condition:
        sys.exit("failed: " + what)


def press(accessible):
    check(accessible.queryAction().getName(0) == "Press", accessible.name + " offers Press")
    accessible.queryAction().doAction(0)


page, title = sys.argv[1], sys.argv[2]
app = wait_for("the program", lambda: next(
    (a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "titora"), None))
window = wait_for("the main window", lambda: find(app, "frame", "Titora"))
for caption, hint in {"Add Files": "Let's begin", "Title It": "Go on!",
                      "About": "Open the About box", "Exit": "Exit the program"}.items():
    button = find(window, "push button", caption)
    check(button and button.description == hint, caption + " and its hint")
    check(not button.getState().contains(pyatspi.STATE_FOCUSABLE), caption + " takes no focus")
files = find(window, "table", "Files")
check(files and files.queryTable().nColumns == 3, "the table Files")
check("move the window" in find(window, "image").description, "the picture's description")
check(find(window, "status bar", "Loading.......", showing=False), "the hidden busy indicator")

press(find(window, "push button", "About"))
about = wait_for("the About box", lambda: find(app, "dialog", "About"))
check(find(about, "link").name.startswith("mailto:"), "the mail link")
press(find(about, "push button", "OK"))
wait_for("the About box to close", lambda: not find(app, "dialog", "About"))

heard = []


def listen(event):
    try:
        heard.append((event.source.getRoleName(), event.source.name))
    except GLib.Error:
        pass  # an object of Qt's dialog, gone already


pyatspi.Registry.registerEventListener(listen, "object:property-change:accessible-name")
press(find(window, "push button", "Add Files"))
dialog = wait_for("the open dialog", lambda: find(app, "dialog"))
wait_for("the file name box", lambda: find(dialog, "text")).queryEditableText() \
    .setTextContents(page)
press(find(dialog, "push button", "Open"))
wait_for("the new row", lambda: files.queryTable().nRows == 1)
check(files.queryTable().getAccessibleAt(0, 1).name == title, "the row's title")
pump(0.5)
check(("status bar", "Loading.......") in heard, "the busy indicator announced: %r" % heard)
press(find(window, "push button", "Exit"))
print("accessibility bus: all checks passed")
