// The colour in the portal's answer to a PickColor request.
#pragma once

#include "colour.h"

#include <QVariantMap>

#include <optional>

/// What a "color" result held: a colour, or why it is none.
struct TPortalReplyColor
{
    enum class Fault { None, Missing, WrongType, NotANumber, OutOfRange };
    std::optional<TColor> color;
    Fault fault = Fault::None;
};

/// The "color" result, a (ddd) structure of components 0.0 .. 1.0, as a
/// TColor: a component c stands for the 8-bit value nearest c x 255, a half
/// step taken upwards. Missing, of another type, not a number (NaN and the
/// infinities) or outside 0 .. 1, it gives no colour but the fault.
TPortalReplyColor PortalReplyColor(const QVariantMap &results);
