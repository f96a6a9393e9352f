"""Presses a button of the running program through AT-SPI: python3 atspi_press.py CAPTION."""
import sys
import time

import pyatspi


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


end = time.time() + 15
while time.time() < end:
    for app in pyatspi.Registry.getDesktop(0):
        for node in walk(app) if app is not None else ():
            if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == sys.argv[1]:
                node.queryAction().doAction(0)
                print("pressed " + sys.argv[1])
                sys.exit(0)
    time.sleep(0.2)
print("no button named " + sys.argv[1])
sys.exit(1)
