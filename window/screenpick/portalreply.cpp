#include "portalreply.h"

#include <QDBusArgument>

#include <algorithm>
#include <cmath>

namespace {

/// One component from the portal, 0.0 .. 1.0, to 0 .. 255: clamped, then
/// rounded to the nearest step, so 0.50196 (128/255 as a float) gives 128.
std::optional<int> portalComponent(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return int(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

} // namespace

std::optional<TColor> PortalReplyColor(const QVariantMap &results)
{
    const QVariant color = results.value(QStringLiteral("color"));
    if (color.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const QDBusArgument argument = color.value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(ddd)"))
        return std::nullopt;
    double red = 0;
    double green = 0;
    double blue = 0;
    argument.beginStructure();
    argument >> red >> green >> blue;
    argument.endStructure();
    const auto r = portalComponent(red);
    const auto g = portalComponent(green);
    const auto b = portalComponent(blue);
    if (!r || !g || !b)
        return std::nullopt;
    return MakeColor(*r, *g, *b);
}
