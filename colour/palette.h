// A palette as text: the custom colours or the colours of a run, copied out
// in the forms web work uses. Reading them back is palettescan.h's.
#pragma once

#include "colour.h"
#include "copyforms.h"

#include <cstddef>
#include <string>
#include <vector>

enum class TPaletteFormat
{
    CustomProperties,  ///< ":root {" and a "--name: value;" line each, then "}"
    Sass,              ///< a "$name: value;" line each
    JsonArray,         ///< a JSON array of the values as strings
    JsonObject,        ///< a JSON object of name to value
    Gimp,              ///< "GIMP Palette", "Name: Tintaro", "Columns: 8", "#", then "R G B<TAB>name" lines
    List,              ///< a value per line
};

/// One name per colour, each unique and valid as a CSS custom property's,
/// a Sass variable's and a JSON key: the colour's CSS name where it has one
/// ("red"), then "-2", "-3" … for a name given before; otherwise "color-"
/// and the colour's place from 1 ("color-3").
std::vector<std::string> PaletteNames(const std::vector<TColor> &colors);

/// The colours as a text of `format`, each value in `form` (a form whose
/// CssValue is true); every line ends in "\n". The GIMP palette gives the
/// components in decimal, right-aligned in three places, and the name.
std::string PaletteText(const std::vector<TColor> &colors, TPaletteFormat format, const TCopyForm &form);

/// The colours of a run, most recent first, each once.
class TRunColors
{
public:
    static constexpr std::size_t Capacity = 8;

    /// Puts the colour first, moving it there if it is already held; the
    /// oldest goes when more than Capacity would be held.
    void add(TColor color);
    const std::vector<TColor> &colors() const { return m_colors; }

private:
    std::vector<TColor> m_colors;
};
