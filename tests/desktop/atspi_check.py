"""What an assistive technology sees of the running program, through AT-SPI.

Reads every control, sets a slider's value and selects a row through the
accessibility interfaces, and checks the read-outs that follow. Prints one
line per control as seen, and exits non-zero on the first mismatch.
"""
import sys
import time

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

# The swatch's description, worked out apart from the program (WCAG 2 by
# its formula, APCA Lc and the nearest passing colours with colorjs.io,
# protanopia and deuteranopia with colorspacious, tritanopia with
# tests/colour/tritan_expected.py).
PASS = "（AA 合格、AAA 合格、大きな文字 AA 合格、AAA 合格）"
FAIL = "（AA 不合格、AAA 不合格、大きな文字 AA 不合格、AAA 不合格）"
BLACK = ("#000000 black · 白 21.00:1" + PASS + " · 黒 1.00:1" + FAIL
         + " · WCAG 3 草案の APCA Lc 白 -107.9、黒 0.0 · 黒の文字で AA を満たす近い色 #757575"
         + " · 見え方 1型2色覚（P型） #000000、2型2色覚（D型） #000000、3型2色覚（T型） #000000")
RED = ("#FF0000 red · 白 3.99:1（AA 不合格、AAA 不合格、大きな文字 AA 合格、AAA 不合格）"
       " · 黒 5.25:1（AA 合格、AAA 不合格、大きな文字 AA 合格、AAA 合格） · WCAG 3 草案の APCA Lc 白 -69.6、黒 40.0"
       " · 白の文字で AA を満たす近い色 #EE0000"
       " · 見え方 1型2色覚（P型） #6D5F00、2型2色覚（D型） #A39000、3型2色覚（T型） #FF004E")
GOLD = ("#FFD700 gold · 白 1.40:1" + FAIL + " · 黒 14.97:1" + PASS
        + " · WCAG 3 草案の APCA Lc 白 -21.9、黒 84.5 · 白の文字で AA を満たす近い色 #8F7400"
        + " · 見え方 1型2色覚（P型） #F0D300、2型2色覚（D型） #FADF24、3型2色覚（T型） #FFC9D0")

swatch = [n for n in controls() if n.name == "混ぜた色"]
if len(swatch) != 1 or swatch[0].description != BLACK:
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
expect_readouts(255, 0, 0, "#FF0000", "red", RED)
print("set あか to 255: 全色数 %s, 16進数 %s, HTML %s, name %s"
      % (label_described("全色数").name, label_described("16進数").name,
         text_of(edits["16進数（HTML色）"]), text_of(edits["HTMLネーム色"])))

# ... and selects a row of the list, which picks its colour. The list offers
# AT-SPI's Table interface for that (Qt 6.4 has no Selection interface).
if not names.queryTable().addRowSelection(rows.index("gold")):
    fail("the list refused to select a row")
expect_readouts(255, 215, 0, "#FFD700", "gold", GOLD)
print("selected row gold: sliders %s, swatch %r"
      % ([s.queryValue().currentValue for s in sliders], swatch[0].description))

# A value outside the range clamps to its nearer end, however large; NaN
# names no position and changes nothing.
green = sliders[1].queryValue()
for value, expected in ((2.0 ** 31, 255), (-2.0 ** 31 - 1, 0), (1e300, 255), (float("-inf"), 0),
                        (float("inf"), 255)):
    green.currentValue = value
    wait_for("green %r to give %d" % (value, expected), lambda: green.currentValue == expected)
green.currentValue = float("nan")
time.sleep(0.5)
if green.currentValue != 255:
    fail("NaN moved the green slider to %r" % green.currentValue)
print("green set to 2^31, -2^31-1, 1e300, -inf, inf, NaN: clamped, NaN ignored")

# Calls out of range change nothing (the C++ side checks that the program
# printed nothing either).
if names.getChildAtIndex(147) is not None or names.getChildAtIndex(-1) is not None:
    fail("the list has a row outside 0..146")
table = names.queryTable()
if table.getAccessibleAt(-1, 0) is not None or table.getAccessibleAt(147, 0) is not None \
        or table.getAccessibleAt(0, 1) is not None:
    fail("the list has a cell outside its one column of 147 rows")
if table.addRowSelection(-1) or table.addRowSelection(147) or table.isRowSelected(-1):
    fail("the list selected a row outside 0..146")
edit = edits["16進数（HTML色）"]
text = edit.queryText()
before = (text_of(edit), text.caretOffset, text.getNSelections())
length = text.characterCount
text.setSelection(0, -5, 3)
text.setSelection(0, 2, length + 5)
text.addSelection(-5, 2)
text.setCaretOffset(-5)
text.setCaretOffset(length + 1)
if text.getText(-5, 3) or text.getText(2, length + 5):
    fail("text read outside 0..%d" % length)
editable = edit.queryEditableText()
editable.deleteText(-5, 2)
editable.insertText(length + 3, "x", 1)
time.sleep(0.5)
after = (text_of(edit), text.caretOffset, text.getNSelections())
if after != before or label_described("全色数").name != str(255 + 256 * 255):
    fail("calls out of range changed %r to %r" % (before, after))
print("out-of-range calls on the list and %s: nothing changed" % edit.name)
print("OK")
