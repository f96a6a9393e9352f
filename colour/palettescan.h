// Finding the colours written in a pasted text: a style sheet, a block of
// custom properties, a design-tokens JSON file, a GIMP palette, a list of
// hex codes or a paragraph. Pure, total on any bytes, linear in the text.
#pragma once

#include "colour.h"

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

/// One colour found, where it stands in the text.
struct TFoundColor
{
    std::size_t Offset = 0;  ///< its first byte
    std::size_t Length = 0;  ///< its bytes: a CSS text that reads alone to Color, or a GIMP line's "R G B"
    TColor Color = 0;
    bool GamutMapped = false;  ///< it lay outside sRGB and was brought inside
};

/// What a text held.
struct TPaletteScan
{
    std::vector<TFoundColor> Colors;  ///< the colours taken, in order of appearance
    std::size_t Beyond = 0;       ///< opaque colours after the limit was reached (distinct ones where repeats are skipped)
    std::size_t Transparent = 0;  ///< colours with an alpha below 1, never taken
    std::size_t Repeats = 0;      ///< opaque colours skipped as repeats of an earlier one
    std::size_t Mapped = 0;       ///< of Colors, those that lay outside sRGB
    bool Stopped = false;         ///< keepGoing asked to stop; the counts cover the text read until then
};

enum class TRepeats { Keep, Skip };

/// The colours written in `text`, in order of appearance, at most `limit`.
///
/// Found anywhere outside a /* comment */ (one that a "*/" closes):
/// - "#" and 3, 4, 6 or 8 hexadecimal digits, no ASCII letter, digit, "-"
///   or "_" on either side (nor "&" before: "&#123;" is a character; nor
///   "url(": "url(#abc)" names a fragment);
/// - rgb(), rgba(), hsl(), hsla(), hwb(), lab(), lch(), oklab(), oklch() and
///   color() up to their ")" on the same line, with no bracket inside.
/// A CSS named colour (and "transparent") counts only where a colour is
/// written, not as a word of prose:
/// - as the whole content of a quoted string that is neither a key ("red":
///   ...) nor text in a style sheet's declaration (content: "red");
/// - in a declaration's value inside braces (after a property's name, a
///   variable's or a quoted key and ":", up to ";", "{" or "}", or a JSON
///   member's ","), or in a variable's value on a line that starts with
///   "--name:", "$name:" or "@name:";
/// - as the one item after a line's first ":" or "=" ("primary = red");
/// - on a line whose items (parted by space, "," and ";") are all colours,
///   after an optional list marker ("-", "*", "+", "•", "1."); a line whose
///   first 4096 colour items are all colours counts as such from there on.
/// A text whose first line is "GIMP Palette" is read as one: its lines of
/// three numbers 0 .. 255 give colours, the rest of such a line is a label,
/// and lines starting with "#" are comments.
/// Each text found reads alone (ParseCssColor) to its colour; each is
/// counted once, as taken, transparent, a repeat or beyond the limit.
/// `keepGoing`, when given, is asked every 64 KiB whether to go on.
TPaletteScan FindPaletteColors(std::string_view text, std::size_t limit, TRepeats repeats = TRepeats::Keep,
                               const std::function<bool()> &keepGoing = {});
