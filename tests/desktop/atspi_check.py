"""What an assistive technology sees of the running program, through AT-SPI.

Reads every control, sets a slider's value and selects a row through the
accessibility interfaces, and checks the read-outs that follow. Prints one
line per control as seen, and exits non-zero on the first mismatch.
"""
import sys

import pyatspi

from atspi_tree import applications, walk
from atspi_tree import wait_for as wait_until


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def wait_for(what, probe):
    return wait_until(probe) or fail("timed out waiting for " + what)


def find_frame():
    for app in applications():
        for i in range(app.childCount):
            frame = app.getChildAtIndex(i)
            if frame is not None and frame.name == "Tintaro":
                return frame
    return None


frame = wait_for("the Tintaro window on the accessibility bus", find_frame)


def controls():
    return [n for n in walk(frame) if n.getRole() != pyatspi.ROLE_LIST_ITEM]


def one(role, name):
    hits = [n for n in controls() if n.getRole() == role and n.name == name]
    if len(hits) != 1:
        fail("expected one %s named %r, found %d" % (pyatspi.Accessible.getRoleName(hits[0]) if hits else role,
                                                     name, len(hits)))
    return hits[0]


def label_described(caption):
    hits = [n for n in controls() if n.getRole() == pyatspi.ROLE_LABEL and n.description == caption]
    if len(hits) != 1:
        fail("expected one read-out described as %r, found %d" % (caption, len(hits)))
    return hits[0]


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def show(node, extra=""):
    print("%-12s name=%r description=%r %s" % (node.getRoleName(), node.name, node.description, extra))


sliders = [one(pyatspi.ROLE_SCROLL_BAR, name) for name in ("あか", "みどり", "あお")]
for slider in sliders:
    value = slider.queryValue()
    if (value.minimumValue, value.maximumValue, value.currentValue) != (0, 255, 0):
        fail("slider %s range or value %r" % (slider.name, (value.minimumValue, value.maximumValue, value.currentValue)))
    show(slider, "value=%d min=%d max=%d" % (value.currentValue, value.minimumValue, value.maximumValue))

for caption in ("あか", "みどり", "あお", "全色数", "16進数"):
    show(one(pyatspi.ROLE_LABEL, caption))
for caption in ("あか", "みどり", "あお", "全色数", "16進数"):
    readout = label_described(caption)
    if readout.name != "0":
        fail("read-out %s shows %r at start" % (caption, readout.name))
    show(readout)

edits = {name: one(pyatspi.ROLE_TEXT, name) for name in ("16進数（HTML色）", "HTMLネーム色")}
for edit in edits.values():
    show(edit, "text=%r" % text_of(edit))

names = one(pyatspi.ROLE_LIST, "HTMLネーム色の一覧")
rows = [names.getChildAtIndex(i).name for i in range(names.childCount)]
if len(rows) != 147 or rows[0] != "aliceblue" or rows[146] != "yellowgreen" or rows[26] != "darkbrown *":
    fail("list rows %r" % rows[:3])
show(names, "rows=%d first=%r last=%r" % (len(rows), rows[0], rows[-1]))

for caption in ("おわり", "ダイアログ"):
    show(one(pyatspi.ROLE_PUSH_BUTTON, caption))

swatch = [n for n in controls() if n.name == "混ぜた色"]
if len(swatch) != 1 or swatch[0].description != "#000000 black · 白 21.0:1 · 黒 1.0:1":
    fail("large swatch %r" % [(n.name, n.description) for n in swatch])
show(swatch[0])


def expect_readouts(red, green, blue, html, name, description):
    def settled():
        values = tuple(s.queryValue().currentValue for s in sliders)
        return (values == (red, green, blue)
                and label_described("あか").name == str(red)
                and label_described("全色数").name == str(red + 256 * green + 65536 * blue)
                and text_of(edits["16進数（HTML色）"]) == html
                and text_of(edits["HTMLネーム色"]) == name
                and swatch[0].description == description)
    wait_for("read-outs of %s %s" % (html, name), settled)


# An assistive technology sets the red slider.
sliders[0].queryValue().currentValue = 255
expect_readouts(255, 0, 0, "#FF0000", "red", "#FF0000 red · 白 4.0:1 · 黒 5.3:1")
print("set あか to 255: 全色数 %s, 16進数 %s, HTML %s, name %s"
      % (label_described("全色数").name, label_described("16進数").name,
         text_of(edits["16進数（HTML色）"]), text_of(edits["HTMLネーム色"])))

# ... and selects a row of the list, which picks its colour. The list offers
# AT-SPI's Table interface for that (Qt 6.4 has no Selection interface).
if not names.queryTable().addRowSelection(rows.index("gold")):
    fail("the list refused to select a row")
expect_readouts(255, 215, 0, "#FFD700", "gold", "#FFD700 gold · 白 1.4:1 · 黒 15.0:1")
print("selected row gold: sliders %s, swatch %r"
      % ([s.queryValue().currentValue for s in sliders], swatch[0].description))
print("OK")
