"""What the AT-SPI test scripts share: walking the accessible tree."""
import time

import pyatspi


def walk(node):
    """The node and everything below it, depth first."""
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def applications():
    return [app for app in pyatspi.Registry.getDesktop(0) if app is not None]


def wait_for(probe, timeout=15.0):
    """The first true result of probe(), or None when the time runs out."""
    end = time.time() + timeout
    while time.time() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.1)
    return None
