// Text in one colour on a background of another: how the pair stands by
// WCAG 2 and APCA, the nearest colours that would make it pass, and the
// pair as people with a colour-vision deficiency see it.
#pragma once

#include "colour.h"
#include "contrast.h"

#include <optional>
#include <string_view>

/// How a pair is seen: with normal vision, one of the three dichromacies,
/// achromatopsia, or one of the three anomalous trichromacies (which take a
/// severity).
enum class TVision
{
    Normal,
    Protanopia,
    Deuteranopia,
    Tritanopia,
    Achromatopsia,
    Protanomaly,
    Deuteranomaly,
    Tritanomaly,
};

inline constexpr int VisionCount = 8;

/// The Japanese name of a way of seeing, as the chooser lists it:
/// "通常の色覚", "1型2色覚（P型）" ... "3型3色覚（T型）".
std::string_view VisionName(TVision vision);

/// True for the three anomalous trichromacies, the only ones a severity
/// changes.
bool VisionHasSeverity(TVision vision);

/// The colour as seen that way; `severity` (0 .. 1) counts for the
/// anomalous trichromacies only. The colour itself for normal vision.
TColor SeenWith(TColor color, TVision vision, double severity);

/// What a text colour on a background colour earns.
struct TPairFigures
{
    double Ratio = 1;         ///< WCAG 2 contrast ratio, 1 .. 21, never rounded
    TWcagVerdict Verdict{};   ///< judged on Ratio itself
    bool NonText = false;     ///< WCAG 1.4.11: a border or icon in the text colour, 3:1
    double Lc = 0;            ///< APCA Lc of the text on the background; negative for light text
    /// Where the pair fails AA: the text colour nearest to the text that
    /// passes on this background, and the background nearest to the
    /// background that passes under this text (same OKLCH hue and chroma,
    /// lightness moved as little as possible, inside sRGB). Empty where the
    /// pair passes or where no such colour exists.
    std::optional<TColor> NearestText;
    std::optional<TColor> NearestBackground;
};

/// The figures of `text` on `background`.
TPairFigures PairFigures(TColor text, TColor background);

/// The same without the search for the nearest passing colours, which stay
/// empty: for a pair as a simulation shows it, whose colours no one sets.
TPairFigures PairContrast(TColor text, TColor background);
