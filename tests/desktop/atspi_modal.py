"""The modal chooser as an assistive technology meets it, through AT-SPI.

While the chooser is open, nothing asked of the main window acts: no button
press, no slider value, no text change, no row selected. The chooser's own
typed field and boxes refuse offsets outside their text and clamp values to
the nearer end, and answer at once. Once the chooser is closed the main
window acts again. Exits non-zero on the first mismatch.
"""
import re
import subprocess
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


def frames(title):
    return [app.getChildAtIndex(i) for app in applications() for i in range(app.childCount)
            if app.getChildAtIndex(i) is not None and app.getChildAtIndex(i).name == title]


def one(root, role, name):
    hits = [n for n in walk(root) if n.getRole() == role and n.name == name]
    if len(hits) != 1:
        fail("expected one control of role %s named %r, found %d" % (role, name, len(hits)))
    return hits[0]


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def press(button):
    button.queryAction().doAction(0)


def settle():
    # What the program would do with a call it took, it has done by then.
    time.sleep(0.5)


main = wait_for("the Tintaro window", lambda: frames("Tintaro"))[0]
red = one(main, pyatspi.ROLE_SCROLL_BAR, "あか").queryValue()
html = one(main, pyatspi.ROLE_TEXT, "16進数（HTML色）")
names = one(main, pyatspi.ROLE_LIST, "HTMLネーム色の一覧")
open_button = one(main, pyatspi.ROLE_PUSH_BUTTON, "ダイアログ")
quit_button = one(main, pyatspi.ROLE_PUSH_BUTTON, "おわり")

html_before = text_of(html)
press(open_button)
chooser = wait_for("the chooser", lambda: frames("色の設定"))[0]
print("chooser open")

# The main window, while the chooser is open: each call alone, so that one
# that got through shows which.
problems = []


def check(what, call, refused):
    call()
    settle()
    if not frames("Tintaro"):
        fail("with the chooser open, the main window took: " + ", ".join(problems + [what + " (the program ended)"]))
    if not refused():
        problems.append(what)


check("pressing ダイアログ", lambda: press(open_button), lambda: len(frames("色の設定")) == 1)
check("setting the red slider", lambda: setattr(red, "currentValue", 255), lambda: red.currentValue == 0)
check("inserting into the HTML box", lambda: html.queryEditableText().insertText(0, "x", 1),
      lambda: text_of(html) == html_before)
check("replacing the HTML box's text", lambda: html.queryEditableText().setTextContents("#123456"),
      lambda: text_of(html) == html_before)
check("selecting in the HTML box", lambda: html.queryText().setSelection(0, 0, 1),
      lambda: html.queryText().getNSelections() == 0)
check("selecting a row", lambda: names.queryTable().addRowSelection(3),
      lambda: names.queryTable().nSelectedRows == 0)
check("a row's action", lambda: names.getChildAtIndex(5).queryAction().doAction(0),
      lambda: names.queryTable().nSelectedRows == 0)
check("pressing おわり", lambda: press(quit_button), lambda: True)
if problems:
    fail("with the chooser open, the main window took: " + ", ".join(problems))
print("main window: press, value, text, selection and row action refused")

# The chooser's buttons and captions are named as they read, without the
# access key that Alt reaches them by ("(A)"), as the fields are.
for name in ("色の追加", "パレット", "スポイト", "ヘルプ", "OK", "キャンセル"):
    one(chooser, pyatspi.ROLE_PUSH_BUTTON, name)
for name in ("基本色", "作成した色", "最近の色", "色相と彩度 (HSV)", "明るさ (HSV)", "赤", "色相", "HTML色"):
    one(chooser, pyatspi.ROLE_LABEL, name)
keyed = [n.name for n in walk(chooser) if re.search(r"\([A-Z]\)", n.name or "")]
if keyed:
    fail("named with the access key: " + ", ".join(keyed))
print("chooser: buttons and captions named without their access keys")

# The sample of text on its background reads its colours and figures, and
# the swap is pressed as a screen reader's user would.
sample = [n for n in walk(chooser) if n.name == "文字と背景の見本" and n.getRole() != pyatspi.ROLE_LABEL]
if len(sample) != 1:
    fail("%d samples of text on a background" % len(sample))
