// What one opening of the colour chooser is given, and the custom colour
// slots it hands back.
#pragma once

#include "colour.h"

#include <array>
#include <string>

class QWidget;

inline constexpr int CustomColorCount = 16;
using TCustomColors = std::array<TColor, CustomColorCount>;

/// Sixteen slots with no colour.
inline constexpr TCustomColors EmptyCustomColors = {-1, -1, -1, -1, -1, -1, -1, -1,
                                                    -1, -1, -1, -1, -1, -1, -1, -1};

/// What one opening of the chooser is given.
struct TChooseColorRequest
{
    // Flag values of the request.
    static constexpr unsigned RgbInit = 1;
    static constexpr unsigned FullOpen = 2;
    static constexpr unsigned PreventFullOpen = 4;
    static constexpr unsigned ShowHelp = 8;
    static constexpr unsigned EnableHook = 16;
    static constexpr unsigned SolidColor = 128;
    static constexpr unsigned AnyColor = 256;

    TColor initialColor = 0;          ///< plain red-green-blue
    TCustomColors customColors{};     ///< -1 for an empty slot
    unsigned flags = 0;
    QWidget *owner = nullptr;
};

/// The key of slot 0 .. 15: "ColorA" .. "ColorP".
inline std::string CustomSlotKey(int slot)
{
    return std::string("Color") + char('A' + slot);
}
