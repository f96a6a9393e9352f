// Reads refgen's lines from standard input and checks each with colorjs.io:
// a copied text must convert to exactly its 8-bit colour; a typed text must
// convert (gamut mapped by CSS's method where it lies outside sRGB) to
// Tintaro's colour, within one step for the Lab and OKLab families, whose
// ties before rounding may fall either way; the contrast figures must agree.
// A text and background pair must have wcag-contrast's ratio, the verdicts
// and cut text that ratio gives, apca-w3's Lc, and nearest passing colours
// that pass, keep the moved colour's OKLCH hue and chroma and move its
// lightness no further than they must.
import Color from "colorjs.io";
import wcag from "wcag-contrast";
import { APCAcontrast, sRGBtoY } from "apca-w3";
import { createInterface } from "node:readline";

const channels = (color) =>
    color.to("srgb").coords.map((c) => Math.round(Math.min(1, Math.max(0, c ?? 0)) * 255));
const hex = (rgb) => "#" + rgb.map((c) => c.toString(16).padStart(2, "0").toUpperCase()).join("");

let copied = 0, typed = 0, contrasts = 0, withinOne = 0, ties = 0, worstRatio = 0;
let pairs = 0, moved = 0, mapped = 0, worstPairRatio = 0, worstLc = 0, worstOffLine = 0;
const failures = [];
let failed = 0;
const fail = (line, why) => { ++failed; if (failures.length < (Number(process.env.SHOW_FAILURES) || 20)) failures.push(`${line}: ${why}`); };

// A pair's figures. The ratio: wcag-contrast computes it by WCAG's formula
// as Tintaro does, in another order of operations, so the two agree to a
// few units in the last place (1e-12 relative allows 4,500 of them); the
// verdicts and the cut text are judged on wcag-contrast's ratio itself. The
// Lc: apca-w3 is the same double arithmetic on the same constants, so
// anything past 1e-9 (Lc runs to about 108) is a different formula.
function checkPair(line, f) {
    ++pairs;
    const [text, background, ratio, cut, verdicts, lc, nearText, nearBackground] = f;
    const theirs = wcag.hex(text, background);
    worstPairRatio = Math.max(worstPairRatio, Math.abs(theirs - Number(ratio)) / theirs);
    if (Math.abs(theirs - Number(ratio)) > 1e-12 * theirs) fail(line, `wcag-contrast ratio ${theirs}`);
    const judged = [theirs >= 4.5, theirs >= 7, theirs >= 3, theirs >= 4.5, theirs >= 3]
        .map((pass) => (pass ? "+" : "-")).join("");
    if (judged !== verdicts) fail(line, `verdicts on wcag-contrast's ratio: ${judged}`);
    const cutByHand = (Math.floor(theirs * 100) / 100).toFixed(2) + ":1";
    if (cutByHand !== cut) fail(line, `cut by hand: ${cutByHand}`);
    const y = (html) => sRGBtoY([1, 3, 5].map((i) => parseInt(html.substr(i, 2), 16)));
    const apca = APCAcontrast(y(text), y(background));
    worstLc = Math.max(worstLc, Math.abs(apca - Number(lc)));
    if (!(Math.abs(apca - Number(lc)) <= 1e-9)) fail(line, `apca-w3 Lc ${apca}`);
    for (const [from, fixed, found, which] of [[text, background, nearText, "text"],
                                               [background, text, nearBackground, "background"]]) {
        const why = checkNearest(from, fixed, found);
        if (why) fail(line, `nearest ${which}: ${why}`);
    }
}

const passes = (a, b) => wcag.hex(a, b) >= 4.5;
const rounded = (color) => hex(channels(color));
const oklch = (html) => {
    const [l, c, h] = new Color(html).to("oklch").coords.map((v) => (v == null || Number.isNaN(v) ? 0 : v));
    return [l, c, h];
};
const onLine = (l, c, h) => rounded(new Color("oklch", [l, c, h]).toGamut({ space: "srgb", method: "css" }));
// How far in OKLab 8-bit rounding can put a colour from the exact one it
// rounds: the farthest corner of the half step around it, in lightness and
// in the a-b plane.
function roundingReach(html) {
    const base = new Color(html).to("oklab").coords;
    const rgb = [1, 3, 5].map((i) => parseInt(html.substr(i, 2), 16));
    let dl = 0, dab = 0;
    for (let corner = 0; corner < 8; ++corner) {
        const c = rgb.map((v, i) => Math.min(255, Math.max(0, v + (corner >> i & 1 ? 0.5 : -0.5))) / 255);
        const [l, a, b] = new Color("srgb", c).to("oklab").coords;
        dl = Math.max(dl, Math.abs(l - base[0]));
        dab = Math.max(dab, Math.hypot(a - base[1], b - base[2]));
    }
    return [dl, dab];
}

