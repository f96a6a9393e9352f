#include "accessiblecontrol.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cmath>

bool BlockedByModal(const QWidget *widget)
{
    const QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !widget)
        return false;
    const QWidget *window = widget->window();
    // The modal dialog itself, and the windows it owns, take input.
    for (const QWidget *owner = window; owner; owner = owner->parentWidget())
        if (owner == modal)
            return false;
    if (modal->windowModality() != Qt::WindowModal)
        return true;
    // A window-modal dialog blocks only the windows that own it.
    for (const QWidget *owner = modal->parentWidget(); owner; owner = owner->parentWidget())
        if (owner->window() == window)
            return true;
    return false;
}

std::optional<int> ClampedNumber(const QVariant &value, int minimum, int maximum)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || std::isnan(number))
        return std::nullopt;
    return int(std::lround(std::clamp(number, double(minimum), double(maximum))));
}