sample = sample[0]
if not sample.description.startswith("文字 #000000、背景 #FFFFFF。21.00:1 · AA 合格"):
    fail("the sample reads %r" % sample.description)
press(one(chooser, pyatspi.ROLE_PUSH_BUTTON, "入れ替え"))
wait_for("the swapped pair", lambda: sample.description.startswith("文字 #FFFFFF、背景 #000000。21.00:1"))
print("sample: %s" % sample.description)
# What the X server shows there: the black background at the sample's
# corner, and the white of the text among its pixels.
settle()
box = sample.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
grab = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (box.width - 8, box.height - 8,
                       box.x + 4, box.y + 4), "+repage", "png:-"], stdout=subprocess.PIPE, check=True).stdout
shown = subprocess.run(["convert", "png:-", "-unique-colors", "txt:-"], input=grab, stdout=subprocess.PIPE,
                       check=True).stdout.decode()
corner = subprocess.run(["import", "-window", "root", "-crop", "1x1+%d+%d" % (box.x + 4, box.y + 4), "txt:-"],
                        stdout=subprocess.PIPE, check=True, text=True).stdout
if "#000000" not in corner or "#FFFFFF" not in shown:
    fail("the screen shows the sample as %r, its corner %r" % (shown[-200:], corner))
print("sample on screen: black background, white text")

# The chooser's own typed field and boxes.
typed = one(chooser, pyatspi.ROLE_TEXT, "HTML色")
before = text_of(typed)
answers = []
for offset in (10 ** 9, 2 ** 31 - 1, -1, len(before) + 1):
    end = min(offset + 1, 2 ** 31 - 1)
    asked = time.monotonic()
    typed.queryEditableText().insertText(offset, "x", 1)
    answers.append("%d: %.2f ms" % (offset, 1000 * (time.monotonic() - asked)))
    typed.queryEditableText().deleteText(offset, end)
    typed.queryText().setCaretOffset(offset)
    if typed.queryText().getText(offset, end):
        fail("text read at %d" % offset)
settle()
if text_of(typed) != before:
    fail("the typed field became %r" % text_of(typed)[:40])
print("typed field: offsets 10^9, 2^31-1, -1 and past the end refused (answered in %s)" % ", ".join(answers))

# The six colour boxes (the severity of a simulation is off until one is
# chosen).
boxes = [n for n in walk(chooser) if n.getRole() == pyatspi.ROLE_SPIN_BUTTON and n.name != "程度"]
if len(boxes) != 6:
    fail("%d boxes in the chooser" % len(boxes))
for box in boxes:
    value = box.queryValue()
    low, high = value.minimumValue, value.maximumValue
    for asked, expected in ((1e308, high), (float("inf"), high), (2.0 ** 40, high), (-1e308, low),
                            (float("-inf"), low), (-2.0 ** 40, low)):
        value.currentValue = asked
        wait_for("%s %r to give %r" % (box.name, asked, expected), lambda: value.currentValue == expected)
    value.currentValue = float("nan")
    settle()
    if value.currentValue != low:
        fail("NaN moved %s to %r" % (box.name, value.currentValue))
    shown = text_of(box)
    for offset in (10 ** 9, 2 ** 31 - 1, -1):
        box.queryEditableText().insertText(offset, "9", 1)
    settle()
    if text_of(box) != shown:
        fail("%s took text at an offset outside it: %r" % (box.name, text_of(box)[:40]))
    print("%s (%d .. %d): 1e308, inf, 2^40 and their negatives clamped; NaN and far offsets refused"
          % (box.name, low, high))

press(one(chooser, pyatspi.ROLE_PUSH_BUTTON, "キャンセル"))
wait_for("the chooser to close", lambda: not frames("色の設定"))

# The main window acts again once the chooser has gone.
red.currentValue = 255
wait_for("the red slider at 255", lambda: red.currentValue == 255)
print("chooser closed: the red slider moves again")
press(quit_button)
print("OK")