// `from` moved until it passes AA against `fixed`: `found`, "-" for nothing.
function checkNearest(from, fixed, found) {
    if (passes(from, fixed)) return found === "-" ? "" : `${from} passes already`;
    const [l, c, h] = oklch(from);
    if (found === "-") {
        // Nothing only where neither end of the line passes.
        return passes(onLine(0, c, h), fixed) || passes(onLine(1, c, h), fixed) ? "an end of the line passes" : "";
    }
    ++moved;
    if (!passes(found, fixed)) return `${found} fails`;
    // Hue and chroma: the found colour's a-b point lies on the ray of the
    // moved colour's hue, no farther out than its chroma, within what 8-bit
    // rounding explains; less chroma only where the full chroma at that
    // lightness lies outside sRGB, and then the CSS gamut mapping's final
    // clip may also move it up to its just noticeable difference, 0.02.
    const [fl, fa, fb] = new Color(found).to("oklab").coords;
    const [reachL, reachAB] = roundingReach(found);
    const fc = Math.hypot(fa, fb);
    const hr = (h * Math.PI) / 180;
    const along = fa * Math.cos(hr) + fb * Math.sin(hr), across = Math.abs(fb * Math.cos(hr) - fa * Math.sin(hr));
    const outside = [fl - reachL, fl, fl + reachL].some((x) => !new Color("oklch", [x, c, h]).inGamut("srgb"));
    const reduced = fc < c - reachAB;
    if (reduced) ++mapped;
    if (reduced && !outside) return `${found} has chroma ${fc} where ${c} fits`;
    const allowed = reachAB + (outside ? 0.02 : 0);
    if (fc > c + allowed) return `${found} has chroma ${fc} beyond ${c}`;
    worstOffLine = Math.max(worstOffLine, across / allowed);
    if (c > 0 && (across > allowed || along < -allowed)) return `${found} lies ${across} off the hue line`;
    // Lightness: the first 8-bit colour on the line back towards the moved
    // colour (in steps of 0.0005) that is nearer it in OKLCH lightness than
    // the found one by more than half a step of all three channels can
    // change lightness fails, or is the moved colour. Nearer by less is
    // 8-bit rounding: where the line is clipped, a step of one channel
    // (#0900E9 beside #0800E9) can run against the line's lightness, and
    // colorjs.io may round the line a step otherwise than Tintaro.
    const back = l > fl ? 1 : -1;
    // Nor does the other side of the moved colour hold a passing colour
    // nearer by more than a step (passing colours there, if any, run from
    // a boundary to the end of the line, so the one just short of the
    // found one's distance tells).
    const other = l + back * (Math.abs(fl - l) - 2 * reachL);
    if (other > 0 && other < 1 && Math.abs(other - l) > 2 * reachL) {
        const across = onLine(other, c, h);
        if (passes(across, fixed)) return `${across}, on the other side of ${from} and nearer, passes`;
    }
    for (let x = fl; back * (l - x) > 0; x += back * 0.0005) {
        const closer = onLine(x, c, h);
        if (closer === found || back * (oklch(closer)[0] - fl) < reachL) continue;
        if (closer !== from && passes(closer, fixed)) return `${closer}, nearer ${from}, passes`;
        return "";
    }
    return "";
}

