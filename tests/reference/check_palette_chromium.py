#!/usr/bin/env python3
"""Lays copied CSS custom properties into a page in headless Chromium, one
palette a block, and checks that an element coloured by each property is
computed as the palette's colour, in order, as the canvas paints it.

Usage: check_palette_chromium.py PALETTEGEN [PALETTES]
"""
import json
import re
import shutil
import subprocess
import sys

from check_chromium import CANVAS_PIXEL, page_result

PAGE = """<!DOCTYPE html><meta charset="utf-8"><style>%s</style><body>%s<pre id="result">not run</pre><script>
const expected = %s;
// A computed colour in a space other than sRGB stays in its own notation
// (lab(), oklch() ...): the canvas paints it to the 8-bit colour shown.
""" + CANVAS_PIXEL + """const paint = (text) => {
  const [r, g, b, a] = pixel(text);
  return "rgb(" + [r, g, b].join(", ") + ")" + (a === 255 ? "" : " alpha " + a);
};
const failures = [];
let checked = 0;
expected.forEach((colours, p) => {
  const block = document.getElementById("p" + p);
  const got = [...block.children].map((e) => paint(getComputedStyle(e).color));
  const want = colours.map((h) => "rgb(" + [1, 3, 5].map((i) => parseInt(h.substr(i, 2), 16)).join(", ") + ")");
  ++checked;
  if (got.join(" ") !== want.join(" "))
    failures.push("palette " + p + ": " + got.join(" ") + " is not " + want.join(" "));
});
document.getElementById("result").textContent =
  "checked " + checked + " failed " + failures.length + "\\n" + failures.slice(0, 20).join("\\n");
</script>
"""


def main():
    palettegen = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 600
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        print("chromium is not installed (make deps installs it)")
        return 1
    lines = subprocess.run([palettegen, str(count * 6)], check=True, capture_output=True,
                           text=True).stdout.splitlines()
    styles, blocks, expected = [], [], []
    for line in lines:
        fmt, colours, text = line.split("\t")
        if fmt != "properties":
            continue
        text = json.loads(text)
        p = len(expected)
        names = re.findall(r"^  --([a-z0-9-]+): ", text, re.M)
        # The copied text as it stands, its ":root" made this block's own.
        if not text.startswith(":root {"):
            print("not a :root block:", text)
            return 1
        styles.append("#p%d %s" % (p, text[len(":root "):]))
        blocks.append('<div id="p%d">%s</div>' % (
            p, "".join('<i style="color: var(--%s)"></i>' % n for n in names)))
        expected.append(colours.split(" "))
    result = page_result(chromium, PAGE % ("\n".join(styles), "".join(blocks), json.dumps(expected)))
    if result is None:
        return 1
    print(result)
    counts = re.match(r"checked (\d+) failed (\d+)", result)
    if not counts or int(counts.group(1)) != len(expected) or not expected:
        return 1
    return 0 if counts.group(2) == "0" else 1


if __name__ == "__main__":
    sys.exit(main())
