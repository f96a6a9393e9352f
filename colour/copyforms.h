// The text forms a colour is copied in, one row each, for every menu that
// copies a colour: the swatches' now, a palette's later.
#pragma once

#include "colour.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

/// One form of the copy menu.
struct TCopyForm
{
    char AccessKey;        ///< the item's access key, an upper-case ASCII letter
    int Group;             ///< 0 the classic forms, 1 CSS Color 4's, 2 the passing colours; a separator between groups
    std::string_view Why;  ///< what the text is, shown after it where it is not plain (UTF-8); or empty
    std::optional<std::string> (*Text)(TColor);  ///< the text copied, or nothing where the form has none
    bool CssValue = false;  ///< a CSS colour value of exactly this colour, for any colour: a pair's or a palette's form
};

/// The forms in the menu's order: "#FFC800" (H), "FFC800" (X), "rgb(255,
/// 200, 0)" (R), hsl() (L), the decimal text (D), the "$" colour-value text
/// (V), the name when CSS knows it (N); hwb() (B), lab() (A), lch() (C),
/// oklab() (O), oklch() (K); the nearest colours that pass AA under white
/// (P) and under black text (Q) where the colour itself fails.
extern const std::array<TCopyForm, 14> CopyForms;