for await (const line of createInterface({ input: process.stdin })) {
    const [kind, ...f] = line.split("\t");
    if (kind === "copy") {
        ++copied;
        let got;
        try { got = hex(channels(new Color(f[1]))); } catch (e) { got = "unreadable"; }
        if (got !== f[0]) fail(line, `colorjs.io reads ${got}`);
    } else if (kind === "typed") {
        ++typed;
        const [syntax, text, ours, mapped] = f;
        let color;
        try { color = new Color(text); } catch (e) { fail(line, "colorjs.io cannot read it"); continue; }
        // Outside by more than half an 8-bit step is what Tintaro reports.
        const inside = color.inGamut("srgb", { epsilon: 0.5 / 255 });
        const target = color.inGamut("srgb") ? color : color.toGamut({ space: "srgb", method: "css" });
        const exact = target.to("srgb").coords.map((c) => Math.min(1, Math.max(0, c ?? 0)) * 255);
        const theirs = exact.map((c) => Math.round(c));
        if (ours === "-") { fail(line, "Tintaro refused it"); continue; }
        if ((mapped === "1") === inside) fail(line, `colorjs.io says ${inside ? "inside" : "outside"} sRGB`);
        const o = [1, 3, 5].map((i) => parseInt(ours.substr(i, 2), 16));
        // A channel one step off is allowed where colorjs.io's value is a
        // half (CSS rounds halves up; colorjs.io's arithmetic may land a
        // trace below), and for the Lab and OKLab families and mapped
        // colours, whose ties before rounding fall either way.
        const lab = ["lab", "lch", "oklab", "oklch"].includes(syntax) || mapped === "1";
        let off = false;
        o.forEach((c, i) => {
            const d = Math.abs(c - theirs[i]);
            const half = Math.abs(exact[i] - Math.floor(exact[i]) - 0.5) < 1e-4;
            if (d > 1 || (d === 1 && !half && !lab)) off = true;
            else if (d === 1) half ? ++ties : ++withinOne;
        });
        if (off) fail(line, `colorjs.io gives ${hex(theirs)} (${exact.map((c) => c.toFixed(4)).join(", ")})`);
    } else if (kind === "contrast") {
        ++contrasts;
        const [html, ratio, cut, lcWhite, lcBlack] = f;
        // WCAG 2's own formula, written out here, must give the ratio
        // exactly; colorjs.io takes luminance from its XYZ matrix
        // (0.2126729, 0.7151522, 0.0721750 where WCAG has 0.2126, 0.7152,
        // 0.0722), so it agrees to a few parts in 10^4.
        const linear = (v) => (v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4);
        const [lr, lg, lb] = [1, 3, 5].map((i) => linear(parseInt(html.substr(i, 2), 16) / 255));
        const wcag = 1.05 / (0.2126 * lr + 0.7152 * lg + 0.0722 * lb + 0.05);
        if (Math.abs(wcag - Number(ratio)) > 1e-12 * wcag) fail(line, `WCAG's formula gives ${wcag}`);
        const cutByHand = (Math.floor(wcag * 100) / 100).toFixed(2) + ":1";
        if (cutByHand !== cut) fail(line, `cut by hand: ${cutByHand}`);
        const theirs = Color.contrast(html, "white", "WCAG21");
        if (Math.abs(theirs - wcag) > 2e-4 * wcag) fail(line, `colorjs.io ratio ${theirs}`);
        worstRatio = Math.max(worstRatio, Math.abs(theirs - wcag) / wcag);
        const w = Color.contrast(html, "white", "APCA"), b = Color.contrast(html, "black", "APCA");
        if (Math.abs(w - Number(lcWhite)) > 1e-9 || Math.abs(b - Number(lcBlack)) > 1e-9)
            fail(line, `colorjs.io APCA ${w} ${b}`);
    } else if (kind === "pair") {
        checkPair(line, f);
    }
}
console.log(`wcag-contrast, apca-w3: ${pairs} pairs (ratio at most ${worstPairRatio.toExponential(1)} apart, ` +
            `Lc at most ${worstLc.toExponential(1)}), ${moved} nearest passing colours (${mapped} with less chroma, ` +
            `at most ${worstOffLine.toFixed(2)} of the allowance off the hue line)`);
console.log(`colorjs.io ${Color.version ?? ""}: ${copied} copied texts, ${typed} typed texts ` +
            `(channels one step off: ${ties} at a half, ${withinOne} Lab/OKLab or mapped), ${contrasts} contrast rows (colorjs.io's ratio at most ${worstRatio.toExponential(1)} apart)`);
console.log(`${failed} disagreements`);
for (const f of failures) console.log("FAIL " + f);
process.exit(failures.length || copied < 700000 || pairs < 100000 ? 1 : 0);
