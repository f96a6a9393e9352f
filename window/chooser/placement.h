// Where the chooser stands: on the whole monitor of the window it opens
// over, its work area aside.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

/// Centred horizontally on the monitor, the top one third of the free
/// height down, both rounded toward zero.
QPoint ChooserPosition(const QRect &monitor, const QSize &chooser);
