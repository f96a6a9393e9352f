// Reads palettegen's lines from standard input and reads each copied
// palette as its own format says, with no code of Tintaro's: JSON with
// JSON.parse, a GIMP palette by the format's published layout ("GIMP
// Palette", then optional "Name:" and "Columns:" lines and "#" comments,
// then lines of three decimal components and a name), and the CSS values
// of custom properties, Sass variables and lists with colorjs.io. Each must
// give the palette's colours, in order.
import Color from "colorjs.io";
import { createInterface } from "node:readline";

const hex = (text) => {
    const rgb = new Color(text).to("srgb").coords.map((c) => Math.round(Math.min(1, Math.max(0, c ?? 0)) * 255));
    return "#" + rgb.map((c) => c.toString(16).padStart(2, "0").toUpperCase()).join("");
};

function gimp(text) {
    const lines = text.split("\n");
    if (lines[0] !== "GIMP Palette") throw new Error("no GIMP Palette header");
    const colours = [];
    for (const line of lines.slice(1)) {
        if (line === "" || line.startsWith("#") || /^(Name|Columns):/.test(line)) continue;
        const m = /^\s*(\d+)\s+(\d+)\s+(\d+)(\s+\S.*)?$/.exec(line);
        if (!m) throw new Error(`not a palette line: ${line}`);
        colours.push("#" + m.slice(1, 4).map((c) => {
            if (Number(c) > 255) throw new Error(`component over 255: ${line}`);
            return Number(c).toString(16).padStart(2, "0").toUpperCase();
        }).join(""));
    }
    return colours;
}

// name: value; lines: the values, each checked to be a whole declaration.
function declarations(text, prefix, open, close) {
    let body = text;
    if (open) {
        if (!body.startsWith(open) || !body.endsWith(close)) throw new Error("no block around the properties");
        body = body.slice(open.length, body.length - close.length);
    }
    const names = new Set();
    return body.split("\n").filter((l) => l !== "").map((line) => {
        const m = new RegExp(`^\\s*${prefix.replace("$", "\\$")}([a-z][a-z0-9-]*): ([^;]+);$`).exec(line);
        if (!m) throw new Error(`not a declaration: ${line}`);
        if (names.has(m[1])) throw new Error(`name given twice: ${m[1]}`);
        names.add(m[1]);
        return hex(m[2]);
    });
}

const readers = {
    "json-array": (text) => JSON.parse(text).map(hex),
    "json-object": (text) => {
        const object = JSON.parse(text);
        if (Array.isArray(object)) throw new Error("an array, not an object");
        return Object.values(object).map(hex);
    },
    gimp,
    properties: (text) => declarations(text, "--", ":root {\n", "}\n"),
    sass: (text) => declarations(text, "$"),
    list: (text) => text.split("\n").filter((l) => l !== "").map(hex),
};

let read = 0;
const failures = [];
for await (const line of createInterface({ input: process.stdin })) {
    const [format, colours, json] = line.split("\t");
    const text = JSON.parse(json);
    ++read;
    try {
        const got = readers[format](text).join(" ");
        if (got !== colours) failures.push(`${format}: ${got} is not ${colours}\n${text}`);
    } catch (e) {
        failures.push(`${format}: ${e.message}\n${text}`);
    }
}
console.log(`palettes read ${read}, failed ${failures.length}`);
for (const f of failures.slice(0, 10)) console.log(f);
process.exit(read > 0 && failures.length === 0 ? 0 : 1);
