// The chooser's grid of basic colours: eight columns, a row per family of
// hues and one of greys.
#pragma once

#include "colour.h"

inline constexpr int BasicColumns = 8;
inline constexpr int BasicColorCount = 48;

/// The colour of cell 0 .. 47, row by row.
TColor BasicColor(int cell);
