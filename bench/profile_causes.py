#!/usr/bin/python3
"""Splits two callgrind profiles by cause and prints a table of both.

Each function's own instructions go to the nearest cause function above it in
the call graph (the innermost cause wins); a function called from several
places shares its instructions between its callers in proportion to the
instructions of their calls, as gprof does, so the split of the shared
helpers (malloc, FreeType, fontconfig) is an estimate; the totals are exact.

Usage: bench/profile_causes.py A.callgrind B.callgrind NAME_A NAME_B
"""
import collections
import re
import sys

CAUSES = [  # (cause, regex on the function name); the innermost match wins
    ("font database (fontconfig scan)", r"QFontconfigDatabase::populateFontDatabase\b"),
    ("font engines: matching, fallbacks, FreeType faces",
     r"QFontDatabasePrivate::(findFont|load)\b|QFontEngineMulti::(loadEngine|ensureEngineAt)\b|fallbacksForFamily"),
    ("glyph loading: hinted advances and rasterising", r"QFontEngineFT::(loadGlyph|loadGlyphFor)\b|QImageTextureGlyphCache::fillTexture"),
    ("text shaping and line layout", r"QTextEngine::(shapeText|itemize)\b|QTextLine::layout_helper\b|QTextEngine::shape\b|^hb_shape_full"),
    ("style polish", r"QStyle::polish\b|QFusionStyle::polish\b|QWidget::ensurePolished\b|QCommonStyle::polish\b|QStyle::unpolish"),
    ("list rows: items, item layout", r"QListWidget::insertItem\b|QListView::doItemsLayout\b|QListWidgetItem::QListWidgetItem\b|QListModel::|QListView::updateGeometries\b"),
    ("accessibility", r"QAccessible::|QAccessibleCache::|QAccessibleWidget::|setAccessible(Name|Description)"),
    ("painting (other than text)", r"QWidgetRepaintManager::(sync|paintAndFlush)\b|QWidgetPrivate::drawWidget\b"),
    ("widget construction, show, geometry", r"TForm1::TForm1\b|QWidget::setVisible\b|QWidget::show\b|QWidget::adjustSize\b|QWidget::QWidget\b"),
    ("application object, platform plugin, X connection", r"QApplication::QApplication\b|QApplication::~QApplication\b"),
    ("dynamic linking", r"^(_dl_|dl_main|_dl_start|dl_open|do_lookup_x|_dl_runtime_resolve)"),
]

def parse(path):
    names = {}
    selfc = collections.Counter()
    edges = collections.Counter()  # (caller, callee) -> inclusive
    fn = None; pending = None; calling = False
    def name(kind, rest):
        m = re.match(r"\((\d+)\)(?: (.*))?", rest)
        if m:
            key = (kind, m.group(1))
            if m.group(2):
                names[key] = m.group(2)
            return names[key]
        return rest
    for line in open(path):
        line = line.rstrip("\n")
        if line.startswith("fn="):
            fn = name("fn", line[3:]); pending = None
        elif line.startswith("cfn="):
            pending = name("fn", line[4:])
        elif line.startswith(("cfi=", "cfl=", "fi=", "fe=", "fl=", "ob=", "cob=")):
            if line.startswith(("fl=", "fi=", "fe=")):
                name("fl", line[3:])
            elif line.startswith(("cfi=", "cfl=")):
                name("fl", line[4:])
            elif line.startswith("ob="):
                name("ob", line[3:])
            elif line.startswith("cob="):
                name("ob", line[4:])
        elif line.startswith("calls="):
            calling = True
        elif line and (line[0].isdigit() or line[0] in "+-*"):
            parts = line.split()
            cost = int(parts[1]) if len(parts) > 1 else 0
            if calling:
                edges[(fn, pending)] += cost
                calling = False; pending = None
            else:
                selfc[fn] += cost
    return selfc, edges

def split(path):
    selfc, edges = parse(path)
    total = sum(selfc.values())
    callers = collections.defaultdict(list)
    for (a, b), c in edges.items():
        if a != b:
            callers[b].append((a, c))
    base = lambda f: re.sub(r"'\d+$", "", f)
    anchor = {}
    for f in set(selfc) | set(callers):
        for cause, rx in CAUSES:
            if re.search(rx, base(f)):
                anchor[f] = cause
                break
    dist = {f: ({anchor[f]: 1.0} if f in anchor else {"other": 1.0}) for f in set(selfc) | set(callers)}
    for _ in range(60):
        new = {}
        for f in dist:
            if f in anchor or not callers.get(f):
                new[f] = dist[f]; continue
            acc = collections.Counter(); w = 0
            for g, c in callers[f]:
                for k, v in dist.get(g, {"other": 1.0}).items():
                    acc[k] += v * c
                w += c
            new[f] = {k: v / w for k, v in acc.items()} if w else {"other": 1.0}
        dist = new
    out = collections.Counter()
    for f, c in selfc.items():
        for k, v in dist[f].items():
            out[k] += c * v
    return total, out

if __name__ == "__main__":
    a, b = sys.argv[1], sys.argv[2]
    ta, ca = split(a); tb, cb = split(b)
    print("| cause | %s | %s | difference |" % (sys.argv[3], sys.argv[4]))
    print("|---|---:|---:|---:|")
    for cause in [c for c, _ in CAUSES] + ["other"]:
        print("| %s | %.1f | %.1f | %+.1f |" % (cause, ca[cause] / 1e6, cb[cause] / 1e6, (cb[cause] - ca[cause]) / 1e6))
    print("| total | %.1f | %.1f | %+.1f |" % (ta / 1e6, tb / 1e6, (tb - ta) / 1e6))
