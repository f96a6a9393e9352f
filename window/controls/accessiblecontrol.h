// What the interfaces of the controls share. Qt keeps the keys and the mouse
// from a window behind a modal dialog, but an assistive technology calls the
// interfaces directly: each one that acts asks first whether a modal dialog
// of another window is open. A number an AT-SPI client sends is a double,
// clamped before any conversion to int could wrap it.
#pragma once

#include <QAccessibleWidget>

#include <optional>

/// Whether a modal dialog of another window holds the widget's window.
bool BlockedByModal(const QWidget *widget);

/// The number as the nearest of minimum .. maximum; none for NaN or for
/// what is no number at all.
std::optional<int> ClampedNumber(const QVariant &value, int minimum, int maximum);

/// A control whose actions (focus, its menu, its own) do nothing while a
/// modal dialog holds its window; acts() tells the control's own calls.
class TControlAccessible : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;

    void doAction(const QString &actionName) override
    {
        if (acts())
            QAccessibleWidget::doAction(actionName);
    }

protected:
    bool acts() const { return !BlockedByModal(widget()); }
};
