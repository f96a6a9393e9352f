#include "portalreply.h"

#include "srgb.h"

#include <QDBusArgument>

#include <cmath>

namespace {

using Fault = TPortalReplyColor::Fault;

/// One component from the portal, 0.0 .. 1.0, to 0 .. 255. Neither n / 255
/// nor (n + 0.5) / 255 is exact in a double, but multiplied by 255 each
/// comes back to exactly n and n + 0.5, for every n from 0 to 255,
/// so rounding half up gives n and n + 1.
Fault component(double value, int &result)
{
    if (!std::isfinite(value))
        return Fault::NotANumber;
    if (value < 0.0 || value > 1.0)
        return Fault::OutOfRange;
    result = RoundToByte(value * 255.0);
    return Fault::None;
}

} // namespace

TPortalReplyColor PortalReplyColor(const QVariantMap &results)
{
    const auto found = results.constFind(QStringLiteral("color"));
    if (found == results.constEnd())
        return {std::nullopt, Fault::Missing};
    if (found->metaType() != QMetaType::fromType<QDBusArgument>())
        return {std::nullopt, Fault::WrongType};
    const QDBusArgument argument = found->value<QDBusArgument>();
    if (argument.currentSignature() != QLatin1String("(ddd)"))
        return {std::nullopt, Fault::WrongType};
    double components[3] = {};
    argument.beginStructure();
    argument >> components[0] >> components[1] >> components[2];
    argument.endStructure();
    int rgb[3] = {};
    // Not a number outranks out of range, whichever component has it.
    Fault worst = Fault::None;
    for (int i = 0; i < 3; ++i) {
        const Fault fault = component(components[i], rgb[i]);
        if (fault == Fault::NotANumber || (fault == Fault::OutOfRange && worst == Fault::None))
            worst = fault;
    }
    if (worst != Fault::None)
        return {std::nullopt, worst};
    return {MakeColor(rgb[0], rgb[1], rgb[2]), Fault::None};
}
