#!/usr/bin/env python3
"""Paints every copied text of a sample of colours on headless Chromium's 2D
canvas and checks that each pixel is the text's 8-bit colour. A failure
also shows what the same form written to ten decimals paints, which tells
a text with too few decimals from the browser's own arithmetic.

Usage: check_chromium.py REFGEN [COLOURS]
"""
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

# What the canvas paints for a CSS colour text: its 8-bit pixel, red, green,
# blue and alpha, read back. Every page that asks Chromium starts with it.
CANVAS_PIXEL = """const canvas = document.createElement("canvas");
canvas.width = canvas.height = 1;
const ctx = canvas.getContext("2d", { willReadFrequently: true });
const pixel = (text) => {
  ctx.clearRect(0, 0, 1, 1);
  ctx.fillStyle = "#00000000";
  ctx.fillStyle = text;
  ctx.fillRect(0, 0, 1, 1);
  return ctx.getImageData(0, 0, 1, 1).data;
};
"""

PAGE = """<!DOCTYPE html><meta charset="utf-8"><body><pre id="result">not run</pre><script>
const texts = %s;
""" + CANVAS_PIXEL + """const paint = (text) => {
  const [r, g, b, a] = pixel(text);
  return "#" + [r, g, b].map((c) => c.toString(16).padStart(2, "0").toUpperCase()).join("") + (a === 255 ? "" : " alpha " + a);
};
const failures = [];
let painted = 0;
for (const [expected, text, precise] of texts) {
  ++painted;
  const got = paint(text);
  if (got !== expected)
    failures.push(text + " painted " + got + ", not " + expected + " (" + precise + " paints " + paint(precise) + ")");
}
document.getElementById("result").textContent =
  "painted " + painted + " failed " + failures.length + "\\n" + failures.slice(0, 300).join("\\n");
</script>
"""


def page_result(chromium, page_html):
    """Loads the page in headless Chromium with a profile of its own and
    gives the text of its <pre id="result">, or None (saying why)."""
    with tempfile.TemporaryDirectory() as work:
        page = os.path.join(work, "page.html")
        with open(page, "w", encoding="utf-8") as f:
            f.write(page_html)
        profile = os.path.join(work, "profile")
        run = subprocess.run(
            [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-extensions", "--user-data-dir=" + profile, "--virtual-time-budget=60000",
             "--dump-dom", "file://" + page],
            capture_output=True, text=True, timeout=600)
    found = re.search(r'<pre id="result">(.*?)</pre>', run.stdout, re.S)
    if not found:
        print("no result from chromium:", run.returncode, run.stderr[-2000:])
        return None
    return html.unescape(found.group(1))


def main():
    refgen = sys.argv[1]
    colours = sys.argv[2] if len(sys.argv) > 2 else "3000"
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        print("chromium is not installed (make deps installs it)")
        return 1
    lines = subprocess.run([refgen, colours], check=True, capture_output=True, text=True).stdout.splitlines()
    texts = [line.split("\t")[1:4] for line in lines if line.startswith("copy\t")]
    result = page_result(chromium, PAGE % json.dumps(texts))
    if result is None:
        return 1
    version = subprocess.run([chromium, "--version"], capture_output=True, text=True).stdout.strip()
    print(version + ":", result)
    counts = re.match(r"painted (\d+) failed (\d+)", result)
    if not counts or int(counts.group(1)) != len(texts):
        return 1
    return 0 if counts.group(2) == "0" else 1


if __name__ == "__main__":
    sys.exit(main())
