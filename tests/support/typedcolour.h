// The chooser's first reader of typed colours: hexadecimal, rgb() and the
// names. The program reads CSS Color 4 now; this reader stays as a reference
// for the tests of the CSS reader, which must agree with it where it reads.
#pragma once

#include "colour.h"

#include <optional>
#include <string_view>

/// The strict reader that the chooser's typed field had before it read CSS
/// Color 4; nothing on failure (never throws). The CSS reader must read every
/// text this one takes to the same colour, but for digits only. After white space (space, tab, CR, LF) is trimmed
/// from both ends, the whole text must be exactly one of:
/// - "#RRGGBB" or "RRGGBB": six hexadecimal digits, either case;
/// - "#RGB": three hexadecimal digits, each doubled ("#F80" is "#FF8800");
/// - "rgb(r, g, b)": the letters "rgb" in any case, "(", three decimal
///   integers 0 .. 255 of one to three digits separated by commas, ")";
///   spaces and tabs may stand around each number, nowhere else;
/// - a name of NamedColors in any ASCII letter case; the seven names that
///   end in " *" are also accepted without it.
/// Anything else, a NUL or a non-ASCII byte included, gives nothing.
std::optional<TColor> ParseTypedColor(std::string_view text);
