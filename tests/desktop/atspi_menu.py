"""Prints the items of the popup menu that the running program shows, joined
by "|". Qt lists no popup among an application's windows, so the menu is
found through the item that takes the focus when the user moves into it:
the script prints "listening", then waits for that focus (40 s at most)."""
import sys

import pyatspi
from gi.repository import GLib

focused = []


def on_focus(event):
    # Only noted here: the menu is read once the event loop has stopped.
    if not focused and event.detail1 == 1 and event.source is not None:
        if event.source.getRole() == pyatspi.ROLE_MENU_ITEM:
            focused.append(event.source)
            pyatspi.Registry.stop()


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
GLib.timeout_add_seconds(40, pyatspi.Registry.stop)
print("listening", flush=True)
pyatspi.Registry.start()
if not focused:
    print("no menu item took the focus")
    sys.exit(1)
menu = focused[0].parent
items = []
for i in range(menu.childCount):
    child = menu.getChildAtIndex(i)
    if child is not None and child.getRole() == pyatspi.ROLE_MENU_ITEM:
        items.append(child.name.split("\t")[0])  # the label without its shortcut
print("|".join(items))
