#include "placement.h"

QPoint ChooserPosition(const QRect &monitor, const QSize &chooser)
{
    // C++ integer division rounds toward zero, also for a chooser larger
    // than the monitor.
    return {monitor.left() + (monitor.width() - chooser.width()) / 2,
            monitor.top() + (monitor.height() - chooser.height()) / 3};
}
