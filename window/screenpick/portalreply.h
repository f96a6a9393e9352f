// The colour in the portal's answer to a PickColor request.
#pragma once

#include "colour.h"

#include <QVariantMap>

#include <optional>

/// The "color" result, a (ddd) structure of components 0.0 .. 1.0, as a
/// TColor; nothing when it is missing, of another type, or not a number.
std::optional<TColor> PortalReplyColor(const QVariantMap &results);
