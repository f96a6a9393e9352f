// Reads refgen's lines from standard input and checks each with colorjs.io:
// a copied text must convert to exactly its 8-bit colour; a typed text must
// convert (gamut mapped by CSS's method where it lies outside sRGB) to
// Tintaro's colour, within one step for the Lab and OKLab families, whose
// ties before rounding may fall either way; the contrast figures must agree.
import Color from "colorjs.io";
import { createInterface } from "node:readline";

const channels = (color) =>
    color.to("srgb").coords.map((c) => Math.round(Math.min(1, Math.max(0, c ?? 0)) * 255));
const hex = (rgb) => "#" + rgb.map((c) => c.toString(16).padStart(2, "0").toUpperCase()).join("");

let copied = 0, typed = 0, contrasts = 0, withinOne = 0, ties = 0, worstRatio = 0;
const failures = [];
const fail = (line, why) => { if (failures.length < 20) failures.push(`${line}: ${why}`); };

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
    }
}
console.log(`colorjs.io ${Color.version ?? ""}: ${copied} copied texts, ${typed} typed texts ` +
            `(channels one step off: ${ties} at a half, ${withinOne} Lab/OKLab or mapped), ${contrasts} contrast rows (colorjs.io's ratio at most ${worstRatio.toExponential(1)} apart)`);
for (const f of failures) console.log("FAIL " + f);
process.exit(failures.length || copied < 700000 ? 1 : 0);
