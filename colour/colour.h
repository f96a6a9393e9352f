// The colour model: the packed colour value, its text forms, the HTML text
// parser and the table of named colours. Pure functions on integers and
// UTF-8 byte strings; nothing here knows about windows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

/// A packed colour: red in bits 0-7, green in bits 8-15, blue in bits 16-23.
/// Every colour the program makes has the top byte zero (0 .. 16777215); a
/// negative value is one of the window layer's symbolic system colours.
using TColor = std::int32_t;

/// The one failure of the colour model: a text that is not hexadecimal.
class EConvertError : public std::runtime_error
{
public:
    EConvertError();
};

/// The message of every EConvertError, "変換できません" (UTF-8).
inline constexpr std::string_view ConvertErrorMessage = "変換できません";

/// (red AND 255) + 256 x (green AND 255) + 65536 x (blue AND 255).
constexpr TColor MakeColor(int red, int green, int blue)
{
    return TColor((red & 255) | ((green & 255) << 8) | ((blue & 255) << 16));
}

/// Bits 0-7 of the value, 0 .. 255.
constexpr int GetRValue(TColor color) { return color & 255; }
/// Bits 8-15 of the value, 0 .. 255.
constexpr int GetGValue(TColor color) { return (color >> 8) & 255; }
/// Bits 16-23 of the value, 0 .. 255.
constexpr int GetBValue(TColor color) { return (color >> 16) & 255; }

/// The value as a signed decimal integer: no leading zeros, no grouping,
/// a minus sign only for a negative value ("16777215", "-1").
std::string ColorToDecimalText(TColor color);

/// "$" and the value as exactly eight upper-case hexadecimal digits,
/// zero-filled: blue, green, red from left to right ("$000000FF" is red).
std::string ColorToValueText(TColor color);

/// "#" and red, green, blue as two upper-case hexadecimal digits each
/// ("#FF0000" is red). The components are taken as they stand: a symbolic
/// system colour is not resolved.
std::string ColorToHtml(TColor color);

/// The text read as hexadecimal: one or more digits 0-9, A-F, a-f and
/// nothing else (no sign, no space, no prefix). Any value that fits in 32
/// bits converts, leading zeros included; the bit pattern is returned as a
/// signed integer, so "FFFFFFFF" gives -1.
/// @throws EConvertError for an empty text, any other character, or a value
/// that does not fit in 32 bits.
std::int32_t HexToInt(std::string_view text);

/// The colour of an HTML text "#RRGGBB": the characters at positions 2-3,
/// 4-5 and 6-7 (counting from 1) are the red, green and blue pairs. The
/// first character is not examined and characters after the seventh are
/// ignored; a pair cut short by the end of the text is shorter. The pairs
/// are converted blue first, then green, then red.
/// @throws EConvertError as HexToInt does, for the first pair that fails.
TColor HtmlToColor(std::string_view text);

/// One row of the named colour table.
struct TNamedColor
{
    std::string_view Name;  ///< shown and compared as it stands, " *" included
    std::string_view Html;  ///< "#" and six upper-case hexadecimal digits
};

inline constexpr int NamedColorCount = 147;

/// The 147 named colours in the order of the window's name list.
extern const std::array<TNamedColor, NamedColorCount> NamedColors;

/// The name of row 0 .. 146.
std::string_view NameOfRow(int row);

/// HtmlToColor of the HTML text of row 0 .. 146.
TColor ColorOfRow(int row);

/// The name to show for a colour: the name of the last row whose HTML text
/// equals ColorToHtml(color), or nothing when no row does. "#00FFFF" is
/// "cyan" (not "aqua") and "#FF00FF" is "magenta" (not "fuchsia").
std::optional<std::string_view> NameForColor(TColor color);

/// A colour in the units of CSS hsl(): Hue 0 .. 359 degrees, Saturation and
/// Lightness 0 .. 100 per cent.
struct THsl
{
    int Hue;
    int Saturation;
    int Lightness;
};

/// The colour's hue, saturation and lightness as CSS Color 4 defines them,
/// each rounded to the nearest integer (halves away from zero). A hue that
/// rounds to 360 is 0; greys (red = green = blue) have hue 0 and saturation 0.
/// Only the three components are read: the top byte is ignored.
THsl ColorToHsl(TColor color);

/// The colour of hsl(hue, saturation%, lightness%) by the CSS Color 4
/// conversion, each channel rounded to the nearest of 0 .. 255 (127.5 gives
/// 128). The hue is taken modulo 360 (a negative hue counts back from 360);
/// saturation and lightness are clamped to 0 .. 100.
TColor HslToColor(int hue, int saturation, int lightness);

/// "rgb(" red ", " green ", " blue ")" in decimal, no leading zeros:
/// "rgb(255, 200, 0)".
std::string ColorToRgbText(TColor color);
