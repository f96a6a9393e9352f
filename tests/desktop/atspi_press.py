"""Presses a button of the running program through AT-SPI: python3 atspi_press.py CAPTION."""
import sys

import pyatspi

from atspi_tree import applications, walk, wait_for


def button():
    for app in applications():
        for node in walk(app):
            if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == sys.argv[1]:
                return node
    return None


found = wait_for(button)
if not found:
    print("no button named " + sys.argv[1])
    sys.exit(1)
found.queryAction().doAction(0)
print("pressed " + sys.argv[1])
