"""Prints the items of the popup menu that the running program shows, joined
by "|". Qt lists no popup among an application's windows, so the menu is
found through the item that takes the focus when the user moves into it:
the script prints "listening", then waits for that focus (20 s at most)."""
import sys

import pyatspi
from gi.repository import GLib

items = []


def on_focus(event):
    node = event.source
    if event.detail1 != 1 or node is None or node.getRole() != pyatspi.ROLE_MENU_ITEM:
        return
    menu = node.parent
    for i in range(menu.childCount):
        child = menu.getChildAtIndex(i)
        if child is not None and child.getRole() == pyatspi.ROLE_MENU_ITEM:
            items.append(child.name.split("\t")[0])  # the label without its shortcut
    pyatspi.Registry.stop()


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
GLib.timeout_add_seconds(20, pyatspi.Registry.stop)
print("listening", flush=True)
pyatspi.Registry.start()
if not items:
    print("no menu item took the focus")
    sys.exit(1)
print("|".join(items))
