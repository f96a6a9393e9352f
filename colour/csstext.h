// Colours as CSS Color 4 texts: the strict reader of a typed or pasted
// colour, and the copied forms, each written with the fewest decimals that
// read back as the same 8-bit colour.
#pragma once

#include "colour.h"

#include <optional>
#include <string>
#include <string_view>

/// What a typed text is.
enum class TCssStatus
{
    Color,        ///< an opaque colour
    Transparent,  ///< a colour whose alpha is below 1
    DigitsOnly,   ///< only digits: a decimal read-out or hex without "#"?
    Unreadable,   ///< anything else
};

struct TCssColor
{
    TCssStatus Status = TCssStatus::Unreadable;
    TColor Color = 0;         ///< the colour when Status is Color
    bool GamutMapped = false; ///< it lay outside sRGB and was brought inside
};

/// "透明な色は扱えません", "16進の色は「#」から入力してください" and
/// "sRGBの範囲外のため近い色にしました" (UTF-8); the unreadable text's
/// message is ConvertErrorMessage.
inline constexpr std::string_view TransparentMessage = "透明な色は扱えません";
inline constexpr std::string_view DigitsOnlyMessage = "16進の色は「#」から入力してください";
inline constexpr std::string_view GamutMappedMessage = "sRGBの範囲外のため近い色にしました";

/// Reads a colour the way CSS Color 4 reads an opaque colour, total on any
/// bytes. After white space (space, tab, CR, LF, FF) is trimmed from both
/// ends the whole text must be one of:
/// - "#" and 3, 4, 6 or 8 hexadecimal digits (4 and 8 carry alpha), or six
///   hexadecimal digits without "#" that include a letter, as copied;
/// - rgb(), rgba(), hsl(), hsla() with commas (numbers, or percentages for
///   rgb, optional alpha) or with spaces (numbers, percentages or none,
///   optional "/ alpha"); hwb(), lab(), lch(), oklab(), oklch(), and color()
///   with srgb, srgb-linear, display-p3, a98-rgb, prophoto-rgb, rec2020,
///   xyz, xyz-d50 or xyz-d65, in space syntax; hues in deg, grad, rad, turn
///   or plain degrees;
/// - a CSS named colour, or a name of NamedColors (the seven that end in
///   " *" also without it).
/// Function names, units and names are read in any ASCII letter case.
/// Components are clamped where CSS clamps them (rgb 0 .. 255, lab L 0 ..
/// 100, chroma at 0, ...); a colour outside sRGB is gamut mapped. A text of
/// digits only is DigitsOnly, never guessed; "transparent" and an alpha
/// below 1 are Transparent.
TCssColor ParseCssColor(std::string_view text);

/// The message to show for a read text: empty for an opaque colour inside
/// sRGB.
std::string_view CssColorMessage(const TCssColor &color);

/// Whether a row's name of NamedColors is one that CSS knows: false for the
/// seven that end in " *", true for every other text, row or not.
bool IsCssName(std::string_view name);

/// The colour of a name that CSS knows, in any ASCII letter case: the 140
/// of NamedColors that are CSS's and the eight CSS names NamedColors lacks
/// (rebeccapurple, the "grey" spellings); nothing for any other text,
/// "transparent" included.
std::optional<TColor> CssNamedColor(std::string_view name);

/// The copied forms. Each component is written with the fewest decimals
/// (no trailing zeros) that fit, chosen component by component. The
/// components as written fit when read back every channel lies within 0.49
/// of an 8-bit step of the colour's. For lab(), lch(), oklab() and oklch()
/// they must also lie, in linear light, inside that window by a room of
/// 6e-4 of the brightest channel (dropped where it would take more than six
/// decimals), and round to the colour in the arithmetic of a browser engine
/// that converts through an ICC profile (iccengine.h); where no decimals
/// fit, the colour moved half-way away from that engine's error is written.
/// A colour with a channel at 0 or 255 gets decimals until the reader
/// takes the text to the colour without gamut mapping.
std::string ColorToCssHsl(TColor color);    ///< "hsl(47, 100%, 50%)"
std::string ColorToCssHwb(TColor color);    ///< "hwb(47 0% 0%)"
std::string ColorToCssLab(TColor color);    ///< "lab(L a b)", L 0 .. 100
std::string ColorToCssLch(TColor color);    ///< "lch(L C H)"
std::string ColorToCssOklab(TColor color);  ///< "oklab(L a b)", L 0 .. 1
std::string ColorToCssOklch(TColor color);  ///< "oklch(L C H)"
