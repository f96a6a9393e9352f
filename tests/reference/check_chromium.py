#!/usr/bin/env python3
"""Paints every copied text of a sample of colours on headless Chromium's 2D
canvas and checks that each pixel is the text's 8-bit colour. Where it is
not, the same form written to ten decimals must paint the same wrong colour:
then the step is the browser's own arithmetic, which no choice of decimals
can undo; such texts are counted and shown, any other is a failure.

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

PAGE = """<!DOCTYPE html><meta charset="utf-8"><body><pre id="result">not run</pre><script>
const texts = %s;
const canvas = document.createElement("canvas");
canvas.width = canvas.height = 1;
const ctx = canvas.getContext("2d", { willReadFrequently: true });
const paint = (text) => {
  ctx.clearRect(0, 0, 1, 1);
  ctx.fillStyle = "#00000000";
  ctx.fillStyle = text;
  ctx.fillRect(0, 0, 1, 1);
  const [r, g, b, a] = ctx.getImageData(0, 0, 1, 1).data;
  return "#" + [r, g, b].map((c) => c.toString(16).padStart(2, "0").toUpperCase()).join("") + (a === 255 ? "" : " alpha " + a);
};
const failures = [], own = {}, examples = [];
let painted = 0, owns = 0;
for (const [expected, text, precise] of texts) {
  ++painted;
  const got = paint(text);
  if (got === expected) continue;
  // The browser's own arithmetic: the form to ten decimals paints the same.
  if (paint(precise) === got) {
    const form = text.replace(/\\(.*/, "");
    own[form] = (own[form] || 0) + 1;
    ++owns;
    if (examples.length < 6) examples.push(text + " and " + precise + " both paint " + got + ", not " + expected);
    continue;
  }
  failures.push(text + " painted " + got + ", not " + expected + " (" + precise + " paints " + paint(precise) + ")");
}
document.getElementById("result").textContent =
  "painted " + painted + " failed " + failures.length + " own " + owns + " " + JSON.stringify(own) + "\\n" +
  failures.slice(0, 300).join("\\n") + "\\n" + examples.join("\\n");
</script>
"""


def main():
    refgen = sys.argv[1]
    colours = sys.argv[2] if len(sys.argv) > 2 else "3000"
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        print("chromium is not installed (make deps installs it)")
        return 1
    lines = subprocess.run([refgen, colours], check=True, capture_output=True, text=True).stdout.splitlines()
    texts = [line.split("\t")[1:4] for line in lines if line.startswith("copy\t")]
    with tempfile.TemporaryDirectory() as work:
        page = os.path.join(work, "paint.html")
        with open(page, "w", encoding="utf-8") as f:
            f.write(PAGE % json.dumps(texts))
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
        return 1
    result = html.unescape(found.group(1))
    version = subprocess.run([chromium, "--version"], capture_output=True, text=True).stdout.strip()
    print(version + ":", result)
    counts = re.match(r"painted (\d+) failed (\d+)", result)
    if not counts or int(counts.group(1)) != len(texts):
        return 1
    # Chromium's OKLab is off by a step for some bright greens even at ten
    # decimals (counted as its own above); a text of those two forms that
    # Chromium paints one step from its colour is reported but tolerated
    # while they stay rare. Every other form must paint exactly.
    failed = [line for line in result.splitlines() if " painted " in line]
    strict = [line for line in failed if not line.startswith("ok")]
    oklab = len(failed) - len(strict)
    total = sum(1 for _, text, _ in texts if text.startswith("ok"))
    print(f"{len(strict)} texts paint another colour; {oklab} of {total} oklab()/oklch() texts one step off")
    return 0 if not strict and int(counts.group(2)) == len(failed) and oklab <= total // 200 else 1


if __name__ == "__main__":
    sys.exit(main())
