#include "basiccolors.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// By their names in NamedColors, so that every cell has a name to look up.
// The sixteen HTML basic colour keywords are all here; the others are the
// named colours most used on web pages.
constexpr std::array<std::string_view, BasicColorCount> BasicColorNames = {
    "maroon", "brown", "firebrick", "crimson", "red", "tomato", "salmon", "pink",
    "chocolate", "sienna", "darkorange", "orange", "gold", "yellow", "khaki", "olive",
    "darkgreen", "green", "forestgreen", "seagreen", "limegreen", "lime", "yellowgreen", "teal",
    "aqua", "turquoise", "deepskyblue", "dodgerblue", "steelblue", "royalblue", "blue", "navy",
    "midnightblue", "slateblue", "indigo", "purple", "darkviolet", "orchid", "fuchsia", "deeppink",
    "black", "darkslategray", "dimgray", "gray", "darkgray", "silver", "lightgrey", "white",
};

int rowOfName(std::string_view name)
{
    const auto found = std::find_if(NamedColors.begin(), NamedColors.end(),
                                    [name](const TNamedColor &row) { return row.Name == name; });
    return int(found - NamedColors.begin());
}

} // namespace

TColor BasicColor(int cell)
{
    static const std::array<TColor, BasicColorCount> colors = [] {
        std::array<TColor, BasicColorCount> table{};
        for (std::size_t i = 0; i < table.size(); ++i)
            table[i] = ColorOfRow(rowOfName(BasicColorNames[i]));
        return table;
    }();
    return colors.at(std::size_t(cell));
}
