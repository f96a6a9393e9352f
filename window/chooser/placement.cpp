#include "placement.h"

#include "colorchooser.h"
#include "x11dialog.h"

#include <QApplication>
#include <QScreen>
#include <QWindow>

QPoint ChooserPosition(const QRect &monitor, const QSize &chooser)
{
    // C++ integer division rounds toward zero, also for a chooser larger
    // than the monitor.
    return {monitor.left() + (monitor.width() - chooser.width()) / 2,
            monitor.top() + (monitor.height() - chooser.height()) / 3};
}

void TColorChooser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    AskForMoveAndCloseOnly(this);
    place();
}

bool TColorChooser::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    // Where the window manager offers to minimise the chooser all the same,
    // it comes straight back: minimised, it would hide the whole program
    // behind a modal dialog that nobody can reach.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        activateWindow();
    }
    return handled;
}

void TColorChooser::place(const QMargins &frame)
{
    // Placed on the whole monitor of the active window (or of the owner)
    // when the chooser starts, its work area aside; only the position changes.
    if (m_monitor.isEmpty()) {
        const QWidget *anchor = QApplication::activeWindow() && QApplication::activeWindow() != this
            ? QApplication::activeWindow()
            : parentWidget();
        const QScreen *screen = anchor ? anchor->screen() : this->screen();
        if (!screen)
            return;
        m_monitor = screen->geometry();
    }
    if (frame.isNull()) {
        const QRect outer = frameGeometry();
        const QPoint target = ChooserPosition(m_monitor, outer.size());
        if (outer.topLeft() != target)
            move(target);
        return;
    }
    // Framed: the outer size by the window manager's own extents, which Qt
    // may not know yet, and the frame's corner asked for, even where Qt
    // believes it holds: the window manager may have kept its own.
    if (windowHandle())
        windowHandle()->setFramePosition(ChooserPosition(m_monitor, size().grownBy(frame)));
}
